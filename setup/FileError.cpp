#include "setup/FileError.h"

#include <cerrno>
#include <utility>

namespace {

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

FileError::FileError(Cause cause, std::string path)
    : Failure(filledPattern(standardTextPattern(cause), path))
    , cause_(cause)
    , path_(std::move(path)) {}

FileError FileError::fromErrno(int error, std::string path) {
    return FileError(causeOfErrno(error), std::move(path));
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
