#include "cli/CommandLine.h"
#include "config/TransferHistory.h"
#include "device/LineSettings.h"
#include "device/SerialPort.h"
#include "device/SessionPort.h"
#include "operations/OperationTexts.h"
#include "setup/SetupFields.h"
#include "setup/SetupFile.h"
#include "support/CliProcess.h"
#include "support/FrameBytes.h"
#include "support/PdfText.h"
#include "support/PortDriving.h"
#include "support/SerialServerProcess.h"
#include "support/SimulatorProcess.h"
#include "support/TempDataFolder.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <poll.h>
#include <random>
#include <sstream>
#include <sys/stat.h>
#include <thread>

namespace {

using namespace std::chrono_literals;

// Small modules keep every transfer short: module 1 has 2 leads, module 2 has 4.
constexpr const char* kModules = "MODULE1_LEADS=2\r\nMODULE1_DESC=Pair\r\n"
                                 "MODULE2_LEADS=4\r\nMODULE2_DESC=Quad\r\n";

// "00004711", module 2, firmware 2.1, as the identity register holds them.
const std::string kInstrumentIdentity = "3030303034373131"
                                        "0002"
                                        "0201";

// The content of a lead register: the skip byte, then the name padded with blanks to eight.
std::string leadHex(bool skip, std::string name) {
    name.resize(8, ' ');
    return (skip ? "01" : "00") + hexOf(name);
}

// Lines before each other, as a setup file or a state file holds them.
std::string lines(std::initializer_list<std::string> each) {
    std::string text;
    for (const std::string& line : each)
        text += line + "\r\n";
    return text;
}

// A setup file with the lines given and every setting they leave out at its default, so that
// writing it adds no word about settings it lacks.
std::string setupLines(std::initializer_list<std::string> each) {
    std::string text = lines(each);
    for (const SetupField& field : kSetupFields)
        if (std::ranges::none_of(each, [&field](const std::string& line) {
                return line.starts_with(std::string(field.key) + "=");
            }))
            text += std::string(field.key) + "=" + std::to_string(field.defaultValue) + "\r\n";
    return text;
}

// Test names show the case's name rather than its bytes.
template <typename Case>
requires requires(const Case& named) {
    named.name;
}
void PrintTo(const Case& named, std::ostream* out) {
    *out << named.name;
}

class CliInstrumentTest : public TempDataFolder {
protected:
    void SetUp() override {
        TempDataFolder::SetUp();
        writeFile(workFolder / "Modules.dat", kModules);
        statePath = root / "instrument.state";
    }

    // The simulator as the instrument 00004711 with module 2, firmware 2.1, its registers
    // kept in statePath (which may hold some already).
    void startInstrument(std::vector<std::string> options = {}) {
        std::vector<std::string> arguments{"--serial",   "00004711", "--module", "2",
                                           "--firmware", "2.1",      "--state",  statePath};
        arguments.insert(arguments.end(), options.begin(), options.end());
        sim = std::make_unique<SimulatorProcess>(arguments);
        ASSERT_FALSE(sim->terminalPath().empty());
        device = sim->terminalPath();
    }

    // A register's content as the simulator keeps it, in hex.
    std::string stateOf(std::string_view reg) const {
        const std::string state = readFile(statePath);
        const std::string key = "REG" + std::string(reg) + "=";
        const std::size_t at = state.find(key);
        if (at == std::string::npos)
            return "missing";
        const std::size_t start = at + key.size();
        return state.substr(start, state.find('\r', start) - start);
    }

    std::vector<std::string> withDevice(std::vector<std::string> arguments) const {
        arguments.insert(arguments.end(), {"--device", device});
        return arguments;
    }

