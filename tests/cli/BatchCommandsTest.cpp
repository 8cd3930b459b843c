#include "operations/OperationTexts.h"
#include "setup/SetupFile.h"
#include "setup/SetupRecord.h"
#include "support/CliProcess.h"
#include "support/FrameBytes.h"
#include "support/SimulatorProcess.h"
#include "support/TempDataFolder.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <memory>
#include <regex>
#include <sstream>

namespace {

// Module 1 has two leads, which keeps every transfer short.
constexpr const char* kModules = "MODULE1_LEADS=2\r\nMODULE1_DESC=Pair\r\n";

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        lines.push_back(line);
    return lines;
}

// Several simulated instruments, each with its own serial number and state file.
class CliBatchTest : public TempDataFolder {
protected:
    void SetUp() override {
        TempDataFolder::SetUp();
        writeFile(workFolder / "Modules.dat", kModules);
        SetupRecord setup;
        setup.resetToDefaults();
        setup.leadName[1] = "Batch";
        writeSetupFile(setup, (workFolder / "batch.prp").string());
    }

    // One more instrument answering as serial, with the simulator's options besides.
    void startInstrument(const std::string& serial, std::vector<std::string> options = {}) {
        const std::string state = (root / ("instrument" + std::to_string(++started))).string();
        std::vector<std::string> arguments{"--serial", serial, "--module", "1", "--state", state};
        arguments.insert(arguments.end(), options.begin(), options.end());
        sims.push_back(std::make_unique<SimulatorProcess>(arguments));
        ASSERT_FALSE(sims.back()->terminalPath().empty());
        devices.push_back(sims.back()->terminalPath());
        states.push_back(state);
    }

    // The command with --device for every instrument, in the order started.
    std::vector<std::string> onEvery(std::vector<std::string> arguments) const {
        for (const std::string& device : devices)
            arguments.insert(arguments.end(), {"--device", device});
        return arguments;
    }

    // The serial number instrument i holds, as its state file keeps the identity register.
    std::string serialHeld(std::size_t i) const {
        const std::string state = readFile(states[i]);
        const std::size_t at = state.find("REG10=");
        return at == std::string::npos ? "none" : state.substr(at + 6, 16);
    }

    std::vector<std::unique_ptr<SimulatorProcess>> sims;
    std::vector<std::string> devices;
    std::vector<std::string> states;
    int started = 0;
};

TEST_F(CliBatchTest, EightInstrumentsAreWrittenAtOnceAndOneFallingSilentIsNamed) {
    for (int i = 0; i < 8; ++i)
        startInstrument("0000000" + std::to_string(i + 1),
                        i == 5 ? std::vector<std::string>{"--stop-after", "4"}
                               : std::vector<std::string>{});

    const CliRun run = runCli(onEvery({"write", "batch.prp"}));

    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "1 of 8 instruments failed.\n");
    const std::vector<std::string> lines = linesOf(run.out);
    ASSERT_EQ(lines.size(), 8U) << run.out;
    for (std::size_t i = 0; i < 8; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(lines[i].rfind(devices[i], 0), 0U) << lines[i];
        if (i == 5) {
            // It answered its identity and three writes.
            EXPECT_NE(lines[i].find(std::string("00000006  failed: ") + kTransferErrorText +
                                    " (request 4 "
                                    "of 10: write register 0x40, no answer; the instrument now "
                                    "holds leads 1 to 2 of the new setup; write it again)"),
                      std::string::npos)
                << lines[i];
        } else {
            EXPECT_TRUE(lines[i].ends_with("0000000" + std::to_string(i + 1) + "  written"))
                << lines[i];
            EXPECT_NE(readFile(states[i]).find("REG80=00" + hexOf("Batch   ")), std::string::npos);
        }
    }
    // The record holds a row for each, the failed one with its reason.
    const std::string record = readFile(dataFolder / "history.csv");
    EXPECT_EQ(linesOf(record).size(), 1U + 8U) << record;
    const std::regex written(",mirafen-cli,write,[^,]+,0000000[1-8],0000000[1-8],1,1\\.0,"
                             "/[^,]+/batch\\.prp,[0-9a-f]{64},ok,,");
    const std::regex failed(
        ",mirafen-cli,write,[^,]+,00000006,00000006,1,1\\.0,/[^,]+/batch\\.prp,"
        "[0-9a-f]{64},failed,\"request 4 of 10: write register 0x40, no answer; ");
    int writtenRows = 0;
    int failedRows = 0;
    for (const std::string& line : linesOf(record)) {
        writtenRows += std::regex_search(line, written) ? 1 : 0;
        failedRows += std::regex_search(line, failed) ? 1 : 0;
    }
    EXPECT_EQ(writtenRows, 7) << record;
    EXPECT_EQ(failedRows, 1) << record;
}

