#include "sim/Responder.h"

#include "device/Registers.h"

#include <algorithm>
#include <utility>

namespace {

bool isEvery(unsigned count, unsigned period) {
    return period != 0 && count % period == 0;
}

} // namespace

Responder::Responder(RegisterStore& store, FaultPlan faults, std::function<void()> written)
    : store(store)
    , faults(faults)
    , written(std::move(written)) {}

std::optional<EncodedFrame> Responder::answer(std::span<const std::uint8_t> request) {
    ++requestCount;
    if (faults.silent || (faults.stopAfter && requestCount > *faults.stopAfter))
        return std::nullopt;

    // A resend of the same frame is another attempt at the same request.
    if (std::ranges::equal(request, lastRequest)) {
        ++attempts;
    } else {
        lastRequest.assign(request.begin(), request.end());
        attempts = 1;
    }

    const std::optional<FrameView> frame = decodeFrame(request);
    if (!frame)
        return std::nullopt;
    const std::optional<Reply> reply = instrumentReply(frame->command, frame->data);
    if (!reply)
        return std::nullopt;
    ++replyCount;
    return spoilt(*reply, attempts <= faults.failFirst);
}

std::optional<Responder::Reply> Responder::instrumentReply(std::uint8_t command,
                                                           std::span<const std::uint8_t> data) {
    if (command == kReadCommand) {
        if (data.size() != 1)
            return std::nullopt;
        const std::optional<std::span<const std::uint8_t>> content = store.read(data[0]);
        if (!content)
            return std::nullopt;
        return Reply{data[0], *content};
    }
    if (std::ranges::count(faults.forgottenRegisters, command) != 0) {
        // Acknowledged like any good write, but the register keeps what it held.
        if (registerWidth(command) != data.size())
            return std::nullopt;
    } else if (!store.write(command, data)) {
        return std::nullopt;
    } else if (written) {
        written();
    }
    return Reply{kAcknowledgeCommand, kAcknowledgeData};
}

EncodedFrame Responder::spoilt(const Reply& reply, bool firstAttempts) const {
    std::uint8_t command = reply.command;
    if (firstAttempts || isEvery(replyCount, faults.wrongRegisterEvery))
        ++command;
    auto checksum = frameChecksum(command, reply.data);
    if (isEvery(replyCount, faults.badChecksumEvery))
        ++checksum;
    // Replies are at most the identity's 12 bytes, so they always encode.
    return *encodeFrame(command, reply.data, checksum);
}
