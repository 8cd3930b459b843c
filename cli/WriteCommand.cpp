#include "cli/CommandContext.h"
#include "cli/Commands.h"
#include "cli/InstrumentConnection.h"
#include "cli/InstrumentModule.h"
#include "cli/SetupFileInput.h"
#include "cli/TextColumns.h"
#include "cli/WriteVerification.h"
#include "device/SerialNumberText.h"

namespace {

// The serial number written: as the Serial Number edit commits a typed one, as "S/N +1"
// counts on from the instrument's, or the instrument's own.
std::string serialTextToWrite(const Invocation& invocation, const DeviceIdentity& identity) {
    if (invocation.serialText)
        return normalizedSerialText(*invocation.serialText);
    if (invocation.nextSerial)
        return nextSerialText(identity.serialText);
    return identity.serialText;
}

} // namespace

void writeToInstrument(const CommandContext& context) {
    const Invocation& invocation = context.invocation;
    SetupRecord record = readSetupFileToWrite(invocation.file);
    const ModuleCatalogue catalogue(context.settings.dataFolder());
    // A module type that cannot be written is refused before the instrument is asked anything.
    std::optional<ModuleCatalogue::Module> chosenModule;
    if (invocation.moduleType)
        chosenModule = requireModule(catalogue, *invocation.moduleType);

    InstrumentConnection instrument(context);
    const DeviceIdentity& identity = instrument.identity();
    const ModuleCatalogue::Module module =
        chosenModule ? *chosenModule : requireModule(catalogue, identity.moduleType);
    DeviceInfo info = deviceInfoOf(identity, module);
    info.serialText = serialTextToWrite(invocation, identity);

    instrument.transfer(record, info, TransferExchange::Direction::Write, "Writing");
    if (invocation.verify)
        verifyWrite(instrument, record, info);

    if (!invocation.quiet)
        context.out << "Wrote " << invocation.file << " into instrument "
                    << terminalSafe(info.serialText) << " (" << terminalSafe(module.listText) << ")"
                    << (invocation.verify ? ", verified" : "") << ".\n";
}
