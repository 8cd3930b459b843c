#include "config/ModuleCatalogue.h"

#include "support/TempDataFolder.h"

namespace {

class ModuleCatalogueTest : public TempDataFolder {
protected:
    ModuleCatalogue catalogue() const { return ModuleCatalogue(dataFolder); }

    struct Lookup {
        int leadCount;
        std::string listText;
    };

    // No module reads as lead count -1 with no text.
    Lookup lookup(int n) const {
        const std::optional<ModuleCatalogue::Module> module = catalogue().lookup(n);
        if (!module)
            return {-1, "none"};
        EXPECT_EQ(module->code, n);
        return {module->leadCount, module->listText};
    }
};

TEST_F(ModuleCatalogueTest, ListEndsAtFirstGapWhileLookupStillFindsLaterModules) {
    writeFile(dataFolder / "Modules.dat", "MODULE1_LEADS=8\r\nMODULE1_DESC=Standard\r\n"
                                          "MODULE2_LEADS=16\r\nMODULE2_DESC=Wide\r\n"
                                          "MODULE4_LEADS=32\r\nMODULE4_DESC=Quad\r\n");

    const std::vector<ModuleCatalogue::Module> modules = catalogue().modules();
    ASSERT_EQ(modules.size(), 2U);
    EXPECT_EQ(modules[0].code, 1);
    EXPECT_EQ(modules[0].leadCount, 8);
    EXPECT_EQ(modules[0].listText, "8 Lead Standard");
    EXPECT_EQ(modules[1].code, 2);
    EXPECT_EQ(modules[1].listText, "16 Lead Wide");

    const Lookup fourth = lookup(4);
    EXPECT_EQ(fourth.leadCount, 32);
    EXPECT_EQ(fourth.listText, "32 Lead Quad");
    EXPECT_EQ(lookup(3).leadCount, -1);
}

TEST_F(ModuleCatalogueTest, WorkingDirectoryCatalogueHidesDataFolderCatalogue) {
    writeFile(dataFolder / "Modules.dat", "MODULE1_LEADS=8\r\nMODULE1_DESC=Folder\r\n"
                                          "MODULE2_LEADS=16\r\nMODULE2_DESC=Folder\r\n");
    writeFile(workFolder / "Modules.dat", "MODULE1_LEADS=4\r\nMODULE1_DESC=Local\r\n");

    EXPECT_EQ(lookup(1).listText, "4 Lead Local");
    EXPECT_EQ(lookup(2).leadCount, -1);
    EXPECT_EQ(catalogue().modules().size(), 1U);
}

TEST_F(ModuleCatalogueTest, SystemCataloguesFollowInTheOrderOfXdgDataDirs) {
    const auto first = root / "first";
    const auto second = root / "second";
    // Empty entries name no folder.
    dataDirs.set(":" + first.string() + "::" + second.string() + ":");
    const std::string firstPath = first / "mirafen" / "Modules.dat";
    const std::string secondPath = second / "mirafen" / "Modules.dat";
    EXPECT_EQ(catalogue().places(),
              (std::vector<std::string>{"./Modules.dat", dataFolder / "Modules.dat", firstPath,
                                        secondPath}));
    EXPECT_FALSE(catalogue().location().has_value());

    struct Step {
        std::filesystem::path written;
        const char* description;
        std::string location;
    };
    const Step steps[] = {
        {secondPath, "Second", secondPath},
        {firstPath, "First", firstPath},
        {dataFolder / "Modules.dat", "Folder", dataFolder / "Modules.dat"},
        {workFolder / "Modules.dat", "Local", "./Modules.dat"},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.description);
        std::filesystem::create_directories(step.written.parent_path());
        writeFile(step.written,
                  std::string("MODULE1_LEADS=8\r\nMODULE1_DESC=") + step.description + "\r\n");
        EXPECT_EQ(lookup(1).listText, std::string("8 Lead ") + step.description);
        EXPECT_EQ(catalogue().location(), step.location);
    }
}

TEST_F(ModuleCatalogueTest, WithoutXdgDataDirsTheSystemFoldersAreLocalThenShare) {
    for (const char* unset : {static_cast<const char*>(nullptr), ""}) {
        if (unset)
            dataDirs.set(unset);
        else
            dataDirs.unset();
        const std::vector<std::string> places = catalogue().places();
        EXPECT_EQ(std::vector<std::string>(places.begin() + 2, places.end()),
                  (std::vector<std::string>{"/usr/local/share/mirafen/Modules.dat",
                                            "/usr/share/mirafen/Modules.dat"}));
    }
}

TEST_F(ModuleCatalogueTest, ChangedCatalogueCountsAtNextLookup) {
    writeFile(dataFolder / "Modules.dat", "MODULE1_LEADS=8\r\nMODULE1_DESC=Old\r\n");
    EXPECT_EQ(lookup(1).listText, "8 Lead Old");

    writeFile(dataFolder / "Modules.dat", "MODULE1_LEADS=24\r\nMODULE1_DESC=New\r\n");
    EXPECT_EQ(lookup(1).listText, "24 Lead New");
}

TEST_F(ModuleCatalogueTest, MissingCatalogueKnowsNoModule) {
    EXPECT_EQ(lookup(1).leadCount, -1);
    EXPECT_TRUE(catalogue().modules().empty());
    EXPECT_FALSE(std::filesystem::exists(dataFolder / "Modules.dat"));
    EXPECT_FALSE(std::filesystem::exists(workFolder / "Modules.dat"));
}

struct EntryCase {
    const char* name;
    const char* content;
    int leadCount;
    const char* listText;
};

class ModuleEntryTest : public ModuleCatalogueTest,
                        public ::testing::WithParamInterface<EntryCase> {};

TEST_P(ModuleEntryTest, ReadsLeadCountAndListText) {
    writeFile(dataFolder / "Modules.dat", GetParam().content);

    const Lookup first = lookup(1);
    EXPECT_EQ(first.leadCount, GetParam().leadCount);
    EXPECT_EQ(first.listText, GetParam().listText);
}

INSTANTIATE_TEST_SUITE_P(
    Entries, ModuleEntryTest,
    ::testing::Values(
        EntryCase{"LeadingZero", "MODULE1_LEADS=08\r\nMODULE1_DESC=Standard\r\n", 8,
                  "8 Lead Standard"},
        EntryCase{"NoDigitsCountsAsNoLeads", "MODULE1_LEADS=none\r\nMODULE1_DESC=Blank\r\n", 0,
                  "0 Lead Blank"},
        EntryCase{"MoreThanTheRecordHoldsIsCapped", "MODULE1_LEADS=200\r\nMODULE1_DESC=Big\r\n",
                  128, "128 Lead Big"},
        EntryCase{"LastLineWithoutLineEnd", "MODULE1_LEADS=8\r\nMODULE1_DESC=Last Line", 8,
                  "8 Lead Last Line"},
        EntryCase{"LineEndsOfLfAlone", "MODULE1_DESC=Unix\nMODULE1_LEADS=12\n", 12, "12 Lead Unix"},
        EntryCase{"NegativeCountIsNoEntry", "MODULE1_LEADS=-3\r\nMODULE1_DESC=Odd\r\n", -1, "none"},
        EntryCase{"CountWithoutDescriptionIsNoEntry", "MODULE1_LEADS=8\r\n", -1, "none"},
        EntryCase{"DescriptionWithoutCountIsNoEntry", "MODULE1_DESC=Orphan\r\n", -1, "none"},
        EntryCase{"OtherModuleNumberDoesNotMatch", "MODULE10_LEADS=8\r\nMODULE10_DESC=Ten\r\n", -1,
                  "none"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
