#include "support/Closings.h"
#include "support/WindowTest.h"

#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QRadioButton>
#include <QTest>

namespace {

// Closing the main window, and what it asks before it drops edits made to the setup.
class WindowClosingTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        const QString program =
            QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
        modals.answer(program, [this](QWidget& window) {
            auto& box = dynamic_cast<QMessageBox&>(window);
            asked << box.text();
            box.button(letEditsGo ? QMessageBox::Yes : QMessageBox::No)->click();
        });
    }

    void startActiveWindow() {
        startWindow();
        activate();
    }
    // The ways out: Escape, the close box and the Close button.
    static std::vector<Closing> closings() {
        std::vector<Closing> all = closingsWithoutButtons();
        all.push_back(pressButton("closeButton"));
        return all;
    }

    QStringList asked;
    bool letEditsGo = false;
};

constexpr const char* kQuestion = "The setup has changed since it was last loaded or saved.";

TEST_F(WindowClosingTest, EnterInAnEditCommitsItAndTheWindowStays) {
    struct Case {
        const char* edit;
        QString typed;
        QString shown;
        std::function<bool(const MainWindow&)> taken;
    };
    const Case cases[] = {
        {"leadEdit1", "Pump", "Pump",
         [](const MainWindow& w) {
             return w.setup().leadName[1] == "Pump";
         }},
        {"goodLimitEdit", "12", "12.0",
         [](const MainWindow& w) {
             return w.setup().goodLimit == 120;
         }},
        {"poorLimitEdit", "-3", "0.1",
         [](const MainWindow& w) {
             return w.setup().poorLimit == 1;
         }},
        {"shutOffEdit", "65", "60",
         [](const MainWindow& w) {
             return w.setup().shutOffTime == 60;
         }},
        {"serialEdit", "77", "00000077",
         [](const MainWindow& w) {
             return w.deviceInfo().serialText == "00000077";
         }},
    };
    startActiveWindow();
    pickModule(Leads16);
    for (const Case& entry : cases) {
        SCOPED_TRACE(entry.edit);
        typeInto(entry.edit, entry.typed);
        for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter})
            QTest::keyClick(find<QLineEdit>(entry.edit), key);
        EXPECT_TRUE(window->isVisible());
        EXPECT_TRUE(find<QLineEdit>(entry.edit)->hasFocus());
        EXPECT_EQ(find<QLineEdit>(entry.edit)->text(), entry.shown);
        window->commitEdits();
        EXPECT_TRUE(entry.taken(*window));
    }
    EXPECT_TRUE(asked.isEmpty()) << asked.join('|').toStdString();
}

TEST_F(WindowClosingTest, ClosingAfterAnEditAsksOnceAndNoKeepsTheWindowAndTheEdit) {
    startActiveWindow();
    for (const Closing& closing : closings()) {
        SCOPED_TRACE(closing.name);
        asked.clear();
        // Typed and not yet committed: the edit still has the focus.
        typeInto("goodLimitEdit", "42");
        closing.close(*window);
        EXPECT_EQ(asked, QStringList{kQuestion});
        EXPECT_TRUE(window->isVisible());
        EXPECT_EQ(window->setup().goodLimit, 420);
        EXPECT_EQ(find<QLineEdit>("goodLimitEdit")->text(), "42.0");
    }
}

TEST_F(WindowClosingTest, YesDropsTheEditsAndCloses) {
    letEditsGo = true;
    for (const Closing& closing : closings()) {
        SCOPED_TRACE(closing.name);
        startActiveWindow();
        asked.clear();
        find<QRadioButton>("freq30")->click();
        closing.close(*window);
        EXPECT_EQ(asked, QStringList{kQuestion});
        EXPECT_FALSE(window->isVisible());
        window.reset();
    }
}

TEST_F(WindowClosingTest, ClosingAsksNothingForASetupAsLastLoadedOrSaved) {
    const std::string file = (workFolder / "ward.prp").string();
    struct Case {
        const char* name;
        std::function<void()> before;
    };
    const Case cases[] = {
        {"untouched",
         [] {
         }},
        {"edited back",
         [this] {
             find<QRadioButton>("freq20")->click();
             find<QRadioButton>("freq10")->click();
         }},
        {"edited, then saved to a file",
         [this, &file] {
             typeName(3, "Valve");
             window->saveSetupFile(file);
         }},
        {"edited, then a file loaded",
         [this, &file] {
             typeInto("poorLimitEdit", "9");
             window->loadSetupFile(file);
         }},
    };
    for (const Case& entry : cases) {
        SCOPED_TRACE(entry.name);
        startActiveWindow();
        pickModule(Leads16);
        entry.before();
        QTest::keyClick(window.get(), Qt::Key_Escape);
        EXPECT_FALSE(window->isVisible());
        window.reset();
    }
    EXPECT_TRUE(asked.isEmpty()) << asked.join('|').toStdString();
}

TEST_F(WindowClosingTest, WhileAProxyHoldsTheProgramClosingOnlyHidesAndAsksNothing) {
    startActiveWindow();
    const ProgramHeld held;
    for (const Closing& closing : closings()) {
        SCOPED_TRACE(closing.name);
        typeInto("goodLimitEdit", "42");
        closing.close(*window);
        EXPECT_FALSE(window->isVisible());
        window->show();
    }
    EXPECT_TRUE(asked.isEmpty()) << asked.join('|').toStdString();
    EXPECT_EQ(window->setup().goodLimit, 420);
}

} // namespace
