#include "device/InstrumentFinder.h"

#include "device/IdentificationPoll.h"

#include <array>

InstrumentFinder::InstrumentFinder(const std::vector<std::string>& devicePaths,
                                   Clock::time_point now)
    : deadline(now + kAnswerTime) {
    for (const std::string& path : devicePaths) {
        auto link = std::make_unique<SerialLink>();
        if (!link->open(path)) {
            passedOver_.push_back(link->lastOpenError());
            continue;
        }
        IdentificationPoll::askForIdentity(*link);
        probes.push_back({path, std::move(link)});
    }
    if (probes.empty())
        end();
}

bool InstrumentFinder::tick(Clock::time_point now) {
    if (ended)
        return true;
    for (Probe& probe : probes) {
        probe.link->receive();
        std::array<std::uint8_t, kFrameBufferSize> frame{};
        if (!probe.link->takeFrame(frame))
            continue;
        if (const auto identity = IdentificationPoll::parseIdentity(frame)) {
            found_ = Found{probe.devicePath, *identity};
            end();
            return true;
        }
    }
    if (now >= deadline)
        end();
    return ended;
}

void InstrumentFinder::end() {
    probes.clear();
    ended = true;
}
