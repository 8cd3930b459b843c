#include "device/SessionPort.h"

#include "device/SerialPort.h"

#include <array>
#include <cerrno>
#include <cstring>

void SessionPort::open(const std::string& devicePath, LineSettings settings, OpenEvents events) {
    close();
    devicePath_ = devicePath;
    baudRate_ = SerialPort::supports(settings.baudRate) ? settings.baudRate
                                                        : LineSettings::kInstrumentBaudRate;
    line = makeLineStream(devicePath_);
    line->open(baudRate_);
    if (line->opening()) {
        this->events = std::move(events);
        return;
    }
    session.lineOpened();
}

void SessionPort::close() {
    pending.clear();
    events = {};
    openFailure_.reset();
    if (!line || !line->isOpen())
        return;
    const bool wasOpened = !line->opening();
    line->close();
    if (wasOpened)
        session.lineClosed();
}

int SessionPort::descriptor() const {
    if (!line || (session.hungUp() && !line->opening()))
        return -1;
    return line->descriptor();
}

void SessionPort::portReadable(TimePoint now) {
    if (opening()) {
        proceed();
        return;
    }
    if (descriptor() < 0)
        return;
    std::array<std::uint8_t, 256> block{};
    const std::size_t count = line->read(block);
    if (count > 0) {
        session.bytesArrived(std::span(block).first(count), now);
    } else if (line->hungUp()) {
        pending.clear();
        session.lineHungUp();
        if (const std::string refusal = line->refusal(); !refusal.empty()) {
            line->close();
            session.lineClosed();
            failed(PortError(devicePath_, devicePath_ + ": " + std::strerror(EBUSY) +
                                              " (the server said: " + refusal + ")"));
        }
    }
    flush();
}

void SessionPort::proceed() {
    try {
        line->proceed();
    } catch (const PortError& error) {
        failed(error);
        return;
    }
    if (!line->opening())
        opened();
}

void SessionPort::opened() {
    session.lineOpened();
    flush();
    // A copy runs: the event may open or close this port, which replaces the events held.
    if (const std::function<void()> event = events.opened)
        event();
}

void SessionPort::failed(const PortError& error) {
    openFailure_ = error;
    if (const std::function<void(const PortError&)> event = events.failed)
        event(error);
}

void SessionPort::flush() {
    std::vector<std::uint8_t> more = session.takeOutput();
    pending.insert(pending.end(), more.begin(), more.end());
    if (!wantsToWrite() || descriptor() < 0 || opening())
        return;
    const std::size_t written = line->write(pending);
    pending.erase(pending.begin(), pending.begin() + static_cast<std::ptrdiff_t>(written));
}
