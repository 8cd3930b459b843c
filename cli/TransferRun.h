#pragma once

#include "device/DeviceInfo.h"
#include "device/TransferExchange.h"
#include "setup/SetupRecord.h"

class ProgressLine;
class SerialLink;

// Runs one transfer to its end at the window's pace. Throws CommandFailure with the window's
// "Error Occured During Transfer." followed by the request that failed and how.
void runTransfer(SerialLink& link, SetupRecord& record, DeviceInfo& info,
                 TransferExchange::Direction direction, ProgressLine& progress);
