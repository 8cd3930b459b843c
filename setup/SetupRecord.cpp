#include "setup/SetupRecord.h"

#include <cstdio>

void SetupRecord::resetToDefaults() {
    *this = SetupRecord{};
}

void SetupRecord::clearLeads() {
    leadName.fill({});
    leadSkip.fill(false);
}

void SetupRecord::normalizeCodes() {
    if (frequency < 1 || frequency > 3)
        frequency = 1;
    if (startupMode > 3)
        startupMode = 1;
    if (failureResponse < 1 || failureResponse > 2)
        failureResponse = 1;
    if (failureLimit < 1 || failureLimit > 2)
        failureLimit = 1;
}

std::string limitDisplayText(std::int32_t tenths) {
    // The sign goes in front of the whole number: -5 is "-0.5", never "0.-5".
    const std::int64_t magnitude = tenths < 0 ? -std::int64_t{tenths} : tenths;
    std::array<char, 32> text{};
    std::snprintf(text.data(), text.size(), "%s%lld.%lld", tenths < 0 ? "-" : "",
                  static_cast<long long>(magnitude / 10), static_cast<long long>(magnitude % 10));
    return text.data();
}

std::string shutOffDisplayText(std::int32_t seconds) {
    return std::to_string(seconds);
}
