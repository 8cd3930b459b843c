#pragma once

#include "operations/SetupComparison.h"

#include <string>
#include <string_view>
#include <vector>

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
