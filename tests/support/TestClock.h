#pragma once

#include <chrono>
#include <functional>

// A steady clock for a session driven by an event loop: it runs speed times faster than real
// time, and skip() moves it on at once, so that time-outs and poll periods pass without the
// test waiting them out.
class TestClock {
public:
    using Clock = std::chrono::steady_clock;

    explicit TestClock(int speed = 1)
        : speed(speed) {}

    Clock::time_point now() const { return origin + (Clock::now() - origin) * speed + skipped; }
    void skip(Clock::duration time) { skipped += time; }
    std::function<Clock::time_point()> function() const {
        return [this] {
            return now();
        };
    }

private:
    int speed;
    Clock::time_point origin = Clock::now();
    Clock::duration skipped{};
};
