#include "app/ProgramArguments.h"
#include "setup/SetupFile.h"
#include "support/ProgramTest.h"

#include <QLineEdit>
#include <QTest>

namespace {

using Request = ProgramArguments::Request;

TEST(ProgramArguments, TakesOneSetupFileAndAnswersHelpAndVersionWhereverTheyStand) {
    struct Case {
        std::vector<std::string> arguments;
        Request request;
        std::optional<std::string> setupFile;
        std::string misuse;
    };
    const Case cases[] = {
        {{}, Request::Run, std::nullopt, ""},
        {{"ward 4.prp"}, Request::Run, "ward 4.prp", ""},
        {{"--", "-odd.prp"}, Request::Run, "-odd.prp", ""},
        {{"--help"}, Request::Help, std::nullopt, ""},
        {{"-platform", "xcb", "-h"}, Request::Help, std::nullopt, ""},
        {{"ward.prp", "--version"}, Request::Version, std::nullopt, ""},
        {{"-v"}, Request::Version, std::nullopt, ""},
        {{"--", "--help"}, Request::Run, "--help", ""},
        {{"--bogus", "ward.prp"}, Request::Misuse, std::nullopt, "unknown option --bogus"},
        {{"a.prp", "b.prp"}, Request::Misuse, std::nullopt, "only one setup file can be opened"},
    };
    for (const Case& entry : cases) {
        const ProgramArguments parsed = readProgramArguments(entry.arguments);
        SCOPED_TRACE(entry.arguments.empty() ? "(none)" : entry.arguments.front());
        EXPECT_EQ(parsed.request, entry.request);
        EXPECT_EQ(parsed.setupFile, entry.setupFile);
        EXPECT_EQ(parsed.misuse, entry.misuse);
    }
}

using ProgramStartTest = ProgramWithoutInstrumentTest;

TEST_F(ProgramStartTest, StartsWithTheSetupFileNamedOnTheCommandLineAsTheUnchangedSetup) {
    SetupRecord saved;
    saved.leadName[1] = "Inlet";
    saved.leadSkip[2] = true;
    saved.frequency = 3;
    saved.goodLimit = 123;
    const std::string file = root / "ward 4.prp";
    writeSetupFile(saved, file);

    bool stepRan = false;
    runProgram(
        [&](MainWindow& window) {
            stepRan = true;
            EXPECT_EQ(window.setup(), saved);
            EXPECT_EQ(window.findChild<QLineEdit*>("goodLimitEdit")->text(), "12.3");
            // Nothing to ask about: the setup is the file's.
            QTest::keyClick(&window, Qt::Key_Escape);
        },
        file);

    EXPECT_TRUE(stepRan);
    EXPECT_EQ(modals.titles.filter("CAUTION").size(), 1);
    EXPECT_TRUE(modals.messages.isEmpty()) << modals.messages.join('|').toStdString();
}

TEST_F(ProgramStartTest, ASetupFileThatCannotBeReadIsReportedAndTheStartGoesOn) {
    const std::string file = root / "no such folder" / "ward.prp";
    SetupRecord defaults;
    defaults.resetToDefaults();
    bool stepRan = false;
    runProgram(
        [&](MainWindow& window) {
            stepRan = true;
            EXPECT_EQ(window.setup(), defaults);
            window.accept();
        },
        file);

    EXPECT_TRUE(stepRan);
    EXPECT_EQ(modals.messages, QStringList{QString::fromStdString(file) + " was not found."});
}

} // namespace
