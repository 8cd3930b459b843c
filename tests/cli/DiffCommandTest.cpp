#include "config/TransferHistory.h"
#include "setup/SetupFile.h"
#include "setup/SetupRecord.h"
#include "support/CliProcess.h"
#include "support/EnvironmentVariable.h"
#include "support/SimulatorProcess.h"
#include "support/TempDataFolder.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <memory>

namespace {

// Module 3 has eight leads, so that lead 5 is one of them.
constexpr const char* kEightLeads = "MODULE3_LEADS=8\r\nMODULE3_DESC=Octet\r\n";

// A ward's setup file, the same with lead 5's name and the test frequency changed, and
// simulated instruments of module 3 that keep their registers in state files.
class CliDiffTest : public TempDataFolder {
protected:
    void SetUp() override {
        TempDataFolder::SetUp();
        writeFile(workFolder / "Modules.dat", kEightLeads);
        ward.resetToDefaults();
        ward.leadName[1] = "Arm";
        ward.leadSkip[2] = true;
        ward.leadName[5] = "Chest";
        writeSetupFile(ward, (workFolder / "ward.prp").string());
        SetupRecord changed = ward;
        changed.leadName[5] = "Other";
        changed.frequency = 2;
        writeSetupFile(changed, (workFolder / "changed.prp").string());
    }

    // One more instrument answering as serial, holding the setup file holding when one is named.
    void startInstrument(const std::string& serial, const std::string& holding,
                         std::vector<std::string> options = {}) {
        states.push_back((root / ("instrument" + serial)).string());
        std::vector<std::string> arguments{"--serial", serial,    "--module",
                                           "3",        "--state", states.back()};
        arguments.insert(arguments.end(), options.begin(), options.end());
        sims.push_back(std::make_unique<SimulatorProcess>(arguments));
        ASSERT_FALSE(sims.back()->terminalPath().empty());
        devices.push_back(sims.back()->terminalPath());
        if (!holding.empty()) {
            ASSERT_EQ(runCli({"write", holding, "--device", devices.back(), "--quiet"}).status, 0);
        }
    }

    std::vector<std::string> onEvery(std::vector<std::string> arguments) const {
        for (const std::string& device : devices)
            arguments.insert(arguments.end(), {"--device", device});
        return arguments;
    }

