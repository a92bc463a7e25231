#include "Component/TVXCheckDir.h"

#include "Class/TVXException.h"
#include "DatabaseFixture.h"

#include <unistd.h>

using namespace fixture;

namespace {

class CheckDirTest : public ::testing::Test {
protected:
    CheckDirTest()
    {
        checker.SetDataDir(dir.str());
        checker.SetCheckDir(dir.str());
        checker.SetCheckFileName("dbtisl.chk");
    }
    void touch(const std::string& name) { writeFile(dir / name, "x"); }
    void setChecker(const std::string& bytes) { writeFile(dir / "dbtisl.chk", bytes); }
    std::string checkerNow() const { return readFile(dir / "dbtisl.chk"); }

    TempDir dir;
    TVXCheckDir checker;
};

TEST_F(CheckDirTest, EntryLayoutAndSum)
{
    EXPECT_EQ(TVXCheckDir::EntrySum(0x0012ABCD), 394);
    EXPECT_EQ(TVXCheckDir::EncodeEntry(0x0012ABCD), std::string("\xCD\xAB\x12\x00\x8A\x01", 6));
    EXPECT_EQ(TVXCheckDir::EncodeEntry(0xFFFFFFFF), std::string("\xFF\xFF\xFF\xFF\xFC\x03", 6));
}

TEST_F(CheckDirTest, EmptyCheckerGivesEmptyListAndStaysEmpty)
{
    setChecker("");
    EXPECT_TRUE(checker.GetFileList().empty());
    EXPECT_EQ(checkerNow(), "");
}

TEST_F(CheckDirTest, DamagedOrMissingCheckerThrowsAndIsLeftAlone)
{
    EXPECT_THROW(checker.GetFileList(), TVXDBFC_error);
    EXPECT_FALSE(fs::exists(dir / "dbtisl.chk"));

    touch("00000001.dat");
    const std::string seven = checkerEntry(1) + "!";
    setChecker(seven);
    try {
        checker.GetFileList();
        FAIL() << "no exception";
    } catch (const TVXDBFC_error& e) {
        EXPECT_STREQ(e.what(), "no db checker file or corrupted");
    }
    EXPECT_EQ(checkerNow(), seven);
}

TEST_F(CheckDirTest, RewriteKeepsValidEntriesWhoseFileExistsInOrder)
{
    touch("0000000A.dat");
    touch("0000000C.dat");
    touch("0000000D.dat");
    touch("0000000B.dat");
    // A valid, B bad sum, C valid but its file went, D valid.
    fs::remove(dir / "0000000C.dat");
    setChecker(checkerEntry(0xA) + checkerEntryWithSum(0xB, 99) + checkerEntry(0xC) + checkerEntry(0xD));
    const auto files = checker.GetFileList();
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0], (dir / "0000000A.dat").string());
    EXPECT_EQ(files[1], (dir / "0000000D.dat").string());
    EXPECT_EQ(checkerNow(), checkerEntry(0xA) + checkerEntry(0xD));
    EXPECT_TRUE(checker.IsListed(0xA));
    EXPECT_FALSE(checker.IsListed(0xB));
}

TEST_F(CheckDirTest, NamesAreUpperCaseHexAndReadBackInEitherCase)
{
    touch("FFFFFFFF.dat");
    touch("0000001A.dat");
    touch("00abcdef.dat");  // copied from a system that ignores case
    setChecker(checkerEntry(0xFFFFFFFF) + checkerEntry(0x1A) + checkerEntry(0xABCDEF));
    const auto files = checker.GetFileList();
    ASSERT_EQ(files.size(), 3u);
    EXPECT_EQ(fs::path(files[0]).filename(), "FFFFFFFF.dat");
    EXPECT_EQ(fs::path(files[1]).filename(), "0000001A.dat");
    EXPECT_EQ(fs::path(files[2]).filename(), "00abcdef.dat");
    // Nothing was dropped, so the checker is as it was.
    EXPECT_EQ(checkerNow(), checkerEntry(0xFFFFFFFF) + checkerEntry(0x1A) + checkerEntry(0xABCDEF));
}

// The checker only asks whether a name is there: what cannot be read stays
// listed for the loader to report, so that its record is not forgotten.
TEST_F(CheckDirTest, ListedNamesThatCannotBeReadStay)
{
    touch("00000001.dat");
    fs::permissions(dir / "00000001.dat", fs::perms::none);
    fs::create_directory(dir / "00000002.dat");
    fs::create_symlink(dir / "gone", dir / "00000003.dat");
    const std::string all = checkerEntry(1) + checkerEntry(2) + checkerEntry(3);
    setChecker(all);
    const auto files = checker.GetFileList();
    ASSERT_EQ(files.size(), 3u);
    EXPECT_EQ(fs::path(files[0]).filename(), "00000001.dat");
    EXPECT_EQ(fs::path(files[1]).filename(), "00000002.dat");
    EXPECT_EQ(fs::path(files[2]).filename(), "00000003.dat");
    EXPECT_EQ(checkerNow(), all);
}

TEST_F(CheckDirTest, SerialListedTwiceComesTwiceAndUnlistedFileIsIgnored)
{
    touch("00000005.dat");
    touch("00000006.dat");
    setChecker(checkerEntry(5) + checkerEntry(5));
    const auto files = checker.GetFileList();
    EXPECT_EQ(files, std::vector<std::string>(2, (dir / "00000005.dat").string()));
}

TEST_F(CheckDirTest, AddEntryCreatesAndAppendsWithoutDuplicateTest)
{
    EXPECT_TRUE(checker.AddEntry("00A1B2C3"));
    EXPECT_TRUE(checker.AddEntry("00a1b2c3"));
    EXPECT_EQ(checkerNow(), checkerEntry(0xA1B2C3) + checkerEntry(0xA1B2C3));
    EXPECT_TRUE(checker.IsListed(0xA1B2C3));
    EXPECT_FALSE(checker.AddEntry("xyz"));
    EXPECT_FALSE(checker.AddEntry("123456789"));
}

TEST_F(CheckDirTest, FailedWritesLeaveTheCheckerAsItWas)
{
    touch("00000001.dat");
    setChecker(checkerEntry(1) + checkerEntry(2));
    // A full disk: the rewrite (which drops entry 2) and the append both fail.
    const int result = inChildWithFileSizeLimit(0, [&] {
        const auto files = checker.GetFileList();  // the list is still given
        return (files.size() == 1 ? 1 : 0) | (checker.RewriteFailed() ? 2 : 0)
               | (!checker.AddEntry("00000003") ? 4 : 0) | (!checker.LastError().empty() ? 8 : 0);
    });
    EXPECT_EQ(result, 15);
    EXPECT_EQ(checkerNow(), checkerEntry(1) + checkerEntry(2));
    for (const auto& entry : fs::directory_iterator(dir.path()))
        EXPECT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos) << entry.path();
}

}  // namespace
