#include "device/InstrumentSession.h"

#include "device/SessionTiming.h"
#include "support/FrameBytes.h"
#include "support/InMemoryLine.h"

#include <gtest/gtest.h>
#include <optional>
#include <vector>

namespace {

using namespace std::chrono_literals;
using Event = IdentificationPoll::Event;
using TimePoint = InstrumentSession::TimePoint;

// A session joined in memory to the simulated instrument, driven by the test on a clock of its
// own.
class InstrumentSessionTest : public ::testing::Test {
protected:
    InstrumentSessionTest() { info.leadCount = 4; }

    int answerRequests() { return instrument.answerRequests(now); }

    // Moves the clock on to the session's next call and makes it.
    void advance() {
        now = session.nextCall();
        session.timePassed(now);
    }

    // Starts a transfer of record at now; ended counts how often it said it ended.
    void startTransfer(InstrumentSession::Direction direction) {
        session.startTransfer(record, info, direction, now,
                              {{[](int, int) {},
                                [](int) {
                                }},
                               [this] {
                                   ++ended;
                               }});
    }

    InstrumentSession session{FrameTrace()};
    InstrumentInMemory instrument{session};
    TimePoint now = TimePoint{} + 1h;
    std::vector<Event> events;
    SetupRecord record;
    DeviceInfo info;
    int ended = 0;
};

TEST_F(InstrumentSessionTest, PollsOnceAPeriodAndFindsTheInstrumentOnTheSecondTick) {
    session.startPolling(now, [this](const IdentificationPoll::Outcome& outcome) {
        events.push_back(outcome.event);
    });
    EXPECT_EQ(session.nextCall(), now + SessionTiming::kPollPeriod);
    session.timePassed(now + 999ms);
    EXPECT_EQ(instrument.unreadRequestBytes(), 0U);

    advance();
    EXPECT_EQ(answerRequests(), 1);
    EXPECT_FALSE(session.connected()) << "the answer waits for the next tick";
    advance();

    EXPECT_EQ(events, (std::vector{Event::None, Event::InstrumentFound}));
    EXPECT_TRUE(session.connected());
    EXPECT_EQ(session.nextCall(), now + SessionTiming::kPollPeriod);
}

TEST_F(InstrumentSessionTest, AsksForTheIdentityEverySecondUntilTheWaitIsOver) {
    session.askIdentity(now, 2500ms);
    EXPECT_EQ(instrument.nextRequest(), kIdentityRequest);
    advance();
    advance();
    EXPECT_EQ(now, TimePoint{} + 1h + 2s);
    EXPECT_EQ(instrument.nextRequest(), kIdentityRequest);
    EXPECT_EQ(instrument.nextRequest(), kIdentityRequest);
    EXPECT_TRUE(session.identityPending());

    advance();
    EXPECT_FALSE(session.identityPending());
    EXPECT_FALSE(session.identity());

    session.askIdentity(now, 2500ms);
    answerRequests();
    EXPECT_FALSE(session.identityPending()) << "an answer is taken as soon as it is complete";
    ASSERT_TRUE(session.identity());
    EXPECT_EQ(session.identity()->serialText, "00004711");
}

TEST_F(InstrumentSessionTest, ATransferRunsAtTheLinesSpeedWhileThePollStandsStill) {
    session.startPolling(now, [this](const IdentificationPoll::Outcome& outcome) {
        events.push_back(outcome.event);
    });
    advance(); // the poll asks
    SetupRecord record;
    DeviceInfo info;
    info.leadCount = 4;
    int ended = 0;
    std::vector<int> positions;
    session.startTransfer(record, info, InstrumentSession::Direction::Read, now,
                          {{[](int, int) {},
                            [&](int position) {
                                positions.push_back(position);
                            }},
                           [&] {
                               ++ended;
                           }});
    // The first request waits for the poll's answer; then every request goes out as the
    // answer to the one before it is read.
    EXPECT_EQ(instrument.unreadRequestBytes(), 5U);
    EXPECT_EQ(answerRequests(), 1 + 11);
    EXPECT_EQ(ended, 1);
    EXPECT_EQ(session.transferResult(), InstrumentSession::Result::Completed);
    EXPECT_EQ(positions.size(), 10U);
    EXPECT_EQ(events, std::vector{Event::None}) << "no poll tick during the transfer";
}

// An answer to the poll that comes after the first request could pass for that request's own,
// and then every answer would be taken for the request after its own.
TEST_F(InstrumentSessionTest, TheFirstRequestOfATransferWaitsForThePollsAnswerUntilItIsLost) {
    struct Case {
        const char* what;
        bool answeredBeforeTheTransfer;
        std::optional<std::chrono::milliseconds> answerAfter; // none: never
    };
    const Case cases[] = {
        {"answered before the transfer", true, std::nullopt},
        {"answered late", false, 300ms},
        {"never answered", false, std::nullopt},
    };
    session.startPolling(now, {});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        advance(); // the poll asks
        const TimePoint asked = now;
        if (c.answeredBeforeTheTransfer)
            answerRequests();
        startTransfer(InstrumentSession::Direction::Read);
        if (c.answeredBeforeTheTransfer) {
            EXPECT_EQ(instrument.nextRequest(), frameBytes(0x01, Bytes{0x80}));
        } else {
            EXPECT_EQ(instrument.nextRequest(), kIdentityRequest);
            EXPECT_EQ(instrument.unreadRequestBytes(), 0U);
            EXPECT_EQ(session.nextCall(), asked + SessionTiming::kIdentityAnswerWait);
            if (c.answerAfter) {
                now = asked + *c.answerAfter;
                instrument.send(instrument.responder.answer(kIdentityRequest)->bytes(), now);
            } else {
                advance();
            }
            EXPECT_EQ(instrument.nextRequest(), frameBytes(0x01, Bytes{0x80}));
        }
        session.cancelTransfer();
    }
}

