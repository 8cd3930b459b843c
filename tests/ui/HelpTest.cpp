#include "ui/Help.h"

#include <QDir>
#include <QFile>
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

TEST(HelpPage, TheShippedPageHasTheMainWindowTopic) {
    QFile page(QString(MIRAFEN_HELP_PAGE));
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    EXPECT_TRUE(page.readAll().contains("id=\"main-window\""));
}

} // namespace
