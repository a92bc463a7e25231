#include "Component/DatabaseLock.h"

#include "Class/TVXLog.h"
#include "Class/TVXMowerLog.h"
#include "DatabaseFixture.h"
#include "core/AppPaths.h"

#include <sys/stat.h>
#include <unistd.h>

using namespace fixture;

namespace {

mode_t modeOf(const fs::path& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 07777;
}

std::unique_ptr<TVXMowerLog> newRecord(std::uint32_t serial)
{
    auto history = std::make_unique<TVXLog>();
    history->setSerialNumber(serial);
    history->setDate({2012, 1, 2, 3, 4, 5});
    auto record = std::make_unique<TVXMowerLog>();
    record->insertLog(std::move(history));
    return record;
}

// The database holds the customers' names and addresses: what the program
// makes is its owner's alone, unless the dealer shared the folder with a group.
class FilePermissionsTest : public DatabaseTest {
protected:
    FilePermissionsTest() { ::chmod(dir.str().c_str(), 0755); }

    // The lock, the database (checker) and one new record in `folder`.
    void openAndCreate(const fs::path& folder)
    {
        ASSERT_EQ(lock.acquire(folder.string()), DatabaseLock::Result::Acquired);
        list.Load(folder.string());
        auto record = newRecord(0x0412ABCD);
        ASSERT_TRUE(list.CreateRecord(record));
    }

    DatabaseLock lock;
};

TEST_F(FilePermissionsTest, ADatabaseTheProgramMakesIsClosedToOtherUsers)
{
    const fs::path folder = dir / "data" / "database";
    std::string error;
    ASSERT_TRUE(makeFolders(folder.string(), error)) << error;
    openAndCreate(folder);
    EXPECT_EQ(modeOf(dir / "data"), 0700u);
    EXPECT_EQ(modeOf(folder), 0700u);
    EXPECT_EQ(modeOf(folder / DatabaseLock::FileName), 0600u);
    EXPECT_EQ(modeOf(folder / "dbtisl.chk"), 0600u);
    EXPECT_EQ(modeOf(folder / "0412ABCD.dat"), 0600u);

    // An export is a new file like any other, in whatever folder the dealer chose.
    TDBMower& mower = *list.Entries()[0];
    user.saveAnswer = (dir / "for-the-customer.dat").string();
    ASSERT_TRUE(mower.Export());
    EXPECT_EQ(modeOf(dir / "for-the-customer.dat"), 0600u);
}

// Files of an earlier version (0644) keep their mode when they are rewritten,
// an export that replaces a file keeps that file's, and a new record in an
// older, open (0755) database folder is still its owner's alone.
TEST_F(FilePermissionsTest, AReplacedFileKeepsItsMode)
{
    RecordFixture old;
    old.serial = 0x10;
    old.histories.push_back(HistoryFixture {.serial = 0x10});
    addRecordFile(old);
    ::chmod(pathOf(0x10).c_str(), 0644);
    ::chmod((dir / "dbtisl.chk").c_str(), 0644);
    writeFile(dir / "export.thf", "an older export");
    ::chmod((dir / "export.thf").c_str(), 0664);

    openAndCreate(dir.path());
    auto later = std::make_unique<TVXLog>();
    later->setSerialNumber(0x10);
    later->setDate({2013, 1, 1, 0, 0, 0});
    ASSERT_EQ(list.InsertLog(later), InsertResult::Inserted);
    EXPECT_EQ(modeOf(pathOf(0x10)), 0644u);
    EXPECT_EQ(modeOf(dir / "dbtisl.chk"), 0644u);
    EXPECT_EQ(modeOf(dir / "0412ABCD.dat"), 0600u);

    user.saveAnswer = (dir / "export.thf").string();
    ASSERT_TRUE(list.FindBySerial(0x10)->Export());
    EXPECT_EQ(modeOf(dir / "export.thf"), 0664u);
}

// A dealer who shares the database folder with a group (group bits others
// lack, and the set-group-ID bit so that new files belong to that group)
// keeps the sharing for everything the program makes there.
TEST_F(FilePermissionsTest, AFolderSharedWithAGroupSharesItsNewFiles)
{
    const fs::path folder = dir / "shared";
    fs::create_directory(folder);
    const gid_t group = ::geteuid() == 0 ? 65534 : ::getegid();
    ASSERT_EQ(::chown(folder.c_str(), ::geteuid(), group), 0);
    ASSERT_EQ(::chmod(folder.c_str(), 02770), 0);
    openAndCreate(folder);
    for (const char* name : {DatabaseLock::FileName, "dbtisl.chk", "0412ABCD.dat"}) {
        EXPECT_EQ(modeOf(folder / name), 0660u) << name;
        struct stat st {};
        ASSERT_EQ(::stat((folder / name).c_str(), &st), 0);
        EXPECT_EQ(st.st_gid, group) << name;
    }

    // Read-only sharing gives reading only.
    lock.release();
    const fs::path readers = dir / "readers";
    fs::create_directory(readers);
    ASSERT_EQ(::chmod(readers.c_str(), 0750), 0);
    DatabaseLock second;
    ASSERT_EQ(second.acquire(readers.string()), DatabaseLock::Result::Acquired);
    EXPECT_EQ(modeOf(readers / DatabaseLock::FileName), 0640u);
}

}  // namespace
