#pragma once

#include "device/DeviceInfo.h"
#include "device/FrameTrace.h"
#include "device/IdentificationPoll.h"
#include "device/IdentityQuery.h"
#include "device/SerialLink.h"
#include "device/TransferExchange.h"
#include "setup/SetupRecord.h"

#include <chrono>
#include <functional>
#include <optional>
#include <span>
#include <vector>

// One instrument on one line: the identification poll, the identity asked for until it comes,
// and transfers with their pace, attempts and time-outs. It does no I/O and never sleeps: its
// driver owns the port, hands in the bytes that arrived (bytesArrived) and a hang-up
// (lineHungUp), puts on the line what takeOutput() hands out, and calls timePassed() at
// nextCall(). The window drives it from its event loop, the command line from poll(2), tests
// with the simulated instrument in memory and a clock of their own.
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

    explicit InstrumentSession(FrameTrace trace = {});

    // A line was opened for the session: nothing sent or received before counts any more.
    void lineOpened();
    // The line is closed; the poll stands still until another opens.
    void lineClosed();
    bool lineOpen() const { return open; }
    // The line reported a hang-up: the instrument or its adapter is gone until a line opens
    // again. A transfer or identity request under way ends at once.
    void lineHungUp();
    bool hungUp() const { return lineHungUp_; }
    // A line is open and has not hung up.
    bool lineUsable() const { return open && !lineHungUp_; }

    // Bytes the line brought.
    void bytesArrived(std::span<const std::uint8_t> bytes, TimePoint now);
    // Does what is due by now.
    void timePassed(TimePoint now);
    // When timePassed next has something to do; TimePoint::max() when nothing is pending.
    TimePoint nextCall() const;
    // The bytes to put on the line, oldest first.
    std::vector<std::uint8_t> takeOutput() { return link.takeOutput(); }
    bool hasOutput() const { return link.hasOutput(); }

    // The least time from a reply to the next request of a transfer, for a slow instrument;
    // at most SessionTiming::kLongestMinimumSpacing.
    void setMinimumSpacing(std::chrono::milliseconds spacing);

    // From one poll period after now on, polls once a period and reports each outcome, also
    // while no line is open or it hung up (the instrument is then lost after the tolerated
    // misses). The poll stands still while the session is busy.
    void startPolling(TimePoint now, PollReport report);
    // Holds the poll still, as a busy session does, until as many releases as holds: a front end
    // keeps it still from the start of a transfer until its message is dismissed. After the
    // last release the poll asks again one period later.
    void holdPoll() { ++pollHolds; }
    void releasePoll(TimePoint now);
    bool connected() const { return state.connected; }
    // The poll's view: connected, and the polls missed since the last answer.
    const LinkState& pollState() const { return state; }
    // A transfer or an identity request is under way: it holds the line, and the poll waits.
    bool busy() const { return transferRunning() || identityPending(); }

    // Asks for the identity until it comes or wait has passed; answered runs once it has ended,
    // whether an answer came or not.
    void askIdentity(TimePoint now, std::chrono::milliseconds wait,
                     std::function<void()> answered = {});
    void cancelIdentity();
    bool identityPending() const { return query && !query->finished(); }
    // The answer of the last askIdentity; none while pending or when none came.
    std::optional<DeviceIdentity> identity() const;

    // Runs one transfer of record and info; events.ended runs once it has ended, whatever
    // the result. The first request waits for the answer to an identity request still out.
    void startTransfer(SetupRecord& record, DeviceInfo& info, Direction direction, TimePoint now,
                       TransferEvents events);
    void cancelTransfer();
    bool transferRunning() const { return transfer && !transfer->finished(); }
    // The time of the latest call into the session, for whoever reacts to its events.
    TimePoint lastCallTime() const { return lastCall; }
    // Of the last transfer, once it has ended.
    Result transferResult() const;
    std::optional<TransferFailure> transferFailure() const;

private:
    void lineEnded(TransferFailure::Cause cause);
    void frameArrived(TimePoint now);
    void endTransferIfFinished();
    void endQueryIfFinished();
    void pollIfDue(TimePoint now);
    TimePoint lastIdentityRequest() const;

    SerialLink link;
    LinkState state;
    IdentificationPoll poll;
    PollReport pollReport;
    bool polling = false;
    int pollHolds = 0;
    TimePoint nextPoll{};
    TimePoint lastPollRequest{};
    bool pollAnswerOwed = false; // the poll's last request has had no frame in answer yet
    std::optional<IdentityQuery> query;
    std::optional<TransferExchange> transfer;
    std::function<void()> transferEnded;
    std::function<void()> queryEnded;
    TimePoint lastCall{};
    std::chrono::milliseconds minimumSpacing{0};
    bool open = false;
    bool lineHungUp_ = false;
};
