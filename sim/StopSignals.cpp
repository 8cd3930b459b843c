#include "sim/StopSignals.h"

#include <array>
#include <ctime>
#include <poll.h>

namespace {

volatile std::sig_atomic_t stopFlag = 0;

extern "C" void noteStop(int) {
    stopFlag = 1;
}

constexpr std::array<int, 3> kStopSignals{SIGINT, SIGTERM, SIGHUP};

} // namespace

StopSignals::StopSignals() {
    sigset_t blocked;
    sigemptyset(&blocked);
    struct sigaction action {};
    action.sa_handler = noteStop;
    sigemptyset(&action.sa_mask);
    for (int signal : kStopSignals) {
        sigaddset(&blocked, signal);
        sigaction(signal, &action, nullptr);
    }
    sigprocmask(SIG_BLOCK, &blocked, &waitMask);
    for (int signal : kStopSignals)
        sigdelset(&waitMask, signal);
}

bool StopSignals::requested() const {
    return stopFlag != 0;
}

short StopSignals::waitFor(int fd) const {
    pollfd watched{fd, POLLIN, 0};
    if (requested() || ppoll(&watched, 1, nullptr, &waitMask) <= 0)
        return 0;
    return watched.revents;
}

void StopSignals::sleep(std::chrono::microseconds duration) const {
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(duration);
    timespec remaining{static_cast<time_t>(seconds.count()),
                       static_cast<long>((duration - seconds).count()) * 1000L};
    if (!requested())
        ppoll(nullptr, 0, &remaining, &waitMask);
}
