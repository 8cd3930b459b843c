#include "ui/PortConnection.h"

#include "config/ProgramSettings.h"
#include "device/InstrumentSession.h"
#include "support/PseudoTerminal.h"
#include "support/TempDataFolder.h"

#include <cstring>
#include <vector>

namespace {

struct Report {
    PortConnection::Problem problem;
    std::string detail;
};

// COM 3 is a pseudo-terminal; COM 5 names a device that is missing; the other COM numbers stand
// for files in the temporary folder that do not exist either.
class PortConnectionTest : public TempDataFolder {
protected:
    void SetUp() override {
        TempDataFolder::SetUp();
        settings.establishDataFolder();
    }

    void writeSettings(const std::string& storedPort = {}) {
        std::string content =
            "COMMDEVICE3=" + terminal.slavePath() + "\r\nCOMMDEVICE5=" + missingDevice() + "\r\n";
        if (!storedPort.empty())
            content += "COMMPORT=" + storedPort + "\r\n";
        writeFile(settings.settingsPath(), content);
    }
    std::string missingDevice() const { return (root / "no-such-device").string(); }

    // COM 3 open, as the port to fall back to.
    void openComThree() {
        writeSettings("3");
        ASSERT_TRUE(connection.openStoredPort());
        ASSERT_TRUE(link().isOpen());
        connection.rememberCurrentPort();
    }

    // A folder in the settings file's place cannot be opened as a file, even by root.
    void blockSettings() const {
        std::filesystem::remove(settings.settingsPath());
        std::filesystem::create_directory(settings.settingsPath());
    }

    const SerialLink& link() const { return session.link(); }

    ProgramSettings settings;
    PseudoTerminal terminal;
    InstrumentSession session{FrameTrace()};
    std::vector<Report> reports;
    PortConnection connection{settings, session,
                              [this](PortConnection::Problem problem, const std::string& detail) {
                                  reports.push_back({problem, detail});
                              }};
};

TEST_F(PortConnectionTest, NoStoredPortOpensNothing) {
    EXPECT_FALSE(connection.openStoredPort());
    EXPECT_FALSE(link().isOpen());
    EXPECT_TRUE(reports.empty());
}

TEST_F(PortConnectionTest, TheStoredPortIsOpened) {
    writeSettings("3");

    EXPECT_TRUE(connection.openStoredPort());

    EXPECT_TRUE(link().isOpen());
    EXPECT_EQ(connection.currentPort(), 3);
    EXPECT_EQ(link().devicePath(), terminal.slavePath());
    EXPECT_TRUE(reports.empty());
}

TEST_F(PortConnectionTest, AStoredPortThatWillNotOpenIsReportedWithTheSystemsReason) {
    writeSettings("5");

    EXPECT_TRUE(connection.openStoredPort());

    EXPECT_FALSE(link().isOpen());
    ASSERT_EQ(reports.size(), 1U);
    EXPECT_EQ(reports[0].problem, PortConnection::Problem::PortNotAvailable);
    EXPECT_NE(reports[0].detail.find(missingDevice()), std::string::npos) << reports[0].detail;
    EXPECT_NE(reports[0].detail.find(std::strerror(ENOENT)), std::string::npos);
}

TEST_F(PortConnectionTest, AChosenPortIsStoredAndOpened) {
    writeSettings();

    connection.applyChoice(3);

    EXPECT_TRUE(link().isOpen());
    EXPECT_EQ(link().devicePath(), terminal.slavePath());
    EXPECT_EQ(settings.readCommPort(), 3);
    EXPECT_TRUE(reports.empty());
}

TEST_F(PortConnectionTest, AChosenPortThatWillNotOpenIsStoredAndTheLinkFallsBackToThePortBefore) {
    openComThree();

    connection.applyChoice(5);

    ASSERT_EQ(reports.size(), 1U);
    EXPECT_EQ(reports[0].problem, PortConnection::Problem::PortNotAvailable);
    EXPECT_EQ(settings.readCommPort(), 5);
    EXPECT_TRUE(link().isOpen());
    EXPECT_EQ(connection.currentPort(), 3);
    EXPECT_EQ(link().devicePath(), terminal.slavePath());
}

TEST_F(PortConnectionTest, WithoutAPortBeforeAChosenPortThatWillNotOpenLeavesTheLinkClosed) {
    writeSettings();
    connection.rememberCurrentPort();

    connection.applyChoice(5);

    ASSERT_EQ(reports.size(), 1U);
    EXPECT_FALSE(link().isOpen());
    EXPECT_EQ(connection.currentPort(), 5);
}

TEST_F(PortConnectionTest, ASettingsFileThatCannotStoreTheChoiceLeavesTheLinkOnThePortItHad) {
    struct Case {
        const char* what;
        bool portReleased; // the port dialog let go of it for a search
    };
    for (const Case c : {Case{"the port still held", false}, Case{"after a search", true}}) {
        SCOPED_TRACE(c.what);
        reports.clear();
        openComThree();
        blockSettings();
        if (c.portReleased)
            session.close();

        connection.applyChoice(5, {{5, missingDevice()}});

        ASSERT_EQ(reports.size(), 1U);
        EXPECT_EQ(reports[0].problem, PortConnection::Problem::SettingsNotWritable);
        EXPECT_NE(reports[0].detail.find(settings.settingsPath()), std::string::npos)
            << reports[0].detail;
        EXPECT_TRUE(link().isOpen());
        EXPECT_EQ(link().devicePath(), terminal.slavePath());
        EXPECT_EQ(connection.currentPort(), 3);
        std::filesystem::remove(settings.settingsPath());
    }
}

} // namespace
