#include "SerialLink.h"
#include "TempDataFolder.h"

#include <cstring>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

// The terminal end of a real pseudo-terminal; the master stays open so the end can be opened.
class PseudoTerminal {
public:
    PseudoTerminal()
        : master(posix_openpt(O_RDWR | O_NOCTTY)) {
        if (master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0)
            path = ptsname(master);
    }
    ~PseudoTerminal() {
        if (master >= 0)
            close(master);
    }
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    std::string path;

private:
    int master;
};

struct Message {
    std::string text;
    std::string detail;
};

class ProgramSettingsTest : public TempDataFolder {
protected:
    void SetUp() override {
        TempDataFolder::SetUp();
        ASSERT_FALSE(terminal.path.empty());
    }

    std::filesystem::path settingsFile() const { return settings.settingsPath(); }

    ProgramSettings::MessageSink recorder() {
        return [this](std::string_view text, std::string_view detail) {
            messages.push_back({std::string(text), std::string(detail)});
        };
    }

    // COM 3 is the pseudo-terminal; every other named COM number is a device that is missing.
    std::string deviceLines() const {
        return "COMMDEVICE3=" + terminal.path + "\r\n" + "COMMDEVICE5=" + missingDevice() + "\r\n";
    }
    std::string missingDevice() const { return (root / "no-such-device").string(); }

    PseudoTerminal terminal;
    SerialLink link{[this](int n) {
        return settings.commDevice(n);
    }};
    std::vector<Message> messages;
};

TEST_F(ProgramSettingsTest, DataFolderIsCreatedWithMissingParents) {
    setenv("XDG_DATA_HOME", (root / "deep" / "share").c_str(), 1);
    ProgramSettings fresh;
    fresh.establishDataFolder();

    EXPECT_EQ(fresh.dataFolder(), (root / "deep" / "share" / "Orvell" / "Mirafen").string());
    EXPECT_TRUE(std::filesystem::is_directory(fresh.dataFolder()));
}

TEST_F(ProgramSettingsTest, EmptyDataHomeFallsBackToHomeShare) {
    const std::optional<std::string> savedHome = environment("HOME");
    setenv("HOME", root.c_str(), 1);
    setenv("XDG_DATA_HOME", "", 1);
    ProgramSettings fresh;
    fresh.establishDataFolder();
    if (savedHome)
        setenv("HOME", savedHome->c_str(), 1);
    else
        unsetenv("HOME");

    EXPECT_EQ(fresh.dataFolder(), (root / ".local" / "share" / "Orvell" / "Mirafen").string());
    EXPECT_TRUE(std::filesystem::is_directory(fresh.dataFolder()));
}

TEST_F(ProgramSettingsTest, MissingSettingsFileIsCreatedEmptyAndHoldsNoPort) {
    EXPECT_FALSE(settings.readCommPort().has_value());
    EXPECT_TRUE(std::filesystem::exists(settingsFile()));
    EXPECT_EQ(std::filesystem::file_size(settingsFile()), 0U);

    EXPECT_FALSE(settings.loadCommPort(link, recorder()));
    EXPECT_FALSE(link.IsOpen());
    EXPECT_TRUE(messages.empty());
}

struct StoredPortCase {
    const char* name;
    const char* value;
    std::uint8_t port;
    const char* device;
};

class StoredPortTest : public ProgramSettingsTest,
                       public ::testing::WithParamInterface<StoredPortCase> {};

TEST_P(StoredPortTest, LoadOpensTheDeviceOfTheLowByte) {
    writeFile(settingsFile(), std::string("COMMPORT=") + GetParam().value + "\r\n" +
                                  "COMMDEVICE1=" + (root / "com1").string() + "\r\n" +
                                  "COMMDEVICE2=" + (root / "com2").string() + "\r\n" +
                                  "COMMDEVICE16=" + (root / "com16").string() + "\r\n");

    EXPECT_EQ(settings.readCommPort(), GetParam().port);
    EXPECT_TRUE(settings.loadCommPort(link, recorder()));
    EXPECT_EQ(link.PortNumber(), GetParam().port);
    EXPECT_EQ(link.DevicePath(), (root / GetParam().device).string());
    // None of these devices exists, and no earlier port is there to fall back to.
    EXPECT_FALSE(link.IsOpen());
    ASSERT_EQ(messages.size(), 1U);
    EXPECT_EQ(messages[0].text, "That Comm Port is not available.");
}

