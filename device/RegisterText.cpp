#include "device/RegisterText.h"

#include <array>
#include <cstdio>

std::string registerText(std::uint8_t reg) {
    std::array<char, 8> text{};
    std::snprintf(text.data(), text.size(), "0x%02X", static_cast<unsigned>(reg));
    return text.data();
}