    std::filesystem::path statePath;
    std::unique_ptr<SimulatorProcess> sim;
    std::string device;
};

TEST_F(CliInstrumentTest, IdentifyPrintsTheIdentityWithTheCatalogueAsTextAndJson) {
    startInstrument();

    const CliRun text = runCli(withDevice({"identify"}));
    const CliRun json = runCli(withDevice({"identify", "--json"}));

    EXPECT_EQ(text.status, 0);
    EXPECT_EQ(text.err, "");
    EXPECT_EQ(text.out, "Device:         " + device +
                            "\n"
                            "Serial number:  00004711\n"
                            "Module type:    2 (4 Lead Quad)\n"
                            "Lead count:     4\n"
                            "Firmware rev:   2.1\n");
    EXPECT_EQ(json.status, 0);
    EXPECT_EQ(json.out, "{\n"
                        "  \"device\": \"" +
                            device +
                            "\",\n"
                            "  \"serialNumber\": \"00004711\",\n"
                            "  \"moduleType\": 2,\n"
                            "  \"module\": \"4 Lead Quad\",\n"
                            "  \"leadCount\": 4,\n"
                            "  \"firmware\": \"2.1\"\n"
                            "}\n");
}

TEST_F(CliInstrumentTest, PortNumberIsTheDeviceThatZensetNamesForIt) {
    startInstrument();
    writeFile(dataFolder / "zenset.sys", lines({"COMMPORT=1", "COMMDEVICE4=" + device}));

    const CliRun run = runCli({"identify", "--port", "4", "--json"});

    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("\"device\": \"" + device + "\""), std::string::npos) << run.out;
}

TEST_F(CliInstrumentTest, ReadWritesTheModulesLeadsAndTheSettingsIntoANewFile) {
    // Lead 5 lies beyond module 2's four leads; frequency 7 is out of range.
    writeFile(statePath,
              lines({"REG80=" + leadHex(true, "abc"), "REG83=" + leadHex(false, "Four"),
                     "REG84=" + leadHex(true, "Five"), "REG40=07", "REG60=07", "REG70=03E8"}));
    startInstrument();

    const CliRun run = runCli(withDevice({"read", "-o", "new.prp"}));

    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "Read the setup of instrument 00004711 (4 Lead Quad) into new.prp.\n");
    EXPECT_EQ(run.err, "");
    SetupRecord expected;
    expected.leadName[1] = "abc     ";
    expected.leadSkip[1] = true;
    expected.leadName[2] = expected.leadName[3] = "        ";
    expected.leadName[4] = "Four    ";
    expected.shutOffTime = 70;
    expected.goodLimit = 1000;
    SetupRecord read;
    read.frequency = 0;
    readSetupFile(read, workFolder / "new.prp");
    EXPECT_EQ(read, expected);
    const std::string file = readFile(workFolder / "new.prp");
    EXPECT_EQ(std::count(file.begin(), file.end(), '\n'), 263);
}

TEST_F(CliInstrumentTest, ReadOverAnExistingFileRewritesItsKeysAndKeepsItsOtherLines) {
    writeFile(statePath, lines({"REG80=" + leadHex(false, "abc")}));
    writeFile(workFolder / "old.prp", lines({"NOTE=kept", "LEADNAME1=old", "FREQUENCY=3"}));
    startInstrument();

    const CliRun run = runCli(withDevice({"read", "--quiet", "--output", "old.prp"}));

    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "");
    const std::string file = readFile(workFolder / "old.prp");
    EXPECT_EQ(file.rfind(lines({"NOTE=kept", "LEADNAME1=abc     ", "FREQUENCY=1"}), 0), 0U) << file;
    EXPECT_EQ(std::count(file.begin(), file.end(), '\n'), 264);
}

TEST_F(CliInstrumentTest, ReadWritesTheSheetOfWhatWasReadNamingTheInstrument) {
    writeFile(statePath, lines({"REG80=" + leadHex(true, "abc"), "REG83=" + leadHex(false, "Four"),
                                "REG40=02", "REG70=0032"}));
    startInstrument();

    const CliRun run = runCli(withDevice({"read", "-o", "new.prp", "--pdf", "new.pdf"}));
    const CliRun digest = runCli({"show", "new.prp", "--digest"});

    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const std::string text = pdfText(workFolder / "new.pdf");
    const std::string sha256 = digest.out.substr(0, digest.out.find('\n'));
    for (const std::string& expected :
         {std::string("Setup Sheet: new.prp"), std::string("Instrument serial number 00004711"),
          std::string("Module 2 \u2013 4 Lead Quad"), std::string("Firmware revision 2.1"),
          "Setup digest (SHA-256): " + sha256,
          std::string("Test Frequency 20 Hz Good Limit 5.0 K Ohms"),
          std::string("Lead Name Skipped 1 abc yes 2 no 3 no 4 Four no Sign-off")})
        EXPECT_NE(text.find(expected), std::string::npos) << expected << "\nin: " << text;
    EXPECT_NE(readFile(dataFolder / "history.csv").find("," + sha256 + ","), std::string::npos);
}

