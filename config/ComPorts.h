#pragma once

#include <cstdint>

// The port is chosen as COM 1 to COM 16; ProgramSettings says which device each stands for.
inline constexpr int kComPortCount = 16;

// The COM port a stored number stands for: 2 to 16 are themselves, every other number (none
// opened yet, or a stray stored value) stands for COM 1.
constexpr int comNumberOf(std::uint8_t portNumber) {
    return portNumber >= 2 && portNumber <= kComPortCount ? portNumber : 1;
}
