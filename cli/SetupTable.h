#pragma once

#include "setup/SetupRecord.h"

#include <string>

// What show prints of a setup whose codes are in range: the options, then the leads that have
// a name or are skipped, and how many others there are.
std::string setupTable(const SetupRecord& record);
// The options and all 128 leads as a JSON object.
std::string setupJson(const SetupRecord& record);
