#include "device/DeviceInfo.h"
#include "device/Frame.h"
#include "device/InstrumentSession.h"
#include "device/LineTiming.h"
#include "device/SessionPort.h"
#include "device/SessionTiming.h"
#include "setup/SetupRecord.h"
#include "support/SimulatorProcess.h"
#include "support/TraceLines.h"
#include "support/TransferRequest.h"
#include "ui/SessionDriver.h"
#include "ui/TransferDialog.h"

#include <QTest>
#include <chrono>
#include <cstdio>
#include <gtest/gtest.h>
#include <memory>
#include <sstream>

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

using Result = OperationOutcome::Result;

struct TransferRun {
    Result result;
    std::chrono::duration<double> elapsed;
    std::size_t requests;
    std::size_t lineBytes; // request and reply frames, as they travelled
};

class TransferWithSimulatorTest : public ::testing::Test {
protected:
    void start(std::vector<std::string> arguments) {
        sim = std::make_unique<SimulatorProcess>(arguments);
        ASSERT_FALSE(sim->terminalPath().empty());
        port.open(sim->terminalPath(), {kLineRate});
        info.serialText = "E2E00001";
        info.moduleType = 7;
        info.firmwareText = "3.1";
        info.leadCount = SetupRecord::kMaxLeads;
    }

    // Runs one transfer as the window does: the real dialog on the session, driven by the
    // event loop, with the poll's identity request just sent, its answer still on the way.
    TransferRun transfer(SetupRecord& record, const OperationKind& kind) {
        trace.str({});
        session.startPolling(Clock::now() - SessionTiming::kPollPeriod, {});
        driver.wake();
        const auto begin = Clock::now();
        OperationRunner operation(session, transferRequest(kind, record, info), catalogue, {});
        operation.start(driver.now());
        driver.wake();
        TransferDialog dialog(nullptr, operation);
        dialog.exec();
        if (dialog.result() == Result::Completed)
            record = operation.outcome().setup;
        const std::chrono::duration<double> elapsed = Clock::now() - begin;
        // The dialog's requests are known from the write and read lists: 136 and 135.
        const std::size_t requests = &kind == &Operations::write ? 136U : 135U;
        return {dialog.result(), elapsed, requests, tracedBytes(trace.str())};
    }

    // Writes a full setup, reads it back into a record of defaults and compares.
    void roundTrip() {
        SetupRecord written = fullSetup();
        saved = transfer(written, Operations::write);
        ASSERT_EQ(saved.result, Result::Completed);

        SetupRecord read;
        loaded = transfer(read, Operations::read);
        ASSERT_EQ(loaded.result, Result::Completed);
        EXPECT_EQ(read, fullSetup());
    }

    // Prints the figures of both directions; a transfer slower than share of the old pace (a
    // tenth of a second a request) and extraSeconds fails.
    void report(const char* conditions, double share = 0.5, double extraSeconds = 0) {
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
            EXPECT_LT(seconds, oldPace * share + extraSeconds) << name;
        }
    }

    std::ostringstream trace;
    std::unique_ptr<SimulatorProcess> sim;
    SessionLine line{FrameTrace(trace)};
    InstrumentSession& session = line.session();
    SessionPort& port = line.port();
    SessionDriver driver{line, nullptr};
    const ModuleCatalogue catalogue{""};
    DeviceInfo info;
    TransferRun saved{};
    TransferRun loaded{};
};

TEST_F(TransferWithSimulatorTest, FullSetupTravelsBothWaysAtTheLinesPace) {
    start({"--line-rate", std::to_string(kLineRate)});
    roundTrip();
    report("9600 baud");

    // The identity write reached the instrument too.
    session.askIdentity(Clock::now(), 2s);
    driver.wake();
    ASSERT_TRUE(QTest::qWaitFor([this] { return !session.identityPending(); }, 3000));
    ASSERT_TRUE(session.identity());
    EXPECT_EQ(*session.identity(), (DeviceIdentity{"E2E00001", 7, 3, 1}));
}

TEST_F(TransferWithSimulatorTest, AnInstrumentDeafAfterEachWriteGetsTheWholeSetup) {
    start({"--line-rate", std::to_string(kLineRate), "--deaf-after-write", "30"});
    roundTrip();
    // One request lost, then the old spacing: about the old pace and one time-out; a second
    // lost request would cost another.
    const double timeOut = std::chrono::duration<double>(SessionTiming::kReplyTimeout).count();
    report("9600 baud, deaf for 30 ms after each write", 1, 2 * timeOut);
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
    // The faults cost time of their own: only a return to the old pace fails.
    report(conditions.c_str(), 1.0);
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

} // namespace
