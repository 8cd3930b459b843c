#pragma once

#include "operations/SetupComparison.h"
#include "setup/SetupRecord.h"

#include <string>
#include <string_view>
#include <vector>

// What the commands on setup files share with the instrument commands: reading a setup file,
// and the differences diff prints.

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

// What diff prints of the differences it found.

// One line each, after indent: the field and both values in quotes, so that trailing blanks
// show ("Lead 5 name: "Arm     " in ward4.prp, "Leg     " in the instrument"), as a terminal
// may print them.
std::string differenceLines(const std::vector<SetupDifference>& differences,
                            std::string_view expectedPlace, std::string_view foundPlace,
                            std::string_view indent = {});

// Each difference as a JSON object on one line, of the field and both values, these named as
// given: {"field": "Lead 5 name", "file": "Arm     ", "instrument": "Leg     "}.
std::vector<std::string> differencesJson(const std::vector<SetupDifference>& differences,
                                         std::string_view expectedName, std::string_view foundName);

// Where a file's value comes from in a difference's line: "in ward4.prp", "in standard input"
// for "-".
std::string inFile(const std::string& file);
