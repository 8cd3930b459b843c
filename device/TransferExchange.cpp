#include "device/TransferExchange.h"

#include "device/Frame.h"
#include "device/SerialLink.h"

#include <algorithm>
#include <utility>

namespace {

constexpr std::uint8_t kAttemptsPerRequest = 3;
// Pumps without a frame before the link reports a time-out: about five seconds.
constexpr std::uint16_t kReadLimit = 50;
// A read reply carries at most a lead's 9 bytes; longer ones are not ours.
constexpr std::uint8_t kLongestReadReply = 10;

} // namespace

static_assert(std::tuple_size_v<decltype(RequestEntry::data)> == SerialLink::kFrameBufferSize);

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
        const std::size_t frameLength = std::min<std::size_t>(frame.size(), frame[1] + 4U);
        if (judgeReply(std::span(frame).first(frameLength)))
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

bool TransferExchange::judgeReply(std::span<const std::uint8_t> reply) {
    const std::uint8_t length = reply[1];
    if (direction == Direction::Write) {
        // The acknowledgement 55 01 00 00 01: command 0, data 0, checksum equal to the length.
        return reply.size() > 4 && reply[2] == 0 && reply[3] == 0 && reply[4] == length;
    }
    // Byte 2: the register asked for; bytes 3 on: the data, then the checksum.
    if (reply[2] != requests[index].data[0] || length > kLongestReadReply)
        return false;
    if (frameChecksum(reply[2], reply.subspan(3, length)) != reply[length + 3U])
        return false;
    return storeReadReply(record, info.leadCount, reply);
}
