#include "device/IdentificationPoll.h"

#include "device/Frame.h"
#include "device/IdentityRequest.h"
#include "device/SerialLink.h"
#include "device/SessionTiming.h"

#include <array>

IdentificationPoll::IdentificationPoll(SerialLink& link, LinkState& state)
    : link(link)
    , state(state) {}

IdentificationPoll::Outcome IdentificationPoll::tick() {
    Outcome outcome = takeReply();
    link.clearInput();
    sendIdentityRequest(link);
    return outcome;
}

IdentificationPoll::Outcome IdentificationPoll::takeReply() {
    if (link.hasFrame()) {
        std::array<std::uint8_t, kFrameBufferSize> frame{};
        link.takeFrame(frame);
        const std::optional<DeviceIdentity> identity = identityFromReply(frame);
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
