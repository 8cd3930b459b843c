#include "cli/InstrumentCommands.h"

#include "cli/CommandContext.h"
#include "cli/IdentityReport.h"
#include "cli/InstrumentConnection.h"
#include "cli/InstrumentModule.h"
#include "cli/SetupFileInput.h"
#include "cli/TextColumns.h"
#include "cli/WriteVerification.h"
#include "device/SerialNumberText.h"
#include "setup/KeyValueFile.h"
#include "setup/SetupFile.h"

#include <cerrno>
#include <filesystem>
#include <unistd.h>

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

// A setup file that could not be written fails before the transfer is spent on it.
void requireWritable(const std::string& path) {
    std::error_code error;
    if (std::filesystem::exists(path, error)) {
        KeyValueFile file;
        if (!file.open(path, false))
            throw file.openFailure();
        return;
    }
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    if (::access(folder.empty() ? "." : folder.c_str(), W_OK | X_OK) != 0)
        throw FileError::fromErrno(errno, path);
}

} // namespace

void identifyInstrument(const CommandContext& context) {
    const InstrumentConnection instrument(context);
    const DeviceIdentity& identity = instrument.identity();
    const auto module = ModuleCatalogue(context.settings.dataFolder()).lookup(identity.moduleType);
    context.out << (context.invocation.json
                        ? identityJson(instrument.devicePath(), identity, module)
                        : identityText(instrument.devicePath(), identity, module));
}

void readFromInstrument(const CommandContext& context) {
    const Invocation& invocation = context.invocation;
    requireWritable(invocation.file);
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

void writeToInstrument(const CommandContext& context) {
    const Invocation& invocation = context.invocation;
    SetupRecord record = readExistingSetupFile(invocation.file);
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
