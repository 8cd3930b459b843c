#include "device/FrameReceiver.h"

#include <algorithm>

std::size_t FrameReceiver::receive(std::span<const std::uint8_t> bytes) {
    const std::size_t count = std::min(bytes.size(), room());
    std::copy_n(bytes.begin(), count, held.begin() + static_cast<std::ptrdiff_t>(fill));
    if (count == 0)
        return 0;
    fill += count;
    extractFrame();
    return count;
}

void FrameReceiver::clear() {
    discardNoise(fill);
}

bool FrameReceiver::takeFrame(std::span<std::uint8_t> destination) {
    if (!frameReady)
        return false;
    std::copy_n(frameSlot.begin(), std::min(destination.size(), slotFrameSize),
                destination.begin());
    frameReady = false;
    return true;
}

void FrameReceiver::extractFrame() {
    if (frameReady)
        return;

    const FrameSearch found = findFrame(std::span(held).first(fill));
    discardNoise(found.noise);
    if (!found.complete)
        return;

    std::copy_n(held.begin(), found.frameSize, frameSlot.begin());
    slotFrameSize = found.frameSize;
    trace.write(TraceDirection::Receive, std::span(frameSlot).first(slotFrameSize));
    discard(found.frameSize);
    frameReady = true;
}

void FrameReceiver::discardNoise(std::size_t count) {
    if (count > 0)
        trace.write(TraceDirection::Noise, std::span(held).first(count));
    discard(count);
}

void FrameReceiver::discard(std::size_t count) {
    std::copy(held.begin() + static_cast<std::ptrdiff_t>(count),
              held.begin() + static_cast<std::ptrdiff_t>(fill), held.begin());
    fill -= count;
}
