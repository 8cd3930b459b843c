#include "support/CliProcess.h"
#include "support/PdfText.h"
#include "support/TempDataFolder.h"

#include <gtest/gtest.h>
#include <regex>
#include <sstream>

namespace {

// A command line that does no work: its help, or wrong usage.
struct UsageCase {
    std::vector<std::string> arguments;
    std::string error; // after "mirafen-cli: " on standard error; none for help
    std::string usage; // how the usage shown begins
};

// Test names show the command line.
void PrintTo(const UsageCase& usage, std::ostream* out) {
    if (usage.arguments.empty())
        *out << "(no arguments)";
    for (std::size_t i = 0; i < usage.arguments.size(); ++i)
        *out << (i == 0 ? "" : " ") << usage.arguments[i];
}

class CliUsageTest : public TempDataFolder, public ::testing::WithParamInterface<UsageCase> {};

TEST_P(CliUsageTest, HelpGoesToStandardOutputWrongUsageExitsWithTwoAndTheReason) {
    const UsageCase& usage = GetParam();

    const CliRun run = runCli(usage.arguments);

    if (usage.error.empty()) {
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.err, "");
        EXPECT_EQ(run.out.rfind(usage.usage, 0), 0U) << run.out;
    } else {
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err.rfind("mirafen-cli: " + usage.error + "\n\n" + usage.usage, 0), 0U)
            << run.err;
    }
}

const std::string kProgramUsage = "Usage: mirafen-cli COMMAND";
const std::string kReadUsage = "Usage: mirafen-cli read ";
const std::string kWriteUsage = "Usage: mirafen-cli write ";
const std::string kDiffUsage = "Usage: mirafen-cli diff ";

INSTANTIATE_TEST_SUITE_P(
    CommandLines, CliUsageTest,
    ::testing::Values(
        UsageCase{{"help"}, "", kProgramUsage}, UsageCase{{"--help"}, "", kProgramUsage},
        UsageCase{{"help", "write"}, "", kWriteUsage},
        UsageCase{{"read", "--help"}, "", kReadUsage},
        UsageCase{{"read", "--port", "1", "-h"}, "", kReadUsage},
        UsageCase{{}, "no command given", kProgramUsage},
        UsageCase{{"fetch"}, "unknown command 'fetch'", kProgramUsage},
        UsageCase{{"help", "fetch"}, "unknown command 'fetch'", kProgramUsage},
        UsageCase{{"identify"},
                  "give the port: --port N or --device PATH",
                  "Usage: mirafen-cli identify "},
        UsageCase{
            {"read", "--device", "/dev/null"}, "read needs the file to write: -o FILE", kReadUsage},
        UsageCase{{"read", "--port", "1", "--device", "/dev/null", "-o", "a.prp"},
                  "--port and --device exclude each other",
                  kReadUsage},
        UsageCase{{"read", "--port", "17", "-o", "a.prp"},
                  "--port takes a number from 1 to 16, not '17'",
                  kReadUsage},
        UsageCase{{"read", "--port=1", "-o"}, "--output needs a value", kReadUsage},
        UsageCase{{"read", "--port", "1", "-o", "a.prp", "--verify"},
                  "unknown option '--verify' for read",
                  kReadUsage},
        UsageCase{{"read", "--port", "1", "-o", "a.prp", "--wait", "0"},
                  "--wait takes a number of seconds above 0 and at most 3600, not '0'",
                  kReadUsage},
        UsageCase{{"write", "--port", "1"}, "write needs a setup file", kWriteUsage},
        UsageCase{
            {"write", "a.prp", "b.prp", "--port", "1"}, "unexpected argument 'b.prp'", kWriteUsage},
        UsageCase{{"write", "a.prp", "--port", "1", "--serial", "42", "--next-serial"},
                  "--serial and --next-serial exclude each other",
                  kWriteUsage},
        UsageCase{{"write", "a.prp", "--port", "1", "--serial", "123456789"},
                  "--serial takes a serial number of 1 to 8 digits, not '123456789'",
                  kWriteUsage},
        UsageCase{{"write", "a.prp", "--port", "1", "--module", "256"},
                  "--module takes a number from 1 to 255, not '256'",
                  kWriteUsage},
        UsageCase{{"write", "a.prp", "--port", "1", "--verify=yes"},
                  "--verify takes no value",
                  kWriteUsage},
        UsageCase{{"show"}, "show needs a setup file", "Usage: mirafen-cli show "},
        UsageCase{{"show", "a.prp", "--pdf", "a.pdf", "--digest"},
                  "--pdf excludes --json and --digest",
                  "Usage: mirafen-cli show "},
        UsageCase{{"read", "--port", "1", "-o", "-", "--pdf", "-"},
                  "- as the file and as --pdf would both be standard output",
                  kReadUsage},
        UsageCase{{"read", "--port", "1", "--port", "2", "-o", "{serial}.prp", "--pdf", "a.pdf"},
                  "--pdf is for one instrument",
                  kReadUsage},
        UsageCase{{"write", "a.prp", "--port", "1", "--min-spacing", "1001"},
                  "--min-spacing takes a number from 0 to 1000, not '1001'",
                  kWriteUsage},
        UsageCase{{"help", "diff"}, "", kDiffUsage},
        UsageCase{{"diff", "--port", "1"}, "diff needs a setup file", kDiffUsage},
        UsageCase{{"diff", "a.prp"}, "give the port: --port N or --device PATH", kDiffUsage},
        UsageCase{{"diff", "a.prp", "b.prp", "c.prp"}, "unexpected argument 'c.prp'", kDiffUsage},
        UsageCase{{"diff", "a.prp", "b.prp", "--all"},
                  "diff FILE1 FILE2 compares two files: the instrument's options are for diff "
                  "FILE with --port, --device or --all",
                  kDiffUsage},
        UsageCase{{"diff", "-", "-"}, "- stands for standard input once", kDiffUsage},
        UsageCase{{"ports", "--device", "/dev/ttyS0"},
                  "unknown option '--device' for ports",
                  "Usage: mirafen-cli ports"}));

