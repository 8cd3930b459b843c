#pragma once

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <initializer_list>
#include <poll.h>
#include <span>
#include <stdexcept>
#include <stdlib.h>
#include <string>
#include <sys/ioctl.h>
#include <thread>
#include <unistd.h>
#include <vector>

// A real pseudo-terminal pair standing in for the instrument's cable. The code under test opens
// slavePath() as its port; the test plays the instrument on the master side.
class PseudoTerminal {
public:
    static constexpr std::chrono::milliseconds kWait{1000};

    PseudoTerminal()
        : master(posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC)) {
        if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0)
            fail("pseudo-terminal");
        path = ptsname(master);
        // Opened before any exclusive opener, so it is never refused.
        slave = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (slave < 0)
            fail(path);
    }
    ~PseudoTerminal() {
        ::close(slave);
        hangUp();
    }
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    const std::string& slavePath() const { return path; }
    int masterFd() const { return master; }
    // A plain descriptor on the port side, for looking at its settings and input queue; tests
    // never read from it.
    int slaveFd() const { return slave; }

    // Writes bytes as the instrument and returns once the port side can read all of them. Call
    // it only while the port side is in raw mode (after the code under test opened it).
    void send(std::span<const std::uint8_t> bytes) {
        const int before = waitingOnPortSide();
        std::size_t written = 0;
        while (written < bytes.size()) {
            const ssize_t count = write(master, bytes.data() + written, bytes.size() - written);
            if (count < 0)
                fail("write to " + path);
            written += static_cast<std::size_t>(count);
        }
        const auto deadline = std::chrono::steady_clock::now() + kWait;
        while (waitingOnPortSide() < before + static_cast<int>(bytes.size())) {
            if (std::chrono::steady_clock::now() > deadline)
                throw std::runtime_error("bytes did not reach " + path);
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    }
    void send(std::initializer_list<std::uint8_t> bytes) {
        send(std::span<const std::uint8_t>(bytes.begin(), bytes.size()));
    }

    // What the port side wrote: up to count bytes, waiting at most kWait for them.
    std::vector<std::uint8_t> receive(std::size_t count) {
        std::vector<std::uint8_t> bytes;
        const auto deadline = std::chrono::steady_clock::now() + kWait;
        while (bytes.size() < count) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            pollfd ready{master, POLLIN, 0};
            if (left.count() <= 0 || poll(&ready, 1, static_cast<int>(left.count())) <= 0)
                break;
            std::array<std::uint8_t, 256> chunk{};
            const ssize_t got =
                read(master, chunk.data(), std::min(chunk.size(), count - bytes.size()));
            if (got > 0)
                bytes.insert(bytes.end(), chunk.begin(), chunk.begin() + got);
        }
        return bytes;
    }

    // The far end goes away, as when the instrument is unplugged.
    void hangUp() {
        if (master >= 0)
            ::close(master);
        master = -1;
    }

private:
    int waitingOnPortSide() const {
        int count = 0;
        if (ioctl(slave, FIONREAD, &count) != 0)
            fail("input queue of " + path);
        return count;
    }
    [[noreturn]] static void fail(const std::string& what) {
        throw std::runtime_error(what + ": " + std::strerror(errno));
    }

    int master;
    int slave = -1;
    std::string path;
};
