#include "device/IdentityRequest.h"

#include "device/Frame.h"
#include "device/SerialLink.h"

#include <array>

void sendIdentityRequest(SerialLink& link) {
    link.sendFrame(kReadCommand, std::array{kIdentityRegister});
}

std::optional<DeviceIdentity> identityFromReply(std::span<const std::uint8_t> frame) {
    const std::optional<FrameView> reply = decodeFrame(frame);
    if (!reply || reply->data.size() != kIdentityWidth)
        return std::nullopt;
    DeviceIdentity identity = decodeIdentity(reply->data.first<kIdentityWidth>());
    // The module type counts by its low byte alone.
    identity.moduleType &= 0xFF;
    return identity;
}
