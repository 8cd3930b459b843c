#pragma once

#include <optional>
#include <string>
#include <string_view>

// The serial number as the Serial Number edit commits it: "%08d" of the decimal number in its
// first eight characters.
std::string normalizedSerialText(std::string_view typed);

// "S/N +1": "%08d" of the number the whole text starts with, plus one; none when that needs
// more digits than an instrument holds, since it would keep only the first eight.
std::optional<std::string> nextSerialText(std::string_view current);
