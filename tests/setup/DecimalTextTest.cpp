#include "setup/DecimalText.h"

#include <gtest/gtest.h>
#include <limits>

namespace {

constexpr auto kMax = std::numeric_limits<std::int32_t>::max();
constexpr auto kMin = std::numeric_limits<std::int32_t>::min();

struct DecimalCase {
    std::string_view text;
    std::int32_t number;
};

TEST(ParseDecimal, ReadsLikeADecimalConversion) {
    const DecimalCase cases[] = {
        {"", 0},
        {"abc", 0},
        {"42", 42},
        {" \t42", 42},
        {"-7x", -7},
        {"+5", 5},
        {"12abc", 12},
        {"3\r", 3},
        {"- 5", 0},
        {"0x10", 0},
        {"007", 7},
        {"2147483647", kMax},
        {"2147483648", kMax},
        {"99999999999999999999999", kMax},
        {"-2147483648", kMin},
        {"-2147483649", kMin},
        {"-99999999999999999999999", kMin},
    };
    for (const auto& [text, number] : cases)
        EXPECT_EQ(parseDecimal(text), number) << '"' << text << '"';
}

} // namespace
