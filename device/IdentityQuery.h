#pragma once

#include "device/Registers.h"

#include <chrono>
#include <optional>

class SerialLink;

// Asks for the identity as the poll does, again every second, until an answer the poll would
// accept arrives or the wait is over. Unlike the poll it takes an answer as soon as it is
// complete. Has no timer and never waits: its driver calls it.
class IdentityQuery {
public:
    using Clock = std::chrono::steady_clock;
    using TimePoint = Clock::time_point;

    explicit IdentityQuery(SerialLink& link)
        : link(link) {}

    // Sends the first request.
    void start(TimePoint now, std::chrono::milliseconds wait);
    // Judges a frame waiting on the link.
    void frameArrived();
    // Asks again when a second has passed; gives up when the wait is over.
    void timePassed(TimePoint now);
    // No answer can come any more (the line hung up), or none is wanted.
    void giveUp() { gaveUp = true; }
    // When timePassed next has something to do; TimePoint::max() once finished.
    TimePoint nextCall() const;

    bool finished() const { return identity_.has_value() || gaveUp; }
    // Set once an answer came.
    const std::optional<DeviceIdentity>& identity() const { return identity_; }
    // When the last request left, so that a transfer after it waits for a late answer.
    TimePoint lastRequest() const { return lastRequest_; }

private:
    void ask(TimePoint now);

    SerialLink& link;
    TimePoint deadline{};
    TimePoint lastRequest_{};
    std::optional<DeviceIdentity> identity_;
    bool started = false;
    bool gaveUp = false;
};
