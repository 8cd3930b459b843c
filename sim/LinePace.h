#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>

class StopSignals;

// One direction of a serial line at a given rate: bytes follow each other, each taking the time
// of 10 bits, so a batch is through only when its last byte would be. A rate of 0 is a line
// with no delay at all.
class LinePace {
public:
    explicit LinePace(std::uint32_t baudRate)
        : baudRate(baudRate) {}

    // Waits until bytes handed to the line now, behind those before them, would be through.
    void carry(std::size_t bytes, const StopSignals& signals);

private:
    using Clock = std::chrono::steady_clock;

    std::uint32_t baudRate;
    Clock::time_point freeAt{}; // when the line has carried everything handed to it so far
};
