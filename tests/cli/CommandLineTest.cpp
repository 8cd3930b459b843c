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
    std::string usage; // how the help shown begins; for wrong usage, the line that follows
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
        EXPECT_EQ(run.err, "mirafen-cli: " + usage.error + "\n" + usage.usage + "\n");
    }
}

const std::string kProgramUsage = "Usage: mirafen-cli COMMAND";
const std::string kReadUsage = "Usage: mirafen-cli read ";
const std::string kWriteUsage = "Usage: mirafen-cli write ";
const std::string kDiffUsage = "Usage: mirafen-cli diff ";
// Wrong usage is one line and where to find the help, not the help itself.
const std::string kProgramTry = "Try 'mirafen-cli --help'.";
const std::string kReadTry = "Try 'mirafen-cli read --help'.";
const std::string kWriteTry = "Try 'mirafen-cli write --help'.";
const std::string kDiffTry = "Try 'mirafen-cli diff --help'.";

INSTANTIATE_TEST_SUITE_P(
    CommandLines, CliUsageTest,
    ::testing::Values(
        UsageCase{{"help"}, "", kProgramUsage}, UsageCase{{"--help"}, "", kProgramUsage},
        UsageCase{{"help", "write"}, "", kWriteUsage},
        UsageCase{{"read", "--help"}, "", kReadUsage},
        UsageCase{{"read", "--port", "1", "-h"}, "", kReadUsage},
        UsageCase{{}, "no command given", kProgramTry},
        UsageCase{{"fetch"}, "unknown command 'fetch'", kProgramTry},
        UsageCase{{"help", "fetch"}, "unknown command 'fetch'", kProgramTry},
        UsageCase{{"identify"},
                  "give the port: --port N or --device PATH",
                  "Try 'mirafen-cli identify --help'."},
        UsageCase{
            {"read", "--device", "/dev/null"}, "read needs the file to write: -o FILE", kReadTry},
        UsageCase{{"read", "--port", "1", "--device", "/dev/null", "-o", "a.prp"},
                  "--port and --device exclude each other",
                  kReadTry},
        UsageCase{{"read", "--port", "17", "-o", "a.prp"},
                  "--port takes a number from 1 to 16, not '17'",
                  kReadTry},
        UsageCase{{"read", "--port=1", "-o"}, "--output needs a value", kReadTry},
        UsageCase{{"read", "--port", "1", "-o", "a.prp", "--verify"},
                  "unknown option '--verify' for read",
                  kReadTry},
        UsageCase{{"read", "--port", "1", "-o", "a.prp", "--wait", "0"},
                  "--wait takes a number of seconds above 0 and at most 3600, not '0'",
                  kReadTry},
        UsageCase{{"write", "--port", "1"}, "write needs a setup file", kWriteTry},
        UsageCase{
            {"write", "a.prp", "b.prp", "--port", "1"}, "unexpected argument 'b.prp'", kWriteTry},
        UsageCase{{"write", "a.prp", "--port", "1", "--serial", "42", "--next-serial"},
                  "--serial and --next-serial exclude each other",
                  kWriteTry},
        UsageCase{{"write", "a.prp", "--port", "1", "--serial", "123456789"},
                  "--serial takes a serial number of 1 to 8 digits, not '123456789'",
                  kWriteTry},
        UsageCase{{"write", "a.prp", "--port", "1", "--serial-from", "4x"},
                  "--serial-from takes a serial number of 1 to 8 digits, not '4x'",
                  kWriteTry},
        UsageCase{{"write", "a.prp", "--port", "1", "--module", "256"},
                  "--module takes a number from 1 to 255, not '256'",
                  kWriteTry},
        UsageCase{{"write", "a.prp", "--port", "1", "--verify=yes"},
                  "--verify takes no value",
                  kWriteTry},
        UsageCase{{"show"}, "show needs a setup file", "Try 'mirafen-cli show --help'."},
        UsageCase{{"show", "a.prp", "--pdf", "a.pdf", "--digest"},
                  "--pdf excludes --json and --digest",
                  "Try 'mirafen-cli show --help'."},
        UsageCase{{"read", "--port", "1", "-o", "-", "--pdf", "-"},
                  "- as the file and as --pdf would both be standard output",
                  kReadTry},
        UsageCase{{"read", "--port", "1", "--port", "2", "-o", "{serial}.prp", "--pdf", "a.pdf"},
                  "--pdf is for one instrument",
                  kReadTry},
        UsageCase{{"write", "a.prp", "--port", "1", "--min-spacing", "1001"},
                  "--min-spacing takes a number from 0 to 1000, not '1001'",
                  kWriteTry},
        UsageCase{{"help", "diff"}, "", kDiffUsage},
        UsageCase{{"diff", "--port", "1"}, "diff needs a setup file", kDiffTry},
        UsageCase{{"diff", "a.prp"}, "give the port: --port N or --device PATH", kDiffTry},
        UsageCase{{"diff", "a.prp", "b.prp", "c.prp"}, "unexpected argument 'c.prp'", kDiffTry},
        UsageCase{{"diff", "a.prp", "b.prp", "--all"},
                  "diff FILE1 FILE2 compares two files: the instrument's options are for diff "
                  "FILE with --port, --device or --all",
                  kDiffTry},
        UsageCase{{"diff", "-", "-"}, "- stands for standard input once", kDiffTry},
        UsageCase{{"ports", "--device", "/dev/ttyS0"},
                  "unknown option '--device' for ports",
                  "Try 'mirafen-cli ports --help'."}));

TEST(CliVersionTest, NamesTheProgramAndItsVersion) {
    const CliRun run = runCli({"--version"});

    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, std::string("mirafen-cli ") + MIRAFEN_VERSION + "\n");
}

// The tables speak to a UTF-8 terminal unless a test says otherwise.
class CliShowTest : public TempDataFolder {
protected:
    void SetUp() override {
        TempDataFolder::SetUp();
        locale.set("C.UTF-8");
    }
    const EnvironmentVariable locale{"LC_ALL"};
};

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
                       // A control byte would act on the terminal.
                       "   2  Q\"\\?\xC3\xA9     no\n"
                       "  10  Kappa     no\n"
                       "  12            yes\n"
                       "Unnamed and not skipped: 124 leads\n");
}

// Files hold Latin-1; a terminal shows its own encoding, which lacks some letters.
TEST_F(CliShowTest, NamesAreShownInTheEncodingOfTheTerminal) {
    writeFile(workFolder / "names.prp", "LEADNAME1=\xC4rm\r\nLEADNAME2=Leg\r\n");
    const std::pair<const char*, std::string> cases[] = {
        {"C.UTF-8", "   1  \xC3\x84rm       no\n   2  Leg       no\n"},
        {"C", "   1  ?rm       no\n   2  Leg       no\n"},
    };
    for (const auto& [encoding, leads] : cases) {
        locale.set(encoding);

        const CliRun run = runCli({"show", "names.prp"});

        EXPECT_EQ(run.status, 0);
        EXPECT_NE(run.out.find("Lead  Name      Skipped\n" + leads), std::string::npos)
            << encoding << '\n'
            << run.out;
        EXPECT_EQ(readFile(workFolder / "names.prp"), "LEADNAME1=\xC4rm\r\nLEADNAME2=Leg\r\n");
    }
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
    EXPECT_EQ(pdfText(workFolder / "sheet.pdf").rfind("Setup Sheet Setup Sheet Made ", 0), 0U);
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