TEST_F(CliInstrumentTest, ASheetThatCannotBeWrittenFailsTheReadBeforeTheTransfer) {
    startInstrument();

    const CliRun run = runCli(withDevice({"read", "-o", "new.prp", "--pdf", "missing/new.pdf"}));

    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "missing/new.pdf was not found.\n");
    EXPECT_FALSE(std::filesystem::exists(workFolder / "new.prp"));
    EXPECT_FALSE(std::filesystem::exists(dataFolder / "history.csv"));
}

struct IdentityCase {
    std::string name;
    std::vector<std::string> options;
    std::string identity; // the identity register afterwards, in hex
    bool fourLeads;       // the module written has four leads, not two
};

class CliWriteIdentityTest : public CliInstrumentTest,
                             public ::testing::WithParamInterface<IdentityCase> {};

TEST_P(CliWriteIdentityTest, WritesTheSetupWithTheIdentityAsTheWindowDoes) {
    writeFile(workFolder / "setup.prp",
              setupLines({"LEADNAME1=abc", "LEADSKIP1=1", "LEADNAME3=Three", "FREQUENCY=9",
                          "GOODLIMIT=1000", "SHUTOFFTIME=65"}));
    startInstrument();
    std::vector<std::string> arguments = withDevice({"write", "setup.prp"});
    arguments.insert(arguments.end(), GetParam().options.begin(), GetParam().options.end());

    const CliRun run = runCli(arguments);

    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(stateOf("10"), GetParam().identity);
    EXPECT_EQ(stateOf("80"), leadHex(true, "abc"));
    // A lead beyond the module written keeps what the instrument held.
    EXPECT_EQ(stateOf("82"), GetParam().fourLeads ? leadHex(false, "Three") : leadHex(false, ""));
    EXPECT_EQ(stateOf("40"), "01"); // brought into range as the window shows it
    EXPECT_EQ(stateOf("60"), "06");
    EXPECT_EQ(stateOf("70"), "03E8");
}

INSTANTIATE_TEST_SUITE_P(
    Options, CliWriteIdentityTest,
    ::testing::Values(
        IdentityCase{"InstrumentsOwn", {}, kInstrumentIdentity, true},
        IdentityCase{"Serial", {"--serial", "42"}, hexOf("00000042") + "00020201", true},
        IdentityCase{"NextSerial", {"--next-serial"}, hexOf("00004712") + "00020201", true},
        IdentityCase{"Module", {"--module", "1"}, hexOf("00004711") + "00010201", false}));

// What a module type outside the catalogue is followed by.
constexpr std::string_view kWhatToDoText =
    " Choose the instrument's module type, or provide a module catalogue that knows it.";

struct VerifyCase {
    std::string name;
    std::vector<std::string> instrumentOptions;
    int status;
    std::string err;
};

class CliVerifyTest : public CliInstrumentTest, public ::testing::WithParamInterface<VerifyCase> {};

TEST_P(CliVerifyTest, ReadsEveryWrittenRegisterBack) {
    writeFile(workFolder / "setup.prp", setupLines({"LEADNAME2=Two", "FREQUENCY=3"}));
    startInstrument(GetParam().instrumentOptions);

    const CliRun run =
        runCli(withDevice({"write", "setup.prp", "--next-serial", "--verify", "--quiet"}));

    EXPECT_EQ(run.status, GetParam().status);
    EXPECT_EQ(run.err, GetParam().err);
}

INSTANTIATE_TEST_SUITE_P(
    Instruments, CliVerifyTest,
    ::testing::Values(VerifyCase{"KeepingEverything", {}, 0, ""},
                      VerifyCase{"ForgettingTheIdentity",
                                 {"--forget-register", "0x10"},
                                 1,
                                 "Verify failed: Serial Number: \"00004712\" written, "
                                 "\"00004711\" in the instrument.\n"},
                      VerifyCase{"ForgettingALeadAndASetting",
                                 {"--forget-register", "0x40", "--forget-register", "81"},
                                 1,
                                 "Verify failed: Lead 2 name: \"Two     \" written, \"        \" "
                                 "in the instrument; Test Frequency: \"30 Hz\" written, \"10 Hz\" "
                                 "in the instrument.\n"},
                      // Writing blanks over blanks leaves nothing to tell.
                      VerifyCase{
                          "ForgettingAnUnchangedLead", {"--forget-register", "0x82"}, 0, ""}));

