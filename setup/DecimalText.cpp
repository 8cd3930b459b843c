#include "setup/DecimalText.h"

#include <cctype>
#include <limits>

DecimalStart decimalStart(std::string_view text) {
    DecimalStart start;
    std::size_t& at = start.digitsAt;
    while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at])))
        ++at;
    if (at < text.size() && (text[at] == '+' || text[at] == '-'))
        start.negative = text[at++] == '-';
    return start;
}

std::int32_t parseDecimal(std::string_view text) {
    constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
    constexpr std::int64_t kMin = std::numeric_limits<std::int32_t>::min();

    const auto [negative, digitsAt] = decimalStart(text);
    std::size_t at = digitsAt;

    // Accumulated as a magnitude that stops growing just past the 32-bit range, so any number of
    // digits saturates instead of overflowing.
    std::int64_t magnitude = 0;
    for (; at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])); ++at) {
        magnitude = magnitude * 10 + (text[at] - '0');
        if (magnitude > kMax + 1)
            magnitude = kMax + 1;
    }
    const std::int64_t number = negative ? -magnitude : magnitude;
    return static_cast<std::int32_t>(number > kMax ? kMax : number < kMin ? kMin : number);
}
