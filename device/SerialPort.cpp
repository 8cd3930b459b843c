#include "device/SerialPort.h"

#include "device/PortError.h"
#include "device/SerialPortSpeed.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

struct LineSpeed {
    std::uint32_t baudRate;
    std::optional<speed_t> constant; // none: set by number after the line is configured
};

constexpr std::array<LineSpeed, 6> kLineSpeeds{{
    {2400, B2400},
    {9600, B9600},
    {14400, std::nullopt},
    {19200, B19200},
    {38400, B38400},
    {57600, B57600},
}};

const LineSpeed* lineSpeedOf(std::uint32_t baudRate) {
    const auto found = std::ranges::find(kLineSpeeds, baudRate, &LineSpeed::baudRate);
    return found == kLineSpeeds.end() ? nullptr : &*found;
}

// Bytes pass unchanged both ways, 8N1, and a read returns at once with what has arrived.
// Hardware handshaking stays as the driver reports it; XON/XOFF goes, since it would swallow the
// bytes 0x11 and 0x13 of binary frames.
void makeRaw8N1(termios& settings) {
    cfmakeraw(&settings);
    settings.c_iflag &= ~(IXOFF | IXANY);
    settings.c_cflag &= ~(CSTOPB | CMSPAR);
    settings.c_cflag |= CLOCAL | CREAD;
    settings.c_cc[VMIN] = 0;
    settings.c_cc[VTIME] = 0;
}

} // namespace

SerialPort::~SerialPort() {
    close();
}

bool SerialPort::supports(std::uint32_t baudRate) {
    return lineSpeedOf(baudRate) != nullptr;
}

void SerialPort::open(const std::string& devicePath, std::uint32_t baudRate) {
    close();
    const LineSpeed* speed = lineSpeedOf(baudRate);
    if (speed == nullptr)
        fail(devicePath, EINVAL);

    descriptor = ::open(devicePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0)
        fail(devicePath, errno);
    // Root passes TIOCEXCL, so the lock is what keeps a second opener out.
    if (flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK)
            fail(devicePath, errno);
        // A program that keeps a lock file as well says who it is there.
        const std::optional<std::string> holder = SerialPortLock::runningHolder(devicePath);
        fail(devicePath, EBUSY, holder ? " (locked by " + *holder + ")" : "");
    }
    // Before the exclusive mode, which a refusal would clear for the program holding the port.
    if (!lock.take(devicePath))
        fail(devicePath, EBUSY, " (locked by " + lock.holder() + ")");
    if (ioctl(descriptor, TIOCEXCL) != 0)
        fail(devicePath, errno);
    exclusive = true;

    termios settings{};
    if (tcgetattr(descriptor, &settings) != 0)
        fail(devicePath, errno);
    makeRaw8N1(settings);
    if (cfsetspeed(&settings, speed->constant.value_or(B9600)) != 0 ||
        tcsetattr(descriptor, TCSANOW, &settings) != 0)
        fail(devicePath, errno);
    if (!speed->constant && !setSpeedByNumber(descriptor, baudRate))
        fail(devicePath, errno);
}

void SerialPort::close() {
    if (descriptor < 0)
        return;
    // The exclusive mode outlives this descriptor on a terminal that others still hold.
    if (exclusive)
        ioctl(descriptor, TIOCNXCL);
    ::close(descriptor);
    descriptor = -1;
    exclusive = false;
    lock.release();
}

void SerialPort::fail(const std::string& devicePath, int errorNumber, const std::string& detail) {
    close();
    throw PortError(devicePath, devicePath + ": " + std::strerror(errorNumber) + detail);
}

std::size_t SerialPort::read(std::span<std::uint8_t> destination) {
    if (descriptor < 0 || destination.empty())
        return 0;
    const ssize_t count = ::read(descriptor, destination.data(), destination.size());
    return count > 0 ? static_cast<std::size_t>(count) : 0;
}

bool SerialPort::hungUp() const {
    if (descriptor < 0)
        return false;
    pollfd state{descriptor, POLLIN, 0};
    return poll(&state, 1, 0) > 0 && (state.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

std::size_t SerialPort::write(std::span<const std::uint8_t> bytes) {
    if (descriptor < 0 || bytes.empty())
        return 0;
    const ssize_t count = ::write(descriptor, bytes.data(), bytes.size());
    return count > 0 ? static_cast<std::size_t>(count) : 0;
}
