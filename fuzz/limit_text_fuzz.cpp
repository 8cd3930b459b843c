// Any text typed into the limit and shut-off edits commits an allowed value.
#include "fuzz/FuzzCheck.h"
#include "setup/LimitText.h"

#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    static_cast<void>(tenthsOfDecimal(text));
    const std::int32_t limit = limitFromText(text);
    fuzzCheck(limit >= kLimitRange.min && limit <= kLimitRange.max);
    const std::int32_t seconds = shutOffTimeFromText(text);
    fuzzCheck(seconds >= kShutOffTimeRange.min && seconds <= kShutOffTimeRange.max);
    fuzzCheck(seconds % kShutOffTimeRange.step == 0);
    return 0;
}
