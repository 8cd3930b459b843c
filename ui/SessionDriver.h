#pragma once

#include "device/SessionLine.h"

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <functional>
#include <memory>

// Drives an instrument line from the window's event loop: socket notifiers say when its port has
// bytes or room for what waits to be sent, one timer wakes it when its next call is due. Reads a
// clock of its own choosing, so that tests can move time on.
class SessionDriver : public QObject {
    Q_OBJECT
public:
    using TimePoint = InstrumentSession::TimePoint;
    using Clock = std::function<TimePoint()>;

    // clock: the steady clock unless given.
    SessionDriver(SessionLine& line, QObject* parent, Clock clock = {});

    TimePoint now() const { return clock(); }
    // Does what is due by now and waits again for what the line needs next; call after anything
    // that changes what the session waits for (a port opened or closed, an operation or the poll
    // started).
    void wake();

private:
    void portReadable();
    void portWritable();
    // Waits for what the line needs next.
    void waitAgain();

    SessionLine& line;
    Clock clock;
    std::unique_ptr<QSocketNotifier> readable;
    std::unique_ptr<QSocketNotifier> writable;
    QTimer timer;
};
