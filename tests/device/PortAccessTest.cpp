#include "device/PortAccess.h"

#include "support/AsOutsider.h"
#include "support/PseudoTerminal.h"
#include "support/TempFolder.h"

#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class PortAccessTest : public TempFolder {
protected:
    void SetUp() override {
        TempFolder::SetUp();
        if (geteuid() != 0)
            GTEST_SKIP() << "needs root to play a user outside the device's group";
        chmod(folder.c_str(), 0755);
    }

    static std::string hintAsOutsider(const std::string& path) {
        return asOutsider([&path] { return portAccessHint(path); });
    }
};

TEST_F(PortAccessTest, NamesAGroupToJoinOnlyWhenItIsTheSystemsSerialGroup) {
    const PseudoTerminal terminal;
    const std::string& device = terminal.slavePath();
    const std::string joinAdvice = ". To use it, join that group: sudo usermod -aG ";
    const std::string ownerAdvice =
        ", and this user may not open it. A udev rule or the system's administrator decides who "
        "may use it.";
    struct Case {
        const char* group;
        mode_t mode;
        std::string hint;
    };
    const Case cases[] = {
        {"dialout", 0660,
         device + " belongs to the group dialout" + joinAdvice +
             "dialout $USER, then log out and in again."},
        {"uucp", 0660,
         device + " belongs to the group uucp" + joinAdvice +
             "uucp $USER, then log out and in again."},
        {"root", 0660, device + " belongs to the user root and the group root" + ownerAdvice},
        {"tty", 0620, device + " belongs to the user root and the group tty" + ownerAdvice},
        // Joining a group that may not read and write the device would not help.
        {"dialout", 0600, device + " belongs to the user root and the group dialout" + ownerAdvice},
        {"dialout", 0666, ""},
    };
    for (const Case& c : cases) {
        const group* entry = getgrnam(c.group);
        if (entry == nullptr)
            continue;
        ASSERT_EQ(chown(device.c_str(), 0, entry->gr_gid), 0);
        ASSERT_EQ(chmod(device.c_str(), c.mode), 0);
        EXPECT_EQ(hintAsOutsider(device), c.hint) << c.group << ' ' << std::oct << c.mode;
    }
}

TEST_F(PortAccessTest, AFileThatIsNoDeviceIsNamedSoAndAMissingOneGetsNoHint) {
    const std::string file = pathOf("passwd");
    writeFile(file, "root:x:0:0::/root:/bin/sh\n");
    ASSERT_EQ(chmod(file.c_str(), 0644), 0);
    EXPECT_EQ(hintAsOutsider(file), file + " is not a serial device.");
    EXPECT_EQ(hintAsOutsider(pathOf("ttyUSB7")), "");
}

} // namespace
