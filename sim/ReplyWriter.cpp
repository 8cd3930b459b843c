#include "sim/ReplyWriter.h"

#include "sim/InstrumentLine.h"
#include "sim/StopSignals.h"

#include <array>
#include <vector>

namespace {

// Line noise holds no header byte, so it only delays the frame behind it.
constexpr std::array<std::uint8_t, 4> kNoise{0x00, 0x07, 0xAA, 0xFE};
constexpr std::chrono::milliseconds kSplitPause{20};

} // namespace

ReplyWriter::ReplyWriter(InstrumentLine& line, const StopSignals& signals, LineManner manner,
                         FrameTrace trace)
    : line(line)
    , signals(signals)
    , manner(manner)
    , trace(trace)
    , outgoing(manner.lineRate) {}

void ReplyWriter::send(std::span<const std::uint8_t> reply) {
    if (manner.delayMs > 0)
        signals.sleep(std::chrono::milliseconds(manner.delayMs));
    if (signals.requested())
        return;

    std::vector<std::uint8_t> bytes;
    if (manner.noise) {
        bytes.assign(kNoise.begin(), kNoise.end());
        trace.write(TraceDirection::Send, kNoise);
    }
    bytes.insert(bytes.end(), reply.begin(), reply.end());
    trace.write(TraceDirection::Send, reply);

    const std::span<const std::uint8_t> all(bytes);
    if (!manner.split) {
        transmit(all);
        return;
    }
    const std::size_t half = all.size() / 2;
    transmit(all.first(half));
    signals.sleep(kSplitPause);
    transmit(all.subspan(half));
}

void ReplyWriter::transmit(std::span<const std::uint8_t> bytes) {
    outgoing.carry(bytes.size(), signals);
    if (!signals.requested())
        line.transmit(bytes);
}