// The module type is judged by what the instrument reports after the save, not by what was sent.
TEST_F(CliInstrumentTest, VerifyTellsAModuleTypeTheInstrumentDidNotKeep) {
    writeFile(workFolder / "setup.prp", setupLines({}));
    startInstrument({"--module", "1", "--forget-register", "0x10"});

    const CliRun run =
        runCli(withDevice({"write", "setup.prp", "--module", "2", "--verify", "--quiet"}));

    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "Verify failed: Module Type: \"2\" written, \"1\" in the instrument.\n");
    const std::vector<TransferRow> rows =
        readTransferHistory((dataFolder / "history.csv").string()).rows;
    ASSERT_EQ(rows.size(), 2U);
    EXPECT_EQ(rows[1].action, "verify");
    EXPECT_EQ(rows[1].result, "failed");
    EXPECT_EQ(rows[1].detail,
              "Verify failed: Module Type: \"2\" written, \"1\" in the instrument.");
}

// Names shorter than the instrument's come back padded with blanks; the record still names the
// setup written, its check and a later read of it by the digest of the file that went in.
// The record names each setup file by its full path, as the window does, so that files of one
// name in different folders are told apart; the messages name it as it was typed.
TEST_F(CliInstrumentTest, TransfersAreRecordedWithTheSetupFilesFullPathAndDigest) {
    writeFile(workFolder / "setup.prp",
              setupLines({"LEADNAME1=Arm", "LEADSKIP1=1", "LEADNAME4=Leg", "FREQUENCY=3"}));
    std::filesystem::create_directory(workFolder / "ward");
    startInstrument();

    ASSERT_EQ(runCli(withDevice({"write", "setup.prp", "--verify", "--quiet"})).status, 0);
    const CliRun read = runCli(withDevice({"read", "-o", "ward/../ward/{serial}.prp"}));
    EXPECT_TRUE(read.out.ends_with(" into ward/../ward/00004711.prp.\n")) << read.out;
    ASSERT_EQ(runCli(withDevice({"read", "-o", "-"})).status, 0);
    ASSERT_EQ(runCli(withDevice({"diff", "setup.prp", "--quiet"})).status, 0);

    const CliRun digest = runCli({"show", "setup.prp", "--digest"});
    ASSERT_EQ(digest.status, 0);
    const std::string here = std::filesystem::canonical(workFolder).string();
    const TransferHistory history = readTransferHistory((dataFolder / "history.csv").string());
    std::vector<std::vector<std::string>> recorded;
    for (const TransferRow& row : history.rows)
        recorded.push_back({row.action, row.setupFile, row.setupSha256 + "\n"});
    EXPECT_EQ(recorded, (std::vector<std::vector<std::string>>{
                            {"write", here + "/setup.prp", digest.out},
                            {"verify", here + "/setup.prp", digest.out},
                            {"read", here + "/ward/00004711.prp", digest.out},
                            {"read", "", digest.out},
                            {"compare", here + "/setup.prp", digest.out}}));
}

struct FailureCase {
    std::string name;
    std::vector<std::string> instrumentOptions;
    std::vector<std::string> arguments; // "{device}" stands for the instrument's terminal
    std::string err;                    // likewise
};

class CliFailureTest : public CliInstrumentTest, public ::testing::WithParamInterface<FailureCase> {
protected:
    std::string withTerminal(std::string text) const {
        if (const std::size_t at = text.find("{device}"); at != std::string::npos)
            text.replace(at, std::string_view("{device}").size(), device);
        return text;
    }
};

