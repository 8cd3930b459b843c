#pragma once

#include "device/Frame.h"
#include "device/FrameReceiver.h"
#include "device/FrameTrace.h"

#include <cstdint>
#include <span>
#include <vector>

// The instrument's frame transmitter and receiver (frames: Frame.h), without a port: frames sent
// wait as bytes until the driver takes them for the line, and the driver hands in the bytes the
// line brought. Knows nothing of time or of the operating system.
class SerialLink {
public:
    // trace gets the frames sent and cut and the bytes dropped; by default it is on, on
    // standard error, when MIRAFEN_TRACE is set.
    explicit SerialLink(FrameTrace trace = {});

    // Queues one frame for the line and returns its size; a payload longer than kMaxFrameData is
    // refused and nothing is queued.
    std::uint8_t sendFrame(std::uint8_t command, std::span<const std::uint8_t> data);
    // The bytes queued for the line, oldest first; they are the driver's from now on.
    std::vector<std::uint8_t> takeOutput();
    bool hasOutput() const { return !output.empty(); }

    // Holds what fits of bytes from the line and cuts a frame from them; returns how many were
    // held.
    std::size_t receive(std::span<const std::uint8_t> bytes);
    // Drops the bytes received but not yet cut into a frame.
    void clearInput();
    // Drops everything both ways: a new line starts with nothing owed.
    void reset();
    bool hasFrame() const { return receiver.hasFrame(); }
    bool takeFrame(std::span<std::uint8_t> destination);

private:
    FrameTrace trace;
    std::vector<std::uint8_t> output;
    FrameReceiver receiver;
};
