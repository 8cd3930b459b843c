#include "ui/Messages.h"

#include "setup/FileError.h"
#include "ui/PortAccessHint.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>

void showWarning(QWidget* parent, const QString& text, const QString& detail) {
    QMessageBox box(QMessageBox::Warning,
                    QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName(), text,
                    QMessageBox::Ok, parent);
    box.setObjectName("warningBox");
    box.setDetailedText(detail);
    box.exec();
}

QString fileErrorText(const FileError& error) {
    const QString path = QFile::decodeName(error.path().c_str());
    switch (error.cause()) {
    case FileError::Cause::AccessDenied:
        return QString("Access to %1 was denied.").arg(path);
    case FileError::Cause::SharingViolation:
        return QString("A sharing violation occurred while accessing %1.").arg(path);
    case FileError::Cause::NotFound:
        return QString("%1 was not found.").arg(path);
    case FileError::Cause::DiskFull:
        return QString("Disk full while accessing %1.").arg(path);
    case FileError::Cause::Generic:
        break;
    }
    return QString("An unexpected file error occurred while accessing %1.").arg(path);
}

void showFileError(QWidget* parent, const FileError& error) {
    showWarning(parent, fileErrorText(error));
}

QString portFailureDetail(const std::string& reason, const std::string& devicePath) {
    QString detail = QString::fromLocal8Bit(reason);
    const std::string hint = portAccessHint(devicePath);
    if (!hint.empty())
        detail += (detail.isEmpty() ? "" : "\n\n") + QString::fromLocal8Bit(hint);
    return detail;
}
