#pragma once

#include "device/InstrumentSession.h"
#include "device/LineSettings.h"
#include "device/LineStream.h"
#include "device/PortError.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// The line of one instrument session, for whatever drives it: opens a port by its name (a serial
// device's path, or a network port's `rfc2217://` or `tcp://` address) and line settings, hands
// the session what the line brought and a hang-up, and puts on the line what the session hands
// out, never waiting for the line. The driver waits on descriptor(), for writing too while
// wantsToWrite().
//
// A network port opens while the driver waits: the session is told lineOpened() once it is
// connected, and a connection that fails ends like a port that would not open: openFailure()
// holds the PortError and the open's failed event runs with it. A server that turns this client
// away as it serves another ends the line the same way, after the session has seen it hang up.
class SessionPort {
public:
    using TimePoint = InstrumentSession::TimePoint;

    // What an open that finishes later tells its driver.
    struct OpenEvents {
        std::function<void()> opened;
        std::function<void(const PortError& error)> failed;
    };

    explicit SessionPort(InstrumentSession& session)
        : session(session) {}

    // Closes the line held, then opens the port named devicePath with settings; a baud rate a
    // port does not know becomes LineSettings::kInstrumentBaudRate. Throws PortError when the
    // port will not open; devicePath() names it all the same. A port that opens at once has
    // opened on return (events.opened does not run); one still opening() tells events when it
    // has opened or failed.
    void open(const std::string& devicePath, LineSettings settings = {}, OpenEvents events = {});
    void close();
    // Open, or still opening.
    bool isOpen() const { return line && line->isOpen(); }
    bool opening() const { return line && line->opening(); }
    // Why the last open failed after it had begun; none while it goes on or once it opened.
    const std::optional<PortError>& openFailure() const { return openFailure_; }
    // No line to talk on: the port is closed, or it hung up. A port still opening is not gone.
    bool lineGone() const { return !isOpen() || session.hungUp(); }
    // The port's name the last open aimed at.
    const std::string& devicePath() const { return devicePath_; }
    std::uint32_t baudRate() const { return baudRate_; }

    // The descriptor to wait on; -1 while there is none worth waiting on (no port, or one that
    // hung up).
    int descriptor() const;
    bool wantsToWrite() const { return !pending.empty() || (line && line->holdsOutput()); }

    // The port is readable (or reports a hang-up, or an open goes on): what arrived goes to the
    // session.
    void portReadable(TimePoint now);
    // Puts what the session has to send on the line, as far as the line takes it now; call
    // after every call into the session and when the port is writable.
    void flush();

private:
    // The open has gone on as far as it goes now.
    void proceed();
    void opened();
    void failed(const PortError& error);

    InstrumentSession& session;
    std::unique_ptr<LineStream> line;
    std::string devicePath_;
    std::uint32_t baudRate_ = 0;
    std::vector<std::uint8_t> pending;
    OpenEvents events;
    std::optional<PortError> openFailure_;
};
