#pragma once

#include "setup/SetupRecord.h"

#include <string>

// The setup of an existing setup file, its codes brought into range as the window shows
// them; "-" is standard input. Throws FileError when the file is missing or cannot be read;
// unlike the window's reader, never creates it.
SetupRecord readExistingSetupFile(const std::string& path);
