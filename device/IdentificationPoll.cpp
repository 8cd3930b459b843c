#include "device/IdentificationPoll.h"

#include "device/DeviceImage.h"
#include "device/Frame.h"
#include "device/SerialLink.h"

#include <algorithm>
#include <array>

namespace {

// Ten silent seconds are tolerated; the eleventh drops the instrument.
constexpr std::uint8_t kMissesTolerated = 10;

// Identity content: serial number, module type (high, low byte), firmware major and minor.
constexpr std::size_t kModuleTypeLowOffset = 9;
constexpr std::size_t kFirmwareMajorOffset = 10;
constexpr std::size_t kFirmwareMinorOffset = 11;

} // namespace

std::string DeviceIdentity::firmwareText() const {
    return std::to_string(firmwareMajor) + "." + std::to_string(firmwareMinor);
}

IdentificationPoll::IdentificationPoll(SerialLink& link, LinkState& state)
    : link(link)
    , state(state) {}

IdentificationPoll::Outcome IdentificationPoll::tick() {
    if (!link.isOpen() || state.transferBusy)
        return {};
    Outcome outcome = takeReply();
    link.clearInput();
    link.sendFrame(kReadRegisterCommand, std::array{DeviceRegister::Identity});
    return outcome;
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
    if (state.connected && ++state.missedPolls > kMissesTolerated) {
        state.connected = false;
        return {Event::InstrumentLost, {}};
    }
    return {};
}

std::optional<DeviceIdentity>
IdentificationPoll::parseIdentity(std::span<const std::uint8_t> frame) {
    const std::optional<FrameView> reply = decodeFrame(frame);
    if (!reply || reply->data.size() != kIdentityLength)
        return std::nullopt;
    const auto data = reply->data;
    DeviceIdentity identity;
    const auto serial = data.first(kSerialTextWidth);
    identity.serialText.assign(serial.begin(), std::find(serial.begin(), serial.end(), 0));
    identity.moduleType = data[kModuleTypeLowOffset];
    identity.firmwareMajor = data[kFirmwareMajorOffset];
    identity.firmwareMinor = data[kFirmwareMinorOffset];
    return identity;
}