    SetupRecord ward;
    std::vector<std::unique_ptr<SimulatorProcess>> sims;
    std::vector<std::string> devices;
    std::vector<std::string> states;
};

TEST_F(CliDiffTest, ExitsWithZeroOneOrTwoAndWritesNothingIntoTheInstrument) {
    struct Case {
        const char* name;
        const char* file;
        std::vector<std::string> instrumentOptions;
        int status;
        std::string out;
        std::string err; // "{device}" stands for the instrument's terminal
    };
    const Case cases[] = {
        {"the instrument holds the file",
         "ward.prp",
         {},
         0,
         "Instrument 00000001, module 3 (8 Lead Octet), firmware 1.0: the same setup as "
         "ward.prp.\n",
         ""},
        {"lead 5's name and the test frequency differ",
         "changed.prp",
         {},
         1,
         "Instrument 00000001, module 3 (8 Lead Octet), firmware 1.0: 2 differences from "
         "changed.prp:\n"
         "Lead 5 name: \"Other   \" in changed.prp, \"Chest   \" in the instrument\n"
         "Test Frequency: \"20 Hz\" in changed.prp, \"10 Hz\" in the instrument\n",
         ""},
        {"the instrument does not answer",
         "ward.prp",
         {"--silent"},
         2,
         "",
         "No instrument answered on {device} within 0.5 s.\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sims.clear();
        devices.clear();
        startInstrument("00000001", c.instrumentOptions.empty() ? "ward.prp" : "",
                        c.instrumentOptions);
        const std::string before = readFile(states.back());

        const CliRun run = runCli({"diff", c.file, "--device", devices.back(), "--wait", "0.5"});

        EXPECT_EQ(run.status, c.status);
        EXPECT_EQ(run.out, c.out);
        std::string err = c.err;
        if (const std::size_t at = err.find("{device}"); at != std::string::npos)
            err.replace(at, 8, devices.back());
        EXPECT_EQ(run.err, err);
        EXPECT_EQ(readFile(states.back()), before);
    }
}

TEST_F(CliDiffTest, WhatCannotBeComparedExitsWithTwo) {
    writeFile(workFolder / "notes.prp", "COMMPORT=3\r\n");
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases{
        {{"diff", "absent.prp", "--device", "/dev/absent"}, "absent.prp was not found.\n"},
        {{"diff", "ward.prp", "absent.prp"}, "absent.prp was not found.\n"},
        {{"diff", "notes.prp", "--device", "/dev/absent"},
         "notes.prp is not a setup file: it holds no setup key.\n"},
        {{"diff", "ward.prp", "notes.prp"},
         "notes.prp is not a setup file: it holds no setup key.\n"},
        {{"diff", "ward.prp", "--device", "/dev/absent"},
         "That Comm Port is not available. /dev/absent: No such file or directory.\n"},
        {{"diff", "ward.prp", "--port", "1", "--module", "3"},
         "mirafen-cli: unknown option '--module' for diff\n"},
    };
    for (const auto& [arguments, err] : cases) {
        SCOPED_TRACE(err);
        const CliRun run = runCli(arguments);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err.substr(0, err.size()), err);
    }
}

TEST_F(CliDiffTest, TwoFilesCompareAsTheInstrumentWouldHoldThem) {
    // What an instrument gives back: the names padded, the shut-off time in whole tens.
    writeFile(workFolder / "read-back.prp",
              readFile(workFolder / "ward.prp") + "LEADNAME1=Arm     \r\nSHUTOFFTIME=65\r\n");
    struct Case {
        std::vector<std::string> arguments;
        int status;
        std::string out;
    };
    const Case cases[] = {
        {{"diff", "ward.prp", "ward.prp"}, 0, ""},
        {{"diff", "-", "read-back.prp"}, 0, ""},
        {{"diff", "ward.prp", "changed.prp"},
         1,
         "Lead 5 name: \"Chest   \" in ward.prp, \"Other   \" in changed.prp\n"
         "Test Frequency: \"10 Hz\" in ward.prp, \"20 Hz\" in changed.prp\n"},
        {{"diff", "ward.prp", "changed.prp", "--quiet"}, 1, ""},
        {{"diff", "ward.prp", "changed.prp", "--json"},
         1,
         "{\n"
         "  \"file1\": \"ward.prp\",\n"
         "  \"file2\": \"changed.prp\",\n"
         "  \"result\": \"differs\",\n"
         "  \"differences\": [\n"
         "    {\"field\": \"Lead 5 name\", \"file1\": \"Chest   \", \"file2\": \"Other   \"},\n"
         "    {\"field\": \"Test Frequency\", \"file1\": \"10 Hz\", \"file2\": \"20 Hz\"}\n"
         "  ]\n"
         "}\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments[2] + " " + c.arguments.back());
        const CliRun run = runCli(c.arguments, (workFolder / "ward.prp").string());
        EXPECT_EQ(run.status, c.status) << run.err;
        EXPECT_EQ(run.out, c.out);
    }
}

// Lead names and the catalogue's module names are Latin-1, file names are in the terminal's own
// encoding; a UTF-8 terminal shows both as such, whichever way diff reports.
TEST_F(CliDiffTest, TextsPrintInTheTerminalsEncoding) {
    const EnvironmentVariable locale{"LC_ALL"};
    locale.set("C.UTF-8");
    writeFile(workFolder / "Modules.dat", "MODULE3_LEADS=8\r\nMODULE3_DESC=Oct\xE9t\r\n");
    // "Übung.prp": the second byte of its "Ü" is that of a C1 control character in Latin-1.
    const std::string file = "\xC3\x9C"
                             "bung.prp";
    SetupRecord degrees = ward;
    degrees.leadName[7] = "Temp\xB0"
                          "C";
    writeSetupFile(degrees, (workFolder / file).string());
    startInstrument("00000001", "ward.prp");
    startInstrument("00000002", "ward.prp");
    const std::string module = "module 3 (8 Lead Oct\xC3\xA9t), firmware 1.0";
    const std::string lead = "Lead 7 name: \"Temp\xC2\xB0"
                             "C  \" in " +
                             file + ", \"        \" in ";
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"diff", file, "ward.prp"}, lead + "ward.prp\n"},
        {{"diff", file, "--device", devices[0]},
         "Instrument 00000001, " + module + ": 1 difference from " + file + ":\n" + lead +
             "the instrument\n"},
        {onEvery({"diff", file}),
         "  00000002  1 difference, " + module + "\n    " + lead + "the instrument\n"},
    };
    for (const auto& [arguments, out] : cases) {
        SCOPED_TRACE(arguments.back());
        const CliRun run = runCli(arguments);
        EXPECT_EQ(run.status, 1) << run.err;
        EXPECT_TRUE(run.out.ends_with(out)) << run.out;
    }
}

