#pragma once

#include "ProgramSettings.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>
#include <sstream>
#include <string>

// A fresh temporary tree per test: XDG_DATA_HOME points into it, the data folder is established
// there and the working directory is a folder of its own. Everything is restored afterwards.
class TempDataFolder : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "mirafen-app-XXXXXX");
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        root = pattern;
        savedDataHome = environment("XDG_DATA_HOME");
        savedWorkingDirectory = std::filesystem::current_path();

        setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
        settings.establishDataFolder();
        workingDirectory = root / "work";
        std::filesystem::create_directory(workingDirectory);
        std::filesystem::current_path(workingDirectory);
    }

    void TearDown() override {
        std::filesystem::current_path(savedWorkingDirectory);
        if (savedDataHome)
            setenv("XDG_DATA_HOME", savedDataHome->c_str(), 1);
        else
            unsetenv("XDG_DATA_HOME");
        std::filesystem::remove_all(root);
    }

    static std::optional<std::string> environment(const char* name) {
        const char* value = std::getenv(name);
        return value != nullptr ? std::optional<std::string>(value) : std::nullopt;
    }

    static void writeFile(const std::filesystem::path& path, const std::string& content) {
        std::ofstream(path, std::ios::binary) << content;
    }

    static std::string readFile(const std::filesystem::path& path) {
        std::ostringstream content;
        content << std::ifstream(path, std::ios::binary).rdbuf();
        return content.str();
    }

    std::filesystem::path dataFolder() const { return settings.dataFolder(); }

    std::filesystem::path root;
    std::filesystem::path workingDirectory;
    ProgramSettings settings;

private:
    std::optional<std::string> savedDataHome;
    std::filesystem::path savedWorkingDirectory;
};
