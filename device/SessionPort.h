#pragma once

#include "device/InstrumentSession.h"
#include "device/LineSettings.h"
#include "device/SerialPort.h"

#include <cstdint>
#include <string>
#include <vector>

// The serial port of one instrument session, for whatever drives it: opens a device by path and
// line settings, hands the session what the port brought and a hang-up, and puts on the line
// what the session hands out, never waiting for the port. The driver waits on descriptor(), for
// writing too while wantsToWrite().
class SessionPort {
public:
    using TimePoint = InstrumentSession::TimePoint;

    explicit SessionPort(InstrumentSession& session)
        : session(session) {}

    // Closes the port held, then opens devicePath raw and exclusive with settings; a baud rate
    // the port does not know becomes LineSettings::kInstrumentBaudRate. Throws PortError when
    // the port will not open; devicePath() names it all the same.
    void open(const std::string& devicePath, LineSettings settings = {});
    void close();
    bool isOpen() const { return port.isOpen(); }
    // No line to talk on: the port is closed, or it hung up.
    bool lineGone() const { return !port.isOpen() || session.hungUp(); }
    // The device path the last open aimed at.
    const std::string& devicePath() const { return devicePath_; }
    std::uint32_t baudRate() const { return baudRate_; }

    // The descriptor to wait on; -1 while there is none worth waiting on (no port, or one that
    // hung up).
    int descriptor() const;
    bool wantsToWrite() const { return !pending.empty(); }

    // The port is readable (or reports a hang-up): what arrived goes to the session.
    void portReadable(TimePoint now);
    // Puts what the session has to send on the line, as far as the port takes it now; call after
    // every call into the session and when the port is writable.
    void flush();

private:
    InstrumentSession& session;
    SerialPort port;
    std::string devicePath_;
    std::uint32_t baudRate_ = 0;
    std::vector<std::uint8_t> pending;
};