TEST(CliVersionTest, NamesTheProgramAndItsVersion) {
    const CliRun run = runCli({"--version"});

    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, std::string("mirafen-cli ") + MIRAFEN_VERSION + "\n");
}

class CliShowTest : public TempDataFolder {};

// A file saved twice by the older program: its in-place rewrite turned the lines of the longer
// keys into copies of the shorter key's line and appended those keys anew at the end.
constexpr const char* kOlderFile = "LEADNAME1=Alpha\r\n"
                                   "LEADSKIP1=1\r\n"
                                   "LEADNAME2=Q\"\\\x01\xE9\r\n"
                                   "LEADSKIP2=0\r\n"
                                   "LEADNAME1=Alpha\r\n"
                                   "LEADSKIP1=1\r\n"
                                   "FREQUENCY=2\r\n"
                                   "STARTUPMODE=0\r\n"
                                   "FAILURERESPONSE=2\r\n"
                                   "FAILURELIMIT=7\r\n"
                                   "GOODLIMIT=123\r\n"
                                   "POORLIMIT=5\r\n"
                                   "SHUTOFFTIME=650\r\n"
                                   "LEADNAME10=Kappa\r\n"
                                   "LEADSKIP10=0\r\n"
                                   "LEADNAME1=Stale\r\n"
                                   "LEADSKIP1=0\r\n"
                                   "LEADSKIP12=1\r\n";

TEST_F(CliShowTest, OlderFileShowsTheFirstLineOfEachKeyAsTheWindowWould) {
    writeFile(workFolder / "older.prp", kOlderFile);

    const CliRun run = runCli({"show", "older.prp"});

    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, "Test frequency     20 Hz\n"
                       "Good limit         12.3 kOhm\n"
                       "Poor limit         0.5 kOhm\n"
                       "Failure criterion  Good Limit\n"
                       "Failure response   Continue\n"
                       "Start-up mode      Last Used\n"
                       "Auto shut-off      650 s\n"
                       "\n"
                       "Lead  Name      Skipped\n"
                       "   1  Alpha     yes\n"
                       "   2  Q\"\\?\xE9     no\n" // a control byte would act on the terminal
                       "  10  Kappa     no\n"
                       "  12            yes\n"
                       "Unnamed and not skipped: 124 leads\n");
}

