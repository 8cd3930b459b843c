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

std::optional<std::string> environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::optional<std::string>(value) : std::nullopt;
}

void restoreEnvironment(const char* name, const std::optional<std::string>& value) {
    if (value)
        setenv(name, value->c_str(), 1);
    else
        unsetenv(name);
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
    savedDataHome = environment("XDG_DATA_HOME");
    savedConfigHome = environment("XDG_CONFIG_HOME");
    savedDataDirs = environment("XDG_DATA_DIRS");
    savedWorkingDirectory = std::filesystem::current_path();

    setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
    // The file dialogs keep their state under the configuration folder.
    setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
    // A module catalogue installed on this computer stays out of the tests.
    setenv("XDG_DATA_DIRS", (root / "system").c_str(), 1);
    dataFolder = root / "data" / "Orvell" / "Mirafen";
    workFolder = root / "work";
    std::filesystem::create_directories(dataFolder);
    std::filesystem::create_directories(workFolder);
    std::filesystem::current_path(workFolder);
}

void TempDataFolder::TearDown() {
    std::filesystem::current_path(savedWorkingDirectory);
    restoreEnvironment("XDG_DATA_HOME", savedDataHome);
    restoreEnvironment("XDG_CONFIG_HOME", savedConfigHome);
    restoreEnvironment("XDG_DATA_DIRS", savedDataDirs);
    std::filesystem::remove_all(root);
}