TEST_P(CliFailureTest, ExitsWithOneAndOneLineThatSaysWhy) {
    writeFile(workFolder / "setup.prp", setupLines({"LEADNAME1=abc"}));
    const std::string before = readFile(workFolder / "setup.prp");
    startInstrument(GetParam().instrumentOptions);
    std::vector<std::string> arguments;
    for (const std::string& argument : GetParam().arguments)
        arguments.push_back(withTerminal(argument));

    const CliRun run = runCli(arguments);

    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, withTerminal(GetParam().err));
    EXPECT_EQ(readFile(workFolder / "setup.prp"), before);
}

INSTANTIATE_TEST_SUITE_P(
    Failures, CliFailureTest,
    ::testing::Values(
        FailureCase{"WrongAnswers",
                    {"--fail-first", "3"},
                    {"write", "setup.prp", "--device", "{device}"},
                    std::string(kTransferErrorText) +
                        " (request 1 of 12: write register 0x10, "
                        "wrong answer; the instrument acknowledged none of the new setup; write it "
                        "again)\n"},
        FailureCase{"WrongAnswersToARead",
                    {"--fail-first", "3"},
                    {"read", "-o", "setup.prp", "--device", "{device}"},
                    std::string(kTransferErrorText) + " (request 1 of 11: read register 0x80, "
                                                      "wrong answer)\n"},
        FailureCase{"ModuleOutsideTheCatalogue",
                    {"--module", "9"},
                    {"read", "-o", "setup.prp", "--device", "{device}"},
                    "Module type 9 is not in the module catalogue (./Modules.dat)." +
                        std::string(kWhatToDoText) + "\n"},
        FailureCase{"ChosenModuleOutsideTheCatalogue",
                    {},
                    {"write", "setup.prp", "--module", "3", "--device", "{device}"},
                    "Module type 3 is not in the module catalogue (./Modules.dat)." +
                        std::string(kWhatToDoText) + "\n"},
        // Refused before the instrument is written: it would keep only the first 8 digits.
        FailureCase{"SerialNumbersRunOut",
                    {"--serial", "99999999"},
                    {"write", "setup.prp", "--next-serial", "--device", "{device}"},
                    "The serial numbers have run out: 99999999 is the last one of 8 digits.\n"},
        FailureCase{"Silence",
                    {"--silent"},
                    {"identify", "--wait", "0.5", "--device", "{device}"},
                    "No instrument answered on {device} within 0.5 s.\n"},
        FailureCase{"MissingFile",
                    {},
                    {"write", "absent.prp", "--device", "{device}"},
                    "absent.prp was not found.\n"},
        // Were the file not looked at first, the read would run into the instrument's silence.
        FailureCase{"UnwritableFileBeforeAnyTransfer",
                    {"--stop-after", "1"},
                    {"read", "-o", "missing/new.prp", "--device", "{device}"},
                    "missing/new.prp was not found.\n"},
        FailureCase{"MissingDevice",
                    {},
                    {"identify", "--device", "/dev/absent"},
                    "That Comm Port is not available. /dev/absent: No such file or "
                    "directory.\n"}));

// Both are refused before the port is opened: the device named does not even exist.
TEST_F(CliInstrumentTest, WithoutACatalogueTheFailureNamesEveryPlaceLookedAt) {
    std::filesystem::remove(workFolder / "Modules.dat");
    writeFile(workFolder / "setup.prp", setupLines({"LEADNAME1=abc"}));

    const CliRun run = runCli({"write", "setup.prp", "--module", "1", "--device", "/dev/absent"});

    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "Module type 1 is not in the module catalogue: no Modules.dat found; "
                       "looked for ./Modules.dat, " +
                           (dataFolder / "Modules.dat").string() + ", " +
                           (root / "system" / "mirafen" / "Modules.dat").string() + "." +
                           std::string(kWhatToDoText) + "\n");
}

