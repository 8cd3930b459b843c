#pragma once

#include <string>

// What to do about a device this user may not open for reading and writing: join the system's
// serial group when the device belongs to it, otherwise who owns it and who decides. Empty when
// the device is missing or this user may open it. One line, for a window's detail and a terminal.
std::string portAccessHint(const std::string& devicePath);
