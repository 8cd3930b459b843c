#include "cli/IdentityReport.h"

#include "cli/JsonText.h"
#include "cli/TextColumns.h"

std::string identityText(const std::string& devicePath, const DeviceIdentity& identity,
                         const std::optional<ModuleCatalogue::Module>& module) {
    const std::string moduleText = module ? module->listText : "not in the module catalogue";
    const std::string leadCount = module ? std::to_string(module->leadCount) : "unknown";
    return "Device:         " + terminalSafe(devicePath) + "\n" +
           "Serial number:  " + terminalSafe(identity.serialText) + "\n" +
           "Module type:    " + std::to_string(identity.moduleType) + " (" +
           terminalSafe(moduleText) + ")\n" + "Lead count:     " + leadCount + "\n" +
           "Firmware rev:   " + identity.firmwareText() + "\n";
}

std::string identityJson(const std::string& devicePath, const DeviceIdentity& identity,
                         const std::optional<ModuleCatalogue::Module>& module) {
    return JsonObject()
               .add("device", jsonString(devicePath))
               .add("serialNumber", jsonString(identity.serialText))
               .add("moduleType", std::to_string(identity.moduleType))
               .add("module", module ? jsonString(module->listText) : "null")
               .add("leadCount", module ? std::to_string(module->leadCount) : "null")
               .add("firmware", jsonString(identity.firmwareText()))
               .text() +
           "\n";
}
