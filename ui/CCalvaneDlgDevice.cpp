#include "CCalvaneDlg.h"
#include "DeviceInfoGroup.h"
#include "Messages.h"
#include "ModuleCatalogue.h"
#include "TransferDialog.h"

#include <QPushButton>

void CCalvaneDlg::pollTimerTick() {
    poll.PollTick();
}

void CCalvaneDlg::pumpTimerTick() {
    link.Pump();
}

void CCalvaneDlg::SetConnected(bool on) {
    state.connected = on;
    deviceLoadButton->setEnabled(on);
    deviceSaveButton->setEnabled(on);
    if (on) {
        ShowSerialText();
        ShowFirmwareText();
        return;
    }
    SelectModuleType(0);
    devicePanel->clearFirmwareText();
}

bool CCalvaneDlg::SelectModuleType(int code) {
    if (code == 0) {
        info.leadCount = 0;
        info.moduleType = 0;
        devicePanel->clearModuleSelection();
        RebuildGrid();
        return false;
    }
    std::string listText;
    const int leadCount = ModuleCatalogue(settings.dataFolder()).lookup(code, listText);
    if (leadCount < 0)
        return true;
    info.moduleType = code;
    info.leadCount = static_cast<std::uint8_t>(leadCount);
    devicePanel->selectModuleText(listText);
    RebuildGrid();
    return false;
}

void CCalvaneDlg::ShowSerialText() {
    devicePanel->ShowSerialText();
}

void CCalvaneDlg::ShowFirmwareText() {
    devicePanel->ShowFirmwareText();
}

int CCalvaneDlg::runTransfer(std::uint8_t mode) {
    TransferDialog dialog(this, link, record, info, mode);
    return dialog.exec();
}

void CCalvaneDlg::SaveToDevice() {
    SavePage();
    state.transferBusy = true;
    exchangeToMembers();
    if (runTransfer(TransferExchange::kWriteMode) == TransferExchange::Failed)
        showWarning(this, QStringLiteral("Error Occured During Transfer."));
    state.transferBusy = false;
}

void CCalvaneDlg::LoadFromDevice() {
    state.transferBusy = true;
    SavePage();
    // A load that does not complete leaves the setup as it was before it began.
    const SetupRecord before = record;
    SetOptionRadios(false);
    const int result = runTransfer(TransferExchange::kReadMode);
    if (result == TransferExchange::Failed)
        showWarning(this, QStringLiteral("Error Occured During Transfer."));
    if (result != TransferExchange::Completed)
        record = before;
    ShowLoadedSetup();
    state.transferBusy = false;
    RebuildGrid();
    UpdateAllNone();
}
