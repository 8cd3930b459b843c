#include "CCalvaneDlg.h"
#include "FileError.h"
#include "Messages.h"
#include "SetupFile.h"

#include <QFile>
#include <QFileInfo>

namespace {

const QStringList kSetupFileFilters{QStringLiteral("Zentiq Setup Files (*.prp)"),
                                    QStringLiteral("All Files (*)")};

} // namespace

QString CCalvaneDlg::setupFileFolder() const {
    const QString dataFolder = QFile::decodeName(settings.dataFolder().c_str());
    const QString configurationFiles = dataFolder + "/Configuration Files";
    return QFileInfo(configurationFiles).isDir() ? configurationFiles : dataFolder;
}

std::optional<std::string> CCalvaneDlg::chooseSetupFile(QFileDialog::AcceptMode mode) {
    QFileDialog dialog(this);
    // The toolkit's own dialog, the same on every desktop.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                       : QFileDialog::AnyFile);
    dialog.setNameFilters(kSetupFileFilters);
    dialog.setDefaultSuffix(QStringLiteral("prp"));
    dialog.setDirectory(setupFileFolder());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return QFile::encodeName(dialog.selectedFiles().constFirst()).toStdString();
}

void CCalvaneDlg::LoadFromFile() {
    if (const auto path = chooseSetupFile(QFileDialog::AcceptOpen)) {
        try {
            LoadSetupFile(*path);
        } catch (const FileError& error) {
            showFileError(this, error);
        }
    }
    UpdateAllNone();
}

void CCalvaneDlg::SaveToFile() {
    SavePage();
    if (const auto path = chooseSetupFile(QFileDialog::AcceptSave)) {
        try {
            SaveSetupFile(*path);
        } catch (const FileError& error) {
            showFileError(this, error);
        }
    }
}

bool CCalvaneDlg::SaveSetupFile(const std::string& path) {
    SavePage();
    return writeSetupFile(record, path);
}

bool CCalvaneDlg::LoadSetupFile(const std::string& path) {
    SetupRecord loaded = record;
    if (!readSetupFile(loaded, path))
        return false;
    // The marks of the values being replaced go first; they cannot be found afterwards.
    SetOptionRadios(false);
    record = loaded;
    ShowLoadedSetup();
    return true;
}
