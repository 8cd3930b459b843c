#pragma once

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>

// A fresh temporary folder per test, removed afterwards, with byte-exact file helpers.
class TempFolder : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = std::filesystem::temp_directory_path() / "mirafen-setup-XXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        folder = pattern;
    }

    void TearDown() override { std::filesystem::remove_all(folder); }

    std::string pathOf(const std::string& name) const { return folder / name; }

    static void writeFile(const std::string& path, const std::string& content) {
        std::ofstream(path, std::ios::binary) << content;
    }

    static std::string readFile(const std::string& path) {
        std::ostringstream content;
        content << std::ifstream(path, std::ios::binary).rdbuf();
        return content.str();
    }

    std::filesystem::path folder;
};
