#include "setup/KeyValueFile.h"

#include "setup/FileError.h"
#include "setup/FileWrite.h"
#include "setup/ReplacementFile.h"

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

// The owner and group stay where the system allows it: root keeps both, another user keeps a
// group it belongs to. What is refused stays the saver's, as in any new file.
void keepOwnerAndMode(int fd, const struct stat& status, const std::string& path) {
    static_cast<void>(::fchown(fd, status.st_uid, status.st_gid) == 0 ||
                      ::fchown(fd, static_cast<uid_t>(-1), status.st_gid) == 0);
    check(::fchmod(fd, status.st_mode & 07777) == 0, path);
}

} // namespace

KeyValueFile::~KeyValueFile() {
    close();
}

void KeyValueFile::open(const std::string& path, bool create) {
    openFor(path, create ? Access::RewriteOrCreate : Access::Rewrite);
}

void KeyValueFile::openForReading(const std::string& path) {
    openFor(path, Access::Read);
}

void KeyValueFile::openFor(const std::string& path, Access wanted) {
    path_ = path;
    close();
    access = wanted;
    if (path.size() >= kMaxPathLength)
        throw FileError::fromErrno(ENAMETOOLONG, path);
    const bool reading = wanted == Access::Read;
    // A path naming a terminal or a pipe is refused below; opening it must neither wait for a
    // carrier or a writer nor make it the program's controlling terminal.
    const int flags = (reading ? O_RDONLY : O_RDWR) | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
    int opened = ::open(path.c_str(), flags);
    if (opened < 0 && errno == ENOENT && wanted == Access::RewriteOrCreate) {
        // O_EXCL follows no symbolic link: one that points nowhere stays missing.
        opened = ::open(path.c_str(), flags | O_CREAT | O_EXCL, 0666);
        if (opened < 0 && errno == EEXIST)
            opened = ::open(path.c_str(), flags);
    }
    check(opened >= 0, path);
    // A file without its owner's write permission counts as read-only even for root, who could
    // otherwise open it for writing.
    struct stat status {};
    int refusal = 0;
    if (::fstat(opened, &status) != 0)
        refusal = errno;
    else if (S_ISDIR(status.st_mode))
        refusal = EISDIR;
    else if (!S_ISREG(status.st_mode))
        refusal = -1; // a pipe, a terminal or another device: no errno says so
    else if (!reading && (status.st_mode & S_IWUSR) == 0)
        refusal = EACCES;
    else if (::flock(opened, (reading ? LOCK_SH : LOCK_EX) | LOCK_NB) != 0)
        refusal = errno;
    if (refusal != 0) {
        ::close(opened);
        if (refusal < 0)
            throw FileError(FileError::Cause::NotAFile, path);
        throw FileError::fromErrno(refusal, path);
    }
    fd = opened;
}

KeyValueText KeyValueFile::read() {
    ensureOpen();
    return readContent();
}

std::optional<std::string> KeyValueFile::getValue(std::string_view key) {
    // The content stays alive while its value is copied out.
    const KeyValueText content = read();
    const auto found = content.getValue(key);
    return found ? std::optional<std::string>(*found) : std::nullopt;
}

bool KeyValueFile::hasKey(std::string_view key) {
    return read().getValue(key).has_value();
}

void KeyValueFile::setValue(std::string_view key, std::string_view value) {
    const Entry entry{key, value};
    setValues(std::span(&entry, 1));
}

void KeyValueFile::setValues(std::span<const Entry> entries) {
    if (access == Access::Read)
        throw FileError(FileError::Cause::AccessDenied, path_);
    KeyValueText content = read();
    content.setValues(entries);
    rewrite(content);
}

void KeyValueFile::ensureOpen() {
    if (!isOpen())
        openFor(path_, access == Access::Read ? Access::Read : Access::RewriteOrCreate);
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
    // Through a symbolic link the file it finally points at is replaced, in its own folder, so
    // the link stays and everyone who follows it sees the new content.
    std::error_code unresolved;
    const std::filesystem::path target = std::filesystem::canonical(path_, unresolved);
    if (unresolved)
        throw FileError::fromErrno(unresolved.value(), path_);
    ReplacementFile replacement(target, path_);
    const int replacementFd = replacement.descriptor();
    keepOwnerAndMode(replacementFd, status, path_);
    // Locked before it takes the target's place, so no other opener gets in between.
    check(::flock(replacementFd, LOCK_EX | LOCK_NB) == 0, path_);
    writeAll(replacementFd, content.text(), path_);
    check(::fsync(replacementFd) == 0, path_);
    const int replaced = replacement.replaceTarget();
    close();
    fd = replaced;
}

KeyValueText readKeyValueFile(const std::string& path) {
    KeyValueFile file;
    file.openForReading(path);
    return file.read();
}
