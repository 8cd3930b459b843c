#include "operations/OperationTexts.h"
#include "support/ProgramWithSimulator.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

// The instrument's lead 1 and frequency as the program saves them after typing "Cz" and
// choosing 30 Hz, and as the instrument held them before.
constexpr const char* kSavedLead = "00437A202020202020";
constexpr const char* kSeedLead = "005365656431202020";

class ProgramThroughFaultsTest : public ProgramWithSimulatorTest {
protected:
    void editAndSave(MainWindow& window) {
        typeLeadName(window, "Cz");
        click(window, "freq30");
        click(window, "deviceSaveButton");
    }
    static void expectEditKept(MainWindow& window) {
        EXPECT_EQ(find<QLineEdit>(window, "leadEdit1").text(), "Cz");
        EXPECT_TRUE(find<QRadioButton>(window, "freq30").isChecked());
    }
};

class LineFaultsTest : public ProgramThroughFaultsTest,
                       public ::testing::WithParamInterface<std::vector<std::string>> {};

// A misbehaving line costs retries, never a setup: the load shows the instrument's setup and the
// save stores the window's, without a warning.
TEST_P(LineFaultsTest, LoadAndSaveStillComplete) {
    startSimulator(GetParam());
    runProgram([this](MainWindow& window) {
        waitForConnection(window);
        click(window, "deviceLoadButton");
        EXPECT_EQ(find<QLineEdit>(window, "leadEdit1").text(), "Seed1");
        EXPECT_TRUE(find<QRadioButton>(window, "freq20").isChecked());
        editAndSave(window);
    });
    EXPECT_TRUE(modals.messages.isEmpty()) << modals.messages.join('|').toStdString();
    EXPECT_EQ(stateValue("REG80"), kSavedLead);
    EXPECT_EQ(stateValue("REG40"), "03");
}

INSTANTIATE_TEST_SUITE_P(Faults, LineFaultsTest,
                         ::testing::Values(std::vector<std::string>{"--noise"},
                                           std::vector<std::string>{"--split"},
                                           std::vector<std::string>{"--bad-checksum-every", "5"},
                                           std::vector<std::string>{"--wrong-register-every", "5"}),
                         [](const auto& info) {
                             std::string name = info.param.front().substr(2);
                             std::erase(name, '-');
                             return name;
                         });

// The instrument falls silent during a save: the transfer is reported as failed, the window keeps
// its edit, and every register the instrument holds is its old content or the new one, whole.
TEST_F(ProgramThroughFaultsTest, ASaveThatBreaksOffWarnsAndKeepsTheWindowsSetup) {
    startSimulator({"--stop-after", "8"});
    runProgram([this](MainWindow& window) {
        waitForConnection(window);
        editAndSave(window);
        expectEditKept(window);
    });
    EXPECT_EQ(modals.messages, QStringList{kTransferErrorText});
    EXPECT_TRUE(stateValue("REG80") == kSeedLead || stateValue("REG80") == kSavedLead)
        << stateValue("REG80");
}

// The instrument is unplugged while a load is under way: the load fails after its time-outs,
// the window keeps the setup it had, and the program goes on to show the instrument as lost.
TEST_F(ProgramThroughFaultsTest, UnpluggingDuringALoadKeepsTheSetupAndLosesTheInstrument) {
    startSimulator({"--delay", "100"});
    runProgram([this](MainWindow& window) {
        waitForConnection(window);
        typeLeadName(window, "Cz");
        click(window, "freq30");
        QTimer::singleShot(800ms, [this] { sim->stop(); });
        click(window, "deviceLoadButton");
        expectEditKept(window);
        EXPECT_TRUE(
            QTest::qWaitFor([&window] { return serialShown(window) == "Not Connected"; }, 15000));
        EXPECT_FALSE(find<QPushButton>(window, "deviceLoadButton").isEnabled());
    });
    EXPECT_EQ(modals.messages, QStringList{kTransferErrorText});
}

// The instrument is switched off and on again while the program runs: once the port is opened
// again through Connection Setup the program finds it, and a save reaches it, with the window's
// edit kept throughout.
TEST_F(ProgramThroughFaultsTest, ARestartedInstrumentIsFoundAgainThroughConnectionSetup) {
    startSimulator();
    runProgram([this](MainWindow& window) {
        waitForConnection(window);
        typeLeadName(window, "Cz");
        click(window, "freq30");
        replug(window);
        expectEditKept(window);
        click(window, "deviceSaveButton");
    });
    EXPECT_TRUE(modals.messages.isEmpty()) << modals.messages.join('|').toStdString();
    EXPECT_EQ(stateValue("REG80"), kSavedLead);
    EXPECT_EQ(stateValue("REG40"), "03");
}

} // namespace
