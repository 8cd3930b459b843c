#pragma once

#include "config/ModuleCatalogue.h"
#include "setup/SetupRecord.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The instrument a setup was read from or is written into.
struct SheetInstrument {
    std::string serialText;
    std::string firmwareText;
};

// The page of the service record that says which setup went into an instrument: the setup, its
// file, when the sheet was made, the instrument and its module, and the digest by which the
// record of transfers names the setup.
struct SetupSheet {
    // The setup file that holds the setup, without its folder; empty when none does.
    std::string fileName;
    // The setup was changed after it was last loaded or saved: nothing is known to hold it.
    bool unsavedChanges = false;
    std::string madeAt; // as the record of transfers writes a time
    std::optional<SheetInstrument> instrument;
    std::optional<ModuleCatalogue::Module> module; // none when no module is known
    SetupRecord setup;
    std::string digest;
};

// A setting as the window shows it: "Good Limit", "5.0", "K Ohms".
struct SheetSetting {
    std::string_view label;
    std::string value;
    std::string_view unit;
};

// The sheet of setup as it is now, kept in filePath ("" or "-" for none); the caller adds the
// instrument and the module when it knows them.
SetupSheet setupSheetOf(const SetupRecord& setup, std::string_view filePath);

// The sheet of a setup changed after it was last loaded or saved, which no file holds.
SetupSheet unsavedSetupSheetOf(const SetupRecord& setup);

// A lead name as an instrument takes it: the characters it keeps, and how many after them it
// drops.
struct SheetLeadName {
    std::string_view kept;
    std::size_t dropped;
};
SheetLeadName sheetLeadName(std::string_view name);

// The settings in the order show lists them.
std::vector<SheetSetting> sheetSettings(const SetupRecord& setup);

// The leads of the sheet's table: the module's, or every lead that is named or skipped when no
// module is known.
std::vector<int> sheetLeads(const SetupSheet& sheet);
