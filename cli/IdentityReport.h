#pragma once

#include "config/ModuleCatalogue.h"
#include "device/Registers.h"

#include <optional>
#include <string>

// What identify prints: the port, the serial number, the module type with its catalogue text
// and lead count (none when the catalogue does not know it) and the firmware revision.
std::string identityText(const std::string& devicePath, const DeviceIdentity& identity,
                         const std::optional<ModuleCatalogue::Module>& module);
std::string identityJson(const std::string& devicePath, const DeviceIdentity& identity,
                         const std::optional<ModuleCatalogue::Module>& module);