TEST_F(CliInstrumentTest, WriteAndShowRefuseAFileWithoutASetupKey) {
    std::mt19937 random(17);
    std::string noise(3000, '\0');
    std::ranges::generate(noise, [&random] { return static_cast<char>(random()); });
    const std::string notSetups[] = {"", noise, lines({"COMMPORT=3", "MODULE1_LEADS=8"}),
                                     lines({"leadname1=abc", "FREQUENCY3=1"})};
    const std::vector<std::string> commands[] = {
        {"write", "noise.prp", "--device", "/dev/absent"},
        {"show", "noise.prp"},
        {"show", "noise.prp", "--pdf", "noise.pdf"},
    };
    for (const std::string& content : notSetups) {
        SCOPED_TRACE(content.substr(0, 40));
        writeFile(workFolder / "noise.prp", content);
        for (const std::vector<std::string>& command : commands) {
            const CliRun run = runCli(command);

            EXPECT_EQ(run.status, 1) << command.back();
            EXPECT_EQ(run.out, "");
            EXPECT_EQ(run.err, "noise.prp is not a setup file: it holds no setup key.\n");
        }
    }
    EXPECT_FALSE(std::filesystem::exists(workFolder / "noise.pdf"));
}

// The holder keeps a lock file besides its flock, which names it.
// A setting the file lacks goes in with its default, and standard error says which.
TEST_F(CliInstrumentTest, WriteSaysWhichSettingsTheFileLacksAndThatTheirDefaultsGoIn) {
    struct Case {
        std::string file;
        std::string err;
        std::pair<std::string, std::string> registerHeld; // a default written
    };
    const Case cases[] = {
        {setupLines({"LEADNAME1=abc", "GOODLIMIT=50"}), "", {"70", "0032"}},
        {lines({"LEADNAME1=abc", "FREQUENCY=2", "STARTUPMODE=2", "FAILURERESPONSE=2",
                "FAILURELIMIT=2", "SHUTOFFTIME=90"}),
         "setup.prp lacks 2 settings, whose defaults go in: GOODLIMIT (Good limit 10.0 kOhm), "
         "POORLIMIT (Poor limit 15.0 kOhm).\n",
         {"71", "0096"}},
        {lines({"LEADNAME1=abc", "FREQUENCY=2", "STARTUPMODE=2", "FAILURERESPONSE=2",
                "FAILURELIMIT=2", "GOODLIMIT=50", "POORLIMIT=80"}),
         "setup.prp lacks 1 setting, whose default goes in: SHUTOFFTIME (Auto shut-off 60 s).\n",
         {"60", "06"}},
    };
    startInstrument();
    for (const Case& c : cases) {
        writeFile(workFolder / "setup.prp", c.file);

        const CliRun run = runCli(withDevice({"write", "setup.prp", "--quiet"}));

        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.err, c.err);
        EXPECT_EQ(stateOf(c.registerHeld.first), c.registerHeld.second) << c.err;
    }
}

TEST_F(CliInstrumentTest, PortHeldByAnotherOpenerIsRefusedWithTheSystemsReasonAndTheHolder) {
    startInstrument();
    SerialPort holder;
    holder.open(device, LineSettings::kInstrumentBaudRate);
    std::string ownName;
    std::getline(std::ifstream("/proc/self/comm"), ownName);

    const CliRun run = runCli(withDevice({"identify"}));

    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "That Comm Port is not available. " + device +
                           ": Device or resource busy (locked by " + ownName + ", process " +
                           std::to_string(getpid()) + ", " +
                           SerialPortLock::pathFor(device).string() + ").\n");
}

TEST_F(CliInstrumentTest, InstrumentFallingSilentFailsTheTransferAfterThreeTimeOuts) {
    // The identity is answered, then nothing.
    startInstrument({"--stop-after", "1"});
    const auto begin = std::chrono::steady_clock::now();

    const CliRun run = runCli(withDevice({"read", "-o", "new.prp"}));

    const auto elapsed = std::chrono::steady_clock::now() - begin;
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, std::string(kTransferErrorText) + " (request 1 of 11: read register 0x80, "
                                                         "no answer)\n");
    // Three attempts, each given up after 5.1 s.
    EXPECT_GE(elapsed, 15s);
    EXPECT_LT(elapsed, 17s);
    EXPECT_FALSE(std::filesystem::exists(workFolder / "new.prp"));
}

