#pragma once

#include "setup/KeyValueText.h"

#include <optional>
#include <string>
#include <vector>

// Module number to lead count and list text, read afresh from Modules.dat at every lookup. The
// catalogue is the first of these that can be read: Modules.dat in the working directory, in
// the data folder, then mirafen/Modules.dat in each folder of $XDG_DATA_DIRS (by default
// /usr/local/share and /usr/share), where an administrator installs it for every user. Only
// ever read.
class ModuleCatalogue {
public:
    struct Module {
        int code;
        int leadCount;
        std::string listText; // "%d Lead " and the description

        bool operator==(const Module&) const = default;
    };

    explicit ModuleCatalogue(std::string dataFolder);

    // Module n with its lead count (above 128 counts as 128); none when the module or the
    // catalogue is missing.
    std::optional<Module> lookup(int n) const;
    // Modules 1, 2, 3, ... up to the first number without a complete entry.
    std::vector<Module> modules() const;

    // The paths looked at for the catalogue, in order.
    std::vector<std::string> places() const;
    // The path of the catalogue in use; none when no place has one that can be read.
    std::optional<std::string> location() const;

    // The same for a catalogue's content.
    static std::optional<Module> lookupIn(const KeyValueText& catalogue, int n);
    static std::vector<Module> modulesIn(const KeyValueText& catalogue);

private:
    struct Found {
        std::string path;
        KeyValueText content;
    };
    std::optional<Found> find() const;

    std::string dataFolder;
};
