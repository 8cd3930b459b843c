#include "setup/KeyValueFile.h"

#include "setup/FileError.h"
#include "support/EndedProcess.h"
#include "support/MountNamespace.h"
#include "support/TempFolder.h"
#include "support/Thrown.h"

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <linux/fs.h>
#include <optional>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

class KeyValueFileTest : public TempFolder {
protected:
    // A file with content, opened by file.
    std::string openWith(const std::string& content) {
        const std::string path = pathOf("values.txt");
        writeFile(path, content);
        EXPECT_NO_THROW(file.open(path, false));
        return path;
    }

    // The names in a folder, sorted.
    std::vector<std::string> folderEntries(const std::filesystem::path& of = {}) const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(of.empty() ? folder : of))
            names.push_back(entry.path().filename());
        std::ranges::sort(names);
        return names;
    }

    KeyValueFile file;
};

// The cause of the FileError that work throws; none when it throws nothing.
std::optional<FileError::Cause> refusal(const std::function<void()>& work) {
    const std::optional<FileError> error = thrown<FileError>(work);
    return error ? std::optional(error->cause()) : std::nullopt;
}

struct LookupCase {
    std::string content;
    std::string key;
    bool found;
    std::string value;
};

// Blanks around a key are ignored; the value is everything after the first "=", blanks
// included, without the line end.
TEST_F(KeyValueFileTest, FindsTheFirstLineWhoseKeyMatchesExactly) {
    const LookupCase cases[] = {
        {"FREQUENCY=2\r\n", "FREQUENCY", true, "2"},
        {"FREQUENCY=2", "FREQUENCY", true, "2"},
        {"FREQUENCY=2\n", "FREQUENCY", true, "2"},
        {"FREQUENCY = 2\r\n", "FREQUENCY", true, " 2"},
        {"\tFREQUENCY\t=2\r\n", "FREQUENCY", true, "2"},
        {"FREQUENCY=\r\n", "FREQUENCY", true, ""},
        {"NAME=a=b \r\n", "NAME", true, "a=b "},
        {"NAME=\xe9\xff\x01\r\n", "NAME", true, "\xe9\xff\x01"},
        {"NAME=x\r\r\n", "NAME", true, "x\r"},
        {"XFREQUENCY=2\r\n", "FREQUENCY", false, ""},
        {"FREQUENCYX=2\r\n", "FREQUENCY", false, ""},
        {"frequency=2\r\n", "FREQUENCY", false, ""},
        {"FREQUENCY\r\n", "FREQUENCY", false, ""},
        {"", "FREQUENCY", false, ""},
        {"LEADNAME10=abc\r\nLEADNAME1=xyz\r\n", "LEADNAME1", true, "xyz"},
        {"A=1\r\nB=0\r\nA=2\r\n", "A", true, "1"},
        {"A=1\nB=2\n", "B", true, "2"},
        {"A=1\r\n\x1a"
         "B=2\r\n",
         "B", false, ""},
        {"A=1\x1a\r\n", "A", true, "1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.content) + " " + c.key);
        openWith(c.content);
        const std::optional<std::string> value = file.getValue(c.key);
        EXPECT_EQ(value.has_value(), c.found);
        EXPECT_EQ(value.value_or("none"), c.found ? c.value : "none");
        EXPECT_EQ(file.hasKey(c.key), c.found);
    }
}

struct RewriteCase {
    std::string before;
    std::string key;
    std::string value;
    std::string after;
};

TEST_F(KeyValueFileTest, SetValueRewritesEveryLineOfTheKeyOrAppendsOne) {
    const RewriteCase cases[] = {
        {"LEADNAME1=xyz\r\nLEADNAME10=abc\r\n", "LEADNAME1", "A",
         "LEADNAME1=A\r\nLEADNAME10=abc\r\n"},
        {"A=1\r\nB=x\r\n A =2\r\n", "A", "3", "A=3\r\nB=x\r\nA=3\r\n"},
        {"a=1\r\n", "A", "2", "a=1\r\nA=2\r\n"},
        {"", "A", "1", "A=1\r\n"},
        {"B=x\nC=y\n", "A", "1", "B=x\r\nC=y\r\nA=1\r\n"},
        // The last line keeps its own line: the appended one does not run into it.
        {"B=x", "A", "1", "B=x\r\nA=1\r\n"},
        // Whatever follows a Ctrl-Z is not part of the file.
        {"A=1\r\n\x1a"
         "B=2\r\n",
         "C", "3", "A=1\r\nC=3\r\n"},
        {"N=\xe9t\xe9\r\n", "M", "\xff", "N=\xe9t\xe9\r\nM=\xff\r\n"},
        // An LF would split the value into a line of its own.
        {"", "A", "x\ny", "A=xy\r\n"},
        // A Ctrl-Z would end the file there and lose every line after it.
        {"B=2\r\n", "A", "x\x1ay", "B=2\r\nA=xy\r\n"},
        {"A=1\r\nB=2\r\n", "A", "\x1a", "A=\r\nB=2\r\n"},
        {"", "A", std::string(300, 'v'), "A=" + std::string(300, 'v') + "\r\n"},
        {std::string(100, 'c') + "\r\n", "A", "1", std::string(100, 'c') + "\r\nA=1\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.before) + " " + c.key);
        const std::string path = openWith(c.before);
        file.setValue(c.key, c.value);
        EXPECT_EQ(readFile(path), c.after);
    }
}

TEST(KeyValueText, ReplaceValueNeverAppends) {
    KeyValueText content("B=x\r\nA=1\r\n");
    EXPECT_FALSE(content.replaceValue("C", "3"));
    EXPECT_TRUE(content.replaceValue("A", "2"));
    EXPECT_EQ(content.text(), "B=x\r\nA=2\r\n");
}

TEST_F(KeyValueFileTest, SetValuesEqualsEachSetValueInOrder) {
    const std::vector<KeyValueFile::Entry> entries = {
        {"B", "2"}, {"A", "1"}, {"A", "3"}, {"LEADNAME1", "n"}, {"C", ""}};
    const std::string before = "LEADNAME10=x\r\nB=0\r\nother\r\nB=9\r\n";

    const std::string together = openWith(before);
    file.setValues(entries);
    const std::string written = readFile(together);

    const std::string oneByOne = openWith(before);
    for (const auto& [key, value] : entries)
        file.setValue(key, value);
    EXPECT_EQ(written, readFile(oneByOne));
    EXPECT_EQ(written, "LEADNAME10=x\r\nB=2\r\nother\r\nB=2\r\nA=3\r\nLEADNAME1=n\r\nC=\r\n");
}

TEST_F(KeyValueFileTest, StaysOpenLockedAndUsableAfterARewrite) {
    const std::string path = openWith("A=1\r\n");
    ::chmod(path.c_str(), 0640);
    file.setValue("B", "2");

    KeyValueFile other;
    EXPECT_EQ(refusal([&] { other.open(path, false); }), FileError::Cause::SharingViolation);
    EXPECT_EQ(file.getValue("B"), "2");
    struct stat status {};
    ASSERT_EQ(::stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
    EXPECT_EQ(folderEntries(), std::vector<std::string>{"values.txt"});
}

TEST_F(KeyValueFileTest, AnOpenThatFailsThrowsItsCauseAndLeavesItClosed) {
    const std::string missing = pathOf("missing.txt");
    EXPECT_EQ(refusal([&] { file.open(missing, false); }), FileError::Cause::NotFound);
    EXPECT_FALSE(std::filesystem::exists(missing));

    const std::string readOnly = pathOf("read-only.txt");
    writeFile(readOnly, "A=1\r\n");
    ::chmod(readOnly.c_str(), 0444);
    EXPECT_EQ(refusal([&] { file.open(readOnly, true); }), FileError::Cause::AccessDenied);

    const std::string locked = pathOf("locked.txt");
    writeFile(locked, "A=1\r\n");
    const int holder = ::open(locked.c_str(), O_RDWR);
    ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
    EXPECT_EQ(refusal([&] { file.open(locked, true); }), FileError::Cause::SharingViolation);
    ::close(holder);
    EXPECT_NO_THROW(file.open(locked, true));

    EXPECT_EQ(refusal([&] { file.open(folder, true); }), FileError::Cause::IsDirectory);
    EXPECT_FALSE(file.isOpen());
    EXPECT_EQ(readFile(readOnly), "A=1\r\n");
}

TEST_F(KeyValueFileTest, ReadersShareAFileThatARewriteHoldsAlone) {
    const std::string path = openWith("A=1\r\n");
    KeyValueFile reader;
    EXPECT_EQ(refusal([&] { reader.openForReading(path); }), FileError::Cause::SharingViolation);
    file.open(pathOf("other.txt"), true);

    // Without write permission, as for root, whom the mode would not stop.
    ::chmod(path.c_str(), 0444);
    KeyValueFile second;
    ASSERT_NO_THROW(reader.openForReading(path));
    ASSERT_NO_THROW(second.openForReading(path));
    EXPECT_EQ(second.getValue("A"), "1");
    EXPECT_EQ(refusal([&] { second.setValue("A", "2"); }), FileError::Cause::AccessDenied);
    ::chmod(path.c_str(), 0644);
    EXPECT_EQ(refusal([&] { file.open(path, false); }), FileError::Cause::SharingViolation);
    EXPECT_EQ(readFile(path), "A=1\r\n");

    const std::string missing = pathOf("missing.txt");
    EXPECT_EQ(refusal([&] { reader.openForReading(missing); }), FileError::Cause::NotFound);
    EXPECT_EQ(refusal([&] { reader.getValue("A"); }), FileError::Cause::NotFound);
    EXPECT_EQ(refusal([&] { reader.setValue("A", "1"); }), FileError::Cause::AccessDenied);
    EXPECT_FALSE(std::filesystem::exists(missing));
}

// On a file system that even root cannot write to: reading needs no write access at all.
TEST_F(KeyValueFileTest, AFileThatMayOnlyBeReadIsReadAndNeverWritten) {
    const std::string path = pathOf("values.txt");
    writeFile(path, "A=1\r\n");
    const int status = onReadOnlyFolder(folder, [this, &path] {
        KeyValueFile reader;
        if (refusal([&] { reader.openForReading(path); }) || reader.getValue("A") != "1")
            return 1;
        if (!refusal([&] { reader.setValue("A", "2"); }))
            return 2;
        KeyValueFile writer;
        if (refusal([&] { writer.open(path, false); }) != FileError::Cause::AccessDenied)
            return 3;
        if (readKeyValueFile(path).getValue("A") != "1")
            return 4;
        return refusal([&] { readKeyValueFile(pathOf("missing.txt")); }) ==
                       FileError::Cause::NotFound
                   ? 0
                   : 5;
    });
    if (status == kNoMount)
        GTEST_SKIP() << "no read-only mount can be made here";
    // 1: not read, 2: rewritten, 3: opened for a rewrite, 4: not read whole, 5: a missing file
    // not reported as one.
    EXPECT_EQ(status, 0);
}

TEST_F(KeyValueFileTest, ARewriteThroughLinksReplacesTheFileTheyPointAtAndKeepsThem) {
    const auto shared = folder / "shared";
    const auto bench = folder / "bench";
    std::filesystem::create_directories(shared);
    std::filesystem::create_directories(bench);
    const auto target = shared / "setup.prp";
    writeFile(target, "A=1\r\n");
    ::chmod(target.c_str(), 0640);
    std::filesystem::create_symlink("../shared/setup.prp", bench / "link.prp");
    std::filesystem::create_symlink("link.prp", bench / "chain.prp");

    for (const char* name : {"link.prp", "chain.prp"}) {
        SCOPED_TRACE(name);
        ASSERT_NO_THROW(file.open(bench / name, false));
        file.setValue("A", name);

        EXPECT_EQ(readFile(target), std::string("A=") + name + "\r\n");
        EXPECT_EQ(std::filesystem::read_symlink(bench / "link.prp"), "../shared/setup.prp");
        EXPECT_EQ(std::filesystem::read_symlink(bench / "chain.prp"), "link.prp");
        EXPECT_EQ(folderEntries(bench), (std::vector<std::string>{"chain.prp", "link.prp"}));
        EXPECT_EQ(folderEntries(shared), std::vector<std::string>{"setup.prp"});
        EXPECT_EQ(std::filesystem::status(target).permissions(), std::filesystem::perms(0640));
        // Still held: the replaced file is the one open and locked.
        EXPECT_EQ(file.getValue("A"), name);
        KeyValueFile other;
        EXPECT_EQ(refusal([&] { other.open(target, false); }), FileError::Cause::SharingViolation);
    }
}

TEST_F(KeyValueFileTest, ALinkThatPointsNowhereIsReportedAndNotTurnedIntoAFile) {
    const std::string link = pathOf("link.prp");
    std::filesystem::create_symlink("gone.prp", link);

    try {
        file.open(link, true);
        ADD_FAILURE() << "no FileError";
    } catch (const FileError& error) {
        EXPECT_EQ(error.cause(), FileError::Cause::NotFound);
        EXPECT_EQ(error.path(), link);
    }
    EXPECT_EQ(refusal([&] { file.setValue("A", "1"); }), FileError::Cause::NotFound);
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(folderEntries(), std::vector<std::string>{"link.prp"});

    EXPECT_NO_THROW(file.open(pathOf("new.prp"), true));
}

TEST_F(KeyValueFileTest, ARewriteKeepsTheFilesOwnerGroupAndMode) {
    const std::string path = openWith("A=1\r\n");
    // A group of its own, as a bench's shared setups have; any number will do for root.
    constexpr gid_t kBenchGroup = 4242;
    if (::chown(path.c_str(), static_cast<uid_t>(-1), kBenchGroup) != 0)
        GTEST_SKIP() << "this user cannot give a file to another group";
    ::chmod(path.c_str(), 0664);
    struct stat before {};
    ASSERT_EQ(::stat(path.c_str(), &before), 0);

    file.setValue("B", "2");

    struct stat after {};
    ASSERT_EQ(::stat(path.c_str(), &after), 0);
    EXPECT_NE(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(after.st_gid, kBenchGroup);
    EXPECT_EQ(after.st_mode & 07777, 0664u);
}

TEST_F(KeyValueFileTest, ARewriteRemovesOnlyTheReplacementsThatDeadSavesLeft) {
    const std::string path = openWith("A=1\r\n");
    const std::string dead = std::to_string(endedProcess());
    const std::string live = std::to_string(getppid());
    const std::string ours = ".values.txt.rewrite-";
    const std::vector<std::string> stale = {ours + dead + "-a8Fj2k", ours + dead + "-000000"};
    const std::vector<std::string> kept = {ours + live + "-a8Fj2k",
                                           ours + dead + "-a8Fj2",
                                           ours + dead + "-a8Fj2k.bak",
                                           ours + "x" + dead + "-a8Fj2k",
                                           ".other.txt.rewrite-" + dead + "-a8Fj2k",
                                           "values.txt.rewrite-" + dead + "-a8Fj2k",
                                           "notes.txt"};
    for (const auto& name : stale)
        writeFile(folder / name, "A=0\r\n");
    for (const auto& name : kept)
        writeFile(folder / name, "A=0\r\n");
    // Named as ours, but not a file a save makes.
    const std::string folderNamedAsOurs = ours + dead + "-folder";
    const std::string linkNamedAsOurs = ours + dead + "-link00";
    std::filesystem::create_directory(folder / folderNamedAsOurs);
    std::filesystem::create_symlink("notes.txt", folder / linkNamedAsOurs);

    file.setValue("A", "2");

    std::vector<std::string> expected = kept;
    expected.insert(expected.end(), {"values.txt", folderNamedAsOurs, linkNamedAsOurs});
    std::ranges::sort(expected);
    EXPECT_EQ(folderEntries(), expected);
    EXPECT_EQ(readFile(folder / "notes.txt"), "A=0\r\n");
}

TEST_F(KeyValueFileTest, RefusesPathsOf260CharactersOrMore) {
    const std::size_t prefix = folder.string().size() + 1;
    const std::string longest = pathOf(std::string(KeyValueFile::kMaxPathLength - 1 - prefix, 'n'));
    const std::string tooLong = pathOf(std::string(KeyValueFile::kMaxPathLength - prefix, 'n'));
    ASSERT_EQ(longest.size(), 259u);
    ASSERT_EQ(tooLong.size(), 260u);
    EXPECT_EQ(refusal([&] { file.open(tooLong, true); }), FileError::Cause::Generic);
    EXPECT_FALSE(std::filesystem::exists(tooLong));
    EXPECT_NO_THROW(file.open(longest, true));
}

TEST_F(KeyValueFileTest, HoldsOneFileAtATime) {
    const std::string first = pathOf("first.txt");
    KeyValueFile same;
    ASSERT_NO_THROW(file.open(first, true));
    EXPECT_EQ(refusal([&] { same.open(first, true); }), FileError::Cause::SharingViolation);
    ASSERT_NO_THROW(file.open(pathOf("second.txt"), true));
    EXPECT_NO_THROW(same.open(first, true));
}

TEST_F(KeyValueFileTest, AClosedFileIsCreatedByTheNextOperation) {
    const std::string path = pathOf("later.txt");
    EXPECT_EQ(refusal([&] { file.open(path, false); }), FileError::Cause::NotFound);
    file.setValue("COMMPORT", "2");
    EXPECT_TRUE(file.isOpen());
    EXPECT_EQ(readFile(path), "COMMPORT=2\r\n");
}

// Makes writes past limit bytes fail with EFBIG instead of raising SIGXFSZ, for as long as it
// lives.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t limit) {
        getrlimit(RLIMIT_FSIZE, &saved);
        previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lowered = saved;
        lowered.rlim_cur = limit;
        setrlimit(RLIMIT_FSIZE, &lowered);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previousHandler);
    }

private:
    rlimit saved{};
    void (*previousHandler)(int) = nullptr;
};

TEST_F(KeyValueFileTest, AFailedWriteThrowsAndLeavesTheFileAsItWas) {
    const std::string before = "A=1\r\nB=2\r\n";
    const std::string path = openWith(before);
    {
        const FileSizeLimit limit(before.size() + 4);
        try {
            file.setValue("C", std::string(100, 'x'));
            FAIL() << "no FileError";
        } catch (const FileError& error) {
            EXPECT_EQ(error.path(), path);
            EXPECT_EQ(error.cause(), FileError::Cause::Generic);
        }
    }
    EXPECT_EQ(readFile(path), before);
    EXPECT_EQ(folderEntries(), std::vector<std::string>{"values.txt"});
    file.setValue("C", "3");
    EXPECT_EQ(readFile(path), before + "C=3\r\n");
}

// A rewrite that runs out of room on a full file system: the cause is a full disk, the file is
// as it was, and no temporary file is left. Exit statuses say which of those failed.
int saveOnAFullFileSystem(const std::string& path) {
    const std::string before = "A=1\r\nB=2\r\n";
    writeFile(path, before);
    {
        std::ofstream filler(std::filesystem::path(path).parent_path() / "filler",
                             std::ios::binary);
        const std::string block(512, 'f');
        while (filler.write(block.data(), block.size()).flush())
            ;
    }
    KeyValueFile file;
    if (refusal([&] { file.open(path, false); }))
        return 1;
    try {
        file.setValue("C", std::string(4096, 'x'));
        return 2;
    } catch (const FileError& error) {
        if (error.cause() != FileError::Cause::DiskFull)
            return 3;
    }
    if (readFile(path) != before)
        return 4;
    const auto entries =
        std::filesystem::directory_iterator(std::filesystem::path(path).parent_path());
    return std::distance(begin(entries), end(entries)) == 2 ? 0 : 5;
}

TEST_F(KeyValueFileTest, AFullFileSystemStopsTheRewriteAndLeavesTheFileAsItWas) {
    const int status =
        onSmallFileSystem(folder, [this] { return saveOnAFullFileSystem(pathOf("values.txt")); });
    if (status == kNoMount)
        GTEST_SKIP() << "no tmpfs can be mounted here; the file-size limit above stands in";
    // 1: not opened, 2: no FileError, 3: another cause, 4: file changed, 5: temporary left.
    EXPECT_EQ(status, 0);
}

// Sets or clears the immutable attribute of a folder; false where the file system or the
// process's rights do not allow it.
bool setImmutable(const std::filesystem::path& path, bool immutable) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY);
    int flags = 0;
    bool done = fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = immutable ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
    done = done && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    if (fd >= 0)
        ::close(fd);
    return done;
}

TEST_F(KeyValueFileTest, AFolderThatRefusesNewFilesStopsTheRewrite) {
    const std::string before = "A=1\r\n";
    const std::string path = openWith(before);
    if (!setImmutable(folder, true))
        GTEST_SKIP() << "immutable folders are not available here";
    try {
        file.setValue("A", "2");
        ADD_FAILURE() << "no FileError";
    } catch (const FileError& error) {
        EXPECT_EQ(error.path(), path);
        EXPECT_EQ(error.cause(), FileError::Cause::AccessDenied);
    }
    ASSERT_TRUE(setImmutable(folder, false));
    EXPECT_EQ(readFile(path), before);
    EXPECT_EQ(folderEntries(), std::vector<std::string>{"values.txt"});
}

} // namespace
