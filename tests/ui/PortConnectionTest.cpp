#include "ui/PortConnection.h"

#include "config/ProgramSettings.h"
#include "device/InstrumentSession.h"
#include "device/SessionPort.h"
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

    const SessionPort& link() const { return port; }

    ProgramSettings settings;
    PseudoTerminal terminal;
    InstrumentSession session{FrameTrace()};
    SessionPort port{session};
    std::vector<Report> reports;
    PortConnection connection{settings, port,
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
        bool comZero;      // the port stored as 0, which stands for COM 1
    };
    for (const Case c :
         {Case{"the port still held", false, false}, Case{"after a search", true, false},
          Case{"after a search, COM 0 stored", true, true}}) {
        SCOPED_TRACE(c.what);
        reports.clear();
        if (c.comZero) {
            writeFile(settings.settingsPath(),
                      "COMMDEVICE1=" + terminal.slavePath() + "\r\nCOMMPORT=0\r\n");
            ASSERT_TRUE(connection.openStoredPort());
            ASSERT_TRUE(link().isOpen());
            connection.rememberCurrentPort();
        } else {
            openComThree();
        }
        blockSettings();
        if (c.portReleased)
            port.close();

        connection.applyChoice(5, {{5, missingDevice()}});

        ASSERT_EQ(reports.size(), 1U);
        EXPECT_EQ(reports[0].problem, PortConnection::Problem::SettingsNotWritable);
        EXPECT_NE(reports[0].detail.find(settings.settingsPath()), std::string::npos)
            << reports[0].detail;
        EXPECT_TRUE(link().isOpen());
        EXPECT_EQ(link().devicePath(), terminal.slavePath());
        EXPECT_EQ(connection.currentPort(), c.comZero ? 0 : 3);
        std::filesystem::remove(settings.settingsPath());
    }
}

TEST_F(PortConnectionTest, APortThatHungUpOrWouldNotOpenIsOpenedAgainWithoutAWord) {
    writeSettings("3");
    ASSERT_TRUE(connection.openStoredPort());
    session.lineHungUp();
    ASSERT_TRUE(link().lineGone());

    connection.reopenIfLost();
    EXPECT_FALSE(link().lineGone()) << "the same device, opened again";

    // The stored port missing at start-up is tried again as well, silently.
    writeSettings("5");
    connection.openStoredPort();
    reports.clear();
    connection.reopenIfLost();
    EXPECT_TRUE(link().lineGone());
    EXPECT_TRUE(reports.empty());
    EXPECT_EQ(link().devicePath(), missingDevice());
}

TEST_F(PortConnectionTest, NothingIsOpenedAgainWhileThePortDialogHasThePorts) {
    openComThree(); // remembers the port, as the dialog opens
    port.close();   // and the dialog's search lets go of it
    connection.reopenIfLost();
    EXPECT_FALSE(link().isOpen());
}

} // namespace
