#include "ui/AboutDialog.h"
#include "ui/CautionDialog.h"
#include "ui/WelcomeDialog.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace {

struct NoticeCase {
    std::function<std::unique_ptr<QDialog>()> make;
    QString title;
    QString text;
    bool hasImage;
    QString button;
};

TEST(NoticeDialogs, ShowTheirTextsAndCloseWithTheirButtonOrEnter) {
    const std::vector<NoticeCase> cases{
        {[] { return std::make_unique<AboutDialog>(nullptr); }, "About Mirafen for Zentiq",
         QString("Mirafen for Zentiq Version %1\nwww.orvell.example").arg(MIRAFEN_VERSION), true,
         "OK"},
        {[] { return std::make_unique<WelcomeDialog>(nullptr); }, "Welcome!",
         "Welcome to the exciting world of the Zentiq.\n"
         "Once you press OK you will be prompted to select a\n"
         "Comm Port which will be used to communicate with\n"
         "your Zentiq.  This can be changed later by\n"
         "clicking the Connection Setup Button.  For more info\n"
         "you can press F1 at any time after clicking OK.",
         false, "&OK"},
        {[] { return std::make_unique<CautionDialog>(nullptr); }, "CAUTION",
         "Device should not be connected to\nthe patient during programming.", true, "&OK"},
    };
    for (const NoticeCase& notice : cases) {
        for (const bool byEnter : {false, true}) {
            const std::unique_ptr<QDialog> dialog = notice.make();
            dialog->show();
            EXPECT_EQ(dialog->windowTitle(), notice.title);
            EXPECT_EQ(dialog->findChild<QLabel*>("noticeText")->text(), notice.text);
            auto* image = dialog->findChild<QLabel*>("noticeImage");
            EXPECT_EQ(image != nullptr && !image->pixmap().isNull(), notice.hasImage)
                << notice.title.toStdString();
            auto* button = dialog->findChild<QPushButton*>("okButton");
            EXPECT_EQ(button->text(), notice.button);
            if (byEnter)
                QTest::keyClick(dialog.get(), Qt::Key_Return);
            else
                QTest::mouseClick(button, Qt::LeftButton);
            EXPECT_FALSE(dialog->isVisible()) << notice.title.toStdString();
            EXPECT_EQ(dialog->result(), QDialog::Accepted);
        }
    }
}

} // namespace