// Pseudo-terminals are not among the ports the kernel lists: --all finds them through zenset.sys,
// asks each device once however many names it has, and passes over one that is gone or a
// network port where no server answers; ports lists each once with the COM numbers that stand
// for it.
TEST_F(CliBatchTest, AllAndPortsTakeTheDevicesThatZensetNamesAsWellEachOnce) {
    startInstrument("00000051");
    startInstrument("00000052");
    const std::string link = (root / "by-id-link").string();
    std::filesystem::create_symlink(devices[0], link);
    writeFile(dataFolder / "zenset.sys",
              "COMMPORT=1\r\nCOMMDEVICE1=" + devices[0] + "\r\nCOMMDEVICE3=" + link +
                  "\r\nCOMMDEVICE5=" + devices[1] +
                  "\r\nCOMMDEVICE6=" + (root / "unplugged").string() +
                  "\r\nCOMMDEVICE7=tcp://127.0.0.1:9\r\nCOMMDEVICE8=tcp://127.0.0.1:9\r\n");

    const CliRun run = runCli({"identify", "--all"});

    EXPECT_EQ(run.status, 0) << run.err;
    const std::vector<std::string> lines = linesOf(run.out);
    for (std::size_t i = 0; i < devices.size(); ++i) {
        const std::string serial = i == 0 ? "00000051" : "00000052";
        EXPECT_EQ(std::ranges::count_if(lines,
                                        [&serial](const std::string& line) {
                                            return line.find(serial) != std::string::npos;
                                        }),
                  1)
            << run.out;
        EXPECT_TRUE(std::ranges::any_of(lines, [&](const std::string& line) {
            return line.starts_with(devices[i]) && line.find(serial) != std::string::npos;
        })) << run.out;
    }

    const CliRun ports = runCli({"ports"});
    EXPECT_EQ(ports.status, 0) << ports.err;
    std::vector<std::string> listed;
    for (const std::string& line : linesOf(ports.out))
        if (line.starts_with(root.string()) || line.starts_with(devices[0]) ||
            line.starts_with(devices[1]) || line.starts_with("tcp://"))
            listed.push_back(std::regex_replace(line, std::regex("   +"), "  "));
    EXPECT_EQ(listed, (std::vector<std::string>{
                          devices[0] + "  -  COMM 1, COMM 3", devices[1] + "  -  COMM 5",
                          (root / "unplugged").string() + "  not present  COMM 6",
                          "tcp://127.0.0.1:9  network port  COMM 7, COMM 8"}))
        << ports.out;
}

TEST_F(CliBatchTest, ARecordThatCannotBeWrittenFailsTheCommandButNotTheWrite) {
    startInstrument("00000005");
    // A folder in the record's place cannot be written, even by root.
    std::filesystem::create_directories(dataFolder / "history.csv");

    const CliRun run = runCli(onEvery({"write", "batch.prp"}));

    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(
        run.err.rfind("Written into the instrument, but the record could not be written: ", 0), 0U)
        << run.err;
    EXPECT_NE(readFile(states[0]).find("REG80=00" + hexOf("Batch   ")), std::string::npos);
}

