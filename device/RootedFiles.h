#pragma once

#include <filesystem>
#include <optional>
#include <string>

// A system folder tree (sysfs, /dev) read under a root folder, so that the same code reads the
// machine itself ("/") or a copy of its layout elsewhere. Paths given and returned are the
// machine's own ("/sys/class/tty/ttyUSB0"); the root is added only to touch the disk.

// Where systemPath lies on disk under root.
std::filesystem::path rootedLocation(const std::filesystem::path& root,
                                     const std::filesystem::path& systemPath);

// systemPath with every link followed the way the machine would: a relative target from the
// link's own folder, an absolute one from root, ".." never above root. The result need not
// exist (a broken link resolves to where it points); empty on a link loop or unreadable link.
std::optional<std::filesystem::path> resolveRooted(const std::filesystem::path& root,
                                                   const std::filesystem::path& systemPath);

// The text of the file at systemPath (links followed) without its trailing line ends;
// none when it is missing, not a regular file, or cannot be read.
std::optional<std::string> readRootedText(const std::filesystem::path& root,
                                          const std::filesystem::path& systemPath);
