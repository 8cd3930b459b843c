#pragma once

#include "device/Frame.h"
#include "device/FrameTrace.h"

#include <array>
#include <cstdint>
#include <span>

// The receiving half of the link: holds the bytes read from the line and cuts them into frames
// (findFrame), one frame waiting to be taken at a time. Knows nothing of the port, so whatever
// feeds it decides where the bytes come from.
class FrameReceiver {
public:
    // At most this many bytes are held.
    static constexpr std::size_t kCapacity = 255;

    // trace gets the frames cut and the bytes dropped.
    explicit FrameReceiver(FrameTrace trace = {})
        : trace(trace) {}

    // How many more bytes fit.
    std::size_t room() const { return kCapacity - fill; }
    // Holds the first room() bytes and cuts a frame when none is waiting; returns how many bytes
    // were held. Only bytes arriving cut a frame: one held behind a frame just taken waits for
    // the next bytes, and one announcing more than kCapacity bytes waits for clear().
    std::size_t receive(std::span<const std::uint8_t> bytes);
    // Drops every byte held; a frame already cut stays waiting.
    void clear();

    bool hasFrame() const { return frameReady; }
    // Copies the waiting frame into destination, as much of it as fits; false when none waits.
    bool takeFrame(std::span<std::uint8_t> destination);

private:
    void extractFrame();
    // Drops the count oldest bytes held, tracing them as noise.
    void discardNoise(std::size_t count);
    void discard(std::size_t count);

    FrameTrace trace;
    std::array<std::uint8_t, kCapacity> held{};
    std::size_t fill = 0;
    std::array<std::uint8_t, kCapacity> frameSlot{};
    std::size_t slotFrameSize = 0;
    bool frameReady = false;
};
