#include "support/TempDataFolder.h"
#include "support/TempFolder.h"

#include <cstdlib>

namespace {

std::filesystem::path makeTempFolder(const char* stem) {
    std::string pattern = std::filesystem::temp_directory_path() / (std::string(stem) + "-XXXXXX");
    if (mkdtemp(pattern.data()) == nullptr)
        ADD_FAILURE() << "cannot make a temporary folder";
    return pattern;
}

} // namespace

void TempFolder::SetUp() {
    folder = makeTempFolder("mirafen-test");
}

void TempFolder::TearDown() {
    std::filesystem::remove_all(folder);
}

void TempDataFolder::SetUp() {
    root = makeTempFolder("mirafen-world");
    savedWorkingDirectory = std::filesystem::current_path();

    dataHome.set(root / "data");
    // The file dialogs keep their state under the configuration folder.
    configHome.set(root / "config");
    // A module catalogue installed on this computer stays out of the tests.
    dataDirs.set(root / "system");
    dataFolder = root / "data" / "Orvell" / "Mirafen";
    workFolder = root / "work";
    std::filesystem::create_directories(dataFolder);
    std::filesystem::create_directories(workFolder);
    std::filesystem::current_path(workFolder);
}

void TempDataFolder::TearDown() {
    std::filesystem::current_path(savedWorkingDirectory);
    std::filesystem::remove_all(root);
}
