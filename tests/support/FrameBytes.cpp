#include "support/FrameBytes.h"

#include "device/Frame.h"

#include <optional>
#include <stdexcept>

namespace {

Bytes encoded(const std::optional<EncodedFrame>& frame) {
    if (!frame)
        throw std::invalid_argument("payload too long for a frame");
    return bytesOf(frame->bytes());
}

} // namespace

Bytes bytesOf(std::span<const std::uint8_t> bytes) {
    return Bytes(bytes.begin(), bytes.end());
}

Bytes frameBytes(std::uint8_t command, std::span<const std::uint8_t> data) {
    return encoded(encodeFrame(command, data));
}

Bytes withBadChecksum(std::span<const std::uint8_t> frame) {
    const std::optional<FrameView> view = decodeFrame(frame);
    if (!view)
        throw std::invalid_argument("not a whole frame");
    return encoded(encodeFrame(view->command, view->data, view->checksum ^ 0x5A));
}

std::string hexOf(std::string_view text) {
    static constexpr std::string_view digits = "0123456789ABCDEF";
    std::string hex;
    for (const char c : text) {
        hex += digits[static_cast<unsigned char>(c) >> 4];
        hex += digits[static_cast<unsigned char>(c) & 0x0F];
    }
    return hex;
}
