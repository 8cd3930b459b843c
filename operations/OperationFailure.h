#pragma once

#include "device/PortError.h"
#include "device/TransferFailure.h"

#include <chrono>
#include <string>

// Why an instrument operation failed, for every front end: the designed message, the detail
// the window shows beneath it, and both as the one line the command line prints.
struct OperationFailure {
    std::string text;
    std::string detail;
    std::string line;
};

// A port that would not open: the system's reason and how to gain access to a device this user
// may not open.
OperationFailure portFailure(const PortError& error);
// A transfer that gave up, and what a save that gave up left in the instrument.
OperationFailure transferFailure(const TransferFailure& failure);
// No identity came within wait, or the line hung up while one was awaited.
OperationFailure noAnswerFailure(const std::string& devicePath, std::chrono::milliseconds wait,
                                 bool hungUp);
// A failure without a designed message of its own (a module the catalogue lacks, a file).
OperationFailure plainFailure(const std::string& line);
