#include "device/TransferExchange.h"

#include "device/Frame.h"
#include "device/Registers.h"
#include "device/SerialLink.h"

#include <utility>

namespace {

constexpr std::uint8_t kAttemptsPerRequest = 3;
// Pumps without a frame before the link reports a time-out: about five seconds.
constexpr std::uint16_t kReadLimit = 50;
// A read reply carries at most a lead's 9 bytes; longer ones are not ours.
constexpr std::size_t kLongestReadReply = 10;

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
                                   Direction direction, ProgressSink progress)
    : link(link)
    , record(record)
    , info(info)
    , direction(direction)
    , progress(std::move(progress)) {}

void TransferExchange::start() {
    requests =
        direction == Direction::Read ? buildReadList(info.leadCount) : buildWriteList(record, info);
    state = State::Starting;
    progress.setRange(0, static_cast<int>(requests.size()));
    link.setReadLimit(kReadLimit);
}

void TransferExchange::tick() {
    if (state == State::Starting) {
        // The poll's last identity reply may still be waiting; it answers none of our requests.
        link.takeFrame(frame);
        link.resetTimeout();
        index = 0;
        retries = 0;
        state = State::Waiting;
        sendCurrent();
    } else if (state != State::Waiting) {
        return;
    } else if (link.timedOut()) {
        retry();
    } else if (link.takeFrame(frame)) {
        const std::optional<FrameView> reply = decodeFrame(frame);
        if (reply && judgeReply(*reply))
            advance();
        else
            retry();
    }
}

void TransferExchange::cancel() {
    if (!finished())
        state = State::Cancelled;
}

bool TransferExchange::finished() const {
    return state == State::Completed || state == State::Failed || state == State::Cancelled;
}

TransferExchange::Result TransferExchange::result() const {
    if (state == State::Failed)
        return Result::Failed;
    return state == State::Completed ? Result::Completed : Result::Cancelled;
}

void TransferExchange::sendCurrent() {
    const RequestEntry& request = requests[index];
    link.clearInput();
    link.sendFrame(request.command, std::span(request.data).first(request.length));
}

void TransferExchange::retry() {
    if (++retries >= kAttemptsPerRequest) {
        state = State::Failed;
        return;
    }
    sendCurrent();
}

void TransferExchange::advance() {
    if (++index == requests.size()) {
        state = State::Completed;
        return;
    }
    retries = 0;
    progress.setPosition(static_cast<int>(index));
    sendCurrent();
}

bool TransferExchange::judgeReply(const FrameView& reply) {
    if (direction == Direction::Write)
        return isAcknowledgement(reply);
    return reply.command == requests[index].data[0] && reply.data.size() <= kLongestReadReply &&
           reply.checksumMatches() &&
           storeReadReply(record, info.leadCount, reply.command, reply.data);
}
