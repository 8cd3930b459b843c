#pragma once

#include "device/SessionPort.h"

#include <functional>
#include <gtest/gtest.h>
#include <poll.h>

// Drives a session's port as the front ends do, from its descriptor, until done holds. Only a
// broken test waits long for the line.
inline void driveUntil(SessionPort& port, const std::function<bool()>& done) {
    while (!done()) {
        const short events = static_cast<short>(POLLIN | (port.wantsToWrite() ? POLLOUT : 0));
        pollfd waiting{port.descriptor(), events, 0};
        ASSERT_GE(waiting.fd, 0) << "nothing to wait on";
        ASSERT_EQ(::poll(&waiting, 1, 20000), 1) << "the line is stuck";
        if ((waiting.revents & ~POLLOUT) != 0)
            port.portReadable(InstrumentSession::Clock::now());
        else
            port.flush();
    }
}
