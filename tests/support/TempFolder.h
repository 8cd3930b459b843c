#pragma once

#include "support/FileContent.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>

// A fresh temporary folder per test, removed afterwards.
class TempFolder : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::string pathOf(const std::string& name) const { return folder / name; }

    std::filesystem::path folder;
};
