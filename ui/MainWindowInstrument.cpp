#include "config/ModuleCatalogue.h"
#include "config/SetupDigest.h"
#include "config/TransferHistory.h"
#include "device/FailureTexts.h"
#include "setup/FileError.h"
#include "ui/DeviceInfoGroup.h"
#include "ui/LeadGrid.h"
#include "ui/MainWindow.h"
#include "ui/Messages.h"
#include "ui/OptionGroups.h"
#include "ui/TransferDialog.h"

#include <QPushButton>
#include <algorithm>

MainWindow::TransferHold::TransferHold(LinkState& state)
    : state(state) {
    state.transferBusy = true;
}

MainWindow::TransferHold::~TransferHold() {
    state.transferBusy = false;
}

void MainWindow::startPolling() {
    session.setMinimumSpacing(settings.minimumSpacing());
    session.startPolling(driver->now(), [this](const IdentificationPoll::Outcome& outcome) {
        showPollOutcome(outcome);
    });
    driver->wake();
}

void MainWindow::showPollOutcome(const IdentificationPoll::Outcome& outcome) {
    const DeviceIdentity& identity = outcome.identity;
    switch (outcome.event) {
    case IdentificationPoll::Event::InstrumentFound:
        instrumentSerial = identity.serialText;
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
        instrumentSerial = identity.serialText;
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

InstrumentSession::Result MainWindow::runTransfer(InstrumentSession::Direction direction) {
    TransferDialog dialog(this, session, *driver, record, info, direction);
    dialog.exec();
    const InstrumentSession::Result result = dialog.transferResult();
    if (result == InstrumentSession::Result::Failed)
        showTransferFailure();
    return result;
}

void MainWindow::showTransferFailure() {
    QString detail;
    if (const std::optional<TransferFailure> failure = session.transferFailure()) {
        detail = QString::fromStdString(failedRequestText(*failure));
        if (const std::string state = instrumentStateText(*failure); !state.empty())
            detail += "\n" + QString::fromStdString(state);
    }
    showWarning(this, tr(kTransferErrorText), detail);
}

void MainWindow::recordTransfer(InstrumentSession::Direction direction,
                                InstrumentSession::Result result) {
    using Result = InstrumentSession::Result;
    const bool writing = direction == InstrumentSession::Direction::Write;
    const std::optional<TransferFailure> failure =
        result == Result::Failed ? session.transferFailure() : std::nullopt;
    TransferRow row;
    row.program = "mirafen";
    row.action = writing ? kActionWrite : kActionRead;
    row.device = session.link().devicePath();
    row.serialBefore = instrumentSerial;
    row.module = std::to_string(info.moduleType);
    row.firmware = info.firmwareText;
    if (writing || result == Result::Completed)
        row.setupSha256 = setupDigest(record);
    row.result = result == Result::Completed ? kResultOk
                 : result == Result::Failed  ? kResultFailed
                                             : kResultCancelled;
    row.serialAfter = serialAfterTransfer(writing, row.result, failure && failure->identityWritten,
                                          instrumentSerial, info.serialText);
    if (failure)
        row.detail = transferFailureText(*failure);
    if (!row.serialAfter.empty())
        instrumentSerial = row.serialAfter;
    if (const auto problem = appendTransferRow(settings, row))
        showWarning(this, tr("This transfer could not be added to the transfer history."),
                    QString::fromLocal8Bit(*problem));
}

void MainWindow::saveToDevice() {
    const TransferHold hold(session.linkState());
    commitEdits();
    const InstrumentSession::Result result = runTransfer(InstrumentSession::Direction::Write);
    if (result == InstrumentSession::Result::Completed)
        markSetupUnchanged();
    recordTransfer(InstrumentSession::Direction::Write, result);
}

void MainWindow::loadFromDevice() {
    const TransferHold hold(session.linkState());
    commitEdits();
    // A load that does not complete leaves the setup as it was before it began.
    const SetupRecord before = record;
    const InstrumentSession::Result result = runTransfer(InstrumentSession::Direction::Read);
    if (result != InstrumentSession::Result::Completed)
        record = before;
    showRecord();
    grid->rebuildGrid();
    if (result == InstrumentSession::Result::Completed) {
        setupFile.clear();
        markSetupUnchanged();
    }
    recordTransfer(InstrumentSession::Direction::Read, result);
}

void MainWindow::runPortDialog(bool firstRun) {
    connection.rememberCurrentPort();
    CommPortDialog dialog(this, connection.currentPort(),
                          {[this](int comNumber) { return settings.commDevice(comNumber); },
                           listPorts,
                           [this] {
                               session.close();
                               driver->wake();
                           }});
    // A first run offers the USB adapter plugged in, unless the port already names a device.
    if (firstRun && !settings.boundDevice(dialog.chosenPort())) {
        const std::vector<DiscoveredPort> found = listPorts();
        const auto adapter = std::ranges::find_if(found, &DiscoveredPort::isUsb);
        if (adapter != found.end())
            dialog.bindCheckedPort(storedPortPath(*adapter));
    }
    dialog.exec();
    connection.applyChoice(dialog.chosenPort(), dialog.changedDevices());
    driver->wake();
}

void MainWindow::showPortProblem(PortConnection::Problem problem, const std::string& detail) {
    if (problem == PortConnection::Problem::SettingsNotWritable) {
        showWarning(this, tr("Couldn't create setup file."), QString::fromLocal8Bit(detail));
        return;
    }
    showWarning(this, tr(kPortNotAvailableText),
                portFailureDetail(detail, session.link().devicePath(), listPorts()));
}
