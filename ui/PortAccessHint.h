#pragma once

#include <string>

// How to gain access to a serial device this user may not open: the group that owns it and the
// command that joins it. Empty when the device is missing or this user may open it.
std::string portAccessHint(const std::string& devicePath);