TEST_F(CliBatchTest, SerialNumbersForABatchNeverRepeatAndNeverInventOne) {
    struct Case {
        const char* name;
        std::vector<std::string> instruments; // their serial numbers, in the order of the ports
        std::vector<std::string> options;
        std::vector<std::string> serials; // held afterwards; empty: none written
        std::string failure;              // the line of the one that failed
    };
    const std::vector<Case> cases{
        {"--serial-from counts up in the order named",
         {"00000041", "00000043", "ZQ000044"},
         {"--serial-from", "41"},
         {"00000041", "00000042", "00000043"},
         ""},
        {"--serial-from counts up to the last of 8 digits",
         {"00000041", "00000043"},
         {"--serial-from", "99999998"},
         {"99999998", "99999999"},
         ""},
        {"--next-serial counts on from each one's own",
         {"00000041", "00000043", "ZQ000044"},
         {"--next-serial"},
         {"00000042", "00000044", ""},
         "ZQ000044  failed: The serial number ZQ000044 is not a number"},
        {"--next-serial stops at the last of 8 digits",
         {"99999998", "99999999"},
         {"--next-serial"},
         {"99999999", ""},
         "99999999  failed: The serial numbers have run out: 99999999 is the last one of 8 "
         "digits."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sims.clear();
        devices.clear();
        states.clear();
        for (const std::string& serial : c.instruments)
            startInstrument(serial);
        std::vector<std::string> arguments = onEvery({"write", "batch.prp"});
        arguments.insert(arguments.end(), c.options.begin(), c.options.end());

        const CliRun run = runCli(arguments);

        EXPECT_EQ(run.status, c.failure.empty() ? 0 : 1) << run.err;
        for (std::size_t i = 0; i < c.serials.size(); ++i)
            EXPECT_EQ(serialHeld(i), c.serials[i].empty() ? "none" : hexOf(c.serials[i])) << i;
        EXPECT_NE(run.out.find(c.failure), std::string::npos) << run.out;
    }
}

TEST_F(CliBatchTest, ReadFromSeveralWritesOneFileForEachSerialNumber) {
    startInstrument("00000007");
    startInstrument("00000008");

    const CliRun run = runCli(onEvery({"read", "-o", "ward4-{serial}.prp", "--json"}));

    EXPECT_EQ(run.status, 0) << run.err;
    for (const char* serial : {"00000007", "00000008"}) {
        EXPECT_TRUE(
            std::filesystem::exists(workFolder / ("ward4-" + std::string(serial) + ".prp")));
        EXPECT_NE(
            run.out.find(std::string("\"serialNumber\": \"") + serial + "\", \"result\": \"read\""),
            std::string::npos)
            << run.out;
    }
}

TEST_F(CliBatchTest, ASerialNumberInAFileNameNeverNamesAnotherFolder) {
    startInstrument("../a b");

    const CliRun run = runCli(onEvery({"read", "-o", "w-{serial}.prp"}));

    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(std::filesystem::exists(workFolder / "w-___a_b.prp"));
    EXPECT_FALSE(std::filesystem::exists(workFolder.parent_path() / "a b.prp"));
}

TEST_F(CliBatchTest, StandardInputAndOutputStandForTheFileOfOneInstrument) {
    startInstrument("00000009");

    const CliRun write =
        runCli({"write", "-", "--device", devices[0]}, (workFolder / "batch.prp").string());
    const CliRun read = runCli({"read", "-o", "-", "--device", devices[0]});

    EXPECT_EQ(write.status, 0) << write.err;
    EXPECT_EQ(read.status, 0) << read.err;
    EXPECT_EQ(read.out.rfind("LEADNAME1=Batch   \r\nLEADSKIP1=0\r\n", 0), 0U) << read.out;
    EXPECT_EQ(linesOf(read.out).size(), 263U);
}

TEST_F(CliBatchTest, WhatABatchCannotMeanIsWrongUsage) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases{
        {{"write", "batch.prp", "--device", "a", "--device", "b", "--serial", "5"},
         "--serial gives one instrument its number: with several, use --serial-from or "
         "--next-serial"},
        {{"write", "batch.prp", "--all", "--serial-from", "5"},
         "--serial-from numbers the ports in the order named, which --all does not give"},
        {{"write", "batch.prp", "--port", "1", "--port", "2", "--serial-from", "99999999"},
         "--serial-from 99999999 runs past 99999999 for 2 instruments"},
        {{"read", "--device", "a", "--device", "b", "-o", "same.prp"},
         "read from several instruments needs {serial} in the file name, e.g. -o "
         "ward4-{serial}.prp"},
        {{"read", "--all", "-o", "-"},
         "read from several instruments needs {serial} in the "
         "file name, e.g. -o ward4-{serial}.prp"},
        {{"identify", "--all", "--port", "1"}, "--all excludes --port and --device"},
    };
    for (const auto& [arguments, error] : cases) {
        const CliRun run = runCli(arguments);
        EXPECT_EQ(run.status, 2) << error;
        EXPECT_EQ(run.err.rfind("mirafen-cli: " + error + "\n", 0), 0U) << run.err;
    }
}

} // namespace
