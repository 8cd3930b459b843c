#include "cli/CommandLine.h"

#include "cli/CommandContext.h"
#include "cli/CommandFailure.h"
#include "cli/Commands.h"
#include "cli/Usage.h"
#include "setup/FileError.h"

namespace {

void runCommand(const CommandContext& context) {
    switch (context.invocation.command) {
    case Command::Ports:
        return listPorts(context);
    case Command::Identify:
        return identifyInstrument(context);
    case Command::Read:
        return readFromInstrument(context);
    case Command::Write:
        return writeToInstrument(context);
    case Command::Show:
        return showSetupFile(context);
    case Command::Help:
        context.out << helpText(context.invocation.helpTopic);
        return;
    }
}

} // namespace

int runCommandLine(std::span<const std::string_view> arguments, std::ostream& out,
                   std::ostream& err, bool errIsTerminal) {
    const ParsedCommandLine parsed = parseCommandLine(arguments);
    if (!parsed.invocation) {
        err << "mirafen-cli: " << parsed.error << "\n\n" << helpText(parsed.command);
        return kExitUsage;
    }
    const Invocation& invocation = *parsed.invocation;
    ProgramSettings settings;
    if (invocation.command != Command::Help)
        settings.establishDataFolder();
    try {
        runCommand({invocation, out, err, errIsTerminal && !invocation.quiet, settings});
        return kExitSuccess;
    } catch (const CommandFailure& failure) {
        err << failure.what() << '\n';
    } catch (const FileError& error) {
        err << error.standardText() << '\n';
    }
    return kExitFailure;
}
