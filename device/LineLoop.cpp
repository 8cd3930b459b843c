#include "device/LineLoop.h"

#include <algorithm>
#include <chrono>
#include <poll.h>
#include <vector>

namespace {

using Clock = InstrumentSession::Clock;

// The longest single wait.
constexpr std::chrono::milliseconds kLongestWait{1000};

int waitMilliseconds(Clock::time_point next) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(next - Clock::now());
    return static_cast<int>(std::clamp(left, std::chrono::milliseconds(0), kLongestWait).count());
}

} // namespace

void driveLines(std::span<SessionLine* const> lines, const std::function<bool()>& done) {
    std::vector<pollfd> ports(lines.size());
    while (true) {
        for (SessionLine* line : lines)
            line->timePassed(Clock::now());
        if (done())
            return;
        Clock::time_point next = Clock::time_point::max();
        for (std::size_t i = 0; i < lines.size(); ++i) {
            // A negative descriptor is left out by poll(2).
            ports[i] = {lines[i]->descriptor(),
                        static_cast<short>(POLLIN | (lines[i]->wantsToWrite() ? POLLOUT : 0)), 0};
            next = std::min(next, lines[i]->nextCall());
        }
        if (::poll(ports.data(), ports.size(), waitMilliseconds(next)) <= 0)
            continue;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if ((ports[i].revents & ~POLLOUT) != 0)
                lines[i]->portReadable(Clock::now());
            else if (ports[i].revents != 0)
                lines[i]->portWritable();
        }
        if (done())
            return;
    }
}
