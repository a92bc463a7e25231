#include "core/AtomicFile.h"
#include "core/BoundedFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <sys/stat.h>

namespace {

int entryCount(const TempDir& dir)
{
    int files = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path()))
        ++files;
    return files;
}

TEST(AtomicFile, ReplacesWholeAndLeavesNoTemporaryFile)
{
    TempDir dir;
    dir.write("f", "old content");
    ASSERT_TRUE(writeFileAtomically(dir.file("f"), std::string("new\0bytes", 9)));
    EXPECT_EQ(dir.read("f"), std::string("new\0bytes", 9));
    EXPECT_EQ(entryCount(dir), 1);
}

TEST(AtomicFile, APathThatHoldsNoRegularFileIsRefusedAndLeftUntouched)
{
    TempDir dir;
    ASSERT_EQ(mkdir(dir.file("folder").c_str(), 0755), 0);
    ASSERT_EQ(mkfifo(dir.file("pipe").c_str(), 0644), 0);
    ASSERT_EQ(symlink("pipe", dir.file("link-to-pipe").c_str()), 0);
    ASSERT_EQ(symlink("loop-b", dir.file("loop-a").c_str()), 0);
    ASSERT_EQ(symlink("loop-a", dir.file("loop-b").c_str()), 0);
    for (const char* name : {"folder", "pipe", "link-to-pipe", "loop-a"}) {
        const WriteResult r = writeFileAtomically(dir.file(name), "x");
        EXPECT_FALSE(r) << name;
        EXPECT_NE(r.error.find(name), std::string::npos) << r.error;
    }
    EXPECT_NE(writeFileAtomically(dir.file("pipe"), "x").error.find("named pipe"), std::string::npos);
    EXPECT_NE(writeFileAtomically(dir.file("loop-a"), "x").error.find("symbolic links"), std::string::npos);
    struct stat st {};
    ASSERT_EQ(lstat(dir.file("pipe").c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    ASSERT_EQ(lstat(dir.file("link-to-pipe").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(entryCount(dir), 5);  // no temporary file left either

    // A character device stays one, even for root.
    const WriteResult device = writeFileAtomically("/dev/null", "x");
    EXPECT_FALSE(device);
    EXPECT_NE(device.error.find("character device"), std::string::npos);
    ASSERT_EQ(stat("/dev/null", &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode));

    EXPECT_FALSE(writeFileAtomically(dir.file("no/such/folder/f"), "x"));
}

TEST(AtomicFile, ASymbolicLinkIsWrittenThroughToItsTarget)
{
    TempDir dir;
    ASSERT_EQ(mkdir(dir.file("real").c_str(), 0755), 0);
    dir.write("real/settings", "old");
    ASSERT_EQ(symlink("real/settings", dir.file("first").c_str()), 0);
    ASSERT_EQ(symlink(dir.file("first").c_str(), dir.file("second").c_str()), 0);  // absolute, two hops
    ASSERT_TRUE(writeFileAtomically(dir.file("second"), "new"));
    EXPECT_EQ(dir.read("real/settings"), "new");
    struct stat st {};
    ASSERT_EQ(lstat(dir.file("second").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    ASSERT_EQ(lstat(dir.file("first").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));

    // A dangling link gets its target created, as an editor would.
    ASSERT_EQ(symlink("real/later", dir.file("dangling").c_str()), 0);
    ASSERT_TRUE(writeFileAtomically(dir.file("dangling"), "made"));
    EXPECT_EQ(dir.read("real/later"), "made");
}

mode_t modeOf(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 07777;
}

TEST(AtomicFile, AReplacedFileKeepsItsPermissionsWithItsOwnersReadingAndWriting)
{
    TempDir dir;
    auto modeAfterRewrite = [&](mode_t before) {
        dir.write("f", "old");
        chmod(dir.file("f").c_str(), before);
        EXPECT_TRUE(writeFileAtomically(dir.file("f"), "new"));
        return modeOf(dir.file("f"));
    };
    EXPECT_EQ(modeAfterRewrite(0600), 0600u);
    EXPECT_EQ(modeAfterRewrite(0664), 0664u);
    EXPECT_EQ(modeAfterRewrite(0644), 0644u);  // a file of an earlier version stays as the dealer knows it
    EXPECT_EQ(modeAfterRewrite(0000), 0600u);  // a checker of mode 000 must become readable
    EXPECT_EQ(modeAfterRewrite(0444), 0644u);
}

// The folder's own permissions decide, whatever the umask: others get nothing;
// the group gets the folder's group reading and writing only where the folder
// is shared with its group on purpose (its group may do what others may not).
TEST(AtomicFile, ANewFileIsClosedToOthersAndOpenToTheGroupOfASharedFolder)
{
    TempDir dir;
    const mode_t umaskBefore = ::umask(0);  // the most open umask there is
    const struct {
        mode_t folder;
        mode_t file;
    } cases[] = {
        {0700, 0600}, {0755, 0600}, {0777, 0600}, {0711, 0600},
        {0750, 0640}, {0770, 0660}, {02770, 0660}, {0775, 0660}, {0730, 0620}, {0710, 0600},
    };
    for (const auto& c : cases) {
        const std::string folder = dir.file("f" + std::to_string(c.folder));
        ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
        ASSERT_EQ(::chmod(folder.c_str(), c.folder), 0);
        ASSERT_TRUE(writeFileAtomically(folder + "/record.dat", "x"));
        EXPECT_EQ(modeOf(folder + "/record.dat"), c.file) << "in a folder of mode " << std::oct << c.folder;
        EXPECT_EQ(newFileMode(folder), c.file);
    }
    ::umask(umaskBefore);
    EXPECT_EQ(newFileMode(dir.file("no-such-folder")), 0600u);
}

TEST(AtomicFile, LeftoversAreRecognisedByTheTemporaryNamePatternOnly)
{
    EXPECT_EQ(atomicWriteTarget("dbtisl.chk.tmpA1b2C3"), "dbtisl.chk");
    EXPECT_EQ(atomicWriteTarget("0012ABCD.dat.tmpzzzzzz"), "0012ABCD.dat");
    EXPECT_FALSE(atomicWriteTarget(".tmpA1b2C3"));       // nothing was being written
    EXPECT_FALSE(atomicWriteTarget("notes.tmpA1b2C"));   // five letters
    EXPECT_FALSE(atomicWriteTarget("notes.tmpA1b2C3x")); // seven
    EXPECT_FALSE(atomicWriteTarget("notes.tmp-1b2C3"));
    EXPECT_FALSE(atomicWriteTarget("notes.TMPA1b2C3"));
    EXPECT_FALSE(atomicWriteTarget("0012ABCD.dat"));

    // What the writer really leaves behind matches the pattern.
    TempDir dir;
    std::string name = dir.file("f.tmpXXXXXX");
    const int fd = mkstemp(name.data());
    ASSERT_GE(fd, 0);
    close(fd);
    EXPECT_EQ(atomicWriteTarget(std::filesystem::path(name).filename().string()), "f");
}

TEST(AtomicFile, AFullDiskLeavesTheOldFileWholeAndNoTemporaryFile)
{
    TempDir dir;
    dir.write("f", "old content");
    // The child may write no file past 100 bytes, as on a disk that is full.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit {100, 100};
        setrlimit(RLIMIT_FSIZE, &limit);
        const WriteResult r = writeFileAtomically(dir.file("f"), std::string(1000, 'n'));
        _exit(!r && !r.error.empty() ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the failed write was not reported";
    EXPECT_EQ(dir.read("f"), "old content");
    EXPECT_EQ(entryCount(dir), 1);
}

TEST(BoundedFile, ReadsRegularFilesOnlyWithinTheBoundAndSaysWhy)
{
    TempDir dir;
    dir.write("big", std::string(1000, 'x'));
    std::string bytes;
    std::string error;
    EXPECT_EQ(readBoundedFile(dir.file("big"), 999, bytes, error), ReadStatus::TooLarge);
    EXPECT_NE(error.find("too large"), std::string::npos);
    EXPECT_TRUE(bytes.empty());
    EXPECT_EQ(readBoundedFile(dir.file("big"), 1000, bytes, error), ReadStatus::Ok);
    EXPECT_EQ(bytes.size(), 1000u);

    ASSERT_EQ(mkfifo(dir.file("pipe").c_str(), 0644), 0);
    ASSERT_EQ(symlink("loop-b", dir.file("loop-a").c_str()), 0);
    ASSERT_EQ(symlink("loop-a", dir.file("loop-b").c_str()), 0);
    ASSERT_EQ(symlink("nowhere", dir.file("dangling").c_str()), 0);
    struct Case {
        std::string path;
        ReadStatus status;
        const char* reason;
    };
    const Case cases[] = {
        {dir.file("nothing"), ReadStatus::NotFound, "No such file"},
        {dir.file("dangling"), ReadStatus::NotFound, "No such file"},
        {dir.path(), ReadStatus::NotRegular, "folder"},
        {dir.file("pipe"), ReadStatus::NotRegular, "named pipe"},  // returns at once: no writer is waited for
        {"/dev/null", ReadStatus::NotRegular, "character device"},
        {dir.file("loop-a"), ReadStatus::CannotOpen, "symbolic links"},
    };
    for (const Case& c : cases) {
        bytes = "stale";
        EXPECT_EQ(readBoundedFile(c.path, 1000, bytes, error), c.status) << c.path;
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
        EXPECT_NE(error.find(c.path), std::string::npos) << error;
        EXPECT_TRUE(bytes.empty());
    }
}

}  // namespace
