#pragma once

#include "config/ProgramSettings.h"
#include "device/DeviceInfo.h"
#include "device/InstrumentSession.h"
#include "operations/OperationRunner.h"
#include "setup/SetupRecord.h"
#include "ui/CommPortDialog.h"
#include "ui/InstrumentLink.h"
#include "ui/SessionDriver.h"
#include "ui/SetupDocument.h"

#include <QDialog>
#include <QPointer>
#include <optional>
#include <string>

class AttachedInstrument;
class DeviceInfoGroup;
class PortError;
class InstrumentCommands;
enum class EditsDroppedBy;
class LeadGrid;
class OptionGroups;
class QPushButton;
class SetupSheetActions;

// The program's one main window: edits the setup, moves it to and from setup files and the
// instrument, and shows the attached instrument. Closing it ends the program unless an outside
// client (the automation proxy) holds the program; then closing only hides it.
class MainWindow : public QDialog {
    Q_OBJECT

public:
    // listPorts finds the serial ports the port dialog offers, the machine's own by default;
    // clock is the instrument session's, the steady clock by default; trace takes the frames on
    // the instrument's line.
    explicit MainWindow(QWidget* parent = nullptr, CommPortDialog::PortLister listPorts = {},
                        SessionDriver::Clock clock = {}, FrameTrace trace = {});
    ~MainWindow() override;

    const SetupRecord& setup() const { return document.record; }
    const DeviceInfo& deviceInfo() const { return document.info; }
    const SetupDocument& setupDocument() const { return document; }
    const InstrumentSession& instrumentSession() const { return link->line().session(); }
    const SessionPort& instrumentPort() const { return link->line().port(); }
    const ProgramSettings& programSettings() const { return settings; }
    // The setup file the setup was last loaded from or saved to; empty when it has none.
    const std::string& setupFilePath() const { return document.fileName; }
    // What drives the instrument session; tests move its clock on and wake it.
    SessionDriver& instrumentDriver() { return link->driver(); }

    // What the window's edits hold, taken into the setup and the device information.
    void commitEdits();
    // The edit with the focus takes what was typed, as it does when it loses the focus.
    void commitFocusedEdit();
    // The setup as it is now is the one last loaded or saved, from or to a setup file or the
    // instrument; closing asks before it drops edits made after this.
    void markSetupUnchanged();
    // Whether the setup, with what the edits hold, differs from the one last loaded or saved.
    bool setupChanged();
    // The setup file commands without their file dialogs. Throw FileError when the file cannot
    // be opened or fails midway; a load throws NotASetupFile for a file without a setup key.
    void loadSetupFile(const std::string& path);
    // Loads a setup file as the Load From command does once its file is chosen: a file that
    // cannot be read or holds no setup key is reported in a warning, and the setup and its
    // file name stay as they were.
    void openSetupFile(const std::string& path);
    void saveSetupFile(const std::string& path);
    // Makes a module type current, as choosing it in the list does; false when the catalogue
    // does not know the code (nothing changes then).
    bool selectModuleType(int code);

    void accept() override;
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    QLayout* buildLayout();
    QWidget* buildInstrumentGroup();
    QWidget* buildFileGroup();
    QLayout* buildBottomRow();
    void runStartUpWork();
    // The module list as the catalogue has it now, or the notice that there is none.
    void showModuleCatalogue();
    // The example catalogue that came with the program; none when it is not there.
    static std::optional<std::string> exampleCatalogue();
    void copyExampleCatalogue();
    void showAbout();
    // While an outside client holds the program (the application then does not quit when its
    // last window closes), closing only hides the window; true when it did.
    bool hideWhileHeld();
    // True when closing or a load may replace the setup: it is unchanged, or the user lets the
    // edits go.
    bool mayDropSetup(EditsDroppedBy droppedBy);

    // Runs work that opens the instrument's port or stores the choice of one, and shows what
    // stopped it: a port that would not open, or zenset.sys that could not store the choice.
    void reportPortFailure(const std::function<void()>& portWork);
    void showPortFailure(const PortError& error);
    // Shows the document's setup anew in every view.
    void showRecord();

    void loadFromFile();
    void saveToFile();
    void reportFileError(const std::function<void()>& fileWork);
    QString setupFileFolder() const;

    void setVerifiesSaves(bool on);
    void showHistory();
    void runPortDialog(bool firstRun);

    CommPortDialog::PortLister listPorts;
    ProgramSettings settings;
    SetupDocument document;
    InstrumentLink* link;
    InstrumentCommands* instrumentCommands = nullptr;
    AttachedInstrument* attached = nullptr;
    bool firstShowDone = false;

    LeadGrid* grid = nullptr;
    OptionGroups* options = nullptr;
    DeviceInfoGroup* devicePanel = nullptr;
    QPushButton* deviceLoadButton = nullptr;
    QPushButton* deviceSaveButton = nullptr;
    QAction* compareAction = nullptr;
    SetupSheetActions* sheetActions = nullptr;
};
