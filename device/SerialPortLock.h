#pragma once

#include <filesystem>
#include <string>

// The UUCP lock file of a serial device, as terminal programs keep them: LCK..<device name> in
// the lock folder, holding the holder's process id as ten characters and a newline. Honoured and
// taken beside the port's own flock, so that such a program and this one keep out of each other.
class SerialPortLock {
public:
    SerialPortLock() = default;
    ~SerialPortLock() { release(); }
    SerialPortLock(const SerialPortLock&) = delete;
    SerialPortLock& operator=(const SerialPortLock&) = delete;

    // $MIRAFEN_LOCK_DIR when set, else /run/lock.
    static std::filesystem::path folder();

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
