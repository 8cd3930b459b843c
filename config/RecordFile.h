#pragma once

#include <string>
#include <sys/types.h>
#include <unistd.h>
#include <utility>

// What the files of the record (history.csv and the department's queue) are opened, locked and
// failed with.

// An open file descriptor, closed when it goes; -1 holds none.
class Descriptor {
public:
    explicit Descriptor(int fd = -1)
        : fd(fd) {}
    Descriptor(Descriptor&& other) noexcept
        : fd(std::exchange(other.fd, -1)) {}
    Descriptor& operator=(Descriptor&& other) noexcept {
        std::swap(fd, other.fd);
        return *this;
    }
    ~Descriptor() {
        if (fd >= 0)
            ::close(fd);
    }
    int get() const { return fd; }

private:
    int fd;
};

// Takes or drops a flock, waiting for it through signals; false when it fails (errno says why).
bool lockFile(int fd, int operation);

// Throws Failure in the system's words: "<path>: Read-only file system".
[[noreturn]] void failOnFile(const std::string& path, int error);

// Whether the file of size bytes ends in a line end, so that a line appended starts a line of
// its own.
bool endsLine(int fd, off_t size);
