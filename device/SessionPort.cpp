#include "device/SessionPort.h"

#include <array>

void SessionPort::open(const std::string& devicePath, LineSettings settings) {
    close();
    devicePath_ = devicePath;
    baudRate_ = SerialPort::supports(settings.baudRate) ? settings.baudRate
                                                        : LineSettings::kInstrumentBaudRate;
    port.open(devicePath_, baudRate_);
    session.lineOpened();
}

void SessionPort::close() {
    pending.clear();
    if (!port.isOpen())
        return;
    port.close();
    session.lineClosed();
}

int SessionPort::descriptor() const {
    return session.hungUp() ? -1 : port.fileDescriptor();
}

void SessionPort::portReadable(TimePoint now) {
    if (descriptor() < 0)
        return;
    std::array<std::uint8_t, 256> block{};
    const std::size_t count = port.read(block);
    if (count > 0) {
        session.bytesArrived(std::span(block).first(count), now);
    } else if (port.hungUp()) {
        pending.clear();
        session.lineHungUp();
    }
    flush();
}

void SessionPort::flush() {
    std::vector<std::uint8_t> more = session.takeOutput();
    pending.insert(pending.end(), more.begin(), more.end());
    if (pending.empty() || descriptor() < 0)
        return;
    const std::size_t written = port.write(pending);
    pending.erase(pending.begin(), pending.begin() + static_cast<std::ptrdiff_t>(written));
}
