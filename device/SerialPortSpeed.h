#pragma once

#include <cstdint>

// Sets a line speed that has no termios constant (14400) on an open terminal, input and output
// alike, by its number. False with errno set when the driver refuses it.
bool setSpeedByNumber(int descriptor, std::uint32_t baudRate);
