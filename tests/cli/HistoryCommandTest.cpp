#include "config/HistoryTime.h"
#include "config/SetupDigest.h"
#include "config/TransferHistory.h"
#include "setup/SetupFile.h"
#include "support/CliProcess.h"
#include "support/EnvironmentVariable.h"
#include "support/SampleSetup.h"
#include "support/TempDataFolder.h"

#include <chrono>
#include <fstream>
#include <gtest/gtest.h>

namespace {

class HistoryCommandTest : public TempDataFolder {
protected:
    void SetUp() override {
        TempDataFolder::SetUp();
        zone.set("CET-1");
    }

    std::string historyPath() const { return (dataFolder / "history.csv").string(); }

    void appendRow(const std::string& time, const std::string& before, const std::string& after,
                   const std::string& detail) {
        TransferRow row;
        row.time = time;
        row.program = "mirafen-cli";
        row.action = "write";
        row.device = "/dev/ttyUSB0";
        row.serialBefore = before;
        row.serialAfter = after;
        row.result = "ok";
        row.detail = detail;
        row.user = "tech";
        row.host = "bench";
        appendTransferRow(historyPath(), row);
    }

    const EnvironmentVariable zone{"TZ"};
};

// The details of the rows printed, in the order printed.
std::vector<std::string> detailsShown(const std::string& out) {
    std::vector<std::string> shown;
    for (const char* detail : {"first", "second", "third", "fourth"})
        if (const auto at = out.find(detail); at != std::string::npos)
            shown.emplace_back(detail);
    return shown;
}

TEST_F(HistoryCommandTest, HistoryShowsTheRowsFilteredBySerialAndTimeAndNamesTheBadLines) {
    appendRow("2026-12-10T09:00:00+01:00", "00000041", "00000042", "first");
    appendRow("2026-12-10T23:30:00+01:00", "00000042", "00000042", "second");
    {
        std::ofstream damage(historyPath(), std::ios::app | std::ios::binary);
        damage << "hand,edited\r\n";
    }
    appendRow("2026-12-11T08:00:00+01:00",
              "Z\xe4"
              "00001",
              "Z\xe4"
              "00001",
              "third");
    appendRow("2026-12-11T09:00:00+02:00", "00000007", "00000042", "fourth");

    struct Case {
        std::vector<std::string> arguments;
        std::vector<std::string> shown;
    };
    const Case cases[] = {
        {{}, {"first", "second", "third", "fourth"}},
        {{"--serial", "42"}, {"first", "second", "fourth"}},
        {{"--serial", "00000041"}, {"first"}},
        {{"--serial", "Z\xc3\xa4"
                      "00001"},
         {"third"}},
        {{"--since", "2026-12-11"}, {"third", "fourth"}},
        {{"--since", "2026-12-10T23:30"}, {"second", "third", "fourth"}},
        {{"--since", "2026-12-11T08:00:00+01:00", "--serial", "42"}, {"fourth"}},
        {{"--since", "2026-12-11T08:00:01+01:00"}, {}},
        {{"--until", "2026-12-10"}, {"first", "second"}},
        {{"--since", "2026-12-10T23:30", "--until", "2026-12-11T08:00"},
         {"second", "third", "fourth"}},
        {{"--until", "2026-12-11T07:59:59"}, {"first", "second"}},
        {{"--until", "2026-12-10T08:59:59+01:00"}, {}},
        {{"--serial", "43"}, {}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> arguments{"history"};
        arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
        SCOPED_TRACE(::testing::PrintToString(arguments));
        const CliRun run = runCli(arguments);
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(detailsShown(run.out), c.shown) << run.out;
        EXPECT_EQ(run.err, "mirafen-cli: line 4 of " + historyPath() +
                               " has 2 fields, not 14; it is not shown\n");
        if (c.shown.empty()) {
            EXPECT_EQ(run.out, "No recorded transfer matches.\n");
        }
    }

    const CliRun json = runCli({"history", "--serial",
                                "Z\xc3\xa4"
                                "00001",
                                "--json"});
    EXPECT_EQ(json.status, 0);
    EXPECT_EQ(json.out, "[\n"
                        "  {\n"
                        "    \"time\": \"2026-12-11T08:00:00+01:00\",\n"
                        "    \"program\": \"mirafen-cli\",\n"
                        "    \"action\": \"write\",\n"
                        "    \"device\": \"/dev/ttyUSB0\",\n"
                        "    \"serial_before\": \"Z\xc3\xa4"
                        "00001\",\n"
                        "    \"serial_after\": \"Z\xc3\xa4"
                        "00001\",\n"
                        "    \"module\": \"\",\n"
                        "    \"firmware\": \"\",\n"
                        "    \"setup_file\": \"\",\n"
                        "    \"setup_sha256\": \"\",\n"
                        "    \"result\": \"ok\",\n"
                        "    \"detail\": \"third\",\n"
                        "    \"user\": \"tech\",\n"
                        "    \"host\": \"bench\"\n"
                        "  }\n"
                        "]\n");
}

// A missing record is an empty one; a record that cannot be read is a failure.
TEST_F(HistoryCommandTest, AMissingRecordIsEmptyAnUnreadableOneFails) {
    const CliRun missing = runCli({"history"});
    EXPECT_EQ(missing.status, 0);
    EXPECT_EQ(missing.out, "No transfers are recorded in " + historyPath() + ".\n");
    EXPECT_EQ(runCli({"history", "--json"}).out, "[]\n");

    std::filesystem::create_directory(historyPath());
    const CliRun unreadable = runCli({"history"});
    EXPECT_EQ(unreadable.status, 1);
    EXPECT_EQ(unreadable.err,
              "cannot read the record of transfers: " + historyPath() + ": Is a directory\n");
}

// show --digest names the setup a file holds, however the file orders its lines: the
// digest of the setup as a new file would hold it.
TEST_F(HistoryCommandTest, ShowDigestPrintsTheDigestOfTheSetupTheFileHolds) {
    const std::string canonical = newSetupFileText(sampleSetup());
    writeFile(workFolder / "new.prp", canonical);
    // The same setup with its lines in reverse order and a line of someone else's.
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < canonical.size();) {
        const std::size_t end = canonical.find("\r\n", at) + 2;
        lines.insert(lines.begin(), canonical.substr(at, end - at));
        at = end;
    }
    std::string reordered = "COMMENT=ward 4\r\n";
    for (const std::string& line : lines)
        reordered += line;
    writeFile(workFolder / "reordered.prp", reordered);

    for (const char* file : {"new.prp", "reordered.prp"}) {
        SCOPED_TRACE(file);
        const CliRun run = runCli({"show", file, "--digest"});
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.out, setupDigest(sampleSetup()) + "\n");
    }
    EXPECT_NE(runCli({"show", "new.prp", "--digest"}).out, setupDigest(SetupRecord{}) + "\n");
}

