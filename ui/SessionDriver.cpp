#include "ui/SessionDriver.h"

#include <algorithm>
#include <chrono>

SessionDriver::SessionDriver(InstrumentSession& session, QObject* parent, Clock clock)
    : QObject(parent)
    , session(session)
    , clock(clock ? std::move(clock) : [] { return InstrumentSession::Clock::now(); }) {
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    connect(&timer, &QTimer::timeout, this, &SessionDriver::wake);
}

void SessionDriver::wake() {
    session.timePassed(clock());
    follow();
}

void SessionDriver::portReadable() {
    session.portReadable(clock());
    follow();
}

void SessionDriver::follow() {
    const int descriptor = session.watchedDescriptor();
    if (notifier && notifier->socket() != descriptor) {
        // This may run in the notifier's own signal: it goes once the signal has returned.
        notifier->setEnabled(false);
        notifier.release()->deleteLater();
    }
    if (descriptor >= 0 && !notifier) {
        notifier = std::make_unique<QSocketNotifier>(descriptor, QSocketNotifier::Read);
        connect(notifier.get(), &QSocketNotifier::activated, this, &SessionDriver::portReadable);
    }
    const TimePoint next = session.nextCall();
    if (next == TimePoint::max()) {
        timer.stop();
        return;
    }
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(next - clock());
    timer.start(std::max(wait, std::chrono::milliseconds(0)));
}
