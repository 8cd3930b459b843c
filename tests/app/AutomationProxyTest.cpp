#include "app/AutomationProxy.h"

#include "app/Application.h"
#include "support/Closings.h"
#include "support/ModalRecorder.h"
#include "support/PseudoTerminal.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>

namespace {

// The program as it starts: its own data folder whose zenset.sys names a pseudo-terminal as the
// stored COM 1, so that the start shows only the caution.
class AutomationProxyTest : public ::testing::Test {
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

    // Runs the program; step, when the caution has been answered, runs inside the main window's
    // modal run.
    void runProgram(const std::function<void(MainWindow&)>& step) {
        ModalRecorder modals;
        modals.answer("Mirafen for Zentiq ", [](QWidget&) {});
        modals.answer("CAUTION", [step](QWidget& caution) {
            dynamic_cast<QDialog&>(caution).accept();
            MainWindow* window = Application::instance()->mainWindow();
            ASSERT_NE(window, nullptr);
            QTimer::singleShot(0, window, [window, step] { step(*window); });
        });
        EXPECT_EQ(Application::instance()->run(), 0);
        EXPECT_EQ(Application::instance()->mainWindow(), nullptr);
    }

    QTemporaryDir home;
    PseudoTerminal port;
};

// Runs each step on the window after the previous one has returned to the modal run; a step
// is skipped when the run has ended before it.
void chain(MainWindow& window, std::vector<std::function<void()>> steps, std::size_t next = 0) {
    if (next == steps.size())
        return;
    steps[next]();
    QTimer::singleShot(0, &window, [&window, steps, next] { chain(window, steps, next + 1); });
}

TEST_F(AutomationProxyTest, WhileItExistsClosingTheMainWindowOnlyHidesIt) {
    std::unique_ptr<AutomationProxy> proxy;
    std::vector<Closing> closings = closingsWithoutButtons();
    closings.push_back(pressButton("closeButton"));
    std::vector<std::string> hidden;
    bool lastStepRan = false;

    runProgram([&](MainWindow& window) {
        std::vector<std::function<void()>> steps{[&] {
            proxy = std::make_unique<AutomationProxy>();
            EXPECT_EQ(window.autoProxy(), proxy.get());
            EXPECT_EQ(proxy->dialog(), &window);
            EXPECT_FALSE(QGuiApplication::quitOnLastWindowClosed());
        }};
        for (const Closing& closing : closings) {
            steps.push_back([&window, &closing] { closing.close(window); });
            steps.push_back([&window, &hidden, &closing] {
                if (!window.isVisible())
                    hidden.push_back(closing.name);
                window.show();
            });
        }
        steps.push_back([&] {
            lastStepRan = true;
            proxy.reset();
            EXPECT_EQ(window.autoProxy(), nullptr);
            EXPECT_TRUE(QGuiApplication::quitOnLastWindowClosed());
            closings.front().close(window);
        });
        chain(window, steps);
    });

    EXPECT_EQ(hidden, (std::vector<std::string>{"Escape", "close box", "closeButton"}));
    // The same closing ended the program once the proxy was gone.
    EXPECT_TRUE(lastStepRan);
}

TEST_F(AutomationProxyTest, OutlivingTheMainWindowLeavesItAlone) {
    std::unique_ptr<AutomationProxy> proxy;
    runProgram([&proxy](MainWindow& window) {
        proxy = std::make_unique<AutomationProxy>();
        // Ended from the inside, as only the program itself can while a proxy holds it.
        window.done(QDialog::Accepted);
    });
    ASSERT_NE(proxy, nullptr);
    EXPECT_EQ(proxy->dialog(), nullptr);
    proxy.reset();
    EXPECT_TRUE(QGuiApplication::quitOnLastWindowClosed());
}

} // namespace
