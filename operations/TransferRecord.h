#pragma once

#include "config/TransferRow.h"
#include "device/DeviceInfo.h"
#include "device/TransferFailure.h"
#include "operations/OperationRequest.h"

#include <string>
#include <string_view>
#include <vector>

// What the record keeps of one transfer, as an operation saw it.
struct TransferFacts {
    std::string_view program;
    std::string_view action;
    std::string devicePath;
    std::string serialBefore; // the instrument's serial number before the transfer
    std::string serialAfter;  // and after it, as the operation knows it; empty when unknown
    DeviceInfo device;        // what was written or read with
    std::string setupFile;    // "-" and empty name none
    const SetupRecord* setup = nullptr;
    OperationOutcome::Result result = OperationOutcome::Result::Completed;
    const OperationFailure* failure = nullptr;
    const TransferFailure* transferFailure = nullptr;
    // A comparison that was made: what it found, for its result and detail.
    const std::vector<SetupDifference>* differences = nullptr;
};

// The transfer's row of the record, by one rule for every front end.
TransferRow transferRow(const TransferFacts& facts);
