#include "cli/SetupFileCommands.h"

#include "cli/CommandContext.h"
#include "cli/SetupFileInput.h"
#include "cli/SetupTable.h"
#include "config/SetupDigest.h"

void showSetupFile(const CommandContext& context) {
    const SetupRecord record = readExistingSetupFile(context.invocation.file);
    if (context.invocation.digest)
        context.out << setupDigest(record) << '\n';
    else
        context.out << (context.invocation.json ? setupJson(record) : setupTable(record));
}
