#include "device/FrameTrace.h"

#include "support/FrameBytes.h"
#include "support/TraceLines.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace std::chrono_literals;

TEST(FrameTraceTest, LineIsTimeDirectionAndHexBytes) {
    struct Case {
        std::chrono::milliseconds time;
        TraceDirection direction;
        Bytes bytes;
        std::string line;
    };
    const std::vector<Case> cases{
        {12h + 34min + 56s + 789ms,
         TraceDirection::Send,
         {0x55, 0x01, 0x01, 0x10, 0x12},
         "12:34:56.789 send 55 01 01 10 12"},
        {23h + 59min + 59s + 999ms,
         TraceDirection::Receive,
         {0x55, 0x01, 0xAB, 0xCD, 0x79},
         "23:59:59.999 recv 55 01 AB CD 79"},
        {5ms, TraceDirection::Noise, {0x00, 0x07}, "00:00:00.005 noise 00 07"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(traceLine(c.time, c.direction, c.bytes), c.line);
}

TEST(FrameTraceTest, WritesOneStampedLineForEachCall) {
    std::ostringstream out;
    const FrameTrace trace(out);
    trace.write(TraceDirection::Send, Bytes{0x55, 0x00, 0x61, 0x61});
    trace.write(TraceDirection::Noise, Bytes{0xFE});

    EXPECT_EQ(traceLines(out.str()), (std::vector<std::string>{"send 55 00 61 61", "noise FE"}));
}

TEST(FrameTraceTest, TheSettingSwitchesItOn) {
    struct Case {
        const char* value; // nullptr: not set
        bool on;
    };
    // MIRAFEN_TRACE as the program finds it at start-up.
    for (const Case c :
         {Case{"1", true}, Case{"0", false}, Case{"", false}, Case{nullptr, false}}) {
        SCOPED_TRACE(c.value ? c.value : "not set");
        std::ostringstream out;
        const FrameTrace trace = FrameTrace::fromSetting(c.value, out);
        trace.write(TraceDirection::Send, Bytes{0x55});

        EXPECT_EQ(trace.enabled(), c.on);
        EXPECT_EQ(out.str().empty(), !c.on);
    }
}

} // namespace
