#pragma once

#include "app/Application.h"
#include "support/ModalRecorder.h"
#include "support/PseudoTerminal.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdlib>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <string>

// The program as it starts: its own data folder whose zenset.sys names a pseudo-terminal as the
// stored COM 1, so that the start shows only the caution. Every modal window is answered by the
// recorder.
class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(QDir(home.path()).mkpath("Orvell/Mirafen"));
        QFile settings(home.filePath("Orvell/Mirafen/zenset.sys"));
        ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
        settings.write(QString("COMMPORT=1\r\nCOMMDEVICE1=%1\r\n")
                           .arg(QString::fromStdString(port.slavePath()))
                           .toLocal8Bit());
        settings.close();
        setenv("XDG_DATA_HOME", home.path().toLocal8Bit().constData(), 1);
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

    QTemporaryDir home;
    PseudoTerminal port;
    ModalRecorder modals;
};
