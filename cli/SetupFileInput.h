#pragma once

#include "setup/SetupRecord.h"

#include <string>

// The setup of an existing setup file, its codes brought into range as the window shows
// them; "-" is standard input. The file is only read, never created. Throws FileError when it
// is missing or cannot be read.
SetupRecord readExistingSetupFile(const std::string& path);

// The same for a setup to be written into an instrument or compared: a file in which no setup
// key is found is no setup file (writing it would blank every lead), so it throws Failure.
SetupRecord readSetupFileHoldingSetup(const std::string& path);