TEST_F(CliDiffTest, ABenchIsComparedAtOnceOneLineEachAndEveryComparisonRecorded) {
    startInstrument("00000001", "ward.prp");
    startInstrument("00000002", "changed.prp");
    startInstrument("00000003", "", {"--silent"});

    const CliRun run = runCli(onEvery({"diff", "ward.prp", "--wait", "1"}));

    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "1 of 3 instruments failed.\n");
    const std::string module = ", module 3 (8 Lead Octet), firmware 1.0\n";
    for (const std::string& expected : std::vector<std::string>{
             "  00000001  same" + module, "  00000002  2 differences" + module,
             "\n    Lead 5 name: \"Chest   \" in ward.prp, \"Other   \" in the instrument\n"
             "    Test Frequency: \"10 Hz\" in ward.prp, \"20 Hz\" in the instrument\n",
             "  -         failed: No instrument answered on " + devices[2] + " within 1 s.\n"})
        EXPECT_NE(run.out.find(expected), std::string::npos) << expected << "\nin:\n" << run.out;

    // Without the silent one, something differs.
    devices.pop_back();
    const CliRun json = runCli(onEvery({"diff", "ward.prp", "--json"}));
    EXPECT_EQ(json.status, 1) << json.err;
    EXPECT_NE(json.out.find("\"serialNumber\": \"00000001\", \"result\": \"same\""),
              std::string::npos)
        << json.out;
    EXPECT_NE(json.out.find("\"file\": \"ward.prp\", \"differences\": [{\"field\": \"Lead 5 "
                            "name\", \"file\": \"Chest   \", \"instrument\": \"Other   \"}, "),
              std::string::npos)
        << json.out;

    const CliRun digest = runCli({"show", "ward.prp", "--digest"});
    std::vector<std::vector<std::string>> compared;
    for (const TransferRow& row : readTransferHistory(dataFolder / "history.csv").rows)
        if (row.action == "compare")
            compared.push_back(
                {row.serialBefore, row.setupFile, row.setupSha256 + "\n", row.result, row.detail});
    const std::string ward = (std::filesystem::canonical(workFolder) / "ward.prp").string();
    const std::vector<std::string> same{"00000001", ward, digest.out, "same", ""};
    const std::vector<std::string> differs{"00000002", ward, digest.out, "differs",
                                           "Lead 5 name, Test Frequency"};
    // Each instrument's row goes in as its comparison ends, whichever ends first.
    std::ranges::sort(compared);
    EXPECT_EQ(compared, (std::vector{same, same, differs, differs}));
}

} // namespace
