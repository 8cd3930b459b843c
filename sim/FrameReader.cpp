#include "sim/FrameReader.h"

#include "device/Frame.h"

void FrameReader::append(std::span<const std::uint8_t> bytes) {
    pending.insert(pending.end(), bytes.begin(), bytes.end());
}

std::optional<std::vector<std::uint8_t>> FrameReader::next() {
    std::size_t dropped = 0;
    std::optional<std::vector<std::uint8_t>> request;
    for (;;) {
        const auto rest = std::span(pending).subspan(dropped);
        const FrameSearch found = findFrame(rest);
        dropped += found.noise;
        if (!found.complete)
            break;
        const std::optional<FrameView> frame = decodeFrame(rest.subspan(found.noise));
        if (frame->checksumMatches()) {
            request.emplace(frame->bytes.begin(), frame->bytes.end());
            break;
        }
        // Not a frame after all: look for the next header behind this one.
        ++dropped;
    }

    if (dropped > 0)
        trace.write(TraceDirection::Noise, std::span(pending).first(dropped));
    if (request)
        trace.write(TraceDirection::Receive, *request);
    const std::size_t taken = dropped + (request ? request->size() : 0);
    pending.erase(pending.begin(), pending.begin() + static_cast<long>(taken));
    return request;
}
