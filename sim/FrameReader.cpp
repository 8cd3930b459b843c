#include "sim/FrameReader.h"

#include "device/Frame.h"

void FrameReader::append(std::span<const std::uint8_t> bytes) {
    pending.insert(pending.end(), bytes.begin(), bytes.end());
}

std::optional<std::vector<std::uint8_t>> FrameReader::next() {
    for (;;) {
        const FrameSearch found = findFrame(pending);
        pending.erase(pending.begin(), pending.begin() + static_cast<long>(found.noise));
        if (!found.complete)
            return std::nullopt;
        const std::optional<FrameView> frame = decodeFrame(pending);
        if (frame->checksumMatches()) {
            std::vector<std::uint8_t> request(frame->bytes.begin(), frame->bytes.end());
            pending.erase(pending.begin(), pending.begin() + static_cast<long>(request.size()));
            return request;
        }
        // Not a frame after all: look for the next header behind this one.
        pending.erase(pending.begin());
    }
}
