#include "cli/CommandLine.h"

#include "cli/CommandContext.h"
#include "cli/CommandTable.h"
#include "setup/Failure.h"

int runCommandLine(std::span<const std::string_view> arguments, std::ostream& out,
                   std::ostream& err, bool errIsTerminal) {
    const ParsedCommandLine parsed = parseCommandLine(arguments);
    if (!parsed.invocation) {
        err << "mirafen-cli: " << parsed.error << "\n\n" << helpText(parsed.command);
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
