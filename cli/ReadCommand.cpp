#include "cli/CommandContext.h"
#include "cli/Commands.h"
#include "cli/InstrumentConnection.h"
#include "cli/InstrumentModule.h"
#include "cli/TextColumns.h"
#include "setup/SetupFile.h"

void readFromInstrument(const CommandContext& context) {
    const Invocation& invocation = context.invocation;
    const ModuleCatalogue catalogue(context.settings.dataFolder());
    InstrumentConnection instrument(context);
    const ModuleCatalogue::Module module =
        requireModule(catalogue, instrument.identity().moduleType);
    DeviceInfo info = deviceInfoOf(instrument.identity(), module);

    SetupRecord record;
    instrument.transfer(record, info, TransferExchange::Direction::Read, "Reading");
    // As the window shows a completed load, and so saves it.
    record.normalizeCodes();
    writeSetupFile(record, invocation.file);

    if (!invocation.quiet)
        context.out << "Read the setup of instrument " << terminalSafe(info.serialText) << " ("
                    << terminalSafe(module.listText) << ") into " << invocation.file << ".\n";
}
