#include "device/PortError.h"
#include "setup/FileError.h"
#include "ui/MainWindow.h"
#include "ui/Messages.h"

#include <algorithm>

void MainWindow::setVerifiesSaves(bool on) {
    try {
        settings.storeVerifiesSaves(on);
    } catch (const FileError& error) {
        showFileError(this, error);
    }
}

void MainWindow::runPortDialog(bool firstRun) {
    PortConnection& connection = link->connection();
    connection.rememberCurrentPort();
    CommPortDialog dialog(this, connection.currentPort(),
                          {[this](int comNumber) { return settings.commDevice(comNumber); },
                           listPorts,
                           [this] {
                               const std::string held = instrumentPort().devicePath();
                               link->releasePort();
                               return held;
                           }});
    // A first run offers the USB adapter plugged in, unless the port already names a device.
    if (firstRun && !settings.boundDevice(dialog.chosenPort())) {
        const std::vector<DiscoveredPort> found = listPorts();
        const auto adapter = std::ranges::find_if(found, &DiscoveredPort::isUsb);
        if (adapter != found.end())
            dialog.bindCheckedPort(storedPortPath(*adapter));
    }
    dialog.exec();
    reportPortFailure([&connection, &dialog] {
        connection.applyChoice(dialog.chosenPort(), dialog.changedDevices());
    });
    link->driver().wake();
}

void MainWindow::showPortFailure(const PortError& error) {
    const OperationFailure failure = portFailure(error);
    showWarning(this, tr(failure.text.c_str()), portFailureDetail(failure.detail, listPorts()));
}

void MainWindow::reportPortFailure(const std::function<void()>& portWork) {
    try {
        portWork();
    } catch (const PortError& error) {
        showPortFailure(error);
    } catch (const FileError& error) {
        showWarning(this, tr("Couldn't create setup file."), QString::fromLocal8Bit(error.what()));
    }
}
