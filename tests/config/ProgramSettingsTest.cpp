#include "config/ProgramSettings.h"

#include "config/ComPorts.h"
#include "setup/FileError.h"
#include "support/TempDataFolder.h"

#include <cstdlib>
#include <functional>
#include <optional>

namespace {

class ProgramSettingsTest : public TempDataFolder {
protected:
    void SetUp() override {
        TempDataFolder::SetUp();
        settings.establishDataFolder();
    }

    std::filesystem::path settingsFile() const { return settings.settingsPath(); }

    ProgramSettings settings;
};

TEST_F(ProgramSettingsTest, DataFolderIsCreatedWithMissingParents) {
    dataHome.set(root / "deep" / "share");
    ProgramSettings fresh;
    fresh.establishDataFolder();

    EXPECT_EQ(fresh.dataFolder(), (root / "deep" / "share" / "Orvell" / "Mirafen").string());
    EXPECT_TRUE(std::filesystem::is_directory(fresh.dataFolder()));
}

TEST_F(ProgramSettingsTest, EmptyDataHomeFallsBackToHomeShare) {
    const EnvironmentVariable home{"HOME"};
    home.set(root);
    dataHome.set("");
    ProgramSettings fresh;
    fresh.establishDataFolder();

    EXPECT_EQ(fresh.dataFolder(), (root / ".local" / "share" / "Orvell" / "Mirafen").string());
    EXPECT_TRUE(std::filesystem::is_directory(fresh.dataFolder()));
}

TEST_F(ProgramSettingsTest, MissingSettingsFileHoldsNoPortAndIsNotCreatedByReading) {
    EXPECT_FALSE(settings.readCommPort().has_value());
    EXPECT_FALSE(settings.boundDevice(1).has_value());
    EXPECT_FALSE(std::filesystem::exists(settingsFile()));
}

struct StoredPortCase {
    const char* name;
    const char* value;
    std::uint8_t port;
};

class StoredPortTest : public ProgramSettingsTest,
                       public ::testing::WithParamInterface<StoredPortCase> {};

TEST_P(StoredPortTest, TheStoredPortIsTheLowByteOfItsNumber) {
    writeFile(settingsFile(), std::string("COMMPORT=") + GetParam().value + "\r\n");
    EXPECT_EQ(settings.readCommPort(), GetParam().port);
}

INSTANTIATE_TEST_SUITE_P(Values, StoredPortTest,
                         ::testing::Values(StoredPortCase{"Sixteen", "16", 16},
                                           StoredPortCase{"Zero", "0", 0},
                                           StoredPortCase{"Seventeen", "17", 17},
                                           StoredPortCase{"LowByteOf258", "258", 2},
                                           StoredPortCase{"NoDigits", "COM2", 0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ProgramSettingsTest, StoringThePortKeepsOtherLines) {
    writeFile(settingsFile(), "FIRST=1\r\nCOMMPORT=3\r\nCOMMPORT7=x\r\nLAST=z\r\n");

    ASSERT_NO_THROW(settings.storeCommPort(12));

    EXPECT_EQ(readFile(settingsFile()), "FIRST=1\r\nCOMMPORT=12\r\nCOMMPORT7=x\r\nLAST=z\r\n");
    EXPECT_EQ(settings.readCommPort(), 12);
}

TEST_F(ProgramSettingsTest, StoringIntoEmptyFileWritesTheOneLine) {
    ASSERT_NO_THROW(settings.storeCommPort(3));
    EXPECT_EQ(readFile(settingsFile()), "COMMPORT=3\r\n");
}

TEST_F(ProgramSettingsTest, CommDeviceComesFromSettingsOrDefaultsToSerialPort) {
    EXPECT_EQ(settings.commDevice(1), "/dev/ttyS0");

    writeFile(settingsFile(), "COMMDEVICE3=/dev/ttyUSB0\r\nCOMMDEVICE4=\r\n");
    EXPECT_EQ(settings.commDevice(3), "/dev/ttyUSB0");
    EXPECT_EQ(settings.commDevice(4), "/dev/ttyS3");
    EXPECT_EQ(settings.commDevice(13), "/dev/ttyS12");
}

TEST_F(ProgramSettingsTest, ASettingsFileThatCannotBeOpenedHoldsNoPortAndTakesNone) {
    // A folder in the settings file's place cannot be opened as a file, even by root.
    std::filesystem::remove(settingsFile());
    std::filesystem::create_directory(settingsFile());

    EXPECT_FALSE(settings.readCommPort().has_value());
    EXPECT_THROW(settings.storeCommPort(5), FileError);
}

TEST_F(ProgramSettingsTest, AStoredPortStandsForItsComNumberAndItsDevice) {
    writeFile(settingsFile(), "COMMDEVICE2=/dev/ttyUSB0\r\n");
    struct Case {
        std::uint8_t stored;
        int comNumber;
        std::string device;
    };
    for (const Case& c :
         {Case{0, 1, "/dev/ttyS0"}, Case{2, 2, "/dev/ttyUSB0"}, Case{16, 16, "/dev/ttyS15"},
          Case{17, 1, "/dev/ttyS0"}, Case{255, 1, "/dev/ttyS0"}}) {
        EXPECT_EQ(comNumberOf(c.stored), c.comNumber) << int{c.stored};
        EXPECT_EQ(settings.portDevice(c.stored), c.device) << int{c.stored};
    }
}

TEST_F(ProgramSettingsTest, MinimumSpacingIsAWholeNumberOfMillisecondsAndNoneByDefault) {
    using std::chrono::milliseconds;
    EXPECT_EQ(settings.minimumSpacing(), milliseconds(0)) << "no settings file";
    for (const auto& [line, spacing] :
         {std::pair{"", milliseconds(0)}, std::pair{"MINSPACING=35\r\n", milliseconds(35)},
          std::pair{"MINSPACING=-20\r\n", milliseconds(0)},
          std::pair{"MINSPACING=40ms\r\n", milliseconds(40)}}) {
        writeFile(settingsFile(), std::string("COMMPORT=1\r\n") + line);
        EXPECT_EQ(settings.minimumSpacing(), spacing) << line;
    }
}

// A zenset.sys kept elsewhere and linked into the data folder stays linked; a link that points
// nowhere is a file error, and storing through it creates nothing.
TEST_F(ProgramSettingsTest, StoringThroughALinkChangesTheFileItPointsAt) {
    const auto kept = root / "kept.sys";
    writeFile(kept, "COMMPORT=3\r\n");
    std::filesystem::create_symlink(kept, settingsFile());

    ASSERT_NO_THROW(settings.storeCommPort(7));
    EXPECT_TRUE(std::filesystem::is_symlink(settingsFile()));
    EXPECT_EQ(readFile(kept), "COMMPORT=7\r\n");
    EXPECT_EQ(settings.readCommPort(), 7);

    std::filesystem::remove(kept);
    EXPECT_FALSE(settings.readCommPort().has_value());
    for (const auto& store : {std::function<void()>([this] { settings.storeCommPort(5); }),
                              std::function<void()>([this] {
                                  settings.storeCommDevices({{2, "/dev/ttyUSB0"}});
                              })}) {
        try {
            store();
            ADD_FAILURE() << "no FileError";
        } catch (const FileError& error) {
            EXPECT_EQ(error.cause(), FileError::Cause::NotFound);
            EXPECT_EQ(error.path(), settings.settingsPath());
        }
    }
    EXPECT_FALSE(std::filesystem::exists(kept));
    EXPECT_TRUE(std::filesystem::is_symlink(settingsFile()));
}

} // namespace
