#pragma once

#include "device/LineStream.h"
#include "device/SerialPort.h"

// A serial device of this computer, by its path: opens at once or not at all.
class SerialStream : public LineStream {
public:
    explicit SerialStream(std::string devicePath)
        : devicePath(std::move(devicePath)) {}

    void open(std::uint32_t baudRate) override { port.open(devicePath, baudRate); }
    void close() override { port.close(); }
    bool isOpen() const override { return port.isOpen(); }
    int descriptor() const override { return port.fileDescriptor(); }
    std::size_t read(std::span<std::uint8_t> destination) override {
        return port.read(destination);
    }
    std::size_t write(std::span<const std::uint8_t> bytes) override { return port.write(bytes); }
    bool hungUp() const override { return port.hungUp(); }

private:
    std::string devicePath;
    SerialPort port;
};
