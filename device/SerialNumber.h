#pragma once

#include "setup/Failure.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Serial numbers are at most this many characters in the window and on the wire.
inline constexpr std::size_t kSerialTextWidth = 8;

// The last number a series counts to: past it, an instrument would keep only the first eight
// digits.
inline constexpr std::uint32_t kLastSerialNumber = 99'999'999;

// The number text stands for when it is a serial number a series can count on from: 1 to 8
// decimal digits and nothing else. None otherwise.
std::optional<std::uint32_t> parseSerialNumber(std::string_view text);

// "%08u": the eight digits an instrument holds of number.
std::string serialNumberText(std::uint32_t number);

// The serial number as the Serial Number edit commits it: "%08d" of the decimal number in its
// first eight characters.
std::string normalizedSerialText(std::string_view typed);

// "S/N +1": "%08d" of the number the whole text starts with, plus one; none past
// kLastSerialNumber.
std::optional<std::string> nextSerialText(std::string_view current);

// A series that would pass kLastSerialNumber after last: refused, never written cut short.
class SerialNumbersRunOut : public Failure {
public:
    // "%1" stands for the last serial number; the window shows the text through its
    // translation.
    static constexpr const char* kTextPattern =
        "The serial numbers have run out: %1 is the last one of 8 digits.";

    explicit SerialNumbersRunOut(std::string_view last);
};
