#pragma once

#include "setup/FileError.h"
#include "setup/KeyValueText.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>

// One small text file of KEY=value lines (setup files, zenset.sys, Modules.dat), held open for as
// long as the object holds it: for a rewrite read-write, locked against every other opener; for
// reading alone read-only, under a lock that keeps out only a rewrite. Its lines follow
// KeyValueText's rules.
class KeyValueFile {
public:
    using Entry = KeyValueText::Entry;

    KeyValueFile() = default;
    KeyValueFile(const KeyValueFile&) = delete;
    KeyValueFile& operator=(const KeyValueFile&) = delete;
    ~KeyValueFile();

    // Opens path read-write and exclusively; with create a missing file is created empty.
    // Throws FileError on a missing file without create, a file that may only be read, a file
    // held by another opener, a folder or a device, or a path of 260 characters or more. A
    // symbolic link is followed, and one that points nowhere is not found rather than being
    // turned into a file.
    void open(const std::string& path, bool create);
    // Opens path read-only under a shared lock, for reading alone: never creates it, needs no
    // write access, and throws FileError on a missing file or one being rewritten. The file is
    // then never rewritten: the operations that would rewrite it throw FileError (access denied).
    void openForReading(const std::string& path);

    // The operations below open a file whose open failed once more first (created when missing,
    // unless it was to be read alone) and throw FileError as an open does.

    // The whole content as it stands.
    KeyValueText read();
    // The value of the first line holding key; none when no line does.
    std::optional<std::string> getValue(std::string_view key);
    bool hasKey(std::string_view key);
    // Rewrites the file so that every line holding key becomes key=value, or appends key=value
    // when none does. Through a symbolic link, the file it finally points at is rewritten and
    // the link stays. The owner, group and mode stay where the system allows it. Throws
    // FileError when the rewrite cannot complete; the file then stays as it was.
    void setValue(std::string_view key, std::string_view value);
    // The same as setValue of each entry in order, in a single rewrite of the file.
    void setValues(std::span<const Entry> entries);

    bool isOpen() const { return fd >= 0; }
    const std::string& path() const { return path_; }

    // Paths this long or longer are refused.
    static constexpr std::size_t kMaxPathLength = 260;

private:
    enum class Access { Read, Rewrite, RewriteOrCreate };

    void openFor(const std::string& path, Access access);
    void ensureOpen();
    void close();
    KeyValueText readContent() const;
    // Replaces the file by content through a locked temporary file renamed over it.
    void rewrite(const KeyValueText& content);

    int fd = -1;
    Access access = Access::RewriteOrCreate;
    std::string path_;
};

// The content of a file that is only read, opened as openForReading does. Throws FileError when
// it cannot be opened or read.
KeyValueText readKeyValueFile(const std::string& path);
