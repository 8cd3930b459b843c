#include "config/TransferHistory.h"

#include "config/CsvLine.h"
#include "config/HistoryReading.h"
#include "config/HistoryTime.h"
#include "config/SetupDigest.h"
#include "setup/Failure.h"
#include "setup/SetupFile.h"
#include "support/EnvironmentVariable.h"
#include "support/SampleSetup.h"
#include "support/TempFolder.h"
#include "support/Thrown.h"

#include <array>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <regex>
#include <set>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using std::chrono::sys_seconds;

class TransferHistoryTest : public TempFolder {
protected:
    void SetUp() override {
        TempFolder::SetUp();
        path = pathOf("history.csv");
    }

    static TransferRow writeRow(std::string detail) {
        TransferRow row;
        row.time = "2026-12-10T22:31:05+01:00";
        row.program = "mirafen-cli";
        row.action = "write";
        row.device = "/dev/ttyUSB0";
        row.serialBefore = "00000041";
        row.serialAfter = "00000042";
        row.module = "3";
        row.firmware = "2.5";
        row.setupFile = "ward4.prp";
        row.setupSha256 = std::string(64, 'a');
        row.result = "ok";
        row.detail = std::move(detail);
        row.user = "tech";
        row.host = "bench";
        return row;
    }

    std::string path;
};

// What the record's work reports when it fails; empty when it does not.
template <typename Work> std::string recordFailure(Work&& work) {
    const std::optional<Failure> failure = thrown<Failure>(work);
    return failure ? failure->what() : std::string();
}

constexpr std::string_view kHeader = "time,program,action,device,serial_before,serial_after,module,"
                                     "firmware,setup_file,setup_sha256,result,detail,user,host\r\n";

// The tool's Latin-1 texts arrive as UTF-8, the system's UTF-8 paths as they are, commas and
// quotes quoted, control characters as blanks; and every field reads back as written.
TEST_F(TransferHistoryTest, ARowIsOneQuotedUtf8LineThatReadsBack) {
    TransferRow row = writeRow("request 3 of 9: \"read\", no answer\n");
    row.serialBefore = "Z\xe4"
                       "000001";
    row.device = "/dev/serial/by-id/usb-M\xc3\xbcller";
    appendTransferRow(path, row);

    EXPECT_EQ(readFile(path),
              std::string(kHeader) +
                  "2026-12-10T22:31:05+01:00,mirafen-cli,write,/dev/serial/by-id/usb-M\xc3\xbcller,"
                  "Z\xc3\xa4"
                  "000001,00000042,3,2.5,ward4.prp," +
                  std::string(64, 'a') +
                  ",ok,\"request 3 of 9: \"\"read\"\", no answer \",tech,bench\r\n");
    const TransferHistory history = readTransferHistory(path);
    EXPECT_TRUE(history.badLines.empty());
    ASSERT_EQ(history.rows.size(), 1u);
    EXPECT_EQ(history.rows[0].serialBefore, "Z\xc3\xa4"
                                            "000001");
    EXPECT_EQ(history.rows[0].detail, "request 3 of 9: \"read\", no answer ");
    EXPECT_EQ(history.rows[0].host, "bench");
}

