#pragma once

#include "device/DeviceInfo.h"
#include "setup/SetupRecord.h"

#include <optional>
#include <string>

// Compares what a write of record and info sent, register by register and the identity
// included, with what was read back from the instrument afterwards: the one-line reason naming
// the registers whose content differs, none when the instrument kept everything. An
// acknowledgement says only that the instrument received a request; this says that it kept it.
std::optional<std::string> verificationFailure(const SetupRecord& record, const DeviceInfo& info,
                                               const SetupRecord& readBack,
                                               const DeviceInfo& readInfo);
