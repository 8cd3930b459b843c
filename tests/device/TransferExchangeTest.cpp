#include "device/TransferExchange.h"

#include "LinkOnTerminal.h"
#include "sim/RegisterStore.h"
#include "sim/Responder.h"
#include "support/FrameBytes.h"
#include "support/SampleSetup.h"

#include <functional>
#include <gtest/gtest.h>
#include <numeric>
#include <string>
#include <vector>

namespace {

// What the instrument answers to one sent request; attempt counts the sends of that request.
using Answer = std::function<Bytes(const Bytes& sent, std::size_t request, int attempt)>;

// The instrument's end of the line and the window's side of one transfer: the test answers each
// request, pumps the link as the 100 ms read timer does and ticks the exchange.
class TransferBench {
public:
    TransferBench() { info.leadCount = 2; }

    TransferExchange exchange(TransferExchange::Direction direction) {
        return TransferExchange(line.link, record, info, direction,
                                {[this](int minimum, int maximum) {
                                     range = {minimum, maximum};
                                 },
                                 [this](int position) {
                                     positions.push_back(position);
                                 }});
    }

    void run(TransferExchange& transfer, const Answer& answer) {
        transfer.tick();
        std::size_t request = 0;
        int attempt = 0;
        while (!transfer.finished()) {
            const Bytes request_sent = line.nextRequest();
            ASSERT_FALSE(request_sent.empty()) << "nothing sent";
            if (!sent.empty()) {
                const bool resent = request_sent == sent.back();
                request = resent ? request : request + 1;
                attempt = resent ? attempt + 1 : 0;
            }
            sent.push_back(request_sent);
            line.reply(answer(request_sent, request, attempt));
            transfer.tick();
        }
    }

    Bytes good(const Bytes& request) {
        const std::optional<EncodedFrame> reply = instrument.answer(request);
        return reply ? bytesOf(reply->bytes()) : Bytes{};
    }

