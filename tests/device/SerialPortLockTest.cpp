#include "device/SerialPort.h"
#include "support/EndedProcess.h"
#include "support/EnvironmentVariable.h"
#include "support/PortRefusal.h"
#include "support/PseudoTerminal.h"
#include "support/TempFolder.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <optional>
#include <sys/file.h>
#include <sys/wait.h>
#include <termios.h>
#include <tuple>
#include <unistd.h>

namespace {

constexpr std::uint32_t kBaudRate = 9600;

// A lock file as the HDB UUCP convention writes it: the process id in ten characters.
std::string lockContent(pid_t process) {
    std::array<char, 16> text{};
    std::snprintf(text.data(), text.size(), "%10d\n", static_cast<int>(process));
    return text.data();
}

// Port locks go into a lock folder of the test's own, never the machine's.
class SerialPortLockTest : public TempFolder {
protected:
    void SetUp() override {
        TempFolder::SetUp();
        lockFolder = folder / "lock";
        std::filesystem::create_directory(lockFolder);
        lockFolderSetting.set(lockFolder);
    }

    // The pseudo-terminal /dev/pts/N is locked as minicom and lockdev lock it: LCK..pts_N.
    std::filesystem::path lockPath() const {
        return lockFolder /
               ("LCK..pts_" + std::filesystem::path(terminal.slavePath()).filename().string());
    }

    termios portSettings() const {
        termios settings{};
        EXPECT_EQ(tcgetattr(terminal.slaveFd(), &settings), 0);
        return settings;
    }

