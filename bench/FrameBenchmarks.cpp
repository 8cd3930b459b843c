#include "device/Frame.h"

#include <array>
#include <benchmark/benchmark.h>
#include <vector>

namespace {

// A lead register's content: the largest reply of a transfer.
constexpr std::array<std::uint8_t, 9> kLead{0x01, 'L', 'e', 'a', 'd', '0', '0', '0', '7'};

void encodeLeadFrame(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(encodeFrame(0x86, kLead));
}
BENCHMARK(encodeLeadFrame);

void decodeLeadFrame(benchmark::State& state) {
    const EncodedFrame frame = *encodeFrame(0x86, kLead);
    for (auto _ : state) {
        const std::optional<FrameView> view = decodeFrame(frame.bytes());
        benchmark::DoNotOptimize(view && view->checksumMatches());
    }
}
BENCHMARK(decodeLeadFrame);

// 128 lead replies, each behind four bytes of line noise, cut as the receiver cuts them.
void receiveNoisyStream(benchmark::State& state) {
    constexpr std::array<std::uint8_t, 4> kNoise{0x00, 0x07, 0xAA, 0xFE};
    std::vector<std::uint8_t> stream;
    for (int lead = 0; lead < 128; ++lead) {
        stream.insert(stream.end(), kNoise.begin(), kNoise.end());
        const EncodedFrame frame = *encodeFrame(static_cast<std::uint8_t>(0x80 + lead), kLead);
        stream.insert(stream.end(), frame.bytes().begin(), frame.bytes().end());
    }
    for (auto _ : state) {
        std::span<const std::uint8_t> held(stream);
        std::size_t frames = 0;
        while (!held.empty()) {
            const FrameSearch found = findFrame(held);
            held = held.subspan(found.noise);
            if (!found.complete)
                break;
            held = held.subspan(found.frameSize);
            ++frames;
        }
        benchmark::DoNotOptimize(frames);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * stream.size()));
}
BENCHMARK(receiveNoisyStream);

} // namespace
