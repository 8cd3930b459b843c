#pragma once

#include "DeviceInfo.h"
#include "DevicePanel.h"
#include "IdentificationPoll.h"
#include "ProgramSettings.h"
#include "SerialLink.h"
#include "SetupRecord.h"

#include <QDialog>
#include <QFileDialog>
#include <QPointer>
#include <QTimer>
#include <optional>
#include <string>

class DeviceInfoGroup;
class LeadGrid;
class OptionGroups;
class QPushButton;

// The program's one main window: edits the setup, moves it to and from setup files and the
// instrument, and shows the attached instrument. Closing it ends the program unless an
// automation proxy holds on to it; then closing only hides it.
class CCalvaneDlg : public QDialog, public DevicePanel {
    Q_OBJECT

public:
    static constexpr int kPollPeriodMs = 1000;
    static constexpr int kPumpPeriodMs = 100;

    explicit CCalvaneDlg(QWidget* parent = nullptr);
    ~CCalvaneDlg() override;

    void setAutoProxy(QObject* proxy) { autoProxy_ = proxy; }
    QObject* autoProxy() const { return autoProxy_; }

    const SetupRecord& setup() const { return record; }
    const DeviceInfo& deviceInfo() const { return info; }
    const LinkState& linkState() const { return state; }

    // Lead grid.
    void SavePage();
    void RestorePage();
    void UpdateAllNone();
    void RebuildTabs();
    void LabelRows(int page);
    void ShowRows();
    void RebuildGrid() override;
    void ClearLeads() override;

    // Option groups.
    void SetOptionRadios(bool check);
    void ShowGoodLimit(bool moveSpin);
    void ShowPoorLimit(bool moveSpin);
    void ShowShutOffTime(bool moveSpin);

    // Device panel.
    void SetConnected(bool on) override;
    bool SelectModuleType(int code) override;
    void ShowSerialText() override;
    void ShowFirmwareText() override;

    // Setup files. The two with a path return false when the file cannot be opened; a failure
    // in the middle of writing throws FileError.
    void LoadFromFile();
    void SaveToFile();
    bool SaveSetupFile(const std::string& path);
    bool LoadSetupFile(const std::string& path);

    // The instrument.
    void LoadFromDevice();
    void SaveToDevice();
    void ConnectionSetup();

    // What the poll and pump timers run; tests call them directly.
    void pollTimerTick();
    void pumpTimerTick();

    void accept() override;
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    QLayout* buildLayout();
    QWidget* buildInstrumentGroup();
    QWidget* buildFileGroup();
    QLayout* buildBottomRow();
    void initialiseControls();
    void runStartUpWork();
    void storeCommPort(std::uint8_t port);
    ProgramSettings::MessageSink warningSink();
    void showAbout();
    // Closes as the automation proxy allows: hidden while it is set, ended otherwise.
    bool hideForProxy();

    void exchangeToMembers();
    void exchangeToControls();
    // The window after the record was replaced as a whole by a load.
    void ShowLoadedSetup();
    std::optional<std::string> chooseSetupFile(QFileDialog::AcceptMode mode);
    QString setupFileFolder() const;
    int runTransfer(std::uint8_t mode);

    ProgramSettings settings;
    SerialLink link;
    SetupRecord record;
    DeviceInfo info;
    LinkState state;
    IdentificationPoll poll;
    QTimer pollTimer;
    QTimer pumpTimer;
    QPointer<QObject> autoProxy_;
    bool firstShowDone = false;

    LeadGrid* grid = nullptr;
    OptionGroups* options = nullptr;
    DeviceInfoGroup* devicePanel = nullptr;
    QPushButton* deviceLoadButton = nullptr;
    QPushButton* deviceSaveButton = nullptr;
};
