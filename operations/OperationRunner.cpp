#include "operations/OperationRunner.h"

#include "device/DeviceImage.h"
#include "operations/TransferRecord.h"
#include "setup/Failure.h"

#include <utility>

using Result = OperationOutcome::Result;

OperationRunner::OperationRunner(InstrumentSession& session, OperationRequest request,
                                 const ModuleCatalogue& catalogue, Recorder record)
    : session(session)
    , request_(std::move(request))
    , catalogue(catalogue)
    , recorder(std::move(record)) {
    outcome_.setupFile = request_.setupFile;
}

void OperationRunner::start(TimePoint startTime) {
    now = startTime;
    steps = request_.kind->steps(request_);
    proceed();
}

void OperationRunner::proceed() {
    while (!done && !waiting) {
        if (nextStep == steps.size()) {
            finish(outcome_.result);
            return;
        }
        steps[nextStep++](*this);
    }
}

void OperationRunner::failToOpen(const PortError& error) {
    fail(portFailure(error));
}

void OperationRunner::cancel() {
    if (done)
        return;
    if (session.transferRunning()) {
        // The transfer's end finishes the operation.
        session.cancelTransfer();
        return;
    }
    session.cancelIdentity();
    finish(Result::Cancelled);
}

void OperationRunner::askIdentity() {
    closeRow();
    waiting = true;
    session.askIdentity(now, request_.wait, [this] { identified(); });
}

void OperationRunner::identified() {
    now = session.lastCallTime();
    const std::optional<DeviceIdentity> identity = session.identity();
    if (!identity) {
        fail(noAnswerFailure(request_.devicePath, request_.wait, session.hungUp()));
        return;
    }
    if (!outcome_.identityBefore) {
        outcome_.identityBefore = identity;
        outcome_.instrumentAnswered = true;
    }
    answered = identity;
    outcome_.identityAfter = identity;
    waiting = false;
    proceed();
}

void OperationRunner::startTransfer(SetupRecord& record, DeviceInfo& info,
                                    InstrumentSession::Direction direction, OpenRow row) {
    closeRow();
    openRow = row;
    position = 0;
    total = 0;
    waiting = true;
    session.startTransfer(record, info, direction, now,
                          {{[this](int, int maximum) {
                                total = maximum;
                                if (progressChanged)
                                    progressChanged();
                            },
                            [this](int answeredRequest) {
                                position = answeredRequest;
                                if (progressChanged)
                                    progressChanged();
                            }},
                           [this] {
                               transferred();
                           }});
}

void OperationRunner::transferred() {
    now = session.lastCallTime();
    finishedRequests += total;
    position = 0;
    total = 0;
    const bool writing = openRow && openRow->action == kActionWrite;
    if (session.transferResult() == InstrumentSession::Result::Cancelled) {
        // Whether the instrument took the new identity before the cancel is not known.
        if (writing)
            outcome_.identityAfter.reset();
        finish(Result::Cancelled);
        return;
    }
    if (const std::optional<TransferFailure> failure = session.transferFailure()) {
        lastFailure = failure;
        if (writing && failure->identityWritten)
            outcome_.identityAfter = writtenIdentity(outcome_.device);
        fail(transferFailure(*failure));
        return;
    }
    if (writing)
        outcome_.identityAfter = writtenIdentity(outcome_.device);
    waiting = false;
    proceed();
}

void OperationRunner::closeRow() {
    if (!openRow)
        return;
    const bool verifying = openRow->action == kActionVerify;
    const SetupRecord* named = nullptr;
    switch (openRow->named) {
    case OpenRow::Named::Transferred:
        named = &transferred_;
        break;
    case OpenRow::Named::Requested:
        named = &request_.setup;
        break;
    case OpenRow::Named::ReadBack:
        named = &readBack;
        break;
    case OpenRow::Named::None:
        break;
    }
    const std::optional<DeviceIdentity>& after = outcome_.identityAfter;
    TransferFacts facts{.program = request_.program,
                        .action = openRow->action,
                        .devicePath = request_.devicePath,
                        .serialBefore =
                            verifying ? readInfo.serialText : outcome_.identityBefore->serialText,
                        .serialAfter = verifying ? readInfo.serialText
                                       : after   ? after->serialText
                                                 : "",
                        .device = verifying ? readInfo : outcome_.device,
                        .setupFile = outcome_.setupFile,
                        .setup = named,
                        .result = outcome_.result,
                        .failure = outcome_.failure ? &*outcome_.failure : nullptr,
                        .transferFailure = lastFailure ? &*lastFailure : nullptr,
                        .differences = outcome_.compared && outcome_.result == Result::Completed
                                           ? &outcome_.differences
                                           : nullptr};
    outcome_.rows.push_back(transferRow(facts));
    openRow.reset();
}

void OperationRunner::setFailure(OperationFailure failure) {
    outcome_.failure = std::move(failure);
    outcome_.result = Result::Failed;
}

void OperationRunner::fail(OperationFailure failure) {
    setFailure(std::move(failure));
    finish(Result::Failed);
}

void OperationRunner::finish(Result result) {
    if (done)
        return;
    done = true;
    waiting = false;
    outcome_.result = result;
    closeRow();
    record();
    if (ended)
        ended();
}

void OperationRunner::record() {
    if (!recorder)
        return;
    try {
        for (const TransferRow& row : outcome_.rows)
            recorder(row);
    } catch (const Failure& failure) {
        outcome_.recordFailure = failure.what();
    }
}
