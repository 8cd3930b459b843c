#include "CCalvaneDlg.h"
#include "CautionDialog.h"
#include "CommPortDialog.h"
#include "FileError.h"
#include "Messages.h"
#include "WelcomeDialog.h"

void CCalvaneDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (firstShowDone)
        return;
    firstShowDone = true;
    // Runs once the window is on screen; its dialogs then stand in front of it.
    QTimer::singleShot(0, this, &CCalvaneDlg::runStartUpWork);
}

void CCalvaneDlg::runStartUpWork() {
    if (!settings.loadCommPort(link, warningSink())) {
        WelcomeDialog(this).exec();
        ConnectionSetup();
    }
    RestorePage();
    SetConnected(false);
    pollTimer.start();
    pumpTimer.start();
    UpdateAllNone();
    CautionDialog(this).exec();
    RebuildGrid();
}

void CCalvaneDlg::ConnectionSetup() {
    settings.previousPort = link.PortNumber();
    CommPortDialog dialog(
        this, link.PortNumber(), [this](int comNumber) { return settings.commDevice(comNumber); },
        [this](std::uint8_t port) { storeCommPort(port); });
    dialog.exec();
}

void CCalvaneDlg::storeCommPort(std::uint8_t port) {
    try {
        settings.saveCommPort(link, port, warningSink());
    } catch (const FileError& error) {
        showFileError(this, error);
    }
}

ProgramSettings::MessageSink CCalvaneDlg::warningSink() {
    return [this](std::string_view message, std::string_view detail) {
        const QString text = QString::fromLatin1(message.data(), message.size());
        showWarning(this, text,
                    detail.empty() ? QString()
                                   : portFailureDetail(std::string(detail), link.DevicePath()));
    };
}
