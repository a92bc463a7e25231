#include "core/AtomicFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <sys/stat.h>

namespace {

TEST(AtomicFile, ReplacesWholeAndLeavesNoTemporaryFile)
{
    TempDir dir;
    dir.write("f", "old content");
    ASSERT_TRUE(writeFileAtomically(dir.file("f"), std::string("new\0bytes", 9)));
    EXPECT_EQ(dir.read("f"), std::string("new\0bytes", 9));
    int files = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path()))
        ++files;
    EXPECT_EQ(files, 1);
}

TEST(AtomicFile, AFailedWriteIsReportedAndTheOldFileStays)
{
    TempDir dir;
    ASSERT_EQ(mkdir(dir.file("target").c_str(), 0755), 0);  // rename over a folder fails
    const WriteResult r = writeFileAtomically(dir.file("target"), "x");
    EXPECT_FALSE(r);
    EXPECT_NE(r.error.find("target"), std::string::npos);

    const WriteResult missing = writeFileAtomically(dir.file("no/such/folder/f"), "x");
    EXPECT_FALSE(missing);
    EXPECT_FALSE(missing.error.empty());
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
    int files = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path()))
        ++files;
    EXPECT_EQ(files, 1);
}

TEST(AtomicFile, ReadingIsBounded)
{
    TempDir dir;
    dir.write("big", std::string(1000, 'x'));
    std::string bytes;
    std::string error;
    EXPECT_FALSE(readWholeFile(dir.file("big"), bytes, error, 999));
    EXPECT_NE(error.find("too large"), std::string::npos);
    EXPECT_TRUE(readWholeFile(dir.file("big"), bytes, error, 1000));
    EXPECT_EQ(bytes.size(), 1000u);
    EXPECT_FALSE(readWholeFile(dir.path(), bytes, error));  // a folder is no file
    EXPECT_FALSE(readWholeFile(dir.file("nothing"), bytes, error));
}

}  // namespace
