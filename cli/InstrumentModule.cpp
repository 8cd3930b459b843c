#include "cli/InstrumentModule.h"

#include "cli/CommandFailure.h"
#include "cli/TextColumns.h"

namespace {

// Where the catalogue was taken from, or every place looked at when there was none, so that a
// user can tell which file lacks the module or where one belongs.
std::string catalogueWhereabouts(const ModuleCatalogue& catalogue) {
    if (const auto location = catalogue.location())
        return " (" + terminalSafe(*location) + ")";
    std::string looked = ": no Modules.dat found; looked for";
    const char* separator = " ";
    for (const std::string& place : catalogue.places()) {
        looked += separator + terminalSafe(place);
        separator = ", ";
    }
    return looked;
}

} // namespace

ModuleCatalogue::Module requireModule(const ModuleCatalogue& catalogue, int moduleType) {
    if (auto module = catalogue.lookup(moduleType))
        return *module;
    throw CommandFailure("Module type " + std::to_string(moduleType) +
                         " is not in the module catalogue" + catalogueWhereabouts(catalogue) + ".");
}

DeviceInfo deviceInfoOf(const DeviceIdentity& identity, const ModuleCatalogue::Module& module) {
    return {identity.serialText, module.code, identity.firmwareText(),
            static_cast<std::uint8_t>(module.leadCount)};
}
