#include "device/SerialLink.h"

#include <utility>

SerialLink::SerialLink(FrameTrace trace)
    : trace(trace)
    , receiver(trace) {}

std::uint8_t SerialLink::sendFrame(std::uint8_t command, std::span<const std::uint8_t> data) {
    const std::optional<EncodedFrame> frame = encodeFrame(command, data);
    if (!frame)
        return 0;
    const std::span<const std::uint8_t> bytes = frame->bytes();
    trace.write(TraceDirection::Send, bytes);
    output.insert(output.end(), bytes.begin(), bytes.end());
    return static_cast<std::uint8_t>(bytes.size());
}

std::vector<std::uint8_t> SerialLink::takeOutput() {
    return std::exchange(output, {});
}

std::size_t SerialLink::receive(std::span<const std::uint8_t> bytes) {
    return receiver.receive(bytes);
}

void SerialLink::clearInput() {
    receiver.clear();
}

void SerialLink::reset() {
    output.clear();
    receiver.clear();
    std::array<std::uint8_t, kFrameBufferSize> stale{};
    receiver.takeFrame(stale);
}

bool SerialLink::takeFrame(std::span<std::uint8_t> destination) {
    return receiver.takeFrame(destination);
}
