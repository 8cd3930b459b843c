#include "ui/SetupFileDialog.h"

#include "setup/FileError.h"
#include "ui/Messages.h"

#include <QFileInfo>

SetupFileDialog::SetupFileDialog(QWidget* parent, AcceptMode mode, const QString& folder)
    : QFileDialog(parent) {
    // The toolkit's own dialog, the same on every desktop.
    setOption(QFileDialog::DontUseNativeDialog);
    setAcceptMode(mode);
    setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    setNameFilters({tr("Zentiq Setup Files (*.prp)"), tr("All Files (*)")});
    setDefaultSuffix(QStringLiteral("prp"));
    setDirectory(folder);
}

std::optional<std::string> SetupFileDialog::choose(QWidget* parent, AcceptMode mode,
                                                   const QString& folder) {
    SetupFileDialog dialog(parent, mode, folder);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return QFile::encodeName(dialog.selectedFiles().constFirst()).toStdString();
}

void SetupFileDialog::accept() {
    const QStringList chosen = selectedFiles();
    if (acceptMode() == AcceptSave && !chosen.isEmpty()) {
        const QFileInfo file(chosen.constFirst());
        if (!file.dir().exists()) {
            showFileError(this, FileError(FileError::Cause::NotFound,
                                          QFile::encodeName(file.absolutePath()).toStdString()));
            return;
        }
    }
    QFileDialog::accept();
}

#include "moc_SetupFileDialog.cpp"
