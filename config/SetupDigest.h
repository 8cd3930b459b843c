#pragma once

#include "setup/SetupRecord.h"

#include <string>

// The SHA-256 of the setup's canonical text, the content a new setup file holding it gets, as
// 64 lower-case hex digits: the name of a setup in the record of transfers. Lead names count
// without their trailing blanks, as the instrument pads them, so that a setup file and what an
// instrument reads back of it have one digest.
std::string setupDigest(const SetupRecord& record);
