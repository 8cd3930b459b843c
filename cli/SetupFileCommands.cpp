#include "cli/SetupFileCommands.h"

#include "cli/CommandContext.h"
#include "cli/SetupFileInput.h"
#include "cli/SetupTable.h"

void showSetupFile(const CommandContext& context) {
    const SetupRecord record = readExistingSetupFile(context.invocation.file);
    context.out << (context.invocation.json ? setupJson(record) : setupTable(record));
}
