#include "cli/SetupFileInput.h"

#include "setup/FileError.h"
#include "setup/SetupFile.h"

#include <cerrno>
#include <iostream>
#include <iterator>
#include <sys/stat.h>

SetupRecord readExistingSetupFile(const std::string& path) {
    if (path == "-") {
        const std::string content{std::istreambuf_iterator<char>(std::cin), {}};
        SetupRecord record;
        readSetup(record, KeyValueText(content));
        record.normalizeCodes();
        return record;
    }
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0)
        throw FileError::fromErrno(errno, path);
    SetupRecord record;
    readSetupFile(record, path);
    record.normalizeCodes();
    return record;
}
