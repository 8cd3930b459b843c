#include "ui/AttachedInstrument.h"
#include "ui/CautionDialog.h"
#include "ui/LeadGrid.h"
#include "ui/MainWindow.h"
#include "ui/WelcomeDialog.h"

void MainWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (firstShowDone)
        return;
    firstShowDone = true;
    // Runs once the window is on screen; its dialogs then stand in front of it.
    QTimer::singleShot(0, this, &MainWindow::runStartUpWork);
}

void MainWindow::runStartUpWork() {
    bool portStored = true;
    reportPortFailure([this, &portStored] { portStored = link->connection().openStoredPort(); });
    if (!portStored) {
        WelcomeDialog(this).exec();
        runPortDialog(true);
    }
    grid->restorePage();
    attached->setConnected(false);
    link->startPolling(settings.minimumSpacing());
    grid->updateAllNone();
    CautionDialog(this).exec();
    grid->rebuildGrid();
}
