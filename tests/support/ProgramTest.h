#pragma once

#include "app/Application.h"
#include "support/ModalRecorder.h"
#include "support/PseudoTerminal.h"
#include "support/TempDataFolder.h"

#include <QDialog>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <string>

// The program as it starts, in a temporary world of its own. Every modal window is answered by
// the recorder.
class ProgramTest : public TempDataFolder {
protected:
    // zenset.sys naming devicePath as the stored COM 1, so that the start shows only the
    // caution.
    void storePort(const std::string& devicePath) const {
        writeFile(dataFolder / "zenset.sys", "COMMPORT=1\r\nCOMMDEVICE1=" + devicePath + "\r\n");
    }

    // Runs the program, with the setup file given as on its command line; step, when the
    // caution has been answered, runs inside the main window's modal run.
    void runProgram(const std::function<void(MainWindow&)>& step,
                    const std::optional<std::string>& setupFile = {}) {
        modals.answer("Mirafen for Zentiq ", [](QWidget&) {});
        modals.answer("CAUTION", [step](QWidget& caution) {
            dynamic_cast<QDialog&>(caution).accept();
            MainWindow* window = Application::instance()->mainWindow();
            ASSERT_NE(window, nullptr);
            QTimer::singleShot(0, window, [window, step] { step(*window); });
        });
        EXPECT_EQ(Application::instance()->run(setupFile), 0);
        EXPECT_EQ(Application::instance()->mainWindow(), nullptr);
    }

    ModalRecorder modals;
};

// The program with a pseudo-terminal as its stored port, where no instrument answers.
class ProgramWithoutInstrumentTest : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        storePort(port.slavePath());
    }

    PseudoTerminal port;
};
