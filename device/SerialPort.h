#pragma once

#include "device/SerialPortLock.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

// One serial device held open, exclusive (its flock and its UUCP lock file), raw 8N1, with reads
// that never wait. The only place that talks to the operating system's port.
class SerialPort {
public:
    SerialPort() = default;
    ~SerialPort();
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    // The line speeds the instrument knows: 2400, 9600, 14400, 19200, 38400, 57600.
    static bool supports(std::uint32_t baudRate);

    // Opens devicePath for reading and writing, exclusive to this holder, at a supported baud
    // rate. On failure the port is closed and PortError says why.
    void open(const std::string& devicePath, std::uint32_t baudRate);
    void close();
    bool isOpen() const { return descriptor >= 0; }
    // The open device's file descriptor, to wait on for arriving bytes; -1 when closed.
    int fileDescriptor() const { return descriptor; }

    // Reading and writing never throw: they run in a poll loop, where a vanished far end reads
    // as silence and hungUp() tells it apart.

    // The bytes already received, at most destination.size(); 0 when none are waiting or the
    // device fails.
    std::size_t read(std::span<std::uint8_t> destination);
    // The far end is gone for good (a USB adapter pulled out, the other end of a pseudo-terminal
    // closed): the device reports a hang-up, and reads will never bring bytes again.
    bool hungUp() const;
    // Hands the driver what it takes now, without waiting (a line held by hardware handshaking
    // would otherwise freeze the program); returns how many bytes it took.
    std::size_t write(std::span<const std::uint8_t> bytes);

private:
    // Closes the port and throws PortError for devicePath with the system's reason.
    [[noreturn]] void fail(const std::string& devicePath, int errorNumber,
                           const std::string& detail = {});

    int descriptor = -1;
    bool exclusive = false; // this holder set the terminal's exclusive mode
    SerialPortLock lock;
};
