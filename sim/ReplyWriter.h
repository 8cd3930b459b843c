#pragma once

#include "device/FrameTrace.h"
#include "sim/LinePace.h"

#include <cstdint>
#include <span>

class InstrumentLine;
class StopSignals;

// How replies go out on the line: after a delay, behind junk bytes, or in two pieces, at the
// pace of a line of lineRate baud (0: at once).
struct LineManner {
    unsigned delayMs = 0;
    bool noise = false;
    bool split = false;
    std::uint32_t lineRate = 0;
};

class ReplyWriter {
public:
    // trace gets every piece written to the line.
    ReplyWriter(InstrumentLine& line, const StopSignals& signals, LineManner manner,
                FrameTrace trace = {});

    void send(std::span<const std::uint8_t> reply);

private:
    // Hands bytes to the line once they would have gone out.
    void transmit(std::span<const std::uint8_t> bytes);

    InstrumentLine& line;
    const StopSignals& signals;
    LineManner manner;
    FrameTrace trace;
    LinePace outgoing;
};
