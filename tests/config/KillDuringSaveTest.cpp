#include "config/ProgramSettings.h"
#include "setup/SetupFile.h"
#include "setup/SetupRecord.h"
#include "support/TempDataFolder.h"

#include <chrono>
#include <csignal>
#include <functional>
#include <random>
#include <set>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr int kRounds = 25;

// Runs saveForever in a child process and kills it with SIGKILL after a random moment of up to
// 20 ms, kRounds times; after every kill, check looks at what the child left.
void killRounds(const std::function<void()>& saveForever, const std::function<void()>& check) {
    const auto seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> moment(0, 20'000);
    for (int round = 0; round < kRounds; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // The child never returns into the test framework, whatever happens.
            try {
                saveForever();
            } catch (...) {
            }
            _exit(1);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(moment(random)));
        ASSERT_EQ(kill(child, SIGKILL), 0);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        check();
    }
}

SetupRecord sample(char tag) {
    SetupRecord record;
    for (int lead = 1; lead <= SetupRecord::kMaxLeads; ++lead)
        record.leadName[lead] = tag + std::to_string(lead);
    record.shutOffTime = tag == 'a' ? 60 : 1200;
    return record;
}

class KillDuringSaveTest : public TempDataFolder {
protected:
    // The names in the data folder.
    std::set<std::string> dataFolderEntries() const {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dataFolder))
            names.insert(entry.path().filename());
        return names;
    }

    // After the kill rounds and one more save: whatever the killed saves left is gone, and a
    // file that no save made is still there.
    void expectNothingLeftBehind(const std::function<void()>& save,
                                 const std::set<std::string>& files) {
        SCOPED_TRACE(std::to_string(dataFolderEntries().size() - files.size() - 1) +
                     " left by the killed saves");
        save();
        std::set<std::string> expected = files;
        expected.insert(kForeignFile);
        EXPECT_EQ(dataFolderEntries(), expected);
    }

    void SetUp() override {
        TempDataFolder::SetUp();
        writeFile(dataFolder / kForeignFile, "");
    }

    // Named as a save's replacement, but by no process.
    static constexpr const char* kForeignFile = ".setup.prp.rewrite-none-a8Fj2k";
};

// A save killed at any moment leaves the setup file as one of the setups saved, whole.
TEST_F(KillDuringSaveTest, ASetupFileIsAlwaysOneSavedSetup) {
    const std::string path = dataFolder / "setup.prp";
    const SetupRecord first = sample('a');
    const SetupRecord second = sample('b');
    writeSetupFile(first, path);
    killRounds(
        [&] {
            for (;;) {
                writeSetupFile(second, path);
                writeSetupFile(first, path);
            }
        },
        [&] {
            SetupRecord loaded;
            ASSERT_NO_THROW(readSetupFile(loaded, path));
            EXPECT_TRUE(loaded == first || loaded == second);
        });
    expectNothingLeftBehind([&] { writeSetupFile(first, path); }, {"setup.prp"});
}

// The same for zenset.sys while the port is stored.
TEST_F(KillDuringSaveTest, ZensetSysAlwaysHoldsOneStoredPort) {
    ProgramSettings settings;
    settings.establishDataFolder();
    ASSERT_NO_THROW(settings.storeCommDevices({{3, "/dev/ttyUSB0"}}));
    ASSERT_NO_THROW(settings.storeCommPort(3));
    killRounds(
        [&] {
            for (;;) {
                settings.storeCommPort(9);
                settings.storeCommPort(3);
            }
        },
        [&] {
            const auto port = settings.readCommPort();
            EXPECT_TRUE(port == std::optional<std::uint8_t>(3) ||
                        port == std::optional<std::uint8_t>(9));
            EXPECT_EQ(settings.boundDevice(3), std::optional<std::string>("/dev/ttyUSB0"));
        });
    expectNothingLeftBehind([&] { settings.storeCommPort(3); }, {"zenset.sys"});
}

} // namespace
