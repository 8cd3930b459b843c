#include "support/WindowTest.h"

#include <QComboBox>

namespace {

// Without a catalogue the list stays empty, and says so in its own place: the window keeps its
// layout, and the help page tells where the catalogue belongs.
TEST_F(WindowTest, AnEmptyModuleListSaysThatNoCatalogueWasFound) {
    startWindow();
    auto* list = find<QComboBox>("moduleList");
    EXPECT_GT(list->count(), 0);
    EXPECT_EQ(list->placeholderText(), "");
    const QSize windowSize = window->size();
    const QSize listSize = list->size();
    window.reset();

    std::filesystem::remove(workFolder / "Modules.dat");
    startWindow();
    list = find<QComboBox>("moduleList");
    EXPECT_EQ(list->count(), 0);
    EXPECT_EQ(list->currentIndex(), -1);
    EXPECT_EQ(list->placeholderText(), "No module catalogue: see Help");
    EXPECT_EQ(window->size(), windowSize);
    EXPECT_EQ(list->size(), listSize);
}

} // namespace
