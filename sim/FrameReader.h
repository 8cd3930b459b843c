#pragma once

#include "device/FrameTrace.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

// Collects the bytes a tool sends and cuts them into request frames. Bytes before a header and
// frames whose checksum does not add up are dropped, as line noise would be.
class FrameReader {
public:
    // trace gets the frames cut and the bytes dropped.
    explicit FrameReader(FrameTrace trace = {})
        : trace(trace) {}

    void append(std::span<const std::uint8_t> bytes);
    // The next whole request frame, header first; none until one has arrived complete.
    std::optional<std::vector<std::uint8_t>> next();

private:
    FrameTrace trace;
    std::vector<std::uint8_t> pending;
};
