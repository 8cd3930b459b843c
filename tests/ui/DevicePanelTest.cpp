#include "support/WindowTest.h"

#include <QApplication>
#include <QFocusEvent>
#include <QTabBar>

namespace {

class DevicePanelTest : public WindowTest {
protected:
    QLineEdit* serialEdit() { return find<QLineEdit>("serialEdit"); }
    void leaveSerialEdit(const QString& typed, Qt::FocusReason reason = Qt::TabFocusReason) {
        serialEdit()->setText(typed);
        QFocusEvent focusOut(QEvent::FocusOut, reason);
        QApplication::sendEvent(serialEdit(), &focusOut);
    }
};

TEST_F(DevicePanelTest, SerialNumberBecomesEightDigitsWhenTheEditLosesTheFocus) {
    const std::pair<QString, QString> cases[] = {
        {"123", "00000123"},
        {"Not Connected", "00000000"},
        {"123456789", "12345678"},
        {" -42", "-0000042"},
    };
    startWindow();
    for (const auto& [typed, shown] : cases) {
        leaveSerialEdit(typed);
        EXPECT_EQ(serialEdit()->text(), shown) << typed.toStdString();
        EXPECT_EQ(window->deviceInfo().serialText, shown.toStdString());
    }
}

TEST_F(DevicePanelTest, SerialNumberKeepsWhatIsTypedWhileItsOwnContextMenuIsOpen) {
    startWindow();
    leaveSerialEdit("12a", Qt::PopupFocusReason);
    EXPECT_EQ(serialEdit()->text(), "12a");

    leaveSerialEdit("12a");
    EXPECT_EQ(serialEdit()->text(), "00000012");
}

TEST_F(DevicePanelTest, SerialNumberPlusOneCountsUpWithinEightDigits) {
    const std::pair<QString, QString> cases[] = {
        {"00000009", "00000010"},
        {"abc", "00000001"},
        // Past 8 digits an instrument would keep a cut number: refused, the number stays.
        {"99999998", "99999999"},
        {"99999999", "99999999"},
        {"2147483647", "2147483647"},
    };
    startWindow();
    for (const auto& [shown, after] : cases) {
        serialEdit()->setText(shown);
        button("snPlusOneButton")->click();
        EXPECT_EQ(serialEdit()->text(), after) << shown.toStdString();
        EXPECT_EQ(window->deviceInfo().serialText, after.toStdString());
    }
    EXPECT_EQ(modals.messages,
              (QStringList{"The serial numbers have run out: 99999999 is the last one of 8 digits.",
                           "The serial numbers have run out: 2147483647 is the last one of 8 "
                           "digits."}));
}

TEST_F(DevicePanelTest, ChangingTheModuleKeepsTheLeadNames) {
    startWindow();
    pickModule(Leads16);
    typeName(1, "first");
    typeName(16, "last");
    pickModule(Leads40);

    EXPECT_EQ(window->deviceInfo().moduleType, Leads40);
    EXPECT_EQ(window->deviceInfo().leadCount, 40);
    EXPECT_EQ(find<QTabBar>("leadTabs")->count(), 2);
    EXPECT_EQ(leadEdit(1)->text(), "first");
    EXPECT_EQ(leadEdit(16)->text(), "last");
}

TEST_F(DevicePanelTest, AModuleUnknownToTheCatalogueChangesNothing) {
    startWindow();
    pickModule(Leads16);
    EXPECT_FALSE(window->selectModuleType(99));
    EXPECT_EQ(window->deviceInfo().moduleType, Leads16);
    EXPECT_EQ(window->deviceInfo().leadCount, 16);
    EXPECT_EQ(find<QTabBar>("leadTabs")->count(), 1);
}

} // namespace
