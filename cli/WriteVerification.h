#pragma once

#include "device/DeviceInfo.h"
#include "setup/SetupRecord.h"

class InstrumentConnection;

// Reads back every register a write of record and info sent, the identity included, and
// throws CommandFailure naming those whose content differs. An acknowledgement says only that
// the instrument received a request; this says that it kept it.
void verifyWrite(InstrumentConnection& instrument, const SetupRecord& record,
                 const DeviceInfo& info);