TEST_F(CliInstrumentTest, AnInstrumentGoneMidwayEndsTheWriteAtOnceSayingWhatItHolds) {
    writeFile(workFolder / "setup.prp", setupLines({"LEADNAME1=abc"}));
    // Slow enough that the simulator is gone before the write is through; it goes once its
    // trace shows the identity written.
    const std::string trace = (root / "trace").string();
    sim = std::make_unique<SimulatorProcess>(
        std::vector<std::string>{"--module", "2", "--line-rate", "1200", "--trace"}, trace);
    device = sim->terminalPath();
    std::thread unplug([this, &trace] {
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        while (readFile(trace).find("recv 55 0C 10") == std::string::npos &&
               std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(5ms);
        sim->stop(SIGKILL);
    });
    const auto begin = std::chrono::steady_clock::now();

    const CliRun run = runCli(withDevice({"write", "setup.prp"}));

    const auto elapsed = std::chrono::steady_clock::now() - begin;
    unplug.join();
    EXPECT_EQ(run.status, 1);
    // How far it got depends on when the line went; what it left is said either way.
    EXPECT_NE(run.err.find(", the line hung up; the instrument "), std::string::npos) << run.err;
    EXPECT_TRUE(run.err.ends_with("; write it again)\n")) << run.err;
    EXPECT_LT(elapsed, 5s) << "not after time-outs";
}

TEST_F(CliInstrumentTest, AnInstrumentDeafAfterEachWriteStillGetsTheWholeSetup) {
    writeFile(workFolder / "setup.prp", setupLines({"LEADNAME1=abc", "LEADNAME4=Four"}));
    startInstrument({"--deaf-after-write", "30"});

    const CliRun run = runCli(withDevice({"write", "setup.prp", "--verify"}));

    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(stateOf("83"), leadHex(false, "Four"));
}

TEST_F(CliInstrumentTest, ProgressLineOnlyOnATerminalAndNotWhenQuiet) {
    startInstrument();
    const auto read = [this](std::vector<std::string_view> extra) {
        std::vector<std::string_view> arguments{"read", "--device", device, "-o", "new.prp"};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        std::ostringstream out;
        std::ostringstream err;
        EXPECT_EQ(runCommandLine(arguments, out, err, true), kExitSuccess);
        return err.str();
    };

    const std::string progress = read({});
    const std::string quiet = read({"--quiet"});

    EXPECT_EQ(progress.rfind("\rReading 1/11\rReading 2/11", 0), 0U) << progress;
    // The last request shown, then the line blanked for what follows.
    EXPECT_TRUE(progress.ends_with("\rReading 11/11\r             \r")) << progress;
    EXPECT_EQ(quiet, "");
}

} // namespace

