#pragma once

#include "device/LineSettings.h"
#include "device/SerialLink.h"
#include "device/SerialPort.h"

#include <span>
#include <string>

// The program's link on a real port, for tests that play the program's side by hand: frames
// sent go straight to the port, and receive() reads what has arrived.
class PortLink {
public:
    // Throws PortError when the port will not open.
    void open(const std::string& devicePath) {
        path = devicePath;
        link.reset();
        port.open(devicePath, LineSettings::kInstrumentBaudRate);
    }
    const std::string& devicePath() const { return path; }

    void sendFrame(std::uint8_t command, std::span<const std::uint8_t> data) {
        link.sendFrame(command, data);
        port.write(link.takeOutput());
    }
    void receive() {
        std::array<std::uint8_t, 256> block{};
        link.receive(std::span(block).first(port.read(block)));
    }
    void clearInput() { link.clearInput(); }
    bool takeFrame(std::span<std::uint8_t> destination) { return link.takeFrame(destination); }

private:
    SerialPort port;
    SerialLink link{FrameTrace()};
    std::string path;
};
