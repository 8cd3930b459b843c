#pragma once

#include "device/DeviceInfo.h"
#include "setup/SetupRecord.h"

#include <QObject>
#include <string>

// The setup the window edits, apart from the widgets that show it: the record, the copy it was
// last loaded or saved as, the setup file it came from or went to, and the instrument it is
// written into. The edit widgets write the fields they show as they are edited; whatever
// replaces the setup as a whole (a load from a file or the instrument) goes through load(), and
// the views refresh on replaced().
class SetupDocument : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

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

    // The setup is loaded: from fileName, or from the instrument when fileName is empty.
    void load(const SetupRecord& loaded, std::string loadedFrom);
    // The setup went into fileName, or into the instrument when savedTo is empty (the file it
    // came from stays).
    void saved(std::string savedTo = {});
    void markUnchanged() { unchangedRecord = record; }
    bool changed() const { return record != unchangedRecord; }

signals:
    // The record was replaced as a whole: every view shows it anew.
    void replaced();
};
