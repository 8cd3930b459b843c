#include "device/InstrumentSession.h"

#include "LinkOnTerminal.h"
#include "device/SessionTiming.h"
#include "sim/RegisterStore.h"
#include "sim/Responder.h"
#include "support/FrameBytes.h"
#include "support/PseudoTerminal.h"

#include <gtest/gtest.h>
#include <optional>
#include <vector>

namespace {

using namespace std::chrono_literals;
using Event = IdentificationPoll::Event;
using TimePoint = InstrumentSession::TimePoint;

const Bytes kIdentityRequest{0x55, 0x01, 0x01, 0x10, 0x12};

// A session on a pseudo-terminal whose far end answers as the simulated instrument, driven by
// the test on a clock of its own.
class InstrumentSessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(session.open(terminal.slavePath())) << session.link().lastOpenError();
    }

    // Answers every request the session has sent, and tells the session its port is readable.
    int answerRequests() {
        int answered = 0;
        while (unreadRequestBytesOn(terminal) > 0) {
            if (const auto reply = instrument.answer(nextRequestOn(terminal))) {
                terminal.send(reply->bytes());
                session.portReadable(now);
                ++answered;
            }
        }
        return answered;
    }

    // Moves the clock on to the session's next call and makes it.
    void advance() {
        now = session.nextCall();
        session.timePassed(now);
    }

    PseudoTerminal terminal;
    InstrumentSession session{FrameTrace()};
    RegisterStore registers{{"00004711", 3, 1, 2}};
    Responder instrument{registers};
    TimePoint now = TimePoint{} + 1h;
    std::vector<Event> events;
};

TEST_F(InstrumentSessionTest, PollsOnceAPeriodAndFindsTheInstrumentOnTheSecondTick) {
    session.startPolling(now, [this](const IdentificationPoll::Outcome& outcome) {
        events.push_back(outcome.event);
    });
    EXPECT_EQ(session.nextCall(), now + SessionTiming::kPollPeriod);
    session.timePassed(now + 999ms);
    EXPECT_EQ(unreadRequestBytesOn(terminal), 0);

    advance();
    EXPECT_EQ(answerRequests(), 1);
    EXPECT_FALSE(session.linkState().connected) << "the answer waits for the next tick";
    advance();

    EXPECT_EQ(events, (std::vector{Event::None, Event::InstrumentFound}));
    EXPECT_TRUE(session.linkState().connected);
    EXPECT_EQ(session.nextCall(), now + SessionTiming::kPollPeriod);
}

TEST_F(InstrumentSessionTest, AsksForTheIdentityEverySecondUntilTheWaitIsOver) {
    session.askIdentity(now, 2500ms);
    EXPECT_EQ(nextRequestOn(terminal), kIdentityRequest);
    advance();
    advance();
    EXPECT_EQ(now, TimePoint{} + 1h + 2s);
    EXPECT_EQ(nextRequestOn(terminal), kIdentityRequest);
    EXPECT_EQ(nextRequestOn(terminal), kIdentityRequest);
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
    EXPECT_EQ(unreadRequestBytesOn(terminal), 5);
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
        SetupRecord record;
        DeviceInfo info;
        info.leadCount = 4;
        session.startTransfer(record, info, InstrumentSession::Direction::Read, now,
                              {{[](int, int) {},
                                [](int) {
                                }},
                               {}});
        if (c.answeredBeforeTheTransfer) {
            EXPECT_EQ(nextRequestOn(terminal), frameBytes(0x01, Bytes{0x80}));
        } else {
            EXPECT_EQ(nextRequestOn(terminal), kIdentityRequest);
            EXPECT_EQ(unreadRequestBytesOn(terminal), 0);
            EXPECT_EQ(session.nextCall(), asked + SessionTiming::kIdentityAnswerWait);
            if (c.answerAfter) {
                now = asked + *c.answerAfter;
                terminal.send(instrument.answer(kIdentityRequest)->bytes());
                session.portReadable(now);
            } else {
                advance();
            }
            EXPECT_EQ(nextRequestOn(terminal), frameBytes(0x01, Bytes{0x80}));
        }
        session.cancelTransfer();
    }
}

