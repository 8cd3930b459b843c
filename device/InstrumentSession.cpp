#include "device/InstrumentSession.h"

#include "device/SessionTiming.h"

#include <algorithm>
#include <utility>

InstrumentSession::InstrumentSession(FrameTrace trace)
    : link(trace)
    , poll(link, state) {}

void InstrumentSession::lineOpened() {
    link.reset();
    open = true;
    lineHungUp_ = false;
    pollAnswerOwed = false;
}

void InstrumentSession::lineClosed() {
    open = false;
    lineHungUp_ = false;
    lineEnded(TransferFailure::Cause::LineClosed);
}

void InstrumentSession::lineHungUp() {
    lineHungUp_ = true;
    lineEnded(TransferFailure::Cause::LineHungUp);
}

void InstrumentSession::lineEnded(TransferFailure::Cause cause) {
    // Nothing will go out or come in on this line again; what is under way would only run into
    // its time-outs.
    pollAnswerOwed = false;
    link.reset();
    if (transfer)
        transfer->lineEnded(cause);
    if (query)
        query->giveUp();
    endTransferIfFinished();
    endQueryIfFinished();
}

void InstrumentSession::setMinimumSpacing(std::chrono::milliseconds spacing) {
    minimumSpacing =
        std::clamp(spacing, std::chrono::milliseconds(0), SessionTiming::kLongestMinimumSpacing);
}

void InstrumentSession::bytesArrived(std::span<const std::uint8_t> bytes, TimePoint now) {
    lastCall = now;
    if (!lineUsable())
        return;
    while (!bytes.empty()) {
        const std::size_t held = link.receive(bytes);
        bytes = bytes.subspan(held);
        if (link.hasFrame())
            frameArrived(now);
        // A frame left waiting for the poll's tick, with the receiver full behind it: the rest is
        // nothing anyone asked for.
        if (held == 0)
            return;
    }
}

void InstrumentSession::frameArrived(TimePoint now) {
    pollAnswerOwed = false;
    if (transferRunning()) {
        transfer->frameArrived(now);
        endTransferIfFinished();
    } else if (identityPending()) {
        query->frameArrived();
        endQueryIfFinished();
    }
    // Otherwise the frame waits for the poll's next tick, which looks at it.
}

void InstrumentSession::timePassed(TimePoint now) {
    lastCall = now;
    if (transferRunning()) {
        transfer->timePassed(now);
        endTransferIfFinished();
    }
    if (identityPending()) {
        query->timePassed(now);
        endQueryIfFinished();
    }
    pollIfDue(now);
    if (!lineUsable())
        link.reset();
}

InstrumentSession::TimePoint InstrumentSession::nextCall() const {
    TimePoint next = polling && pollHolds == 0 ? nextPoll : TimePoint::max();
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

void InstrumentSession::releasePoll(TimePoint now) {
    if (pollHolds > 0 && --pollHolds == 0)
        nextPoll = now + SessionTiming::kPollPeriod;
}

void InstrumentSession::pollIfDue(TimePoint now) {
    if (!polling || pollHolds > 0 || now < nextPoll)
        return;
    // A tick a little late keeps the cadence; a driver held up past the next tick as well
    // catches up with this one tick and the next a whole period later, so that its answer has
    // time to come.
    nextPoll += SessionTiming::kPollPeriod;
    if (nextPoll <= now)
        nextPoll = now + SessionTiming::kPollPeriod;
    if (busy())
        return;
    const IdentificationPoll::Outcome outcome = poll.tick();
    lastPollRequest = now;
    pollAnswerOwed = lineUsable();
    if (pollReport)
        pollReport(outcome);
}

void InstrumentSession::askIdentity(TimePoint now, std::chrono::milliseconds wait,
                                    std::function<void()> answered) {
    lastCall = now;
    queryEnded = std::move(answered);
    query.emplace(link);
    query->start(now, wait);
    if (!lineUsable())
        query->giveUp();
    endQueryIfFinished();
}

void InstrumentSession::cancelIdentity() {
    if (!identityPending())
        return;
    query->giveUp();
    queryEnded = {};
}

void InstrumentSession::endQueryIfFinished() {
    if (!query || !query->finished() || !queryEnded)
        return;
    const std::function<void()> ended = std::exchange(queryEnded, {});
    ended();
}

std::optional<DeviceIdentity> InstrumentSession::identity() const {
    return query ? query->identity() : std::nullopt;
}

InstrumentSession::TimePoint InstrumentSession::lastIdentityRequest() const {
    return query ? std::max(lastPollRequest, query->lastRequest()) : lastPollRequest;
}

void InstrumentSession::startTransfer(SetupRecord& record, DeviceInfo& info, Direction direction,
                                      TimePoint now, TransferEvents events) {
    lastCall = now;
    transferEnded = std::move(events.ended);
    transfer.emplace(link, record, info, direction, std::move(events.progress), minimumSpacing);
    const bool identityAnswerOwed = pollAnswerOwed || identityPending();
    transfer->start(identityAnswerOwed ? lastIdentityRequest() + SessionTiming::kIdentityAnswerWait
                                       : now);
    if (!lineUsable())
        transfer->lineEnded(open ? TransferFailure::Cause::LineHungUp
                                 : TransferFailure::Cause::LineClosed);
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
