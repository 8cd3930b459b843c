#include "TransferDialog.h"

#include "Closings.h"
#include "DeviceInfo.h"
#include "KeyValueFile.h"
#include "ModalRecorder.h"
#include "SerialLink.h"
#include "SetupRecord.h"
#include "SimulatorProcess.h"

#include <QProgressBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <gtest/gtest.h>
#include <memory>

namespace {

constexpr std::uint8_t kWrite = TransferExchange::kWriteMode;
constexpr std::uint8_t kRead = TransferExchange::kReadMode;

SetupRecord namedSetup() {
    SetupRecord record;
    const std::array<const char*, 4> names{"Fp1", "Cz", "O2", "ECG 1"};
    for (int lead = 1; lead <= 4; ++lead)
        record.leadName[lead] = names[static_cast<std::size_t>(lead - 1)];
    record.leadSkip[4] = true;
    record.frequency = 3;
    record.failureLimit = 2;
    record.failureResponse = 2;
    record.startupMode = 0;
    record.goodLimit = 55;
    record.poorLimit = 999;
    record.shutOffTime = 1200;
    return record;
}

// The simulator on a pseudo-terminal and the program's link to it. The link is pumped every
// 5 ms, where the main window pumps every 100 ms, so that time-outs come twenty times sooner.
class TransferDialogTest : public ::testing::Test {
protected:
    void start(std::vector<std::string> faults = {}) {
        std::vector<std::string> arguments{"--state", statePath()};
        arguments.insert(arguments.end(), faults.begin(), faults.end());
        sim = std::make_unique<SimulatorProcess>(arguments);
        const std::string path = sim->terminalPath();
        ASSERT_FALSE(path.empty());
        link = std::make_unique<SerialLink>([path](int) { return path; });
        ASSERT_TRUE(link->Open(1, 9600)) << link->LastOpenError();
        pump.setTimerType(Qt::PreciseTimer);
        QObject::connect(&pump, &QTimer::timeout, [this] { link->Pump(); });
        pump.start(5);
        info.serialText = "00001234";
        info.moduleType = 2;
        info.firmwareText = "3.1";
        info.leadCount = 4;
    }

    std::string statePath() const { return folder.filePath("instrument.state").toStdString(); }

    std::string stateValue(const std::string& key) const {
        KeyValueFile file;
        std::string value;
        if (!file.Open(statePath(), false) || !file.GetValue(key, value))
            return {};
        return value;
    }

    struct Run {
        int result;
        std::vector<int> positions;
        int maximum;
    };

    // Runs the dialog modally; act, when given, runs on it once it is open.
    Run transfer(SetupRecord& record, std::uint8_t mode,
                 std::function<void(QWidget&)> act = nullptr, int actAfterMs = 0) {
        TransferDialog dialog(nullptr, *link, record, info, mode);
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
        run.result = dialog.exec();
        run.maximum = bar->maximum();
        return run;
    }

    QTemporaryDir folder;
    std::unique_ptr<SimulatorProcess> sim;
    std::unique_ptr<SerialLink> link;
    QTimer pump;
    DeviceInfo info;
};

TEST_F(TransferDialogTest, SavesIntoTheInstrumentAndLoadsTheSameSetupBack) {
    start();
    SetupRecord saved = namedSetup();
    const Run save = transfer(saved, kWrite);
    EXPECT_EQ(save.result, TransferExchange::Completed);
    // "ECG 1" skipped, blank-padded to eight characters.
    EXPECT_EQ(stateValue("REG83"), "014543472031202020");
    EXPECT_EQ(stateValue("REG60"), "78");

    SetupRecord loaded;
    const Run load = transfer(loaded, kRead);
    EXPECT_EQ(load.result, TransferExchange::Completed);
    // The instrument keeps names blank-padded to eight characters, and so they come back.
    SetupRecord expected = saved;
    for (int lead = 1; lead <= 4; ++lead)
        expected.leadName[lead].resize(8, ' ');
    EXPECT_EQ(loaded, expected);

    // One request per register: 4 leads and 7 settings, plus the identity on a save. The bar
    // moves one step per answered request and stands one short of the end when it closes.
    for (const auto& [run, count] : {std::pair{save, 12}, std::pair{load, 11}}) {
        EXPECT_EQ(run.maximum, count);
        ASSERT_FALSE(run.positions.empty());
        EXPECT_EQ(run.positions.back(), count - 1);
        EXPECT_TRUE(std::is_sorted(run.positions.begin(), run.positions.end()));
    }
}

TEST_F(TransferDialogTest, AnInstrumentThatNeverAnswersFailsTheTransfer) {
    start({"--silent"});
    SetupRecord record;
    EXPECT_EQ(transfer(record, kRead).result, TransferExchange::Failed);
}

TEST_F(TransferDialogTest, CancelEscapeAndTheCloseBoxEndTheTransferAtOnce) {
    // Slow replies keep the transfer running while the user cancels.
    start({"--delay", "150"});
    std::vector<Closing> cancels = closingsWithoutButtons();
    cancels.push_back(pressButton("cancelButton"));
    for (const auto& [name, cancel] : cancels) {
        SetupRecord record;
        const Run run = transfer(record, kWrite, cancel, 300);
        EXPECT_EQ(run.result, TransferExchange::Cancelled) << name;
        ASSERT_FALSE(run.positions.empty()) << name;
        EXPECT_LT(run.positions.back(), 11) << name;
    }
}

TEST_F(TransferDialogTest, AnUnknownModeSendsNothingAndWaitsForCancel) {
    start();
    SetupRecord record;
    bool stillOpen = false;
    const Run run = transfer(
        record, 2,
        [&stillOpen](QWidget& window) {
            stillOpen = window.isVisible();
            QTest::keyClick(&window, Qt::Key_Escape);
        },
        400);
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(run.result, TransferExchange::Cancelled);
    // Every request gets an answer, which the pump would have put into the frame slot.
    EXPECT_FALSE(link->HasFrame());
}

} // namespace
