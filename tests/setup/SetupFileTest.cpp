#include "setup/SetupFile.h"

#include "setup/FileError.h"
#include "setup/KeyValueFile.h"
#include "setup/NotASetupFile.h"
#include "support/AsOutsider.h"
#include "support/TempFolder.h"

#include <algorithm>
#include <array>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Lines = std::vector<std::string>;

class SetupFileTest : public TempFolder {
protected:
    std::string setupPath() const { return pathOf("setup.prp"); }

    static std::size_t lineCount(const std::string& content) {
        return static_cast<std::size_t>(std::count(content.begin(), content.end(), '\n'));
    }

    // Reads content as a setup file into record.
    void load(const std::string& content) {
        writeFile(setupPath(), content);
        ASSERT_NO_THROW(readSetupFile(record, setupPath()));
    }

    SetupRecord record;
};

SetupRecord sampleRecord(char tag) {
    SetupRecord sample;
    for (int lead = 1; lead <= SetupRecord::kMaxLeads; ++lead) {
        sample.leadName[lead] = tag + std::to_string(lead);
        sample.leadSkip[lead] = (lead + tag) % 3 == 0;
    }
    sample.frequency = static_cast<std::uint8_t>(1 + tag % 3);
    sample.startupMode = static_cast<std::uint8_t>(tag % 4);
    sample.failureResponse = 2;
    sample.failureLimit = 2;
    sample.goodLimit = tag;
    sample.poorLimit = 10 * tag;
    sample.shutOffTime = 20 * tag;
    return sample;
}

// The keys of a setup file in the order they are saved.
Lines setupLines(const SetupRecord& saved) {
    Lines lines;
    for (int lead = 1; lead <= SetupRecord::kMaxLeads; ++lead) {
        lines.push_back("LEADNAME" + std::to_string(lead) + "=" + saved.leadName[lead]);
        lines.push_back("LEADSKIP" + std::to_string(lead) + "=" +
                        (saved.leadSkip[lead] ? "1" : "0"));
    }
    lines.push_back("FREQUENCY=" + std::to_string(saved.frequency));
    lines.push_back("STARTUPMODE=" + std::to_string(saved.startupMode));
    lines.push_back("FAILURERESPONSE=" + std::to_string(saved.failureResponse));
    lines.push_back("FAILURELIMIT=" + std::to_string(saved.failureLimit));
    lines.push_back("GOODLIMIT=" + std::to_string(saved.goodLimit));
    lines.push_back("POORLIMIT=" + std::to_string(saved.poorLimit));
    lines.push_back("SHUTOFFTIME=" + std::to_string(saved.shutOffTime));
    return lines;
}

// The earlier writer matched a key anywhere in a line: setting a key rewrote every line that
// contained it and appended the key only when no line did.
void saveTheEarlierWay(Lines& file, const SetupRecord& saved) {
    for (const auto& line : setupLines(saved)) {
        const std::string key = line.substr(0, line.find('='));
        bool found = false;
        for (auto& existing : file) {
            if (existing.find(key) != std::string::npos) {
                existing = line;
                found = true;
            }
        }
        if (!found)
            file.push_back(line);
    }
}

std::string fileContent(const Lines& lines) {
    std::string content;
    for (const auto& line : lines)
        content += line + "\r\n";
    return content;
}

TEST_F(SetupFileTest, DefaultsMakeThe263LinesInOrder) {
    ASSERT_NO_THROW(writeSetupFile(SetupRecord{}, setupPath()));
    std::string expected;
    for (int lead = 1; lead <= 128; ++lead)
        expected +=
            "LEADNAME" + std::to_string(lead) + "=\r\nLEADSKIP" + std::to_string(lead) + "=0\r\n";
    expected += "FREQUENCY=1\r\nSTARTUPMODE=1\r\nFAILURERESPONSE=1\r\nFAILURELIMIT=1\r\n"
                "GOODLIMIT=100\r\nPOORLIMIT=150\r\nSHUTOFFTIME=60\r\n";
    EXPECT_EQ(readFile(setupPath()), expected);
}

TEST_F(SetupFileTest, SavingAgainKeepsTheFileAtItsSizeAndReadsTheLastSave) {
    const SetupRecord second = sampleRecord('b');
    ASSERT_NO_THROW(writeSetupFile(sampleRecord('a'), setupPath()));
    ASSERT_NO_THROW(writeSetupFile(second, setupPath()));

    const std::string content = readFile(setupPath());
    EXPECT_EQ(lineCount(content), 263u);
    EXPECT_EQ(content, fileContent(setupLines(second)));
    ASSERT_NO_THROW(readSetupFile(record, setupPath()));
    EXPECT_EQ(record, second);
}

