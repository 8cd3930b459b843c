#include "sheet/SetupSheetOutput.h"

#include "setup/FileError.h"
#include "setup/FileWrite.h"
#include "sheet/SetupSheetPdf.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

SetupSheetOutput::SetupSheetOutput(std::string path, std::ostream& standardOutput)
    : path(std::move(path))
    , standardOutput(standardOutput) {
    if (this->path == "-")
        return;
    // A file of the same name is written over, keeping its owner and mode.
    fd = ::open(this->path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    created = fd >= 0;
    if (fd < 0 && errno == EEXIST)
        fd = ::open(this->path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        throw FileError::fromErrno(errno, this->path);
}

SetupSheetOutput::~SetupSheetOutput() {
    if (fd < 0)
        return;
    ::close(fd);
    if (created)
        ::unlink(path.c_str());
}

void SetupSheetOutput::write(const SetupSheet& sheet) {
    const std::string pdf = setupSheetPdf(sheet);
    if (path == "-") {
        standardOutput << pdf << std::flush;
        return;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0 || (S_ISREG(status.st_mode) && ::ftruncate(fd, 0) != 0))
        throw FileError::fromErrno(errno, path);
    writeAll(fd, pdf, path);
    const int written = std::exchange(fd, -1);
    if (::close(written) != 0)
        throw FileError::fromErrno(errno, path);
}
