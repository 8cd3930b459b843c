#pragma once

#include "support/EnvironmentVariable.h"
#include "support/FileContent.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <string>

// A fresh temporary world per test: XDG_DATA_HOME, XDG_CONFIG_HOME and XDG_DATA_DIRS point into
// it, the data folder exists there and the working directory is a folder of its own. Everything
// is restored afterwards.
class TempDataFolder : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::filesystem::path root;
    std::filesystem::path dataFolder; // <data home>/Orvell/Mirafen
    std::filesystem::path workFolder; // the working directory

    // A test that points them elsewhere has them restored as well.
    const EnvironmentVariable dataHome{"XDG_DATA_HOME"};
    const EnvironmentVariable dataDirs{"XDG_DATA_DIRS"};

private:
    const EnvironmentVariable configHome{"XDG_CONFIG_HOME"};
    std::filesystem::path savedWorkingDirectory;
};
