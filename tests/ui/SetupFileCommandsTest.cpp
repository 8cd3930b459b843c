#include "WindowTest.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QRadioButton>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

class SetupFileCommandsTest : public WindowTest {
protected:
    QRadioButton* radio(const char* name) { return find<QRadioButton>(name); }
    QString pathOf(const char* name) { return QString::fromStdString(workFolder / name); }
    void loadThroughTheDialog(const char* name) {
        modals.chooseFile(pathOf(name));
        button("fileLoadButton")->click();
    }
    void saveThroughTheDialog(const char* name) {
        modals.chooseFile(pathOf(name));
        button("fileSaveButton")->click();
    }
};

TEST_F(SetupFileCommandsTest, SavesTheWindowAndLoadsItBack) {
    startWindow();
    pickModule(Leads16);
    typeName(1, "Alpha");
    find<QCheckBox>("leadSkip2")->click();
    radio("freq30")->click();
    radio("startupManual")->click();
    saveThroughTheDialog("bench.prp");
    ASSERT_TRUE(std::filesystem::exists(workFolder / "bench.prp"));
    const std::string saved = readFile(workFolder / "bench.prp");
    EXPECT_NE(saved.find("LEADNAME1=Alpha\r\nLEADSKIP1=0\r\nLEADNAME2=\r\nLEADSKIP2=1\r\n"),
              std::string::npos);

    typeName(1, "Other");
    find<QCheckBox>("leadSkip2")->click();
    radio("freq10")->click();
    radio("startupAuto")->click();
    loadThroughTheDialog("bench.prp");

    EXPECT_EQ(leadEdit(1)->text(), "Alpha");
    EXPECT_TRUE(find<QCheckBox>("leadSkip2")->isChecked());
    EXPECT_TRUE(leadEdit(2)->isReadOnly());
    EXPECT_TRUE(radio("freq30")->isChecked());
    EXPECT_FALSE(radio("freq10")->isChecked());
    EXPECT_TRUE(radio("startupManual")->isChecked());
    EXPECT_FALSE(radio("startupAuto")->isChecked());
    EXPECT_TRUE(modals.messages.isEmpty()) << modals.messages.join('|').toStdString();
}

TEST_F(SetupFileCommandsTest, AReadOnlyFileIsNeitherLoadedNorOverwrittenAndNothingIsShown) {
    const std::string content = "FREQUENCY=3\r\nLEADNAME1=Locked\r\n";
    writeFile(workFolder / "locked.prp", content);
    chmod((workFolder / "locked.prp").c_str(), 0444);
    startWindow();
    pickModule(Leads16);
    const SetupRecord before = window->setup();

    loadThroughTheDialog("locked.prp");
    saveThroughTheDialog("locked.prp");

    EXPECT_EQ(window->setup(), before);
    EXPECT_TRUE(radio("freq10")->isChecked());
    EXPECT_EQ(leadEdit(1)->text(), "");
    EXPECT_EQ(readFile(workFolder / "locked.prp"), content);
    EXPECT_TRUE(modals.messages.isEmpty()) << modals.messages.join('|').toStdString();
}

TEST_F(SetupFileCommandsTest, AFailedRewriteShowsTheFileErrorWithThePath) {
    startWindow();
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit lowered = saved;
    lowered.rlim_cur = 1024;
    setrlimit(RLIMIT_FSIZE, &lowered);
    saveThroughTheDialog("big.prp");
    setrlimit(RLIMIT_FSIZE, &saved);

    ASSERT_EQ(modals.messages.size(), 1);
    EXPECT_TRUE(modals.messages.front().contains(pathOf("big.prp")))
        << modals.messages.front().toStdString();
}

TEST_F(SetupFileCommandsTest, ALoadedCodeOutOfRangeShowsTheFirstChoice) {
    writeFile(workFolder / "odd.prp", "STARTUPMODE=7\r\nFREQUENCY=2\r\n");
    startWindow();
    radio("startupManual")->click();
    loadThroughTheDialog("odd.prp");

    EXPECT_TRUE(radio("startupAuto")->isChecked());
    EXPECT_FALSE(radio("startupManual")->isChecked());
    EXPECT_EQ(window->setup().startupMode, 1);
    EXPECT_TRUE(radio("freq20")->isChecked());
}

TEST_F(SetupFileCommandsTest, FileDialogsOfferSetupFilesInTheConfigurationFolderWhenThereIsOne) {
    startWindow();
    QStringList folders;
    for (const char* title : {"Open", "Save As"}) {
        modals.answer(title, [&](QWidget& modal) {
            auto& dialog = dynamic_cast<QFileDialog&>(modal);
            EXPECT_EQ(dialog.nameFilters(),
                      QStringList({"Zentiq Setup Files (*.prp)", "All Files (*)"}));
            EXPECT_EQ(dialog.defaultSuffix(), "prp");
            folders << dialog.directory().absolutePath();
            dialog.reject();
        });
    }
    const QString data = QString::fromStdString(dataFolder);
    button("fileLoadButton")->click();
    std::filesystem::create_directory(dataFolder / "Configuration Files");
    button("fileSaveButton")->click();
    button("fileLoadButton")->click();

    EXPECT_EQ(folders,
              QStringList({data, data + "/Configuration Files", data + "/Configuration Files"}));
}

} // namespace
