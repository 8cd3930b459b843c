#pragma once

#include "config/ModuleCatalogue.h"
#include "config/TransferRow.h"
#include "device/DeviceInfo.h"
#include "device/InstrumentSession.h"
#include "device/PortError.h"
#include "operations/OperationFailure.h"
#include "operations/SetupComparison.h"
#include "setup/SetupRecord.h"

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What a front end asks of one instrument.
struct OperationRequest {
    // Compare: read as Read does, then compare with setup; nothing is written.
    enum class Kind { Identify, Read, Write, Compare };

    Kind kind = Kind::Identify;
    std::string program; // in the record: mirafen or mirafen-cli
    std::string devicePath;
    // How long the instrument is given to tell its identity.
    std::chrono::milliseconds wait{5000};
    // The identity as the poll last had it: the operation does not ask for it first.
    std::optional<DeviceIdentity> identity;
    // The module written, and whose leads are read; else the instrument's own, from the
    // catalogue.
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

// How an operation ended, for every front end.
struct OperationOutcome {
    enum class Result { Completed, Failed, Cancelled };

    Result result = Result::Completed;
    std::optional<OperationFailure> failure;
    // The port opened and an instrument answered; false for a port without one.
    bool instrumentAnswered = false;
    std::optional<DeviceIdentity> identityBefore;
    // The identity the instrument holds now, as far as is known.
    std::optional<DeviceIdentity> identityAfter;
    std::optional<ModuleCatalogue::Module> module;
    // What was written or read with.
    DeviceInfo device;
    // Read and compare: what was read; write: what was written; verified: what was read back.
    SetupRecord setup;
    std::string setupFile;
    bool verified = false;
    // Of a verify that failed; of a comparison, none when the instrument holds the setup.
    std::vector<SetupDifference> differences;
    std::vector<TransferRow> rows; // for the record, one per transfer begun
};

// One operation on one instrument session: ask for the identity unless it is known, then read
// the setup (and compare it with another), or write one and read it back to verify. Each step is
// started as the one before ends, from the session's own events, so that many run at once on one
// loop and the window's runs beside its poll. ended runs once, when the outcome is complete.
class InstrumentOperation {
public:
    using TimePoint = InstrumentSession::TimePoint;

    InstrumentOperation(InstrumentSession& session, OperationRequest request,
                        const ModuleCatalogue& catalogue);
    InstrumentOperation(const InstrumentOperation&) = delete;
    InstrumentOperation& operator=(const InstrumentOperation&) = delete;

    // Starts on the session's line; ended may run at once (a line that hung up).
    void start(TimePoint now, std::function<void()> ended = {});
    // A port that would not open: the operation ends failed without a step.
    void failToOpen(const PortError& error);
    void cancel();
    bool finished() const { return step == Step::Done; }

    const OperationRequest& request() const { return request_; }
    const OperationOutcome& outcome() const { return outcome_; }
    // Progress: the request under way, counted from 1 over all of the operation's transfers,
    // and the requests of the transfers started so far.
    int requestsUnderWay() const { return finishedRequests + (total > 0 ? position + 1 : 0); }
    int requestsKnown() const { return finishedRequests + total; }
    // Runs whenever the figures above change.
    void onProgress(std::function<void()> changed) { progressChanged = std::move(changed); }

private:
    enum class Step { NotStarted, Identifying, Transferring, Reidentifying, VerifyingRead, Done };

    void identified(TimePoint now);
    void plan(const DeviceIdentity& identity, TimePoint now);
    void transferred(TimePoint now);
    void startTransfer(SetupRecord& record, DeviceInfo& info,
                       InstrumentSession::Direction direction, TimePoint now);
    void askIdentity(TimePoint now);
    void compareReadBack();
    void keepReadSetup();
    void setFailure(OperationFailure failure);
    void fail(OperationFailure failure);
    void finish(OperationOutcome::Result result);
    // The record's row of the transfer just ended, naming setup when there is one.
    void recordTransfer(std::string_view action, const SetupRecord* setup);

    InstrumentSession& session;
    OperationRequest request_;
    const ModuleCatalogue& catalogue;
    std::function<void()> ended;
    std::function<void()> progressChanged;
    Step step = Step::NotStarted;
    OperationOutcome outcome_;
    SetupRecord transferred_;
    SetupRecord readBack;
    DeviceInfo readInfo;
    std::optional<TransferFailure> lastFailure;
    int finishedRequests = 0;
    int position = 0;
    int total = 0;
};
