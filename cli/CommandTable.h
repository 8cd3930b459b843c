#pragma once

#include "cli/ExitStatus.h"

#include <optional>
#include <span>
#include <string_view>

struct CommandContext;

enum class Command { Help, Ports, Identify, Read, Write, Show, Diff, History };

enum class Option {
    Port,
    Device,
    AllPorts,
    Wait,
    MinSpacing,
    Output,
    Serial,
    NextSerial,
    SerialFrom,
    Module,
    Verify,
    Quiet,
    Json,
    Digest,
    Pdf,
    Since,
    Until,
    Help,
};

// One command of mirafen-cli: its name, the options it takes besides --help, its help text, the
// function that does its work and returns the exit status, and the exit status when it fails.
// The function throws Failure when it cannot do its work; what it prints
// otherwise goes to the context's out.
struct CommandEntry {
    Command command;
    std::string_view name;
    std::span<const Option> options;
    std::string_view help;
    int (*run)(const CommandContext& context);
    int failureStatus = kExitFailure;

    bool accepts(Option option) const;
    // It opens the instrument's port, so it needs --port or --device.
    bool talksToInstrument() const { return accepts(Option::Port); }
};

// Every command, "help" first.
std::span<const CommandEntry> commandTable();
const CommandEntry* commandNamed(std::string_view name);
const CommandEntry& commandEntry(Command command);
// The help of one command, or of the program when there is none.
std::string_view helpText(std::optional<Command> command);
