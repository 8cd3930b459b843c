#include "device/SerialPort.h"
#include "support/PseudoTerminal.h"

// The kernel's terminal structure reports a speed without a termios constant by its number.
#include <asm/termbits.h>
#include <gtest/gtest.h>

namespace {

TEST(SerialPortSpeedTest, Runs14400ByNumber) {
    PseudoTerminal terminal;
    SerialPort port;

    port.open(terminal.slavePath(), 14400);

    termios2 settings{};
    ASSERT_EQ(ioctl(terminal.slaveFd(), TCGETS2, &settings), 0);
    EXPECT_EQ(settings.c_ospeed, 14400U);
    EXPECT_EQ(settings.c_ispeed, 14400U);
    EXPECT_EQ(settings.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
}

} // namespace
