#include "ui/TransferDialog.h"

#include "device/DeviceInfo.h"
#include "device/SessionLine.h"
#include "setup/KeyValueFile.h"
#include "setup/SetupRecord.h"
#include "support/Closings.h"
#include "support/ModalRecorder.h"
#include "support/SampleSetup.h"
#include "support/SimulatorProcess.h"
#include "support/TestClock.h"
#include "support/TransferRequest.h"
#include "ui/SessionDriver.h"

#include <QAccessible>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <gtest/gtest.h>
#include <memory>

namespace {

using Result = OperationOutcome::Result;
const OperationKind& kWrite = Operations::write;
const OperationKind& kRead = Operations::read;

// The simulator on a pseudo-terminal and the program's session with it, on a clock twenty times
// faster than real time and woken every 5 ms, so that time-outs come twenty times sooner.
class TransferDialogTest : public ::testing::Test {
protected:
    void start(std::vector<std::string> faults = {}) {
        std::vector<std::string> arguments{"--state", statePath()};
        arguments.insert(arguments.end(), faults.begin(), faults.end());
        sim = std::make_unique<SimulatorProcess>(arguments);
        const std::string path = sim->terminalPath();
        ASSERT_FALSE(path.empty());
        line.open(path);
        QObject::connect(&wakeUp, &QTimer::timeout, &driver, &SessionDriver::wake);
        wakeUp.start(5);
        info.serialText = "00001234";
        info.moduleType = 2;
        info.firmwareText = "3.1";
        info.leadCount = 2;
    }

    std::string statePath() const { return folder.filePath("instrument.state").toStdString(); }

    std::string stateValue(const std::string& key) const {
        return std::string(readKeyValueFile(statePath()).getValue(key).value_or(""));
    }

    struct Run {
        int exitCode;
        Result result;
        std::vector<int> positions;
        int maximum;
    };

    // Runs the dialog modally; act, when given, runs on it once it is open.
    Run transfer(SetupRecord& record, const OperationKind& kind,
                 std::function<void(QWidget&)> act = nullptr, int actAfterMs = 0) {
        OperationRunner operation(line.session(), transferRequest(kind, record, info), catalogue,
                                  {});
        operation.start(driver.now());
        driver.wake();
        TransferDialog dialog(nullptr, operation);
        Run run{};
        auto* bar = dialog.findChild<QProgressBar*>("transferProgress");
        EXPECT_NE(bar, nullptr);
        QObject::connect(bar, &QProgressBar::valueChanged,
                         [&run](int value) { run.positions.push_back(value); });
        ModalRecorder modals;
        modals.answer("Zentiq Transfer", [act, actAfterMs](QWidget& window) {
            if (act)
                QTimer::singleShot(actAfterMs, &window, [act, &window] { act(window); });
        });
        run.exitCode = dialog.exec();
        run.result = dialog.result();
        run.maximum = bar->maximum();
        if (run.result == Result::Completed)
            record = operation.outcome().setup;
        return run;
    }

    QTemporaryDir folder;
    std::unique_ptr<SimulatorProcess> sim;
    SessionLine line;
    TestClock clock{20};
    SessionDriver driver{line, nullptr, clock.function()};
    const ModuleCatalogue catalogue{""};
    QTimer wakeUp;
    DeviceInfo info;
};

TEST_F(TransferDialogTest, SavesIntoTheInstrumentAndLoadsTheSameSetupBack) {
    start();
    SetupRecord saved = sampleSetup();
    const Run save = transfer(saved, kWrite);
    EXPECT_EQ(save.result, Result::Completed);
    EXPECT_EQ(save.exitCode, 240);
    // Lead 1 "abc" skipped, blank-padded to eight characters; 65 s kept as whole tens.
    EXPECT_EQ(stateValue("REG80"), "016162632020202020");
    EXPECT_EQ(stateValue("REG60"), "06");

    SetupRecord loaded;
    const Run load = transfer(loaded, kRead);
    EXPECT_EQ(load.result, Result::Completed);
    EXPECT_EQ(loaded, sampleSetupReadBack());

    // One request per register: 2 leads and 7 settings, plus the identity on a save. The bar
    // moves one step per answered request and stands one short of the end when it closes.
    for (const auto& [run, count] : {std::pair{save, 10}, std::pair{load, 9}}) {
        EXPECT_EQ(run.maximum, count);
        ASSERT_FALSE(run.positions.empty());
        EXPECT_EQ(run.positions.back(), count - 1);
        EXPECT_TRUE(std::is_sorted(run.positions.begin(), run.positions.end()));
    }
}

TEST_F(TransferDialogTest, AScreenReaderHearsTheProgressBarByNameWithHowFarItGoes) {
    start();
    SetupRecord record;
    QString name;
    QVariant maximum;
    transfer(record, kRead, [&name, &maximum](QWidget& dialog) {
        QAccessibleInterface* bar = QAccessible::queryAccessibleInterface(
            dialog.findChild<QProgressBar*>("transferProgress"));
        name = bar->text(QAccessible::Name);
        maximum = bar->valueInterface()->maximumValue();
    });

    EXPECT_EQ(name, "Transfer progress");
    EXPECT_EQ(maximum.toInt(), 9);
}

TEST_F(TransferDialogTest, AnInstrumentThatNeverAnswersFailsTheTransfer) {
    start({"--silent"});
    SetupRecord record;
    const Run run = transfer(record, kRead);
    EXPECT_EQ(run.result, Result::Failed);
    EXPECT_EQ(run.exitCode, 239);
}

TEST_F(TransferDialogTest, CancelEscapeAndTheCloseBoxEndTheTransferAtOnce) {
    // Slow replies keep the transfer running while the user cancels.
    start({"--delay", "150"});
    std::vector<Closing> cancels = closingsWithoutButtons();
    cancels.push_back(pressButton("cancelButton"));
    for (const auto& [name, cancel] : cancels) {
        SetupRecord record;
        const Run run = transfer(record, kWrite, cancel, 300);
        EXPECT_EQ(run.result, Result::Cancelled) << name;
        EXPECT_EQ(run.exitCode, 238) << name;
        ASSERT_FALSE(run.positions.empty()) << name;
        EXPECT_LT(run.positions.back(), 9) << name;
    }
}

TEST_F(TransferDialogTest, ATransferOnALineThatHasHungUpEndsAtOnceWithTheFailure) {
    start();
    sim.reset(); // the adapter pulled out
    ASSERT_TRUE(QTest::qWaitFor([this] { return line.session().hungUp(); }, 5000));
    for (const OperationKind* kind : {&kWrite, &kRead}) {
        SetupRecord record = sampleSetup();
        const Run run = transfer(record, *kind);
        EXPECT_EQ(run.result, Result::Failed);
        EXPECT_EQ(run.exitCode, 239);
    }
}

} // namespace
