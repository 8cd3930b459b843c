#include "config/ModuleCatalogue.h"
#include "config/ProgramSettings.h"
#include "setup/FileError.h"
#include "support/TempDataFolder.h"

#include <cstdlib>
#include <optional>
#include <string>

namespace {

constexpr const char* kEntries = "MODULE1_LEADS=8\r\nMODULE1_DESC=Standard\r\nCOMMPORT=5\r\n";

struct HostileCase {
    const char* name;
    std::string content;
    bool entriesSeen;
};

std::string junkLines(std::size_t count) {
    std::string junk;
    for (std::size_t line = 0; line < count; ++line)
        junk += "JUNK" + std::to_string(line) + "=" + std::string(60, 'x') + "\r\n";
    return junk;
}

class HostileFilesTest : public TempDataFolder {
protected:
    void SetUp() override {
        TempDataFolder::SetUp();
        settings.establishDataFolder();
    }

    ProgramSettings settings;
};

// Modules.dat and zenset.sys that are huge or binary are read for what they hold, up to a
// Ctrl-Z, and the port can still be stored in such a zenset.sys, keeping its other lines.
TEST_F(HostileFilesTest, HugeAndBinaryFilesAreReadForWhatTheyHold) {
    const HostileCase cases[] = {
        {"a hundred thousand lines", junkLines(100'000) + kEntries, true},
        {"one line of 16 MB", std::string(16 << 20, 'y') + "\n" + kEntries, true},
        {"NUL, CR and bytes above 127", std::string("\0\0\r\xff\xfe=\x80\n", 8) + kEntries, true},
        {"entries after a Ctrl-Z", std::string("\0\x1a", 2) + kEntries, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        writeFile(dataFolder / "Modules.dat", c.content);
        writeFile(settings.settingsPath(), c.content);

        const auto module = ModuleCatalogue(dataFolder).lookup(1);
        EXPECT_EQ(module.has_value(), c.entriesSeen);
        if (module) {
            EXPECT_EQ(module->listText, "8 Lead Standard");
        }
        EXPECT_EQ(settings.readCommPort(),
                  c.entriesSeen ? std::optional<std::uint8_t>(5) : std::nullopt);

        ASSERT_NO_THROW(settings.storeCommPort(7));
        EXPECT_EQ(settings.readCommPort(), std::optional<std::uint8_t>(7));
        const std::string stored = readFile(settings.settingsPath());
        EXPECT_EQ(stored.find("MODULE1_DESC=Standard") != std::string::npos, c.entriesSeen);
    }
}

// A Modules.dat that cannot be opened as a file is no catalogue.
TEST_F(HostileFilesTest, AnUnreadableCatalogueKnowsNoModule) {
    std::filesystem::create_directory(dataFolder / "Modules.dat");
    EXPECT_FALSE(ModuleCatalogue(dataFolder).lookup(1).has_value());
    EXPECT_TRUE(ModuleCatalogue(dataFolder).modules().empty());
}

// A data folder that cannot be created leaves the program without stored settings: nothing is
// read, and storing fails with the file's error.
TEST_F(HostileFilesTest, ADataFolderThatCannotBeCreatedStoresNothing) {
    const auto blocker = root / "not-a-folder";
    writeFile(blocker, "");
    dataHome.set(blocker);
    ProgramSettings blocked;
    blocked.establishDataFolder();

    EXPECT_FALSE(std::filesystem::exists(blocked.dataFolder()));
    EXPECT_FALSE(blocked.readCommPort().has_value());
    EXPECT_THROW(blocked.storeCommPort(3), FileError);
    EXPECT_FALSE(ModuleCatalogue(blocked.dataFolder()).lookup(1).has_value());
}

} // namespace
