#pragma once

#include "device/InstrumentSession.h"

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <functional>
#include <memory>

// Drives an instrument session from the window's event loop: a socket notifier says when its
// port has bytes, one timer wakes it when its next call is due. Reads a clock of its own
// choosing, so that tests can move time on.
class SessionDriver : public QObject {
    Q_OBJECT
public:
    using TimePoint = InstrumentSession::TimePoint;
    using Clock = std::function<TimePoint()>;

    // clock: the steady clock unless given.
    SessionDriver(InstrumentSession& session, QObject* parent, Clock clock = {});

    TimePoint now() const { return clock(); }
    // Does what is due by now and waits again for what the session needs next; call after
    // anything that changes what the session waits for (a port opened or closed, a transfer or
    // the poll started).
    void wake();

private:
    void portReadable();
    void follow();

    InstrumentSession& session;
    Clock clock;
    std::unique_ptr<QSocketNotifier> notifier;
    QTimer timer;
};