TEST_F(InstrumentSessionTest, AHangUpEndsATransferAtOnceAndIsNoLongerWatched) {
    SetupRecord record;
    DeviceInfo info;
    info.leadCount = 4;
    bool ended = false;
    session.startTransfer(record, info, InstrumentSession::Direction::Write, now,
                          {{[](int, int) {},
                            [](int) {
                            }},
                           [&] {
                               ended = true;
                           }});
    ASSERT_FALSE(nextRequestOn(terminal).empty());

    terminal.hangUp();
    session.portReadable(now);

    EXPECT_TRUE(ended);
    EXPECT_EQ(session.transferResult(), InstrumentSession::Result::Failed);
    EXPECT_EQ(session.transferFailure()->cause, TransferFailure::Cause::LineHungUp);
    EXPECT_EQ(session.watchedDescriptor(), -1);

    // Asking for the identity on the hung-up line ends at once, and so does a transfer.
    session.askIdentity(now, 5s);
    EXPECT_FALSE(session.identityPending());
    EXPECT_TRUE(session.hungUp());
    ended = false;
    session.startTransfer(record, info, InstrumentSession::Direction::Read, now,
                          {{[](int, int) {},
                            [](int) {
                            }},
                           [&] {
                               ended = true;
                           }});
    EXPECT_TRUE(ended);
    EXPECT_EQ(session.transferResult(), InstrumentSession::Result::Failed);
}

TEST_F(InstrumentSessionTest, AFullReceiverRestsThePortUntilTheNextCallInsteadOfSpinning) {
    // A frame waits for the poll, and behind it a frame too long ever to complete.
    terminal.send(frameBytes(kAcknowledgeCommand, kAcknowledgeData));
    session.portReadable(now);
    Bytes overlong{0x55, 0xFC, 0x01};
    overlong.resize(FrameReceiver::kCapacity + 10, 0x00);
    terminal.send(overlong);
    session.portReadable(now);
    ASSERT_GE(session.watchedDescriptor(), 0) << "bytes still came";

    session.portReadable(now);

    EXPECT_EQ(session.watchedDescriptor(), -1);
    EXPECT_FALSE(session.hungUp());
    session.timePassed(now);
    EXPECT_GE(session.watchedDescriptor(), 0);
}

TEST_F(InstrumentSessionTest, CancellingEndsTheTransferOnceAndLeavesTheLinkToThePoll) {
    SetupRecord record;
    DeviceInfo info;
    info.leadCount = 4;
    int ended = 0;
    session.startTransfer(record, info, InstrumentSession::Direction::Read, now,
                          {{[](int, int) {},
                            [](int) {
                            }},
                           [&] {
                               ++ended;
                           }});
    session.cancelTransfer();
    session.cancelTransfer();

    EXPECT_EQ(ended, 1);
    EXPECT_EQ(session.transferResult(), InstrumentSession::Result::Cancelled);
    EXPECT_FALSE(session.transferRunning());
    EXPECT_EQ(session.nextCall(), TimePoint::max());
}

TEST_F(InstrumentSessionTest, MinimumSpacingIsKeptWithinItsLimit) {
    SetupRecord record;
    DeviceInfo info;
    info.leadCount = 1;
    using Spacing = std::pair<std::chrono::milliseconds, std::chrono::milliseconds>;
    for (const auto& [given, kept] : {Spacing{-5ms, 0ms}, Spacing{40ms, 40ms}, Spacing{5s, 1s}}) {
        session.setMinimumSpacing(given);
        session.startTransfer(record, info, InstrumentSession::Direction::Read, now,
                              {{[](int, int) {},
                                [](int) {
                                }},
                               [] {
                               }});
        terminal.send(instrument.answer(nextRequestOn(terminal))->bytes());
        session.portReadable(now);
        // Without a spacing the next request is already out and waits for its answer.
        EXPECT_EQ(session.nextCall(),
                  now + (kept.count() == 0 ? SessionTiming::kReplyTimeout : kept))
            << given.count();
        session.cancelTransfer();
        while (unreadRequestBytesOn(terminal) > 0)
            nextRequestOn(terminal);
    }
}

} // namespace
