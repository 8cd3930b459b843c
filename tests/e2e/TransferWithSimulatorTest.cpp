#include "device/DeviceInfo.h"
#include "device/Frame.h"
#include "device/LineTiming.h"
#include "device/SerialLink.h"
#include "device/TransferExchange.h"
#include "setup/SetupRecord.h"
#include "support/SimulatorProcess.h"
#include "support/TraceLines.h"
#include "ui/LinkWatcher.h"
#include "ui/MainWindow.h"
#include "ui/TransferDialog.h"

#include <QTimer>
#include <chrono>
#include <cstdio>
#include <gtest/gtest.h>
#include <memory>
#include <sstream>
#include <thread>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr std::uint32_t kLineRate = 9600;

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

// The bytes a frame trace shows sent and received: every field after the time and direction.
std::size_t tracedBytes(const std::string& trace) {
    std::size_t bytes = 0;
    for (const std::string& line : traceLines(trace)) {
        std::istringstream fields(line);
        std::string direction;
        fields >> direction;
        if (direction != "send" && direction != "recv")
            continue;
        for (std::string field; fields >> field;)
            ++bytes;
    }
    return bytes;
}

struct TransferRun {
    TransferExchange::Result result;
    std::chrono::duration<double> elapsed;
    std::size_t requests;
    std::size_t lineBytes; // request and reply frames, as they travelled
};

class TransferWithSimulatorTest : public ::testing::Test {
protected:
    void start(std::vector<std::string> arguments) {
        sim = std::make_unique<SimulatorProcess>(arguments);
        ASSERT_FALSE(sim->terminalPath().empty());
        const std::string path = sim->terminalPath();
        link = std::make_unique<SerialLink>([path](int) { return path; }, FrameTrace(trace));
        ASSERT_TRUE(link->open(1, kLineRate)) << link->lastOpenError();
        info.serialText = "E2E00001";
        info.moduleType = 7;
        info.firmwareText = "3.1";
        info.leadCount = SetupRecord::kMaxLeads;
    }

    // Runs one transfer as the window does: the real dialog, the link read as bytes arrive and
    // pumped every 100 ms.
    TransferRun transfer(SetupRecord& record, TransferExchange::Direction direction) {
        trace.str({});
        TransferDialog dialog(nullptr, *link, record, info, direction);
        LinkWatcher watcher(*link, nullptr);
        watcher.follow();
        QObject::connect(&watcher, &LinkWatcher::frameReady, &dialog,
                         &TransferDialog::frameArrived);
        QTimer pump;
        pump.setTimerType(Qt::PreciseTimer);
        QObject::connect(&pump, &QTimer::timeout, &watcher, &LinkWatcher::pump);
        pump.start(MainWindow::kPumpPeriodMs);

        const auto begin = Clock::now();
        dialog.exec();
        const std::chrono::duration<double> elapsed = Clock::now() - begin;
        // The dialog's requests are known from the write and read lists: 136 and 135.
        const std::size_t requests = direction == TransferExchange::Direction::Write ? 136U : 135U;
        return {dialog.transferResult(), elapsed, requests, tracedBytes(trace.str())};
    }

    // Writes a full setup, reads it back into a record of defaults and compares.
    void roundTrip() {
        SetupRecord written = fullSetup();
        saved = transfer(written, TransferExchange::Direction::Write);
        ASSERT_EQ(saved.result, TransferExchange::Result::Completed);

        SetupRecord read;
        loaded = transfer(read, TransferExchange::Direction::Read);
        ASSERT_EQ(loaded.result, TransferExchange::Result::Completed);
        EXPECT_EQ(read, fullSetup());
    }

    // Prints the figures of both directions and catches a return to the pace of the timers.
    void report(const char* conditions) {
        for (const auto& [name, run] : {std::pair{"save", saved}, std::pair{"load", loaded}}) {
            const double seconds = run.elapsed.count();
            const double line =
                std::chrono::duration<double>(lineTime(run.lineBytes, kLineRate)).count();
            const double oldPace = 0.1 * static_cast<double>(run.requests);
            std::printf("%s, %s of 128 leads: %.2f s for %zu requests, %zu bytes on the line "
                        "(%.2f s at %u baud, x%.2f), old pace %.1f s (%.1f times faster)\n",
                        conditions, name, seconds, run.requests, run.lineBytes, line, kLineRate,
                        seconds / line, oldPace, oldPace / seconds);
            RecordProperty(std::string(name) + "_seconds", std::to_string(seconds));
            EXPECT_LT(seconds, oldPace / 2) << name;
        }
    }

    std::ostringstream trace;
    std::unique_ptr<SimulatorProcess> sim;
    std::unique_ptr<SerialLink> link;
    DeviceInfo info;
    TransferRun saved{};
    TransferRun loaded{};
};

TEST_F(TransferWithSimulatorTest, FullSetupTravelsBothWaysAtTheLinesPace) {
    start({"--line-rate", std::to_string(kLineRate)});
    // The poll's last identity reply is still waiting when the transfer begins.
    link->sendFrame(0x01, std::array<std::uint8_t, 1>{0x10});
    for (auto deadline = Clock::now() + 2s; !link->hasFrame() && Clock::now() < deadline;)
        link->pump();
    ASSERT_TRUE(link->hasFrame());

    roundTrip();
    report("9600 baud");

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
    std::vector<std::string> arguments = GetParam();
    start(arguments);
    roundTrip();
    std::string conditions;
    for (std::size_t i = 2; i < arguments.size(); ++i)
        conditions += (i > 2 ? " " : "") + arguments[i];
    report(conditions.c_str());
}

INSTANTIATE_TEST_SUITE_P(
    Faults, TransferThroughFaultsTest,
    ::testing::Values(std::vector<std::string>{"--line-rate", "9600", "--noise"},
                      std::vector<std::string>{"--line-rate", "9600", "--split"},
                      std::vector<std::string>{"--line-rate", "9600", "--bad-checksum-every",
                                               "10"}),
    [](const auto& info) {
        std::string name;
        for (char c : info.param[2])
            if (c != '-')
                name += c;
        return name;
    });

TEST_F(TransferWithSimulatorTest, SilentInstrumentFailsAfterThreeTimeOutsCountedInPumps) {
    start({"--silent"});
    SetupRecord record = fullSetup();
    TransferExchange exchange(*link, record, info, TransferExchange::Direction::Write,
                              {[](int, int) {},
                               [](int) {
                               }});
    exchange.start();
    // Ticks and reads of arriving bytes between the pumps do not bring the time-out nearer.
    int pumps = 0;
    for (int ticks = 1; !exchange.finished() && ticks <= 1000; ++ticks) {
        std::this_thread::sleep_for(2ms);
        link->receive();
        exchange.tick();
        if (ticks % 2 == 0) {
            link->pump();
            ++pumps;
        }
    }
    ASSERT_TRUE(exchange.finished());
    EXPECT_EQ(exchange.result(), TransferExchange::Result::Failed);
    // Three attempts, each given up on the 51st pump without a reply.
    EXPECT_GE(pumps, 3 * 51);
    EXPECT_LE(pumps, 3 * 51 + 2);
}

} // namespace
