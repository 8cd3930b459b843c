#include "support/WindowTest.h"
#include "ui/CompareDialog.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QTabBar>
#include <QTableWidget>
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
    // The texts of the labels that a screen reader is told name the widget.
    static QStringList labelledBy(QWidget* widget) {
        QStringList labels;
        QAccessibleInterface* face = accessible(widget);
        if (face == nullptr)
            return labels;
        for (const auto& [label, relation] : face->relations(QAccessible::Label))
            labels << label->text(QAccessible::Name);
        return labels;
    }
    // The widget that the label with this text gives the focus to.
    QWidget* buddyOf(const QString& text) {
        for (const QLabel* label : window->findChildren<QLabel*>())
            if (label->text() == text)
                return label->buddy();
        ADD_FAILURE() << "no label " << text.toStdString();
        return nullptr;
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
        EXPECT_TRUE(labelledBy(leadEdit(row)).contains(QString("Lead:%1").arg(lead, 3)));
    }
}

TEST_F(AccessibilityTest, EditsAndArrowsHaveTheNamesAPersonWouldSayAndTheirLabels) {
    startWindow();
    struct Case {
        const char* control;
        QString name;
        QString label;
    };
    const Case cases[] = {
        {"goodLimitEdit", "Good Limit in kilohms", "Good Limit :"},
        {"poorLimitEdit", "Poor Limit in kilohms", "Poor Limit :"},
        {"shutOffEdit", "Auto Shut-off in seconds", "Auto Shut-off in"},
        {"serialEdit", "Serial number", "Serial Number :"},
        {"firmwareText", "Firmware revision", "Firmware Rev :"},
        {"failureGood", "Good Limit", "Failure\nCriterion :"},
        {"responseStop", "Stop", "Upon\nFailure:"},
    };
    for (const Case& entry : cases) {
        SCOPED_TRACE(entry.control);
        auto* control = find<QWidget>(entry.control);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(spoken(control), entry.name);
        EXPECT_EQ(buddyOf(entry.label), control);
    }
    EXPECT_EQ(buddyOf("Module Type :"), find<QWidget>("moduleList"));
    EXPECT_TRUE(labelledBy(find<QWidget>("moduleList")).contains("Module Type :"));

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

// Alike texts, a list's entry and a tab's numbers say what a control does only to the eye.
TEST_F(AccessibilityTest, ButtonsTheModuleListAndTheLeadPagesAreNamedForWhatTheyAre) {
    startWindow();
    pickModule(Leads40);
    const std::tuple<const char*, QString, QString> buttons[] = {
        {"deviceLoadButton", "Load From Instrument", "&Load From"},
        {"deviceSaveButton", "Save To Instrument", "&Save To"},
        {"fileLoadButton", "Load From File", "Load &From"},
        {"fileSaveButton", "Save To File", "Save &To"},
    };
    for (const auto& [name, spokenName, text] : buttons) {
        EXPECT_EQ(spoken(button(name)), spokenName) << name;
        EXPECT_EQ(button(name)->text(), text) << name;
    }

    auto* list = find<QWidget>("moduleList");
    EXPECT_EQ(spoken(list), "Module type");
    EXPECT_EQ(spoken(list, QAccessible::Value), "40 Lead Forty");
    EXPECT_EQ(accessible(list)->role(), QAccessible::ComboBox);

    auto* tabs = find<QTabBar>("leadTabs");
    QAccessibleInterface* bar = accessible(tabs);
    ASSERT_NE(bar, nullptr);
    QStringList tabNames;
    for (int i = 0; i < bar->childCount(); ++i)
        if (bar->child(i)->role() == QAccessible::PageTab)
            tabNames << bar->child(i)->text(QAccessible::Name);
    EXPECT_EQ(tabNames, (QStringList{"Leads 1 to 32", "Leads 33 to 40"}));
    EXPECT_EQ(tabs->tabText(1), "33 - 40");
    showTab(1);
    EXPECT_EQ(spoken(tabs), "Leads 33 to 40");
}

// The entry shown is the list's text, and the selected item of its popup list, whether or not
// the list is open.
TEST_F(AccessibilityTest, TheModuleListTellsItsEntryAsItsTextAndItsListsSelectedItem) {
    startWindow();
    auto* list = find<QWidget>("moduleList");
    const std::pair<int, QString> cases[] = {
        {Leads40, "40 Lead Forty"}, {Leads2, "2 Lead Pair"}, {Leads16, "16 Lead Sixteen"}};
    for (const auto& [module, entry] : cases) {
        SCOPED_TRACE(entry.toStdString());
        pickModule(module);

        QAccessibleTextInterface* text = accessible(list)->textInterface();
        ASSERT_NE(text, nullptr);
        EXPECT_EQ(text->text(0, text->characterCount()), entry);
        QAccessibleInterface* popup = accessible(list)->child(0);
        ASSERT_NE(popup, nullptr);
        ASSERT_NE(popup->tableInterface(), nullptr);
        const QList<QAccessibleInterface*> selected = popup->tableInterface()->selectedCells();
        ASSERT_EQ(selected.size(), 1);
        EXPECT_EQ(selected.front()->text(QAccessible::Name), entry);
    }
}

// The title keeps its designed trailing blank; a screen reader is told the name without it.
TEST_F(AccessibilityTest, TheMainWindowIsNamedWithoutTheTitlesTrailingBlank) {
    startWindow();

    EXPECT_EQ(spoken(window.get()), "Mirafen for Zentiq");
    EXPECT_EQ(window->windowTitle(), "Mirafen for Zentiq ");
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

TEST_F(AccessibilityTest, TheComparisonTableIsNamedAndItsDifferingCellsSaySo) {
    SetupRecord setup;
    setup.resetToDefaults();
    SetupRecord instrument = setup;
    instrument.leadName[2] = "Leg";
    CompareDialog dialog(nullptr, comparedFields(setup, instrument, 2), "Instrument 00004711");
    auto* table = dialog.findChild<QTableWidget*>("comparisonTable");
    ASSERT_NE(table, nullptr);

    EXPECT_EQ(spoken(table), "This setup and the instrument, field by field");
    EXPECT_EQ(spoken(table, QAccessible::Description),
              "1 field differs between this setup and the instrument.");
    QAccessibleTableInterface* cells = accessible(table)->tableInterface();
    ASSERT_NE(cells, nullptr);
    EXPECT_EQ(cells->columnDescription(2), "The Instrument");
    for (int column = 0; column < 3; ++column) {
        EXPECT_EQ(cells->cellAt(2, column)->text(QAccessible::Description), "Differs") << column;
        EXPECT_EQ(cells->cellAt(3, column)->text(QAccessible::Description), "") << column;
    }
    EXPECT_EQ(cells->cellAt(2, 2)->text(QAccessible::Name), "Leg");
}

} // namespace
