#pragma once

#include <filesystem>
#include <optional>
#include <string>

// The UUCP lock file of a serial device, as terminal programs keep them: LCK..<device name> in
// the lock folder, holding the holder's process id as ten characters and a newline; the name of
// a device in a subfolder of /dev has its slashes as underscores (LCK..pts_1), as minicom and
// lockdev name it. Honoured and taken beside the port's own flock, so that such a program and
// this one keep out of each other.
class SerialPortLock {
public:
    SerialPortLock() = default;
    ~SerialPortLock() { release(); }
    SerialPortLock(const SerialPortLock&) = delete;
    SerialPortLock& operator=(const SerialPortLock&) = delete;

    // $MIRAFEN_LOCK_DIR when set, else /run/lock.
    static std::filesystem::path folder();
    // The lock file of devicePath in the folder; a link to the device names the device's.
    static std::filesystem::path pathFor(const std::string& devicePath);
    // "minicom, process 1234, /run/lock/LCK..ttyUSB0" when a lock file of devicePath names a
    // process that runs: who holds the device, when its flock refuses it.
    static std::optional<std::string> runningHolder(const std::string& devicePath);

    // Takes the lock of devicePath. A stale lock is taken over: one left by a process that no
    // longer runs, or whose process number has come round to this process or to a program that
    // has not opened the device within seconds of the lock.
    // False when another process holds it: holder() then says which. A lock folder that is
    // missing or cannot be written takes nothing and returns true, as the port itself is free.
    bool take(const std::string& devicePath);
    // Removes the lock file this holder made, if any.
    void release();

    bool held() const { return !lockPath.empty(); }
    // "minicom, process 1234, /run/lock/LCK..ttyUSB0" after a refused take().
    const std::string& holder() const { return holderText; }

private:
    std::filesystem::path lockPath; // the lock file this holder made
    std::string holderText;
};
