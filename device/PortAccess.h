#pragma once

#include <optional>
#include <string>

// The group this user would have to join to open a serial device it may not open now; none when
// the device is missing or this user may open it.
std::optional<std::string> groupToJoinFor(const std::string& devicePath);
