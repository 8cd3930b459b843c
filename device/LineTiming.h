#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>

// How long bytes take on the instrument's serial line: 8N1 carries 10 bits a character.
constexpr std::uint32_t kBitsPerCharacter = 10;

constexpr std::chrono::microseconds lineTime(std::size_t bytes, std::uint32_t baudRate) {
    return std::chrono::microseconds(bytes * kBitsPerCharacter * 1'000'000 / baudRate);
}

// The silence between two frames, at least 3.5 characters long, in whole milliseconds; none on
// a line without a rate (a port never opened).
constexpr std::chrono::milliseconds frameGap(std::uint32_t baudRate) {
    if (baudRate == 0)
        return std::chrono::milliseconds(0);
    return std::chrono::ceil<std::chrono::milliseconds>(
        std::chrono::microseconds(35 * 1'000'000 / baudRate));
}
