#pragma once

#include "setup/Failure.h"

#include <string>

// A file that could not be opened, read or written. what() is the standard text of its cause
// with the path ("Access to /data/ward4.prp was denied."); the window shows that text through
// its translation, from cause() and path().
class FileError : public Failure {
public:
    enum class Cause {
        AccessDenied,
        SharingViolation,
        NotFound,
        DiskFull,
        IsDirectory, // a folder given where a file belongs
        NotAFile,    // a pipe, a terminal or another device given where a file belongs
        Busy,        // a program being run, which Linux will not let anyone write
        Generic
    };

    FileError(Cause cause, std::string path);
    // Maps an errno value to its cause.
    static FileError fromErrno(int error, std::string path);

    Cause cause() const { return cause_; }
    const std::string& path() const { return path_; }

    // The standard text of the cause, "%1" standing for the path: "Access to %1 was denied."
    static const char* standardTextPattern(Cause cause);

private:
    Cause cause_;
    std::string path_;
};
