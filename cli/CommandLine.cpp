#include "cli/CommandLine.h"

#include "arguments/ArgumentReader.h"
#include "cli/CommandTable.h"
#include "cli/Department.h"
#include "cli/OutputFormats.h"
#include "device/SerialNumber.h"
#include "setup/Failure.h"

#include <cstdlib>
#include <vector>

namespace {

void expectNoMore(std::span<const std::string_view> arguments, std::size_t count) {
    if (arguments.size() > count)
        throw UsageError{"unexpected argument '" + std::string(arguments[count]) + "'"};
}

// diff FILE1 FILE2 talks to no instrument.
void checkTwoFiles(const Invocation& invocation) {
    if (invocation.allPorts || !invocation.comNumbers.empty() || !invocation.devicePaths.empty() ||
        invocation.wait || invocation.minimumSpacing)
        throw UsageError{"diff FILE1 FILE2 compares two files: the instrument's options are "
                         "for diff FILE with --port, --device or --all"};
    if (invocation.file == "-" && invocation.secondFile == "-")
        throw UsageError{"- stands for standard input once"};
}

void checkPorts(const Invocation& invocation) {
    const std::size_t named = invocation.comNumbers.size() + invocation.devicePaths.size();
    if (!invocation.comNumbers.empty() && !invocation.devicePaths.empty())
        throw UsageError{"--port and --device exclude each other"};
    if (invocation.allPorts && named > 0)
        throw UsageError{"--all excludes --port and --device"};
    if (!invocation.allPorts && named == 0)
        throw UsageError{"give the port: --port N or --device PATH"};
    // Two instruments must never get one serial number.
    if (invocation.isBatch() && invocation.serialText)
        throw UsageError{"--serial gives one instrument its number: with several, use "
                         "--serial-from or --next-serial"};
    if (invocation.firstSerial) {
        if (invocation.allPorts)
            throw UsageError{"--serial-from numbers the ports in the order named, which "
                             "--all does not give"};
        if (*invocation.firstSerial + named - 1 > kLastSerialNumber)
            throw UsageError{"--serial-from " + std::to_string(*invocation.firstSerial) +
                             " runs past " + std::to_string(kLastSerialNumber) + " for " +
                             std::to_string(named) + " instruments"};
    }
    if (invocation.command->writesFileForEachInstrument() && invocation.isBatch() &&
        invocation.file.find(kSerialPlaceholder) == std::string::npos)
        throw UsageError{"read from several instruments needs {serial} in the file name, "
                         "e.g. -o ward4-{serial}.prp"};
    if (invocation.file == "-" && invocation.isBatch())
        throw UsageError{"- as the file is for one instrument"};
    if (invocation.pdf && invocation.isBatch())
        throw UsageError{"--pdf is for one instrument"};
}

// What no command takes together, then what its own row refuses.
void checkComplete(const Invocation& invocation) {
    const CommandRow& command = *invocation.command;
    if (!invocation.secondFile.empty())
        checkTwoFiles(invocation);
    else if (command.talksToInstrument())
        checkPorts(invocation);
    if (invocation.digest && invocation.json)
        throw UsageError{"--digest and --json exclude each other"};
    if (command.check != nullptr)
        command.check(invocation);
    if (invocation.serialText && invocation.nextSerial)
        throw UsageError{"--serial and --next-serial exclude each other"};
    if (invocation.firstSerial && (invocation.serialText || invocation.nextSerial))
        throw UsageError{"--serial-from excludes --serial and --next-serial"};
}

// The arguments after the command's name, as its row takes them; --help anywhere before a
// "--" asks for the command's help instead.
Invocation commandInvocation(const CommandRow& command,
                             std::span<const std::string_view> arguments) {
    static constexpr OptionName kHelp{"--help", "-h", ""};
    std::vector<OptionName> names;
    for (const TakenOption& taken : command.options)
        names.push_back(taken.option->name);
    names.push_back(kHelp);

    Invocation invocation;
    invocation.command = &command;
    std::size_t positionals = 0;
    ArgumentReader reader(arguments, names);
    using Kind = ArgumentItem::Kind;
    while (const std::optional<ArgumentItem> item = reader.next()) {
        const std::string longName(
            item->kind == Kind::UnknownOption ? item->name : names[item->option].longName);
        switch (item->kind) {
        case Kind::UnknownOption:
            throw UsageError{"unknown option '" + longName + "' for " + std::string(command.name)};
        case Kind::MissingValue:
            throw UsageError{longName + " needs a value"};
        case Kind::UnwantedValue:
            throw UsageError{longName + " takes no value"};
        case Kind::Positional:
            if (positionals == command.positionals.size())
                throw UsageError{"unexpected argument '" + std::string(item->value) + "'"};
            command.positionals[positionals++].fill(invocation, item->value);
            break;
        case Kind::Option:
            if (item->option == command.options.size()) {
                Invocation help;
                help.command = &helpCommand();
                help.helpTopic = &command;
                return help;
            }
            command.options[item->option].option->fill(invocation, item->value);
            break;
        }
    }
    if (positionals < command.positionals.size() && command.positionals[positionals].required())
        throw UsageError{std::string(command.name) + " needs " +
                         std::string(command.positionals[positionals].what)};
    checkComplete(invocation);
    return invocation;
}

Invocation parseCommandLine(std::span<const std::string_view> arguments) {
    if (arguments.empty())
        throw UsageError{"no command given"};
    Invocation invocation;
    if (arguments[0] == "--help" || arguments[0] == "-h") {
        expectNoMore(arguments, 1);
        invocation.command = &helpCommand();
        return invocation;
    }
    if (arguments[0] == "--version") {
        expectNoMore(arguments, 1);
        invocation.version = true;
        return invocation;
    }
    const CommandRow* command = commandNamed(arguments[0]);
    if (command == nullptr)
        throw UsageError{"unknown command '" + std::string(arguments[0]) + "'"};
    return commandInvocation(*command, arguments.subspan(1));
}

} // namespace

int runCommandLine(std::span<const std::string_view> arguments, std::ostream& out,
                   std::ostream& err, bool errIsTerminal) {
    Invocation invocation;
    try {
        invocation = parseCommandLine(arguments);
    } catch (const UsageError& error) {
        // What was wrong in one line, and where the help is, as other tools say it.
        const CommandRow* command = arguments.empty() ? nullptr : commandNamed(arguments[0]);
        const bool ofCommand = command != nullptr && command != &helpCommand();
        err << "mirafen-cli: " << error.text << "\nTry 'mirafen-cli "
            << (ofCommand ? std::string(command->name) + " " : "") << "--help'.\n";
        return kExitUsage;
    }
    if (invocation.version) {
        out << "mirafen-cli " << MIRAFEN_VERSION << '\n';
        return kExitSuccess;
    }
    const CommandRow& command = *invocation.command;
    ProgramSettings settings;
    if (command.usesDataFolder)
        settings.establishDataFolder();
    int status = command.failureStatus;
    try {
        const CommandContext context{
            invocation, out,
            err,        errIsTerminal && !invocation.quiet,
            settings,   FrameTrace::fromSetting(std::getenv("MIRAFEN_TRACE"), err)};
        status = command.run(context);
    } catch (const Failure& failure) {
        err << failure.what() << '\n';
    }
    if (command.usesDataFolder)
        deliverQueuedRows(settings, err);
    return status;
}
