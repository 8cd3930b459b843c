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
        if (!probe->port.opening())
            probe->ask(now, deadline);
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
        // A network port asks once it has connected, in the time that is left; one that could
        // not connect is passed over as a port that would not open.
        if (!probe->asked && probe->port.isOpen() && !probe->port.opening())
            probe->ask(now, deadline);
        if (!probe->asked && probe->port.openFailure()) {
            probe->asked = true;
            passedOver_.push_back(probe->port.openFailure()->reason());
        }
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

void InstrumentFinder::Probe::ask(Clock::time_point now, Clock::time_point deadline) {
    asked = true;
    session.askIdentity(now, std::chrono::ceil<std::chrono::milliseconds>(deadline - now));
    port.flush();
}

void InstrumentFinder::end() {
    probes.clear();
    ended = true;
}
