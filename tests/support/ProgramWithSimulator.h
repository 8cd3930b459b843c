#pragma once

#include "support/ProgramTest.h"
#include "support/SimulatorProcess.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

using Clock = std::chrono::steady_clock;

inline constexpr const char* kSerial = "00000042";

// The program as a user starts it, with real timers throughout: a world of its own whose
// zenset.sys names the simulator's pseudo-terminal as the stored COM 1, the example module
// catalogue, and zentiq-sim as the instrument on a line of 9600 baud with a state file the test
// reads. The instrument is a 128-lead module, so a transfer moves a whole setup.
class ProgramWithSimulatorTest : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        std::filesystem::copy_file(MIRAFEN_MODULES_DAT, dataFolder / "Modules.dat");
        // The instrument holds a setup of its own: leads 1 and 2 named, lead 2 skipped, 20 Hz.
        writeFile(statePath(),
                  "REG80=005365656431202020\r\nREG81=015365656432202020\r\nREG40=02\r\n");
    }
    // The simulator ends before its world is removed.
    void TearDown() override {
        sim.reset();
        ProgramTest::TearDown();
    }

    // The stored COM 1 names the instrument by a link of its own, as a by-id path names an
    // adapter, so that the same path leads to the instrument again after a restart.
    void startSimulator(const std::vector<std::string>& faults = {}) {
        simulatorArguments = {"--state",  statePath(), "--serial",    kSerial,
                              "--module", "5",         "--firmware",  "3.4",
                              "--link",   linkPath(),  "--line-rate", "9600"};
        simulatorArguments.insert(simulatorArguments.end(), faults.begin(), faults.end());
        sim = std::make_unique<SimulatorProcess>(simulatorArguments);
        ASSERT_FALSE(sim->terminalPath().empty());
        storePort(linkPath());
    }

    // Unplugs the instrument, waits until the program has missed two polls, plugs it in again
    // (its registers kept in the state file) and reopens the port through Connection Setup, as
    // a technician does; returns once the instrument answers the poll again.
    void replug(MainWindow& window) {
        sim->stop();
        const LinkState& state = window.instrumentSession().pollState();
        EXPECT_TRUE(QTest::qWaitFor([&state] { return state.missedPolls >= 2; }, 5000));
        sim = std::make_unique<SimulatorProcess>(simulatorArguments);
        ASSERT_FALSE(sim->terminalPath().empty());
        click(window, "connectionSetupButton");
        EXPECT_TRUE(
            QTest::qWaitFor([&state] { return state.connected && state.missedPolls == 0; }, 5000));
    }

    // Runs the program; the session runs inside its main window once the caution has been
    // answered, and the window is closed after it. The transfer dialogs run to their end.
    void runProgram(const std::function<void(MainWindow&)>& session) {
        modals.answer("Zentiq Transfer", [](QWidget&) {});
        ProgramTest::runProgram([session](MainWindow& window) {
            session(window);
            QTest::mouseClick(window.findChild<QPushButton*>("closeButton"), Qt::LeftButton);
        });
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
    }

    std::string statePath() const { return root / "instrument.state"; }
    std::string linkPath() const { return root / "zentiq-link"; }
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

    std::vector<std::string> simulatorArguments;
    std::unique_ptr<SimulatorProcess> sim;
};
