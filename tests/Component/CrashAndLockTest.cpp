#include "Component/DatabaseLock.h"

#include "Class/TVXLog.h"
#include "Class/TVXMowerLog.h"
#include "DatabaseFixture.h"

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

using namespace fixture;

namespace {

using CrashTest = DatabaseTest;

// A child saves two versions of a large record in turn and is killed while it
// does so; the file left is one of the two versions, whole.
TEST_F(CrashTest, KillDuringSaveLeavesTheOldOrTheNewFile)
{
    RecordFixture fixture;
    fixture.serial = 0x61;
    for (int i = 0; i < 200; ++i)
        fixture.histories.push_back(HistoryFixture {.serial = 0x61, .date = {2000, 1, 1, 0, std::uint8_t(i / 60), std::uint8_t(i % 60)}});
    addRecordFile(fixture);
    load();
    TDBMower& mower = *list.Entries()[0];

    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(ready[0]);
        for (int round = 0;; ++round) {
            mower.GetMowerHandle().getOwner().setName(round % 2 ? "odd" : "even");
            mower.SaveRecord();
            if (round == 3)
                (void)!::write(ready[1], "x", 1);
        }
    }
    ::close(ready[1]);
    char byte;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);  // several saves done, one under way
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    ::close(ready[0]);

    TDBMower survivor(pathOf(0x61), list);  // throws if the file is not whole
    EXPECT_TRUE(survivor.GetNameText() == "odd Zed" || survivor.GetNameText() == "even Zed");
    EXPECT_EQ(survivor.GetMowerHandle().getLogCount(), 200);
}

TEST(DatabaseLockTest, OneHolderPerFolderAndNoneAfterACrash)
{
    TempDir dir;
    DatabaseLock first;
    ASSERT_EQ(first.acquire(dir.str()), DatabaseLock::Result::Acquired);
    DatabaseLock second;
    EXPECT_EQ(second.acquire(dir.str()), DatabaseLock::Result::InUse);
    first.release();
    EXPECT_EQ(second.acquire(dir.str()), DatabaseLock::Result::Acquired);
    second.release();

    // A run that dies holding the lock does not leave it stuck.
    EXPECT_EQ(failedChecksInChild(std::nullopt, [&] {
                  auto* held = new DatabaseLock;  // never released, as in a crash
                  return std::vector<NamedCheck> {
                      {"the child holds the lock", held->acquire(dir.str()) == DatabaseLock::Result::Acquired},
                  };
              }),
              "");
    DatabaseLock after;
    EXPECT_EQ(after.acquire(dir.str()), DatabaseLock::Result::Acquired);

    DatabaseLock missing;
    EXPECT_EQ(missing.acquire((dir / "none").string()), DatabaseLock::Result::Failed);
    EXPECT_FALSE(missing.error().empty());
}

}  // namespace
