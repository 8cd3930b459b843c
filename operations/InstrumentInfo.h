#pragma once

#include "config/ModuleCatalogue.h"
#include "device/DeviceInfo.h"
#include "device/Registers.h"

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

// An operation that cannot go on with what it was given (a module the catalogue lacks, a serial
// number that cannot count on); what() is the one-line reason.
class OperationRefused : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The instrument as an operation writes or reads it: its identity with the module's lead count.
DeviceInfo instrumentInfo(const DeviceIdentity& identity, const ModuleCatalogue::Module& module);

// The module of moduleType from the catalogue; refused, naming where the catalogue was looked
// for, when it is not there.
ModuleCatalogue::Module requireModule(const ModuleCatalogue& catalogue, int moduleType);

// The serial number a write puts into an instrument that holds current: chosen when given, the
// next one when asked for, else its own.
// The next one is refused when current is no number or the series has run out of digits.
std::string serialToWrite(const std::string& current, const std::optional<std::string>& chosen,
                          bool next);
