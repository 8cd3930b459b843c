#include "sheet/SetupSheet.h"

#include "config/HistoryTime.h"
#include "config/SetupDigest.h"
#include "setup/SetupFields.h"

#include <chrono>
#include <filesystem>

SetupSheet setupSheetOf(const SetupRecord& setup, std::string_view filePath) {
    SetupSheet sheet;
    if (filePath != "-")
        sheet.fileName = std::filesystem::path(filePath).filename().string();
    sheet.madeAt = historyTimeText(std::chrono::system_clock::now());
    sheet.setup = setup;
    sheet.digest = setupDigest(setup);
    return sheet;
}

SetupSheet unsavedSetupSheetOf(const SetupRecord& setup) {
    SetupSheet sheet = setupSheetOf(setup, "-");
    sheet.unsavedChanges = true;
    return sheet;
}

SheetLeadName sheetLeadName(std::string_view name) {
    const std::string_view kept = name.substr(0, kLeadNameWidth);
    return {kept, name.size() - kept.size()};
}

std::vector<SheetSetting> sheetSettings(const SetupRecord& setup) {
    std::vector<SheetSetting> settings;
    for (const SetupField* field : listedSetupFields())
        settings.push_back({field->windowLabel, field->valueText(setup), field->windowUnit});
    return settings;
}

std::vector<int> sheetLeads(const SetupSheet& sheet) {
    std::vector<int> leads;
    for (int lead = 1; lead <= SetupRecord::kMaxLeads; ++lead) {
        const bool listed =
            sheet.module ? lead <= sheet.module->leadCount : sheet.setup.leadNamedOrSkipped(lead);
        if (listed)
            leads.push_back(lead);
    }
    return leads;
}
