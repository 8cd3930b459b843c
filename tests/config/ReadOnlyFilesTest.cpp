#include "config/ModuleCatalogue.h"
#include "config/ProgramSettings.h"
#include "setup/FileError.h"
#include "setup/SetupFile.h"
#include "support/MountNamespace.h"
#include "support/TempDataFolder.h"

namespace {

using ReadOnlyFilesTest = TempDataFolder;

// Everything the program only reads, on a file system where even root cannot write: a setup
// file, zenset.sys at start-up and a catalogue installed for every user are all read.
TEST_F(ReadOnlyFilesTest, WhatIsOnlyReadNeedsNoWriteAccess) {
    const auto systemCatalogue = root / "system" / "mirafen" / "Modules.dat";
    std::filesystem::create_directories(systemCatalogue.parent_path());
    writeFile(systemCatalogue, "MODULE1_LEADS=8\r\nMODULE1_DESC=Installed\r\n");
    ProgramSettings settings;
    settings.establishDataFolder();
    writeFile(settings.settingsPath(), "COMMPORT=4\r\nCOMMDEVICE4=/dev/ttyUSB3\r\n");
    const auto setupPath = workFolder / "bench.prp";
    writeFile(setupPath, "LEADNAME1=Fixed\r\nFREQUENCY=3\r\n");

    const int status = onReadOnlyFolder(root, [&] {
        const ModuleCatalogue catalogue(settings.dataFolder());
        if (catalogue.modules().size() != 1 || catalogue.location() != systemCatalogue.string())
            return 1;
        if (settings.readCommPort() != 4 || settings.commDevice(4) != "/dev/ttyUSB3")
            return 2;
        SetupRecord record;
        readSetupFile(record, setupPath);
        if (record.leadName[1] != "Fixed" || record.frequency != 3)
            return 3;
        try {
            settings.storeCommPort(5);
        } catch (const FileError&) {
            return 0;
        }
        return 4;
    });
    if (status == kNoMount)
        GTEST_SKIP() << "no read-only mount can be made here";
    // 1: catalogue, 2: settings, 3: setup file not read; 4: a port stored on a read-only file
    // system without a file error; 78: a file error where none belongs.
    EXPECT_EQ(status, 0);
}

} // namespace
