#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

// Collects the bytes a tool sends and cuts them into request frames. Bytes before a header and
// frames whose checksum does not add up are skipped, as line noise would be.
class FrameReader {
public:
    void append(std::span<const std::uint8_t> bytes);
    // The next whole request frame, header first; none until one has arrived complete.
    std::optional<std::vector<std::uint8_t>> next();

private:
    std::vector<std::uint8_t> pending;
};
