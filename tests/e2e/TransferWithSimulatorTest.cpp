#include "device/DeviceInfo.h"
#include "device/Frame.h"
#include "device/SerialLink.h"
#include "device/TransferExchange.h"
#include "setup/SetupRecord.h"
#include "support/SimulatorProcess.h"

#include <chrono>
#include <cstdio>
#include <gtest/gtest.h>
#include <memory>
#include <thread>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// The window's pace: the exchange ticks every 50 ms and the link is pumped every 100 ms.
// Faster runs keep that ratio and shrink the period of one tick.
constexpr auto kWindowTick = 50ms;
constexpr auto kFastTick = 5ms;
constexpr int kTicksPerPump = 2;
constexpr int kTickLimit = 6000;

SetupRecord fullSetup() {
    SetupRecord record;
    for (int lead = 1; lead <= SetupRecord::kMaxLeads; ++lead) {
        std::array<char, 9> name{};
        std::snprintf(name.data(), name.size(), "Lead%04d", lead * 7);
        record.leadName[lead] = name.data();
        record.leadSkip[lead] = lead % 3 == 0;
    }
    record.frequency = 3;
    record.failureLimit = 2;
    record.failureResponse = 2;
    record.startupMode = 3;
    record.goodLimit = 1000;
    record.poorLimit = 257;
    record.shutOffTime = 2550;
    return record;
}

struct TransferRun {
    TransferExchange::Result result;
    int pumps;
    std::chrono::duration<double> elapsed;
    std::size_t requests;
};

class TransferWithSimulatorTest : public ::testing::Test {
protected:
    void start(const std::vector<std::string>& arguments) {
        sim = std::make_unique<SimulatorProcess>(arguments);
        ASSERT_FALSE(sim->terminalPath().empty());
        const std::string path = sim->terminalPath();
        link = std::make_unique<SerialLink>([path](int) { return path; });
        ASSERT_TRUE(link->open(1, 9600)) << link->lastOpenError();
        info.serialText = "E2E00001";
        info.moduleType = 7;
        info.firmwareText = "3.1";
        info.leadCount = SetupRecord::kMaxLeads;
    }

    // Runs one transfer to its end, pumping the link as the window's read timer does.
    TransferRun transfer(SetupRecord& record, TransferExchange::Direction direction,
                         std::chrono::milliseconds tick) {
        TransferExchange exchange(*link, record, info, direction,
                                  {[](int, int) {},
                                   [](int) {
                                   }});
        const auto begin = Clock::now();
        exchange.start();
        int pumps = 0;
        for (int ticks = 1; !exchange.finished() && ticks <= kTickLimit; ++ticks) {
            std::this_thread::sleep_for(tick);
            if (ticks % kTicksPerPump == 0) {
                link->pump();
                ++pumps;
            }
            exchange.tick();
        }
        EXPECT_TRUE(exchange.finished());
        return {exchange.result(), pumps, Clock::now() - begin, exchange.requestCount()};
    }

    // Writes a full setup, reads it back into a record of defaults and compares.
    void roundTrip(std::chrono::milliseconds tick) {
        SetupRecord written = fullSetup();
        saved = transfer(written, TransferExchange::Direction::Write, tick);
        ASSERT_EQ(saved.result, TransferExchange::Result::Completed);

        SetupRecord read;
        loaded = transfer(read, TransferExchange::Direction::Read, tick);
        ASSERT_EQ(loaded.result, TransferExchange::Result::Completed);
        EXPECT_EQ(read, fullSetup());
    }

    std::unique_ptr<SimulatorProcess> sim;
    std::unique_ptr<SerialLink> link;
    DeviceInfo info;
    TransferRun saved{};
    TransferRun loaded{};
};

TEST_F(TransferWithSimulatorTest, FullSetupTravelsBothWaysAtTheWindowsPace) {
    start({});
    // The poll's last identity reply is still waiting when the transfer begins.
    link->sendFrame(0x01, std::array<std::uint8_t, 1>{0x10});
    for (auto deadline = Clock::now() + 2s; !link->hasFrame() && Clock::now() < deadline;)
        link->pump();
    ASSERT_TRUE(link->hasFrame());

    roundTrip(kWindowTick);

    EXPECT_EQ(saved.requests, 136U);
    EXPECT_EQ(loaded.requests, 135U);
    const auto report = [this](const char* name, const TransferRun& run) {
        const double seconds = run.elapsed.count();
        RecordProperty(std::string(name) + "_seconds", std::to_string(seconds));
        std::printf("%s of 128 leads: %.2f s for %zu requests, %.0f ms per request\n", name,
                    seconds, run.requests, 1000.0 * seconds / static_cast<double>(run.requests));
    };
    report("save", saved);
    report("load", loaded);

    // The identity write reached the instrument too.
    link->clearInput();
    link->sendFrame(0x01, std::array<std::uint8_t, 1>{0x10});
    std::array<std::uint8_t, kFrameBufferSize> reply{};
    for (auto deadline = Clock::now() + 2s; !link->hasFrame() && Clock::now() < deadline;)
        link->pump();
    ASSERT_TRUE(link->takeFrame(reply));
    const std::vector<std::uint8_t> identity{'E', '2', 'E', '0', '0', '0', '0', '1', 0, 7, 3, 1};
    const std::optional<FrameView> frame = decodeFrame(reply);
    ASSERT_TRUE(frame);
    EXPECT_EQ(std::vector(frame->data.begin(), frame->data.end()), identity);
}

class TransferThroughFaultsTest : public TransferWithSimulatorTest,
                                  public ::testing::WithParamInterface<std::vector<std::string>> {};

TEST_P(TransferThroughFaultsTest, FullSetupStillTravelsBothWays) {
    start(GetParam());
    roundTrip(kFastTick);
}

INSTANTIATE_TEST_SUITE_P(Faults, TransferThroughFaultsTest,
                         ::testing::Values(std::vector<std::string>{"--noise"},
                                           std::vector<std::string>{"--split"},
                                           std::vector<std::string>{"--bad-checksum-every", "2"}),
                         [](const auto& info) {
                             std::string name;
                             for (char c : info.param[0])
                                 if (c != '-')
                                     name += c;
                             return name;
                         });

TEST_F(TransferWithSimulatorTest, SilentInstrumentFailsAfterThreeTimeOuts) {
    start({"--silent"});
    SetupRecord record = fullSetup();

    const TransferRun run = transfer(record, TransferExchange::Direction::Write, kFastTick);

    EXPECT_EQ(run.result, TransferExchange::Result::Failed);
    // Three attempts, each given up on the 51st pump without a reply.
    EXPECT_GE(run.pumps, 3 * 51);
    EXPECT_LE(run.pumps, 3 * 51 + 2);
}

} // namespace
