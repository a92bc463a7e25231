#include "DatabaseFixture.h"
#include "support/RunCommand.h"

#include <cstdio>
#include <sys/wait.h>
#include <unistd.h>

using namespace fixture;

namespace {

using ToolRun = CommandRun;

// asUser: as an ordinary user, whom file permissions bind (root reads anything).
ToolRun runCheckTool(const std::string& folder, bool repair = false, bool asUser = false)
{
    const std::string prefix = asUser && ::geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "";
    const std::string command = prefix + std::string(QUORVANE_BUILD_DIR "/quorvane-tool check '") + folder + "'"
                                + (repair ? " --repair" : "");
    return runCommand(command);
}

bool says(const ToolRun& run, const std::string& text)
{
    return run.output.find(text) != std::string::npos;
}

class CheckToolTest : public DatabaseTest {
protected:
    void addSound(std::uint32_t serial, bool listed = true)
    {
        RecordFixture r;
        r.serial = serial;
        r.idNumber = serial;
        r.histories.push_back(HistoryFixture {.serial = serial});
        addRecordFile(r, listed);
    }
};

TEST_F(CheckToolTest, SoundFolderPassesUntouched)
{
    addSound(1);
    addSound(2);
    const std::string checker = checkerBytes();
    const ToolRun run = runCheckTool(dir.str());
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(checkerBytes(), checker);
}

TEST_F(CheckToolTest, ADatabaseTheProgramStartedIsSoundBeforeItsFirstRecord)
{
    EXPECT_NO_THROW(load());
    const ToolRun run = runCheckTool(dir.str());
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_TRUE(says(run, dir.str() + ": sound")) << run.output;
}

TEST_F(CheckToolTest, EachDamageIsReported)
{
    addSound(1);
    addSound(2);
    addSound(3);
    std::string damaged = readFile(pathOf(2));
    damaged[40] ^= 0x01;
    writeFile(pathOf(2), damaged);
    writeFile(pathOf(3), "tiny");
    writeChecker(checkerBytes() + checkerEntryWithSum(4, 77) + checkerEntry(5) + checkerEntry(1));
    addSound(6, false);
    const std::string checker = checkerBytes();
    const std::string record1 = readFile(pathOf(1));

    const ToolRun run = runCheckTool(dir.str());
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(says(run, pathOf(2) + ": fails its checksum")) << run.output;
    EXPECT_TRUE(says(run, pathOf(3) + ": fails its checksum")) << run.output;
    EXPECT_TRUE(says(run, "entry 4 (serial 00000004): bad entry sum 77")) << run.output;
    EXPECT_TRUE(says(run, "entry 5 (serial 00000005): record file missing")) << run.output;
    EXPECT_TRUE(says(run, "entry 6 (serial 00000001): serial listed twice (first at entry 1)")) << run.output;
    EXPECT_TRUE(says(run, pathOf(6) + ": record file not listed in the checker")) << run.output;
    EXPECT_EQ(checkerBytes(), checker) << "the check changes nothing";
    EXPECT_EQ(readFile(pathOf(1)), record1);
}

TEST_F(CheckToolTest, CheckerDamageAndMissingFolder)
{
    EXPECT_EQ(runCheckTool(dir.str()).status, 1) << "no checker";
    EXPECT_TRUE(says(runCheckTool(dir.str()), "checker file missing"));
    writeChecker(std::string(13, '\x07'));
    const ToolRun run = runCheckTool(dir.str());
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(says(run, "is not a multiple of 6")) << run.output;
    EXPECT_EQ(runCheckTool((dir / "none").string()).status, 1);
}

TEST_F(CheckToolTest, RepairBringsOrphansBackAtTheNextStart)
{
    addSound(1);
    addSound(2, false);
    addSound(3, false);
    writeFile(dir / "00000004.dat", "damaged orphan");
    fs::rename(pathOf(3), dir / "00000003.DAT");  // another case, still a record file
    writeChecker(checkerBytes() + checkerEntry(1) + "\x01\x02");  // duplicate, then garbage

    const ToolRun run = runCheckTool(dir.str(), true);
    EXPECT_TRUE(says(run, "2 record files recovered")) << run.output;
    EXPECT_EQ(checkerBytes().size(), 18u);
    EXPECT_EQ(checkerBytes().substr(0, 6), checkerEntry(1));
    EXPECT_TRUE(fs::exists(dir / "00000004.dat")) << "nothing is deleted";

    load();
    EXPECT_EQ(list.Entries().size(), 3u);
}

TEST_F(CheckToolTest, LeftoversOfInterruptedWritesAreReportedAndRepairRemovesOnlyThem)
{
    addSound(1);
    const std::string checker = checkerBytes();
    writeFile(dir / "dbtisl.chk.tmpA1b2C3", "half a checker");
    writeFile(dir / "00000001.dat.tmpzz9900", "half a record");
    // Not ours: another name, another pattern, a link, a folder.
    writeFile(dir / "notes.txt.tmpA1b2C3", "the dealer's");
    writeFile(dir / "dbtisl.chk.tmpA1b2C", "five letters");
    fs::create_symlink(dir / "00000001.dat", dir / "00000002.dat.tmpLINK00");
    fs::create_directory(dir / "00000003.dat.tmpDIR000");

    const ToolRun check = runCheckTool(dir.str());
    EXPECT_EQ(check.status, 1);
    EXPECT_TRUE(says(check, (dir / "dbtisl.chk.tmpA1b2C3").string() + ": temporary file left by an interrupted write"))
        << check.output;
    EXPECT_TRUE(says(check, "00000001.dat.tmpzz9900")) << check.output;
    EXPECT_FALSE(says(check, "notes.txt")) << check.output;
    EXPECT_FALSE(says(check, "tmpLINK00")) << check.output;
    EXPECT_TRUE(fs::exists(dir / "dbtisl.chk.tmpA1b2C3")) << "a check alone removes nothing";

    const ToolRun repair = runCheckTool(dir.str(), true);
    EXPECT_EQ(repair.status, 0) << repair.output;
    EXPECT_FALSE(fs::exists(dir / "dbtisl.chk.tmpA1b2C3"));
    EXPECT_FALSE(fs::exists(dir / "00000001.dat.tmpzz9900"));
    for (const char* kept : {"notes.txt.tmpA1b2C3", "dbtisl.chk.tmpA1b2C", "00000003.dat.tmpDIR000"})
        EXPECT_TRUE(fs::exists(dir / kept)) << kept;
    EXPECT_TRUE(fs::is_symlink(dir / "00000002.dat.tmpLINK00"));
    EXPECT_EQ(checkerBytes(), checker) << "a sound checker is not rewritten";
}

TEST_F(CheckToolTest, AnUnreadableCheckerIsReportedAsSuchAndCanBeRepaired)
{
    addSound(1);
    fs::permissions(dir.str(), fs::perms::all);
    fs::permissions(dir / "dbtisl.chk", fs::perms::none);
    const ToolRun check = runCheckTool(dir.str(), false, true);
    EXPECT_TRUE(says(check, "checker file cannot be read")) << check.output;
    const ToolRun repair = runCheckTool(dir.str(), true, true);
    EXPECT_EQ(repair.status, 0) << repair.output;
    EXPECT_EQ(fs::status(dir / "dbtisl.chk").permissions() & fs::perms::owner_all,
              fs::perms::owner_read | fs::perms::owner_write);

    // A loop of symbolic links is no missing checker: the system's reason is given.
    fs::remove(dir / "dbtisl.chk");
    fs::create_symlink("loop", dir / "dbtisl.chk");
    fs::create_symlink("dbtisl.chk", dir / "loop");
    const ToolRun looped = runCheckTool(dir.str());
    EXPECT_EQ(looped.status, 1);
    EXPECT_TRUE(says(looped, "Too many levels of symbolic links")) << looped.output;
    EXPECT_FALSE(says(looped, "checker file missing")) << looped.output;
}

}  // namespace
