#include "device/PortAccess.h"

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string groupName(gid_t group) {
    if (const struct group* entry = getgrgid(group))
        return entry->gr_name;
    return std::to_string(group);
}

} // namespace

std::optional<std::string> groupToJoinFor(const std::string& devicePath) {
    struct stat status {};
    if (devicePath.empty() || stat(devicePath.c_str(), &status) != 0)
        return std::nullopt;
    if (access(devicePath.c_str(), R_OK | W_OK) == 0)
        return std::nullopt;
    return groupName(status.st_gid);
}
