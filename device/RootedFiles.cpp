#include "device/RootedFiles.h"

#include <fstream>
#include <iterator>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace {

// The kernel's own bound on links followed in one lookup.
constexpr int maxLinksFollowed = 40;

void pushReversed(std::vector<fs::path>& pending, const fs::path& path) {
    const std::vector<fs::path> parts(path.begin(), path.end());
    pending.insert(pending.end(), parts.rbegin(), parts.rend());
}

} // namespace

fs::path rootedLocation(const fs::path& root, const fs::path& systemPath) {
    return root / systemPath.relative_path();
}

std::optional<fs::path> resolveRooted(const fs::path& root, const fs::path& systemPath) {
    std::vector<fs::path> pending; // components still to walk, next one last
    pushReversed(pending, systemPath.relative_path());
    fs::path resolved = "/";
    int linksFollowed = 0;
    while (!pending.empty()) {
        const fs::path part = pending.back();
        pending.pop_back();
        if (part.empty() || part == ".") {
            continue;
        }
        if (part == "..") {
            resolved = resolved.parent_path();
            continue;
        }
        const fs::path candidate = resolved / part;
        std::error_code error;
        if (!fs::is_symlink(rootedLocation(root, candidate), error)) {
            resolved = candidate;
            continue;
        }
        const fs::path target = fs::read_symlink(rootedLocation(root, candidate), error);
        if (error || ++linksFollowed > maxLinksFollowed) {
            return std::nullopt;
        }
        if (target.is_absolute()) {
            resolved = "/";
        }
        pushReversed(pending, target.relative_path());
    }
    return resolved;
}

std::optional<std::string> readRootedText(const fs::path& root, const fs::path& systemPath) {
    const auto resolved = resolveRooted(root, systemPath);
    if (!resolved) {
        return std::nullopt;
    }
    const fs::path location = rootedLocation(root, *resolved);
    std::error_code error;
    if (!fs::is_regular_file(location, error)) {
        return std::nullopt;
    }
    std::ifstream file(location, std::ios::binary);
    if (!file) {
        return std::nullopt;
    }
    std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    if (file.bad()) {
        return std::nullopt;
    }
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
        text.pop_back();
    }
    return text;
}
