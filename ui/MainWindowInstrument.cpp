#include "config/ModuleCatalogue.h"
#include "ui/DeviceInfoGroup.h"
#include "ui/LeadGrid.h"
#include "ui/LinkWatcher.h"
#include "ui/MainWindow.h"
#include "ui/Messages.h"
#include "ui/OptionGroups.h"
#include "ui/TransferDialog.h"

#include <QPushButton>

MainWindow::TransferHold::TransferHold(LinkState& state)
    : state(state) {
    state.transferBusy = true;
}

MainWindow::TransferHold::~TransferHold() {
    state.transferBusy = false;
}

void MainWindow::pollTimerTick() {
    showPollOutcome(poll.tick());
}

void MainWindow::pumpTimerTick() {
    watcher->pump();
}

void MainWindow::showPollOutcome(const IdentificationPoll::Outcome& outcome) {
    const DeviceIdentity& identity = outcome.identity;
    switch (outcome.event) {
    case IdentificationPoll::Event::InstrumentFound:
        devicePanel->setSerialText(identity.serialText);
        // Leads are cleared only when they belong to another module, not when no module was
        // current.
        if (info.moduleType != 0 && identity.moduleType != info.moduleType) {
            record.clearLeads();
            grid->restorePage();
        }
        selectModuleType(identity.moduleType);
        devicePanel->setFirmwareText(identity.firmwareText());
        setConnected(true);
        break;
    case IdentificationPoll::Event::IdentityRefreshed:
        devicePanel->setFirmwareText(identity.firmwareText());
        break;
    case IdentificationPoll::Event::InstrumentLost:
        setConnected(false);
        devicePanel->setSerialText(std::string(kNotConnectedText));
        break;
    case IdentificationPoll::Event::None:
        break;
    }
}

void MainWindow::setConnected(bool on) {
    deviceLoadButton->setEnabled(on);
    deviceSaveButton->setEnabled(on);
    if (on) {
        grid->rebuildGrid();
        return;
    }
    selectModuleType(0);
    devicePanel->setFirmwareText({});
}

bool MainWindow::selectModuleType(int code) {
    std::optional<ModuleCatalogue::Module> module;
    if (code != 0) {
        module = ModuleCatalogue(settings.dataFolder()).lookup(code);
        if (!module)
            return false;
    }
    devicePanel->setModule(module);
    grid->rebuildGrid();
    return true;
}

TransferExchange::Result MainWindow::runTransfer(TransferExchange::Direction direction) {
    TransferDialog dialog(this, link, record, info, direction);
    connect(watcher, &LinkWatcher::frameReady, &dialog, &TransferDialog::frameArrived);
    dialog.exec();
    const TransferExchange::Result result = dialog.transferResult();
    if (result == TransferExchange::Result::Failed)
        showWarning(this, tr("Error Occured During Transfer."));
    return result;
}

void MainWindow::saveToDevice() {
    const TransferHold hold(state);
    commitEdits();
    if (runTransfer(TransferExchange::Direction::Write) == TransferExchange::Result::Completed)
        markSetupUnchanged();
}

void MainWindow::loadFromDevice() {
    const TransferHold hold(state);
    commitEdits();
    // A load that does not complete leaves the setup as it was before it began.
    const SetupRecord before = record;
    const bool completed =
        runTransfer(TransferExchange::Direction::Read) == TransferExchange::Result::Completed;
    if (!completed)
        record = before;
    showRecord();
    grid->rebuildGrid();
    if (completed)
        markSetupUnchanged();
}
