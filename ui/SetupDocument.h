#pragma once

#include "device/DeviceInfo.h"
#include "setup/SetupRecord.h"

#include <string>

// The setup the window edits, apart from the widgets that show it: the record, the copy it was
// last loaded or saved as, the setup file it came from or went to, and the instrument it is
// written into.
struct SetupDocument {
    SetupRecord record;
    // As last loaded or saved; closing or loading asks before edits made after it are dropped.
    SetupRecord unchangedRecord;
    // The setup file last loaded or saved; empty for none.
    std::string fileName;
    // The instrument as the Device Information shows it; a save writes it.
    DeviceInfo info;
    // The serial number the instrument last reported or a save wrote into it, whatever the Serial
    // Number edit shows.
    std::string instrumentSerial;

    void markUnchanged() { unchangedRecord = record; }
    bool changed() const { return record != unchangedRecord; }
};
