#include "cli/SetupFileInput.h"

#include "cli/CommandFailure.h"
#include "cli/TextColumns.h"
#include "setup/KeyValueFile.h"
#include "setup/SetupFile.h"

#include <algorithm>

namespace {

bool holdsSetupKey(const KeyValueText& content) {
    return std::ranges::any_of(setupEntries(SetupRecord{}), [&content](const auto& entry) {
        return content.getValue(entry.first).has_value();
    });
}

SetupRecord setupIn(const KeyValueText& content) {
    SetupRecord record;
    readSetup(record, content);
    record.normalizeCodes();
    return record;
}

} // namespace

SetupRecord readExistingSetupFile(const std::string& path) {
    return setupIn(readKeyValueFile(path));
}

SetupRecord readSetupFileToWrite(const std::string& path) {
    const KeyValueText content = readKeyValueFile(path);
    if (!holdsSetupKey(content))
        throw CommandFailure(terminalSafe(path) + " is not a setup file: it holds no setup key.");
    return setupIn(content);
}
