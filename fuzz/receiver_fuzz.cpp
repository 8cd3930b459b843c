// The receiver on arbitrary bytes in arbitrary chunks. Each chunk is led by a control byte: its
// low six bits the chunk's size less one, bit 6 takes a waiting frame, bit 7 clears the input.
#include "device/Frame.h"
#include "device/FrameReceiver.h"
#include "fuzz/FuzzCheck.h"

#include <array>
#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::span<const std::uint8_t> input(data, size);
    FrameReceiver receiver;
    while (!input.empty()) {
        const std::uint8_t control = input.front();
        input = input.subspan(1);
        const auto chunk = input.first(std::min<std::size_t>((control & 0x3F) + 1, input.size()));
        input = input.subspan(chunk.size());

        const std::size_t room = receiver.room();
        fuzzCheck(receiver.receive(chunk) == std::min(room, chunk.size()));
        if (control & 0x40) {
            std::array<std::uint8_t, FrameReceiver::kCapacity> frame{};
            const bool waiting = receiver.hasFrame();
            fuzzCheck(receiver.takeFrame(frame) == waiting);
            fuzzCheck(!receiver.hasFrame());
            // What the receiver cuts is one whole frame as its length byte announces it.
            if (waiting)
                fuzzCheck(decodeFrame(frame).has_value());
        }
        if (control & 0x80) {
            receiver.clear();
            fuzzCheck(receiver.room() == FrameReceiver::kCapacity);
        }
    }
    return 0;
}
