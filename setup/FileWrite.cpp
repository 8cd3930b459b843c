#include "setup/FileWrite.h"

#include "setup/FileError.h"

#include <cerrno>
#include <unistd.h>

void writeAll(int fd, std::string_view content, const std::string& path) {
    while (!content.empty()) {
        const ssize_t written = ::write(fd, content.data(), content.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0)
            throw FileError::fromErrno(errno, path);
        if (written == 0)
            throw FileError::fromErrno(ENOSPC, path);
        content.remove_prefix(static_cast<std::size_t>(written));
    }
}
