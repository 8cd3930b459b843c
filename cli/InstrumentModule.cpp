#include "cli/InstrumentModule.h"

#include "cli/CommandFailure.h"

ModuleCatalogue::Module requireModule(const ModuleCatalogue& catalogue, int moduleType) {
    if (auto module = catalogue.lookup(moduleType))
        return *module;
    throw CommandFailure("Module type " + std::to_string(moduleType) +
                         " is not in the module catalogue (Modules.dat in the working directory "
                         "or the data folder).");
}

DeviceInfo deviceInfoOf(const DeviceIdentity& identity, const ModuleCatalogue::Module& module) {
    return {identity.serialText, module.code, identity.firmwareText(),
            static_cast<std::uint8_t>(module.leadCount)};
}
