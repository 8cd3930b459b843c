#include "ui/AttachedInstrument.h"

#include "config/ModuleCatalogue.h"
#include "config/ProgramSettings.h"
#include "ui/DeviceInfoGroup.h"
#include "ui/InstrumentLink.h"
#include "ui/LeadGrid.h"
#include "ui/SetupDocument.h"

AttachedInstrument::AttachedInstrument(QObject* parent, SetupDocument& document,
                                       DeviceInfoGroup& panel, LeadGrid& grid,
                                       const InstrumentLink& link, const ProgramSettings& settings,
                                       std::function<void(bool on)> enableCommands)
    : QObject(parent)
    , document(document)
    , panel(panel)
    , grid(grid)
    , link(link)
    , settings(settings)
    , enableCommands(std::move(enableCommands)) {}

void AttachedInstrument::showPollOutcome(const IdentificationPoll::Outcome& outcome) {
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
        const bool another = panel.isAnotherInstrument(identity.serialText);
        document.instrumentSerial = identity.serialText;
        if (another)
            takeInstrument(identity);
        else
            panel.setFirmwareText(identity.firmwareText());
        break;
    }
    case IdentificationPoll::Event::InstrumentLost:
        setConnected(false);
        panel.showNotConnected();
        break;
    case IdentificationPoll::Event::None:
        break;
    }
}

void AttachedInstrument::takeInstrument(const DeviceIdentity& identity) {
    // Leads are cleared only when they belong to another module, not when no module was
    // current.
    if (document.info.moduleType != 0 && identity.moduleType != document.info.moduleType) {
        document.record.clearLeads();
        grid.restorePage();
    }
    // A module type the catalogue does not know is none: nothing is written that the instrument
    // did not report or the technician did not choose from the catalogue.
    panel.showInstrument(identity, ModuleCatalogue(settings.dataFolder())
                                       .lookup(identity.moduleType)
                                       .value_or(ModuleCatalogue::Module{0, 0, {}}));
    grid.rebuildGrid();
}

void AttachedInstrument::setConnected(bool on) {
    enableCommands(on);
    if (on)
        return;
    selectModuleType(0);
    panel.setFirmwareText({});
}

bool AttachedInstrument::selectModuleType(int code) {
    std::optional<ModuleCatalogue::Module> module;
    if (code != 0) {
        module = ModuleCatalogue(settings.dataFolder()).lookup(code);
        if (!module)
            return false;
    }
    panel.setModule(module);
    grid.rebuildGrid();
    return true;
}

void AttachedInstrument::catalogueChanged() {
    const ModuleCatalogue catalogue(settings.dataFolder());
    const DeviceInfo& info = document.info;
    const std::optional<ModuleCatalogue::Module> current = catalogue.lookup(info.moduleType);
    // A connected instrument's module is taken up again when none is current, or the current one
    // has left the catalogue: as on connecting, none when the catalogue does not know it.
    if (const std::optional<DeviceIdentity>& reported = link.reportedIdentity();
        reported && !current) {
        if (!selectModuleType(reported->moduleType))
            selectModuleType(0);
        return;
    }
    // A lead count changed in the catalogue holds for the current module from now on.
    if (current && current->leadCount != info.leadCount)
        selectModuleType(current->code);
}

#include "moc_AttachedInstrument.cpp"
