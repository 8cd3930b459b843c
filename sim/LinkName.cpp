#include "sim/LinkName.h"

#include <filesystem>

namespace {

bool pointsAt(const std::filesystem::path& path, const std::string& target) {
    std::error_code error;
    return std::filesystem::is_symlink(std::filesystem::symlink_status(path, error)) &&
           std::filesystem::read_symlink(path, error) == target;
}

} // namespace

LinkName::~LinkName() {
    std::error_code ignored;
    if (!path.empty() && pointsAt(path, target))
        std::filesystem::remove(path, ignored);
}

std::optional<std::string> LinkName::create(const std::string& linkPath,
                                            const std::string& linkTarget) {
    std::error_code failure;
    const auto status = std::filesystem::symlink_status(linkPath, failure);
    if (std::filesystem::is_symlink(status))
        std::filesystem::remove(linkPath, failure);
    else if (std::filesystem::exists(status)) {
        return linkPath + ": exists and is not a symlink";
    }
    std::filesystem::create_symlink(linkTarget, linkPath, failure);
    if (failure) {
        return linkPath + ": " + failure.message();
    }
    path = linkPath;
    target = linkTarget;
    return std::nullopt;
}
