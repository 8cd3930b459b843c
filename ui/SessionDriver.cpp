#include "ui/SessionDriver.h"

#include <algorithm>
#include <chrono>

SessionDriver::SessionDriver(SessionLine& line, QObject* parent, Clock clock)
    : QObject(parent)
    , line(line)
    , clock(clock ? std::move(clock) : [] { return InstrumentSession::Clock::now(); }) {
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    connect(&timer, &QTimer::timeout, this, &SessionDriver::wake);
}

void SessionDriver::wake() {
    line.timePassed(clock());
    waitAgain();
}

void SessionDriver::portReadable() {
    line.portReadable(clock());
    waitAgain();
}

void SessionDriver::portWritable() {
    line.portWritable();
    waitAgain();
}

void SessionDriver::waitAgain() {
    const auto watch = [this](std::unique_ptr<QSocketNotifier>& notifier, int descriptor,
                              QSocketNotifier::Type type, void (SessionDriver::*handler)()) {
        if (notifier && notifier->socket() != descriptor) {
            // This may run in the notifier's own signal: it goes once the signal has returned.
            notifier->setEnabled(false);
            notifier.release()->deleteLater();
        }
        if (descriptor >= 0 && !notifier) {
            notifier = std::make_unique<QSocketNotifier>(descriptor, type);
            connect(notifier.get(), &QSocketNotifier::activated, this, handler);
        }
    };
    const int descriptor = line.descriptor();
    watch(readable, descriptor, QSocketNotifier::Read, &SessionDriver::portReadable);
    watch(writable, line.wantsToWrite() ? descriptor : -1, QSocketNotifier::Write,
          &SessionDriver::portWritable);
    const TimePoint next = line.nextCall();
    if (next == TimePoint::max()) {
        timer.stop();
        return;
    }
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(next - clock());
    timer.start(std::max(wait, std::chrono::milliseconds(0)));
}

#include "moc_SessionDriver.cpp"
