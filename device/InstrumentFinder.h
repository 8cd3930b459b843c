#pragma once

#include "device/Registers.h"
#include "device/SessionLine.h"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// Looks for the instrument on several ports at once: each port that is free is opened and asked
// for the identity as a session asks for it, and the first answer wins. Ports another program
// holds are left alone; a network port is asked once it has connected, in the time that is left,
// and one that could not connect is passed over with its reason. Nothing but the identity request
// is ever written, and every port opened is closed again when the finder goes. Its lines are
// driven as any other line (lines()); it has no timer itself and ends from its lines' events.
class InstrumentFinder {
public:
    using Clock = std::chrono::steady_clock;

    struct Found {
        std::string devicePath;
        DeviceIdentity identity;
    };

    // How long the ports are given to answer.
    static constexpr std::chrono::milliseconds kAnswerTime{1500};

    // Opens the free ports among devicePaths and asks each for the identity.
    InstrumentFinder(const std::vector<std::string>& devicePaths, Clock::time_point now,
                     FrameTrace trace = {});
    InstrumentFinder(const InstrumentFinder&) = delete;
    InstrumentFinder& operator=(const InstrumentFinder&) = delete;

    // The lines to drive until finished().
    std::vector<SessionLine*> lines();
    // An answer came, or every port has had its time.
    bool finished() const { return ended; }
    // Runs once the search has ended; at once when it already has.
    void onEnded(std::function<void()> listener);

    const std::optional<Found>& found() const { return found_; }
    // The ports that could not be opened (held by another program, missing, not permitted),
    // with the system's reason.
    const std::vector<std::string>& passedOver() const { return passedOver_; }

private:
    void ask(SessionLine& line, Clock::time_point now);
    void answered(SessionLine& line);
    // Ends the search once no port is still opening or waiting for its answer.
    void endWhenAllAnswered();
    void end();

    std::vector<std::unique_ptr<SessionLine>> probes;
    Clock::time_point deadline;
    std::optional<Found> found_;
    std::vector<std::string> passedOver_;
    std::function<void()> endedListener;
    bool ended = false;
};
