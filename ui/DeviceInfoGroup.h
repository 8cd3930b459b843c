#pragma once

#include "config/ModuleCatalogue.h"
#include "device/DeviceInfo.h"
#include "device/Registers.h"
#include "ui/SetupDocument.h"

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
// the list is only announced; the window decides. It shows the document's device information
// and reads, never writes, the serial number the instrument last reported.
class DeviceInfoGroup : public QGroupBox {
    Q_OBJECT

public:
    DeviceInfoGroup(QWidget* parent, SetupDocument& document);

    // One entry per module, kept in the order of their texts, the current module's selected.
    // Without any, a notice takes the list's place: no catalogue was found, and when
    // exampleOffered, a button offers the example catalogue.
    void fillModuleList(const std::vector<ModuleCatalogue::Module>& modules, bool exampleOffered);
    // Makes module current with its lead count and selects its entry (compared without case);
    // none: module type 0, no leads, nothing selected.
    void setModule(const std::optional<ModuleCatalogue::Module>& module);
    // Shows the instrument that connected, or that took the place of the one shown, with its
    // module; none leaves the module as it was.
    void showInstrument(const DeviceIdentity& identity,
                        const std::optional<ModuleCatalogue::Module>& module);
    // Whether an identity naming serialText comes from another instrument than the one that last
    // reported, while the edit still shows that one's number: a number the technician typed or
    // stepped is the one to write, whichever instrument is attached. Asked before the document
    // takes serialText as the last reported.
    bool isAnotherInstrument(const std::string& serialText) const;
    void setSerialText(const std::string& text);
    // What the serial number shows, and a save would write, while no instrument answers.
    void showNotConnected();
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
    const std::string& instrumentSerial;
};
