#include "config/ExampleCatalogue.h"

#include "setup/FileError.h"
#include "setup/FileWrite.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

namespace {

std::string readWhole(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file)
        throw FileError::fromErrno(errno, path);
    std::string content{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    if (file.bad())
        throw FileError::fromErrno(errno, path);
    return content;
}

} // namespace

std::vector<std::string> exampleCataloguePlaces(const std::string& programFolder) {
    return {programFolder + "/examples/Modules.dat",
            programFolder + "/../share/doc/mirafen/examples/Modules.dat"};
}

std::optional<std::string> findExampleCatalogue(const std::string& programFolder) {
    for (const std::string& place : exampleCataloguePlaces(programFolder)) {
        std::error_code error;
        if (std::filesystem::is_regular_file(place, error))
            return std::filesystem::weakly_canonical(place, error).string();
    }
    return std::nullopt;
}

std::string copyExampleCatalogue(const std::string& example, const std::string& dataFolder) {
    const std::string content = readWhole(example);
    const std::string target = dataFolder + "/Modules.dat";
    const int fd = ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0)
        throw FileError::fromErrno(errno, target);
    try {
        writeAll(fd, content, target);
        if (::fsync(fd) != 0)
            throw FileError::fromErrno(errno, target);
    } catch (const FileError&) {
        ::close(fd);
        ::unlink(target.c_str());
        throw;
    }
    if (::close(fd) != 0) {
        const int closeError = errno;
        ::unlink(target.c_str());
        throw FileError::fromErrno(closeError, target);
    }
    return target;
}
