#include "device/SerialLink.h"

#include <array>
#include <utility>

SerialLink::SerialLink(DeviceNamer deviceOf, FrameTrace trace)
    : deviceOf(std::move(deviceOf))
    , trace(trace)
    , receiver(trace) {}

SerialLink::~SerialLink() = default;

int SerialLink::comNumberOf(std::uint8_t portNumber) {
    return portNumber >= 2 && portNumber <= kComPortCount ? portNumber : 1;
}

bool SerialLink::open(std::uint8_t portNumber, std::uint16_t baudRate) {
    idleReads = 0;
    portNumber_ = portNumber;
    baudRate_ = baudRate;
    // Closed first: the exclusive open would refuse the port this link still holds.
    port.close();

    devicePath_ = deviceOf(comNumberOf(portNumber));
    const std::uint16_t rate = SerialPort::supports(baudRate) ? baudRate : kInstrumentBaudRate;
    if (!port.open(devicePath_, rate)) {
        lastOpenError_ = port.lastError();
        return false;
    }
    baudRate_ = rate;
    lastOpenError_.clear();
    return true;
}

void SerialLink::close() {
    port.close();
}

bool SerialLink::isOpen() const {
    return port.isOpen();
}

const std::string& SerialLink::lastOpenError() const {
    return lastOpenError_;
}

const std::string& SerialLink::devicePath() const {
    return devicePath_;
}

std::uint8_t SerialLink::sendFrame(std::uint8_t command, std::span<const std::uint8_t> data) {
    std::size_t written = 0;
    if (const std::optional<EncodedFrame> frame = encodeFrame(command, data)) {
        written = port.write(frame->bytes());
        if (written > 0) {
            lastSend = std::chrono::steady_clock::now();
            trace.write(TraceDirection::Send, frame->bytes().first(written));
        }
    }
    idleReads = 0;
    timedOut_ = false;
    return static_cast<std::uint8_t>(written);
}

void SerialLink::clearInput() {
    receiver.clear();
}

void SerialLink::pump() {
    if (!receiver.hasFrame()) {
        if (idleReads++ >= readLimit)
            timedOut_ = true;
    }
    receive();
}

std::size_t SerialLink::receive() {
    std::array<std::uint8_t, FrameReceiver::kCapacity> block{};
    const std::size_t count = port.read(std::span(block).first(receiver.room()));
    receiver.receive(std::span(block).first(count));
    return count;
}

bool SerialLink::takeFrame(std::span<std::uint8_t> destination) {
    return receiver.takeFrame(destination);
}

void SerialLink::resetTimeout() {
    timedOut_ = false;
    idleReads = 0;
}
