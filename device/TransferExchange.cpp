#include "TransferExchange.h"

#include "Frame.h"
#include "SerialLink.h"

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
                                   std::uint8_t mode, ProgressSink progress)
    : link(link)
    , record(record)
    , info(info)
    , mode(mode)
    , progress(std::move(progress)) {}

bool TransferExchange::start() {
    if (mode == kReadMode)
        requests = buildReadList(info.leadCount);
    else if (mode == kWriteMode)
        requests = buildWriteList(record, info);
    else
        return false;
    firstTick = true;
    running = true;
    progress.setRange(0, static_cast<int>(requests.size()));
    link.SetReadLimit(kReadLimit);
    return true;
}

void TransferExchange::tick() {
    if (!running)
        return;
    if (firstTick) {
        // The poll's last identity reply may still be waiting; it answers none of our requests.
        link.TakeFrame(frame);
        link.ResetTimeout();
        index = 0;
        retries = 0;
        firstTick = false;
        sendCurrent();
    } else if (link.TimedOut()) {
        retry();
    } else if (link.TakeFrame(frame)) {
        const std::size_t frameLength = std::min<std::size_t>(frame.size(), frame[1] + 4U);
        if (judgeReply(std::span(frame).first(frameLength)))
            advance();
        else
            retry();
    }
}

void TransferExchange::cancel() {
    if (!ended)
        end();
}

TransferExchange::Result TransferExchange::result() const {
    if (failed)
        return Failed;
    return done ? Completed : Cancelled;
}

void TransferExchange::sendCurrent() {
    if (index >= requests.size())
        return;
    const RequestEntry& request = requests[index];
    link.ClearInput();
    link.SendFrame(request.command, std::span(request.data).first(request.length));
}

void TransferExchange::retry() {
    if (++retries >= kAttemptsPerRequest) {
        failed = true;
        end();
        return;
    }
    sendCurrent();
}

void TransferExchange::advance() {
    if (++index == requests.size()) {
        done = true;
        end();
        return;
    }
    retries = 0;
    progress.setPosition(static_cast<int>(index));
    sendCurrent();
}

bool TransferExchange::judgeReply(std::span<const std::uint8_t> reply) {
    const std::uint8_t length = reply[1];
    if (mode == kWriteMode) {
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

void TransferExchange::end() {
    running = false;
    ended = true;
}
