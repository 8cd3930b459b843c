#pragma once

#include <functional>
#include <span>

class InstrumentSession;

// Drives sessions from poll(2): waits until a port has bytes or a session's next call is due,
// tells the sessions, and stops as soon as done() holds.
void driveSessions(std::span<InstrumentSession* const> sessions, const std::function<bool()>& done);