TEST_F(SetupFileTest, FilesOfTheEarlierWriterReadBackExactly) {
    Lines earlier;
    saveTheEarlierWay(earlier, sampleRecord('a'));
    const SetupRecord second = sampleRecord('b');
    saveTheEarlierWay(earlier, second);
    ASSERT_EQ(earlier.size(), 263u + 238u);

    load(fileContent(earlier));
    EXPECT_EQ(record, second);

    const SetupRecord third = sampleRecord('c');
    ASSERT_NO_THROW(writeSetupFile(third, setupPath()));
    EXPECT_EQ(lineCount(readFile(setupPath())), earlier.size());
    SetupRecord reread;
    ASSERT_NO_THROW(readSetupFile(reread, setupPath()));
    EXPECT_EQ(reread, third);
}

TEST_F(SetupFileTest, ReadsOnlyTheKeysPresent) {
    record = sampleRecord('a');
    load("FREQUENCY=3\r\n");
    SetupRecord expected = sampleRecord('a');
    expected.frequency = 3;
    EXPECT_EQ(record, expected);
}

// The window's load keeps what a file does not hold; a setup to write starts from the defaults
// and names the settings that took them. A file without any setup key is refused by both.
TEST_F(SetupFileTest, TheTwoReadingsOfOneFile) {
    struct Case {
        std::string content;
        std::function<void(SetupRecord&)> held; // what the file changes
        std::string missingSettings;            // empty: refused
    };
    const Case cases[] = {
        {"LEADNAME1=Kept\r\nFREQUENCY=3\r\nGOODLIMIT=50\r\nPOORLIMIT=80\r\nSHUTOFFTIME=90\r\n",
         [](SetupRecord& setup) {
             setup.leadName[1] = "Kept";
             setup.frequency = 3;
             setup.goodLimit = 50;
             setup.poorLimit = 80;
             setup.shutOffTime = 90;
         },
         "a.prp lacks 3 settings, whose defaults go in: STARTUPMODE (Start-up mode Auto), "
         "FAILURERESPONSE (Failure response Stop), FAILURELIMIT (Failure criterion Good Limit)."},
        {fileContent(setupLines(sampleRecord('b'))),
         [](SetupRecord& setup) { setup = sampleRecord('b'); }, ""},
        {"", nullptr, ""},
        {"COMMPORT=3\r\nleadname1=abc\r\nFREQUENCY3=1\r\n", nullptr, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.content.substr(0, 40));
        writeFile(setupPath(), c.content);
        record = sampleRecord('a');
        SetupRecord loaded = record;
        SetupRecord written;
        if (c.held) {
            c.held(loaded);
            c.held(written);
            ASSERT_NO_THROW(readSetupFile(record, setupPath()));
        } else {
            EXPECT_THROW(readSetupFile(record, setupPath()), NotASetupFile);
        }
        EXPECT_EQ(record, loaded);

        try {
            const SetupToWrite toWrite = setupToWrite(KeyValueText(c.content), "a.prp");
            EXPECT_TRUE(c.held) << "taken";
            EXPECT_EQ(toWrite.setup, written);
            EXPECT_EQ(toWrite.missingSettings, c.missingSettings);
        } catch (const NotASetupFile& refused) {
            EXPECT_FALSE(c.held) << "refused";
            EXPECT_STREQ(refused.what(), "a.prp is not a setup file: it holds no setup key.");
        }
    }
}

TEST_F(SetupFileTest, ASkipFlagIsSetExactlyWhenItsValueStartsWithOne) {
    const std::pair<std::string, bool> cases[] = {{"1", true},    {"10", true}, {"0", false},
                                                  {"yes", false}, {"", false},  {" 1", false}};
    for (const auto& [value, skipped] : cases) {
        record.leadSkip[5] = !skipped;
        load("LEADSKIP5=" + value + "\r\n");
        EXPECT_EQ(record.leadSkip[5], skipped) << '"' << value << '"';
    }
}

