#include "ModuleCatalogue.h"

#include "DecimalText.h"
#include "KeyValueFile.h"

#include <algorithm>
#include <utility>

namespace {

constexpr int kMaxLeads = 128;
constexpr const char* kFileName = "Modules.dat";

std::string moduleKey(int n, std::string_view field) {
    return "MODULE" + std::to_string(n) + "_" + std::string(field);
}

} // namespace

ModuleCatalogue::ModuleCatalogue(std::string dataFolder)
    : dataFolder(std::move(dataFolder)) {}

int ModuleCatalogue::lookup(int n, std::string& listText) const {
    KeyValueFile file;
    if (!file.Open(kFileName, false) && !file.Open(dataFolder + "/" + kFileName, false))
        return -1;

    std::string leads;
    std::string description;
    if (!file.GetValue(moduleKey(n, "LEADS"), leads) ||
        !file.GetValue(moduleKey(n, "DESC"), description))
        return -1;

    // A negative count is no lead count at all; a count beyond the record's leads is capped.
    const int leadCount = parseDecimal(leads);
    if (leadCount < 0)
        return -1;
    const int usedCount = std::min(leadCount, kMaxLeads);
    listText = std::to_string(usedCount) + " Lead " + description;
    return usedCount;
}

std::vector<ModuleCatalogue::Module> ModuleCatalogue::modules() const {
    std::vector<Module> list;
    for (int n = 1;; ++n) {
        std::string text;
        const int leadCount = lookup(n, text);
        if (leadCount < 0)
            return list;
        list.push_back({n, leadCount, std::move(text)});
    }
}
