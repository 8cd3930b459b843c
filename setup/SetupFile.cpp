#include "setup/SetupFile.h"

#include "setup/DecimalText.h"
#include "setup/KeyValueFile.h"

#include <map>
#include <string>
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

using KeyValues = std::map<std::string, std::string, std::less<>>;

const std::string* valueOf(const KeyValues& values, std::string_view key) {
    const auto found = values.find(key);
    return found == values.end() ? nullptr : &found->second;
}

void readCode(const KeyValues& values, std::string_view key, std::uint8_t& code) {
    if (const std::string* value = valueOf(values, key))
        code = static_cast<std::uint8_t>(parseDecimal(*value));
}

void readNumber(const KeyValues& values, std::string_view key, std::int32_t& number) {
    if (const std::string* value = valueOf(values, key))
        number = parseDecimal(*value);
}

} // namespace

void writeSetupFile(const SetupRecord& record, const std::string& path) {
    KeyValueFile file;
    if (!file.open(path, true))
        throw file.openFailure();

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

    file.setValues(entries);
}

void readSetupFile(SetupRecord& record, const std::string& path) {
    KeyValueFile file;
    if (!file.open(path, true))
        throw file.openFailure();

    // One pass over the file: files of the older program repeat their keys thousands of times.
    const KeyValues values = file.values();
    for (int lead = 1; lead <= SetupRecord::kMaxLeads; ++lead) {
        if (const std::string* name = valueOf(values, leadKey(kLeadName, lead)))
            record.leadName[lead] = *name;
        if (const std::string* skip = valueOf(values, leadKey(kLeadSkip, lead)))
            record.leadSkip[lead] = skip->starts_with('1');
    }
    readCode(values, kFrequency, record.frequency);
    readCode(values, kStartupMode, record.startupMode);
    readCode(values, kFailureResponse, record.failureResponse);
    readCode(values, kFailureLimit, record.failureLimit);
    readNumber(values, kGoodLimit, record.goodLimit);
    readNumber(values, kPoorLimit, record.poorLimit);
    readNumber(values, kShutOffTime, record.shutOffTime);
}
