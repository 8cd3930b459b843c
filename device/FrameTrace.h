#pragma once

#include <chrono>
#include <cstdint>
#include <ostream>
#include <span>
#include <string>

enum class TraceDirection {
    Send,    // written to the line
    Receive, // a frame cut from the line
    Noise,   // bytes dropped without being part of a frame
};

// "12:34:56.789 send 55 01 01 10 12": the time of day, the direction, the bytes in hex.
std::string traceLine(std::chrono::milliseconds timeOfDay, TraceDirection direction,
                      std::span<const std::uint8_t> bytes);

// Writes one line for each frame or run of noise bytes, stamped with the local time of day.
// A default-constructed trace is off and writes nothing.
class FrameTrace {
public:
    FrameTrace() = default;
    explicit FrameTrace(std::ostream& out)
        : out(&out) {}
    // On, writing to out, when setting (MIRAFEN_TRACE, which each front end reads) is anything
    // but none, "" or "0".
    static FrameTrace fromSetting(const char* setting, std::ostream& out);

    bool enabled() const { return out != nullptr; }
    void write(TraceDirection direction, std::span<const std::uint8_t> bytes) const;

private:
    std::ostream* out = nullptr;
};
