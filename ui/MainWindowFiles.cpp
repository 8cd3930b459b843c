#include "setup/FileError.h"
#include "setup/NotASetupFile.h"
#include "setup/SetupFile.h"
#include "ui/LeadGrid.h"
#include "ui/MainWindow.h"
#include "ui/Messages.h"
#include "ui/SetupFileDialog.h"

#include <QFile>
#include <QFileInfo>

QString MainWindow::setupFileFolder() const {
    const QString dataFolder = QFile::decodeName(settings.dataFolder().c_str());
    const QString configurationFiles = dataFolder + "/Configuration Files";
    return QFileInfo(configurationFiles).isDir() ? configurationFiles : dataFolder;
}

void MainWindow::reportFileError(const std::function<void()>& fileWork) {
    try {
        fileWork();
    } catch (const FileError& error) {
        showFileError(this, error);
    } catch (const NotASetupFile& refused) {
        showWarning(this,
                    tr(NotASetupFile::kTextPattern).arg(QFile::decodeName(refused.path().c_str())));
    }
}

void MainWindow::loadFromFile() {
    if (!mayDropSetup(EditsDroppedBy::Loading))
        return;
    if (const auto path = SetupFileDialog::choose(this, QFileDialog::AcceptOpen, setupFileFolder()))
        openSetupFile(*path);
    else
        grid->updateAllNone();
}

void MainWindow::openSetupFile(const std::string& path) {
    reportFileError([this, &path] { loadSetupFile(path); });
    grid->updateAllNone();
}

void MainWindow::saveToFile() {
    commitEdits();
    if (const auto path = SetupFileDialog::choose(this, QFileDialog::AcceptSave, setupFileFolder()))
        reportFileError([this, &path] { saveSetupFile(*path); });
}

void MainWindow::saveSetupFile(const std::string& path) {
    commitEdits();
    writeSetupFile(document.record, path);
    document.saved(path);
}

void MainWindow::loadSetupFile(const std::string& path) {
    SetupRecord loaded = document.record;
    readSetupFile(loaded, path);
    // Shown as the window shows an option, and so saved.
    loaded.normalizeCodes();
    document.load(loaded, path);
}
