#include "setup/SetupFile.h"

#include "setup/DecimalText.h"
#include "setup/KeyValueFile.h"

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

void readCode(const KeyValueText& content, std::string_view key, std::uint8_t& code) {
    if (const auto value = content.getValue(key))
        code = static_cast<std::uint8_t>(parseDecimal(*value));
}

void readNumber(const KeyValueText& content, std::string_view key, std::int32_t& number) {
    if (const auto value = content.getValue(key))
        number = parseDecimal(*value);
}

void openSetupFile(KeyValueFile& file, const std::string& path) {
    if (!file.open(path, true))
        throw file.openFailure();
}

} // namespace

std::vector<KeyValueText::Entry> setupEntries(const SetupRecord& record) {
    std::vector<KeyValueText::Entry> entries;
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
    return entries;
}

std::string newSetupFileText(const SetupRecord& record) {
    KeyValueText content;
    content.setValues(setupEntries(record));
    return content.text();
}

void readSetup(SetupRecord& record, const KeyValueText& content) {
    for (int lead = 1; lead <= SetupRecord::kMaxLeads; ++lead) {
        if (const auto name = content.getValue(leadKey(kLeadName, lead)))
            record.leadName[lead] = *name;
        if (const auto skip = content.getValue(leadKey(kLeadSkip, lead)))
            record.leadSkip[lead] = skip->starts_with('1');
    }
    readCode(content, kFrequency, record.frequency);
    readCode(content, kStartupMode, record.startupMode);
    readCode(content, kFailureResponse, record.failureResponse);
    readCode(content, kFailureLimit, record.failureLimit);
    readNumber(content, kGoodLimit, record.goodLimit);
    readNumber(content, kPoorLimit, record.poorLimit);
    readNumber(content, kShutOffTime, record.shutOffTime);
}

void writeSetupFile(const SetupRecord& record, const std::string& path) {
    KeyValueFile file;
    openSetupFile(file, path);
    file.setValues(setupEntries(record));
}

void readSetupFile(SetupRecord& record, const std::string& path) {
    readSetup(record, readKeyValueFile(path));
}
