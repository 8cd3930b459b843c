#pragma once

#include <string>
#include <string_view>

// Writes the whole content to the open descriptor fd, in as many writes as it takes. Throws
// FileError for path when a write fails or the disk takes no more.
void writeAll(int fd, std::string_view content, const std::string& path);
