#include "operations/InstrumentOperation.h"

#include "operations/InstrumentInfo.h"
#include "operations/OperationTexts.h"
#include "operations/TransferRecord.h"
#include "setup/Failure.h"

#include <utility>

namespace {

using Direction = InstrumentSession::Direction;
using Kind = OperationRequest::Kind;
using Result = OperationOutcome::Result;

std::string_view actionOf(Kind kind) {
    switch (kind) {
    case Kind::Read:
        return kActionRead;
    case Kind::Compare:
        return kActionCompare;
    case Kind::Identify:
    case Kind::Write:
        break;
    }
    return kActionWrite;
}

} // namespace

InstrumentOperation::InstrumentOperation(InstrumentSession& session, OperationRequest request,
                                         const ModuleCatalogue& catalogue)
    : session(session)
    , request_(std::move(request))
    , catalogue(catalogue) {
    outcome_.setupFile = request_.setupFile;
}

void InstrumentOperation::start(TimePoint now, std::function<void()> endedListener) {
    ended = std::move(endedListener);
    if (request_.identity) {
        outcome_.identityBefore = request_.identity;
        outcome_.identityAfter = request_.identity;
        outcome_.instrumentAnswered = true;
        plan(*request_.identity, now);
        return;
    }
    step = Step::Identifying;
    askIdentity(now);
}

void InstrumentOperation::failToOpen(const PortError& error) {
    fail(portFailure(error));
}

void InstrumentOperation::cancel() {
    if (finished())
        return;
    if (session.transferRunning()) {
        // The transfer's end finishes the operation.
        session.cancelTransfer();
        return;
    }
    session.cancelIdentity();
    finish(Result::Cancelled);
}

void InstrumentOperation::askIdentity(TimePoint now) {
    session.askIdentity(now, request_.wait, [this] { identified(session.lastCallTime()); });
}

void InstrumentOperation::identified(TimePoint now) {
    const std::optional<DeviceIdentity> identity = session.identity();
    if (!identity) {
        fail(noAnswerFailure(request_.devicePath, request_.wait, session.hungUp()));
        return;
    }
    outcome_.identityAfter = identity;
    if (step == Step::Reidentifying) {
        readInfo = instrumentInfo(*identity, *outcome_.module);
        readBack = outcome_.setup;
        step = Step::VerifyingRead;
        startTransfer(readBack, readInfo, Direction::Read, now);
        return;
    }
    outcome_.identityBefore = identity;
    outcome_.instrumentAnswered = true;
    plan(*identity, now);
}

void InstrumentOperation::plan(const DeviceIdentity& identity, TimePoint now) {
    if (request_.kind == Kind::Identify) {
        outcome_.module = catalogue.lookup(identity.moduleType);
        finish(Result::Completed);
        return;
    }
    try {
        outcome_.module =
            request_.module ? *request_.module : requireModule(catalogue, identity.moduleType);
        outcome_.device = instrumentInfo(identity, *outcome_.module);
        transferred_ = request_.setup;
        if (request_.kind != Kind::Write) {
            if (request_.setupFileFor)
                outcome_.setupFile = request_.setupFileFor(identity);
            step = Step::Transferring;
            startTransfer(transferred_, outcome_.device, Direction::Read, now);
            return;
        }
        outcome_.device.serialText =
            serialToWrite(identity.serialText, request_.serialText, request_.nextSerial);
        step = Step::Transferring;
        startTransfer(transferred_, outcome_.device, Direction::Write, now);
    } catch (const Failure& failure) {
        fail(plainFailure(failure.what()));
    }
}

void InstrumentOperation::startTransfer(SetupRecord& record, DeviceInfo& info, Direction direction,
                                        TimePoint now) {
    position = 0;
    total = 0;
    session.startTransfer(record, info, direction, now,
                          {{[this](int, int maximum) {
                                total = maximum;
                                if (progressChanged)
                                    progressChanged();
                            },
                            [this](int answered) {
                                position = answered;
                                if (progressChanged)
                                    progressChanged();
                            }},
                           [this] {
                               transferred(session.lastCallTime());
                           }});
}

