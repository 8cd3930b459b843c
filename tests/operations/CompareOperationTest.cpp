#include "config/SetupDigest.h"
#include "device/Registers.h"
#include "support/RunnerInMemory.h"
#include "support/TransferRequest.h"

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;
using Result = OperationOutcome::Result;

// A comparison of a setup with the simulated instrument in memory: two leads, "Left" skipped and
// "Right", 30 Hz, everything else as the defaults.
class CompareOperationTest : public ::testing::Test {
protected:
    void SetUp() override {
        instrument.registers = RegisterStore{{"00004711", 8, 2, 5}};
        ASSERT_TRUE(instrument.registers.write(0x80, leadBytes("\x01Left    ")));
        ASSERT_TRUE(instrument.registers.write(0x81, leadBytes("\x00Right   ")));
        setup.resetToDefaults();
        for (const SettingRegister& reg : kSettingRegisters)
            ASSERT_TRUE(instrument.registers.write(reg.number, encodeSetting(reg, setup)));
        ASSERT_TRUE(instrument.registers.write(0x40, Bytes{3}));
        setup.leadName[1] = "Left";
        setup.leadSkip[1] = true;
        setup.leadName[2] = "Right";
        setup.frequency = 3;
        info = {"00004711", 8, "2.5", 2};
    }

    // A lead register's nine bytes: the skip byte, then the name.
    static Bytes leadBytes(const char* content) { return {content, content + 9}; }

    // Runs the comparison to its end, answering each request as it comes; every request sent is
    // kept in requests.
    OperationOutcome compare() {
        OperationRequest request = transferRequest(Operations::compare, setup, info);
        request.setupFile = "ward4.prp";
        OperationRunner operation(session, request, catalogue, {});
        runToTheEnd(operation, session, instrument, now,
                    [this](const Bytes& sent) { requests.push_back(sent); });
        return operation.outcome();
    }

    const ModuleCatalogue catalogue{""};
    InstrumentSession session{FrameTrace()};
    InstrumentInMemory instrument{session};
    InstrumentSession::TimePoint now = InstrumentSession::TimePoint{} + 1h;
    SetupRecord setup;
    DeviceInfo info;
    std::vector<Bytes> requests;
};

TEST_F(CompareOperationTest, ReadsTheInstrumentWritingNothingAndRecordsWhatItFound) {
    struct Case {
        const char* name;
        std::function<void(SetupRecord&)> change;
        std::vector<std::string> differing;
        const char* result;
        const char* detail;
    };
    const Case cases[] = {
        {"the instrument holds the setup", [](SetupRecord&) {}, {}, "same", ""},
        {"a name and the frequency differ",
         [](SetupRecord& expected) {
             expected.leadName[2] = "Wrong";
             expected.frequency = 1;
         },
         {"Lead 2 name", "Test Frequency"},
         "differs",
         "Lead 2 name, Test Frequency"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.change(setup);
        requests.clear();

        const OperationOutcome outcome = compare();

        EXPECT_EQ(outcome.result, Result::Completed);
        std::vector<std::string> differing;
        for (const SetupDifference& difference : outcome.differences)
            differing.push_back(difference.field);
        EXPECT_EQ(differing, c.differing);
        // Two leads and seven settings, each read.
        EXPECT_EQ(requests.size(), 9U);
        for (const Bytes& request : requests)
            EXPECT_EQ(request.at(2), kReadCommand);
        ASSERT_EQ(outcome.rows.size(), 1U);
        const TransferRow& row = outcome.rows.front();
        const std::vector<std::string> recorded{row.action,    row.serialBefore, row.serialAfter,
                                                row.setupFile, row.setupSha256,  row.result,
                                                row.detail};
        EXPECT_EQ(recorded,
                  (std::vector<std::string>{"compare", "00004711", "00004711", "ward4.prp",
                                            setupDigest(setup), c.result, c.detail}));
    }
}

TEST_F(CompareOperationTest, ASilentInstrumentIsAFailedComparisonNamingTheSetup) {
    FaultPlan silence;
    silence.silent = true;
    instrument.responder.setFaults(silence);

    const OperationOutcome outcome = compare();

    EXPECT_EQ(outcome.result, Result::Failed);
    EXPECT_TRUE(outcome.differences.empty());
    ASSERT_EQ(outcome.rows.size(), 1U);
    EXPECT_EQ(outcome.rows.front().result, "failed");
    EXPECT_EQ(outcome.rows.front().detail, "request 1 of 9: read register 0x80, no answer");
    EXPECT_EQ(outcome.rows.front().setupSha256, setupDigest(setup));
}

} // namespace
