#pragma once

#include <stdexcept>
#include <string>

// A failure in the middle of rewriting a file. The command that started the work catches it and
// shows the standard text for its cause with the path.
class FileError : public std::runtime_error {
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

    FileError(Cause cause, std::string path, const std::string& detail = {});
    // Maps an errno value to its cause.
    static FileError fromErrno(int error, std::string path);

    Cause cause() const { return cause_; }
    const std::string& path() const { return path_; }

    // The standard text of the cause, "%1" standing for the path: "Access to %1 was denied."
    static const char* standardTextPattern(Cause cause);
    // That text with the path: what a user is shown.
    std::string standardText() const;

private:
    Cause cause_;
    std::string path_;
};
