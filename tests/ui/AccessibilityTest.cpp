#include "WindowTest.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QToolButton>

namespace {

// What a screen reader is told about the controls of the main window.
class AccessibilityTest : public WindowTest {
protected:
    static QAccessibleInterface* accessible(QWidget* widget) {
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
        EXPECT_NE(face, nullptr) << widget->objectName().toStdString();
        return face;
    }
    static QString spoken(QWidget* widget, QAccessible::Text text = QAccessible::Name) {
        QAccessibleInterface* face = accessible(widget);
        return face ? face->text(text) : QString();
    }
    // The texts of the labels that name the widget (a label's buddy).
    static QStringList labelledBy(QWidget* widget) {
        QStringList labels;
        QAccessibleInterface* face = accessible(widget);
        if (face == nullptr)
            return labels;
        for (const auto& [label, relation] : face->relations(QAccessible::Label))
            labels << label->text(QAccessible::Name);
        return labels;
    }
    QWidget* arrow(const char* spin, const char* direction) {
        auto* control = find<QWidget>(spin);
        return control ? control->findChild<QToolButton*>(direction) : nullptr;
    }
};

TEST_F(AccessibilityTest, LeadControlsAreNamedAfterTheLeadOfThePageShown) {
    startWindow();
    pickModule(Leads70);
    const std::tuple<int, int, int> cases[] = {{0, 1, 1}, {0, 17, 17}, {1, 5, 37}, {2, 6, 70}};
    for (const auto& [page, row, lead] : cases) {
        SCOPED_TRACE("page " + std::to_string(page) + " row " + std::to_string(row));
        showTab(page);
        const QString number = QString::number(lead);
        EXPECT_EQ(spoken(find<QCheckBox>(QString("leadSkip%1").arg(row))),
                  "Lead " + number + " skip");
        EXPECT_EQ(spoken(leadEdit(row)), "Lead " + number + " name");
        EXPECT_EQ(labelledBy(leadEdit(row)), QStringList{QString("Lead:%1").arg(lead, 3)});
    }
}

TEST_F(AccessibilityTest, EditsAndArrowsHaveTheNamesAPersonWouldSayAndTheirLabels) {
    startWindow();
    struct Case {
        const char* control;
        QString name;
        QStringList labels;
    };
    const Case cases[] = {
        {"goodLimitEdit", "Good Limit in kilohms", {"Good Limit :"}},
        {"poorLimitEdit", "Poor Limit in kilohms", {"Poor Limit :"}},
        {"shutOffEdit", "Auto Shut-off in seconds", {"Auto Shut-off in"}},
        {"serialEdit", "Serial number", {"Serial Number :"}},
        {"firmwareText", "Firmware revision", {"Firmware Rev :"}},
        {"failureGood", "Good Limit", {"Failure\nCriterion :"}},
        {"responseStop", "Stop", {"Upon\nFailure:"}},
    };
    for (const Case& entry : cases) {
        SCOPED_TRACE(entry.control);
        auto* control = find<QWidget>(entry.control);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(spoken(control), entry.name);
        EXPECT_EQ(labelledBy(control), entry.labels);
    }
    // The module list says its entry; its label names it.
    EXPECT_EQ(labelledBy(find<QWidget>("moduleList")), QStringList{"Module Type :"});

    const std::tuple<const char*, const char*, QString> arrows[] = {
        {"goodLimitSpin", "upArrow", "Increase Good Limit"},
        {"goodLimitSpin", "downArrow", "Decrease Good Limit"},
        {"poorLimitSpin", "upArrow", "Increase Poor Limit"},
        {"poorLimitSpin", "downArrow", "Decrease Poor Limit"},
        {"shutOffSpin", "upArrow", "Increase Auto Shut-off"},
        {"shutOffSpin", "downArrow", "Decrease Auto Shut-off"},
    };
    for (const auto& [spin, direction, name] : arrows) {
        QWidget* button = arrow(spin, direction);
        ASSERT_NE(button, nullptr) << spin << ' ' << direction;
        EXPECT_EQ(spoken(button), name) << spin << ' ' << direction;
    }
}

TEST_F(AccessibilityTest, NoEditOrButtonIsNamelessOrNamedAfterItsGroup) {
    startWindow();
    pickModule(Leads40);
    QStringList groupTitles;
    for (const QGroupBox* group : window->findChildren<QGroupBox*>())
        groupTitles << group->title();
    QList<QWidget*> controls;
    for (QLineEdit* edit : window->findChildren<QLineEdit*>())
        controls << edit;
    for (QAbstractButton* button : window->findChildren<QAbstractButton*>())
        controls << button;
    for (QWidget* control : controls) {
        const QString name = spoken(control);
        EXPECT_FALSE(name.isEmpty()) << control->objectName().toStdString();
        EXPECT_FALSE(groupTitles.contains(name))
            << control->objectName().toStdString() << " reads " << name.toStdString();
    }
}

} // namespace