// A hang-up (the adapter pulled out) and a port closed (another chosen) both end a transfer at
// once, each saying what happened; so does a transfer started after it.
TEST_F(InstrumentSessionTest, ALineThatEndsEndsATransferAtOnceSayingHow) {
    struct Case {
        void (InstrumentSession::*end)();
        TransferFailure::Cause cause;
        const char* detail;
    };
    const Case cases[] = {
        {&InstrumentSession::lineHungUp, TransferFailure::Cause::LineHungUp,
         "request 1 of 12: write register 0x10, the line hung up"},
        {&InstrumentSession::lineClosed, TransferFailure::Cause::LineClosed,
         "request 1 of 12: write register 0x10, the port was closed"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.detail);
        session.lineOpened();
        ended = 0;
        startTransfer(InstrumentSession::Direction::Write);
        ASSERT_EQ(instrument.nextRequest()[2], 0x10);

        (session.*c.end)();

        EXPECT_EQ(ended, 1);
        EXPECT_FALSE(session.lineUsable());
        EXPECT_EQ(session.transferResult(), InstrumentSession::Result::Failed);
        ASSERT_TRUE(session.transferFailure());
        EXPECT_EQ(session.transferFailure()->cause, c.cause);
        EXPECT_EQ(failedRequestText(*session.transferFailure()), c.detail);
        EXPECT_FALSE(session.hasOutput());

        // Asking for the identity on that line ends at once, and so does a transfer.
        session.askIdentity(now, 5s);
        EXPECT_FALSE(session.identityPending());
        startTransfer(InstrumentSession::Direction::Write);
        EXPECT_EQ(ended, 2);
        ASSERT_TRUE(session.transferFailure());
        EXPECT_EQ(failedRequestText(*session.transferFailure()), c.detail);
        while (!instrument.nextRequest().empty()) {
        }
    }
}

TEST_F(InstrumentSessionTest, BytesBehindAFrameWaitingForThePollAreDroppedNotHeldForever) {
    // A frame waits for the poll, and behind it more than the receiver holds.
    instrument.send(frameBytes(kAcknowledgeCommand, kAcknowledgeData), now);
    Bytes overlong{0x55, 0xFC, 0x01};
    overlong.resize(FrameReceiver::kCapacity + 10, 0x00);
    instrument.send(overlong, now);

    // The poll's tick clears the line and asks; the instrument's answer is taken as ever.
    session.startPolling(now, [this](const IdentificationPoll::Outcome& outcome) {
        events.push_back(outcome.event);
    });
    advance();
    answerRequests();
    advance();
    EXPECT_EQ(events, (std::vector{Event::None, Event::InstrumentFound}));
}

// A driver held up (a busy machine, a modal dialog) ticks late. The tick it then makes asks
// once, and the next waits a whole period, so that the answer to the first has time to come and
// is not cleared away by a second request a moment later.
TEST_F(InstrumentSessionTest, APollTickMadeLateAsksOnceAndTheNextAPeriodAfterIt) {
    struct Case {
        const char* what;
        std::chrono::milliseconds late;    // after the tick was due
        std::chrono::milliseconds nextDue; // the tick after it, from the late tick
    };
    const Case cases[] = {
        {"a moment late: the cadence stays", 10ms, 990ms},
        {"a period late", 1000ms, 1000ms},
        {"several periods late", 5500ms, 1000ms},
    };
    session.startPolling(now, [this](const IdentificationPoll::Outcome& outcome) {
        events.push_back(outcome.event);
    });
    advance();
    answerRequests();
    advance();
    ASSERT_EQ(events.back(), Event::InstrumentFound);
    answerRequests();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        now = session.nextCall() + c.late;
        session.timePassed(now);
        EXPECT_EQ(events.back(), Event::IdentityRefreshed);
        EXPECT_EQ(session.nextCall(), now + c.nextDue);

        session.timePassed(now + 1ms);
        EXPECT_EQ(answerRequests(), 1) << "one request, not a second right after it";
        EXPECT_EQ(session.pollState().missedPolls, 0);
    }
}

