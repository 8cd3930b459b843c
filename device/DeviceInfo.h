#pragma once

#include "device/SerialNumber.h"

#include <cstdint>
#include <string>

// The instrument a transfer is done with, as the window's Device Information shows it and a
// save to the instrument writes it: the serial number as typed or reported, the module type, the
// firmware as text, and the lead count of the module, which comes from the catalogue (the
// instrument does not report it). What the instrument reports of itself is DeviceIdentity
// (Registers.h).
struct DeviceInfo {
    std::string serialText;
    std::int32_t moduleType = 0; // 0 = none
    std::string firmwareText;    // "%d.%d"
    std::uint8_t leadCount = 0;  // of the current module type, at most 128
};
