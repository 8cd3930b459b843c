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

} // namespace

std::vector<KeyValueText::Entry> setupEntries(const SetupRecord& record) {
    std::vector<KeyValueText::Entry> entries;
    entries.reserve(kSetupFileLines);
    for (int lead = 1; lead <= SetupRecord::kMaxLeads; ++lead) {
        entries.emplace_back(leadKey(kLeadName, lead), record.leadName[lead]);
        entries.emplace_back(leadKey(kLeadSkip, lead), record.leadSkip[lead] ? "1" : "0");
    }
    for (const SetupField& field : kSetupFields)
        entries.emplace_back(std::string(field.key), std::to_string(field.valueIn(record)));
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
    for (const SetupField& field : kSetupFields)
        if (const auto value = content.getValue(field.key))
            field.store(record, parseDecimal(*value));
}

void writeSetupFile(const SetupRecord& record, const std::string& path) {
    KeyValueFile file;
    file.open(path, true);
    file.setValues(setupEntries(record));
}

void readSetupFile(SetupRecord& record, const std::string& path) {
    readSetup(record, readKeyValueFile(path));
}
