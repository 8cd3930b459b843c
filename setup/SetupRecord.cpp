#include "setup/SetupRecord.h"

#include "setup/SetupFields.h"

#include <cstdio>

SetupRecord::SetupRecord() {
    for (const SetupField& field : kSetupFields)
        field.store(*this, field.defaultValue);
}

void SetupRecord::resetToDefaults() {
    *this = SetupRecord{};
}

void SetupRecord::clearLeads() {
    leadName.fill({});
    leadSkip.fill(false);
}

void SetupRecord::normalizeCodes() {
    for (const SetupField& field : kSetupFields)
        if (!field.choices.empty())
            field.store(*this, field.choice(field.valueIn(*this)).code);
}

bool SetupRecord::leadNamedOrSkipped(int lead) const {
    return leadName[lead].find_first_not_of(' ') != std::string::npos || leadSkip[lead];
}

std::string_view unpaddedLeadName(std::string_view name) {
    return name.substr(0, name.find_last_not_of(' ') + 1);
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
