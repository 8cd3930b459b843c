#include "device/TransferExchange.h"

#include "device/SessionTiming.h"
#include "sim/RegisterStore.h"
#include "sim/Responder.h"
#include "support/FrameBytes.h"
#include "support/InMemoryLine.h"
#include "support/SampleSetup.h"

#include <functional>
#include <gtest/gtest.h>
#include <numeric>
#include <string>
#include <vector>

namespace {

using namespace std::chrono_literals;
using Direction = TransferExchange::Direction;
using Result = TransferExchange::Result;
using TimePoint = TransferExchange::TimePoint;

// What the instrument answers to one sent request; attempt counts the sends of that request.
// Empty: no answer at all.
using Answer = std::function<Bytes(const Bytes& sent, std::size_t request, int attempt)>;

// The instrument's end of the line and the driver's side of one transfer, on a clock of the
// test's own: the test answers each request at once, tells the exchange, and moves the clock on
// only to the exchange's next call when nothing else can happen.
class TransferBench {
public:
    TransferBench() { info.leadCount = 2; }

    TransferExchange exchange(Direction direction, std::chrono::milliseconds spacing = 0ms) {
        return TransferExchange(line.link, record, info, direction,
                                {[this](int minimum, int maximum) {
                                     range = {minimum, maximum};
                                 },
                                 [this](int position) {
                                     positions.push_back(position);
                                 }},
                                spacing);
    }

    // Runs the transfer to its end; sendTimes holds when each request left.
    void run(TransferExchange& transfer, const Answer& answer) {
        transfer.start(now);
        transfer.timePassed(now);
        std::size_t request = 0;
        int attempt = 0;
        while (!transfer.finished()) {
            if (line.unreadRequestBytes() == 0) {
                now = transfer.nextCall();
                transfer.timePassed(now);
                continue;
            }
            const Bytes requestSent = line.nextRequest();
            if (!sent.empty()) {
                const bool resent = requestSent == sent.back();
                request = resent ? request : request + 1;
                attempt = resent ? attempt + 1 : 0;
            }
            sent.push_back(requestSent);
            sendTimes.push_back(now);
            const Bytes reply = answer(requestSent, request, attempt);
            if (reply.empty()) {
                now = transfer.nextCall();
                transfer.timePassed(now);
            } else {
                line.reply(reply);
                transfer.frameArrived(now);
            }
        }
    }

    Bytes good(const Bytes& request) {
        const std::optional<EncodedFrame> reply = instrument.answer(request);
        return reply ? bytesOf(reply->bytes()) : Bytes{};
    }

