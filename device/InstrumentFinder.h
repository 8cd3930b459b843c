#pragma once

#include "device/InstrumentSession.h"
#include "device/Registers.h"
#include "device/SessionPort.h"

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// Looks for the instrument on several serial ports at once: each port that is free is opened and
// asked for the identity as a session asks for it, and the first answer wins. Ports another
// program holds are left alone. Nothing but the identity request is ever written, and every
// port opened is closed again when the search ends. Driven by tick(); has no timer itself.
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
    InstrumentFinder(const std::vector<std::string>& devicePaths, Clock::time_point now);

    // Reads what has arrived; true once the search has ended (an answer, or the time is up).
    bool tick(Clock::time_point now);

    const std::optional<Found>& found() const { return found_; }
    // The ports that could not be opened (held by another program, missing, not permitted),
    // with the system's reason.
    const std::vector<std::string>& passedOver() const { return passedOver_; }

private:
    struct Probe {
        Probe()
            : port(session) {}
        void ask(Clock::time_point now, Clock::time_point deadline);

        InstrumentSession session;
        SessionPort port;
        bool asked = false; // or passed over, having failed to connect
    };

    void end();

    std::vector<std::unique_ptr<Probe>> probes;
    Clock::time_point deadline;
    std::optional<Found> found_;
    std::vector<std::string> passedOver_;
    bool ended = false;
};
