#pragma once

#include "device/InstrumentSession.h"
#include "device/SessionPort.h"

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <functional>
#include <memory>

// Drives an instrument session from the window's event loop: socket notifiers say when its
// port has bytes or room for what waits to be sent, one timer wakes it when its next call is
// due. Reads a clock of its own choosing, so that tests can move time on.
class SessionDriver : public QObject {
    Q_OBJECT
public:
    using TimePoint = InstrumentSession::TimePoint;
    using Clock = std::function<TimePoint()>;

    // clock: the steady clock unless given.
    SessionDriver(InstrumentSession& session, SessionPort& port, QObject* parent, Clock clock = {});

    TimePoint now() const { return clock(); }
    // Does what is due by now and waits again for what the session needs next; call after
    // anything that changes what the session waits for (a port opened or closed, a transfer or
    // the poll started).
    void wake();

private:
    void portReadable();
    void portWritable();
    // Waits for what the session and its port need next.
    void waitAgain();

    InstrumentSession& session;
    SessionPort& port;
    Clock clock;
    std::unique_ptr<QSocketNotifier> readable;
    std::unique_ptr<QSocketNotifier> writable;
    QTimer timer;
};
