#include "app/ProgramArguments.h"

#include "arguments/ArgumentReader.h"

#include <array>
#include <string_view>

namespace {

// The options of mirafen; Qt takes its own (-platform, -style and others) before these are read.
struct ProgramOption {
    OptionName name;
    ProgramArguments::Request request;
    std::string_view help;
};

constexpr std::array kOptions{
    ProgramOption{{"--help", "-h", ""}, ProgramArguments::Request::Help, "show this help and exit"},
    ProgramOption{
        {"--version", "-v", ""}, ProgramArguments::Request::Version, "show the version and exit"},
};

// The help lines start at this column.
constexpr std::size_t kHelpColumn = 17;

} // namespace

ProgramArguments readProgramArguments(std::span<const std::string> arguments) {
    std::vector<OptionName> names;
    for (const ProgramOption& option : kOptions)
        names.push_back(option.name);
    const std::vector<std::string_view> texts(arguments.begin(), arguments.end());
    ProgramArguments parsed;
    std::vector<std::string> files;
    ArgumentReader reader(texts, names);
    while (const std::optional<ArgumentItem> item = reader.next()) {
        if (item->kind == ArgumentItem::Kind::Positional)
            files.emplace_back(item->value);
        else if (item->kind == ArgumentItem::Kind::Option)
            return {kOptions[item->option].request, {}, {}};
        else if (parsed.misuse.empty())
            parsed = {ProgramArguments::Request::Misuse,
                      {},
                      "unknown option " + std::string(item->argument)};
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
    std::string options;
    for (const ProgramOption& option : kOptions)
        options += helpEntry(option.name.label(), option.help, kHelpColumn);
    return "Usage: mirafen [OPTION]... [FILE.prp]\n"
           "Prepare the setup of a Zentiq lead impedance tester, keep it in setup files and\n"
           "read it from or write it into the instrument over a serial port.\n"
           "\n"
           "With FILE.prp the window starts with that setup file loaded.\n"
           "\n" +
           options +
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
