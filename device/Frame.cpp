#include "device/Frame.h"

#include <algorithm>

namespace {

constexpr std::size_t kLengthOffset = 1;
constexpr std::size_t kCommandOffset = 2;
constexpr std::size_t kDataOffset = 3;

} // namespace

std::optional<EncodedFrame> encodeFrame(std::uint8_t command, std::span<const std::uint8_t> data) {
    return encodeFrame(command, data, frameChecksum(command, data));
}

std::optional<EncodedFrame> encodeFrame(std::uint8_t command, std::span<const std::uint8_t> data,
                                        std::uint8_t checksum) {
    if (data.size() > kMaxFrameData)
        return std::nullopt;
    EncodedFrame frame;
    frame.buffer[0] = kFrameHeader;
    frame.buffer[kLengthOffset] = static_cast<std::uint8_t>(data.size());
    frame.buffer[kCommandOffset] = command;
    std::ranges::copy(data, frame.buffer.begin() + kDataOffset);
    frame.buffer[kDataOffset + data.size()] = checksum;
    frame.size = data.size() + kFrameOverhead;
    return frame;
}

std::optional<FrameView> decodeFrame(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < kFrameOverhead || bytes[0] != kFrameHeader ||
        bytes.size() < bytes[kLengthOffset] + kFrameOverhead)
        return std::nullopt;
    const std::size_t length = bytes[kLengthOffset];
    return FrameView{bytes.first(length + kFrameOverhead), bytes[kCommandOffset],
                     bytes.subspan(kDataOffset, length), bytes[kDataOffset + length]};
}

FrameSearch findFrame(std::span<const std::uint8_t> held) {
    FrameSearch found;
    found.noise = static_cast<std::size_t>(std::ranges::find(held, kFrameHeader) - held.begin());
    const auto candidate = held.subspan(found.noise);
    if (candidate.size() <= kLengthOffset)
        return found;
    found.frameSize = candidate[kLengthOffset] + kFrameOverhead;
    found.complete = candidate.size() >= found.frameSize;
    return found;
}
