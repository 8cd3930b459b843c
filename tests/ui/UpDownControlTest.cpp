#include "ui/UpDownControl.h"

#include <QLineEdit>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>
#include <gtest/gtest.h>
#include <utility>
#include <vector>

namespace {

using namespace std::chrono_literals;
using Acceleration = UpDownControl::Acceleration;

class UpDownControlTest : public ::testing::Test {
protected:
    UpDownControlTest() {
        auto* layout = new QVBoxLayout(&host);
        layout->addWidget(other);
        layout->addWidget(edit);
        layout->addWidget(spin);
        spin->setClock([this] { return clock; });
        spin->setRange(0, 100000);
        spin->setPosition(5000);
    }

    QToolButton* arrow(const char* name) { return spin->findChild<QToolButton*>(name); }

    // Steps the arrow makes while held through the given times, the first at the press.
    std::vector<int> stepsWhileHeld(const char* name,
                                    std::initializer_list<std::chrono::milliseconds> times) {
        std::vector<int> steps;
        bool pressed = false;
        for (const auto time : times) {
            clock = time;
            const int before = spin->position();
            if (pressed)
                spin->repeatHeldArrow();
            else
                QTest::mousePress(arrow(name), Qt::LeftButton);
            pressed = true;
            steps.push_back(spin->position() - before);
        }
        QTest::mouseRelease(arrow(name), Qt::LeftButton);
        return steps;
    }

    QWidget host;
    QLineEdit* other = new QLineEdit;
    QLineEdit* edit = new QLineEdit;
    UpDownControl* spin = new UpDownControl(*edit);
    std::chrono::milliseconds clock{0};
};

constexpr std::array kLimitTable{Acceleration{0s, 1}, Acceleration{1s, 10}, Acceleration{4s, 50}};
constexpr std::array kShutOffTable{Acceleration{0s, 10}, Acceleration{1s, 50}};

TEST_F(UpDownControlTest, StepGrowsWithTheTimeTheArrowIsHeld) {
    spin->setAccelerations(kLimitTable);
    EXPECT_EQ(stepsWhileHeld("upArrow", {0ms, 400ms, 999ms, 1000ms, 3999ms, 4000ms, 9000ms}),
              (std::vector{1, 1, 1, 10, 10, 50, 50}));
    // A new press starts the table again, downwards just the same.
    EXPECT_EQ(stepsWhileHeld("downArrow", {10000ms, 11500ms, 14500ms}),
              (std::vector{-1, -10, -50}));

    spin->setAccelerations(kShutOffTable);
    EXPECT_EQ(stepsWhileHeld("upArrow", {20000ms, 20999ms, 21000ms, 30000ms}),
              (std::vector{10, 10, 50, 50}));
}

TEST_F(UpDownControlTest, ReleasedArrowNoLongerRepeats) {
    stepsWhileHeld("upArrow", {0ms});
    const int released = spin->position();
    spin->repeatHeldArrow();
    EXPECT_EQ(spin->position(), released);
}

TEST_F(UpDownControlTest, ArrowKeysInTheBuddyStepAndAccelerateWhileHeld) {
    spin->setAccelerations(kLimitTable);
    const auto press = [this](Qt::Key key, bool autoRepeat, std::chrono::milliseconds at) {
        clock = at;
        const int before = spin->position();
        QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier, QString(), autoRepeat);
        QApplication::sendEvent(edit, &event);
        return spin->position() - before;
    };
    EXPECT_EQ(press(Qt::Key_Up, false, 0ms), 1);
    EXPECT_EQ(press(Qt::Key_Up, true, 1500ms), 10);
    EXPECT_EQ(press(Qt::Key_Up, true, 4500ms), 50);
    EXPECT_EQ(press(Qt::Key_Down, false, 6000ms), -1);
    EXPECT_EQ(press(Qt::Key_Down, true, 7000ms), -10);
    EXPECT_EQ(edit->text(), QString()) << "a spin that does not write its buddy leaves the text";
}

TEST_F(UpDownControlTest, StopsAtTheEndsOfItsRangeWithoutWrapping) {
    spin->setRange(10, 2550);
    spin->setAccelerations(kShutOffTable);
    spin->setPosition(2545);
    QTest::keyClick(edit, Qt::Key_Up);
    EXPECT_EQ(spin->position(), 2550);
    QTest::keyClick(edit, Qt::Key_Up);
    EXPECT_EQ(spin->position(), 2550);

    spin->setPosition(15);
    QTest::keyClick(edit, Qt::Key_Down);
    QTest::keyClick(edit, Qt::Key_Down);
    EXPECT_EQ(spin->position(), 10);
}

TEST_F(UpDownControlTest, OwnerCanRefuseAStep) {
    std::vector<std::pair<int, int>> asked;
    spin->setStepFilter([&asked](int position, int delta) {
        asked.emplace_back(position, delta);
        return delta < 0;
    });
    QTest::keyClick(edit, Qt::Key_Up);
    EXPECT_EQ(spin->position(), 5000);
    QTest::keyClick(edit, Qt::Key_Down);
    EXPECT_EQ(spin->position(), 4999);
    EXPECT_EQ(asked, (std::vector<std::pair<int, int>>{{5000, 1}, {5000, -1}}));
}

TEST_F(UpDownControlTest, BuddyWritingSpinShowsPlainNumbersAndStepsFromTheShownOne) {
    spin->setWritesBuddy(true);
    spin->setAccelerations(kShutOffTable);
    spin->setPosition(99990);
    QTest::keyClick(edit, Qt::Key_Up);
    EXPECT_EQ(edit->text(), "100000");

    edit->setText("65");
    QTest::keyClick(edit, Qt::Key_Up);
    EXPECT_EQ(edit->text(), "75");
    EXPECT_EQ(spin->position(), 75);
}

TEST_F(UpDownControlTest, ClickingAnArrowPutsTheFocusInTheBuddy) {
    host.show();
    QApplication::setActiveWindow(&host);
    other->setFocus();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&host));
    ASSERT_TRUE(other->hasFocus());

    QTest::mouseClick(arrow("upArrow"), Qt::LeftButton);
    EXPECT_TRUE(edit->hasFocus());
    EXPECT_EQ(spin->position(), 5001);
}

} // namespace
