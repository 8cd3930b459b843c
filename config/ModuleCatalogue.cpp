#include "config/ModuleCatalogue.h"

#include "setup/DecimalText.h"
#include "setup/KeyValueFile.h"
#include "setup/SetupRecord.h"

#include <algorithm>
#include <utility>

namespace {

constexpr const char* kFileName = "Modules.dat";

std::string moduleKey(int n, std::string_view field) {
    return "MODULE" + std::to_string(n) + "_" + std::string(field);
}

} // namespace

ModuleCatalogue::ModuleCatalogue(std::string dataFolder)
    : dataFolder(std::move(dataFolder)) {}

std::optional<ModuleCatalogue::Module> ModuleCatalogue::lookup(int n) const {
    KeyValueFile file;
    if (!file.open(kFileName, false) && !file.open(dataFolder + "/" + kFileName, false))
        return std::nullopt;

    const auto leads = file.getValue(moduleKey(n, "LEADS"));
    const auto description = file.getValue(moduleKey(n, "DESC"));
    if (!leads || !description)
        return std::nullopt;

    // A negative count is no lead count at all; a count beyond the record's leads is capped.
    const int leadCount = parseDecimal(*leads);
    if (leadCount < 0)
        return std::nullopt;
    const int usedCount = std::min(leadCount, SetupRecord::kMaxLeads);
    return Module{n, usedCount, std::to_string(usedCount) + " Lead " + *description};
}

std::vector<ModuleCatalogue::Module> ModuleCatalogue::modules() const {
    std::vector<Module> list;
    for (int n = 1;; ++n) {
        auto module = lookup(n);
        if (!module)
            return list;
        list.push_back(std::move(*module));
    }
}
