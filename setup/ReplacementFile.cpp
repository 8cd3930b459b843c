#include "setup/ReplacementFile.h"

#include "setup/FileError.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <optional>
#include <string_view>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>
#include <utility>

namespace {

constexpr std::string_view kMark = ".rewrite-";
constexpr std::string_view kUniqueTail = "XXXXXX";
// Keeps a replacement's name within the 255 bytes a file name may have, whatever the target's.
constexpr std::size_t kTargetNameKept = 200;

std::string namePrefix(const std::filesystem::path& target) {
    return "." + target.filename().string().substr(0, kTargetNameKept) + std::string(kMark);
}

// The process that made a replacement of target named name; none when name is not one.
std::optional<pid_t> makerOf(std::string_view name, const std::filesystem::path& target) {
    const std::string prefix = namePrefix(target);
    if (!name.starts_with(prefix))
        return std::nullopt;
    name.remove_prefix(prefix.size());
    const std::size_t dash = name.find('-');
    if (dash == 0 || dash == std::string_view::npos || name.size() - dash - 1 != kUniqueTail.size())
        return std::nullopt;
    const std::string_view digits = name.substr(0, dash);
    const std::string_view unique = name.substr(dash + 1);
    const auto isDigit = [](char c) {
        return std::isdigit(static_cast<unsigned char>(c)) != 0;
    };
    const auto isAlnum = [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) != 0;
    };
    if (digits.size() > 9 || digits.front() == '0' || !std::ranges::all_of(digits, isDigit) ||
        !std::ranges::all_of(unique, isAlnum))
        return std::nullopt;
    return static_cast<pid_t>(std::stol(std::string(digits)));
}

bool isRunning(pid_t pid) {
    // A process of another user answers EPERM: it runs all the same.
    return ::kill(pid, 0) == 0 || errno != ESRCH;
}

// Removes the replacements of target that saves killed or failed before their end left behind:
// their maker runs no more. Only what a save of this program makes is removed, a plain file named
// as ours; a folder that cannot be listed is left as it is.
void removeStaleReplacements(const std::filesystem::path& target) {
    std::error_code error;
    for (std::filesystem::directory_iterator entry(target.parent_path(), error);
         !error && entry != std::filesystem::directory_iterator(); entry.increment(error)) {
        const auto maker = makerOf(entry->path().filename().string(), target);
        std::error_code unknownType;
        if (maker && !isRunning(*maker) &&
            std::filesystem::is_regular_file(entry->symlink_status(unknownType)))
            ::unlink(entry->path().c_str());
    }
}

} // namespace

ReplacementFile::ReplacementFile(const std::filesystem::path& target,
                                 const std::string& reportedPath)
    : target(target)
    , reportedPath(reportedPath) {
    removeStaleReplacements(target);
    path = target.parent_path() /
           (namePrefix(target) + std::to_string(::getpid()) + "-" + std::string(kUniqueTail));
    fd = ::mkostemp(path.data(), O_CLOEXEC);
    if (fd < 0)
        throw FileError::fromErrno(errno, reportedPath);
}

ReplacementFile::~ReplacementFile() {
    if (fd >= 0) {
        ::close(fd);
        ::unlink(path.c_str());
    }
}

int ReplacementFile::replaceTarget() {
    if (::rename(path.c_str(), target.c_str()) != 0)
        throw FileError::fromErrno(errno, reportedPath);
    return std::exchange(fd, -1);
}