namespace {

// The simulator's trace read as it is written, through a pipe: the test waits for a frame to
// pass, never for a time.
class TraceWatch {
public:
    explicit TraceWatch(const std::filesystem::path& path)
        : path(path.string()) {
        mkfifo(this->path.c_str(), 0600);
        reading = ::open(this->path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    }
    ~TraceWatch() { ::close(reading); }
    TraceWatch(const TraceWatch&) = delete;
    TraceWatch& operator=(const TraceWatch&) = delete;

    // Waits until text has passed; false when the trace ended first.
    bool waitFor(const std::string& text) {
        while (seen.find(text) == std::string::npos) {
            pollfd waiting{reading, POLLIN, 0};
            if (::poll(&waiting, 1, 20000) != 1)
                return false;
            char block[512];
            const ssize_t count = ::read(reading, block, sizeof block);
            if (count <= 0)
                return false;
            seen.append(block, static_cast<std::size_t>(count));
        }
        return true;
    }

    const std::string path;

private:
    int reading = -1;
    std::string seen;
};

class CliNetworkTest : public CliInstrumentTest {
protected:
    void SetUp() override {
        CliInstrumentTest::SetUp();
        writeFile(workFolder / "setup.prp", setupLines({"LEADNAME1=Arm", "LEADNAME4=Leg"}));
    }
};

TEST_F(CliNetworkTest, EveryInstrumentCommandWorksThroughBothKindsOfServer) {
    startInstrument();
    std::vector<std::string> expected;
    for (const bool telnet : {true, false}) {
        // A server of its own for each kind: a server lets go of a device some time after its
        // client has gone.
        SerialServerProcess server(root, device, device);
        const std::string name = telnet ? server.rfc2217Name() : server.tcpName();
        SCOPED_TRACE(name);
        writeFile(dataFolder / "zenset.sys", lines({"COMMPORT=1", "COMMDEVICE4=" + name}));

        const CliRun identify = runCli({"identify", "--port", "4", "--json"});
        EXPECT_EQ(identify.status, 0) << identify.err;
        EXPECT_NE(identify.out.find("\"device\": \"" + name + "\""), std::string::npos)
            << identify.out;
        EXPECT_NE(identify.out.find("00004711"), std::string::npos) << identify.out;

        const CliRun write = runCli({"write", "setup.prp", "--device", name, "--verify"});
        EXPECT_EQ(write.status, 0) << write.err;
        EXPECT_EQ(stateOf("83"), leadHex(false, "Leg"));

        // --all takes the network ports zenset.sys names.
        std::filesystem::remove(workFolder / "back-00004711.prp");
        const CliRun read = runCli({"read", "--all", "-o", "back-{serial}.prp", "--quiet"});
        EXPECT_EQ(read.status, 0) << read.err;
        EXPECT_NE(readFile(workFolder / "back-00004711.prp").find("LEADNAME4=Leg"),
                  std::string::npos);
        for (const char* action : {"write ", "verify ", "read "})
            expected.push_back(action + name);
    }
    const TransferHistory history = readTransferHistory((dataFolder / "history.csv").string());
    std::vector<std::string> devices;
    for (const TransferRow& row : history.rows)
        devices.push_back(row.action + " " + row.device);
    EXPECT_EQ(devices, expected);
}

TEST_F(CliNetworkTest, AServerGoneMidwayEndsTheWriteAtOnceAndOneBackServesAgain) {
    for (const bool telnet : {true, false}) {
        SCOPED_TRACE(telnet ? "rfc2217" : "tcp");
        TraceWatch trace(root / (telnet ? "trace-telnet" : "trace-raw"));
        // Slow enough that the server is gone before the write is through; it goes once the
        // identity was written.
        sim = std::make_unique<SimulatorProcess>(
            std::vector<std::string>{"--module", "2", "--line-rate", "1200", "--trace"},
            trace.path);
        SerialServerProcess server(root, sim->terminalPath(), sim->terminalPath());
        const std::string name = telnet ? server.rfc2217Name() : server.tcpName();
        std::thread pull([&] {
            EXPECT_TRUE(trace.waitFor("recv 55 0C 10"));
            server.stop(SIGKILL);
        });
        const auto begin = std::chrono::steady_clock::now();

        const CliRun run = runCli({"write", "setup.prp", "--device", name});

        const auto elapsed = std::chrono::steady_clock::now() - begin;
        pull.join();
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.err.find(", the line hung up; the instrument "), std::string::npos)
            << run.err;
        EXPECT_TRUE(run.err.ends_with("; write it again)\n")) << run.err;
        EXPECT_LT(elapsed, 5s) << "not after time-outs";

        server.start();
        const CliRun again = runCli({"identify", "--device", name});
        EXPECT_EQ(again.status, 0) << again.err;
    }
}

TEST_F(CliNetworkTest, ASecondClientIsToldThePortIsBusyAndAServerAwayThatItCannotConnect) {
    startInstrument();
    SimulatorProcess other({"--serial", "00004712"});
    SerialServerProcess server(root, device, other.terminalPath());
    for (const std::string& name : {server.rfc2217Name(), server.tcpName()}) {
        SCOPED_TRACE(name);
        // The first client holds the server's port while the second asks.
        InstrumentSession session{FrameTrace()};
        SessionPort first{session};
        first.open(name);
        driveUntil(first, [&] { return !first.opening(); });
        session.askIdentity(InstrumentSession::Clock::now(), 5s);
        first.flush();
        driveUntil(first, [&] { return !session.identityPending(); });
        ASSERT_TRUE(session.identity());

        const CliRun second = runCli({"identify", "--device", name});
        EXPECT_EQ(second.status, 1);
        EXPECT_NE(second.err.find(name + ": Device or resource busy (the server said: Port"),
                  std::string::npos)
            << second.err;
    }
    server.stop();
    const CliRun away = runCli({"identify", "--device", server.tcpName()});
    EXPECT_EQ(away.status, 1);
    EXPECT_NE(away.err.find("could not connect to " + server.tcpName().substr(6) +
                            ": connection refused"),
              std::string::npos)
        << away.err;
}

} // namespace
