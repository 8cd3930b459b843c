#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>

// How long bytes take on the instrument's serial line: 8N1 carries 10 bits a character.
constexpr std::uint32_t kBitsPerCharacter = 10;

constexpr std::chrono::microseconds lineTime(std::size_t bytes, std::uint32_t baudRate) {
    return std::chrono::microseconds(bytes * kBitsPerCharacter * 1'000'000 / baudRate);
}
