#include "support/RunnerInMemory.h"
#include "support/TransferRequest.h"

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;
using Result = OperationOutcome::Result;

// A save of two leads into the simulated instrument 00004711 in memory, the new serial number
// 00000042 with it, the instrument answered request by request until stopWhen says otherwise.
class OperationRunnerTest : public ::testing::Test {
protected:
    OperationRequest saveRequest() {
        SetupRecord setup;
        setup.resetToDefaults();
        OperationRequest request =
            transferRequest(Operations::write, setup, {"00000042", 3, "1.2", 2});
        request.identity = DeviceIdentity{"00004711", 3, 1, 2};
        return request;
    }

    // Runs the operation to its end; stopWhen(answered) may cancel it or silence the instrument.
    const OperationOutcome& run(OperationRunner& runner,
                                const std::function<void(int answered)>& stopWhen = {}) {
        runToTheEnd(runner, session, instrument, now, {}, stopWhen);
        return runner.outcome();
    }

    const ModuleCatalogue catalogue{""};
    InstrumentSession session{FrameTrace()};
    InstrumentInMemory instrument{session};
    InstrumentSession::TimePoint now = InstrumentSession::TimePoint{} + 1h;
    std::vector<TransferRow> recorded;
};

// What the instrument holds after a save that ended early: the new number once its identity
// register was acknowledged, the old one before, and nobody knows after a cancel.
TEST_F(OperationRunnerTest, ASaveThatEndsEarlyTellsWhatTheInstrumentHolds) {
    struct Case {
        const char* name;
        bool silentFromTheStart;
        std::function<void(OperationRunner&, int answered)> stop;
        Result result;
        const char* serialAfter;
    };
    const Case cases[] = {
        {"cancelled partway", false,
         [](OperationRunner& runner, int answered) {
             if (answered == 3)
                 runner.cancel();
         },
         Result::Cancelled, ""},
        {"silent after the identity and a lead", false,
         [this](OperationRunner&, int answered) {
             if (answered == 2)
                 instrument.responder.setFaults({.silent = true});
         },
         Result::Failed, "00000042"},
        {"silent from its first request", true, [](OperationRunner&, int) {}, Result::Failed,
         "00004711"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        instrument.responder.setFaults({.silent = c.silentFromTheStart});
        OperationRunner runner(session, saveRequest(), catalogue,
                               [this](const TransferRow& row) { recorded.push_back(row); });
        recorded.clear();

        const OperationOutcome& outcome =
            run(runner, [&](int answered) { c.stop(runner, answered); });

        EXPECT_EQ(outcome.result, c.result);
        ASSERT_EQ(recorded.size(), 1U);
        EXPECT_EQ(recorded[0].action, "write");
        EXPECT_EQ(recorded[0].result, c.result == Result::Cancelled ? "cancelled" : "failed");
        EXPECT_EQ(recorded[0].serialBefore, "00004711");
        EXPECT_EQ(recorded[0].serialAfter, c.serialAfter);
        EXPECT_EQ(outcome.identityAfter ? outcome.identityAfter->serialText : "", c.serialAfter);
        instrument.responder.setFaults({});
    }
}

// The rows are in the record when whoever waits hears of the end; a record that cannot take them
// leaves the outcome of the instrument's work as it was and says why.
TEST_F(OperationRunnerTest, TheRowsAreRecordedBeforeTheEndIsTold) {
    for (const bool recordFails : {false, true}) {
        SCOPED_TRACE(recordFails ? "the record fails" : "the record takes the row");
        recorded.clear();
        OperationRunner runner(session, saveRequest(), catalogue,
                               [this, recordFails](const TransferRow& row) {
                                   if (recordFails)
                                       throw Failure("Disk full while accessing history.csv.");
                                   recorded.push_back(row);
                               });
        std::size_t recordedWhenTold = 99;
        runner.onEnded([&] { recordedWhenTold = recorded.size(); });

        const OperationOutcome& outcome = run(runner);

        EXPECT_EQ(outcome.result, Result::Completed);
        EXPECT_EQ(recordedWhenTold, recordFails ? 0U : 1U);
        EXPECT_EQ(outcome.recordFailure.value_or(""),
                  recordFails ? "Disk full while accessing history.csv." : "");
    }
}

} // namespace
