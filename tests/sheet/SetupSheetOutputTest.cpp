#include "sheet/SetupSheetOutput.h"

#include "setup/FileError.h"
#include "sheet/SetupSheet.h"
#include "support/AsOutsider.h"
#include "support/TempFolder.h"

#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>

namespace {

class SetupSheetOutputTest : public TempFolder {
protected:
    const SetupSheet sheet = setupSheetOf(SetupRecord{}, "a.prp");
    std::ostringstream standardOutput;
};

// What opening the output for path reports; empty when it opens.
std::string openingFailure(const std::string& path) {
    try {
        std::ostringstream unused;
        SetupSheetOutput output(path, unused);
    } catch (const FileError& error) {
        return error.what();
    }
    return {};
}

TEST_F(SetupSheetOutputTest, APathThatCannotBeWrittenFailsWhenOpenedAndIsNotMade) {
    struct Case {
        const char* name;
        std::string path;
        std::function<std::string(const std::string&)> open;
        std::string failure;
    };
    std::filesystem::create_directory(folder / "folder");
    const Case cases[] = {
        {"in a missing folder", pathOf("missing/sheet.pdf"), openingFailure,
         pathOf("missing/sheet.pdf") + " was not found."},
        {"a folder", pathOf("folder"), openingFailure, pathOf("folder") + " is a directory."},
        // The temporary folder is the test's own: nobody may not enter it.
        {"in a folder of another user", pathOf("sheet.pdf"),
         [](const std::string& path) {
             return asOutsider([&path] { return openingFailure(path); });
         },
         "Access to " + pathOf("sheet.pdf") + " was denied."},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        EXPECT_EQ(test.open(test.path), test.failure);
        EXPECT_FALSE(std::filesystem::is_regular_file(test.path));
    }
}

TEST_F(SetupSheetOutputTest, AFileWrittenOverHoldsTheSheetAndKeepsItsMode) {
    const std::string path = pathOf("sheet.pdf");
    writeFile(path, std::string(100'000, 'x'));
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);

    SetupSheetOutput(path, standardOutput).write(sheet);

    const std::string pdf = readFile(path);
    EXPECT_EQ(pdf.rfind("%PDF-", 0), 0U);
    EXPECT_EQ(pdf.find('x' + std::string(100, 'x')), std::string::npos);
    struct stat status {};
    ASSERT_EQ(stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640U);
    EXPECT_EQ(standardOutput.str(), "");
}

TEST_F(SetupSheetOutputTest, AnOutputNeverWrittenTakesBackTheFileItMadeOnly) {
    const std::string made = pathOf("made.pdf");
    const std::string existing = pathOf("existing.pdf");
    writeFile(existing, "earlier sheet");
    {
        SetupSheetOutput first(made, standardOutput);
        SetupSheetOutput second(existing, standardOutput);
        EXPECT_TRUE(std::filesystem::exists(made));
    }
    EXPECT_FALSE(std::filesystem::exists(made));
    EXPECT_EQ(readFile(existing), "earlier sheet");
}

TEST_F(SetupSheetOutputTest, DashIsStandardOutput) {
    SetupSheetOutput("-", standardOutput).write(sheet);

    EXPECT_EQ(standardOutput.str().rfind("%PDF-", 0), 0U);
    EXPECT_FALSE(std::filesystem::exists("-"));
}

} // namespace
