#include "config/ModuleCatalogue.h"
#include "device/PortError.h"
#include "setup/FileError.h"
#include "ui/DeviceInfoGroup.h"
#include "ui/LeadGrid.h"
#include "ui/MainWindow.h"
#include "ui/Messages.h"

#include <QPushButton>
#include <algorithm>

void MainWindow::showPollOutcome(const IdentificationPoll::Outcome& outcome) {
    const DeviceIdentity& identity = outcome.identity;
    switch (outcome.event) {
    case IdentificationPoll::Event::InstrumentFound:
        document.instrumentSerial = identity.serialText;
        takeInstrument(identity);
        setConnected(true);
        break;
    case IdentificationPoll::Event::IdentityRefreshed: {
        // The cable went to another instrument, or the port changed, without the 11 silent
        // seconds that would have lost the first one.
        const bool another = devicePanel->isAnotherInstrument(identity.serialText);
        document.instrumentSerial = identity.serialText;
        if (another)
            takeInstrument(identity);
        else
            devicePanel->setFirmwareText(identity.firmwareText());
        break;
    }
    case IdentificationPoll::Event::InstrumentLost:
        setConnected(false);
        devicePanel->showNotConnected();
        break;
    case IdentificationPoll::Event::None:
        break;
    }
}

void MainWindow::takeInstrument(const DeviceIdentity& identity) {
    // Leads are cleared only when they belong to another module, not when no module was
    // current.
    if (document.info.moduleType != 0 && identity.moduleType != document.info.moduleType) {
        document.record.clearLeads();
        grid->restorePage();
    }
    // A module type the catalogue does not know is none: nothing is written that the instrument
    // did not report or the technician did not choose from the catalogue.
    devicePanel->showInstrument(identity, ModuleCatalogue(settings.dataFolder())
                                              .lookup(identity.moduleType)
                                              .value_or(ModuleCatalogue::Module{0, 0, {}}));
    grid->rebuildGrid();
}

void MainWindow::setConnected(bool on) {
    deviceLoadButton->setEnabled(on);
    deviceSaveButton->setEnabled(on);
    compareAction->setEnabled(on);
    if (on)
        return;
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
