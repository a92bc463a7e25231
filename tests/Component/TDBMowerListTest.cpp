#include "Component/TDBMowerList.h"

#include "Class/TVXException.h"
#include "Class/TVXLog.h"
#include "Class/TVXMowerLog.h"
#include "core/AppTexts.h"
#include "DatabaseFixture.h"

using namespace fixture;

namespace {

RecordFixture record(std::uint32_t serial, std::string name, std::string surname, std::uint8_t typeCode = 4,
                  std::uint8_t idYear = 7, std::uint32_t idNumber = 123, std::uint8_t idSuffix = 0)
{
    RecordFixture r;
    r.serial = serial;
    r.name = std::move(name);
    r.surname = std::move(surname);
    r.typeCode = typeCode;
    r.idYear = idYear;
    r.idNumber = idNumber;
    r.idSuffix = idSuffix;
    r.histories.push_back(HistoryFixture {.serial = serial});
    return r;
}

std::unique_ptr<TVXLog> history(std::uint32_t serial, TVXLogTime date = {2012, 1, 2, 3, 4, 5})
{
    auto log = std::make_unique<TVXLog>();
    log->setSerialNumber(serial);
    log->setTypeByte(0x24);
    log->setDate(date);
    return log;
}

using ListTest = DatabaseTest;

TEST_F(ListTest, LoadSkipsFilesThatFailAndKeepsTheirEntries)
{
    addRecordFile(record(1, "A", "One"));
    addRecordFile(record(2, "B", "Two", 4, 7, 124));
    std::string damaged = readFile(pathOf(2));
    damaged[50] ^= 0x10;
    writeFile(pathOf(2), damaged);
    const std::string checker = checkerBytes();

    load();
    ASSERT_EQ(list.Entries().size(), 1u);
    EXPECT_EQ(list.Entries()[0]->GetSerial(), 1u);
    EXPECT_EQ(traceLines(), std::vector<std::string> {pathOf(2) + " corrupted (CRC)"});
    EXPECT_EQ(checkerBytes(), checker);
    EXPECT_GE(observer.arranged, 1);
}

TEST_F(ListTest, MissingCheckerThrowsAndTheFirstRecordCreatesIt)
{
    addRecordFile(record(1, "A", "One"), false);  // not listed: not loaded
    EXPECT_THROW(load(), TVXDBFC_error);
    EXPECT_TRUE(list.Entries().empty());
    EXPECT_FALSE(fs::exists(dir / "dbtisl.chk")) << "a folder of record files lost its checker: not a new one";

    auto created = std::make_unique<TVXMowerLog>();
    created->insertLog(history(0x00A1B2C3));
    ASSERT_TRUE(list.CreateRecord(created));
    EXPECT_TRUE(fs::exists(dir / "00A1B2C3.dat"));
    EXPECT_EQ(checkerBytes(), checkerEntry(0x00A1B2C3));
    EXPECT_EQ(windows.opened.size(), 1u);
}

// A new database is sound from its first start: its empty checker is made at
// once, and no start complains of a missing one until the first record.
TEST_F(ListTest, ANewDatabaseGetsItsEmptyCheckerAtOnce)
{
    writeFile(dir / "0012ABCD.dat.aside-1", "set aside long ago");  // not a record file
    EXPECT_NO_THROW(load());
    EXPECT_TRUE(fs::exists(dir / "dbtisl.chk"));
    EXPECT_EQ(checkerBytes(), "");
    EXPECT_TRUE(list.Entries().empty());
    for (const std::string& line : traceLines())
        EXPECT_FALSE(line.starts_with("db checker")) << line;

    TDBMowerList again(user, windows);
    EXPECT_NO_THROW(again.Load(dir.str()));
    EXPECT_EQ(traceLines().size(), 1u) << "the second start has nothing to say";

    // A damaged checker is left for the dealer to mend, even with no record.
    writeChecker("1234567");
    TDBMowerList damaged(user, windows);
    EXPECT_THROW(damaged.Load(dir.str()), TVXDBFC_error);
    EXPECT_EQ(checkerBytes(), "1234567");
}

// A record whose file cannot be written is not shown as one of the database:
// no entry, no checker entry, no window, and the caller keeps it.
TEST_F(ListTest, ACreatedRecordWhoseFileCannotBeWrittenIsNotAdded)
{
    writeChecker("");
    load();
    auto created = std::make_unique<TVXMowerLog>();
    created->insertLog(history(0x00A1B2C3));
    TVXMowerLog* const offered = created.get();
    EXPECT_EQ(failedChecksInChild(100, [&] {
                  const bool added = list.CreateRecord(created);
                  return std::vector<NamedCheck> {
                      {"CreateRecord fails", !added},
                      {"the caller keeps the record", created.get() == offered},
                      {"no entry", list.Entries().empty() && list.VisibleCount() == 0},
                      {"no window", windows.opened.empty()},
                      {"the dealer is told",
                       user.boxes.size() == 1 && user.boxes[0].text.starts_with(appText(AppText::RecordSaveFailed))},
                      {"no record file", !fs::exists(dir / "00A1B2C3.dat")},
                      {"no checker entry", checkerBytes().empty()},
                  };
              }),
              "");
}

TEST_F(ListTest, SerialListedTwiceGivesOneEntry)
{
    addRecordFile(record(5, "A", "One"));
    writeChecker(checkerBytes() + checkerEntry(5));
    load();
    EXPECT_EQ(list.Entries().size(), 1u);
    EXPECT_TRUE(traced("listed twice in the db checker: " + pathOf(5)));
}

TEST_F(ListTest, SortsByNameIgnoringCaseOrByMachineIdByteByByte)
{
    addRecordFile(record(1, "bob", "Adams", 4, 0, 1));  // TX-00-001-00
    addRecordFile(record(2, "Alice", "Zed", 1, 1, 1));  // RA-01-001-00
    load();
    list.SortByName();
    EXPECT_EQ(list.Entries()[0]->GetNameText(), "Alice Zed");
    list.SortByMachineId();
    EXPECT_EQ(list.GetMachineIdList(), (std::vector<std::string> {"RA-01-001-00", "TX-00-001-00"}));
}

TEST_F(ListTest, TilesFillRowsOfTheListWidth)
{
    for (std::uint32_t s = 1; s <= 5; ++s)
        addRecordFile(record(s, "N" + std::to_string(s), "X", 4, 7, s));
    load();
    std::vector<std::pair<int, int>> positions;
    for (const auto& mower : list.Entries())
        positions.emplace_back(mower->GetLeft(), mower->GetTop());
    EXPECT_EQ(positions, (std::vector<std::pair<int, int>> {{0, 0}, {105, 0}, {0, 100}, {105, 100}, {0, 200}}));

    // Far beyond what 16-bit positions could hold.
    list.SetWidth(10);
    list.Arrange();
    EXPECT_EQ(list.Entries()[4]->GetTop(), 400);
}

TEST_F(ListTest, OwnerChangeReSortsAtOnce)
{
    addRecordFile(record(1, "Anna", "A", 4, 7, 1));
    addRecordFile(record(2, "Bert", "B", 4, 7, 2));
    load();
    list.SortByName();
    TDBMower& anna = *list.Entries()[0];
    anna.GetMowerHandle().getOwner().setName("Zoe");
    anna.RecordChanged();
    EXPECT_EQ(list.Entries()[1]->GetNameText(), "Zoe A");
    EXPECT_EQ(TDBMower(pathOf(1), list).GetNameText(), "Zoe A");
}

TEST_F(ListTest, FirstMatchFilesLastMatchIsFound)
{
    addRecordFile(record(7, "A", "First", 4, 7, 1));
    RecordFixture second = record(8, "B", "Second", 4, 7, 2);
    second.histories[0].serial = 7;  // its newest history came from mower 7
    addRecordFile(second);
    load();
    list.SortByMachineId();

    auto unknown = history(0x99);
    EXPECT_EQ(list.InsertLog(unknown), InsertResult::NoRecord);
    EXPECT_TRUE(unknown);
    EXPECT_TRUE(windows.opened.empty());

    auto h = history(7);
    EXPECT_EQ(list.InsertLog(h), InsertResult::Inserted);
    EXPECT_EQ(list.Entries()[0]->GetMowerHandle().getLogCount(), 2);
    EXPECT_EQ(list.Entries()[1]->GetMowerHandle().getLogCount(), 1);
    EXPECT_EQ(list.FindBySerial(7), list.Entries()[1].get());

    auto again = history(7);
    EXPECT_EQ(list.InsertLog(again), InsertResult::DateExists);
    EXPECT_TRUE(again);
}

TEST_F(ListTest, MachineIdentityLookups)
{
    addRecordFile(record(1, "A", "A", 4, 7, 123, 0));
    addRecordFile(record(2, "B", "B", 4, 7, 123, 5));
    load();
    EXPECT_TRUE(list.MachineExists(4, 7, 123, 0));
    EXPECT_FALSE(list.MachineExists(4, 7, 124, 0));
    EXPECT_EQ(list.FindByIdentity(4, 7, 5, 123)->GetSerial(), 2u);
    EXPECT_EQ(list.FindByIdentity(4, 7, 1, 123), nullptr);

    auto h = history(0x55);
    EXPECT_EQ(list.InsertLogInto("TX-07-123-05", h), InsertResult::Inserted);
    EXPECT_EQ(TDBMower(pathOf(2), list).GetMowerHandle().getLogCount(), 2) << "written at once";
    auto h2 = history(0x55);
    EXPECT_EQ(list.InsertLogInto("TX-07-123-05", h2), InsertResult::DateExists);
    EXPECT_EQ(list.InsertLogInto("TX-99-999-99", h2), InsertResult::NoRecord);
    EXPECT_TRUE(h2);

    // A record whose file cannot be written keeps what it had, and so does the caller.
    fs::remove(pathOf(2));
    fs::create_directory(pathOf(2));
    auto h3 = history(0x55, {2013, 1, 1, 0, 0, 0});
    EXPECT_EQ(list.InsertLogInto("TX-07-123-05", h3), InsertResult::WriteFailed);
    EXPECT_TRUE(h3);
    EXPECT_EQ(list.FindByIdentity(4, 7, 5, 123)->GetMowerHandle().getLogCount(), 2);
    EXPECT_EQ(list.InsertLog(h3), InsertResult::WriteFailed);  // by its serial, now the record's
    EXPECT_TRUE(h3);
    EXPECT_EQ(list.FindBySerial(0x55)->GetMowerHandle().getLogCount(), 2);
}

TEST_F(ListTest, CreateRecordSetsAFailedFileAsideAndListsItsSerialOnce)
{
    addRecordFile(record(0x00A1B2C3, "Old", "Damaged"));
    std::string damaged = readFile(pathOf(0x00A1B2C3));
    damaged[30] ^= 0x01;
    writeFile(pathOf(0x00A1B2C3), damaged);
    writeFile(dir / "0000000E.dat", "lying here without an entry");
    load();
    ASSERT_TRUE(list.Entries().empty());

    auto created = std::make_unique<TVXMowerLog>();
    created->insertLog(history(0x00A1B2C3));
    ASSERT_TRUE(list.CreateRecord(created));
    EXPECT_EQ(readFile(dir / "00A1B2C3.dat.aside-1"), damaged) << "nothing is deleted";
    EXPECT_EQ(checkerBytes(), checkerEntry(0x00A1B2C3));
    EXPECT_EQ(TDBMower(pathOf(0x00A1B2C3), list).GetSerial(), 0x00A1B2C3u);

    auto unlisted = std::make_unique<TVXMowerLog>();
    unlisted->insertLog(history(0xE));
    ASSERT_TRUE(list.CreateRecord(unlisted));
    EXPECT_EQ(readFile(dir / "0000000E.dat.aside-1"), "lying here without an entry");
    EXPECT_EQ(checkerBytes(), checkerEntry(0x00A1B2C3) + checkerEntry(0xE));
    EXPECT_EQ(list.Entries().size(), 2u);
    EXPECT_EQ(windows.opened.size(), 2u);
}

TEST_F(ListTest, CreateRecordRefusesAFileThatALoadedRecordOwns)
{
    RecordFixture moved = record(0x10, "A", "A");
    moved.histories[0].serial = 0x20;  // its newest history came from mower 20
    addRecordFile(moved);
    load();
    auto created = std::make_unique<TVXMowerLog>();
    created->insertLog(history(0x10));
    EXPECT_FALSE(list.CreateRecord(created));
    EXPECT_TRUE(created) << "the record stays with the caller";
    EXPECT_EQ(user.boxes.size(), 1u);
    EXPECT_EQ(list.Entries().size(), 1u);
    EXPECT_EQ(TDBMower(pathOf(0x10), list).GetNameText(), "A A");
}

TEST_F(ListTest, SaveAllWritesOnlyOpenedRecords)
{
    addRecordFile(record(1, "A", "A", 4, 7, 1));
    addRecordFile(record(2, "B", "B", 4, 7, 2));
    load();
    ASSERT_TRUE(list.FindBySerial(1)->EnsureLoaded());  // read, never opened
    list.FindBySerial(2)->OpenRecord();
    fs::remove(pathOf(1));
    fs::remove(pathOf(2));
    EXPECT_TRUE(list.SaveAll());
    EXPECT_FALSE(fs::exists(pathOf(1)));
    EXPECT_TRUE(fs::exists(pathOf(2)));
}

}  // namespace
