#pragma once

#include "arguments/ArgumentReader.h"
#include "cli/CommandLine.h"
#include "config/ProgramSettings.h"
#include "device/FrameTrace.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

struct CommandRow;

// What one command line asks for.
struct Invocation {
    const CommandRow* command = nullptr;
    const CommandRow* helpTopic = nullptr; // help of this command rather than of the program
    bool version = false;                  // --version: the program's name and version

    // The ports, in the order named: COM n through zenset.sys, or device paths; or every free
    // port where an instrument answers.
    std::vector<int> comNumbers;
    std::vector<std::string> devicePaths;
    bool allPorts = false;
    // For the instrument's first answer; none when not given.
    std::optional<std::chrono::milliseconds> wait;
    // From a reply to the next request; zenset.sys decides when it is not given.
    std::optional<std::chrono::milliseconds> minimumSpacing;

    // read: the file written, "{serial}" standing for the instrument's serial number; write,
    // show and diff: the file read; "-" is standard output or input.
    std::string file;
    // diff: the setup file compared with file instead of an instrument.
    std::string secondFile;

    std::optional<std::string> serialText; // as typed: 1 to 8 digits; for history any text
    bool nextSerial = false;
    std::optional<std::uint32_t> firstSerial; // --serial-from: one a port, counting up
    std::optional<int> moduleType;
    bool verify = false;

    bool quiet = false;
    bool json = false;
    bool digest = false; // show: the setup's digest alone
    // show and read: the file the setup sheet goes into as a PDF; "-" is standard output.
    std::optional<std::string> pdf;
    std::optional<std::chrono::sys_seconds> since; // history: the rows from this time on
    std::optional<std::chrono::sys_seconds> until; // history: the rows before this time
    std::optional<std::string> actionWanted;       // history: the rows of this action
    std::optional<std::string> resultWanted;       // history: the rows of this result
    bool department = false; // history: the department's record instead of this computer's

    // It names more than one instrument.
    bool isBatch() const { return allPorts || comNumbers.size() + devicePaths.size() > 1; }
};

// What stands for the instrument's serial number in the file name of a read from several.
inline constexpr std::string_view kSerialPlaceholder = "{serial}";

// What every command works with.
struct CommandContext {
    const Invocation& invocation;
    std::ostream& out;
    std::ostream& err;
    bool progressShown; // standard error is a terminal and --quiet is off
    ProgramSettings settings;
    // Every frame on the instrument lines, when MIRAFEN_TRACE asks for it.
    FrameTrace trace;
};

// A command line that is wrong; text says what was wrong, in one line.
struct UsageError {
    std::string text;
};

// One option: its names, the name of its value (none for a switch), what it fills in the
// invocation from its value (throwing UsageError for a value it does not take) and its help line,
// whose further lines go under the first in the help.
struct OptionRow {
    OptionName name;
    void (*fill)(Invocation& invocation, std::string_view value);
    std::string_view help;
};

// An option as one command takes it, with its own help line where it means more there.
struct TakenOption {
    const OptionRow* option;
    std::string_view help = {};
};

// An argument of a command that is no option, in the order taken.
struct PositionalRow {
    std::string_view name;
    void (*fill)(Invocation& invocation, std::string_view value);
    std::string_view what; // "a setup file" when the command needs it, else empty
    bool required() const { return !what.empty(); }
};

// One command of mirafen-cli. Its help is "Usage: mirafen-cli " and the synopsis, the
// description, its options' help lines and the epilogue; the program's help lists each command
// by its name, brief and summary. run does the command's work and returns the exit status; it
// throws Failure or FileError when it cannot do its work, and the exit status is then
// failureStatus. check throws UsageError for a command line the options alone do not refuse.
struct CommandRow {
    std::string_view name;
    std::string_view brief;
    std::string_view summary;
    std::string_view synopsis;
    std::string_view description;
    std::span<const TakenOption> options;
    std::span<const PositionalRow> positionals;
    std::string_view epilogue;
    int (*run)(const CommandContext& context);
    void (*check)(const Invocation& invocation) = nullptr;
    int failureStatus = kExitFailure;
    bool usesDataFolder = true;

    bool takes(const OptionRow& option) const;
    // It opens the instrument's port, so it needs --port or --device.
    bool talksToInstrument() const;
    // It writes a setup file for each instrument it names, so several need {serial}.
    bool writesFileForEachInstrument() const;
};

// Every command, "help" first.
std::span<const CommandRow> commandTable();
// "help", whose help is the program's.
const CommandRow& helpCommand();
const CommandRow* commandNamed(std::string_view name);
// The help of one command, or of the program.
std::string helpText(const CommandRow& command);

// The functions the rows run.
int printHelp(const CommandContext& context);
int listPorts(const CommandContext& context);
int identifyInstrument(const CommandContext& context);
int readFromInstrument(const CommandContext& context);
int writeToInstrument(const CommandContext& context);
int showSetupFile(const CommandContext& context);
int diffSetups(const CommandContext& context);
int showHistory(const CommandContext& context);
int listInstruments(const CommandContext& context);
