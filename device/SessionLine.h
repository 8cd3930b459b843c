#pragma once

#include "device/FrameTrace.h"
#include "device/InstrumentSession.h"
#include "device/LineSettings.h"
#include "device/SessionPort.h"

#include <string>

// One instrument session on its port: what every loop drives, the window's from its event loop,
// the command line's and the port search's from poll(2) or the window's loop alike. A driver
// waits on descriptor() (for writing too while wantsToWrite()), calls portReadable() or
// portWritable() when it says so, and timePassed() at nextCall(); nothing here waits.
class SessionLine {
public:
    using TimePoint = InstrumentSession::TimePoint;

    explicit SessionLine(FrameTrace trace = {})
        : session_(trace) {}
    SessionLine(const SessionLine&) = delete;
    SessionLine& operator=(const SessionLine&) = delete;

    InstrumentSession& session() { return session_; }
    const InstrumentSession& session() const { return session_; }
    SessionPort& port() { return port_; }
    const SessionPort& port() const { return port_; }

    // Throws PortError when the port will not open; a network port still opening tells events
    // when it has opened or failed (SessionPort::open).
    void open(const std::string& devicePath, LineSettings settings = {},
              SessionPort::OpenEvents events = {}) {
        port_.open(devicePath, settings, std::move(events));
    }

    int descriptor() const { return port_.descriptor(); }
    bool wantsToWrite() const { return port_.wantsToWrite(); }
    TimePoint nextCall() const { return session_.nextCall(); }
    void portReadable(TimePoint now) { port_.portReadable(now); }
    void portWritable() { port_.flush(); }
    // Does what is due by now and puts what it sends on the line.
    void timePassed(TimePoint now) {
        session_.timePassed(now);
        port_.flush();
    }

private:
    InstrumentSession session_;
    SessionPort port_{session_};
};
