#pragma once

#include "cli/CommandTable.h"

#include <chrono>
#include <optional>
#include <span>
#include <string>
#include <string_view>

// What one command line asks for.
struct Invocation {
    Command command = Command::Help;
    std::optional<Command> helpTopic; // help of this command rather than of the program
    bool version = false;             // --version: the program's name and version

    // The port: COM n through zenset.sys, or a device path.
    std::optional<int> comNumber;
    std::string devicePath;
    std::chrono::milliseconds wait{5000}; // for the instrument's first answer
    // From a reply to the next request; zenset.sys decides when it is not given.
    std::optional<std::chrono::milliseconds> minimumSpacing;

    std::string file; // read: the file written; write and show: the file read

    std::optional<std::string> serialText; // as typed: 1 to 8 digits; for history any text
    bool nextSerial = false;
    std::optional<int> moduleType;
    bool verify = false;

    bool quiet = false;
    bool json = false;
    bool digest = false;                           // show: the setup's digest alone
    std::optional<std::chrono::sys_seconds> since; // history: the rows from this time on
};

struct ParsedCommandLine {
    std::optional<Invocation> invocation; // none when the command line is wrong
    std::optional<Command> command;       // the command it names, when it names one
    std::string error;
};

// The arguments after the program's name.
ParsedCommandLine parseCommandLine(std::span<const std::string_view> arguments);
