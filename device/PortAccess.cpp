#include "device/PortAccess.h"

#include <algorithm>
#include <array>
#include <grp.h>
#include <pwd.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The groups that serial devices belong to: Debian's and Arch's or Fedora's.
constexpr std::array<std::string_view, 2> kSerialGroups{"dialout", "uucp"};

std::string groupName(gid_t group) {
    if (const struct group* entry = getgrgid(group))
        return entry->gr_name;
    return std::to_string(group);
}

std::string userName(uid_t user) {
    if (const passwd* entry = getpwuid(user))
        return entry->pw_name;
    return std::to_string(user);
}

} // namespace

std::string portAccessHint(const std::string& devicePath) {
    struct stat status {};
    if (devicePath.empty() || stat(devicePath.c_str(), &status) != 0)
        return {};
    if (access(devicePath.c_str(), R_OK | W_OK) == 0)
        return {};
    if (!S_ISCHR(status.st_mode))
        return devicePath + " is not a serial device.";
    const std::string group = groupName(status.st_gid);
    const bool groupMayUseIt = (status.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP);
    if (groupMayUseIt && std::ranges::find(kSerialGroups, group) != kSerialGroups.end())
        return devicePath + " belongs to the group " + group +
               ". To use it, join that group: sudo usermod -aG " + group +
               " $USER, then log out and in again.";
    return devicePath + " belongs to the user " + userName(status.st_uid) + " and the group " +
           group +
           ", and this user may not open it. A udev rule or the system's administrator decides "
           "who may use it.";
}
