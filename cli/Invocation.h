#pragma once

#include "cli/CommandTable.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// What one command line asks for.
struct Invocation {
    Command command = Command::Help;
    std::optional<Command> helpTopic; // help of this command rather than of the program
    bool version = false;             // --version: the program's name and version

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
};

struct ParsedCommandLine {
    std::optional<Invocation> invocation; // none when the command line is wrong
    std::optional<Command> command;       // the command it names, when it names one
    std::string error;
};

// What stands for the instrument's serial number in the file name of a read from several.
inline constexpr std::string_view kSerialPlaceholder = "{serial}";

// The arguments after the program's name.
ParsedCommandLine parseCommandLine(std::span<const std::string_view> arguments);
