#include "setup/FileError.h"

#include <cerrno>
#include <cstring>
#include <string_view>
#include <utility>

namespace {

std::string_view causeText(FileError::Cause cause) {
    switch (cause) {
    case FileError::Cause::AccessDenied:
        return "access denied";
    case FileError::Cause::SharingViolation:
        return "sharing violation";
    case FileError::Cause::NotFound:
        return "not found";
    case FileError::Cause::DiskFull:
        return "disk full";
    case FileError::Cause::IsDirectory:
        return "is a directory";
    case FileError::Cause::NotAFile:
        return "not a file";
    case FileError::Cause::Busy:
        return "busy";
    case FileError::Cause::Generic:
        break;
    }
    return "file error";
}

std::string describe(FileError::Cause cause, const std::string& path, const std::string& detail) {
    std::string text{causeText(cause)};
    text += ": ";
    text += path;
    if (!detail.empty())
        text += " (" + detail + ")";
    return text;
}

constexpr std::string_view kPathMark = "%1";

FileError::Cause causeOfErrno(int error) {
    switch (error) {
    case EACCES:
    case EPERM:
    case EROFS:
        return FileError::Cause::AccessDenied;
    case EWOULDBLOCK:
    case EBUSY:
        return FileError::Cause::SharingViolation;
    case ETXTBSY:
        return FileError::Cause::Busy;
    case EISDIR:
        return FileError::Cause::IsDirectory;
    case ENOENT:
    case ENOTDIR:
        return FileError::Cause::NotFound;
    case ENOSPC:
    case EDQUOT:
        return FileError::Cause::DiskFull;
    default:
        return FileError::Cause::Generic;
    }
}

} // namespace

FileError::FileError(Cause cause, std::string path, const std::string& detail)
    : std::runtime_error(describe(cause, path, detail))
    , cause_(cause)
    , path_(std::move(path)) {}

FileError FileError::fromErrno(int error, std::string path) {
    return FileError(causeOfErrno(error), std::move(path), std::strerror(error));
}

const char* FileError::standardTextPattern(Cause cause) {
    switch (cause) {
    case Cause::AccessDenied:
        return "Access to %1 was denied.";
    case Cause::SharingViolation:
        return "A sharing violation occurred while accessing %1.";
    case Cause::NotFound:
        return "%1 was not found.";
    case Cause::DiskFull:
        return "Disk full while accessing %1.";
    case Cause::IsDirectory:
        return "%1 is a directory.";
    case Cause::NotAFile:
        return "%1 is not a file.";
    case Cause::Busy:
        return "%1 is busy.";
    case Cause::Generic:
        break;
    }
    return "An unexpected file error occurred while accessing %1.";
}

std::string FileError::standardText() const {
    std::string text = standardTextPattern(cause_);
    text.replace(text.find(kPathMark), kPathMark.size(), path_);
    return text;
}
