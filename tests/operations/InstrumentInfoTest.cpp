#include "operations/InstrumentInfo.h"

#include "device/SerialNumber.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>

namespace {

TEST(InstrumentInfoTest, TheSerialNumberAWriteChooses) {
    struct Case {
        std::string current;
        std::optional<std::string> chosen;
        bool next;
        std::string written;
    };
    const Case cases[] = {
        {"00000041", {}, false, "00000041"}, {"00000041", "00000007", false, "00000007"},
        {"00000041", {}, true, "00000042"},  {"99999998", {}, true, "99999999"},
        {"ZQ000044", {}, false, "ZQ000044"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(serialToWrite(c.current, c.chosen, c.next), c.written) << c.current;
}

TEST(InstrumentInfoTest, CountingOnIsRefusedPastEightDigitsAndFromWhatIsNoNumber) {
    const std::pair<std::string, std::string> cases[] = {
        {"99999999", "The serial numbers have run out: 99999999 is the last one of 8 digits."},
        {"ZQ000044", "The serial number ZQ000044 is not a number: no next one can be counted on "
                     "from it."},
    };
    for (const auto& [current, message] : cases) {
        try {
            serialToWrite(current, {}, true);
            ADD_FAILURE() << current << " counted on";
        } catch (const Failure& failure) {
            EXPECT_EQ(failure.what(), message);
        }
    }
    EXPECT_THROW(serialToWrite("99999999", {}, true), SerialNumbersRunOut);
}

} // namespace
