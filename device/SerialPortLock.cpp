#include "device/SerialPortLock.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <optional>
#include <signal.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr const char* kFolderVariable = "MIRAFEN_LOCK_DIR";
constexpr const char* kSystemFolder = "/run/lock";

// A program takes a lock before it opens the device; this long is allowed between the two.
constexpr std::chrono::seconds kLockSettleTime{10};

// /dev/serial/by-id/usb-... and the /dev/ttyUSB0 it stands for are one device, locked under one
// name.
std::filesystem::path deviceOf(const std::string& devicePath) {
    std::error_code error;
    const std::filesystem::path device = std::filesystem::canonical(devicePath, error);
    return error ? std::filesystem::path(devicePath) : device;
}

// The device's path below /dev, its slashes as underscores: ttyUSB0, pts_1.
std::string lockName(const std::filesystem::path& device) {
    std::string name = device.string();
    constexpr std::string_view kDeviceFolder = "/dev/";
    if (name.starts_with(kDeviceFolder))
        name.erase(0, kDeviceFolder.size());
    std::ranges::replace(name, '/', '_');
    return name;
}

std::string lockContent(pid_t process) {
    std::array<char, 16> text{};
    const int length = std::snprintf(text.data(), text.size(), "%10d\n", static_cast<int>(process));
    return {text.data(), static_cast<std::size_t>(length)};
}

// The process named in a lock file; none when the file holds no process id (an old binary lock,
// or one being written at this moment).
std::optional<pid_t> holderOf(const std::filesystem::path& lockPath) {
    const int file = ::open(lockPath.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (file < 0)
        return std::nullopt;
    std::array<char, 64> text{};
    const ssize_t got = ::read(file, text.data(), text.size());
    ::close(file);
    if (got <= 0)
        return std::nullopt;
    std::string_view content(text.data(), static_cast<std::size_t>(got));
    content.remove_prefix(std::min(content.find_first_not_of(' '), content.size()));
    int process = 0;
    const char* const last = content.data() + content.size();
    const auto [end, error] = std::from_chars(content.data(), last, process);
    if (error != std::errc{} || process <= 0 || (end != last && *end != '\n'))
        return std::nullopt;
    return process;
}

bool isRunning(pid_t process) {
    return kill(process, 0) == 0 || errno == EPERM;
}

// Whether the process has the device open; true when its descriptors cannot be read (another
// user's process), as it may well have.
bool hasOpen(pid_t process, const std::filesystem::path& device) {
    std::error_code error;
    std::filesystem::directory_iterator descriptors("/proc/" + std::to_string(process) + "/fd",
                                                    error);
    if (error)
        return true;
    for (const auto& descriptor : descriptors) {
        std::error_code unreadable;
        if (std::filesystem::read_symlink(descriptor.path(), unreadable) == device)
            return true;
    }
    return false;
}

bool isOlderThan(const std::filesystem::path& file, std::chrono::seconds age) {
    std::error_code error;
    const auto written = std::filesystem::last_write_time(file, error);
    return !error && written < std::filesystem::file_time_type::clock::now() - age;
}

// A lock is held while the process it names runs, with two exceptions that process numbers
// coming round again make real. A lock naming this process: its own opens of the device are
// already ruled out by the flock this one took first. A lock naming a process that has kept it a
// while without having the device open: that number now belongs to another program.
bool isHeld(pid_t process, const std::filesystem::path& lockPath,
            const std::filesystem::path& device) {
    if (process == getpid() || !isRunning(process))
        return false;
    return !isOlderThan(lockPath, kLockSettleTime) || hasOpen(process, device);
}

// "minicom, process 1234, /run/lock/LCK..ttyUSB0"
std::string describeHolder(std::optional<pid_t> process, const std::filesystem::path& lockPath) {
    if (!process)
        return lockPath.string();
    std::string name;
    std::getline(std::ifstream("/proc/" + std::to_string(*process) + "/comm"), name);
    return (name.empty() ? "" : name + ", ") + "process " + std::to_string(*process) + ", " +
           lockPath.string();
}

} // namespace

std::filesystem::path SerialPortLock::folder() {
    const char* chosen = std::getenv(kFolderVariable);
    return chosen != nullptr && *chosen != '\0' ? chosen : kSystemFolder;
}

std::filesystem::path SerialPortLock::pathFor(const std::string& devicePath) {
    return folder() / ("LCK.." + lockName(deviceOf(devicePath)));
}

std::optional<std::string> SerialPortLock::runningHolder(const std::string& devicePath) {
    const std::filesystem::path lockPath = pathFor(devicePath);
    const std::optional<pid_t> process = holderOf(lockPath);
    if (!process || !isRunning(*process))
        return std::nullopt;
    return describeHolder(process, lockPath);
}

bool SerialPortLock::take(const std::string& devicePath) {
    release();
    holderText.clear();
    const std::filesystem::path device = deviceOf(devicePath);
    const std::filesystem::path candidate = pathFor(devicePath);
    // A second round follows the removal of a stale lock; a third would mean another program
    // keeps making stale locks, and the port counts as held.
    for (int round = 0; round < 2; ++round) {
        const int file =
            ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644);
        if (file >= 0) {
            const std::string content = lockContent(getpid());
            const bool written =
                ::fchmod(file, 0644) == 0 && ::write(file, content.data(), content.size()) ==
                                                 static_cast<ssize_t>(content.size());
            if (::close(file) == 0 && written)
                lockPath = candidate;
            else
                ::unlink(candidate.c_str());
            return true;
        }
        // A lock folder that is missing, read-only or full leaves the flock alone to guard the
        // port, as before lock files were kept.
        if (errno != EEXIST)
            return true;
        const std::optional<pid_t> process = holderOf(candidate);
        if (!process || isHeld(*process, candidate, device)) {
            holderText = describeHolder(process, candidate);
            return false;
        }
        // Another user's stale lock in the sticky lock folder: its holder is gone all the same.
        if (::unlink(candidate.c_str()) != 0 && errno != ENOENT)
            return true;
    }
    holderText = describeHolder(holderOf(candidate), candidate);
    return false;
}

void SerialPortLock::release() {
    if (lockPath.empty())
        return;
    // Taken over meanwhile by a program that thought this one gone: the lock is no longer ours.
    if (holderOf(lockPath) == getpid())
        ::unlink(lockPath.c_str());
    lockPath.clear();
}
