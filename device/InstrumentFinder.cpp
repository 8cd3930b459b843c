#include "device/InstrumentFinder.h"

#include "device/PortError.h"

#include <algorithm>

InstrumentFinder::InstrumentFinder(const std::vector<std::string>& devicePaths,
                                   Clock::time_point now, FrameTrace trace)
    : deadline(now + kAnswerTime) {
    for (const std::string& path : devicePaths) {
        auto probe = std::make_unique<SessionLine>(trace);
        SessionLine& line = *probe;
        try {
            line.open(path, {},
                      {[this, &line] { ask(line, Clock::now()); },
                       [this](const PortError& error) {
                           passedOver_.push_back(error.reason());
                           endWhenAllAnswered();
                       }});
        } catch (const PortError& error) {
            passedOver_.push_back(error.reason());
            continue;
        }
        probes.push_back(std::move(probe));
    }
    if (probes.empty()) {
        end();
        return;
    }
    for (const std::unique_ptr<SessionLine>& probe : probes)
        if (!probe->port().opening())
            ask(*probe, now);
}

std::vector<SessionLine*> InstrumentFinder::lines() {
    std::vector<SessionLine*> driven;
    for (const std::unique_ptr<SessionLine>& probe : probes)
        driven.push_back(probe.get());
    return driven;
}

void InstrumentFinder::onEnded(std::function<void()> listener) {
    endedListener = std::move(listener);
    if (ended && endedListener)
        endedListener();
}

void InstrumentFinder::ask(SessionLine& line, Clock::time_point now) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - now);
    line.session().askIdentity(now, std::max(left, std::chrono::milliseconds(0)),
                               [this, &line] { answered(line); });
    line.portWritable();
}

void InstrumentFinder::answered(SessionLine& line) {
    if (ended)
        return;
    if (const std::optional<DeviceIdentity> identity = line.session().identity()) {
        found_ = Found{line.port().devicePath(), *identity};
        end();
        return;
    }
    endWhenAllAnswered();
}

void InstrumentFinder::endWhenAllAnswered() {
    if (ended || std::ranges::any_of(probes, [](const std::unique_ptr<SessionLine>& probe) {
            return probe->port().opening() || probe->session().identityPending();
        }))
        return;
    end();
}

void InstrumentFinder::end() {
    ended = true;
    // The other ports are asked no more; they close when the finder goes.
    for (const std::unique_ptr<SessionLine>& probe : probes)
        probe->session().cancelIdentity();
    if (endedListener)
        endedListener();
}
