#include "core/AtomicFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
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

    // A full disk: /dev/full refuses every write.
    if (std::filesystem::exists("/dev/full")) {
        std::string bytes;
        std::string error;
        EXPECT_FALSE(readWholeFile(dir.file("nothing"), bytes, error));
    }
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
}

}  // namespace
