#include "operations/InstrumentInfo.h"

#include "device/SerialNumber.h"
#include "setup/Failure.h"

#include <algorithm>

namespace {

// Where the catalogue was taken from, or every place looked at when there was none, so that a
// user can tell which file lacks the module or where one belongs.
std::string catalogueWhereabouts(const ModuleCatalogue& catalogue) {
    if (const auto location = catalogue.location())
        return " (" + *location + ")";
    std::string looked = ": no Modules.dat found; looked for";
    const char* separator = " ";
    for (const std::string& place : catalogue.places()) {
        looked += separator + place;
        separator = ", ";
    }
    return looked;
}

} // namespace

DeviceInfo instrumentInfo(const DeviceIdentity& identity, const ModuleCatalogue::Module& module) {
    return {identity.serialText, module.code, identity.firmwareText(),
            static_cast<std::uint8_t>(std::min(module.leadCount, SetupRecord::kMaxLeads))};
}

ModuleCatalogue::Module requireModule(const ModuleCatalogue& catalogue, int moduleType) {
    if (auto module = catalogue.lookup(moduleType))
        return *module;
    throw Failure("Module type " + std::to_string(moduleType) + " is not in the module catalogue" +
                  catalogueWhereabouts(catalogue) +
                  ". Choose the instrument's module type, or provide a module catalogue that "
                  "knows it.");
}

ModuleCatalogue::Module moduleToUse(const ModuleCatalogue& catalogue,
                                    const std::optional<ModuleCatalogue::Module>& chosen,
                                    int reportedType) {
    return chosen ? *chosen : requireModule(catalogue, reportedType);
}

std::string serialToWrite(const std::string& current, const std::optional<std::string>& chosen,
                          bool next) {
    if (chosen)
        return *chosen;
    if (!next)
        return current;
    if (!parseSerialNumber(current))
        throw Failure("The serial number " + current +
                      " is not a number: no next one can be counted on from it.");
    const std::optional<std::string> following = nextSerialText(current);
    if (!following)
        throw SerialNumbersRunOut(current);
    return *following;
}
