#include "Component/TDBMowerList.h"

#include "Class/RecordFile.h"
#include "Class/TVXLog.h"
#include "Class/TVXMowerLog.h"
#include "core/AppTexts.h"
#include "DatabaseFixture.h"

using namespace fixture;

namespace {

// A history filled with 5 holds alarm events only, one filled with 4 events
// none of which is an alarm.
constexpr std::uint8_t AlarmImage = 5;
constexpr std::uint8_t EventImage = 4;

class OnDemandTest : public DatabaseTest {
protected:
    static RecordFixture record(std::uint32_t serial, std::string name, std::string surname, std::uint32_t idNumber,
                                std::uint8_t newestImage = 0)
    {
        RecordFixture r;
        r.serial = serial;
        r.name = std::move(name);
        r.surname = std::move(surname);
        r.idNumber = idNumber;
        HistoryFixture older;
        older.serial = serial;
        older.date = {2008, 5, 7, 14, 5, 30};
        older.comment = "first visit";
        older.imageFill = AlarmImage;
        HistoryFixture newest = older;
        newest.date = {2010, 5, 7, 14, 5, 30};
        newest.comment = "second visit";
        newest.imageFill = newestImage;
        r.histories = {older, newest};
        return r;
    }
    static std::unique_ptr<TVXLog> history(std::uint32_t serial, TVXLogTime date)
    {
        auto log = std::make_unique<TVXLog>();
        log->setSerialNumber(serial);
        log->setTypeByte(0x24);
        log->setDate(date);
        return log;
    }
    std::vector<std::uint32_t> visibleSerials() const
    {
        std::vector<std::uint32_t> serials;
        for (const TDBMower* mower : list.Visible())
            serials.push_back(mower->GetSerial());
        return serials;
    }
    bool anyLoaded() const
    {
        for (const auto& mower : list.Entries())
            if (mower->IsLoaded())
                return true;
        return false;
    }
    void damage(std::uint32_t serial)
    {
        std::string bytes = readFile(pathOf(serial));
        bytes[bytes.size() / 2] ^= 0x08;
        writeFile(pathOf(serial), bytes);
    }
    // What the list shows of a record that no longer reads is a stand-in
    // from its caption, which is never written.
    void expectTheStandInIsNotWritten(TDBMower& entry)
    {
        const TVXMowerLog& standIn = entry.GetMowerHandle();
        EXPECT_EQ(standIn.getLogCount(), 0);
        EXPECT_EQ(standIn.getOwner(), entry.GetOwner());
        EXPECT_FALSE(entry.IsLoaded());
        EXPECT_FALSE(entry.SaveRecord());
        EXPECT_FALSE(entry.RecordChanged());
    }
    // The one box the dealer saw: an error naming the unreadable record.
    void expectOneUnreadableBox(const std::string& path)
    {
        ASSERT_EQ(user.boxes.size(), 1u);
        EXPECT_EQ(user.boxes[0].type, MsgType::Error);
        EXPECT_TRUE(user.boxes[0].text.starts_with(appText(AppText::RecordUnreadable))) << user.boxes[0].text;
        EXPECT_NE(user.boxes[0].text.find(path), std::string::npos) << user.boxes[0].text;
    }
};

// After start-up the list holds captions only, and everything it shows and
// searches works on them: no record is read for it.
TEST_F(OnDemandTest, TheListWorksOnCaptionsAlone)
{
    addRecordFile(record(0x30, "Carla", "Zorn", 3));
    addRecordFile(record(0x10, "anton", "Berg", 1, AlarmImage));  // alarm in the newest history
    addRecordFile(record(0x20, "Bruno", "Abel", 2, EventImage));  // alarm in the older one only
    RecordFixture moved = record(0x40, "Dora", "Ost", 4);
    moved.histories[1].serial = 0x44;  // the newest history came from a new board
    addRecordFile(moved);
    load();
    ASSERT_EQ(list.Entries().size(), 4u);
    EXPECT_FALSE(anyLoaded()) << "a record was read at start-up";

    EXPECT_EQ(visibleSerials(), (std::vector<std::uint32_t> {0x10, 0x20, 0x30, 0x44}));
    const TDBMower& anton = *list.Entries()[0];
    EXPECT_EQ(anton.GetNameText(), "anton Berg");
    EXPECT_EQ(anton.GetMachineIdText(), "TX-07-001-00");
    EXPECT_EQ(anton.GetSerialText(), "00000010");
    EXPECT_EQ(list.Entries()[3]->GetSerialText(), "00000044");
    EXPECT_EQ(list.Entries()[2]->GetLeft(), 0);
    EXPECT_EQ(list.Entries()[2]->GetTop(), TDBMowerList::RowStep);

    list.SortByMachineId();
    EXPECT_EQ(list.GetMachineIdList(),
              (std::vector<std::string> {"TX-07-001-00", "TX-07-002-00", "TX-07-003-00", "TX-07-004-00"}));
    list.SortByName();
    EXPECT_EQ(list.Entries()[0]->GetNameText(), "anton Berg");

    list.SetFilter("zorn", false);
    EXPECT_EQ(visibleSerials(), (std::vector<std::uint32_t> {0x30}));
    list.SetFilter("TX07002", false);
    EXPECT_EQ(visibleSerials(), (std::vector<std::uint32_t> {0x20}));
    list.SetFilter("00000044", false);
    EXPECT_EQ(visibleSerials(), (std::vector<std::uint32_t> {0x44}));
    // The caption's alarm flag is the newest history's.
    list.SetFilter("", true);
    EXPECT_EQ(visibleSerials(), (std::vector<std::uint32_t> {0x10}));
    EXPECT_EQ(list.FindBySerial(0x20)->GetLeft(), -1);
    list.SetFilter("", false);
    EXPECT_EQ(list.VisibleCount(), 4u);

    EXPECT_EQ(list.FindBySerial(0x44), list.Entries()[3].get());
    EXPECT_EQ(list.FindBySerial(0x40), nullptr) << "found by its newest history's serial";
    EXPECT_TRUE(list.MachineExists(4, 7, 3, 0));
    EXPECT_EQ(list.FindByIdentity(4, 7, 0, 2)->GetSerial(), 0x20u);

    EXPECT_FALSE(anyLoaded()) << "a record was read to show, sort or search the list";
    EXPECT_TRUE(user.boxes.empty()) << user.boxes[0].text;
}

// A history filed into a record whose window never opened reads the record
// first: the file afterwards holds every history it had, and the new one.
TEST_F(OnDemandTest, AHistoryFiledIntoAnUnreadRecordKeepsEveryOther)
{
    const RecordFixture anna = record(0x0012ABCD, "Anna", "Meier", 5);
    addRecordFile(anna);
    addRecordFile(record(0x99, "Other", "Owner", 6));
    const std::string otherBytes = readFile(pathOf(0x99));
    load();
    TDBMower& entry = *list.FindBySerial(0x0012ABCD);
    ASSERT_FALSE(entry.IsLoaded());

    auto filed = history(0x0012ABCD, {2012, 3, 4, 5, 6, 7});
    const TVXLog copy = *filed;
    ASSERT_EQ(list.InsertLog(filed), InsertResult::Inserted);
    EXPECT_FALSE(filed);
    EXPECT_TRUE(entry.IsLoaded());
    EXPECT_EQ(windows.opened, std::vector<TDBMower*> {&entry});
    EXPECT_TRUE(user.boxes.empty());

    const std::string onDisk = readFile(pathOf(0x0012ABCD));
    auto stored = readRecordFile(onDisk);
    ASSERT_EQ(stored->getLogCount(), 3);
    EXPECT_EQ(stored->findLog({2008, 5, 7, 14, 5, 30}).getComment(), "first visit");
    EXPECT_EQ(stored->findLog({2010, 5, 7, 14, 5, 30}).getComment(), "second visit");
    EXPECT_TRUE(stored->findLog({2008, 5, 7, 14, 5, 30}).holdsAlarm()) << "the old image is kept";
    // Byte for byte: the old record with the new history filed into it.
    auto expected = readRecordFile(recordFileBytes(anna));
    expected->insertLog(std::make_unique<TVXLog>(copy));
    EXPECT_EQ(onDisk, writeRecordFile(*expected));

    EXPECT_FALSE(list.FindBySerial(0x99)->IsLoaded());
    EXPECT_EQ(readFile(pathOf(0x99)), otherBytes);
}

// A record file damaged after start-up is reported once when its record is
// opened; no window opens, the tile stays, and nothing is written over the
// file, neither then nor at the end of the run.
TEST_F(OnDemandTest, ARecordDamagedSinceStartUpIsReportedAndLeftAlone)
{
    addRecordFile(record(0x10, "Anna", "Meier", 1));
    addRecordFile(record(0x20, "Bert", "Keller", 2));
    load();
    damage(0x10);
    const std::string damaged = readFile(pathOf(0x10));
    TDBMower& entry = *list.FindBySerial(0x10);
    const int left = entry.GetLeft();
    const int top = entry.GetTop();

    entry.OpenRecord();
    expectOneUnreadableBox(pathOf(0x10));
    EXPECT_TRUE(windows.opened.empty());
    EXPECT_FALSE(entry.IsLoaded());
    ASSERT_EQ(list.Entries().size(), 2u);
    EXPECT_EQ(list.FindBySerial(0x10), &entry) << "the tile stays";
    EXPECT_EQ(entry.GetNameText(), "Anna Meier");
    EXPECT_EQ(entry.GetLeft(), left);
    EXPECT_EQ(entry.GetTop(), top);

    // Nor does filing a history into it write anything: the dealer is told
    // again, and the caller keeps the history.
    auto filed = history(0x10, {2012, 1, 1, 0, 0, 0});
    EXPECT_EQ(list.InsertLog(filed), InsertResult::WriteFailed);
    EXPECT_TRUE(filed);
    EXPECT_TRUE(windows.opened.empty());
    ASSERT_EQ(user.boxes.size(), 2u);
    EXPECT_TRUE(user.boxes[1].text.starts_with(appText(AppText::RecordUnreadable))) << user.boxes[1].text;

    expectTheStandInIsNotWritten(entry);
    EXPECT_TRUE(list.SaveAll());
    EXPECT_EQ(readFile(pathOf(0x10)), damaged);

    // The other record opens as ever.
    list.FindBySerial(0x20)->OpenRecord();
    EXPECT_EQ(windows.opened.size(), 1u);
}

TEST_F(OnDemandTest, ARecordRemovedSinceStartUpIsNotMadeAgain)
{
    addRecordFile(record(0x10, "Anna", "Meier", 1));
    load();
    fs::remove(pathOf(0x10));
    TDBMower& entry = *list.Entries()[0];

    entry.OpenRecord();
    expectOneUnreadableBox(pathOf(0x10));
    EXPECT_TRUE(windows.opened.empty());
    EXPECT_EQ(list.Entries().size(), 1u);
    EXPECT_EQ(list.VisibleCount(), 1u);

    auto filed = history(0x10, {2012, 1, 1, 0, 0, 0});
    EXPECT_EQ(list.InsertLog(filed), InsertResult::WriteFailed);
    EXPECT_TRUE(filed);
    expectTheStandInIsNotWritten(entry);
    list.SaveAll();
    EXPECT_FALSE(fs::exists(pathOf(0x10))) << "nothing recreated";
}

TEST_F(OnDemandTest, ARecordReplacedSinceStartUpIsNotWrittenOver)
{
    addRecordFile(record(0x10, "Anna", "Meier", 1));
    load();
    // A valid record of another owner now stands under that name.
    const std::string other = recordFileBytes(record(0x10, "Someone", "Else", 9));
    writeFile(pathOf(0x10), other);
    TDBMower& entry = *list.Entries()[0];

    entry.OpenRecord();
    expectOneUnreadableBox(pathOf(0x10));
    EXPECT_TRUE(windows.opened.empty());
    EXPECT_EQ(entry.GetNameText(), "Anna Meier") << "the tile stays as it was listed";

    auto filed = history(0x10, {2012, 1, 1, 0, 0, 0});
    EXPECT_EQ(list.InsertLog(filed), InsertResult::WriteFailed);
    EXPECT_TRUE(filed);
    expectTheStandInIsNotWritten(entry);
    list.SaveAll();
    EXPECT_EQ(readFile(pathOf(0x10)), other);
}

}  // namespace
