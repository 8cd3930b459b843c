#pragma once

#include "config/ModuleCatalogue.h"
#include "config/TransferRow.h"
#include "device/DeviceInfo.h"
#include "device/Registers.h"
#include "operations/OperationFailure.h"
#include "operations/OperationKind.h"
#include "operations/SetupComparison.h"
#include "setup/SetupRecord.h"

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// What a front end asks of one instrument.
struct OperationRequest {
    const OperationKind* kind = &Operations::identify;
    std::string program; // in the record: mirafen or mirafen-cli
    std::string devicePath;
    // How long the instrument is given to tell its identity.
    std::chrono::milliseconds wait{5000};
    // The identity the instrument last reported (the window's poll): it is not asked first.
    std::optional<DeviceIdentity> identity;
    // The module the technician chose from the catalogue: written, and whose leads are read.
    // Else the instrument's own, when the catalogue knows it.
    std::optional<ModuleCatalogue::Module> module;
    // Write: the serial number written; else the instrument's own, or the next one.
    std::optional<std::string> serialText;
    bool nextSerial = false;
    // Write: read the setup back afterwards and compare it with what was written.
    bool verify = false;
    // Write: what goes in; read: what the read starts from (leads beyond the module stay);
    // compare: what the instrument's setup is compared with.
    SetupRecord setup;
    // The setup file named in the record.
    std::string setupFile;
    // Read: names the setup file for the instrument and throws Failure (a FileError) when it
    // cannot be written, before the transfer is spent on it.
    std::function<std::string(const DeviceIdentity& identity)> setupFileFor;
    // Read: keeps what was read (a file written); throws Failure (a FileError).
    std::function<void(const SetupRecord& setup, const std::string& setupFile)> keep;
};

// How an operation ended, for every front end: the one account of what the instrument now
// holds.
struct OperationOutcome {
    enum class Result { Completed, Failed, Cancelled };

    Result result = Result::Completed;
    std::optional<OperationFailure> failure;
    // The port opened and an instrument answered; false for a port without one.
    bool instrumentAnswered = false;
    std::optional<DeviceIdentity> identityBefore;
    // The identity the instrument holds now; none when a cancelled save leaves it unknown.
    std::optional<DeviceIdentity> identityAfter;
    std::optional<ModuleCatalogue::Module> module;
    // What was written or read with.
    DeviceInfo device;
    // Read and compare: what was read; write: what was written.
    SetupRecord setup;
    std::string setupFile;
    bool verified = false;
    // A comparison was made: differences holds what it found.
    bool compared = false;
    // Of a verify that failed; of a comparison, none when the instrument holds the setup.
    std::vector<SetupDifference> differences;
    std::vector<TransferRow> rows; // for the record, one per transfer begun
    // The record could not take the rows: why. What was done with the instrument stands.
    std::optional<std::string> recordFailure;
};
