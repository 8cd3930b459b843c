#include "device/SerialNumberText.h"

#include "device/DeviceInfo.h"
#include "setup/DecimalText.h"

#include <array>
#include <cstdio>

namespace {

std::string serialNumberText(long long number) {
    std::array<char, 32> text{};
    std::snprintf(text.data(), text.size(), "%08lld", number);
    return text.data();
}

} // namespace

std::string normalizedSerialText(std::string_view typed) {
    return serialNumberText(parseDecimal(typed.substr(0, kSerialTextWidth)));
}

std::optional<std::string> nextSerialText(std::string_view current) {
    constexpr long long kLargest = 99'999'999;
    const long long next = parseDecimal(current) + 1LL;
    if (next > kLargest)
        return std::nullopt;
    return serialNumberText(next);
}
