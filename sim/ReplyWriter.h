#pragma once

#include "device/FrameTrace.h"

#include <cstdint>
#include <span>

class InstrumentLine;
class StopSignals;

// How replies go out on the line: after a delay, behind junk bytes, or in two pieces.
struct LineManner {
    unsigned delayMs = 0;
    bool noise = false;
    bool split = false;
};

class ReplyWriter {
public:
    // trace gets every piece written to the line.
    ReplyWriter(InstrumentLine& line, const StopSignals& signals, LineManner manner,
                FrameTrace trace = {});

    void send(std::span<const std::uint8_t> reply);

private:
    InstrumentLine& line;
    const StopSignals& signals;
    LineManner manner;
    FrameTrace trace;
};
