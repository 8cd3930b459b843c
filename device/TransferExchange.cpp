#include "device/TransferExchange.h"

#include "device/Frame.h"
#include "device/Registers.h"
#include "device/SerialLink.h"
#include "device/SessionTiming.h"

#include <algorithm>
#include <utility>

namespace {

// A read reply carries a lead's 9 bytes at most; the one byte more allowed is the margin that
// timer-driven transfers always gave (a length byte below 11), and anything longer is not ours.
constexpr std::size_t kLongestReadReply = kLeadWidth + 1;

// The acknowledgement 55 01 00 00 01 is known by command 0 and data byte 0 followed by the
// length again, which in the acknowledgement itself is its checksum.
bool isAcknowledgement(const FrameView& reply) {
    if (reply.command != kAcknowledgeCommand || reply.data.empty() ||
        reply.data[0] != kAcknowledgeData[0])
        return false;
    const std::uint8_t repeat = reply.data.size() > 1 ? reply.data[1] : reply.checksum;
    return repeat == reply.data.size();
}

} // namespace

TransferExchange::TransferExchange(SerialLink& link, SetupRecord& record, DeviceInfo& info,
                                   Direction direction, ProgressSink progress,
                                   std::chrono::milliseconds minimumSpacing)
    : link(link)
    , record(record)
    , info(info)
    , direction(direction)
    , progress(std::move(progress))
    , minimumSpacing(minimumSpacing) {}

void TransferExchange::start(TimePoint firstRequestTime) {
    requests =
        direction == Direction::Read ? buildReadList(info.leadCount) : buildWriteList(record, info);
    index = 0;
    retries = 0;
    firstRequest = true;
    sendAt = firstRequestTime;
    state = State::Pausing;
    progress.setRange(0, static_cast<int>(requests.size()));
}

void TransferExchange::frameArrived(TimePoint now) {
    if (state != State::Pausing && state != State::Waiting)
        return;
    // A frame while no request is out (a late answer, the poll's answer before the first
    // request) answers none of them. The first request waited for that answer, and goes now.
    if (!link.takeFrame(frame))
        return;
    if (state == State::Pausing) {
        if (firstRequest)
            sendAfterSpacing(now);
        return;
    }
    const std::optional<FrameView> reply = decodeFrame(frame);
    if (reply && judgeReply(*reply))
        advance(now);
    else
        retry(now, TransferFailure::Cause::WrongAnswer);
}

void TransferExchange::timePassed(TimePoint now) {
    if (state == State::Pausing && now >= sendAt) {
        sendCurrent(now);
    } else if (state == State::Waiting && now >= deadline) {
        slowInstrument = true;
        retry(now, TransferFailure::Cause::NoAnswer);
    }
}

void TransferExchange::lineEnded(TransferFailure::Cause cause) {
    if (state == State::Pausing || state == State::Waiting)
        fail(cause);
}

void TransferExchange::cancel() {
    if (!finished())
        state = State::Cancelled;
}

TransferExchange::TimePoint TransferExchange::nextCall() const {
    switch (state) {
    case State::Pausing:
        return sendAt;
    case State::Waiting:
        return deadline;
    default:
        return TimePoint::max();
    }
}

bool TransferExchange::finished() const {
    return state == State::Completed || state == State::Failed || state == State::Cancelled;
}

TransferExchange::Result TransferExchange::result() const {
    if (state == State::Failed)
        return Result::Failed;
    return state == State::Completed ? Result::Completed : Result::Cancelled;
}

void TransferExchange::sendCurrent(TimePoint now) {
    if (firstRequest) {
        link.takeFrame(frame);
        firstRequest = false;
    }
    const RequestEntry& request = requests[index];
    link.clearInput();
    link.sendFrame(request.command, std::span(request.data).first(request.length));
    deadline = now + SessionTiming::kReplyTimeout;
    state = State::Waiting;
}

void TransferExchange::sendAfterSpacing(TimePoint replyTime) {
    const std::chrono::milliseconds spacing =
        std::max(minimumSpacing,
                 slowInstrument ? SessionTiming::kFallbackSpacing : std::chrono::milliseconds(0));
    sendAt = replyTime + spacing;
    state = State::Pausing;
    if (spacing.count() == 0)
        sendCurrent(replyTime);
}

void TransferExchange::retry(TimePoint now, TransferFailure::Cause cause) {
    if (++retries >= SessionTiming::kAttemptsPerRequest) {
        fail(cause);
        return;
    }
    // After a time-out the line has long been quiet; after a wrong answer the instrument gets
    // its pause as after any reply.
    if (cause == TransferFailure::Cause::NoAnswer)
        sendCurrent(now);
    else
        sendAfterSpacing(now);
}

void TransferExchange::advance(TimePoint now) {
    if (++index == requests.size()) {
        state = State::Completed;
        return;
    }
    retries = 0;
    progress.setPosition(static_cast<int>(index));
    sendAfterSpacing(now);
}

void TransferExchange::fail(TransferFailure::Cause cause) {
    TransferFailure failure;
    failure.cause = cause;
    failure.writing = direction == Direction::Write;
    failure.request = index;
    failure.requestCount = requests.size();
    const RequestEntry& request = requests[index];
    failure.reg = failure.writing ? request.command : request.data[0];
    failure.settingCount = static_cast<int>(kSettingRegisters.size());
    if (failure.writing) {
        for (const RequestEntry& written : std::span(requests).first(index)) {
            if (written.command == kIdentityRegister)
                failure.identityWritten = true;
            else if (leadOfRegister(written.command))
                ++failure.leadsWritten;
            else
                ++failure.settingsWritten;
        }
    }
    failure_ = failure;
    state = State::Failed;
}

bool TransferExchange::judgeReply(const FrameView& reply) {
    if (direction == Direction::Write)
        return isAcknowledgement(reply);
    return reply.command == requests[index].data[0] && reply.data.size() <= kLongestReadReply &&
           reply.checksumMatches() &&
           storeReadReply(record, info.leadCount, reply.command, reply.data);
}
