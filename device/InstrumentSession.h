#pragma once

#include "device/DeviceInfo.h"
#include "device/FrameTrace.h"
#include "device/IdentificationPoll.h"
#include "device/IdentityQuery.h"
#include "device/LineSettings.h"
#include "device/SerialLink.h"
#include "device/TransferExchange.h"
#include "setup/SetupRecord.h"

#include <chrono>
#include <functional>
#include <optional>
#include <string>

// One instrument on one port: the link, the identification poll, the identity asked for until
// it comes, and transfers with their pace, attempts and time-outs. It never sleeps and owns no
// timer: its driver waits on watchedDescriptor() and until nextCall(), then says what happened
// through portReadable() and timePassed(). The window drives it from its event loop, the command
// line from poll(2), tests with a clock of their own.
class InstrumentSession {
public:
    using Clock = std::chrono::steady_clock;
    using TimePoint = Clock::time_point;
    using Direction = TransferExchange::Direction;
    using Result = TransferExchange::Result;
    using PollReport = std::function<void(const IdentificationPoll::Outcome& outcome)>;

    // What a transfer tells while it runs and when it ends.
    struct TransferEvents {
        TransferExchange::ProgressSink progress;
        std::function<void()> ended;
    };

    explicit InstrumentSession(FrameTrace trace = FrameTrace::fromEnvironment());

    // Closes the port held, then opens devicePath (SerialLink::open).
    bool open(const std::string& devicePath, LineSettings settings = {});
    void close();
    const SerialLink& link() const { return link_; }
    // The descriptor to wait on for arriving bytes; -1 while there is none to wait on (no port,
    // a port that hung up, or one resting until the next call).
    int watchedDescriptor() const;
    // The port reported a hang-up: the instrument or its adapter is gone until it is opened again.
    bool hungUp() const { return lineHungUp; }
    // The least time from a reply to the next request of a transfer, for a slow instrument;
    // at most SessionTiming::kLongestMinimumSpacing.
    void setMinimumSpacing(std::chrono::milliseconds spacing);

    // The port has bytes, or reports a hang-up.
    void portReadable(TimePoint now);
    // Does what is due by now.
    void timePassed(TimePoint now);
    // When timePassed next has something to do; TimePoint::max() when nothing is pending.
    TimePoint nextCall() const;

    // From one poll period after now on, polls once a period and reports each outcome. The
    // poll stands still while a transfer runs or the link state says a transfer holds the link.
    void startPolling(TimePoint now, PollReport report);
    LinkState& linkState() { return state; }
    const LinkState& linkState() const { return state; }

    // Asks for the identity until it comes or wait has passed.
    void askIdentity(TimePoint now, std::chrono::milliseconds wait);
    bool identityPending() const { return query && !query->finished(); }
    // The answer of the last askIdentity; none while pending or when none came.
    std::optional<DeviceIdentity> identity() const;

    // Runs one transfer of record and info; events.ended runs once it has ended, whatever
    // the result. The first request waits for the answer to an identity request still out.
    void startTransfer(SetupRecord& record, DeviceInfo& info, Direction direction, TimePoint now,
                       TransferEvents events);
    void cancelTransfer();
    bool transferRunning() const { return transfer && !transfer->finished(); }
    // Of the last transfer, once it has ended.
    Result transferResult() const;
    std::optional<TransferFailure> transferFailure() const;

private:
    void endTransferIfFinished();
    void pollIfDue(TimePoint now);
    TimePoint lastIdentityRequest() const;

    SerialLink link_;
    LinkState state;
    IdentificationPoll poll;
    PollReport pollReport;
    bool polling = false;
    TimePoint nextPoll{};
    TimePoint lastPollRequest{};
    bool pollAnswerOwed = false; // the poll's last request has had no frame in answer yet
    std::optional<IdentityQuery> query;
    std::optional<TransferExchange> transfer;
    std::function<void()> transferEnded;
    std::chrono::milliseconds minimumSpacing{0};
    bool lineHungUp = false;
    bool resting = false; // the port is not watched until the next timePassed
};
