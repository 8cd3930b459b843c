#include "app/AutomationProxy.h"

#include "support/Closings.h"
#include "support/ProgramTest.h"

#include <QTimer>
#include <memory>

namespace {

using AutomationProxyTest = ProgramWithoutInstrumentTest;

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