// Today and yesterday are the days of the clock: a row of now is since yesterday and not until
// yesterday, a row of years ago the other way round.
TEST_F(HistoryCommandTest, TodayAndYesterdayAreTheLocalDaysOfNow) {
    appendRow("2020-01-01T12:00:00+01:00", "00000001", "00000001", "long ago");
    appendRow(historyTimeText(std::chrono::system_clock::now()), "00000002", "00000002",
              "just now");
    const std::pair<const char*, const char*> cases[][2] = {
        {{"--since", "yesterday"}, {"just now", "long ago"}},
        {{"--since", "today"}, {"just now", "long ago"}},
        {{"--until", "yesterday"}, {"long ago", "just now"}},
    };
    for (const auto& [option, shownAndNot] : cases) {
        const CliRun run = runCli({"history", option.first, option.second});
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_NE(run.out.find(shownAndNot.first), std::string::npos) << option.second;
        EXPECT_EQ(run.out.find(shownAndNot.second), std::string::npos) << option.second;
    }
}

TEST_F(HistoryCommandTest, WrongUsageOfHistoryAndDigestExitsWithTwo) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"history", "--since", "10.12.2026"},
         "--since takes a date (2026-12-10), today, yesterday or a time (2026-12-10T22:31), not "
         "'10.12.2026'"},
        {{"history", "--until", "tomorrow"},
         "--until takes a date (2026-12-10), today, yesterday or a time (2026-12-10T22:31), not "
         "'tomorrow'"},
        {{"history", "history.csv"}, "unexpected argument 'history.csv'"},
        {{"show", "a.prp", "--digest", "--json"}, "--digest and --json exclude each other"},
    };
    for (const auto& [arguments, error] : cases) {
        SCOPED_TRACE(error);
        const CliRun run = runCli(arguments);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.err.rfind("mirafen-cli: " + error + "\n", 0), 0u) << run.err;
    }
}

} // namespace
