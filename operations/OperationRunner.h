#pragma once

#include "config/ModuleCatalogue.h"
#include "config/TransferRow.h"
#include "device/InstrumentSession.h"
#include "device/PortError.h"
#include "operations/OperationRequest.h"

#include <functional>
#include <optional>
#include <string_view>
#include <vector>

// Runs one operation on one instrument session, for every front end: holds the session for the
// work, runs the steps of the request's kind one after the other, each started as the one before
// ends (from the session's own events, so that many run at once on one loop and the window's
// runs beside its poll), appends the rows of its transfers to the record the moment it ends,
// and only then tells whoever waits. Its outcome is the one account of what the instrument holds.
class OperationRunner {
public:
    using TimePoint = InstrumentSession::TimePoint;
    // Appends one row to the record; throws Failure when it cannot.
    using Recorder = std::function<void(const TransferRow& row)>;

    OperationRunner(InstrumentSession& session, OperationRequest request,
                    const ModuleCatalogue& catalogue, Recorder record);
    OperationRunner(const OperationRunner&) = delete;
    OperationRunner& operator=(const OperationRunner&) = delete;

    // Starts on the session's line; may end at once (a line that hung up).
    void start(TimePoint startTime);
    // A port that would not open: the operation ends failed without a step.
    void failToOpen(const PortError& error);
    void cancel();
    bool finished() const { return done; }

    const OperationRequest& request() const { return request_; }
    const OperationKind& kind() const { return *request_.kind; }
    const OperationOutcome& outcome() const { return outcome_; }
    // Progress: the request under way, counted from 1 over all of the operation's transfers,
    // and the requests of the transfers started so far.
    int requestsUnderWay() const { return finishedRequests + (total > 0 ? position + 1 : 0); }
    int requestsKnown() const { return finishedRequests + total; }
    // Runs whenever the figures above change.
    void onProgress(std::function<void()> changed) { progressChanged = std::move(changed); }
    // Runs once, when the operation has ended and its rows are in the record.
    void onEnded(std::function<void()> listener) { ended = std::move(listener); }

    // What the record will say of the transfer under way, made into a row once it is over.
    struct OpenRow {
        std::string_view action;
        // The setup the row names by its digest; none for a load that did not complete.
        enum class Named { None, Transferred, Requested, ReadBack } named = Named::None;
    };

private:
    friend struct OperationSteps;

    // Runs steps until one waits for the session or the operation ends.
    void proceed();
    void askIdentity();
    void identified();
    void startTransfer(SetupRecord& record, DeviceInfo& info,
                       InstrumentSession::Direction direction, OpenRow row);
    void transferred();
    // Makes the row of the transfer just over, with what is known of its result now.
    void closeRow();
    void setFailure(OperationFailure failure);
    void fail(OperationFailure failure);
    void finish(OperationOutcome::Result result);
    void record();

    InstrumentSession& session;
    OperationRequest request_;
    const ModuleCatalogue& catalogue;
    Recorder recorder;
    std::function<void()> ended;
    std::function<void()> progressChanged;
    std::vector<OperationStep> steps;
    std::size_t nextStep = 0;
    bool waiting = false;
    // The time of the latest call: start, or the session's event the runner reacts to.
    TimePoint now{};
    bool done = false;
    OperationOutcome outcome_;
    // The identity the latest answer named, before and after a write.
    std::optional<DeviceIdentity> answered;
    SetupRecord transferred_;
    SetupRecord readBack;
    DeviceInfo readInfo;
    std::optional<OpenRow> openRow;
    std::optional<TransferFailure> lastFailure;
    int finishedRequests = 0;
    int position = 0;
    int total = 0;
};