TEST_F(SetupFileTest, NumbersAreReadAsDecimalsWithoutRangeChecks) {
    struct NumberCase {
        std::string line;
        std::int32_t SetupRecord::*field;
        std::int32_t number;
    };
    const NumberCase limits[] = {
        {"GOODLIMIT=123", &SetupRecord::goodLimit, 123},
        {"POORLIMIT = 2000", &SetupRecord::poorLimit, 2000},
        {"GOODLIMIT=-5", &SetupRecord::goodLimit, -5},
        {"SHUTOFFTIME=65537", &SetupRecord::shutOffTime, 65537},
        {"SHUTOFFTIME=later", &SetupRecord::shutOffTime, 0},
    };
    for (const auto& [line, field, number] : limits) {
        load(line + "\r\n");
        EXPECT_EQ(record.*field, number) << line;
    }
    load("GOODLIMIT=123\r\n");
    EXPECT_EQ(limitDisplayText(record.goodLimit), "12.3");

    struct CodeCase {
        std::string line;
        std::uint8_t SetupRecord::*field;
        std::uint8_t code;
        std::uint8_t normalized;
    };
    const CodeCase codes[] = {
        {"FREQUENCY=258", &SetupRecord::frequency, 2, 2},
        {"FREQUENCY=abc", &SetupRecord::frequency, 0, 1},
        {"STARTUPMODE=0", &SetupRecord::startupMode, 0, 0},
        {"STARTUPMODE=-1", &SetupRecord::startupMode, 255, 1},
        {"FAILURERESPONSE=2", &SetupRecord::failureResponse, 2, 2},
        {"FAILURELIMIT=3", &SetupRecord::failureLimit, 3, 1},
    };
    for (const auto& [line, field, code, normalized] : codes) {
        load(line + "\r\n");
        EXPECT_EQ(record.*field, code) << line;
        record.normalizeCodes();
        EXPECT_EQ(record.*field, normalized) << line;
    }
}

TEST_F(SetupFileTest, ANameKeepsEveryCharacterOfItsLine) {
    const std::string name = "  Fp1 = left\t\xe9\xb0\xff " + std::string(150, '#') + "=";
    load("LEADNAME7=" + name + "\r\n");
    EXPECT_EQ(record.leadName[7], name);

    // A name read from the instrument may hold any byte but zero; a Ctrl-Z in it used to end
    // the file and lose every later key.
    record.leadName[8] = "two\nlines";
    record.leadName[9] = "end\x1aof";
    record.shutOffTime = 420;
    ASSERT_NO_THROW(writeSetupFile(record, setupPath()));
    SetupRecord reread;
    ASSERT_NO_THROW(readSetupFile(reread, setupPath()));
    EXPECT_EQ(reread.leadName[7], name);
    EXPECT_EQ(reread.leadName[8], "twolines");
    EXPECT_EQ(reread.leadName[9], "endof");
    EXPECT_EQ(reread.leadName[10], record.leadName[10]);
    EXPECT_EQ(reread.shutOffTime, 420);
}

TEST_F(SetupFileTest, ALongerKeyBeforeTheShorterOneIsNotTakenForIt) {
    load("LEADNAME10=abc\r\nLEADNAME1=xyz\r\n");
    EXPECT_EQ(record.leadName[1], "xyz");
    EXPECT_EQ(record.leadName[10], "abc");
}

TEST_F(SetupFileTest, SavingOverAFileKeepsItsOtherLines) {
    const std::string note = "NOTE=" + std::string(95, 'n');
    writeFile(setupPath(), note + "\r\nFREQUENCY=3\r\nwritten by hand\r\n");
    ASSERT_NO_THROW(writeSetupFile(SetupRecord{}, setupPath()));

    Lines expected = {note, "FREQUENCY=1", "written by hand"};
    for (const auto& line : setupLines(SetupRecord{}))
        if (!line.starts_with("FREQUENCY="))
            expected.push_back(line);
    EXPECT_EQ(readFile(setupPath()), fileContent(expected));
}

// A file that may only be read is loaded but not saved; one held by another opener's rewrite and
// a link that points nowhere are neither, and nothing is created.
TEST_F(SetupFileTest, AFileThatCannotBeOpenedThrowsItsCauseAndChangesNothing) {
    const std::string content = "FREQUENCY=3\r\n";
    writeFile(setupPath(), content);
    const auto refusedWith = [this](const std::string& path, FileError::Cause cause, bool loaded) {
        try {
            writeSetupFile(SetupRecord{}, path);
            ADD_FAILURE() << "saved";
        } catch (const FileError& error) {
            EXPECT_EQ(error.cause(), cause);
            EXPECT_EQ(error.path(), path);
        }
        record = sampleRecord('a');
        SetupRecord expected = record;
        if (loaded)
            expected.frequency = 3;
        try {
            readSetupFile(record, path);
            EXPECT_TRUE(loaded) << "loaded";
        } catch (const FileError& error) {
            EXPECT_FALSE(loaded) << "not loaded";
            EXPECT_EQ(error.cause(), cause);
            EXPECT_EQ(error.path(), path);
        }
        EXPECT_EQ(record, expected);
    };

    ::chmod(setupPath().c_str(), 0444);
    refusedWith(setupPath(), FileError::Cause::AccessDenied, true);

    ::chmod(setupPath().c_str(), 0644);
    {
        KeyValueFile holder;
        ASSERT_NO_THROW(holder.open(setupPath(), false));
        refusedWith(setupPath(), FileError::Cause::SharingViolation, false);
    }
    EXPECT_EQ(readFile(setupPath()), content);

    const std::string link = pathOf("link.prp");
    std::filesystem::create_symlink("gone.prp", link);
    refusedWith(link, FileError::Cause::NotFound, false);
    EXPECT_FALSE(std::filesystem::exists(pathOf("gone.prp")));

    const std::string missingFolder = pathOf("no-such-folder/setup.prp");
    EXPECT_THROW(writeSetupFile(SetupRecord{}, missingFolder), FileError);
    EXPECT_FALSE(std::filesystem::exists(pathOf("no-such-folder")));
}

