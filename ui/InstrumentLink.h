#pragma once

#include "device/IdentificationPoll.h"
#include "device/SessionLine.h"
#include "ui/PortConnection.h"
#include "ui/SessionDriver.h"

#include <QObject>
#include <optional>

class ProgramSettings;

// The window's line to the instrument: the port it opened and reopens, its session with the poll,
// and the driver that runs them on the event loop. Tells each poll's outcome; what it shows is the
// window's to decide.
class InstrumentLink : public QObject {
    Q_OBJECT

public:
    InstrumentLink(ProgramSettings& settings, FrameTrace trace, SessionDriver::Clock clock,
                   QObject* parent);

    SessionLine& line() { return line_; }
    const SessionLine& line() const { return line_; }
    InstrumentSession& session() { return line_.session(); }
    SessionDriver& driver() { return *driver_; }
    PortConnection& connection() { return connection_; }

    // Polls once a period from now on; a port that hung up or would not open is tried again at
    // every tick, so that an adapter plugged back in is polled at the next.
    void startPolling(std::chrono::milliseconds minimumSpacing);
    // What the instrument said of itself at the poll's last answer; none while none is connected.
    const std::optional<DeviceIdentity>& reportedIdentity() const { return reported; }
    // An operation found that the instrument holds identity now (a save wrote it).
    void instrumentHolds(const DeviceIdentity& identity) { reported = identity; }
    // Closes the port, so that another may open it (the port search).
    void releasePort();

    // Keeps the poll still while it lives: from the start of a transfer until its message is
    // dismissed. The poll asks again one period after it goes.
    class PollHold {
    public:
        explicit PollHold(InstrumentLink& link);
        PollHold(const PollHold&) = delete;
        PollHold& operator=(const PollHold&) = delete;
        ~PollHold();

    private:
        InstrumentLink& link;
    };

signals:
    void polled(const IdentificationPoll::Outcome& outcome);

private:
    SessionLine line_;
    SessionDriver* driver_;
    PortConnection connection_;
    std::optional<DeviceIdentity> reported;
};
