#pragma once

#include "DeviceInfo.h"
#include "ModuleCatalogue.h"

#include <QGroupBox>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// "Device Information": the module type list, the serial number and the firmware revision of
// the instrument, and the button of the connection setup. The serial number edit and "S/N +1"
// write straight into the device information; a module chosen in the list is only announced.
class DeviceInfoGroup : public QGroupBox {
    Q_OBJECT

public:
    DeviceInfoGroup(QWidget* parent, DeviceInfo& info);

    // One entry per module, kept in the order of their texts, with nothing selected.
    void fillModuleList(const std::vector<ModuleCatalogue::Module>& modules);
    // Selects the entry of that text, compared without case; none when there is none.
    void selectModuleText(const std::string& listText);
    void clearModuleSelection();

    void ShowSerialText();
    void ShowFirmwareText();
    void clearFirmwareText();
    // The Serial Number edit's text into DeviceInfo::serialText.
    void takeSerialText();

signals:
    void moduleChosen(int code);
    void connectionSetupClicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void addModule(const ModuleCatalogue::Module& module);
    void moduleActivated(int index);
    void normalizeSerialNumber();
    void incrementSerialNumber();

    DeviceInfo& info;
    QComboBox* moduleList;
    QLineEdit* serialEdit;
    QLabel* firmwareLabel;
};
