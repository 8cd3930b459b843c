#include "SetupFile.h"

#include "DecimalText.h"
#include "KeyValueFile.h"

#include <vector>

namespace {

std::string leadKey(std::string_view stem, int lead) {
    return std::string(stem) + std::to_string(lead);
}

constexpr std::string_view kLeadName = "LEADNAME";
constexpr std::string_view kLeadSkip = "LEADSKIP";
constexpr std::string_view kFrequency = "FREQUENCY";
constexpr std::string_view kStartupMode = "STARTUPMODE";
constexpr std::string_view kFailureResponse = "FAILURERESPONSE";
constexpr std::string_view kFailureLimit = "FAILURELIMIT";
constexpr std::string_view kGoodLimit = "GOODLIMIT";
constexpr std::string_view kPoorLimit = "POORLIMIT";
constexpr std::string_view kShutOffTime = "SHUTOFFTIME";

void readCode(KeyValueFile& file, std::string_view key, std::uint8_t& code) {
    std::string value;
    if (file.GetValue(key, value))
        code = static_cast<std::uint8_t>(parseDecimal(value));
}

void readNumber(KeyValueFile& file, std::string_view key, std::int32_t& number) {
    std::string value;
    if (file.GetValue(key, value))
        number = parseDecimal(value);
}

} // namespace

bool writeSetupFile(const SetupRecord& record, const std::string& path) {
    KeyValueFile file;
    if (!file.Open(path, true))
        return false;

    std::vector<KeyValueFile::Entry> entries;
    entries.reserve(2 * SetupRecord::kMaxLeads + 7);
    for (int lead = 1; lead <= SetupRecord::kMaxLeads; ++lead) {
        entries.emplace_back(leadKey(kLeadName, lead), record.leadName[lead]);
        entries.emplace_back(leadKey(kLeadSkip, lead), record.leadSkip[lead] ? "1" : "0");
    }
    const auto number = [&](std::string_view key, std::int32_t value) {
        entries.emplace_back(std::string(key), std::to_string(value));
    };
    number(kFrequency, record.frequency);
    number(kStartupMode, record.startupMode);
    number(kFailureResponse, record.failureResponse);
    number(kFailureLimit, record.failureLimit);
    number(kGoodLimit, record.goodLimit);
    number(kPoorLimit, record.poorLimit);
    number(kShutOffTime, record.shutOffTime);

    file.SetValues(entries);
    return true;
}

bool readSetupFile(SetupRecord& record, const std::string& path) {
    KeyValueFile file;
    if (!file.Open(path, true))
        return false;

    std::string value;
    for (int lead = 1; lead <= SetupRecord::kMaxLeads; ++lead) {
        file.GetValue(leadKey(kLeadName, lead), record.leadName[lead]);
        if (file.GetValue(leadKey(kLeadSkip, lead), value))
            record.leadSkip[lead] = value.starts_with('1');
    }
    readCode(file, kFrequency, record.frequency);
    readCode(file, kStartupMode, record.startupMode);
    readCode(file, kFailureResponse, record.failureResponse);
    readCode(file, kFailureLimit, record.failureLimit);
    readNumber(file, kGoodLimit, record.goodLimit);
    readNumber(file, kPoorLimit, record.poorLimit);
    readNumber(file, kShutOffTime, record.shutOffTime);
    return true;
}
