#include "device/InstrumentFinder.h"

#include "device/LineLoop.h"
#include "device/SerialPort.h"
#include "support/FrameBytes.h"
#include "support/LoopbackServer.h"
#include "support/PortRefusal.h"
#include "support/PseudoTerminal.h"
#include "support/SimulatorProcess.h"

#include <gtest/gtest.h>

namespace {

using Clock = InstrumentFinder::Clock;

// Drives the search's lines until it ends; the time it took.
Clock::duration runToTheEnd(InstrumentFinder& finder, Clock::time_point begin) {
    const std::vector<SessionLine*> lines = finder.lines();
    driveLines(lines, [&finder] { return finder.finished(); });
    return Clock::now() - begin;
}

bool opensAgain(const std::string& path) {
    SerialPort port;
    return portRefusal([&] { port.open(path, LineSettings::kInstrumentBaudRate); }).empty();
}

TEST(InstrumentFinder, FindsTheInstrumentBesideASilentPortAndLeavesAHeldPortAlone) {
    SimulatorProcess instrument({"--serial", "00012345", "--module", "3"});
    ASSERT_FALSE(instrument.terminalPath().empty());
    PseudoTerminal silent;
    PseudoTerminal held;
    SerialPort otherProgram;
    otherProgram.open(held.slavePath(), LineSettings::kInstrumentBaudRate);

    auto finder = std::make_unique<InstrumentFinder>(
        std::vector{held.slavePath(), silent.slavePath(), instrument.terminalPath()}, Clock::now());
    runToTheEnd(*finder, Clock::now());

    ASSERT_TRUE(finder->found().has_value());
    EXPECT_EQ(finder->found()->devicePath, instrument.terminalPath());
    EXPECT_EQ(finder->found()->identity.serialText, "00012345");
    EXPECT_EQ(finder->found()->identity.moduleType, 3);
    ASSERT_EQ(finder->passedOver().size(), 1U);
    EXPECT_NE(finder->passedOver()[0].find(held.slavePath()), std::string::npos);
    finder.reset();
    // The silent port was asked the poll's question and nothing else.
    const std::vector<std::uint8_t> asked = silent.receive(64);
    ASSERT_FALSE(asked.empty());
    for (std::size_t at = 0; at < asked.size(); at += kIdentityRequest.size())
        EXPECT_EQ(std::vector(asked.begin() + static_cast<long>(at),
                              asked.begin() + static_cast<long>(at + kIdentityRequest.size())),
                  kIdentityRequest);
    EXPECT_TRUE(held.receive(1).empty());
    EXPECT_TRUE(opensAgain(silent.slavePath()));
    EXPECT_TRUE(opensAgain(instrument.terminalPath()));
}

TEST(InstrumentFinder, WithOnlySilentPortsItEndsWithinItsTimeWithNone) {
    PseudoTerminal first;
    PseudoTerminal second;
    const auto begin = Clock::now();
    auto finder = std::make_unique<InstrumentFinder>(
        std::vector{first.slavePath(), second.slavePath()}, begin);

    const auto took = runToTheEnd(*finder, begin);

    EXPECT_FALSE(finder->found().has_value());
    finder.reset();
    EXPECT_GE(took, InstrumentFinder::kAnswerTime);
    EXPECT_LT(took, InstrumentFinder::kAnswerTime + std::chrono::seconds(2));
    EXPECT_TRUE(opensAgain(first.slavePath()));
    EXPECT_TRUE(opensAgain(second.slavePath()));
}

TEST(InstrumentFinder, AFrameThatIsNoIdentityIsNotTakenForTheInstrument) {
    PseudoTerminal echoing;
    const auto begin = Clock::now();
    InstrumentFinder finder({echoing.slavePath()}, begin);
    ASSERT_EQ(echoing.receive(5), kIdentityRequest);
    echoing.send({0x55, 0x01, 0x00, 0x00, 0x01}); // an acknowledgement, not an identity

    runToTheEnd(finder, begin);

    EXPECT_FALSE(finder.found().has_value());
}

TEST(InstrumentFinder, PassesOverANetworkPortThatCouldNotConnect) {
    SimulatorProcess instrument({"--serial", "00012345"});
    ASSERT_FALSE(instrument.terminalPath().empty());
    LoopbackServer away;
    away.stopListening();
    const std::string name = "tcp://127.0.0.1:" + away.port();

    const auto begin = Clock::now();
    InstrumentFinder finder({name, instrument.terminalPath()}, begin);
    runToTheEnd(finder, begin);

    ASSERT_TRUE(finder.found().has_value());
    EXPECT_EQ(finder.found()->devicePath, instrument.terminalPath());
    EXPECT_EQ(finder.passedOver(), std::vector<std::string>{"could not connect to 127.0.0.1:" +
                                                            away.port() + ": connection refused"});
}

TEST(InstrumentFinder, NoPortsToAskEndsAtOnce) {
    InstrumentFinder finder({"/nonexistent/ttyUSB9"}, Clock::now());
    bool told = false;
    finder.onEnded([&told] { told = true; });
    EXPECT_TRUE(finder.finished());
    EXPECT_TRUE(told);
    EXPECT_FALSE(finder.found().has_value());
    EXPECT_EQ(finder.passedOver().size(), 1U);
}

} // namespace
