#include "config/RecordFile.h"

#include "setup/Failure.h"

#include <cerrno>
#include <cstring>
#include <sys/file.h>
#include <unistd.h>

bool lockFile(int fd, int operation) {
    while (::flock(fd, operation) != 0)
        if (errno != EINTR)
            return false;
    return true;
}

void failOnFile(const std::string& path, int error) {
    throw Failure(path + ": " + std::strerror(error));
}

bool endsLine(int fd, off_t size) {
    char last = '\n';
    return size == 0 || (::pread(fd, &last, 1, size - 1) == 1 && last == '\n');
}
