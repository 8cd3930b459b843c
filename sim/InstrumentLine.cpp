#include "sim/InstrumentLine.h"

#include "setup/Failure.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

InstrumentLine::~InstrumentLine() {
    if (terminal >= 0)
        close(terminal);
    if (master >= 0)
        close(master);
}

void InstrumentLine::open() {
    master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    std::array<char, 128> name{};
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0 ||
        ptsname_r(master, name.data(), name.size()) != 0)
        throw Failure(std::string("cannot open a pseudo-terminal: ") + std::strerror(errno));
    terminalPath_ = name.data();
    terminal = ::open(terminalPath_.c_str(), O_RDWR | O_NOCTTY);
    termios settings{};
    if (terminal < 0 || tcgetattr(terminal, &settings) != 0)
        throw Failure(terminalPath_ + ": " + std::strerror(errno));
    // Raw 8N1 like the instrument's line, so nothing is echoed or translated before a tool
    // has set its own mode.
    cfmakeraw(&settings);
    cfsetispeed(&settings, B9600);
    cfsetospeed(&settings, B9600);
    tcsetattr(terminal, TCSANOW, &settings);
}

std::vector<std::uint8_t> InstrumentLine::receive() {
    // The tool's exclusive mode would outlive its close because this end stays open; lift it
    // so the tool can open the port again. Its lock on the port still keeps others out.
    ioctl(terminal, TIOCNXCL);

    std::vector<std::uint8_t> bytes;
    std::array<std::uint8_t, 256> chunk{};
    for (;;) {
        const ssize_t count = read(master, chunk.data(), chunk.size());
        if (count <= 0)
            return bytes;
        bytes.insert(bytes.end(), chunk.begin(), chunk.begin() + count);
    }
}

void InstrumentLine::transmit(std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
        const ssize_t count = write(master, bytes.data(), bytes.size());
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return;
        bytes = bytes.subspan(static_cast<std::size_t>(count));
    }
}