// Names and numbers a spreadsheet would run as formulas reach the file as text and read back
// as they were; the time's offset, inside its cell, stays as it is.
TEST_F(TransferHistoryTest, CellsStartingAsFormulasAreWrittenAsTextAndReadBackAsTheyWere) {
    TransferRow row = writeRow("-5 V on lead 2");
    row.time = "2026-12-10T16:31:05-05:00";
    row.setupFile = "=HYPERLINK(\"x\";\"y\").prp";
    row.serialBefore = "=1+1";
    row.serialAfter = "'+1";
    row.device = "-";
    row.user = "@tech";
    appendTransferRow(path, row);

    const std::string content = readFile(path);
    EXPECT_TRUE(content.starts_with(std::string(kHeader) + row.time + ",")) << content;
    EXPECT_FALSE(std::regex_search(content, std::regex(R"re((^|,)"?[-=+@])re"))) << content;
    const TransferHistory history = readTransferHistory(path);
    EXPECT_TRUE(history.badLines.empty());
    ASSERT_EQ(history.rows.size(), 1u);
    for (const TransferColumn& column : kTransferColumns)
        EXPECT_EQ(history.rows[0].*column.field, row.*column.field) << column.name;
}

// A row without time, user or host gets them from the clock and the system.
TEST_F(TransferHistoryTest, TheTimeUserAndHostAreFilledIn) {
    TransferRow row = writeRow("");
    row.time.clear();
    row.user.clear();
    row.host.clear();
    appendTransferRow(path, row);

    const TransferHistory history = readTransferHistory(path);
    ASSERT_EQ(history.rows.size(), 1u);
    EXPECT_TRUE(std::regex_match(history.rows[0].time,
                                 std::regex(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d[+-]\d\d:\d\d)")))
        << history.rows[0].time;
    std::array<char, 256> host{};
    ASSERT_EQ(gethostname(host.data(), host.size() - 1), 0);
    EXPECT_EQ(history.rows[0].host, host.data());
    EXPECT_FALSE(history.rows[0].user.empty());
}

// Several programs appending at once: every row arrives whole, on a line of its own, and the
// file has one header.
TEST_F(TransferHistoryTest, ConcurrentWritersNeverTearOrInterleaveARow) {
    constexpr int kWriters = 4;
    constexpr int kRowsEach = 60;
    // Long rows, so that a row written in pieces would show.
    const std::string filler(3000, 'x');
    std::vector<pid_t> writers;
    for (int writer = 0; writer < kWriters; ++writer) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (int row = 0; row < kRowsEach; ++row)
                if (!recordFailure([&] {
                         appendTransferRow(path, writeRow(std::to_string(writer) + "/" +
                                                          std::to_string(row) + " " + filler));
                     }).empty())
                    _exit(1);
            _exit(0);
        }
        writers.push_back(child);
    }
    for (const pid_t writer : writers) {
        int status = 0;
        ASSERT_EQ(waitpid(writer, &status, 0), writer);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }

    const std::string content = readFile(path);
    EXPECT_TRUE(content.starts_with(kHeader));
    EXPECT_EQ(content.find(kHeader, 1), std::string::npos);
    const TransferHistory history = readTransferHistory(path);
    EXPECT_TRUE(history.badLines.empty());
    std::set<std::string> details;
    for (const TransferRow& row : history.rows)
        details.insert(row.detail);
    EXPECT_EQ(details.size(), std::size_t{kWriters * kRowsEach});
    EXPECT_EQ(history.rows.size(), details.size());
}

// A damaged record is still appended to, and reading it shows every good row and names each
// bad line.
TEST_F(TransferHistoryTest, ADamagedFileIsAppendedToAndReadWithItsBadLines) {
    const std::string good = "2026-12-10T22:31:05+01:00,mirafen,read,/dev/ttyS0,00000001,"
                             "00000001,3,2.5,,abc,ok,,tech,bench\r\n";
    writeFile(path, std::string(kHeader) + good +
                        "2026-12-10T22:31:05+01:00,mirafen,read,/dev/ttyS0\r\n" + // line 3
                        std::string("\0\0\0\0\x01\xff\r\n", 8) +                  // line 4
                        "2026-12-10T22:31:05+01:00,mirafen,\"read,/dev/ttyS0,,,,,,,,,,\n" +
                        "2026-12-10T22:31:05+01:00,mi\"rafen,read,,,,,,,,,,,\n" +
                        "yesterday,mirafen,read,,,,,,,,,,,\n" +
                        "Z\xe4hler,mirafen,read,,,,,,,,,,,\n" + good +
                        "2026-12-10T22:31:05+01:00,mirafen,write,/dev/tty"); // line 10, cut off
    appendTransferRow(path, writeRow("after the damage"));

    const TransferHistory history = readTransferHistory(path);
    ASSERT_EQ(history.rows.size(), 3u);
    EXPECT_EQ(history.rows[0].device, "/dev/ttyS0");
    EXPECT_EQ(history.rows[2].detail, "after the damage");
    const std::vector<std::pair<std::size_t, std::string>> expected{
        {3, "has 4 fields, not 14"},
        {4, "holds a control character"},
        {5, "has a quoted field without its closing quote"},
        {6, "has a quote inside a field that is not quoted"},
        {7, "has a time that is not ISO 8601 with the UTC offset"},
        {8, "holds bytes that are not UTF-8 text"},
        {10, "has 4 fields, not 14"},
    };
    std::vector<std::pair<std::size_t, std::string>> bad;
    for (const BadHistoryLine& line : history.badLines)
        bad.emplace_back(line.line, line.reason);
    EXPECT_EQ(bad, expected);
}

TEST_F(TransferHistoryTest, ALastLineCutOffIsABadLine) {
    writeFile(path, std::string(kHeader) + "2026-12-10T22:31:05+01:00,mirafen,write,/dev/tty");
    const TransferHistory history = readTransferHistory(path);
    EXPECT_TRUE(history.rows.empty());
    ASSERT_EQ(history.badLines.size(), 1u);
    EXPECT_EQ(history.badLines[0].line, 2u);
    EXPECT_EQ(history.badLines[0].reason, "is cut off: the file ends inside it");
}

// A record that cannot be written says where and why; one that cannot be read says so, while a
// missing one is an empty record.
TEST_F(TransferHistoryTest, ARecordThatCannotBeWrittenOrReadSaysWhy) {
    EXPECT_TRUE(readTransferHistory(path).rows.empty());
    std::filesystem::create_directory(path);
    EXPECT_EQ(recordFailure([this] { appendTransferRow(path, writeRow("")); }),
              path + ": Is a directory");
    EXPECT_EQ(recordFailure([this] { readTransferHistory(path); }), path + ": Is a directory");
    EXPECT_EQ(
        recordFailure([this] { appendTransferRow(pathOf("gone/history.csv"), writeRow("")); }),
        pathOf("gone/history.csv") + ": No such file or directory");
}

// A row that does not fit is taken back whole: the file stays as it was and the next row
// that fits is read as the only one.
TEST_F(TransferHistoryTest, ARowCutShortByAFullFileIsTakenBack) {
    appendTransferRow(path, writeRow("first"));
    const std::string before = readFile(path);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{before.size() + 100, RLIM_INFINITY};
        setrlimit(RLIMIT_FSIZE, &limit);
        const std::string failure =
            recordFailure([this] { appendTransferRow(path, writeRow(std::string(500, 'y'))); });
        _exit(failure == path + ": File too large" ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(readFile(path), before);
    appendTransferRow(path, writeRow("second"));
    EXPECT_EQ(readTransferHistory(path).rows.size(), 2u);
    EXPECT_TRUE(readTransferHistory(path).badLines.empty());
}

// A record read a block at a time, forwards or backwards, with blocks smaller than its lines
// or larger than the file, holds what the whole file holds: every row (newest first when read
// backwards), every bad line by its number, the cut-off last line; and nothing appended after
// it was opened.
TEST_F(TransferHistoryTest, ReadingInBlocksEitherWayFindsWhatTheWholeFileHolds) {
    std::string content(kHeader);
    for (int row = 0; row < 40; ++row) {
        std::vector<std::string> fields;
        for (const TransferColumn& column : kTransferColumns)
            fields.push_back(writeRow(std::to_string(row)).*column.field);
        if (row == 7)
            fields[11] = std::string(700, 'L'); // longer than the smaller blocks
        content += csvLine(fields) + "\r\n";
        if (row % 13 == 5)
            content += "hand,edited\r\n";
    }
    content += "\n2026-12-10T22:31:05+01:00,mirafen,write,/dev/tty"; // cut off
    writeFile(path, content);
    const HistorySnapshot snapshot(path);
    appendTransferRow(path, writeRow("appended later"));

    const std::vector<std::size_t> expectedBad{8, 22, 36, 46};
    for (const std::size_t blockSize : {std::size_t{16}, std::size_t{333}, kHistoryBlockSize}) {
        SCOPED_TRACE(blockSize);
        std::vector<std::string> forwards;
        std::vector<std::size_t> badForwards;
        readHistoryForwards(
            snapshot,
            [&](HistoryLine& line) { forwards.emplace_back(line.field(&TransferRow::detail)); },
            [&](const BadHistoryLine& bad) { badForwards.push_back(bad.line); }, blockSize);
        std::vector<std::string> backwards;
        std::set<std::size_t> badBackwards;
        HistoryBackwards reader(snapshot, blockSize);
        while (!reader.atStart())
            reader.readBlock([&](HistoryLine& line) { backwards.push_back(line.row().detail); },
                             [&](const BadHistoryLine& bad) { badBackwards.insert(bad.line); });

        ASSERT_EQ(forwards.size(), 40u);
        EXPECT_EQ(forwards[0], "0");
        EXPECT_EQ(forwards[7], std::string(700, 'L'));
        EXPECT_EQ(forwards[39], "39");
        EXPECT_EQ(badForwards, expectedBad);
        EXPECT_EQ(std::vector(backwards.rbegin(), backwards.rend()), forwards);
        EXPECT_EQ(std::vector(badBackwards.begin(), badBackwards.end()), expectedBad);
    }
}

// The digest is the SHA-256 of a new setup file's bytes, as sha256sum sees them.
TEST_F(TransferHistoryTest, TheDigestIsTheSha256OfANewSetupFile) {
    for (const SetupRecord& record : {SetupRecord{}, sampleSetup()}) {
        const std::string file = pathOf("new.prp");
        std::filesystem::remove(file);
        writeSetupFile(record, file);
        std::string line(64, '\0');
        FILE* sum = popen(("sha256sum " + file).c_str(), "r");
        ASSERT_NE(sum, nullptr);
        ASSERT_EQ(std::fread(line.data(), 1, line.size(), sum), line.size());
        pclose(sum);
        EXPECT_EQ(setupDigest(record), line);
    }
    EXPECT_NE(setupDigest(SetupRecord{}), setupDigest(sampleSetup()));
}

// A name counts without the blanks an instrument pads it with, so that a setup read back has
// the digest of the file written; any other difference in a name is another setup.
TEST_F(TransferHistoryTest, TheDigestCountsNamesWithoutTheirPaddingBlanks) {
    const auto digestNaming = [](const std::string& name) {
        SetupRecord record;
        record.leadName[1] = record.leadName[SetupRecord::kMaxLeads] = name;
        return setupDigest(record);
    };
    EXPECT_EQ(digestNaming("Arm     "), digestNaming("Arm"));
    EXPECT_EQ(digestNaming("        "), digestNaming(""));
    for (const char* other : {"Leg", " Arm", "Ar m", "Arm2"})
        EXPECT_NE(digestNaming(other), digestNaming("Arm")) << other;
}

// Times are written in local time with the offset, and read back as the same moment.
TEST(HistoryTimeTest, TimesCarryTheirOffsetAndReadBackAsTheSameMoment) {
    const EnvironmentVariable timeZone{"TZ"};
    const sys_seconds moment(std::chrono::seconds(1'796'938'265)); // 2026-12-10T21:31:05Z
    const std::pair<const char*, const char*> zones[] = {
        {"UTC0", "2026-12-10T21:31:05+00:00"},
        {"CET-1", "2026-12-10T22:31:05+01:00"},
        {"XST-05:30", "2026-12-11T03:01:05+05:30"},
        {"YST+03:30", "2026-12-10T18:01:05-03:30"},
    };
    for (const auto& [zone, text] : zones) {
        SCOPED_TRACE(zone);
        timeZone.set(zone);
        tzset();
        EXPECT_EQ(historyTimeText(moment), text);
        EXPECT_EQ(parseHistoryTime(text), moment);
        EXPECT_EQ(parseUserTime(text)->begin, moment);
    }
    EXPECT_EQ(parseHistoryTime("2026-12-10T21:31:05Z"), moment);
    for (const char* wrong : {"2026-12-10", "2026-12-10T22:31:05", "2026-13-10T22:31:05Z",
                              "2026-02-30T22:31:05Z", "2026-12-10T24:00:00Z", "2026-12-10 22:31Z",
                              "2026-12-10T22:31:05+01:00x", "yesterday", ""})
        EXPECT_EQ(parseHistoryTime(wrong), std::nullopt) << wrong;
}

// What a user names is a stretch of time: a day from local midnight to the next, a minute, a
// second; today and yesterday are the days of now.
TEST(HistoryTimeTest, AUserNamesADayAMinuteOrASecondAsLocalTimeOrWithItsOffset) {
    using std::chrono::hours;
    using std::chrono::minutes;
    using std::chrono::seconds;
    const EnvironmentVariable timeZone{"TZ"};
    timeZone.set("CET-1CEST,M3.5.0,M10.5.0/3");
    tzset();
    const sys_seconds moment(seconds(1'796'938'265)); // 2026-12-10T21:31:05Z, 22:31:05 in CET
    const sys_seconds midnight = moment - hours(22) - minutes(31) - seconds(5);
    const sys_seconds springMidnight(seconds(1'774'738'800)); // 2026-03-29T00:00+01:00
    const std::pair<const char*, UserTimeSpan> cases[] = {
        {"2026-12-10", {midnight, midnight + hours(24)}},
        {"today", {midnight, midnight + hours(24)}},
        {"yesterday", {midnight - hours(24), midnight}},
        {"2026-12-10T22:31", {moment - seconds(5), moment + seconds(55)}},
        {"2026-12-10T22:31:05", {moment, moment + seconds(1)}},
        {"2026-12-10T21:31:05Z", {moment, moment + seconds(1)}},
        // The day the clocks go forward has 23 hours.
        {"2026-03-29", {springMidnight, springMidnight + hours(23)}},
    };
    for (const auto& [text, span] : cases) {
        const auto parsed = parseUserTime(text, moment);
        ASSERT_TRUE(parsed.has_value()) << text;
        EXPECT_EQ(parsed->begin, span.begin) << text;
        EXPECT_EQ(parsed->end, span.end) << text;
    }
    for (const char* wrong : {"10.12.2026", "Today", "tomorrow", "2026-12-10T22", ""})
        EXPECT_EQ(parseUserTime(wrong, moment), std::nullopt) << wrong;
}

} // namespace
