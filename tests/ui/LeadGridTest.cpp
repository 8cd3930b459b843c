#include "support/WindowTest.h"

#include <QAccessible>
#include <QCheckBox>
#include <QLabel>
#include <QTabBar>

namespace {

struct GridCase {
    WindowTest::Module module;
    QStringList tabs;
    int rowsOnFirstPage;
    bool rightHeadingOnFirstPage;
    int rowsOnLastPage;
    QString firstLabelOnLastPage;
};

class LeadGridTest : public WindowTest {
protected:
    int shownRows() {
        int shown = 0;
        for (int row = 1; row <= 32; ++row) {
            const bool edit = !leadEdit(row)->isHidden();
            EXPECT_EQ(edit, !find<QCheckBox>(QString("leadSkip%1").arg(row))->isHidden()) << row;
            EXPECT_EQ(edit, !find<QLabel>(QString("leadLabel%1").arg(row))->isHidden()) << row;
            shown += edit ? 1 : 0;
        }
        return shown;
    }
    QCheckBox* skipBox(int row) { return find<QCheckBox>(QString("leadSkip%1").arg(row)); }
};

TEST_F(LeadGridTest, ShowsTheLeadsOfTheModuleInPagesOf32) {
    const GridCase cases[] = {
        {Leads16, {"1 - 16"}, 16, false, 16, "Lead:  1"},
        {Leads17, {"1 - 17"}, 17, true, 17, "Lead:  1"},
        {Leads32, {"1 - 32"}, 32, true, 32, "Lead:  1"},
        {Leads33, {"1 - 32", "33 - 33"}, 32, true, 1, "Lead: 33"},
        {Leads70, {"1 - 32", "33 - 64", "65 - 70"}, 32, true, 6, "Lead: 65"},
    };
    startWindow();
    for (const GridCase& grid : cases) {
        SCOPED_TRACE(grid.tabs.join(", ").toStdString());
        pickModule(grid.module);
        auto* tabs = find<QTabBar>("leadTabs");
        QStringList captions;
        for (int index = 0; index < tabs->count(); ++index)
            captions << tabs->tabText(index);
        EXPECT_EQ(captions, grid.tabs);
        EXPECT_EQ(tabs->currentIndex(), 0);
        EXPECT_EQ(shownRows(), grid.rowsOnFirstPage);
        EXPECT_FALSE(find<QLabel>("leftNameHeading")->isHidden());
        EXPECT_EQ(!find<QLabel>("rightNameHeading")->isHidden(), grid.rightHeadingOnFirstPage);
        EXPECT_EQ(find<QLabel>("leadLabel17")->text(), "Lead: 17");

        showTab(tabs->count() - 1);
        EXPECT_EQ(shownRows(), grid.rowsOnLastPage);
        EXPECT_EQ(find<QLabel>("leadLabel1")->text(), grid.firstLabelOnLastPage);
    }
}

TEST_F(LeadGridTest, KeepsANameTypedOnAnotherPageThroughPageChangesAndAll) {
    startWindow();
    pickModule(Leads40);
    showTab(1);
    typeName(3, "probe");
    showTab(0);
    EXPECT_EQ(leadEdit(3)->text(), "");
    showTab(1);
    EXPECT_EQ(leadEdit(3)->text(), "probe");

    typeName(4, "next");
    button("allButton")->click();
    EXPECT_EQ(leadEdit(4)->text(), "next");
    EXPECT_EQ(window->setup().leadName[35], "probe");
    EXPECT_EQ(window->setup().leadName[36], "next");
    EXPECT_TRUE(window->setup().leadSkip[40]);
    EXPECT_TRUE(leadEdit(4)->isReadOnly());
}

TEST_F(LeadGridTest, SkipBoxesLockTheNameAndDriveAllAndNone) {
    startWindow();
    pickModule(Leads2);
    QPushButton* all = button("allButton");
    QPushButton* none = button("noneButton");
    EXPECT_FALSE(all->isHidden());
    EXPECT_TRUE(none->isChecked());

    struct Step {
        int row;
        bool allChecked;
        bool noneChecked;
    };
    const Step steps[] = {{1, false, false}, {2, true, false}, {2, false, false}, {1, false, true}};
    bool skipped[3] = {false, false, false};
    for (const Step& step : steps) {
        skipBox(step.row)->click();
        skipped[step.row] = !skipped[step.row];
        EXPECT_EQ(leadEdit(step.row)->isReadOnly(), skipped[step.row]) << step.row;
        EXPECT_EQ(skipBox(step.row)->isChecked(), skipped[step.row]) << step.row;
        EXPECT_EQ(all->isChecked(), step.allChecked) << step.row;
        EXPECT_EQ(none->isChecked(), step.noneChecked) << step.row;
    }
}

// A screen reader's toggle changes the box without a click; the setup follows the box all the
// same.
TEST_F(LeadGridTest, ASkipBoxChangesTheSetupHoweverItIsToggled) {
    const std::pair<const char*, std::function<void(QCheckBox*)>> ways[] = {
        {"click",
         [](QCheckBox* box) {
             box->click();
         }},
        {"accessible toggle",
         [](QCheckBox* box) {
             QAccessible::queryAccessibleInterface(box)->actionInterface()->doAction(
                 QAccessibleActionInterface::toggleAction());
         }},
    };
    startWindow();
    pickModule(Leads2);
    for (const auto& [way, toggle] : ways) {
        SCOPED_TRACE(way);
        for (const bool skipped : {true, false}) {
            toggle(skipBox(2));
            window->commitEdits();
            EXPECT_EQ(skipBox(2)->isChecked(), skipped);
            EXPECT_EQ(window->setup().leadSkip[2], skipped);
            EXPECT_EQ(leadEdit(2)->isReadOnly(), skipped);
            EXPECT_EQ(button("noneButton")->isChecked(), !skipped);
        }
    }
}

TEST_F(LeadGridTest, AllAndNoneTouchOnlyTheLeadsOfTheModule) {
    startWindow();
    pickModule(Leads40);
    skipBox(25)->click();
    pickModule(Leads20);
    button("allButton")->click();
    button("noneButton")->click();
    button("allButton")->click();

    for (int lead = 1; lead <= 20; ++lead)
        EXPECT_TRUE(window->setup().leadSkip[lead]) << lead;
    EXPECT_FALSE(window->setup().leadSkip[21]);
    EXPECT_TRUE(window->setup().leadSkip[25]);
    pickModule(Leads40);
    EXPECT_FALSE(skipBox(21)->isChecked());
    EXPECT_TRUE(skipBox(25)->isChecked());
    EXPECT_FALSE(button("allButton")->isChecked());
    EXPECT_FALSE(button("noneButton")->isChecked());
}

TEST_F(LeadGridTest, KeepsALongerNameFromAFileThatIsOnlyShown) {
    writeFile(workFolder / "long.prp", "LEADNAME1=ten chars!\r\n");
    startWindow();
    pickModule(Leads16);
    ASSERT_NO_THROW(window->loadSetupFile("long.prp"));
    button("allButton")->click();
    EXPECT_EQ(window->setup().leadName[1], "ten chars!");
}

} // namespace
