#include "device/SerialPortSpeed.h"

// The kernel's own terminal structure carries the speed as a number; it cannot share a file
// with <termios.h>.
#include <asm/termbits.h>
#include <sys/ioctl.h>

bool setSpeedByNumber(int descriptor, std::uint32_t baudRate) {
    termios2 settings{};
    if (ioctl(descriptor, TCGETS2, &settings) != 0)
        return false;
    settings.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT));
    settings.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    settings.c_ispeed = baudRate;
    settings.c_ospeed = baudRate;
    return ioctl(descriptor, TCSETS2, &settings) == 0;
}
