#include "operations/SetupComparison.h"

#include <algorithm>
#include <functional>
#include <gtest/gtest.h>

namespace {

struct ComparisonCase {
    const char* name;
    std::function<void(SetupRecord& expected, SetupRecord& found)> change;
    int leadCount;
    std::vector<SetupDifference> differences;
};

TEST(SetupComparisonTest, ComparesWhatAnInstrumentWouldHoldOfEach) {
    const ComparisonCase cases[] = {
        {"a name padded with blanks",
         [](SetupRecord& expected, SetupRecord& found) {
             expected.leadName[1] = "Arm";
             found.leadName[1] = "Arm     ";
         },
         2,
         {}},
        {"a name longer than eight characters, by its first eight",
         [](SetupRecord& expected, SetupRecord& found) {
             expected.leadName[1] = "LONGNAME12";
             found.leadName[1] = "LONGNAMX";
             expected.leadName[2] = "LONGNAME12";
             found.leadName[2] = "LONGNAME";
         },
         2,
         {{"Lead 1 name", "LONGNAME", "LONGNAMX"}}},
        {"a code normalized as the window shows it",
         [](SetupRecord& expected, SetupRecord& found) {
             expected.frequency = 7;
             expected.startupMode = 9;
             found.startupMode = 1;
             found.frequency = 2;
         },
         2,
         {{"Test Frequency", "10 Hz", "20 Hz"}}},
        {"a lead beyond the module's count",
         [](SetupRecord& expected, SetupRecord& found) {
             expected.leadName[3] = "Three";
             found.leadSkip[3] = true;
         },
         2,
         {}},
        {"the module's last lead",
         [](SetupRecord& expected, SetupRecord& found) {
             expected.leadName[3] = "Three";
             found.leadSkip[3] = true;
         },
         3,
         {{"Lead 3 name", "Three   ", "        "}, {"Lead 3 skipped", "no", "yes"}}},
        {"the shut-off time in the instrument's whole tens of seconds",
         [](SetupRecord& expected, SetupRecord& found) {
             expected.shutOffTime = 65;
             found.shutOffTime = 60;
         },
         2,
         {}},
        {"every setting, in the order of a setup file",
         [](SetupRecord& expected, SetupRecord& found) {
             expected.shutOffTime = 70;
             expected.poorLimit = 257;
             expected.goodLimit = 5;
             expected.failureLimit = 2;
             expected.failureResponse = 2;
             expected.startupMode = 0;
             expected.frequency = 3;
             found.leadSkip[128] = true;
         },
         128,
         {{"Lead 128 skipped", "no", "yes"},
          {"Test Frequency", "30 Hz", "10 Hz"},
          {"Start-up Mode", "Last Used", "Auto"},
          {"Upon Failure", "Continue", "Stop"},
          {"Failure Criterion", "Poor Limit", "Good Limit"},
          {"Good Limit", "0.5 K Ohms", "10.0 K Ohms"},
          {"Poor Limit", "25.7 K Ohms", "15.0 K Ohms"},
          {"Auto Shut-Off", "70 seconds", "60 seconds"}}},
    };
    for (const ComparisonCase& c : cases) {
        SCOPED_TRACE(c.name);
        SetupRecord expected;
        expected.resetToDefaults();
        SetupRecord found = expected;
        c.change(expected, found);

        EXPECT_EQ(setupDifferences(expected, found, c.leadCount), c.differences);
    }
}

TEST(SetupComparisonTest, ListsEveryFieldComparedAndLinesShowTrailingBlanks) {
    SetupRecord expected;
    expected.resetToDefaults();
    SetupRecord found = expected;
    found.leadName[2] = "Leg";

    const std::vector<ComparedField> fields = comparedFields(expected, found, 2);

    ASSERT_EQ(fields.size(), 2U * 2U + 7U);
    EXPECT_EQ(fields[0], (ComparedField{"Lead 1 name", "        ", "        "}));
    EXPECT_TRUE(fields[2].differs());
    EXPECT_EQ(std::ranges::count_if(fields, &ComparedField::differs), 1);
    EXPECT_EQ(differenceLine(fields[2], "in ward4.prp", "in the instrument"),
              "Lead 2 name: \"        \" in ward4.prp, \"Leg     \" in the instrument");
    found.frequency = 3;
    EXPECT_EQ(
        differencesText(setupDifferences(expected, found, 2), "here", "in the instrument", "  "),
        "  Lead 2 name: \"        \" here, \"Leg     \" in the instrument\n"
        "  Test Frequency: \"10 Hz\" here, \"30 Hz\" in the instrument\n");
}

} // namespace
