#pragma once

#include "device/IdentificationPoll.h"

#include <QObject>
#include <functional>

class DeviceInfoGroup;
class InstrumentLink;
class LeadGrid;
class ProgramSettings;
class SetupDocument;

// The instrument attached to the window as the poll reports it: its serial number, module and
// firmware go into the document and the Device Information, the leads are cleared when another
// module connects, and the instrument's commands are enabled while it answers. The module list's
// choice and a changed catalogue make a module current through here as well.
class AttachedInstrument : public QObject {
    Q_OBJECT

public:
    // enableCommands turns the instrument's commands on or off.
    AttachedInstrument(QObject* parent, SetupDocument& document, DeviceInfoGroup& panel,
                       LeadGrid& grid, const InstrumentLink& link, const ProgramSettings& settings,
                       std::function<void(bool on)> enableCommands);

    void showPollOutcome(const IdentificationPoll::Outcome& outcome);
    // The instrument's commands on or off; off also makes no module current.
    void setConnected(bool on);
    // Makes a module type current, as choosing it in the list does; false when the catalogue
    // does not know the code (nothing changes then).
    bool selectModuleType(int code);
    // The catalogue was read again: a connected instrument's module is taken up again when none
    // is current or the current one has left the catalogue; a lead count changed in it holds for
    // the current module.
    void catalogueChanged();

private:
    // Shows the instrument's serial number and module as connecting does, clearing the leads
    // when another module was current.
    void takeInstrument(const DeviceIdentity& identity);

    SetupDocument& document;
    DeviceInfoGroup& panel;
    LeadGrid& grid;
    const InstrumentLink& link;
    const ProgramSettings& settings;
    std::function<void(bool on)> enableCommands;
};
