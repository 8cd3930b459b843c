#include "cli/SetupFileInput.h"

#include "cli/TextColumns.h"
#include "setup/Failure.h"
#include "setup/KeyValueFile.h"
#include "setup/SetupFields.h"
#include "setup/SetupFile.h"

#include <algorithm>
#include <iostream>
#include <iterator>

namespace {

bool holdsSetupKey(const KeyValueText& content) {
    return std::ranges::any_of(setupEntries(SetupRecord{}), [&content](const auto& entry) {
        return content.getValue(entry.first).has_value();
    });
}

KeyValueText contentOf(const std::string& path) {
    if (path == "-")
        return KeyValueText(std::string{std::istreambuf_iterator<char>(std::cin), {}});
    return readKeyValueFile(path);
}

std::string missingSettingsText(const std::string& path, const KeyValueText& content) {
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
    return terminalSafe(path) + " lacks " + std::to_string(count) +
           (count == 1 ? " setting, whose default goes in: "
                       : " settings, whose defaults go in: ") +
           missing + ".";
}

SetupRecord setupIn(const KeyValueText& content) {
    SetupRecord record;
    readSetup(record, content);
    record.normalizeCodes();
    return record;
}

} // namespace

SetupRecord readExistingSetupFile(const std::string& path) {
    return setupIn(contentOf(path));
}

SetupToWrite readSetupFileToWrite(const std::string& path) {
    const KeyValueText content = contentOf(path);
    if (!holdsSetupKey(content))
        throw Failure(terminalSafe(path) + " is not a setup file: it holds no setup key.");
    return {setupIn(content), missingSettingsText(path, content)};
}

SetupRecord readSetupFileHoldingSetup(const std::string& path) {
    return readSetupFileToWrite(path).setup;
}
