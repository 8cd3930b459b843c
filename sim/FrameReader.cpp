#include "sim/FrameReader.h"

#include "device/Frame.h"
#include "device/SerialLink.h"

#include <algorithm>

void FrameReader::append(std::span<const std::uint8_t> bytes) {
    pending.insert(pending.end(), bytes.begin(), bytes.end());
}

std::optional<std::vector<std::uint8_t>> FrameReader::next() {
    for (;;) {
        const auto header = std::find(pending.begin(), pending.end(), SerialLink::kHeader);
        pending.erase(pending.begin(), header);
        if (pending.size() < SerialLink::kFrameOverhead)
            return std::nullopt;

        // Bytes 0: header, 1: data length L, 2: command, 3 to L+2: data, L+3: checksum.
        const std::size_t length = pending[1];
        const std::size_t frameSize = length + SerialLink::kFrameOverhead;
        if (pending.size() < frameSize)
            return std::nullopt;
        const std::span<const std::uint8_t> frame(pending.data(), frameSize);
        if (frame.back() == frameChecksum(frame[2], frame.subspan(3, length))) {
            std::vector<std::uint8_t> request(frame.begin(), frame.end());
            pending.erase(pending.begin(), pending.begin() + static_cast<long>(frameSize));
            return request;
        }
        // Not a frame after all: look for the next header behind this one.
        pending.erase(pending.begin());
    }
}
