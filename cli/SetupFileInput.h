#pragma once

#include "setup/SetupRecord.h"

#include <string>

// The setup of an existing setup file, its codes brought into range as the window shows
// them; "-" is standard input. The file is only read, never created. Throws FileError when it
// is missing or cannot be read.
SetupRecord readExistingSetupFile(const std::string& path);

// The same for a setup about to go into an instrument: a file in which no setup key is found is
// no setup file, and writing it would blank every lead, so it throws CommandFailure.
SetupRecord readSetupFileToWrite(const std::string& path);
