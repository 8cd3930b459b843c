#include "setup/FileError.h"
#include "setup/KeyValueFile.h"
#include "support/WindowTest.h"
#include "ui/Messages.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QRadioButton>
#include <csignal>
#include <functional>
#include <memory>
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

TEST_F(SetupFileCommandsTest, AFileThatCannotBeOpenedIsReportedAndNothingChanges) {
    const std::string content = "FREQUENCY=3\r\nLEADNAME1=Kept\r\n";
    struct Case {
        const char* name;
        const char* file;
        std::function<void(const std::filesystem::path&)> prepare;
        QString message; // %1 is the file's path
        // A path in a folder that is not there never leaves the file dialogs.
        bool throughTheDialogs;
    };
    std::unique_ptr<KeyValueFile> otherHolder;
    const Case cases[] = {
        {"held by another program", "held.prp",
         [&](const std::filesystem::path& path) {
             writeFile(path, content);
             otherHolder = std::make_unique<KeyValueFile>();
             ASSERT_NO_THROW(otherHolder->open(path, false));
         },
         "A sharing violation occurred while accessing %1.", true},
        {"in a folder that is a file", "plain/inside.prp",
         [&](const std::filesystem::path& path) { writeFile(path.parent_path(), content); },
         "%1 was not found.", false},
    };
    startWindow();
    pickModule(Leads16);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::filesystem::path path = workFolder / c.file;
        c.prepare(path);
        const SetupRecord before = window->setup();
        modals.messages.clear();

        // Handed over as the dialogs hand them, so that only opening the file can fail.
        for (const bool loading : {true, false}) {
            try {
                if (loading)
                    window->loadSetupFile(path);
                else
                    window->saveSetupFile(path);
                ADD_FAILURE() << "no FileError, loading " << loading;
            } catch (const FileError& error) {
                EXPECT_EQ(fileErrorText(error), c.message.arg(QString::fromStdString(path)));
            }
        }
        if (c.throughTheDialogs) {
            loadThroughTheDialog(c.file);
            saveThroughTheDialog(c.file);
            const QString expected = c.message.arg(QString::fromStdString(path));
            EXPECT_EQ(modals.messages, QStringList({expected, expected}));
            EXPECT_EQ(readFile(path), content);
        }
        EXPECT_EQ(window->setup(), before);
        EXPECT_TRUE(radio("freq10")->isChecked());
    }
}

TEST_F(SetupFileCommandsTest, AFileThatMayOnlyBeReadIsLoadedButNotSavedOver) {
    const std::filesystem::path path = workFolder / "readonly.prp";
    const std::string content = "FREQUENCY=3\r\nLEADNAME1=Kept\r\n";
    writeFile(path, content);
    chmod(path.c_str(), 0444);
    startWindow();
    pickModule(Leads16);

    loadThroughTheDialog("readonly.prp");
    EXPECT_EQ(leadEdit(1)->text(), "Kept");
    EXPECT_TRUE(radio("freq30")->isChecked());
    EXPECT_TRUE(modals.messages.isEmpty()) << modals.messages.join('|').toStdString();

    saveThroughTheDialog("readonly.prp");
    EXPECT_EQ(modals.messages, QStringList("Access to " + pathOf("readonly.prp") + " was denied."));
    EXPECT_EQ(readFile(path), content);
}

TEST_F(SetupFileCommandsTest, TheSaveDialogRefusesAFolderThatDoesNotExist) {
    startWindow();
    const QString missing = pathOf("missing");
    int shown = 0;
    modals.answer("Save As", [&](QWidget& dialog) {
        // The first time the missing folder is typed; the dialog stays, and is then cancelled.
        if (shown++ == 0) {
            dialog.findChild<QLineEdit*>("fileNameEdit")->setText(missing + "/bench.prp");
            static_cast<QDialog&>(dialog).accept();
        } else {
            static_cast<QDialog&>(dialog).reject();
        }
    });

    button("fileSaveButton")->click();

    EXPECT_EQ(shown, 2);
    EXPECT_EQ(modals.messages, QStringList({missing + " was not found."}));
    EXPECT_FALSE(std::filesystem::exists(workFolder / "missing"));
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

// A file that holds some setup keys leaves the other fields as they were; one that holds none is
// refused in a warning, chosen in the dialog as named at start-up, and the setup keeps its file.
TEST_F(SetupFileCommandsTest, AFileWithoutASetupKeyIsRefusedAndTheSetupKeepsItsFile) {
    writeFile(workFolder / "part.prp", "LEADNAME1=Part\r\n");
    writeFile(workFolder / "notes.prp", "COMMPORT=3\r\nleadname1=abc\r\n");
    startWindow();
    pickModule(Leads16);
    typeName(2, "Own");
    radio("freq30")->click();
    saveThroughTheDialog("bench.prp");

    loadThroughTheDialog("part.prp");
    EXPECT_EQ(leadEdit(1)->text(), "Part");
    EXPECT_EQ(leadEdit(2)->text(), "Own");
    EXPECT_TRUE(radio("freq30")->isChecked());
    const SetupRecord loaded = window->setup();

    loadThroughTheDialog("notes.prp");
    window->openSetupFile(workFolder / "notes.prp");

    const QString refused = pathOf("notes.prp") + " is not a setup file: it holds no setup key.";
    EXPECT_EQ(modals.messages, QStringList({refused, refused}));
    EXPECT_EQ(window->setup(), loaded);
    EXPECT_EQ(window->setupFilePath(), (workFolder / "part.prp").string());
    EXPECT_FALSE(window->setupChanged());
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
