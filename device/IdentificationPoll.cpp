#include "IdentificationPoll.h"

#include "DeviceImage.h"
#include "DevicePanel.h"
#include "SerialLink.h"

#include <algorithm>
#include <array>
#include <string>

namespace {

// Ten silent seconds are tolerated; the eleventh drops the instrument.
constexpr std::uint8_t kMissesTolerated = 10;

// Identity reply: header, length 12, register, 12 data bytes, checksum.
constexpr std::size_t kSerialOffset = 3;
constexpr std::size_t kSerialWidth = 8;
constexpr std::size_t kModuleTypeLowOffset = 12;
constexpr std::size_t kFirmwareMajorOffset = 13;
constexpr std::size_t kFirmwareMinorOffset = 14;

} // namespace

IdentificationPoll::IdentificationPoll(SerialLink& link, DeviceInfo& info, LinkState& state,
                                       DevicePanel& panel)
    : link(link)
    , info(info)
    , state(state)
    , panel(panel) {}

void IdentificationPoll::PollTick() {
    if (!link.IsOpen() || state.transferBusy)
        return;
    if (link.HasFrame()) {
        std::array<std::uint8_t, SerialLink::kFrameBufferSize> frame{};
        link.TakeFrame(frame);
        if (ParseIdentity(frame)) {
            state.missedPolls = 0;
            if (!state.connected) {
                panel.SetConnected(true);
                panel.RebuildGrid();
            }
        }
    } else if (state.connected && ++state.missedPolls > kMissesTolerated) {
        panel.SetConnected(false);
        info.serialText = "Not Connected";
        panel.ShowSerialText();
        panel.SelectModuleType(0);
    }
    link.ClearInput();
    link.SendFrame(kReadRegisterCommand, std::array{DeviceRegister::Identity});
}

bool IdentificationPoll::ParseIdentity(std::span<const std::uint8_t> frame) {
    // Byte 1: data length; only the identity register's 12 bytes are an identity reply.
    if (frame.size() <= kFirmwareMinorOffset || frame[1] != kIdentityLength)
        return false;
    if (!state.connected) {
        // Bytes 3-10: serial number, ending early at a zero byte.
        const auto serial = frame.subspan(kSerialOffset, kSerialWidth);
        info.serialText.assign(serial.begin(), std::find(serial.begin(), serial.end(), 0));
        panel.ShowSerialText();
        // Byte 12: module type, low byte. Leads are cleared only when they belong to another
        // module, not when no module was current.
        const int moduleType = frame[kModuleTypeLowOffset];
        if (info.moduleType != 0 && moduleType != info.moduleType)
            panel.ClearLeads();
        panel.SelectModuleType(moduleType);
    }
    // Bytes 13-14: firmware major and minor.
    info.firmwareText = std::to_string(frame[kFirmwareMajorOffset]) + "." +
                        std::to_string(frame[kFirmwareMinorOffset]);
    panel.ShowFirmwareText();
    return true;
}
