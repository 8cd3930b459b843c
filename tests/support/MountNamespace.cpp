#include "support/MountNamespace.h"

#include "support/FileContent.h"

#include <sched.h>
#include <string>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int kCheckThrew = 78;

int inMountNamespace(const std::function<bool()>& mountIt, const std::function<int()>& check) {
    const pid_t child = fork();
    if (child != 0) {
        int status = 0;
        waitpid(child, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    const uid_t uid = getuid();
    const gid_t gid = getgid();
    const bool root = geteuid() == 0;
    if (unshare(root ? CLONE_NEWNS : CLONE_NEWUSER | CLONE_NEWNS) != 0)
        _exit(kNoMount);
    if (!root) {
        writeFile("/proc/self/setgroups", "deny");
        writeFile("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1");
        writeFile("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1");
    }
    if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 || !mountIt())
        _exit(kNoMount);
    // The child never returns into the test framework, whatever happens.
    try {
        _exit(check());
    } catch (...) {
        _exit(kCheckThrew);
    }
}

} // namespace

int onSmallFileSystem(const std::filesystem::path& folder, const std::function<int()>& check) {
    return inMountNamespace(
        [&folder] { return mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=16k") == 0; }, check);
}

int onReadOnlyFolder(const std::filesystem::path& folder, const std::function<int()>& check) {
    return inMountNamespace(
        [&folder] {
            return mount(folder.c_str(), folder.c_str(), nullptr, MS_BIND | MS_REC, nullptr) == 0 &&
                   mount(nullptr, folder.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY,
                         nullptr) == 0;
        },
        check);
}
