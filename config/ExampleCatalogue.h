#pragma once

#include <optional>
#include <string>
#include <vector>

// The example module catalogue that comes with the program, for a first start without the
// maker's catalogue. It is looked for beside the program as examples/Modules.dat (a build),
// then among the documents of the installation the program is part of,
// share/doc/mirafen/examples/Modules.dat.
std::vector<std::string> exampleCataloguePlaces(const std::string& programFolder);
// The first place that holds it; none when no place does.
std::optional<std::string> findExampleCatalogue(const std::string& programFolder);

// Copies the example into the data folder as its Modules.dat, never over a file of that name,
// and returns the path written. Throws FileError.
std::string copyExampleCatalogue(const std::string& example, const std::string& dataFolder);
