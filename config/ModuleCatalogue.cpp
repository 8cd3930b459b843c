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

std::optional<KeyValueText> ModuleCatalogue::read() const {
    KeyValueFile file;
    if (!file.open(kFileName, false) && !file.open(dataFolder + "/" + kFileName, false))
        return std::nullopt;
    return file.read();
}

std::optional<ModuleCatalogue::Module> ModuleCatalogue::lookup(int n) const {
    const auto catalogue = read();
    return catalogue ? lookupIn(*catalogue, n) : std::nullopt;
}

std::vector<ModuleCatalogue::Module> ModuleCatalogue::modules() const {
    const auto catalogue = read();
    return catalogue ? modulesIn(*catalogue) : std::vector<Module>{};
}

std::optional<ModuleCatalogue::Module> ModuleCatalogue::lookupIn(const KeyValueText& catalogue,
                                                                 int n) {
    const auto leads = catalogue.getValue(moduleKey(n, "LEADS"));
    const auto description = catalogue.getValue(moduleKey(n, "DESC"));
    if (!leads || !description)
        return std::nullopt;

    // A negative count is no lead count at all; a count beyond the record's leads is capped.
    const int leadCount = parseDecimal(*leads);
    if (leadCount < 0)
        return std::nullopt;
    const int usedCount = std::min(leadCount, SetupRecord::kMaxLeads);
    return Module{n, usedCount, std::to_string(usedCount) + " Lead " + std::string(*description)};
}

std::vector<ModuleCatalogue::Module> ModuleCatalogue::modulesIn(const KeyValueText& catalogue) {
    std::vector<Module> list;
    for (int n = 1;; ++n) {
        auto module = lookupIn(catalogue, n);
        if (!module)
            return list;
        list.push_back(std::move(*module));
    }
}
