#include "device/InstrumentFinder.h"

#include "device/PortError.h"

InstrumentFinder::InstrumentFinder(const std::vector<std::string>& devicePaths,
                                   Clock::time_point now)
    : deadline(now + kAnswerTime) {
    for (const std::string& path : devicePaths) {
        auto probe = std::make_unique<Probe>();
        try {
            probe->port.open(path);
        } catch (const PortError& error) {
            passedOver_.push_back(error.reason());
            continue;
        }
        probe->session.askIdentity(now, kAnswerTime);
        probe->port.flush();
        probes.push_back(std::move(probe));
    }
    if (probes.empty())
        end();
}

bool InstrumentFinder::tick(Clock::time_point now) {
    if (ended)
        return true;
    for (const std::unique_ptr<Probe>& probe : probes) {
        probe->port.portReadable(now);
        probe->session.timePassed(now);
        probe->port.flush();
        if (const std::optional<DeviceIdentity> identity = probe->session.identity()) {
            found_ = Found{probe->port.devicePath(), *identity};
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
