#include "device/SessionPort.h"

#include "device/SerialPortLock.h"
#include "support/FrameBytes.h"
#include "support/InMemoryLine.h"
#include "support/PortRefusal.h"
#include "support/PseudoTerminal.h"

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace {

class SessionPortTest : public ::testing::Test {
protected:
    termios portSettings() const {
        termios settings{};
        EXPECT_EQ(tcgetattr(terminal.slaveFd(), &settings), 0);
        return settings;
    }

    const std::string missingDevice =
        (std::filesystem::temp_directory_path() / "mirafen-no-such-port").string();
    PseudoTerminal terminal;
    InstrumentSession session{FrameTrace()};
    SessionPort link{session};
};

TEST_F(SessionPortTest, OpensTheNamedDeviceRawAndNonBlocking) {
    link.open(terminal.slavePath(), {9600});

    EXPECT_TRUE(link.isOpen());
    EXPECT_EQ(link.devicePath(), terminal.slavePath());
    const termios settings = portSettings();
    EXPECT_EQ(settings.c_cflag & (CSIZE | PARENB | CSTOPB), static_cast<tcflag_t>(CS8));
    EXPECT_EQ(settings.c_cflag & (CLOCAL | CREAD), static_cast<tcflag_t>(CLOCAL | CREAD));
    EXPECT_EQ(settings.c_lflag & (ICANON | ECHO | ISIG), 0U);
    EXPECT_EQ(settings.c_iflag & (IXON | IXOFF | ICRNL | ISTRIP), 0U);
    EXPECT_EQ(settings.c_oflag & OPOST, 0U);
    EXPECT_EQ(settings.c_cc[VMIN], 0);
    EXPECT_EQ(settings.c_cc[VTIME], 0);
}

TEST_F(SessionPortTest, UnsupportedBaudRatesBecome9600) {
    struct Case {
        std::uint32_t given;
        std::uint32_t kept;
        speed_t speed;
    };
    // 115200 would read as 49664 in 16 bits.
    for (const Case c : {Case{4800, 9600, B9600}, Case{0, 9600, B9600}, Case{2400, 2400, B2400},
                         Case{57600, 57600, B57600}, Case{115200, 9600, B9600}}) {
        link.open(terminal.slavePath(), {c.given});
        EXPECT_EQ(link.baudRate(), c.kept) << c.given;
        const termios settings = portSettings();
        EXPECT_EQ(cfgetospeed(&settings), c.speed) << c.given;
        EXPECT_EQ(cfgetispeed(&settings), c.speed) << c.given;
    }
}

TEST_F(SessionPortTest, FailedOpenClosesThePortHeldAndKeepsTheReason) {
    link.open(terminal.slavePath());

    EXPECT_EQ(portRefusal([this] { link.open(missingDevice, {4800}); }),
              missingDevice + ": No such file or directory");

    EXPECT_FALSE(link.isOpen());
    EXPECT_EQ(link.devicePath(), missingDevice);
    EXPECT_FALSE(session.lineOpen());
    EXPECT_TRUE(link.lineGone());
}

TEST_F(SessionPortTest, ReopeningThePortHeldSucceeds) {
    link.open(terminal.slavePath());
    EXPECT_NO_THROW(link.open(terminal.slavePath()));
    EXPECT_TRUE(link.isOpen());
}

TEST_F(SessionPortTest, PortHeldByOneLinkIsRefusedToAnotherUntilReleased) {
    link.open(terminal.slavePath());
    InstrumentSession otherSession{FrameTrace()};
    SessionPort other{otherSession};

    // The lock file the first link keeps names its holder, this process.
    const std::string error = portRefusal([&] { other.open(terminal.slavePath()); });
    EXPECT_TRUE(error.starts_with(terminal.slavePath() + ": Device or resource busy (locked by "))
        << error;
    EXPECT_TRUE(error.ends_with(", process " + std::to_string(getpid()) + ", " +
                                SerialPortLock::pathFor(terminal.slavePath()).string() + ")"))
        << error;

    ASSERT_NE(portRefusal([this] { link.open(missingDevice); }), "");
    EXPECT_NO_THROW(other.open(terminal.slavePath()));
}

TEST_F(SessionPortTest, ClosesThePortWhenDestroyed) {
    {
        InstrumentSession firstSession{FrameTrace()};
        SessionPort first{firstSession};
        first.open(terminal.slavePath());
    }
    EXPECT_NO_THROW(link.open(terminal.slavePath()));
}

TEST_F(SessionPortTest, CarriesTheSessionsBytesBothWaysAndTellsItOfAHangUp) {
    link.open(terminal.slavePath());
    const auto now = InstrumentSession::Clock::now();
    session.askIdentity(now, std::chrono::seconds(5));
    link.flush();
    EXPECT_FALSE(link.wantsToWrite());
    EXPECT_EQ(terminal.receive(5), (Bytes{0x55, 0x01, 0x01, 0x10, 0x12}));

    RegisterStore registers{{"00004711", 3, 1, 2}};
    terminal.send(Responder(registers).answer(Bytes{0x55, 0x01, 0x01, 0x10, 0x12})->bytes());
    link.portReadable(now);
    ASSERT_TRUE(session.identity());
    EXPECT_EQ(session.identity()->serialText, "00004711");

    terminal.hangUp();
    link.portReadable(now);
    EXPECT_TRUE(session.hungUp());
    EXPECT_TRUE(link.lineGone());
    EXPECT_EQ(link.descriptor(), -1) << "a hung-up port is no longer waited on";
}

TEST(SerialPortTest, ReadWithNothingWaitingReturnsAtOnce) {
    PseudoTerminal terminal;
    SerialPort port;
    port.open(terminal.slavePath(), 9600);
    std::array<std::uint8_t, 16> buffer{};

    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(port.read(buffer), 0U);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(100));
}

TEST(SerialPortTest, VanishedFarEndReadsAsSilence) {
    PseudoTerminal terminal;
    SerialPort port;
    port.open(terminal.slavePath(), 9600);
    terminal.hangUp();
    std::array<std::uint8_t, 16> buffer{};

    EXPECT_EQ(port.read(buffer), 0U);
    EXPECT_TRUE(port.isOpen());
}

} // namespace
