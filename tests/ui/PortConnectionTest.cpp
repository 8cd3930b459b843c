#include "ui/PortConnection.h"

#include "config/ProgramSettings.h"
#include "device/InstrumentSession.h"
#include "device/PortError.h"
#include "device/SessionPort.h"
#include "setup/FileError.h"
#include "support/PortDriving.h"
#include "support/PseudoTerminal.h"
#include "support/SerialServerProcess.h"
#include "support/SimulatorProcess.h"
#include "support/TempDataFolder.h"

#include <cstring>
#include <vector>

namespace {

// What a call of the connection threw, as the window shows it.
struct Report {
    enum class Problem { None, PortNotAvailable, SettingsNotWritable };
    Problem problem = Problem::None;
    std::string detail; // the port's system reason, or the file's standard text
};
using Problem = Report::Problem;

template <typename Work> Report reportOf(Work&& work) {
    try {
        work();
    } catch (const PortError& error) {
        return {Problem::PortNotAvailable, error.reason()};
    } catch (const FileError& error) {
        return {Problem::SettingsNotWritable, error.what()};
    }
    return {};
}

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
    PortConnection connection{settings, port};
};

TEST_F(PortConnectionTest, NoStoredPortOpensNothing) {
    EXPECT_FALSE(connection.openStoredPort());
    EXPECT_FALSE(link().isOpen());
}

TEST_F(PortConnectionTest, TheStoredPortIsOpened) {
    writeSettings("3");

    EXPECT_TRUE(connection.openStoredPort());

    EXPECT_TRUE(link().isOpen());
    EXPECT_EQ(connection.currentPort(), 3);
    EXPECT_EQ(link().devicePath(), terminal.slavePath());
}

TEST_F(PortConnectionTest, AStoredPortThatWillNotOpenIsReportedWithTheSystemsReason) {
    writeSettings("5");

    const Report report = reportOf([this] { connection.openStoredPort(); });

    EXPECT_FALSE(link().isOpen());
    EXPECT_EQ(report.problem, Problem::PortNotAvailable);
    EXPECT_NE(report.detail.find(missingDevice()), std::string::npos) << report.detail;
    EXPECT_NE(report.detail.find(std::strerror(ENOENT)), std::string::npos);
}

TEST_F(PortConnectionTest, AChosenPortIsStoredAndOpened) {
    writeSettings();

    EXPECT_EQ(reportOf([this] { connection.applyChoice(3); }).problem, Problem::None);

    EXPECT_TRUE(link().isOpen());
    EXPECT_EQ(link().devicePath(), terminal.slavePath());
    EXPECT_EQ(settings.readCommPort(), 3);
}

TEST_F(PortConnectionTest, AChosenPortThatWillNotOpenIsStoredAndTheLinkFallsBackToThePortBefore) {
    openComThree();

    EXPECT_EQ(reportOf([this] { connection.applyChoice(5); }).problem, Problem::PortNotAvailable);

    EXPECT_EQ(settings.readCommPort(), 5);
    EXPECT_TRUE(link().isOpen());
    EXPECT_EQ(connection.currentPort(), 3);
    EXPECT_EQ(link().devicePath(), terminal.slavePath());
}

TEST_F(PortConnectionTest, WithoutAPortBeforeAChosenPortThatWillNotOpenLeavesTheLinkClosed) {
    writeSettings();
    connection.rememberCurrentPort();

    EXPECT_EQ(reportOf([this] { connection.applyChoice(5); }).problem, Problem::PortNotAvailable);

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

        const Report report = reportOf([this] {
            connection.applyChoice(5, {{5, missingDevice()}});
        });

        EXPECT_EQ(report.problem, Problem::SettingsNotWritable);
        EXPECT_NE(report.detail.find(settings.settingsPath()), std::string::npos) << report.detail;
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
    EXPECT_EQ(reportOf([this] { connection.openStoredPort(); }).problem, Problem::PortNotAvailable);
    EXPECT_NO_THROW(connection.reopenIfLost());
    EXPECT_TRUE(link().lineGone());
    EXPECT_EQ(link().devicePath(), missingDevice());
}

TEST_F(PortConnectionTest, AServerThatWentAwayIsConnectedAgainOnceItIsBack) {
    SimulatorProcess instrument({});
    SerialServerProcess server(root, instrument.terminalPath(), instrument.terminalPath());
    for (const std::string& name : {server.rfc2217Name(), server.tcpName()}) {
        SCOPED_TRACE(name);
        writeFile(settings.settingsPath(), "COMMPORT=4\r\nCOMMDEVICE4=" + name + "\r\n");
        ASSERT_TRUE(connection.openStoredPort());
        driveUntil(port, [this] { return !port.opening(); });
        ASSERT_TRUE(session.lineOpen());

        server.stop();
        driveUntil(port, [this] { return port.lineGone(); });
        // Tried again while the server is away, without a word, for as long as it is away.
        for (int attempt = 0; attempt < 3; ++attempt) {
            EXPECT_NO_THROW(connection.reopenIfLost());
            driveUntil(port, [this] { return !port.opening(); });
            EXPECT_TRUE(port.lineGone());
        }

        server.start();
        connection.reopenIfLost();
        driveUntil(port, [this] { return !port.opening(); });
        EXPECT_TRUE(session.lineOpen());
        EXPECT_FALSE(port.lineGone());
        EXPECT_EQ(port.devicePath(), name);
        port.close();
    }
}

TEST_F(PortConnectionTest, NothingIsOpenedAgainWhileThePortDialogHasThePorts) {
    openComThree(); // remembers the port, as the dialog opens
    port.close();   // and the dialog's search lets go of it
    connection.reopenIfLost();
    EXPECT_FALSE(link().isOpen());
}

} // namespace
