#pragma once

#include "setup/SetupRecord.h"

#include <string>

// The setup of an existing setup file, its codes brought into range as the window shows
// them; "-" is standard input. The file is only read, never created. Throws FileError when it
// is missing or cannot be read.
SetupRecord readExistingSetupFile(const std::string& path);

// A setup about to go into an instrument. A setting the file does not hold goes in with its
// default, which the writer says.
struct SetupToWrite {
    SetupRecord setup;
    // "a.prp lacks 2 settings, whose defaults go in: GOODLIMIT (Good limit 10.0 kOhm), POORLIMIT
    // (Poor limit 15.0 kOhm)."; empty when the file holds every setting.
    std::string missingSettings;
};

// The same for a setup about to go into an instrument: a file in which no setup key is found is
// no setup file, and writing it would blank every lead, so it throws Failure.
SetupToWrite readSetupFileToWrite(const std::string& path);

// The same for a setup to be compared, which must hold a setup key as well.
SetupRecord readSetupFileHoldingSetup(const std::string& path);
