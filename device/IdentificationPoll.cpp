#include "device/IdentificationPoll.h"

#include "device/DeviceImage.h"
#include "device/SerialLink.h"

#include <algorithm>
#include <array>

namespace {

// Ten silent seconds are tolerated; the eleventh drops the instrument.
constexpr std::uint8_t kMissesTolerated = 10;

// Identity reply: header, length 12, register, 12 data bytes, checksum.
constexpr std::size_t kSerialOffset = 3;
constexpr std::size_t kModuleTypeLowOffset = 12;
constexpr std::size_t kFirmwareMajorOffset = 13;
constexpr std::size_t kFirmwareMinorOffset = 14;

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
    askForIdentity(link);
    return outcome;
}

void IdentificationPoll::askForIdentity(SerialLink& link) {
    link.sendFrame(kReadRegisterCommand, std::array{DeviceRegister::Identity});
}

IdentificationPoll::Outcome IdentificationPoll::takeReply() {
    if (link.hasFrame()) {
        std::array<std::uint8_t, SerialLink::kFrameBufferSize> frame{};
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
    // Byte 1: data length; only the identity register's 12 bytes are an identity reply.
    if (frame.size() <= kFirmwareMinorOffset || frame[1] != kIdentityLength)
        return std::nullopt;
    DeviceIdentity identity;
    // Bytes 3-10: serial number, ending early at a zero byte.
    const auto serial = frame.subspan(kSerialOffset, kSerialTextWidth);
    identity.serialText.assign(serial.begin(), std::find(serial.begin(), serial.end(), 0));
    // Byte 12: module type, low byte.
    identity.moduleType = frame[kModuleTypeLowOffset];
    // Bytes 13-14: firmware major and minor.
    identity.firmwareMajor = frame[kFirmwareMajorOffset];
    identity.firmwareMinor = frame[kFirmwareMinorOffset];
    return identity;
}
