#include "app/ProgramArguments.h"

ProgramArguments readProgramArguments(std::span<const std::string> arguments) {
    ProgramArguments parsed;
    std::vector<std::string> files;
    bool optionsEnded = false;
    for (const std::string& argument : arguments) {
        if (optionsEnded || argument == "-" || !argument.starts_with('-')) {
            files.push_back(argument);
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (argument == "--help" || argument == "-h") {
            return {ProgramArguments::Request::Help, {}, {}};
        } else if (argument == "--version" || argument == "-v") {
            return {ProgramArguments::Request::Version, {}, {}};
        } else if (parsed.misuse.empty()) {
            parsed = {ProgramArguments::Request::Misuse, {}, "unknown option " + argument};
        }
    }
    if (parsed.request == ProgramArguments::Request::Misuse)
        return parsed;
    if (files.size() > 1)
        return {ProgramArguments::Request::Misuse, {}, "only one setup file can be opened"};
    if (!files.empty())
        parsed.setupFile = files.front();
    return parsed;
}

std::string helpText() {
    return "Usage: mirafen [OPTION]... [FILE.prp]\n"
           "Prepare the setup of a Zentiq lead impedance tester, keep it in setup files and\n"
           "read it from or write it into the instrument over a serial port.\n"
           "\n"
           "With FILE.prp the window starts with that setup file loaded.\n"
           "\n"
           "  -h, --help     show this help and exit\n"
           "  -v, --version  show the version and exit\n"
           "\n"
           "Qt's own options (-platform, -style and others) are taken as well.\n"
           "Press F1 in the window for the help page; see also mirafen(1).\n";
}

std::string versionText() {
    return "mirafen " MIRAFEN_VERSION "\n";
}

std::vector<std::string> argumentsAfterName(int argc, char** argv) {
    return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>{};
}
