#include "device/SerialLink.h"

#include <algorithm>
#include <utility>

namespace {

constexpr std::uint16_t kFallbackBaudRate = 9600;
constexpr std::size_t kLengthOffset = 1;
constexpr std::size_t kDataOffset = 3;

// COM 2 to 16 are themselves; every other number stands for COM 1.
int comNumberOf(std::uint8_t portNumber) {
    return portNumber >= 2 && portNumber <= 16 ? portNumber : 1;
}

} // namespace

SerialLink::SerialLink(DeviceNamer deviceOf)
    : deviceOf(std::move(deviceOf)) {}

SerialLink::~SerialLink() = default;

bool SerialLink::open(std::uint8_t portNumber, std::uint16_t baudRate) {
    idleReads = 0;
    portNumber_ = portNumber;
    baudRate_ = baudRate;
    // Closed first: the exclusive open would refuse the port this link still holds.
    port.close();

    devicePath_ = deviceOf(comNumberOf(portNumber));
    const std::uint16_t rate = SerialPort::supports(baudRate) ? baudRate : kFallbackBaudRate;
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
    if (data.size() <= kMaxDataLength) {
        // Bytes 0: header, 1: data length L, 2: command, 3 to L+2: data, L+3: checksum.
        std::array<std::uint8_t, kFrameBufferSize> frame{};
        frame[0] = kHeader;
        frame[kLengthOffset] = static_cast<std::uint8_t>(data.size());
        frame[2] = command;
        std::ranges::copy(data, frame.begin() + kDataOffset);
        frame[kDataOffset + data.size()] = frameChecksum(command, data);
        written = port.write(std::span(frame).first(data.size() + kFrameOverhead));
    }
    idleReads = 0;
    timedOut_ = false;
    return static_cast<std::uint8_t>(written);
}

void SerialLink::clearInput() {
    fill = 0;
}

void SerialLink::pump() {
    if (!frameReady) {
        if (idleReads++ >= readLimit)
            timedOut_ = true;
    }
    if (!port.isOpen())
        return;

    // At most 255 bytes are held, so fill never wraps.
    const std::size_t room = receiveBuffer.size() - 1 - fill;
    const std::size_t count = port.read(std::span(receiveBuffer).subspan(fill, room));
    if (count == 0)
        return;
    fill = static_cast<std::uint8_t>(fill + count);
    extractFrame();
}

void SerialLink::extractFrame() {
    if (frameReady)
        return;

    const auto held = std::span(receiveBuffer).first(fill);
    const auto header = std::ranges::find(held, kHeader);
    if (header == held.end()) {
        fill = 0;
        return;
    }
    std::copy(header, held.end(), receiveBuffer.begin());
    fill = static_cast<std::uint8_t>(held.end() - header);

    if (fill < kFrameOverhead)
        return;
    const std::size_t frameSize = receiveBuffer[kLengthOffset] + kFrameOverhead;
    if (fill < frameSize)
        return;

    std::copy_n(receiveBuffer.begin(), frameSize, frameSlot.begin());
    std::copy(receiveBuffer.begin() + frameSize, receiveBuffer.begin() + fill,
              receiveBuffer.begin());
    fill = static_cast<std::uint8_t>(fill - frameSize);
    frameReady = true;
}

bool SerialLink::takeFrame(std::span<std::uint8_t> destination) {
    if (!frameReady)
        return false;
    const std::size_t frameSize = frameSlot[kLengthOffset] + kFrameOverhead;
    std::copy_n(frameSlot.begin(), std::min(destination.size(), frameSize), destination.begin());
    frameReady = false;
    return true;
}

void SerialLink::resetTimeout() {
    timedOut_ = false;
    idleReads = 0;
}
