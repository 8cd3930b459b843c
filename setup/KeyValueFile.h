#pragma once

#include "setup/FileError.h"

#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// One small text file of KEY=value lines (setup files, zenset.sys, Modules.dat), opened
// read-write and locked against every other opener for as long as the object holds it.
//
// A line holds KEY when the text before its first "=" equals KEY (blanks around it ignored,
// case-sensitive); its value is the text after that "=", without the line end. Lines end in
// CR LF on disk; LF alone is read too; a Ctrl-Z ends the file. Text is 8-bit.
class KeyValueFile {
public:
    using Entry = std::pair<std::string, std::string>;

    KeyValueFile() = default;
    KeyValueFile(const KeyValueFile&) = delete;
    KeyValueFile& operator=(const KeyValueFile&) = delete;
    ~KeyValueFile();

    // Opens path read-write and exclusively; with create a missing file is created empty.
    // Fails (false, nothing shown) on a missing file without create, a file that may only be
    // read, a file held by another opener, or a path of 260 characters or more; openFailure()
    // then says why.
    bool open(const std::string& path, bool create);
    FileError openFailure() const;

    // The value of the first line holding key; none when no line does.
    std::optional<std::string> getValue(std::string_view key);
    bool hasKey(std::string_view key);
    // Every key the file holds with the value of its first line, read in one pass; empty when
    // the file cannot be opened.
    std::map<std::string, std::string, std::less<>> values();
    // Rewrites the file so that every line holding key becomes key=value.
    // Throws FileError when the rewrite cannot complete; the file then stays as it was.
    bool replaceValue(std::string_view key, std::string_view value);
    // Replaces the key's lines when present, else appends key=value.
    bool setValue(std::string_view key, std::string_view value);
    // The same as SetValue of each entry in order, in a single rewrite of the file.
    bool setValues(std::span<const Entry> entries);

    bool isOpen() const { return fd >= 0; }
    const std::string& path() const { return path_; }

    // Paths this long or longer are refused.
    static constexpr std::size_t kMaxPathLength = 260;

private:
    bool ensureOpen();
    bool refuseOpen(int error);
    void close();
    // The lines up to the first Ctrl-Z, without their line ends.
    std::vector<std::string> readLines() const;
    // Replaces the file by lines through a locked temporary file renamed over it.
    void rewrite(const std::vector<std::string>& lines);

    int fd = -1;
    int openErrno = 0;
    std::string path_;
};
