#include "ui/OptionGroups.h"

#include "ui/UpDownControl.h"

#include <QButtonGroup>
#include <QDialog>
#include <QFocusEvent>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class OptionGroupsTest : public ::testing::Test {
protected:
    template <typename Widget> Widget* find(const char* name) {
        auto* widget = dialog.findChild<Widget*>(name);
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    QLineEdit* edit(const char* name) { return find<QLineEdit>(name); }
    QRadioButton* radio(const char* name) { return find<QRadioButton>(name); }

    void enterAndLeave(const char* editName, const QString& text) {
        QLineEdit* target = edit(editName);
        target->setText(text);
        QFocusEvent focusOut(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(target, &focusOut);
    }

    QDialog dialog;
    SetupRecord record;
    OptionGroups groups{&dialog, record};
};

struct CommitCase {
    const char* edit;
    const char* spin;
    std::int32_t SetupRecord::*field;
    QString typed;
    QString shown;
    std::int32_t stored;
};

TEST_F(OptionGroupsTest, EditsCommitTheNearestAllowedValueWhenTheyLoseTheFocus) {
    const auto good = &SetupRecord::goodLimit;
    const auto poor = &SetupRecord::poorLimit;
    const auto shutOff = &SetupRecord::shutOffTime;
    const CommitCase cases[] = {
        {"goodLimitEdit", "goodLimitSpin", good, "abc", "0.1", 1},
        {"goodLimitEdit", "goodLimitSpin", good, "15.05", "15.0", 150},
        {"goodLimitEdit", "goodLimitSpin", good, "7", "7.0", 70},
        {"goodLimitEdit", "goodLimitSpin", good, "2000", "100.0", 1000},
        {"goodLimitEdit", "goodLimitSpin", good, "-5", "0.1", 1},
        {"goodLimitEdit", "goodLimitSpin", good, "0.05", "0.1", 1},
        {"goodLimitEdit", "goodLimitSpin", good, " 0.3kOhm", "0.3", 3},
        {"goodLimitEdit", "goodLimitSpin", good, "2.5e1", "25.0", 250},
        // Only the first nine characters are read.
        {"goodLimitEdit", "goodLimitSpin", good, "         5", "0.1", 1},
        {"poorLimitEdit", "poorLimitSpin", poor, "abc", "0.1", 1},
        {"poorLimitEdit", "poorLimitSpin", poor, "15.05", "15.0", 150},
        {"poorLimitEdit", "poorLimitSpin", poor, "7", "7.0", 70},
        {"poorLimitEdit", "poorLimitSpin", poor, "2000", "100.0", 1000},
        {"poorLimitEdit", "poorLimitSpin", poor, "-5", "0.1", 1},
        {"shutOffEdit", "shutOffSpin", shutOff, "65", "60", 60},
        {"shutOffEdit", "shutOffSpin", shutOff, "5", "10", 10},
        {"shutOffEdit", "shutOffSpin", shutOff, "3000", "2550", 2550},
        {"shutOffEdit", "shutOffSpin", shutOff, "0", "10", 10},
        {"shutOffEdit", "shutOffSpin", shutOff, "", "10", 10},
        {"shutOffEdit", "shutOffSpin", shutOff, "2550", "2550", 2550},
        {"shutOffEdit", "shutOffSpin", shutOff, "-20", "10", 10},
    };
    for (const CommitCase& entry : cases) {
        SCOPED_TRACE(std::string(entry.edit) + " '" + entry.typed.toStdString() + "'");
        enterAndLeave(entry.edit, entry.typed);
        EXPECT_EQ(edit(entry.edit)->text(), entry.shown);
        EXPECT_EQ(record.*entry.field, entry.stored);
        EXPECT_EQ(find<UpDownControl>(entry.spin)->position(), entry.stored);
    }
}

TEST_F(OptionGroupsTest, EditKeepsItsTextWhileItsOwnContextMenuIsOpen) {
    edit("goodLimitEdit")->setText("12.");
    QFocusEvent toMenu(QEvent::FocusOut, Qt::PopupFocusReason);
    QApplication::sendEvent(edit("goodLimitEdit"), &toMenu);
    EXPECT_EQ(edit("goodLimitEdit")->text(), "12.");
    EXPECT_EQ(record.goodLimit, 100);
}

TEST_F(OptionGroupsTest, ShutOffEditTakesNineDigitsOnly) {
    edit("shutOffEdit")->clear();
    QTest::keyClicks(edit("shutOffEdit"), "1a2-3.4 5678901");
    EXPECT_EQ(edit("shutOffEdit")->text(), "123456789");
}

TEST_F(OptionGroupsTest, LimitSpinsStepTheLimitAndRefuseStepsOutOfRange) {
    struct StepCase {
        const char* edit;
        std::int32_t SetupRecord::*field;
        QString start;
        Qt::Key key;
        std::int32_t stored;
        QString shown;
    };
    const StepCase cases[] = {
        {"goodLimitEdit", &SetupRecord::goodLimit, "10.0", Qt::Key_Up, 101, "10.1"},
        {"goodLimitEdit", &SetupRecord::goodLimit, "100.0", Qt::Key_Up, 1000, "100.0"},
        {"goodLimitEdit", &SetupRecord::goodLimit, "0.1", Qt::Key_Down, 1, "0.1"},
        {"poorLimitEdit", &SetupRecord::poorLimit, "100.0", Qt::Key_Up, 1000, "100.0"},
        {"poorLimitEdit", &SetupRecord::poorLimit, "0.1", Qt::Key_Down, 1, "0.1"},
        {"poorLimitEdit", &SetupRecord::poorLimit, "0.2", Qt::Key_Down, 1, "0.1"},
    };
    for (const StepCase& entry : cases) {
        SCOPED_TRACE(std::string(entry.edit) + " from " + entry.start.toStdString());
        enterAndLeave(entry.edit, entry.start);
        QTest::keyClick(edit(entry.edit), entry.key);
        EXPECT_EQ(record.*entry.field, entry.stored);
        EXPECT_EQ(edit(entry.edit)->text(), entry.shown);
    }
}

TEST_F(OptionGroupsTest, HeldLimitSpinRefusesALargeStepPastTheEndInsteadOfClamping) {
    std::chrono::milliseconds clock{0};
    auto* spin = find<UpDownControl>("goodLimitSpin");
    spin->setClock([&clock] { return clock; });
    enterAndLeave("goodLimitEdit", "99.5");

    QKeyEvent first(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier);
    QApplication::sendEvent(edit("goodLimitEdit"), &first);
    EXPECT_EQ(record.goodLimit, 996);
    clock = std::chrono::milliseconds{1500};
    QKeyEvent held(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier, QString(), true);
    QApplication::sendEvent(edit("goodLimitEdit"), &held);
    EXPECT_EQ(record.goodLimit, 996);
    EXPECT_EQ(edit("goodLimitEdit")->text(), "99.6");
}

TEST_F(OptionGroupsTest, ShowingTheRecordShowsItsValuesAndMovesTheSpins) {
    record.goodLimit = 250;
    record.shutOffTime = 300;
    groups.showRecord();
    EXPECT_EQ(edit("goodLimitEdit")->text(), "25.0");
    EXPECT_EQ(edit("shutOffEdit")->text(), "300");
    EXPECT_EQ(find<UpDownControl>("goodLimitSpin")->position(), 250);
    EXPECT_EQ(find<UpDownControl>("shutOffSpin")->position(), 300);

    QTest::keyClick(edit("goodLimitEdit"), Qt::Key_Up);
    EXPECT_EQ(record.goodLimit, 251);
}

TEST_F(OptionGroupsTest, RadioClicksSetTheirCodes) {
    struct ClickCase {
        const char* radio;
        std::uint8_t SetupRecord::*field;
        std::uint8_t code;
    };
    const ClickCase cases[] = {
        {"freq20", &SetupRecord::frequency, 2},
        {"freq30", &SetupRecord::frequency, 3},
        {"freq10", &SetupRecord::frequency, 1},
        {"startupLastUsed", &SetupRecord::startupMode, 0},
        {"startupDcOffset", &SetupRecord::startupMode, 3},
        {"startupManual", &SetupRecord::startupMode, 2},
        {"startupAuto", &SetupRecord::startupMode, 1},
        {"failurePoor", &SetupRecord::failureLimit, 2},
        {"failureGood", &SetupRecord::failureLimit, 1},
        {"responseContinue", &SetupRecord::failureResponse, 2},
        {"responseStop", &SetupRecord::failureResponse, 1},
    };
    for (const ClickCase& entry : cases) {
        SCOPED_TRACE(entry.radio);
        radio(entry.radio)->click();
        EXPECT_EQ(record.*entry.field, entry.code);
        EXPECT_TRUE(radio(entry.radio)->isChecked());
    }
    // The two failure pairs are groups of their own.
    EXPECT_TRUE(radio("failureGood")->isChecked());
}

TEST_F(OptionGroupsTest, ShowingAReplacedRecordLeavesExactlyItsChoiceCheckedInEachGroup) {
    record.frequency = 3;
    record.startupMode = 0;
    record.failureLimit = 2;
    record.failureResponse = 2;
    groups.showRecord();

    const std::vector<std::pair<std::vector<const char*>, const char*>> groupsAndChoices = {
        {{"freq10", "freq20", "freq30"}, "freq30"},
        {{"startupAuto", "startupManual", "startupDcOffset", "startupLastUsed"}, "startupLastUsed"},
        {{"failureGood", "failurePoor"}, "failurePoor"},
        {{"responseStop", "responseContinue"}, "responseContinue"},
    };
    for (const auto& [buttons, choice] : groupsAndChoices)
        for (const char* name : buttons)
            EXPECT_EQ(radio(name)->isChecked(), std::string_view(name) == choice) << name;
}

// Loads bring codes among the choices; showing never changes the setup it shows.
TEST_F(OptionGroupsTest, ShowingACodeOutOfRangeChecksNoButtonAndLeavesTheSetup) {
    radio("startupManual")->click();
    record.startupMode = 7;
    groups.showRecord();
    EXPECT_FALSE(radio("startupAuto")->isChecked());
    EXPECT_FALSE(radio("startupManual")->isChecked());
    EXPECT_EQ(record.startupMode, 7);
}

} // namespace
