#include "sim/LinkName.h"

#include "setup/Failure.h"

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

void LinkName::create(const std::string& linkPath, const std::string& linkTarget) {
    std::error_code failure;
    const auto status = std::filesystem::symlink_status(linkPath, failure);
    if (std::filesystem::is_symlink(status))
        std::filesystem::remove(linkPath, failure);
    else if (std::filesystem::exists(status))
        throw Failure(linkPath + ": exists and is not a symlink");
    std::filesystem::create_symlink(linkTarget, linkPath, failure);
    if (failure)
        throw Failure(linkPath + ": " + failure.message());
    path = linkPath;
    target = linkTarget;
}
