#include "cli/SessionLoop.h"

#include "device/InstrumentSession.h"
#include "device/SessionPort.h"

#include <algorithm>
#include <poll.h>
#include <vector>

namespace {

using Clock = InstrumentSession::Clock;

// The longest single wait; a loop with nothing pending still looks at done() this often.
constexpr std::chrono::milliseconds kLongestWait{1000};

int waitMilliseconds(Clock::time_point next) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(next - Clock::now());
    return static_cast<int>(std::clamp(left, std::chrono::milliseconds(0), kLongestWait).count());
}

} // namespace

void driveSessions(std::span<const DrivenSession> sessions, const std::function<bool()>& done) {
    std::vector<pollfd> ports(sessions.size());
    while (true) {
        for (const DrivenSession& driven : sessions) {
            driven.session->timePassed(Clock::now());
            driven.port->flush();
        }
        if (done())
            return;
        Clock::time_point next = Clock::time_point::max();
        for (std::size_t i = 0; i < sessions.size(); ++i) {
            const SessionPort& port = *sessions[i].port;
            // A negative descriptor is left out by poll(2).
            ports[i] = {port.descriptor(),
                        static_cast<short>(POLLIN | (port.wantsToWrite() ? POLLOUT : 0)), 0};
            next = std::min(next, sessions[i].session->nextCall());
        }
        if (::poll(ports.data(), ports.size(), waitMilliseconds(next)) <= 0)
            continue;
        for (std::size_t i = 0; i < sessions.size(); ++i) {
            if ((ports[i].revents & ~POLLOUT) != 0)
                sessions[i].port->portReadable(Clock::now());
            else if (ports[i].revents != 0)
                sessions[i].port->flush();
        }
        if (done())
            return;
    }
}