TEST_F(InstrumentSessionTest, ThePollStandsStillWhileATransferOrAnIdentityRequestHoldsTheLine) {
    session.startPolling(now, [this](const IdentificationPoll::Outcome& outcome) {
        events.push_back(outcome.event);
    });
    session.askIdentity(now, 10s);
    EXPECT_TRUE(session.busy());
    instrument.nextRequest();
    for (int tick = 0; tick < 3; ++tick)
        advance();
    EXPECT_TRUE(events.empty());
    // The request's own repeats, one a second, and nothing of the poll.
    for (int repeat = 0; repeat < 3; ++repeat)
        EXPECT_EQ(instrument.nextRequest(), kIdentityRequest);
    EXPECT_EQ(instrument.unreadRequestBytes(), 0U);
}

TEST_F(InstrumentSessionTest, ALineClosedOrHungUpLosesTheInstrumentAfterTheToleratedMisses) {
    session.startPolling(now, [this](const IdentificationPoll::Outcome& outcome) {
        if (outcome.event != Event::None)
            events.push_back(outcome.event);
    });
    advance();
    answerRequests();
    advance();
    ASSERT_EQ(events, std::vector{Event::InstrumentFound});

    session.lineHungUp();
    for (int tick = 0; tick <= SessionTiming::kPollMissesTolerated; ++tick)
        advance();
    EXPECT_EQ(events, (std::vector{Event::InstrumentFound, Event::InstrumentLost}));
    EXPECT_EQ(instrument.unreadRequestBytes(), 0U) << "nothing goes out on a dead line";

    // A line opened again is polled again.
    session.lineOpened();
    advance();
    EXPECT_EQ(instrument.nextRequest(), kIdentityRequest);
}

TEST_F(InstrumentSessionTest, CancellingEndsTheTransferOnceAndLeavesTheLinkToThePoll) {
    startTransfer(InstrumentSession::Direction::Read);
    session.cancelTransfer();
    session.cancelTransfer();

    EXPECT_EQ(ended, 1);
    EXPECT_EQ(session.transferResult(), InstrumentSession::Result::Cancelled);
    EXPECT_FALSE(session.transferRunning());
    EXPECT_EQ(session.nextCall(), TimePoint::max());
}

TEST_F(InstrumentSessionTest, MinimumSpacingIsKeptWithinItsLimit) {
    info.leadCount = 1;
    using Spacing = std::pair<std::chrono::milliseconds, std::chrono::milliseconds>;
    for (const auto& [given, kept] : {Spacing{-5ms, 0ms}, Spacing{40ms, 40ms}, Spacing{5s, 1s}}) {
        session.setMinimumSpacing(given);
        startTransfer(InstrumentSession::Direction::Read);
        instrument.send(instrument.responder.answer(instrument.nextRequest())->bytes(), now);
        // Without a spacing the next request is already out and waits for its answer.
        EXPECT_EQ(session.nextCall(),
                  now + (kept.count() == 0 ? SessionTiming::kReplyTimeout : kept))
            << given.count();
        session.cancelTransfer();
        while (!instrument.nextRequest().empty()) {
        }
    }
}

// A slow instrument loses a request sent as soon as its wrong answer is in; the request goes
// again after the spacing set for it.
TEST_F(InstrumentSessionTest, ARequestAnsweredWronglyGoesAgainAfterTheMinimumSpacing) {
    session.setMinimumSpacing(200ms);
    startTransfer(InstrumentSession::Direction::Read);
    const Bytes request = instrument.nextRequest();
    ASSERT_FALSE(request.empty());

    now += 30ms;
    instrument.send(instrument.responder.answer(kIdentityRequest)->bytes(), now);
    EXPECT_EQ(instrument.unreadRequestBytes(), 0U) << "resent at once";
    EXPECT_EQ(session.nextCall(), now + 200ms);
    session.timePassed(now + 199ms);
    EXPECT_EQ(instrument.unreadRequestBytes(), 0U);
    advance();
    EXPECT_EQ(instrument.nextRequest(), request);
    EXPECT_TRUE(session.transferRunning());
}

} // namespace
