#include "device/SerialNumber.h"

#include "setup/DecimalText.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace {

std::string numberText(long long number) {
    std::array<char, 32> text{};
    std::snprintf(text.data(), text.size(), "%08lld", number);
    return text.data();
}

} // namespace

std::optional<std::uint32_t> parseSerialNumber(std::string_view text) {
    if (text.empty() || text.size() > kSerialTextWidth ||
        !std::ranges::all_of(text, [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    return static_cast<std::uint32_t>(parseDecimal(text));
}

std::string serialNumberText(std::uint32_t number) {
    return numberText(number);
}

std::string normalizedSerialText(std::string_view typed) {
    return numberText(parseDecimal(typed.substr(0, kSerialTextWidth)));
}

std::optional<std::string> nextSerialText(std::string_view current) {
    const long long next = parseDecimal(current) + 1LL;
    if (next > kLastSerialNumber)
        return std::nullopt;
    return numberText(next);
}

SerialNumbersRunOut::SerialNumbersRunOut(std::string_view last)
    : Failure(filledPattern(kTextPattern, last)) {}
