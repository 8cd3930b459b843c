#pragma once

#include "setup/KeyValueText.h"

#include <optional>
#include <string>
#include <vector>

// Module number to lead count and list text, read afresh from Modules.dat at every lookup:
// first in the working directory, then in the data folder. Never written.
class ModuleCatalogue {
public:
    struct Module {
        int code;
        int leadCount;
        std::string listText; // "%d Lead " and the description
    };

    explicit ModuleCatalogue(std::string dataFolder);

    // Module n with its lead count (above 128 counts as 128); none when the module or the
    // catalogue is missing.
    std::optional<Module> lookup(int n) const;
    // Modules 1, 2, 3, ... up to the first number without a complete entry.
    std::vector<Module> modules() const;

    // The same for a catalogue's content.
    static std::optional<Module> lookupIn(const KeyValueText& catalogue, int n);
    static std::vector<Module> modulesIn(const KeyValueText& catalogue);

private:
    std::optional<KeyValueText> read() const;

    std::string dataFolder;
};
