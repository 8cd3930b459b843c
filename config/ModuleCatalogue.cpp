#include "config/ModuleCatalogue.h"

#include "setup/DecimalText.h"
#include "setup/FileError.h"
#include "setup/KeyValueFile.h"
#include "setup/SetupRecord.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>
#include <utility>

namespace {

constexpr const char* kFileName = "Modules.dat";
constexpr const char* kDefaultDataDirs = "/usr/local/share:/usr/share";

// The folders of $XDG_DATA_DIRS in order, empty entries left out.
std::vector<std::string> systemDataFolders() {
    const char* variable = std::getenv("XDG_DATA_DIRS");
    const std::string_view list =
        variable != nullptr && *variable != '\0' ? variable : kDefaultDataDirs;
    std::vector<std::string> folders;
    for (std::size_t start = 0; start <= list.size();) {
        const std::size_t end = std::min(list.find(':', start), list.size());
        if (end > start)
            folders.emplace_back(list.substr(start, end - start));
        start = end + 1;
    }
    return folders;
}

std::string moduleKey(int n, std::string_view field) {
    return "MODULE" + std::to_string(n) + "_" + std::string(field);
}

} // namespace

ModuleCatalogue::ModuleCatalogue(std::string dataFolder)
    : dataFolder(std::move(dataFolder)) {}

std::vector<std::string> ModuleCatalogue::places() const {
    std::vector<std::string> paths{std::string("./") + kFileName, dataFolder + "/" + kFileName};
    for (const std::string& folder : systemDataFolders())
        paths.push_back(folder + "/mirafen/" + kFileName);
    return paths;
}

std::optional<ModuleCatalogue::Found> ModuleCatalogue::find() const {
    for (const std::string& path : places()) {
        try {
            return Found{path, readKeyValueFile(path)};
        } catch (const FileError&) {
            // Not there, or not to be read: the next place may have one.
        }
    }
    return std::nullopt;
}

std::optional<std::string> ModuleCatalogue::location() const {
    const auto found = find();
    return found ? std::optional<std::string>(found->path) : std::nullopt;
}

std::optional<ModuleCatalogue::Module> ModuleCatalogue::lookup(int n) const {
    const auto found = find();
    return found ? lookupIn(found->content, n) : std::nullopt;
}

std::vector<ModuleCatalogue::Module> ModuleCatalogue::modules() const {
    const auto found = find();
    return found ? modulesIn(found->content) : std::vector<Module>{};
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