    LinkInMemory line;
    RegisterStore registers;
    Responder instrument{registers};
    SetupRecord record;
    DeviceInfo info;
    TimePoint now = TimePoint{} + 1h;
    std::pair<int, int> range{-1, -1};
    std::vector<int> positions;
    std::vector<Bytes> sent;
    std::vector<TimePoint> sendTimes;
};

TEST(TransferExchangeTest, PromptAnswersCompleteBothWaysEachRequestLeavingWithTheReply) {
    TransferBench bench;
    bench.record = sampleSetup();
    auto save = bench.exchange(Direction::Write);
    bench.run(save, [&](const Bytes& sent, auto, auto) { return bench.good(sent); });

    EXPECT_EQ(save.result(), Result::Completed);
    EXPECT_EQ(bench.sent.size(), 10U); // each request once
    EXPECT_EQ(bench.sendTimes, std::vector<TimePoint>(10, bench.sendTimes.front()));
    EXPECT_EQ(bench.range, std::make_pair(0, 10));
    std::vector<int> steps(9);
    std::iota(steps.begin(), steps.end(), 1);
    EXPECT_EQ(bench.positions, steps); // the bar ends at count - 1

    bench.record = SetupRecord{};
    auto load = bench.exchange(Direction::Read);
    bench.run(load, [&](const Bytes& sent, auto, auto) { return bench.good(sent); });

    EXPECT_EQ(load.result(), Result::Completed);
    EXPECT_EQ(bench.record, sampleSetupReadBack());
}

TEST(TransferExchangeTest, FirstRequestLeavesWhenStartedForAndDropsAFrameWaitingThen) {
    TransferBench bench;
    bench.line.reply(frameBytes(0x10, Bytes(12, 'S')));
    ASSERT_TRUE(bench.line.link.hasFrame());
    auto load = bench.exchange(Direction::Read);
    load.start(bench.now + 50ms);

    load.timePassed(bench.now + 49ms);
    EXPECT_EQ(bench.line.unreadRequestBytes(), 0);
    EXPECT_EQ(load.nextCall(), bench.now + 50ms);
    bench.now += 50ms;
    bench.run(load, [&](const Bytes& sent, auto, auto) { return bench.good(sent); });

    EXPECT_EQ(load.result(), Result::Completed);
    EXPECT_EQ(bench.sent.size(), load.requestCount()); // the first request went out once
}

TEST(TransferExchangeTest, AnAnswerStillOwedReleasesTheFirstRequestAsItArrives) {
    TransferBench bench;
    auto load = bench.exchange(Direction::Read);
    load.start(bench.now + 1000ms);
    bench.now += 300ms;
    bench.line.reply(frameBytes(0x10, Bytes(12, 'S')));
    load.frameArrived(bench.now);

    EXPECT_EQ(bench.line.nextRequest(), frameBytes(0x01, Bytes{0x80}));
    EXPECT_EQ(load.nextCall(), bench.now + SessionTiming::kReplyTimeout);
}

TEST(TransferExchangeTest, SilentInstrumentFailsAfterThreeSendsOfTheFirstRequest) {
    TransferBench bench;
    const TimePoint start = bench.now;
    auto save = bench.exchange(Direction::Write);
    bench.run(save, [](auto&&...) { return Bytes{}; });

    EXPECT_EQ(save.result(), Result::Failed);
    EXPECT_EQ(bench.sent, std::vector<Bytes>(3, bench.sent.front()));
    EXPECT_EQ(bench.sendTimes, (std::vector<TimePoint>{start, start + 5100ms, start + 10200ms}));
    EXPECT_EQ(bench.now, start + 15300ms);
    ASSERT_TRUE(save.failure());
    EXPECT_EQ(save.failure()->cause, TransferFailure::Cause::NoAnswer);
}

TEST(TransferExchangeTest, WrongAnswersCountAsFailedAttempts) {
    struct Case {
        const char* what;
        Direction direction;
        // Wrong answer to the given attempt of the given request, empty for the good one.
        std::function<Bytes(const Bytes& good, std::size_t request, int attempt)> wrong;
        Result result;
    };
    const Bytes ackOfOne{0x55, 0x01, 0x00, 0x01, 0x02};
    // Command 0 and the length repeated, as an acknowledgement has them, but data byte 1.
    const Bytes ackWithDataOne{0x55, 0x01, 0x00, 0x01, 0x01};
    const Bytes emptyFrame{0x55, 0x00, 0x00, 0x00};
    // Starts like an acknowledgement, but does not fit the 80 bytes a reply is taken into.
    Bytes overlong{0x55, 0xC8, 0x00, 0x00, 0xC8};
    overlong.resize(0xC8 + 4, 0x00);
    const std::vector<Case> cases{
        {"bad checksum, then two of another register on the next request: retries restart",
         Direction::Read,
         [](const Bytes& good, std::size_t request, int attempt) {
             if (request == 0 && attempt == 0)
                 return withBadChecksum(good);
             return request == 1 && attempt < 2 ? frameBytes(0x40, Bytes{1}) : Bytes{};
         },
         Result::Completed},
        {"another register every time", Direction::Read,
         [](auto&&...) {
             return frameBytes(0x81, Bytes{0, 'A'});
         },
         Result::Failed},
        {"bad checksum every time", Direction::Read,
         [](const Bytes& good, auto, auto) { return withBadChecksum(good); }, Result::Failed},
        {"reply of ten bytes, the longest taken", Direction::Read,
         [](const Bytes& good, std::size_t request, auto) {
             return request == 0 ? frameBytes(0x80, Bytes(10, 'A')) : good;
         },
         Result::Completed},
        {"reply of eleven bytes", Direction::Read,
         [](auto&&...) { return frameBytes(0x80, Bytes(11, 'A')); }, Result::Failed},
        {"acknowledgement of 1 twice, then the right one", Direction::Write,
         [&](auto, std::size_t request, int attempt) {
             return request == 0 && attempt < 2 ? ackOfOne : Bytes{};
         },
         Result::Completed},
        {"acknowledgement of 1 every time", Direction::Write, [&](auto&&...) { return ackOfOne; },
         Result::Failed},
        {"acknowledgement with data byte 1 every time", Direction::Write,
         [&](auto&&...) { return ackWithDataOne; }, Result::Failed},
        {"frame without data every time", Direction::Write, [&](auto&&...) { return emptyFrame; },
         Result::Failed},
        {"frame longer than a reply can be every time", Direction::Write,
         [&](auto&&...) { return overlong; }, Result::Failed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TransferBench bench;
        auto transfer = bench.exchange(c.direction);

        bench.run(transfer, [&](const Bytes& sent, std::size_t request, int attempt) {
            const Bytes good = bench.good(sent);
            const Bytes wrong = c.wrong(good, request, attempt);
            return wrong.empty() ? good : wrong;
        });

        EXPECT_EQ(transfer.result(), c.result);
        if (c.result == Result::Failed) {
            EXPECT_EQ(bench.sent, std::vector<Bytes>(3, bench.sent.front()));
            ASSERT_TRUE(transfer.failure());
            EXPECT_EQ(transfer.failure()->cause, TransferFailure::Cause::WrongAnswer);
        }
    }
}

TEST(TransferExchangeTest, AnUnansweredRequestSlowsTheRestOfThatTransferDown) {
    struct Case {
        const char* what;
        std::chrono::milliseconds minimumSpacing;
        bool firstAttemptLost;
        std::chrono::milliseconds expectedSpacing; // from each reply to the next request
    };
    const std::vector<Case> cases{
        {"a clean instrument keeps the line's speed", 0ms, false, 0ms},
        {"a lost request: the fallback spacing", 0ms, true, SessionTiming::kFallbackSpacing},
        {"a minimum spacing set for a slow instrument", 30ms, false, 30ms},
        {"a minimum spacing longer than the fallback", 300ms, true, 300ms},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TransferBench bench;
        auto save = bench.exchange(Direction::Write, c.minimumSpacing);
        bench.run(save, [&](const Bytes& sent, std::size_t request, int attempt) {
            return c.firstAttemptLost && request == 1 && attempt == 0 ? Bytes{} : bench.good(sent);
        });

        ASSERT_EQ(save.result(), Result::Completed);
        // Requests 3 and on each follow the reply to the one before them, which came at once.
        for (std::size_t i = bench.sent.size() - 8; i < bench.sent.size(); ++i)
            EXPECT_EQ(bench.sendTimes[i] - bench.sendTimes[i - 1], c.expectedSpacing) << i;
    }
}

TEST(TransferExchangeTest, AHungUpLineFailsTheTransferAtOnce) {
    TransferBench bench;
    auto save = bench.exchange(Direction::Write);
    save.start(bench.now);
    save.timePassed(bench.now);
    ASSERT_FALSE(bench.line.nextRequest().empty());

    save.lineEnded(TransferFailure::Cause::LineHungUp);

    EXPECT_EQ(save.result(), Result::Failed);
    EXPECT_EQ(save.nextCall(), TimePoint::max());
    ASSERT_TRUE(save.failure());
    EXPECT_EQ(failedRequestText(*save.failure()),
              "request 1 of 10: write register 0x10, the line hung up");
}

TEST(TransferExchangeTest, AFailedSaveSaysWhatTheInstrumentNowHolds) {
    struct Case {
        std::size_t answered; // requests acknowledged before the instrument fell silent
        std::string text;
    };
    // Two leads: the identity, leads 1 and 2, then the seven settings.
    const std::vector<Case> cases{
        {0, "request 1 of 10: write register 0x10, no answer; the instrument acknowledged none of "
            "the new setup; write it again"},
        {1, "request 2 of 10: write register 0x80, no answer; the instrument now holds the new "
            "identity but none of the new leads; write it again"},
        {2, "request 3 of 10: write register 0x81, no answer; the instrument now holds lead 1 of "
            "the new setup; write it again"},
        {3, "request 4 of 10: write register 0x40, no answer; the instrument now holds leads 1 to "
            "2 of the new setup; write it again"},
        {5, "request 6 of 10: write register 0x51, no answer; the instrument now holds all the new "
            "leads and 2 of the 7 new settings; write it again"},
    };
    for (const Case& c : cases) {
        TransferBench bench;
        auto save = bench.exchange(Direction::Write);
        bench.run(save, [&](const Bytes& sent, std::size_t request, auto) {
            return request < c.answered ? bench.good(sent) : Bytes{};
        });
        ASSERT_TRUE(save.failure());
        EXPECT_EQ(transferFailureText(*save.failure()), c.text);
    }
}

TEST(TransferExchangeTest, AFailedLoadNamesTheRegisterReadAndNothingElse) {
    TransferBench bench;
    auto load = bench.exchange(Direction::Read);
    bench.run(load, [&](const Bytes& sent, std::size_t request, auto) {
        return request < 1 ? bench.good(sent) : withBadChecksum(bench.good(sent));
    });
    ASSERT_TRUE(load.failure());
    EXPECT_EQ(transferFailureText(*load.failure()),
              "request 2 of 9: read register 0x81, wrong answer");
}

TEST(TransferExchangeTest, CancelEndsAtOnceKeepingWhatWasRead) {
    TransferBench bench;
    ASSERT_TRUE(bench.registers.write(0x80, encodeLead({true, "ONE"})));
    ASSERT_TRUE(bench.registers.write(0x81, encodeLead({false, "TWO"})));
    auto load = bench.exchange(Direction::Read);
    load.start(bench.now);
    load.timePassed(bench.now);
    for (int answered = 0; answered < 2; ++answered) {
        bench.line.reply(bench.good(bench.line.nextRequest()));
        load.frameArrived(bench.now);
    }
    ASSERT_FALSE(bench.line.nextRequest().empty()); // the third request is out

    load.cancel();
    load.timePassed(bench.now + 10s);

    EXPECT_TRUE(load.finished());
    EXPECT_EQ(load.result(), Result::Cancelled);
    EXPECT_EQ(bench.line.unreadRequestBytes(), 0);
    SetupRecord expected;
    expected.leadSkip[1] = true;
    expected.leadName[1] = "ONE     ";
    expected.leadName[2] = "TWO     ";
    EXPECT_EQ(bench.record, expected);
}

} // namespace
