#include "app/Application.h"
#include "support/ModalRecorder.h"
#include "support/SimulatorProcess.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr const char* kSerial = "00000042";

// The program as a user starts it, with real timers throughout: a data folder of its own whose
// zenset.sys names the simulator's pseudo-terminal as the stored COM 1, the example module
// catalogue, and zentiq-sim as the instrument on a line of 9600 baud with a state file the test
// reads. The instrument is a 128-lead module, so a transfer moves a whole setup.
class ProgramWithSimulatorTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(QDir(home.path()).mkpath("Orvell/Mirafen"));
        ASSERT_TRUE(QFile::copy(MIRAFEN_MODULES_DAT, dataFile("Modules.dat")));
        setenv("XDG_DATA_HOME", home.path().toLocal8Bit().constData(), 1);
        // The instrument holds a setup of its own: leads 1 and 2 named, lead 2 skipped, 20 Hz.
        writeFile(home.filePath("instrument.state"),
                  "REG80=005365656431202020\r\nREG81=015365656432202020\r\nREG40=02\r\n");
    }

    void startSimulator(const std::vector<std::string>& faults = {}) {
        std::vector<std::string> arguments{"--state",     statePath(), "--serial",   kSerial,
                                           "--module",    "5",         "--firmware", "3.4",
                                           "--line-rate", "9600"};
        arguments.insert(arguments.end(), faults.begin(), faults.end());
        sim = std::make_unique<SimulatorProcess>(arguments);
        ASSERT_FALSE(sim->terminalPath().empty());
        writeFile(dataFile("zenset.sys"),
                  "COMMPORT=1\r\nCOMMDEVICE1=" + sim->terminalPath() + "\r\n");
    }

    // Runs the program; the session runs inside its main window once the caution has been
    // answered, and the window is closed after it.
    void runProgram(const std::function<void(MainWindow&)>& session) {
        modals.answer("Mirafen for Zentiq ", [](QWidget&) {});
        modals.answer("Zentiq Transfer", [](QWidget&) {});
        modals.answer("CAUTION", [session](QWidget& caution) {
            dynamic_cast<QDialog&>(caution).accept();
            MainWindow* window = Application::instance()->mainWindow();
            QTimer::singleShot(0, window, [window, session] {
                session(*window);
                QTest::mouseClick(window->findChild<QPushButton*>("closeButton"), Qt::LeftButton);
            });
        });
        started = Clock::now();
        EXPECT_EQ(Application::instance()->run(), 0);
    }

    template <typename Widget> static Widget& find(MainWindow& window, const char* name) {
        auto* widget = window.findChild<Widget*>(name);
        if (widget == nullptr)
            throw std::runtime_error(std::string("no control ") + name);
        return *widget;
    }
    static QString serialShown(MainWindow& window) {
        return find<QLineEdit>(window, "serialEdit").text();
    }
    static void click(MainWindow& window, const char* name) {
        QTest::mouseClick(&find<QAbstractButton>(window, name), Qt::LeftButton);
    }
    // Clicks a button that runs a transfer to its end and says how long it took.
    static std::chrono::duration<double> timedClick(MainWindow& window, const char* name) {
        const auto begin = Clock::now();
        click(window, name);
        return Clock::now() - begin;
    }
    static void typeLeadName(MainWindow& window, const QString& name) {
        auto& edit = find<QLineEdit>(window, "leadEdit1");
        edit.selectAll();
        QTest::keyClicks(&edit, name);
    }
    // Waits, with the program's timers running, until the instrument is shown.
    void waitForConnection(MainWindow& window) {
        EXPECT_TRUE(QTest::qWaitFor([&window] { return serialShown(window) == kSerial; }, 5000));
        connectedAfter = Clock::now() - started;
    }

    QString dataFile(const char* name) const { return home.filePath("Orvell/Mirafen/") + name; }
    std::string statePath() const { return home.filePath("instrument.state").toStdString(); }
    static void writeFile(const QString& path, const std::string& content) {
        std::ofstream(path.toStdString(), std::ios::binary) << content;
    }
    // The value of one register line of the simulator's state file.
    std::string stateValue(const std::string& key) const {
        std::ifstream state(statePath());
        for (std::string line; std::getline(state, line);)
            if (line.rfind(key + "=", 0) == 0) {
                std::string value = line.substr(key.size() + 1);
                if (!value.empty() && value.back() == '\r')
                    value.pop_back();
                return value;
            }
        return {};
    }

    QTemporaryDir home;
    std::unique_ptr<SimulatorProcess> sim;
    ModalRecorder modals;
    Clock::time_point started;
    Clock::duration connectedAfter{};
    std::chrono::duration<double> loadTook{};
    std::chrono::duration<double> saveTook{};
};

TEST_F(ProgramWithSimulatorTest, ConnectsThenLoadsTheInstrumentsSetupAndSavesAnEditedOne) {
    startSimulator();
    runProgram([this](MainWindow& window) {
        waitForConnection(window);
        EXPECT_EQ(find<QLabel>(window, "firmwareText").text(), "3.4");
        ASSERT_TRUE(find<QPushButton>(window, "deviceLoadButton").isEnabled());

        loadTook = timedClick(window, "deviceLoadButton");
        // Names come back blank-padded, as the instrument keeps them.
        EXPECT_EQ(find<QLineEdit>(window, "leadEdit1").text(), "Seed1   ");
        EXPECT_EQ(find<QLineEdit>(window, "leadEdit2").text(), "Seed2   ");
        EXPECT_TRUE(find<QCheckBox>(window, "leadSkip2").isChecked());
        EXPECT_TRUE(find<QRadioButton>(window, "freq20").isChecked());

        typeLeadName(window, "Cz");
        click(window, "freq30");
        saveTook = timedClick(window, "deviceSaveButton");
    });

    EXPECT_LT(connectedAfter, 2500ms);
    // 135 requests to load and 136 to save took 100 ms each at the pace of the window's timers.
    std::printf("load of 128 leads %.2f s, save %.2f s\n", loadTook.count(), saveTook.count());
    EXPECT_LT(loadTook, 135 * 100ms / 2);
    EXPECT_LT(saveTook, 136 * 100ms / 2);
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
    EXPECT_EQ(modals.messages, QStringList{"Error Occured During Transfer."});
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

} // namespace
