#include "setup/SetupRecord.h"

#include <gtest/gtest.h>
#include <limits>

namespace {

TEST(SetupRecord, NormalizeBringsOnlyTheCodesIntoRange) {
    struct CodeCase {
        std::uint8_t frequency, startupMode, failureResponse, failureLimit;
        std::uint8_t expectedFrequency, expectedStartupMode, expectedResponse, expectedLimit;
    };
    const CodeCase cases[] = {
        {0, 4, 0, 0, 1, 1, 1, 1},
        {4, 255, 3, 3, 1, 1, 1, 1},
        {3, 0, 2, 2, 3, 0, 2, 2},
        {2, 3, 1, 1, 2, 3, 1, 1},
    };
    for (const auto& c : cases) {
        SetupRecord record;
        record.frequency = c.frequency;
        record.startupMode = c.startupMode;
        record.failureResponse = c.failureResponse;
        record.failureLimit = c.failureLimit;
        record.goodLimit = 200;
        record.poorLimit = -3;
        record.shutOffTime = 7;
        record.normalizeCodes();
        EXPECT_EQ(record.frequency, c.expectedFrequency);
        EXPECT_EQ(record.startupMode, c.expectedStartupMode);
        EXPECT_EQ(record.failureResponse, c.expectedResponse);
        EXPECT_EQ(record.failureLimit, c.expectedLimit);
        EXPECT_EQ(record.goodLimit, 200);
        EXPECT_EQ(record.poorLimit, -3);
        EXPECT_EQ(record.shutOffTime, 7);
    }
}

TEST(SetupRecord, ClearLeadsKeepsTheOtherFields) {
    SetupRecord record;
    record.frequency = 3;
    record.goodLimit = 55;
    record.shutOffTime = 900;
    record.leadName[1] = "FP1";
    record.leadName[128] = "O2";
    record.leadSkip[64] = true;

    record.clearLeads();

    SetupRecord expected;
    expected.frequency = 3;
    expected.goodLimit = 55;
    expected.shutOffTime = 900;
    EXPECT_EQ(record, expected);
}

TEST(SetupRecord, DisplayTexts) {
    const std::pair<std::int32_t, std::string_view> limits[] = {
        {100, "10.0"}, {150, "15.0"},   {5, "0.5"},
        {7, "0.7"},    {1000, "100.0"}, {0, "0.0"},
        {-5, "-0.5"},  {-15, "-1.5"},   {std::numeric_limits<std::int32_t>::min(), "-214748364.8"},
    };
    for (const auto& [tenths, text] : limits)
        EXPECT_EQ(limitDisplayText(tenths), text) << tenths;
    EXPECT_EQ(shutOffDisplayText(60), "60");
    EXPECT_EQ(shutOffDisplayText(2550), "2550");
}

} // namespace
