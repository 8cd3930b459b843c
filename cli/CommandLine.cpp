#include "cli/CommandLine.h"

#include "cli/CommandContext.h"
#include "cli/CommandTable.h"
#include "setup/Failure.h"

int runCommandLine(std::span<const std::string_view> arguments, std::ostream& out,
                   std::ostream& err, bool errIsTerminal) {
    const ParsedCommandLine parsed = parseCommandLine(arguments);
    if (!parsed.invocation) {
        // What was wrong in one line, and where the help is, as other tools say it.
        const bool ofCommand = parsed.command && *parsed.command != Command::Help;
        err << "mirafen-cli: " << parsed.error << "\nTry 'mirafen-cli "
            << (ofCommand ? std::string(commandEntry(*parsed.command).name) + " " : "")
            << "--help'.\n";
        return kExitUsage;
    }
    const Invocation& invocation = *parsed.invocation;
    if (invocation.version) {
        out << "mirafen-cli " << MIRAFEN_VERSION << '\n';
        return kExitSuccess;
    }
    ProgramSettings settings;
    if (invocation.command != Command::Help)
        settings.establishDataFolder();
    const CommandEntry& command = commandEntry(invocation.command);
    try {
        const CommandContext context{invocation, out, err, errIsTerminal && !invocation.quiet,
                                     settings};
        return command.run(context);
    } catch (const Failure& failure) {
        err << failure.what() << '\n';
    }
    return command.failureStatus;
}
