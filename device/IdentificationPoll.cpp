#include "device/IdentificationPoll.h"

#include "device/Frame.h"
#include "device/Registers.h"
#include "device/SerialLink.h"
#include "device/SessionTiming.h"

#include <array>

IdentificationPoll::IdentificationPoll(SerialLink& link, LinkState& state)
    : link(link)
    , state(state) {}

IdentificationPoll::Outcome IdentificationPoll::tick() {
    Outcome outcome = takeReply();
    link.clearInput();
    askForIdentity(link);
    return outcome;
}

void IdentificationPoll::askForIdentity(SerialLink& link) {
    link.sendFrame(kReadCommand, std::array{kIdentityRegister});
}

IdentificationPoll::Outcome IdentificationPoll::takeReply() {
    if (link.hasFrame()) {
        std::array<std::uint8_t, kFrameBufferSize> frame{};
        link.takeFrame(frame);
        const std::optional<DeviceIdentity> identity = parseIdentity(frame);
        if (!identity)
            return {};
        state.missedPolls = 0;
        if (state.connected)
            return {Event::IdentityRefreshed, *identity};
        state.connected = true;
        return {Event::InstrumentFound, *identity};
    }
    if (state.connected && ++state.missedPolls > SessionTiming::kPollMissesTolerated) {
        state.connected = false;
        return {Event::InstrumentLost, {}};
    }
    return {};
}

std::optional<DeviceIdentity>
IdentificationPoll::parseIdentity(std::span<const std::uint8_t> frame) {
    const std::optional<FrameView> reply = decodeFrame(frame);
    if (!reply || reply->data.size() != kIdentityWidth)
        return std::nullopt;
    DeviceIdentity identity = decodeIdentity(reply->data.first<kIdentityWidth>());
    // The poll takes the module type by its low byte alone.
    identity.moduleType &= 0xFF;
    return identity;
}
