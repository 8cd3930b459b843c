#include "setup/LimitText.h"

#include "setup/DecimalText.h"

#include <algorithm>
#include <cctype>
#include <limits>
#include <string>

namespace {

// Only the first characters of an edit count, as many as the edit's number can hold.
constexpr std::size_t kReadLength = 9;

bool isDigitAt(std::string_view text, std::size_t at) {
    return at < text.size() && std::isdigit(static_cast<unsigned char>(text[at]));
}

// The exponent after "e" or "E", or 0 when what follows is no exponent and so not part of the
// number. Saturates far beyond any place a 32-bit result can reach.
int exponentAt(std::string_view text, std::size_t at) {
    if (at >= text.size() || (text[at] != 'e' && text[at] != 'E'))
        return 0;
    ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-'))
        negative = text[at++] == '-';
    constexpr int kSaturated = 1000;
    int exponent = 0;
    for (; isDigitAt(text, at); ++at)
        exponent = std::min(exponent * 10 + (text[at] - '0'), kSaturated);
    return negative ? -exponent : exponent;
}

} // namespace

std::int32_t tenthsOfDecimal(std::string_view text) {
    constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();

    std::size_t at = 0;
    while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at])))
        ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-'))
        negative = text[at++] == '-';

    // The mantissa's digits without the point, and how many of them stand before it.
    std::string digits;
    for (; isDigitAt(text, at); ++at)
        digits += text[at];
    const auto wholeDigits = static_cast<std::int64_t>(digits.size());
    if (at < text.size() && text[at] == '.')
        for (++at; isDigitAt(text, at); ++at)
            digits += text[at];
    if (digits.empty())
        return 0;

    // Tenths keep every digit up to the first place after the point, shifted by the exponent.
    const std::int64_t keptDigits = wholeDigits + exponentAt(text, at) + 1;
    std::int64_t magnitude = 0;
    for (std::int64_t place = 0; place < keptDigits && magnitude <= kMax; ++place) {
        const auto index = static_cast<std::size_t>(place);
        magnitude = magnitude * 10 + (index < digits.size() ? digits[index] - '0' : 0);
    }
    magnitude = std::min(magnitude, kMax);
    return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

std::int32_t limitFromText(std::string_view text) {
    return kLimitRange.allowed(tenthsOfDecimal(text.substr(0, kReadLength)));
}

std::int32_t shutOffTimeFromText(std::string_view text) {
    return kShutOffTimeRange.allowed(parseDecimal(text.substr(0, kReadLength)));
}