TEST_F(CliShowTest, JsonHoldsEveryLeadWithItsNameEscaped) {
    writeFile(workFolder / "older.prp", kOlderFile);

    const CliRun run = runCli({"show", "--json", "older.prp"});

    EXPECT_EQ(run.status, 0);
    const std::string& json = run.out;
    EXPECT_EQ(
        json.rfind("{\n"
                   "  \"frequencyHz\": 20,\n"
                   "  \"goodLimitKilohms\": 12.3,\n"
                   "  \"poorLimitKilohms\": 0.5,\n"
                   "  \"failureCriterion\": \"Good Limit\",\n"
                   "  \"failureResponse\": \"Continue\",\n"
                   "  \"startupMode\": \"Last Used\",\n"
                   "  \"shutOffSeconds\": 650,\n"
                   "  \"leads\": [\n"
                   "    {\"lead\": 1, \"name\": \"Alpha\", \"skip\": true},\n"
                   "    {\"lead\": 2, \"name\": \"Q\\\"\\\\\\u0001\xC3\xA9\", \"skip\": false},\n",
                   0),
        0U)
        << json;
    EXPECT_NE(json.find("    {\"lead\": 10, \"name\": \"Kappa\", \"skip\": false},\n"),
              std::string::npos);
    EXPECT_TRUE(json.ends_with("    {\"lead\": 128, \"name\": \"\", \"skip\": false}\n"
                               "  ]\n"
                               "}\n"))
        << json;
}

TEST_F(CliShowTest, MissingFileIsAFailureAndIsNotCreated) {
    const CliRun run = runCli({"show", "absent.prp"});

    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "absent.prp was not found.\n");
    EXPECT_FALSE(std::filesystem::exists(workFolder / "absent.prp"));
}

TEST_F(CliShowTest, PdfIsTheSetupSheetWithTheDigestThatShowPrints) {
    writeFile(workFolder / "older.prp", kOlderFile);

    const CliRun digest = runCli({"show", "older.prp", "--digest"});
    const CliRun run = runCli({"show", "older.prp", "--pdf", "older.pdf"});

    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "");
    const std::string text = pdfText(workFolder / "older.pdf");
    for (const std::string& expected :
         {std::string("Setup Sheet: older.prp"),
          "Setup digest (SHA-256): " + digest.out.substr(0, digest.out.find('\n')),
          std::string("Test Frequency 20 Hz Good Limit 12.3 K Ohms Poor Limit 0.5 K Ohms "
                      "Failure Criterion Good Limit Upon Failure Continue Start-up Mode Last Used "
                      "Auto Shut-Off 650 seconds"),
          // The name's 8 bits as Latin-1, as the window shows them; the control byte shows as
          // nothing.
          std::string("Lead Name Skipped 1 Alpha yes 2 Q\"\\\xC3\xA9 no"),
          std::string("10 Kappa no 12 yes Sign-off")})
        EXPECT_NE(text.find(expected), std::string::npos) << expected << "\nin: " << text;
}

TEST_F(CliShowTest, PdfOfStandardInputGoesToStandardOutput) {
    writeFile(workFolder / "older.prp", kOlderFile);

    const CliRun run = runCli({"show", "-", "--pdf", "-"}, "older.prp");

    EXPECT_EQ(run.status, 0);
    writeFile(workFolder / "sheet.pdf", run.out);
    EXPECT_EQ(pdfText(workFolder / "sheet.pdf").rfind("Setup Sheet Made ", 0), 0U);
}

TEST_F(CliShowTest, PdfThatCannotBeWrittenFailsWithTheStandardText) {
    writeFile(workFolder / "older.prp", kOlderFile);
    std::filesystem::create_directory(workFolder / "folder");
    const std::pair<const char*, const char*> cases[] = {
        {"missing/sheet.pdf", "missing/sheet.pdf was not found.\n"},
        {"folder", "folder is a directory.\n"},
    };
    for (const auto& [path, failure] : cases) {
        const CliRun run = runCli({"show", "older.prp", "--pdf", path});

        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, failure);
    }
}

TEST(CliPortsTest, ListsThePortsOfThisMachineOneALine) {
    const CliRun run = runCli({"ports"});

    EXPECT_EQ(run.status, 0);
    // A port: its device, its description or "-", and the COMM numbers that stand for it.
    const std::regex line(R"(/dev/\S+ +(\S.*?)( +COMM \d+(, COMM \d+)*)?)");
    std::istringstream lines(run.out);
    for (std::string text; std::getline(lines, text);)
        EXPECT_TRUE(std::regex_match(text, line)) << text;
    if (run.out.empty())
        EXPECT_EQ(run.err, "No serial ports were found on this computer.\n");
    else
        EXPECT_EQ(run.err, "");
}

} // namespace
