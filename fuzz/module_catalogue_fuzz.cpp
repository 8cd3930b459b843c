// Any bytes as Modules.dat: every module listed or looked up has a usable lead count.
#include "config/ModuleCatalogue.h"
#include "fuzz/FuzzCheck.h"
#include "setup/KeyValueText.h"
#include "setup/SetupRecord.h"

#include <string>
#include <string_view>

namespace {

void checkModule(const ModuleCatalogue::Module& module) {
    fuzzCheck(module.leadCount >= 0 && module.leadCount <= SetupRecord::kMaxLeads);
    fuzzCheck(module.listText.starts_with(std::to_string(module.leadCount) + " Lead "));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const KeyValueText catalogue(std::string_view(reinterpret_cast<const char*>(data), size));
    const auto modules = ModuleCatalogue::modulesIn(catalogue);
    for (std::size_t at = 0; at < modules.size(); ++at) {
        fuzzCheck(modules[at].code == static_cast<int>(at) + 1);
        checkModule(modules[at]);
    }
    for (const int n : {0, -1, 255, 256, 65536})
        if (const auto module = ModuleCatalogue::lookupIn(catalogue, n))
            checkModule(*module);
    return 0;
}
