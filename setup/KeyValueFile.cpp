#include "setup/KeyValueFile.h"

#include "setup/FileError.h"

#include <array>
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void check(bool succeeded, const std::string& path) {
    if (!succeeded)
        throw FileError::fromErrno(errno, path);
}

// A temporary file beside the target that is removed again unless it was put in the target's
// place.
class ReplacementFile {
public:
    explicit ReplacementFile(const std::string& target) {
        const std::filesystem::path folder = std::filesystem::path(target).parent_path();
        path = (folder.empty() ? std::filesystem::path(".") : folder) / ".rewrite-XXXXXX";
        fd = mkostemp(path.data(), O_CLOEXEC);
        check(fd >= 0, target);
    }
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;
    ~ReplacementFile() {
        if (fd >= 0) {
            ::close(fd);
            ::unlink(path.c_str());
        }
    }

    int descriptor() const { return fd; }
    const std::string& name() const { return path; }
    // The file now stands at the target's path: it is no longer removed, and the caller owns the
    // descriptor.
    int release() { return std::exchange(fd, -1); }

private:
    std::string path;
    int fd = -1;
};

void writeAll(int fd, std::string_view content, const std::string& path) {
    while (!content.empty()) {
        const ssize_t written = ::write(fd, content.data(), content.size());
        if (written < 0 && errno == EINTR)
            continue;
        check(written >= 0, path);
        if (written == 0)
            throw FileError::fromErrno(ENOSPC, path);
        content.remove_prefix(static_cast<std::size_t>(written));
    }
}

} // namespace

KeyValueFile::~KeyValueFile() {
    close();
}

bool KeyValueFile::open(const std::string& path, bool create) {
    path_ = path;
    close();
    if (path.size() >= kMaxPathLength)
        return refuseOpen(ENAMETOOLONG);
    // A path naming a terminal or a pipe is refused below; opening it must neither wait for a
    // carrier or a writer nor make it the program's controlling terminal.
    const int opened = ::open(
        path.c_str(), O_RDWR | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | (create ? O_CREAT : 0), 0666);
    if (opened < 0)
        return refuseOpen(errno);
    // A file without its owner's write permission counts as read-only even for root, who could
    // otherwise open it for writing.
    struct stat status {};
    int refusal = 0;
    if (::fstat(opened, &status) != 0)
        refusal = errno;
    else if (!S_ISREG(status.st_mode))
        refusal = EISDIR;
    else if ((status.st_mode & S_IWUSR) == 0)
        refusal = EACCES;
    else if (::flock(opened, LOCK_EX | LOCK_NB) != 0)
        refusal = errno;
    if (refusal != 0) {
        ::close(opened);
        return refuseOpen(refusal);
    }
    fd = opened;
    openErrno = 0;
    return true;
}

bool KeyValueFile::refuseOpen(int error) {
    openErrno = error;
    return false;
}

FileError KeyValueFile::openFailure() const {
    return FileError::fromErrno(openErrno, path_);
}

std::optional<KeyValueText> KeyValueFile::read() {
    if (!ensureOpen())
        return std::nullopt;
    return readContent();
}

std::optional<std::string> KeyValueFile::getValue(std::string_view key) {
    const auto content = read();
    if (!content)
        return std::nullopt;
    const auto found = content->getValue(key);
    return found ? std::optional<std::string>(*found) : std::nullopt;
}

bool KeyValueFile::hasKey(std::string_view key) {
    const auto content = read();
    return content && content->getValue(key).has_value();
}

bool KeyValueFile::replaceValue(std::string_view key, std::string_view value) {
    auto content = read();
    if (!content)
        return false;
    content->replaceValue(key, value);
    rewrite(*content);
    return true;
}

bool KeyValueFile::setValue(std::string_view key, std::string_view value) {
    const Entry entry{key, value};
    return setValues(std::span(&entry, 1));
}

bool KeyValueFile::setValues(std::span<const Entry> entries) {
    auto content = read();
    if (!content)
        return false;
    content->setValues(entries);
    rewrite(*content);
    return true;
}

bool KeyValueFile::ensureOpen() {
    return isOpen() || open(path_, true);
}

void KeyValueFile::close() {
    if (fd >= 0)
        ::close(std::exchange(fd, -1));
}

KeyValueText KeyValueFile::readContent() const {
    std::string text;
    std::array<char, 4096> block{};
    for (;;) {
        const ssize_t got =
            ::pread(fd, block.data(), block.size(), static_cast<off_t>(text.size()));
        if (got < 0 && errno == EINTR)
            continue;
        check(got >= 0, path_);
        if (got == 0)
            break;
        text.append(block.data(), static_cast<std::size_t>(got));
    }
    return KeyValueText(text);
}

void KeyValueFile::rewrite(const KeyValueText& content) {
    struct stat status {};
    check(::fstat(fd, &status) == 0, path_);
    ReplacementFile replacement(path_);
    const int replacementFd = replacement.descriptor();
    check(::fchmod(replacementFd, status.st_mode & 07777) == 0, path_);
    // Locked before it takes the target's place, so no other opener gets in between.
    check(::flock(replacementFd, LOCK_EX | LOCK_NB) == 0, path_);
    writeAll(replacementFd, content.text(), path_);
    check(::fsync(replacementFd) == 0, path_);
    check(::rename(replacement.name().c_str(), path_.c_str()) == 0, path_);
    close();
    fd = replacement.release();
}
