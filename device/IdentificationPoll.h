#pragma once

#include "DeviceInfo.h"

#include <cstdint>
#include <span>

class DevicePanel;
class SerialLink;

// Once a second asks the instrument for its identity register and keeps the window's idea of
// the attached instrument current. Driven by the window's 1000 ms timer; has no timer itself.
class IdentificationPoll {
public:
    IdentificationPoll(SerialLink& link, DeviceInfo& info, LinkState& state, DevicePanel& panel);

    void PollTick();
    // Accepts or rejects one frame as an identity reply and updates the device information.
    bool ParseIdentity(std::span<const std::uint8_t> frame);

private:
    SerialLink& link;
    DeviceInfo& info;
    LinkState& state;
    DevicePanel& panel;
};