    LinkOnTerminal line;
    RegisterStore registers;
    Responder instrument{registers};
    SetupRecord record;
    DeviceInfo info;
    std::pair<int, int> range{-1, -1};
    std::vector<int> positions;
    std::vector<Bytes> sent;
};

TEST(TransferExchangeTest, PromptAnswersCompleteBothWays) {
    TransferBench bench;
    bench.record = sampleSetup();
    auto save = bench.exchange(TransferExchange::Direction::Write);
    save.start();
    bench.run(save, [&](const Bytes& sent, auto, auto) { return bench.good(sent); });

    EXPECT_EQ(save.result(), TransferExchange::Result::Completed);
    EXPECT_EQ(bench.sent.size(), 10U); // each request once
    EXPECT_EQ(bench.range, std::make_pair(0, 10));
    std::vector<int> steps(9);
    std::iota(steps.begin(), steps.end(), 1);
    EXPECT_EQ(bench.positions, steps); // the bar ends at count - 1

    bench.record = SetupRecord{};
    auto load = bench.exchange(TransferExchange::Direction::Read);
    load.start();
    bench.run(load, [&](const Bytes& sent, auto, auto) { return bench.good(sent); });

    EXPECT_EQ(load.result(), TransferExchange::Result::Completed);
    EXPECT_EQ(bench.record, sampleSetupReadBack());
}

TEST(TransferExchangeTest, WaitingIdentityReplyCostsTheFirstRequestNoAttempt) {
    TransferBench bench;
    bench.line.reply(frameBytes(0x10, Bytes(12, 'S')));
    ASSERT_TRUE(bench.line.link.hasFrame());
    auto load = bench.exchange(TransferExchange::Direction::Read);
    load.start();

    bench.run(load, [&](const Bytes& sent, auto, auto) { return bench.good(sent); });

    EXPECT_EQ(load.result(), TransferExchange::Result::Completed);
    EXPECT_EQ(bench.sent.size(), load.requestCount()); // the first request went out once
}

TEST(TransferExchangeTest, SilentInstrumentFailsAfterThreeSendsOfTheFirstRequest) {
    TransferBench bench;
    auto save = bench.exchange(TransferExchange::Direction::Write);
    save.start();
    save.tick();
    const Bytes first = bench.line.nextRequest();
    ASSERT_EQ(first.size(), 16U);

    std::vector<int> resentAtPump;
    int pumps = 0;
    while (!save.finished() && pumps < 200) {
        bench.line.link.pump();
        ++pumps;
        save.tick();
        save.tick(); // two ticks of 50 ms pass per pump
        if (bench.line.unreadRequestBytes() > 0) {
            EXPECT_EQ(bench.line.nextRequest(), first);
            resentAtPump.push_back(pumps);
        }
    }

    EXPECT_EQ(save.result(), TransferExchange::Result::Failed);
    EXPECT_EQ(resentAtPump, (std::vector<int>{51, 102}));
    EXPECT_EQ(pumps, 153);
}

TEST(TransferExchangeTest, WrongAnswersCountAsFailedAttempts) {
    struct Case {
        const char* what;
        TransferExchange::Direction direction;
        // Wrong answer to the given attempt of the given request, empty for the good one.
        std::function<Bytes(const Bytes& good, std::size_t request, int attempt)> wrong;
        TransferExchange::Result result;
    };
    const Bytes ackOfOne{0x55, 0x01, 0x00, 0x01, 0x02};
    const Bytes emptyFrame{0x55, 0x00, 0x00, 0x00};
    // Starts like an acknowledgement, but does not fit the 80 bytes a reply is taken into.
    Bytes overlong{0x55, 0xC8, 0x00, 0x00, 0xC8};
    overlong.resize(0xC8 + 4, 0x00);
    const std::vector<Case> cases{
        {"bad checksum, then two of another register on the next request: retries restart",
         TransferExchange::Direction::Read,
         [](const Bytes& good, std::size_t request, int attempt) {
             if (request == 0 && attempt == 0)
                 return withBadChecksum(good);
             return request == 1 && attempt < 2 ? frameBytes(0x40, Bytes{1}) : Bytes{};
         },
         TransferExchange::Result::Completed},
        {"another register every time", TransferExchange::Direction::Read,
         [](auto&&...) {
             return frameBytes(0x81, Bytes{0, 'A'});
         },
         TransferExchange::Result::Failed},
        {"bad checksum every time", TransferExchange::Direction::Read,
         [](const Bytes& good, auto, auto) { return withBadChecksum(good); },
         TransferExchange::Result::Failed},
        {"reply longer than a lead", TransferExchange::Direction::Read,
         [](auto&&...) { return frameBytes(0x80, Bytes(11, 'A')); },
         TransferExchange::Result::Failed},
        {"acknowledgement of 1 twice, then the right one", TransferExchange::Direction::Write,
         [&](auto, std::size_t request, int attempt) {
             return request == 0 && attempt < 2 ? ackOfOne : Bytes{};
         },
         TransferExchange::Result::Completed},
        {"acknowledgement of 1 every time", TransferExchange::Direction::Write,
         [&](auto&&...) { return ackOfOne; }, TransferExchange::Result::Failed},
        {"frame without data every time", TransferExchange::Direction::Write,
         [&](auto&&...) { return emptyFrame; }, TransferExchange::Result::Failed},
        {"frame longer than a reply can be every time", TransferExchange::Direction::Write,
         [&](auto&&...) { return overlong; }, TransferExchange::Result::Failed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TransferBench bench;
        auto transfer = bench.exchange(c.direction);
        transfer.start();

        bench.run(transfer, [&](const Bytes& sent, std::size_t request, int attempt) {
            const Bytes good = bench.good(sent);
            const Bytes wrong = c.wrong(good, request, attempt);
            return wrong.empty() ? good : wrong;
        });

        EXPECT_EQ(transfer.result(), c.result);
        if (c.result == TransferExchange::Result::Failed) {
            EXPECT_EQ(bench.sent, std::vector<Bytes>(3, bench.sent.front()));
        }
    }
}

TEST(TransferExchangeTest, CancelEndsAtOnceKeepingWhatWasRead) {
    TransferBench bench;
    ASSERT_TRUE(bench.registers.write(0x80, encodeLead({true, "ONE"})));
    ASSERT_TRUE(bench.registers.write(0x81, encodeLead({false, "TWO"})));
    auto load = bench.exchange(TransferExchange::Direction::Read);
    load.start();
    load.tick();
    for (int answered = 0; answered < 2; ++answered) {
        bench.line.reply(bench.good(bench.line.nextRequest()));
        load.tick();
    }
    ASSERT_FALSE(bench.line.nextRequest().empty()); // the third request is out

    load.cancel();
    load.tick();

    EXPECT_TRUE(load.finished());
    EXPECT_EQ(load.result(), TransferExchange::Result::Cancelled);
    EXPECT_EQ(bench.line.unreadRequestBytes(), 0);
    SetupRecord expected;
    expected.leadSkip[1] = true;
    expected.leadName[1] = "ONE     ";
    expected.leadName[2] = "TWO     ";
    EXPECT_EQ(bench.record, expected);
}

} // namespace
