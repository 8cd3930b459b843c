#include "setup/FileError.h"

#include <cerrno>
#include <gtest/gtest.h>

namespace {

TEST(FileError, MapsErrnoToItsCause) {
    using Cause = FileError::Cause;
    const std::pair<int, Cause> cases[] = {
        {EACCES, Cause::AccessDenied},    {EPERM, Cause::AccessDenied},
        {EROFS, Cause::AccessDenied},     {EWOULDBLOCK, Cause::SharingViolation},
        {EBUSY, Cause::SharingViolation}, {ETXTBSY, Cause::Busy},
        {EISDIR, Cause::IsDirectory},     {ENOENT, Cause::NotFound},
        {ENOTDIR, Cause::NotFound},       {ENOSPC, Cause::DiskFull},
        {EDQUOT, Cause::DiskFull},        {EIO, Cause::Generic},
        {EFBIG, Cause::Generic},
    };
    for (const auto& [error, cause] : cases)
        EXPECT_EQ(FileError::fromErrno(error, "/x").cause(), cause) << error;
}

TEST(FileError, ItsTextIsTheStandardTextOfItsCauseNamingThePathOnce) {
    const FileError error = FileError::fromErrno(ENOSPC, "/data/setup one.prp");
    EXPECT_EQ(error.path(), "/data/setup one.prp");
    EXPECT_STREQ(error.what(), "Disk full while accessing /data/setup one.prp.");
    // A path holding the mark itself is put in as it is.
    EXPECT_STREQ(FileError(FileError::Cause::SharingViolation, "/data/%1 50%.prp").what(),
                 "A sharing violation occurred while accessing /data/%1 50%.prp.");
    EXPECT_STREQ(FileError(FileError::Cause::Generic, "x").what(),
                 "An unexpected file error occurred while accessing x.");
}

} // namespace
