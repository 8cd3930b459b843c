#pragma once

#include <string>

// A symlink naming the terminal end, removed again when the simulator ends (unless something
// else has taken its place meanwhile).
class LinkName {
public:
    LinkName() = default;
    LinkName(const LinkName&) = delete;
    LinkName& operator=(const LinkName&) = delete;
    ~LinkName();

    // Makes path point at target, replacing an earlier symlink of that name but nothing else.
    // Throws Failure with the reason when it cannot.
    void create(const std::string& path, const std::string& target);

private:
    std::string path;
    std::string target;
};
