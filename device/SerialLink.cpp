#include "device/SerialLink.h"

#include <array>

SerialLink::SerialLink(FrameTrace trace)
    : trace(trace)
    , receiver(trace) {}

bool SerialLink::open(const std::string& devicePath, LineSettings settings) {
    // Closed first: the exclusive open would refuse the port this link still holds.
    port.close();
    receiver.clear();
    devicePath_ = devicePath;
    baudRate_ = SerialPort::supports(settings.baudRate) ? settings.baudRate
                                                        : LineSettings::kInstrumentBaudRate;
    if (!port.open(devicePath_, baudRate_)) {
        lastOpenError_ = port.lastError();
        return false;
    }
    lastOpenError_.clear();
    return true;
}

void SerialLink::close() {
    port.close();
}

std::uint8_t SerialLink::sendFrame(std::uint8_t command, std::span<const std::uint8_t> data) {
    std::size_t written = 0;
    if (const std::optional<EncodedFrame> frame = encodeFrame(command, data)) {
        written = port.write(frame->bytes());
        if (written > 0)
            trace.write(TraceDirection::Send, frame->bytes().first(written));
    }
    return static_cast<std::uint8_t>(written);
}

void SerialLink::clearInput() {
    receiver.clear();
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
