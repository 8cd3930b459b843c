#pragma once

#include "config/ModuleCatalogue.h"
#include "device/DeviceInfo.h"
#include "device/Registers.h"

#include <optional>
#include <string>
#include <string_view>

// The instrument as an operation writes or reads it: its identity with the module's lead count.
DeviceInfo instrumentInfo(const DeviceIdentity& identity, const ModuleCatalogue::Module& module);

// The module of moduleType from the catalogue. Throws Failure, naming where the catalogue was
// looked for and what to do, when it is not there.
ModuleCatalogue::Module requireModule(const ModuleCatalogue& catalogue, int moduleType);

// The module an operation transfers: the one the technician chose from the catalogue, else the
// instrument's own reported type when the catalogue knows it. Nothing else is ever written into
// an instrument: otherwise throws Failure as requireModule does.
ModuleCatalogue::Module moduleToUse(const ModuleCatalogue& catalogue,
                                    const std::optional<ModuleCatalogue::Module>& chosen,
                                    int reportedType);

// The serial number a write puts into an instrument that holds current: chosen when given, the
// next one when asked for, else its own.
// Throws Failure for the next one when current is no number, SerialNumbersRunOut when the series
// has run out of digits.
std::string serialToWrite(const std::string& current, const std::optional<std::string>& chosen,
                          bool next);
