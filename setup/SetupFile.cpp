#include "setup/SetupFile.h"

#include "setup/DecimalText.h"
#include "setup/FileError.h"
#include "setup/KeyValueFile.h"
#include "setup/NotASetupFile.h"

#include <cerrno>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

std::string leadKey(std::string_view stem, int lead) {
    return std::string(stem) + std::to_string(lead);
}

constexpr std::string_view kLeadName = "LEADNAME";
constexpr std::string_view kLeadSkip = "LEADSKIP";

// The settings a file lacks, whose defaults go in; empty when it holds them all.
std::string missingSettingsText(const std::string& name, const KeyValueText& content) {
    const SetupRecord defaults;
    std::string missing;
    int count = 0;
    for (const SetupField& field : kSetupFields) {
        if (content.getValue(field.key))
            continue;
        missing += std::string(count++ == 0 ? "" : ", ") + std::string(field.key) + " (" +
                   std::string(field.label) + " " + field.valueText(defaults) +
                   std::string(field.unit) + ")";
    }
    if (count == 0)
        return {};
    return name + " lacks " + std::to_string(count) +
           (count == 1 ? " setting, whose default goes in: "
                       : " settings, whose defaults go in: ") +
           missing + ".";
}

} // namespace

void requireSetupFileWritable(const std::string& path) {
    const auto requireNewFiles = [](const std::filesystem::path& folder, const std::string& named) {
        if (::access(folder.empty() ? "." : folder.c_str(), W_OK | X_OK) != 0)
            throw FileError::fromErrno(errno, named);
    };
    std::error_code error;
    if (!std::filesystem::exists(path, error)) {
        requireNewFiles(std::filesystem::path(path).parent_path(), path);
        return;
    }
    KeyValueFile().open(path, false);
    const std::filesystem::path target = std::filesystem::canonical(path, error);
    const std::filesystem::path folder =
        (error ? std::filesystem::path(path) : target).parent_path();
    requireNewFiles(folder, folder.empty() ? "." : folder.string());
}

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

bool readSetup(SetupRecord& record, const KeyValueText& content) {
    bool found = false;
    for (int lead = 1; lead <= SetupRecord::kMaxLeads; ++lead) {
        if (const auto name = content.getValue(leadKey(kLeadName, lead))) {
            record.leadName[lead] = *name;
            found = true;
        }
        if (const auto skip = content.getValue(leadKey(kLeadSkip, lead))) {
            record.leadSkip[lead] = skip->starts_with('1');
            found = true;
        }
    }
    for (const SetupField& field : kSetupFields) {
        if (const auto value = content.getValue(field.key)) {
            field.store(record, parseDecimal(*value));
            found = true;
        }
    }
    return found;
}

void writeSetupFile(const SetupRecord& record, const std::string& path) {
    KeyValueFile file;
    file.open(path, true);
    file.setValues(setupEntries(record));
}

void readSetupFile(SetupRecord& record, const std::string& path) {
    if (!readSetup(record, readKeyValueFile(path)))
        throw NotASetupFile(path);
}

SetupToWrite setupToWrite(const KeyValueText& content, const std::string& name) {
    SetupToWrite toWrite;
    if (!readSetup(toWrite.setup, content))
        throw NotASetupFile(name);
    toWrite.setup.normalizeCodes();
    toWrite.missingSettings = missingSettingsText(name, content);
    return toWrite;
}
