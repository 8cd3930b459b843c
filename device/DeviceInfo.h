#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Serial numbers are at most this many characters in the window and on the wire.
inline constexpr std::size_t kSerialTextWidth = 8;

// What the serial number shows, and a save writes, while no instrument has answered.
inline constexpr std::string_view kNotConnectedText = "Not Connected";

// The instrument's identity as the main window holds it; a save to the instrument writes it.
struct DeviceInfo {
    std::string serialText{kNotConnectedText};
    std::int32_t moduleType = 0; // 0 = none
    std::string firmwareText;    // "%d.%d"
    std::uint8_t leadCount = 0;  // of the current module type, at most 128
};

// What the poll knows of the instrument on its line.
struct LinkState {
    bool connected = false;
    std::uint8_t missedPolls = 0;
};
