#include "cli/SetupFileCommands.h"

#include "cli/CommandContext.h"
#include "cli/ExitStatus.h"
#include "cli/SetupFileInput.h"
#include "cli/SetupTable.h"
#include "config/SetupDigest.h"
#include "sheet/SetupSheet.h"
#include "sheet/SetupSheetOutput.h"

int showSetupFile(const CommandContext& context) {
    const Invocation& invocation = context.invocation;
    if (invocation.pdf) {
        SetupSheetOutput sheet(*invocation.pdf, context.out);
        sheet.write(setupSheetOf(readExistingSetupFile(invocation.file), invocation.file));
        return kExitSuccess;
    }
    const SetupRecord record = readExistingSetupFile(invocation.file);
    if (invocation.digest)
        context.out << setupDigest(record) << '\n';
    else
        context.out << (invocation.json ? setupJson(record) : setupTable(record));
    return kExitSuccess;
}
