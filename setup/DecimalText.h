#pragma once

#include <cstdint>
#include <string_view>

// Reads text the way a decimal-to-integer conversion does: leading blanks skipped, an optional
// sign, digits up to the first other character, 0 when there are none. Saturates at the limits
// of a 32-bit integer.
std::int32_t parseDecimal(std::string_view text);

// Where the digits of a decimal number begin: after leading blanks and an optional sign.
struct DecimalStart {
    bool negative = false;
    std::size_t digitsAt = 0;
};
DecimalStart decimalStart(std::string_view text);
