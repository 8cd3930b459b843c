#pragma once

#include "device/DeviceInfo.h"
#include "operations/OperationFailure.h"
#include "operations/SetupComparison.h"
#include "setup/SetupRecord.h"

#include <optional>
#include <vector>

// What reading a written setup back found: the fields the instrument holds otherwise, its
// identity among them, and the failure of a save it did not keep.
struct Verification {
    std::vector<SetupDifference> differences;
    std::optional<OperationFailure> failure;
};

// Judges written (the setup and the identity a write sent) against what the instrument gave back
// and reported of itself afterwards. The failure's line names each field that differs with both
// values, for the command line and the record; its detail lists them for the window.
Verification verifyWritten(const SetupRecord& written, const DeviceInfo& writtenInfo,
                           const SetupRecord& readBack, const DeviceInfo& reported);
