#pragma once

#include <filesystem>
#include <string>

// Whole files, byte for byte.
void writeFile(const std::filesystem::path& path, const std::string& content);
std::string readFile(const std::filesystem::path& path);
