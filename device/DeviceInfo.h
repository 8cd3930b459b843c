#pragma once

#include <cstdint>
#include <string>

// The instrument's identity as the main window holds it; a save to the instrument writes it.
struct DeviceInfo {
    std::string serialText = "Not Connected";
    std::int32_t moduleType = 0; // 0 = none
    std::string firmwareText;    // "%d.%d"
    std::uint8_t leadCount = 0;  // of the current module type, at most 128
};

// The window's link flags that the poll and the transfer commands share.
struct LinkState {
    bool connected = false;
    bool transferBusy = false; // a transfer holds the link; the poll stands still
    std::uint8_t missedPolls = 0;
};
