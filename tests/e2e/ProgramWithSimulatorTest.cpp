#include "support/ProgramWithSimulator.h"

#include "operations/OperationTexts.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <chrono>
#include <cstdio>
#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

TEST_F(ProgramWithSimulatorTest, ConnectsThenLoadsTheInstrumentsSetupAndSavesAnEditedOne) {
    startSimulator();
    std::chrono::duration<double> loadTook{};
    std::chrono::duration<double> saveTook{};
    runProgram([&](MainWindow& window) {
        waitForConnection(window);
        EXPECT_EQ(find<QLabel>(window, "firmwareText").text(), "3.4");
        ASSERT_TRUE(find<QPushButton>(window, "deviceLoadButton").isEnabled());

        loadTook = timedClick(window, "deviceLoadButton");
        // Names come back blank-padded, as the instrument keeps them, and show without it.
        EXPECT_EQ(find<QLineEdit>(window, "leadEdit1").text(), "Seed1");
        EXPECT_EQ(find<QLineEdit>(window, "leadEdit2").text(), "Seed2");
        EXPECT_EQ(window.setup().leadName[2], "Seed2   ");
        EXPECT_TRUE(find<QCheckBox>(window, "leadSkip2").isChecked());
        EXPECT_TRUE(find<QRadioButton>(window, "freq20").isChecked());

        typeLeadName(window, "Cz");
        click(window, "freq30");
        saveTook = timedClick(window, "deviceSaveButton");
    });

    // For the log only: the pace of a transfer is checked against a fake clock where the exchange
    // is tested, and a bound on the real clock here would fail on a busy machine.
    std::printf("load of 128 leads %.2f s, save %.2f s\n", loadTook.count(), saveTook.count());
    EXPECT_TRUE(modals.messages.isEmpty()) << modals.messages.join('|').toStdString();
    EXPECT_EQ(stateValue("REG80"), "00437A202020202020");
    EXPECT_EQ(stateValue("REG81"), "015365656432202020");
    EXPECT_EQ(stateValue("REG40"), "03");
    EXPECT_EQ(stateValue("REGFF"), "002020202020202020");
    // Serial number "00000042", module type 5, firmware 3.4.
    EXPECT_EQ(stateValue("REG10"), "303030303030343200050304");
}

TEST_F(ProgramWithSimulatorTest, ALoadThatBreaksOffWarnsAndKeepsThePreviousSetup) {
    // A few identity polls and the first requests of the load are answered, then nothing.
    startSimulator({"--stop-after", "6"});
    runProgram([](MainWindow& window) {
        EXPECT_TRUE(QTest::qWaitFor([&window] { return serialShown(window) == kSerial; }, 5000));
        typeLeadName(window, "Before");
        click(window, "freq30");
        click(window, "deviceLoadButton");
        EXPECT_EQ(find<QLineEdit>(window, "leadEdit1").text(), "Before");
        EXPECT_FALSE(find<QCheckBox>(window, "leadSkip2").isChecked());
        EXPECT_TRUE(find<QRadioButton>(window, "freq30").isChecked());
    });
    EXPECT_EQ(modals.messages, QStringList{kTransferErrorText});
}

TEST_F(ProgramWithSimulatorTest, AnUnpluggedInstrumentShowsNotConnectedAfterAboutElevenSeconds) {
    startSimulator();
    runProgram([this](MainWindow& window) {
        waitForConnection(window);
        const auto unplugged = Clock::now();
        sim->stop();
        EXPECT_TRUE(
            QTest::qWaitFor([&window] { return serialShown(window) == "Not Connected"; }, 15000));
        const auto noticedAfter = Clock::now() - unplugged;
        EXPECT_GT(noticedAfter, 9s);
        EXPECT_LT(noticedAfter, 13s);
        EXPECT_FALSE(find<QPushButton>(window, "deviceLoadButton").isEnabled());
        EXPECT_FALSE(find<QPushButton>(window, "deviceSaveButton").isEnabled());
    });
}

// The adapter pulled out while the window still shows the instrument, then plugged back in under
// the same name: a save in between fails at once, and the port is found again by itself.
TEST_F(ProgramWithSimulatorTest, ASaveOnAPulledAdapterFailsAtOnceAndTheAdapterPluggedBackIsUsed) {
    startSimulator();
    runProgram([this](MainWindow& window) {
        waitForConnection(window);
        sim->stop();
        ASSERT_TRUE(
            QTest::qWaitFor([&window] { return window.instrumentSession().hungUp(); }, 5000));
        click(window, "deviceSaveButton");
        EXPECT_EQ(modals.messages, QStringList{kTransferErrorText});
        ASSERT_EQ(modals.details.size(), 1);
        EXPECT_TRUE(modals.details[0].contains("the line hung up"))
            << modals.details[0].toStdString();

        sim = std::make_unique<SimulatorProcess>(simulatorArguments);
        ASSERT_FALSE(sim->terminalPath().empty());
        const LinkState& state = window.instrumentSession().pollState();
        EXPECT_TRUE(QTest::qWaitFor(
            [&window, &state] {
                return !window.instrumentPort().lineGone() && state.connected &&
                       state.missedPolls == 0;
            },
            5000));
        typeLeadName(window, "Again");
        click(window, "deviceSaveButton");
        EXPECT_EQ(modals.messages, QStringList{kTransferErrorText}) << "the second save completed";
        EXPECT_EQ(stateValue("REG80"), "00416761696E202020");
    });
}

} // namespace
