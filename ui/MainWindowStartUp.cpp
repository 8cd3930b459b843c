#include "setup/FileError.h"
#include "ui/CautionDialog.h"
#include "ui/CommPortDialog.h"
#include "ui/LeadGrid.h"
#include "ui/LinkWatcher.h"
#include "ui/MainWindow.h"
#include "ui/Messages.h"
#include "ui/WelcomeDialog.h"

#include <algorithm>

void MainWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (firstShowDone)
        return;
    firstShowDone = true;
    // Runs once the window is on screen; its dialogs then stand in front of it.
    QTimer::singleShot(0, this, &MainWindow::runStartUpWork);
}

void MainWindow::runStartUpWork() {
    if (!connection.openStoredPort()) {
        WelcomeDialog(this).exec();
        runPortDialog(true);
    }
    watcher->follow();
    grid->restorePage();
    setConnected(false);
    pollTimer.start();
    pumpTimer.start();
    grid->updateAllNone();
    CautionDialog(this).exec();
    grid->rebuildGrid();
}

void MainWindow::connectionSetup() {
    runPortDialog(false);
}

void MainWindow::runPortDialog(bool firstRun) {
    connection.rememberCurrentPort();
    CommPortDialog dialog(this, link.portNumber(),
                          {[this](int comNumber) { return settings.commDevice(comNumber); },
                           listPorts,
                           [this] {
                               link.close();
                               watcher->follow();
                           }});
    // A first run offers the USB adapter plugged in, unless the port already names a device.
    if (firstRun && !settings.boundDevice(dialog.chosenPort())) {
        const std::vector<DiscoveredPort> found = listPorts();
        const auto adapter = std::ranges::find_if(found, &DiscoveredPort::isUsb);
        if (adapter != found.end())
            dialog.bindCheckedPort(storedPortPath(*adapter));
    }
    dialog.exec();
    reportFileError(
        [this, &dialog] { connection.applyChoice(dialog.chosenPort(), dialog.changedDevices()); });
    watcher->follow();
}

void MainWindow::showPortProblem(PortConnection::Problem problem, const std::string& detail) {
    if (problem == PortConnection::Problem::SettingsNotWritable) {
        showWarning(this, tr("Couldn't create setup file."));
        return;
    }
    showWarning(this, tr("That Comm Port is not available."),
                portFailureDetail(detail, link.devicePath(), listPorts()));
}
