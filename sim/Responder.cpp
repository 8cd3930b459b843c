#include "sim/Responder.h"

#include "device/DeviceImage.h"
#include "device/Frame.h"
#include "device/SerialLink.h"

#include <algorithm>
#include <array>
#include <utility>

namespace {

std::vector<std::uint8_t> buildFrame(std::uint8_t command, std::span<const std::uint8_t> data) {
    // Bytes 0: header, 1: data length L, 2: command, 3 to L+2: data, L+3: checksum.
    std::vector<std::uint8_t> frame(data.size() + SerialLink::kFrameOverhead);
    frame[0] = SerialLink::kHeader;
    frame[1] = static_cast<std::uint8_t>(data.size());
    frame[2] = command;
    std::ranges::copy(data, frame.begin() + 3);
    frame.back() = frameChecksum(command, data);
    return frame;
}

bool isEvery(unsigned count, unsigned period) {
    return period != 0 && count % period == 0;
}

} // namespace

Responder::Responder(RegisterStore& store, FaultPlan faults, std::function<void()> written)
    : store(store)
    , faults(faults)
    , written(std::move(written)) {}

std::optional<std::vector<std::uint8_t>> Responder::answer(std::span<const std::uint8_t> request) {
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

    // Bytes 0: header, 1: data length L, 2: command, 3 to L+2: data, L+3: checksum.
    const std::uint8_t command = request[2];
    const std::span<const std::uint8_t> data = request.subspan(3, request[1]);
    std::optional<std::vector<std::uint8_t>> reply = instrumentReply(command, data);
    if (reply) {
        ++replyCount;
        spoil(*reply, attempts <= faults.failFirst);
    }
    return reply;
}

std::optional<std::vector<std::uint8_t>>
Responder::instrumentReply(std::uint8_t command, std::span<const std::uint8_t> data) {
    if (command == kReadRegisterCommand) {
        if (data.size() != 1)
            return std::nullopt;
        const std::optional<std::span<const std::uint8_t>> content = store.read(data[0]);
        if (!content)
            return std::nullopt;
        return buildFrame(data[0], *content);
    }
    if (std::ranges::count(faults.forgottenRegisters, command) != 0) {
        // Acknowledged like any good write, but the register keeps what it held.
        if (RegisterStore::lengthOf(command) != data.size())
            return std::nullopt;
    } else if (!store.write(command, data)) {
        return std::nullopt;
    } else {
        written();
    }
    return buildFrame(kAcknowledge, std::array<std::uint8_t, 1>{0x00});
}

void Responder::spoil(std::vector<std::uint8_t>& reply, bool firstAttempts) const {
    const std::size_t length = reply[1];
    if (firstAttempts || isEvery(replyCount, faults.wrongRegisterEvery)) {
        ++reply[2];
        reply.back() = frameChecksum(reply[2], std::span(reply).subspan(3, length));
    }
    if (isEvery(replyCount, faults.badChecksumEvery))
        ++reply.back();
}
