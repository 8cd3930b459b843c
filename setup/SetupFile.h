#pragma once

#include "setup/KeyValueText.h"
#include "setup/SetupFields.h"
#include "setup/SetupRecord.h"

#include <string>
#include <vector>

// Setup files (*.prp): KEY=value lines, LEADNAMEn and LEADSKIPn alternating for leads 1 to 128,
// then the settings in the order of kSetupFields, each as its decimal number.
inline constexpr std::size_t kSetupFileLines = 2 * SetupRecord::kMaxLeads + kSetupFields.size();

// Writes record into path: a new file gets its kSetupFileLines in order; an existing one has its
// keys rewritten in place, its other lines kept and missing keys appended. Throws FileError when
// the file cannot be opened (nothing written) or the rewrite fails midway (the file left as it
// was).
void writeSetupFile(const SetupRecord& record, const std::string& path);
// Throws the FileError that writeSetupFile would meet at path, before anything is written. An
// existing file is written anew beside itself (beside the file a link points at), so its folder
// has to take a new file: when it does not, the error names that folder. For a new file, the
// error of a folder that is missing or takes no new file names the file.
void requireSetupFileWritable(const std::string& path);

// Reads the keys that path holds into record, as the window loads a setup file: missing keys
// leave their fields as they were and no range is checked. The file is only read, never
// created. Throws FileError when it cannot be opened, NotASetupFile when it holds no setup key
// (record unchanged either way).
void readSetupFile(SetupRecord& record, const std::string& path);

// A setup to write into an instrument, compare or show: what a setup file holds over the
// defaults, its codes brought into range.
struct SetupToWrite {
    SetupRecord setup;
    // "a.prp lacks 2 settings, whose defaults go in: GOODLIMIT (Good limit 10.0 kOhm), POORLIMIT
    // (Poor limit 15.0 kOhm)."; empty when the file holds every setting.
    std::string missingSettings;
};
// The setup to write that a setup file's content holds, the file named name in what is said.
// Throws NotASetupFile when the content holds no setup key.
SetupToWrite setupToWrite(const KeyValueText& content, const std::string& name);

// The keys and values writeSetupFile sets, in order.
std::vector<KeyValueText::Entry> setupEntries(const SetupRecord& record);
// The content of a new setup file holding record: its 263 lines, each ending in CR LF.
std::string newSetupFileText(const SetupRecord& record);
// What readSetupFile takes from a setup file's content; false when it holds no setup key.
bool readSetup(SetupRecord& record, const KeyValueText& content);
