#pragma once

#include "config/ModuleCatalogue.h"
#include "device/DeviceInfo.h"
#include "device/Registers.h"

#include <QGroupBox>
#include <optional>
#include <string>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// "Device Information": the module type list, the serial number and the firmware revision of
// the instrument, and the button of the connection setup. The one writer of the device
// information: whatever changes it goes through here and is shown at once. A module chosen in
// the list is only announced; the window decides.
class DeviceInfoGroup : public QGroupBox {
    Q_OBJECT

public:
    DeviceInfoGroup(QWidget* parent, DeviceInfo& info);

    // One entry per module, kept in the order of their texts, the current module's selected.
    // Without any, a notice takes the list's place: no catalogue was found, and when
    // exampleOffered, a button offers the example catalogue.
    void fillModuleList(const std::vector<ModuleCatalogue::Module>& modules, bool exampleOffered);
    // Makes module current with its lead count and selects its entry (compared without case);
    // none: module type 0, no leads, nothing selected.
    void setModule(const std::optional<ModuleCatalogue::Module>& module);
    // Shows the instrument that connected, or that took the place of the one shown, with its
    // module; none leaves the module as it was. Its serial number counts as the instrument's
    // own until the technician changes the edit.
    void showInstrument(const DeviceIdentity& identity,
                        const std::optional<ModuleCatalogue::Module>& module);
    // The instrument holds serialText now, as a save wrote it.
    void instrumentHolds(const std::string& serialText);
    // Whether an identity naming serialText comes from another instrument than the one whose
    // serial number the edit last took, while the edit still shows that number: a number the
    // technician typed or stepped is the one to write, whichever instrument is attached.
    bool isAnotherInstrument(const std::string& serialText) const;
    void setSerialText(const std::string& text);
    void setFirmwareText(const std::string& text);
    // The Serial Number edit's text into the device information, as typed.
    void takeSerialText();

signals:
    void moduleChosen(int code);
    void exampleCatalogueChosen();
    void connectionSetupClicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildCatalogueNotice();
    void addModule(const ModuleCatalogue::Module& module);
    void selectModuleEntry(const std::optional<ModuleCatalogue::Module>& module);
    void showSerialText();
    void moduleActivated(int index);
    void normalizeSerialNumber();
    void incrementSerialNumber();

    DeviceInfo& info;
    QComboBox* moduleList;
    QWidget* catalogueNotice = nullptr;
    QLabel* catalogueNoticeText = nullptr;
    QPushButton* exampleButton = nullptr;
    std::vector<ModuleCatalogue::Module> listedModules;
    QLineEdit* serialEdit;
    QLabel* firmwareLabel;
    // The serial number last taken from an instrument or written into it.
    std::string instrumentSerial;
};
