#pragma once

#include <filesystem>
#include <string>

// The new content of a file being rewritten, in a temporary file beside it that is renamed over
// it once complete. Its name says whose it is: the target's name and the process that made it
// (".setup.prp.rewrite-4242-a8Fj2k"), so that one left behind by a killed save is recognised as
// ours and removed at the next rewrite of the same target. Removed again unless it took the
// target's place.
class ReplacementFile {
public:
    // Removes the stale replacements of target, then creates a new one. Throws FileError for
    // reportedPath (the path the user named) when it cannot be created.
    ReplacementFile(const std::filesystem::path& target, const std::string& reportedPath);
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;
    ~ReplacementFile();

    int descriptor() const { return fd; }
    // Renames it over the target. It then stands in the target's place and the caller owns the
    // descriptor. Throws FileError when the rename fails; it is then removed as usual.
    int replaceTarget();

private:
    std::filesystem::path target;
    std::string reportedPath;
    std::string path;
    int fd = -1;
};