// A save writes the file anew in its folder: a folder that takes no new file fails the check made
// before anything is written, naming the folder, even where the file itself may be written.
TEST_F(SetupFileTest, TheCheckBeforeASaveNamesAFolderThatTakesNoNewFile) {
    ASSERT_EQ(::chmod(folder.c_str(), 0755), 0);
    const std::string closed = pathOf("closed");
    const std::string open = pathOf("open");
    for (const auto& [path, mode] : {std::pair{closed, 0755}, std::pair{open, 0777}}) {
        std::filesystem::create_directory(path);
        ASSERT_EQ(::chmod(path.c_str(), static_cast<mode_t>(mode)), 0);
        writeFile(path + "/w.prp", "FREQUENCY=2\r\n");
        ASSERT_EQ(::chmod((path + "/w.prp").c_str(), 0666), 0);
    }
    std::filesystem::create_symlink(closed + "/w.prp", open + "/link.prp");
    const std::pair<std::string, std::string> cases[] = {
        {closed + "/w.prp", "Access to " + closed + " was denied."},
        {open + "/link.prp", "Access to " + closed + " was denied."},
        {closed + "/new.prp", "Access to " + closed + "/new.prp was denied."},
        {open + "/w.prp", ""},
        {open + "/new.prp", ""},
    };
    for (const auto& [path, refusal] : cases) {
        EXPECT_EQ(asOutsider([&path] {
                      try {
                          requireSetupFileWritable(path);
                      } catch (const FileError& error) {
                          return std::string(error.what());
                      }
                      return std::string();
                  }),
                  refusal)
            << path;
    }
    EXPECT_EQ(readFile(closed + "/w.prp"), "FREQUENCY=2\r\n");
    EXPECT_FALSE(std::filesystem::exists(open + "/new.prp"));
}

// A copy of a program, running, under a setup file's name.
class RunningProgram {
public:
    explicit RunningProgram(const std::string& path) {
        std::filesystem::copy_file("/bin/sleep", path);
        std::array<int, 2> execSignal{};
        if (pipe2(execSignal.data(), O_CLOEXEC) != 0)
            return;
        child = fork();
        if (child == 0) {
            execl(path.c_str(), "sleep", "60", nullptr);
            _exit(127);
        }
        // The pipe's far end closes with a successful exec.
        ::close(execSignal[1]);
        char none = 0;
        while (::read(execSignal[0], &none, 1) > 0) {
        }
        ::close(execSignal[0]);
    }
    ~RunningProgram() {
        if (child <= 0)
            return;
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
    }
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

private:
    pid_t child = -1;
};

TEST_F(SetupFileTest, AFolderAPipeOrARunningProgramGivenAsTheFileIsCalledWhatItIs) {
    const std::string folderPath = pathOf("ward4.prp");
    std::filesystem::create_directory(folderPath);
    const std::string pipePath = pathOf("pipe.prp");
    ASSERT_EQ(mkfifo(pipePath.c_str(), 0600), 0);
    const std::string programPath = pathOf("sleeper.prp");
    const RunningProgram program(programPath);
    const std::string programBytes = readFile(programPath);

    const auto refusal = [](const std::function<void()>& work) -> std::string {
        try {
            work();
        } catch (const FileError& error) {
            return error.what();
        }
        return "no FileError";
    };
    EXPECT_EQ(refusal([&] { readSetupFile(record, folderPath); }), folderPath + " is a directory.");
    EXPECT_EQ(refusal([&] { writeSetupFile(SetupRecord{}, folderPath); }),
              folderPath + " is a directory.");
    EXPECT_EQ(refusal([&] { writeSetupFile(SetupRecord{}, programPath); }),
              programPath + " is busy.");
    EXPECT_EQ(refusal([&] { readSetupFile(record, pipePath); }), pipePath + " is not a file.");
    EXPECT_EQ(refusal([&] { writeSetupFile(SetupRecord{}, pipePath); }),
              pipePath + " is not a file.");
    EXPECT_EQ(refusal([&] { readSetupFile(record, "/dev/null"); }), "/dev/null is not a file.");
    EXPECT_EQ(readFile(programPath), programBytes);
}

} // namespace
