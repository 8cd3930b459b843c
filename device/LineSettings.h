#pragma once

#include <cstdint>

// How the port is set up for the instrument: raw, 8 data bits, no parity, one stop bit, at
// baudRate; handshaking as the driver has it.
struct LineSettings {
    // The instrument's line speed, and the one a speed the port does not know becomes.
    static constexpr std::uint32_t kInstrumentBaudRate = 9600;

    std::uint32_t baudRate = kInstrumentBaudRate;
};
