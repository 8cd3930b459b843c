#pragma once

#include <cstdint>
#include <string>

// A register as messages name it: "0x83".
std::string registerText(std::uint8_t reg);
