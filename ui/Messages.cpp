#include "ui/Messages.h"

#include "device/SerialPortDiscovery.h"
#include "setup/FileError.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>

namespace {

QString messageText(const char* text) {
    return QCoreApplication::translate("Messages", text);
}

QString programName() {
    return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
}

} // namespace

void showWarning(QWidget* parent, const QString& text, const QString& detail) {
    QMessageBox box(QMessageBox::Warning, programName(), text, QMessageBox::Ok, parent);
    box.setObjectName("warningBox");
    box.setDetailedText(detail);
    box.exec();
}

void showInformation(QWidget* parent, const QString& text, const QString& informativeText) {
    QMessageBox box(QMessageBox::Information, programName(), text, QMessageBox::Ok, parent);
    box.setObjectName("informationBox");
    box.setInformativeText(informativeText);
    box.exec();
}

bool confirmDroppingEdits(QWidget* parent, EditsDroppedBy droppedBy) {
    QMessageBox box(QMessageBox::Warning, programName(),
                    messageText("The setup has changed since it was last loaded or saved."),
                    QMessageBox::Yes | QMessageBox::No, parent);
    box.setObjectName("dropEditsBox");
    box.setInformativeText(droppedBy == EditsDroppedBy::Closing
                               ? messageText("Close and lose the changes?")
                               : messageText("Load and lose the changes?"));
    // A stray Enter keeps the changes.
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

QString fileErrorText(const FileError& error) {
    return QCoreApplication::translate("FileError", FileError::standardTextPattern(error.cause()))
        .arg(QFile::decodeName(error.path().c_str()));
}

void showFileError(QWidget* parent, const FileError& error) {
    showWarning(parent, fileErrorText(error));
}

QString portFailureDetail(const std::string& failureDetail,
                          const std::vector<DiscoveredPort>& ports) {
    const QString detail = QString::fromLocal8Bit(failureDetail);
    QString list = ports.empty() ? messageText("No serial ports were found on this computer.")
                                 : messageText("Serial ports on this computer:");
    for (const DiscoveredPort& port : ports)
        list += "\n    " + QString::fromLocal8Bit(portLabel(port));
    return detail + (detail.isEmpty() ? "" : "\n\n") + list;
}