    PseudoTerminal terminal;
    std::filesystem::path lockFolder;
    const EnvironmentVariable lockFolderSetting{"MIRAFEN_LOCK_DIR"};
};

TEST_F(SerialPortLockTest, AnOpenPortHoldsTheLockFileOfItsDeviceUntilClosed) {
    // A by-id style link locks the device it stands for, as a terminal program opening the
    // device itself would look for it.
    const std::string byId = pathOf("usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0");
    std::filesystem::create_symlink(terminal.slavePath(), byId);
    for (const std::string& devicePath : {terminal.slavePath(), byId}) {
        SerialPort port;
        port.open(devicePath, kBaudRate);
        EXPECT_EQ(readFile(lockPath()), lockContent(getpid())) << devicePath;
        port.close();
        EXPECT_FALSE(std::filesystem::exists(lockPath())) << devicePath;
    }

    // A lock another program took over meanwhile is that program's, and stays.
    SerialPort port;
    port.open(terminal.slavePath(), kBaudRate);
    writeFile(lockPath(), lockContent(getppid()));
    port.close();
    EXPECT_EQ(readFile(lockPath()), lockContent(getppid()));
}

TEST_F(SerialPortLockTest, APortLockedByARunningProgramIsRefusedAndLeftAsThatProgramSetIt) {
    const termios before = portSettings();
    struct Case {
        const char* what;
        std::string content;
        std::string holder;
    };
    const std::string parent = std::to_string(getppid());
    const Case cases[] = {
        {"ten characters", lockContent(getppid()), "process " + parent + ", "},
        {"unpadded", parent + "\n", "process " + parent + ", "},
        // Empty or unreadable: another program may be writing it at this moment.
        {"empty", "", ""},
        {"binary", std::string("\x39\x30\x00\x00", 4), ""},
    };
    for (const Case& c : cases) {
        writeFile(lockPath(), c.content);
        SerialPort port;
        const std::string error = portRefusal([&] { port.open(terminal.slavePath(), kBaudRate); });
        EXPECT_TRUE(
            error.starts_with(terminal.slavePath() + ": Device or resource busy (locked by "))
            << error;
        EXPECT_TRUE(error.ends_with(c.holder + lockPath().string() + ")")) << error;
        EXPECT_EQ(readFile(lockPath()), c.content) << c.what;
        const termios after = portSettings();
        EXPECT_EQ(std::memcmp(&before, &after, sizeof before), 0) << c.what;
    }

    std::filesystem::remove(lockPath());
    SerialPort port;
    EXPECT_NO_THROW(port.open(terminal.slavePath(), kBaudRate));
}

TEST_F(SerialPortLockTest, ALockLeftByAProcessThatEndedIsTakenOver) {
    writeFile(lockPath(), lockContent(endedProcess()));
    SerialPort port;
    port.open(terminal.slavePath(), kBaudRate);
    EXPECT_EQ(readFile(lockPath()), lockContent(getpid()));
}

// A child process that waits to be killed, holding the pseudo-terminal open or not.
pid_t waitingChild(const PseudoTerminal& terminal, bool holdingDevice) {
    const pid_t child = fork();
    if (child == 0) {
        if (!holdingDevice)
            ::close(terminal.slaveFd());
        pause();
        _exit(0);
    }
    return child;
}

// Process numbers come round again, so a lock left behind may name a process that runs now.
TEST_F(SerialPortLockTest, ALockWhoseProcessNumberCameRoundAgainIsTakenOver) {
    using namespace std::chrono_literals;
    struct Case {
        const char* what;
        bool childHoldsDevice;
        bool ownProcess;
        std::chrono::seconds age;
        bool taken;
    };
    const Case cases[] = {
        {"this process, just written", false, true, 0s, true},
        {"a program without the device, a minute old", false, false, 60s, true},
        {"a program holding the device, a minute old", true, false, 60s, false},
        {"a program about to open the device", false, false, 0s, false},
    };
    for (const Case& c : cases) {
        const pid_t child = waitingChild(terminal, c.childHoldsDevice);
        ASSERT_GT(child, 0);
        const pid_t named = c.ownProcess ? getpid() : child;
        writeFile(lockPath(), lockContent(named));
        std::filesystem::last_write_time(lockPath(),
                                         std::filesystem::file_time_type::clock::now() - c.age);
        // The child has closed its copy of the device once its descriptors no longer list it.
        const std::string descriptor =
            "/proc/" + std::to_string(child) + "/fd/" + std::to_string(terminal.slaveFd());
        for (int wait = 0; !c.childHoldsDevice && std::filesystem::exists(descriptor) && wait < 500;
             ++wait)
            usleep(2000);

        SerialPort port;
        const std::string refusal =
            portRefusal([&] { port.open(terminal.slavePath(), kBaudRate); });
        EXPECT_EQ(refusal.empty(), c.taken) << c.what << ": " << refusal;
        EXPECT_EQ(readFile(lockPath()), lockContent(c.taken ? getpid() : named)) << c.what;
        port.close();
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        std::filesystem::remove(lockPath());
    }
}

// A program that holds the device's flock and keeps a lock file is named by its lock file; a lock
// file left by a program that ended names nobody.
TEST_F(SerialPortLockTest, APortHeldByFlockNamesTheRunningHolderItsLockFileNames) {
    const int holder = ::open(terminal.slavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(flock(holder, LOCK_EX | LOCK_NB), 0);
    std::string parentName;
    std::getline(std::ifstream("/proc/" + std::to_string(getppid()) + "/comm"), parentName);
    const std::tuple<const char*, std::optional<pid_t>, std::string> cases[] = {
        {"running", getppid(),
         " (locked by " + parentName + ", process " + std::to_string(getppid()) + ", " +
             lockPath().string() + ")"},
        {"ended", endedProcess(), ""},
        {"no lock file", std::nullopt, ""},
    };
    for (const auto& [what, named, holderText] : cases) {
        std::filesystem::remove(lockPath());
        if (named)
            writeFile(lockPath(), lockContent(*named));
        SerialPort port;
        EXPECT_EQ(portRefusal([&] { port.open(terminal.slavePath(), kBaudRate); }),
                  terminal.slavePath() + ": Device or resource busy" + holderText)
            << what;
    }
    ::close(holder);
}

TEST_F(SerialPortLockTest, WithoutAUsableLockFolderThePortOpensAndItsFlockStillGuardsIt) {
    writeFile(pathOf("a-file"), "");
    for (const std::string& unusable : {pathOf("missing"), pathOf("a-file")}) {
        lockFolderSetting.set(unusable);
        SerialPort port;
        EXPECT_NO_THROW(port.open(terminal.slavePath(), kBaudRate));
        SerialPort second;
        EXPECT_EQ(portRefusal([&] { second.open(terminal.slavePath(), kBaudRate); }),
                  terminal.slavePath() + ": Device or resource busy")
            << unusable;
    }
    EXPECT_FALSE(std::filesystem::exists(pathOf("missing")));
    EXPECT_EQ(readFile(pathOf("a-file")), "");
}

} // namespace
