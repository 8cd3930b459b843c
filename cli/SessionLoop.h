#pragma once

#include <functional>
#include <span>

class SessionPort;
class InstrumentSession;

// An instrument session with the port it talks through.
struct DrivenSession {
    InstrumentSession* session;
    SessionPort* port;
};

// Drives sessions from poll(2): waits until a port has bytes or room for what is to be sent, or
// a session's next call is due, tells the sessions, and stops as soon as done() holds.
void driveSessions(std::span<const DrivenSession> sessions, const std::function<bool()>& done);
