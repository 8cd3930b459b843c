#include "cli/DiffCommand.h"

#include "cli/CommandContext.h"
#include "cli/DifferenceText.h"
#include "cli/ExitStatus.h"
#include "cli/InstrumentCommands.h"
#include "cli/JsonText.h"
#include "cli/SetupFileInput.h"
#include "operations/SetupComparison.h"

namespace {

// Two files each hold all of their leads.
int compareFiles(const CommandContext& context, const SetupRecord& first) {
    const Invocation& invocation = context.invocation;
    const SetupRecord second = readSetupFileHoldingSetup(invocation.secondFile);
    const std::vector<SetupDifference> differences =
        setupDifferences(first, second, SetupRecord::kMaxLeads);
    if (invocation.json)
        context.out << JsonObject()
                           .add("file1", jsonString(invocation.file))
                           .add("file2", jsonString(invocation.secondFile))
                           .add("result", jsonString(differences.empty() ? "same" : "differs"))
                           .add("differences",
                                jsonArray(differencesJson(differences, "file1", "file2"), 1))
                           .text()
                    << '\n';
    else if (!invocation.quiet)
        context.out << differenceLines(differences, inFile(invocation.file),
                                       inFile(invocation.secondFile));
    return differences.empty() ? kExitSuccess : kExitDiffers;
}

} // namespace

int diffSetups(const CommandContext& context) {
    const SetupRecord setup = readSetupFileHoldingSetup(context.invocation.file);
    if (!context.invocation.secondFile.empty())
        return compareFiles(context, setup);
    return compareWithInstruments(context, setup);
}