void InstrumentOperation::transferred(TimePoint now) {
    finishedRequests += total;
    position = 0;
    total = 0;
    const bool verifying = step == Step::VerifyingRead;
    const std::string_view action = verifying ? kActionVerify : actionOf(request_.kind);
    // A load that broke off holds no setup worth naming; a save names what it sent, a
    // comparison what it compared with.
    const SetupRecord* named = action == kActionWrite     ? &transferred_
                               : action == kActionCompare ? &request_.setup
                                                          : nullptr;
    if (session.transferResult() == InstrumentSession::Result::Cancelled) {
        outcome_.result = Result::Cancelled;
        recordTransfer(action, named);
        finish(Result::Cancelled);
        return;
    }
    if (const std::optional<TransferFailure> failure = session.transferFailure()) {
        lastFailure = failure;
        setFailure(transferFailure(*failure));
        recordTransfer(action, named);
        finish(Result::Failed);
        return;
    }
    if (verifying) {
        compareReadBack();
        recordTransfer(action, &readBack);
        finish(outcome_.result);
        return;
    }
    // A completed read is normalized as the window shows it, and so saves it.
    if (request_.kind != Kind::Write)
        transferred_.normalizeCodes();
    outcome_.setup = transferred_;
    if (request_.kind == Kind::Compare) {
        outcome_.differences =
            setupDifferences(request_.setup, transferred_, outcome_.device.leadCount);
        recordTransfer(action, named);
        finish(Result::Completed);
        return;
    }
    if (request_.kind == Kind::Read) {
        keepReadSetup();
        recordTransfer(action, &transferred_);
        finish(outcome_.result);
        return;
    }
    outcome_.identityAfter = writtenIdentity(outcome_.device);
    recordTransfer(action, &transferred_);
    if (request_.verify) {
        step = Step::Reidentifying;
        askIdentity(now);
        return;
    }
    finish(Result::Completed);
}

void InstrumentOperation::compareReadBack() {
    outcome_.differences = setupDifferences(transferred_, readBack, outcome_.device.leadCount);
    const std::vector<std::uint8_t> notKept =
        registersNotKept(transferred_, outcome_.device, readBack, readInfo);
    if (notKept.empty()) {
        outcome_.verified = true;
        return;
    }
    // A save the instrument did not keep is a failed save; its detail names the fields.
    const std::string reason = verifyFailedText(notKept);
    setFailure({kTransferErrorText,
                reason + "\n" + differencesText(outcome_.differences, "here", "in the instrument"),
                reason});
}

void InstrumentOperation::keepReadSetup() {
    try {
        if (request_.keep)
            request_.keep(transferred_, outcome_.setupFile);
    } catch (const Failure& failure) {
        setFailure(plainFailure(failure.what()));
    }
}

void InstrumentOperation::recordTransfer(std::string_view action, const SetupRecord* setup) {
    const bool verifying = action == kActionVerify;
    TransferFacts facts{
        .program = request_.program,
        .action = action,
        .devicePath = request_.devicePath,
        .serialBefore = verifying ? readInfo.serialText : outcome_.identityBefore->serialText,
        .device = verifying ? readInfo : outcome_.device,
        .setupFile = outcome_.setupFile,
        .setup = setup,
        .result = outcome_.result,
        .failure = outcome_.failure ? &*outcome_.failure : nullptr,
        .transferFailure = lastFailure ? &*lastFailure : nullptr,
        .differences = action == kActionCompare && outcome_.result == Result::Completed
                           ? &outcome_.differences
                           : nullptr};
    outcome_.rows.push_back(transferRow(facts));
}

void InstrumentOperation::setFailure(OperationFailure failure) {
    outcome_.failure = std::move(failure);
    outcome_.result = Result::Failed;
}

void InstrumentOperation::fail(OperationFailure failure) {
    setFailure(std::move(failure));
    finish(Result::Failed);
}

void InstrumentOperation::finish(Result result) {
    outcome_.result = result;
    if (step == Step::Done)
        return;
    step = Step::Done;
    if (ended)
        ended();
}
