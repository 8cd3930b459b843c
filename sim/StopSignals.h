#pragma once

#include <chrono>
#include <csignal>

// SIGINT, SIGTERM and SIGHUP ask the simulator to stop. They are blocked except while it waits,
// so a stop that arrives between two waits is seen at the next one instead of being missed.
class StopSignals {
public:
    StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    bool requested() const;
    // Waits until fd has something to say or a stop arrives; returns the poll events (0 on stop).
    short waitFor(int fd) const;
    // Waits the duration, ending early on a stop.
    void sleep(std::chrono::microseconds duration) const;

private:
    sigset_t waitMask{};
};
