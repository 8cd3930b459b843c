#include "device/SerialNumber.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>

namespace {

TEST(SerialNumberTest, OnlyOneToEightDigitsAreASerialNumberToCountOnFrom) {
    const std::pair<const char*, std::optional<std::uint32_t>> cases[] = {
        {"0", 0},    {"00000042", 42},  {"99999999", 99'999'999},
        {"", {}},    {"123456789", {}}, {"ZQ000044", {}},
        {" 42", {}}, {"-42", {}},       {"4 2", {}},
    };
    for (const auto& [text, number] : cases)
        EXPECT_EQ(parseSerialNumber(text), number) << '"' << text << '"';
}

TEST(SerialNumberTest, TheNextNumberStopsAtEightDigits) {
    const std::pair<const char*, std::optional<std::string>> cases[] = {
        {"00000009", "00000010"},
        {"99999998", "99999999"},
        {"99999999", {}},
        {"2147483647", {}},
    };
    for (const auto& [current, next] : cases)
        EXPECT_EQ(nextSerialText(current), next) << current;
}

TEST(SerialNumberTest, TextsHoldEightDigits) {
    EXPECT_EQ(serialNumberText(42), "00000042");
    EXPECT_EQ(serialNumberText(kLastSerialNumber), "99999999");
    EXPECT_EQ(normalizedSerialText("123456789"), "12345678");
    EXPECT_STREQ(SerialNumbersRunOut("99999999").what(),
                 "The serial numbers have run out: 99999999 is the last one of 8 digits.");
}

} // namespace
