#pragma once

#include "device/Frame.h"
#include "device/FrameReceiver.h"
#include "device/FrameTrace.h"
#include "device/LineSettings.h"
#include "device/SerialPort.h"

#include <cstdint>
#include <span>
#include <string>

// The open serial port with the instrument's frame transmitter and receiver (frames: Frame.h).
// Knows nothing of time: whoever drives it says when to read and decides how long to wait.
class SerialLink {
public:
    // trace gets the frames sent and cut and the bytes dropped; by default it is on, on
    // standard error, when MIRAFEN_TRACE is set.
    explicit SerialLink(FrameTrace trace = FrameTrace::fromEnvironment());

    // Closes the port held, then opens devicePath raw and exclusive with settings. A baud rate
    // the port does not know becomes LineSettings::kInstrumentBaudRate.
    bool open(const std::string& devicePath, LineSettings settings = {});
    bool isOpen() const { return port.isOpen(); }
    // The port's file descriptor, readable when bytes arrive; -1 when closed.
    int descriptor() const { return port.fileDescriptor(); }
    // Lets go of the port, so that another holder may open it.
    void close();
    std::uint32_t baudRate() const { return baudRate_; }
    // The operating system's reason for the last failed open, empty after a success.
    const std::string& lastOpenError() const { return lastOpenError_; }
    // The device path the last open aimed at.
    const std::string& devicePath() const { return devicePath_; }

    // Writes one frame if the port is open and returns the bytes written; a payload longer than
    // kMaxFrameData is refused and nothing is written.
    std::uint8_t sendFrame(std::uint8_t command, std::span<const std::uint8_t> data);
    // Drops the bytes received but not yet cut into a frame.
    void clearInput();
    // Reads what has arrived and cuts a frame from it; returns the number of bytes read.
    std::size_t receive();
    // The far end is gone: see SerialPort::hungUp.
    bool hungUp() const { return port.hungUp(); }
    bool hasFrame() const { return receiver.hasFrame(); }
    // The receiver holds all it can: nothing more is read until a frame is taken or the input
    // cleared.
    bool inputFull() const { return receiver.room() == 0; }
    bool takeFrame(std::span<std::uint8_t> destination);

private:
    FrameTrace trace;
    SerialPort port;
    std::uint32_t baudRate_ = 0;
    std::string devicePath_;
    std::string lastOpenError_;
    FrameReceiver receiver;
};
