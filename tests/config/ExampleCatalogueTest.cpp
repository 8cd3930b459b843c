#include "config/ExampleCatalogue.h"

#include "setup/FileError.h"
#include "support/TempDataFolder.h"

namespace {

class ExampleCatalogueTest : public TempDataFolder {
protected:
    // An installation: the program in bin, the example among its documents.
    void SetUp() override {
        TempDataFolder::SetUp();
        programFolder = root / "usr" / "bin";
        std::filesystem::create_directories(programFolder);
        installed = root / "usr" / "share" / "doc" / "mirafen" / "examples" / "Modules.dat";
        std::filesystem::create_directories(installed.parent_path());
        writeFile(installed, kExample);
    }

    static constexpr const char* kExample = "MODULE1_LEADS=8\r\nMODULE1_DESC=Example\r\n";
    std::filesystem::path programFolder;
    std::filesystem::path installed;
};

TEST_F(ExampleCatalogueTest, IsFoundBesideABuiltProgramFirstThenAmongTheInstalledDocuments) {
    EXPECT_EQ(findExampleCatalogue(programFolder), installed.string());

    std::filesystem::create_directory(programFolder / "examples");
    writeFile(programFolder / "examples" / "Modules.dat", kExample);
    EXPECT_EQ(findExampleCatalogue(programFolder),
              (programFolder / "examples" / "Modules.dat").string());

    EXPECT_EQ(findExampleCatalogue(root / "elsewhere"), std::nullopt);
}

TEST_F(ExampleCatalogueTest, IsCopiedIntoTheDataFolderButNeverOverACatalogueThere) {
    EXPECT_EQ(copyExampleCatalogue(installed, dataFolder), (dataFolder / "Modules.dat").string());
    EXPECT_EQ(readFile(dataFolder / "Modules.dat"), kExample);

    writeFile(dataFolder / "Modules.dat", "MODULE1_LEADS=4\r\n");
    EXPECT_THROW(copyExampleCatalogue(installed, dataFolder), FileError);
    EXPECT_EQ(readFile(dataFolder / "Modules.dat"), "MODULE1_LEADS=4\r\n");

    std::filesystem::remove(dataFolder / "Modules.dat");
    EXPECT_THROW(copyExampleCatalogue(root / "missing.dat", dataFolder), FileError);
    EXPECT_FALSE(std::filesystem::exists(dataFolder / "Modules.dat"));
}

} // namespace
