#include "device/InstrumentSession.h"

#include "device/SessionTiming.h"

#include <algorithm>
#include <utility>

InstrumentSession::InstrumentSession(FrameTrace trace)
    : link_(trace)
    , poll(link_, state) {}

bool InstrumentSession::open(const std::string& devicePath, LineSettings settings) {
    lineHungUp = false;
    resting = false;
    pollAnswerOwed = false;
    return link_.open(devicePath, settings);
}

void InstrumentSession::close() {
    link_.close();
}

void InstrumentSession::setMinimumSpacing(std::chrono::milliseconds spacing) {
    minimumSpacing =
        std::clamp(spacing, std::chrono::milliseconds(0), SessionTiming::kLongestMinimumSpacing);
}

int InstrumentSession::watchedDescriptor() const {
    return lineHungUp || resting ? -1 : link_.descriptor();
}

void InstrumentSession::portReadable(TimePoint now) {
    if (watchedDescriptor() < 0)
        return;
    if (link_.receive() == 0) {
        if (link_.inputFull()) {
            // Readable without giving bytes: the receiver is full behind a frame nobody has taken
            // yet. The port rests until the next call, so that its driver does not spin.
            resting = true;
            return;
        }
        if (!link_.hungUp())
            return;
        // Reads will never bring bytes again; a transfer would only run into its time-outs.
        lineHungUp = true;
        if (transfer)
            transfer->lineHungUp();
        if (query)
            query->lineHungUp();
        endTransferIfFinished();
        return;
    }
    if (!link_.hasFrame())
        return;
    pollAnswerOwed = false;
    if (transferRunning()) {
        transfer->frameArrived(now);
        endTransferIfFinished();
    } else if (identityPending()) {
        query->frameArrived();
    }
    // Otherwise the frame waits for the poll's next tick, which looks at it.
}

void InstrumentSession::timePassed(TimePoint now) {
    resting = false;
    if (transferRunning()) {
        transfer->timePassed(now);
        endTransferIfFinished();
    }
    if (identityPending())
        query->timePassed(now);
    pollIfDue(now);
}

InstrumentSession::TimePoint InstrumentSession::nextCall() const {
    TimePoint next = polling ? nextPoll : TimePoint::max();
    if (transferRunning())
        next = std::min(next, transfer->nextCall());
    if (identityPending())
        next = std::min(next, query->nextCall());
    return next;
}

void InstrumentSession::startPolling(TimePoint now, PollReport report) {
    pollReport = std::move(report);
    polling = true;
    nextPoll = now + SessionTiming::kPollPeriod;
}

void InstrumentSession::pollIfDue(TimePoint now) {
    if (!polling || now < nextPoll)
        return;
    // A driver held up for longer than a period catches up with one tick, not a burst.
    nextPoll = std::max(nextPoll + SessionTiming::kPollPeriod, now);
    if (transferRunning() || state.transferBusy || !link_.isOpen())
        return;
    const IdentificationPoll::Outcome outcome = poll.tick();
    lastPollRequest = now;
    pollAnswerOwed = true;
    if (pollReport)
        pollReport(outcome);
}

void InstrumentSession::askIdentity(TimePoint now, std::chrono::milliseconds wait) {
    query.emplace(link_);
    query->start(now, wait);
    if (lineHungUp)
        query->lineHungUp();
}

std::optional<DeviceIdentity> InstrumentSession::identity() const {
    return query ? query->identity() : std::nullopt;
}

InstrumentSession::TimePoint InstrumentSession::lastIdentityRequest() const {
    return query ? std::max(lastPollRequest, query->lastRequest()) : lastPollRequest;
}

void InstrumentSession::startTransfer(SetupRecord& record, DeviceInfo& info, Direction direction,
                                      TimePoint now, TransferEvents events) {
    transferEnded = std::move(events.ended);
    transfer.emplace(link_, record, info, direction, std::move(events.progress), minimumSpacing);
    const bool identityAnswerOwed = pollAnswerOwed || identityPending();
    transfer->start(identityAnswerOwed ? lastIdentityRequest() + SessionTiming::kIdentityAnswerWait
                                       : now);
    if (lineHungUp)
        transfer->lineHungUp();
    else
        transfer->timePassed(now);
    endTransferIfFinished();
}

void InstrumentSession::cancelTransfer() {
    if (!transferRunning())
        return;
    transfer->cancel();
    endTransferIfFinished();
}

void InstrumentSession::endTransferIfFinished() {
    if (!transfer || !transfer->finished() || !transferEnded)
        return;
    // The listener may start the next transfer, which sets its own.
    const std::function<void()> ended = std::exchange(transferEnded, {});
    ended();
}

InstrumentSession::Result InstrumentSession::transferResult() const {
    return transfer ? transfer->result() : Result::Cancelled;
}

std::optional<TransferFailure> InstrumentSession::transferFailure() const {
    return transfer ? transfer->failure() : std::nullopt;
}