INSTANTIATE_TEST_SUITE_P(Values, StoredPortTest,
                         ::testing::Values(StoredPortCase{"Sixteen", "16", 16, "com16"},
                                           StoredPortCase{"Zero", "0", 0, "com1"},
                                           StoredPortCase{"Seventeen", "17", 17, "com1"},
                                           StoredPortCase{"LowByteOf258", "258", 2, "com2"},
                                           StoredPortCase{"NoDigits", "COM2", 0, "com1"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ProgramSettingsTest, StoringThePortKeepsOtherLines) {
    writeFile(settingsFile(), "FIRST=1\r\nCOMMPORT=3\r\nCOMMPORT7=x\r\nLAST=z\r\n");

    ASSERT_TRUE(settings.storeCommPort(12));

    EXPECT_EQ(readFile(settingsFile()), "FIRST=1\r\nCOMMPORT=12\r\nCOMMPORT7=x\r\nLAST=z\r\n");
    EXPECT_EQ(settings.readCommPort(), 12);
}

TEST_F(ProgramSettingsTest, StoringIntoEmptyFileWritesTheOneLine) {
    ASSERT_TRUE(settings.storeCommPort(3));
    EXPECT_EQ(readFile(settingsFile()), "COMMPORT=3\r\n");
}

TEST_F(ProgramSettingsTest, CommDeviceComesFromSettingsOrDefaultsToSerialPort) {
    EXPECT_EQ(settings.commDevice(1), "/dev/ttyS0");

    writeFile(settingsFile(), "COMMDEVICE3=/dev/ttyUSB0\r\nCOMMDEVICE4=\r\n");
    EXPECT_EQ(settings.commDevice(3), "/dev/ttyUSB0");
    EXPECT_EQ(settings.commDevice(4), "/dev/ttyS3");
    EXPECT_EQ(settings.commDevice(13), "/dev/ttyS12");
}

TEST_F(ProgramSettingsTest, LoadOpensTheStoredPort) {
    writeFile(settingsFile(), "COMMPORT=3\r\n" + deviceLines());

    EXPECT_TRUE(settings.loadCommPort(link, recorder()));

    EXPECT_TRUE(link.IsOpen());
    EXPECT_EQ(link.PortNumber(), 3);
    EXPECT_EQ(link.DevicePath(), terminal.path);
    EXPECT_TRUE(messages.empty());
}

TEST_F(ProgramSettingsTest, SaveStoresAndOpensThePort) {
    writeFile(settingsFile(), deviceLines());

    settings.saveCommPort(link, 3, recorder());

    EXPECT_TRUE(link.IsOpen());
    EXPECT_EQ(link.DevicePath(), terminal.path);
    EXPECT_EQ(settings.readCommPort(), 3);
    EXPECT_TRUE(messages.empty());
}

TEST_F(ProgramSettingsTest, UnavailablePortIsStoredAndLinkFallsBackToPreviousPort) {
    writeFile(settingsFile(), deviceLines());
    ASSERT_TRUE(link.Open(3, 9600));
    settings.previousPort = 3;

    settings.saveCommPort(link, 5, recorder());

    ASSERT_EQ(messages.size(), 1U);
    EXPECT_EQ(messages[0].text, "That Comm Port is not available.");
    EXPECT_NE(messages[0].detail.find(missingDevice()), std::string::npos) << messages[0].detail;
    EXPECT_NE(messages[0].detail.find(std::strerror(ENOENT)), std::string::npos)
        << messages[0].detail;
    EXPECT_EQ(settings.readCommPort(), 5);
    EXPECT_TRUE(link.IsOpen());
    EXPECT_EQ(link.PortNumber(), 3);
    EXPECT_EQ(link.DevicePath(), terminal.path);
}

TEST_F(ProgramSettingsTest, UnavailablePortWithoutPreviousPortLeavesLinkClosed) {
    writeFile(settingsFile(), deviceLines());
    ASSERT_TRUE(link.Open(3, 9600));

    settings.saveCommPort(link, 5, recorder());

    ASSERT_EQ(messages.size(), 1U);
    EXPECT_FALSE(link.IsOpen());
    EXPECT_EQ(link.PortNumber(), 5);
}

TEST_F(ProgramSettingsTest, SettingsFileThatCannotBeCreatedLeavesLinkAsItWas) {
    writeFile(settingsFile(), deviceLines());
    ASSERT_TRUE(link.Open(3, 9600));
    // A folder in the settings file's place cannot be opened as a file, even by root.
    std::filesystem::remove(settingsFile());
    std::filesystem::create_directory(settingsFile());

    settings.saveCommPort(link, 5, recorder());

    ASSERT_EQ(messages.size(), 1U);
    EXPECT_EQ(messages[0].text, "Couldn't create setup file.");
    EXPECT_TRUE(link.IsOpen());
    EXPECT_EQ(link.PortNumber(), 3);
    EXPECT_EQ(link.DevicePath(), terminal.path);

    messages.clear();
    EXPECT_FALSE(settings.loadCommPort(link, recorder()));
    EXPECT_TRUE(messages.empty());
}

} // namespace
