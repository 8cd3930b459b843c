#pragma once

#include "device/Frame.h"
#include "device/FrameReceiver.h"
#include "device/FrameTrace.h"
#include "device/SerialPort.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

// The open COM port with the instrument's frame transmitter and receiver (frames: Frame.h).
class SerialLink {
public:
    // The instrument's line speed, and the one a rate the port does not know falls back to.
    static constexpr std::uint16_t kInstrumentBaudRate = 9600;
    // COM 1 to COM 16.
    static constexpr int kComPortCount = 16;
    // The COM port a stored number stands for: 2 to 16 are themselves, every other number
    // (none opened yet, or a stray stored value) stands for COM 1.
    static int comNumberOf(std::uint8_t portNumber);

    // Names the device that COM n stands for (the settings supply it).
    using DeviceNamer = std::function<std::string(int comNumber)>;

    // trace gets the frames sent and cut and the bytes dropped; by default it is on, on
    // standard error, when MIRAFEN_TRACE is set.
    explicit SerialLink(DeviceNamer deviceOf, FrameTrace trace = FrameTrace::fromEnvironment());
    ~SerialLink();
    SerialLink(const SerialLink&) = delete;
    SerialLink& operator=(const SerialLink&) = delete;

    // Closes the port held, then opens COM portNumber (numbers outside 2..16 open COM 1) raw
    // 8N1 and exclusive. Unsupported baud rates become kInstrumentBaudRate.
    bool open(std::uint8_t portNumber, std::uint16_t baudRate);
    bool isOpen() const;
    // The port's file descriptor, readable when bytes arrive; -1 when closed.
    int descriptor() const { return port.fileDescriptor(); }
    // Lets go of the port, so that another holder may open it.
    void close();
    std::uint8_t portNumber() const { return portNumber_; }
    std::uint16_t baudRate() const { return baudRate_; }
    // The operating system's reason for the last failed Open, empty after a success.
    const std::string& lastOpenError() const;
    // The device path the last Open aimed at.
    const std::string& devicePath() const;

    // Writes one frame if the port is open and returns the bytes written; a payload longer than
    // kMaxFrameData is refused and nothing is written. Either way the time-out counting restarts.
    std::uint8_t sendFrame(std::uint8_t command, std::span<const std::uint8_t> data);
    // When the last frame went out; long ago when none has.
    std::chrono::steady_clock::time_point lastSendTime() const { return lastSend; }
    void clearInput();
    // The periodic read: counts one idle read towards the time-out, then receives.
    void pump();
    // Reads what has arrived and cuts a frame from it, without counting towards the time-out;
    // returns the number of bytes read.
    std::size_t receive();
    bool hasFrame() const { return receiver.hasFrame(); }
    bool takeFrame(std::span<std::uint8_t> destination);
    bool timedOut() const { return timedOut_; }
    void resetTimeout();
    void setReadLimit(std::uint16_t limit) { readLimit = limit; }

private:
    DeviceNamer deviceOf;
    FrameTrace trace;
    SerialPort port;
    std::uint8_t portNumber_ = 0;
    std::uint16_t baudRate_ = 0;
    std::string devicePath_;
    std::string lastOpenError_;

    FrameReceiver receiver;
    std::uint16_t idleReads = 0;
    std::uint16_t readLimit = 1;
    bool timedOut_ = false;
    std::chrono::steady_clock::time_point lastSend{};
};
