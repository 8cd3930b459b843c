#pragma once

#include <cstdint>
#include <span>

// The last byte of every frame: command + data length + data bytes, modulo 256. The header is
// not part of it.
constexpr std::uint8_t frameChecksum(std::uint8_t command, std::span<const std::uint8_t> data) {
    auto sum = static_cast<std::uint8_t>(command + data.size());
    for (const std::uint8_t byte : data)
        sum = static_cast<std::uint8_t>(sum + byte);
    return sum;
}
