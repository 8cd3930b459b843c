#include "ui/Help.h"

#include "support/EnvironmentVariable.h"
#include "support/ModalRecorder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// An installed layout: <prefix>/bin/mirafen and <prefix>/share/mirafen/mirafen.html.
class HelpTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(QDir(prefix.path()).mkpath("bin"));
        ASSERT_TRUE(QDir(prefix.path()).mkpath("share/mirafen"));
    }
    static void touch(const QString& path) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    QString program() const { return prefix.filePath("bin/mirafen"); }

    QTemporaryDir prefix;
};

TEST_F(HelpTest, FindsThePageNamedAfterTheProgramNextToItFirstThenInTheShareFolder) {
    EXPECT_TRUE(helpPageUrl(program()).isEmpty());

    touch(prefix.filePath("share/mirafen/mirafen.html"));
    const QUrl installed = helpPageUrl(program());
    EXPECT_EQ(installed.toLocalFile(),
              QFileInfo(prefix.filePath("share/mirafen/mirafen.html")).canonicalFilePath());
    EXPECT_EQ(installed.fragment(), "main-window");

    touch(prefix.filePath("bin/mirafen.html"));
    EXPECT_EQ(helpPageUrl(program()).toLocalFile(),
              QFileInfo(prefix.filePath("bin/mirafen.html")).canonicalFilePath());
    // Another program file name asks for its own page.
    EXPECT_TRUE(helpPageUrl(prefix.filePath("bin/other")).isEmpty());
}

TEST_F(HelpTest, APageThatIsMissingOrThatNothingCanShowIsReportedByItsPath) {
    ModalRecorder modals;
    QStringList shown;
    modals.answer("ui_tests", [&shown](QWidget& window) {
        auto& box = dynamic_cast<QMessageBox&>(window);
        shown << box.text() << box.detailedText();
        box.accept();
    });
    {
        // No program on the search path can show a page.
        const EnvironmentVariable searchPath{"PATH"};
        searchPath.set(prefix.filePath("bin").toStdString());

        openHelpPage(nullptr, program());
        touch(prefix.filePath("share/mirafen/mirafen.html"));
        openHelpPage(nullptr, program());
    }

    const QString installed = prefix.filePath("share/mirafen/mirafen.html");
    EXPECT_EQ(shown, QStringList({"The help page " + installed + " was not found.",
                                  "Looked for:\n    " + prefix.filePath("bin/mirafen.html") +
                                      "\n    " + installed,
                                  "The help page " + QFileInfo(installed).canonicalFilePath() +
                                      " could not be opened: no program to show web pages "
                                      "was found.",
                                  ""}));
}

TEST(HelpPage, TheShippedPageHasTheMainWindowTopic) {
    QFile page(QString(MIRAFEN_HELP_PAGE));
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    EXPECT_TRUE(page.readAll().contains("id=\"main-window\""));
}

} // namespace
