#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

// What mirafen's command line asks for: `mirafen [--help] [--version] [FILE.prp]`.
struct ProgramArguments {
    enum class Request { Run, Help, Version, Misuse };

    Request request = Request::Run;
    // The setup file to load at start-up.
    std::optional<std::string> setupFile;
    // What was wrong with a misused command line, for a one-line message.
    std::string misuse;
};

// Reads the arguments after the program's name. --help and --version win wherever they stand
// (before a "--"), so that they are answered even beside options meant for Qt.
ProgramArguments readProgramArguments(std::span<const std::string> arguments);

std::string helpText();
std::string versionText();

// The arguments of main() after the program's name.
std::vector<std::string> argumentsAfterName(int argc, char** argv);
