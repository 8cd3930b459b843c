#pragma once

#include "setup/SetupFields.h"

#include <cstdint>
#include <string_view>

// What the limit and shut-off edits commit when they lose the focus: the text is read the way the
// user typed it and replaced by the nearest allowed value, never refused.

// Tenths of the decimal number at the start of the text (blanks, sign, digits, fraction and
// exponent as a C decimal conversion reads them), cut toward zero; 0 when there is no number.
// Exact for every text, so 0.3 is 3 tenths and never 2.
std::int32_t tenthsOfDecimal(std::string_view text);

// A limit edit's text in tenths of a kilohm, within kLimitRange.
std::int32_t limitFromText(std::string_view text);

// The shut-off edit's text in seconds, within kShutOffTimeRange.
std::int32_t shutOffTimeFromText(std::string_view text);
