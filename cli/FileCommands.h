#pragma once

#include "operations/SetupComparison.h"
#include "setup/SetupFile.h"

#include <string>
#include <string_view>
#include <vector>

// What the commands on setup files share with the instrument commands: reading a setup file,
// and the differences diff prints.

// The setup that a setup file to write, compare or show holds over the defaults; "-" is
// standard input. The file is only read, never created. Throws FileError when it is missing or
// cannot be read, NotASetupFile when it holds no setup key.
SetupToWrite readSetupFileToWrite(const std::string& path);

// What diff prints of the differences it found.

// Each difference as a JSON object on one line, of the field and both values, these named as
// given: {"field": "Lead 5 name", "file": "Arm     ", "instrument": "Leg     "}.
std::vector<std::string> differencesJson(const std::vector<SetupDifference>& differences,
                                         std::string_view expectedName, std::string_view foundName);

// What diff prints of the differences it found: one line each, after indent, the field and both
// values in quotes, so that trailing blanks show, the values in the terminal's encoding
// ("Lead 5 name: "Arm     " in ward4.prp, "Leg     " in the instrument").
std::string differenceLines(const std::vector<SetupDifference>& differences,
                            std::string_view expectedPlace, std::string_view foundPlace,
                            std::string_view indent = {});

// Where a file's value comes from in a difference's line: "in ward4.prp", "in standard input"
// for "-".
std::string inFile(const std::string& file);
