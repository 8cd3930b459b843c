#include "support/WindowTest.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QTabBar>

namespace {

class ModuleListTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        std::filesystem::remove(workFolder / "Modules.dat");
    }
    QComboBox* list() { return find<QComboBox>("moduleList"); }
    QWidget* notice() { return find<QWidget>("catalogueNotice"); }
    // Writes the catalogue as an editor saves it: a new file renamed into place.
    void saveCatalogue(const std::string& content) {
        writeFile(dataFolder / "Modules.dat.new", content);
        std::filesystem::rename(dataFolder / "Modules.dat.new", dataFolder / "Modules.dat");
    }
};

// Without a catalogue a notice takes the list's place and offers the example that came with
// the program; the window keeps its layout.
TEST_F(ModuleListTest, WithoutACatalogueTheNoticeOffersTheExampleInTheListsPlace) {
    writeFile(workFolder / "Modules.dat", "MODULE1_LEADS=16\r\nMODULE1_DESC=Sixteen\r\n");
    startWindow();
    EXPECT_EQ(list()->count(), 1);
    EXPECT_TRUE(notice()->isHidden());
    const QSize windowSize = window->size();
    window.reset();

    std::filesystem::remove(workFolder / "Modules.dat");
    startWindow();
    EXPECT_EQ(list()->count(), 0);
    EXPECT_TRUE(list()->isHidden());
    EXPECT_FALSE(notice()->isHidden());
    EXPECT_EQ(find<QLabel>("catalogueNoticeText")->text(), "No module catalogue.");
    EXPECT_FALSE(button("exampleCatalogueButton")->isHidden());
    EXPECT_EQ(window->size(), windowSize);
}

TEST_F(ModuleListTest, TheExampleIsCopiedIntoTheDataFolderSayingThatItIsAnExample) {
    startWindow();
    button("exampleCatalogueButton")->click();

    const std::filesystem::path copy = dataFolder / "Modules.dat";
    EXPECT_EQ(modals.messages, QStringList{"The example module catalogue was copied to " +
                                           QString::fromStdString(copy.string()) + "."});
    const std::filesystem::path example =
        QCoreApplication::applicationDirPath().toStdString() + "/examples/Modules.dat";
    EXPECT_EQ(readFile(copy), readFile(example));
    EXPECT_GT(list()->count(), 0);
    EXPECT_FALSE(list()->isHidden());
    EXPECT_TRUE(notice()->isHidden());
}

TEST_F(ModuleListTest, TheListFollowsTheCatalogueAsItAppearsChangesAndGoes) {
    startWindow();
    writeFile(dataFolder / "Modules.dat", "MODULE1_LEADS=16\r\nMODULE1_DESC=Sixteen\r\n");
    ASSERT_TRUE(waitUntil([this] { return list()->count() == 1 && !list()->isHidden(); }));
    pickModule(1);
    typeName(1, "Kept");

    // The module's lead count changes: the grid follows, the names stay.
    saveCatalogue("MODULE1_LEADS=40\r\nMODULE1_DESC=Forty\r\n"
                  "MODULE2_LEADS=2\r\nMODULE2_DESC=Pair\r\n");
    ASSERT_TRUE(waitUntil([this] { return list()->count() == 2; }));
    EXPECT_EQ(window->deviceInfo().leadCount, 40);
    EXPECT_EQ(find<QTabBar>("leadTabs")->count(), 2);
    EXPECT_EQ(list()->currentText(), "40 Lead Forty");
    EXPECT_EQ(leadEdit(1)->text(), "Kept");

    std::filesystem::remove(dataFolder / "Modules.dat");
    ASSERT_TRUE(waitUntil([this] { return !notice()->isHidden(); }));
    EXPECT_EQ(window->deviceInfo().leadCount, 40);
}

} // namespace
