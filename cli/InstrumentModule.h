#pragma once

#include "config/ModuleCatalogue.h"
#include "device/DeviceInfo.h"
#include "device/Registers.h"

// The catalogue's entry for a module type; throws CommandFailure for one it does not know,
// whose lead count, and so whose setup, is unknown. The failure names the catalogue used, or
// every place looked at when none was found.
ModuleCatalogue::Module requireModule(const ModuleCatalogue& catalogue, int moduleType);

// The device information as the window holds it once the instrument has answered.
DeviceInfo deviceInfoOf(const DeviceIdentity& identity, const ModuleCatalogue::Module& module);
