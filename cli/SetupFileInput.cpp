#include "cli/SetupFileInput.h"

#include "setup/FileError.h"
#include "setup/SetupFile.h"

#include <cerrno>
#include <sys/stat.h>

SetupRecord readExistingSetupFile(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0)
        throw FileError::fromErrno(errno, path);
    SetupRecord record;
    readSetupFile(record, path);
    record.normalizeCodes();
    return record;
}
