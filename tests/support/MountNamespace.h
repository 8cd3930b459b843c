#pragma once

#include <filesystem>
#include <functional>

// Runs check in a child process that sees folder changed by a mount in a mount namespace of its
// own (inside a user namespace where the test is not root), so the mount ends with the child and
// nothing outside it sees the change. The result is the child's exit status, which is check's;
// kNoMount where mounting is not allowed here. check runs in the child: it reports through its
// result, not through the test's assertions.
constexpr int kNoMount = 77;

// folder is a tmpfs of 16 KiB, empty at first.
int onSmallFileSystem(const std::filesystem::path& folder, const std::function<int()>& check);
// folder, with what it holds, can only be read: writing fails with EROFS, for root too.
int onReadOnlyFolder(const std::filesystem::path& folder, const std::function<int()>& check);
