#include "Component/TDBMower.h"

#include "Class/TVXException.h"
#include "Class/TVXLog.h"
#include "Class/TVXMowerLog.h"
#include "DatabaseFixture.h"

#include <ios>
#include <sys/stat.h>

using namespace fixture;

namespace {

class MowerTest : public DatabaseTest {
protected:
    RecordFixture oneHistory()
    {
        RecordFixture r;
        r.name = "Alic";       // 4 bytes
        r.surname = "Zedzed";  // 6 bytes
        r.histories.push_back(HistoryFixture {});
        return r;
    }
    std::unique_ptr<TVXLog> historyAt(TVXLogTime date, std::uint32_t serial = 0x0012ABCD)
    {
        auto log = std::make_unique<TVXLog>();
        log->setSerialNumber(serial);
        log->setTypeByte(0x24);
        log->setDate(date);
        return log;
    }
};

TEST_F(MowerTest, LoadsRecordFileAndSavesItByteForByte)
{
    const RecordFixture fixture = oneHistory();
    addRecordFile(fixture, false);
    const std::string original = readFile(pathOf(fixture.serial));
    ASSERT_EQ(original.size(), 8263u);

    TDBMower mower(pathOf(fixture.serial), list);
    EXPECT_EQ(mower.GetSerial(), 0x0012ABCDu);
    EXPECT_EQ(mower.GetNameText(), "Alic Zedzed");
    EXPECT_EQ(mower.GetMachineIdText(), "TX-07-123-00");
    EXPECT_EQ(mower.GetSerialText(), "0012ABCD");
    EXPECT_EQ(mower.GetMowerHandle().getLogCount(), 1);

    fs::remove(pathOf(fixture.serial));
    ASSERT_TRUE(mower.SaveRecord());
    EXPECT_EQ(readFile(pathOf(fixture.serial)), original);
}

TEST_F(MowerTest, DamagedFilesGiveNoEntry)
{
    const RecordFixture fixture = oneHistory();
    std::string bytes = recordFileBytes(fixture);
    const std::string path = pathOf(fixture.serial);

    bytes[100] ^= 0x01;
    writeFile(path, bytes);
    try {
        TDBMower mower(path, list);
        FAIL() << "a damaged file gave an entry";
    } catch (const TVXCrc_error& e) {
        EXPECT_STREQ(e.what(), "corruped file");
    }

    // Cut short, with a checksum that fits what is left: no whole record.
    std::string cut = recordFileBytes(fixture).substr(0, 5000);
    const std::uint32_t crc = referenceCrc(cut);
    for (int i = 0; i < 4; ++i)
        cut += static_cast<char>((crc >> (8 * i)) & 0xFF);
    writeFile(path, cut);
    EXPECT_THROW(TDBMower(path, list), std::ios_base::failure);

    for (const std::string& tiny : {std::string(), std::string("abc")}) {
        writeFile(path, tiny);
        EXPECT_THROW(TDBMower(path, list), TVXCrc_error);
    }
    EXPECT_THROW(TDBMower(pathOf(0x99), list), std::ios_base::failure);
    fs::resize_file(path, TDBMower::MaxRecordFileBytes + 1);  // sparse: costs no disk
    EXPECT_THROW(TDBMower(path, list), std::ios_base::failure);
    fs::create_directory(pathOf(0x98));
    EXPECT_THROW(TDBMower(pathOf(0x98), list), std::ios_base::failure);
}

TEST_F(MowerTest, CaptionsFollowTheRecord)
{
    auto record = std::make_unique<TVXMowerLog>();
    record->setTypeCode(3);
    record->setIdYear(12);
    record->setIdNumber(4567);
    record->setIdSuffix(1);
    TDBMower mower(std::move(record), list);
    EXPECT_EQ(mower.GetMachineIdText(), "-12-4567-01");
    EXPECT_EQ(mower.GetFileName(), "");
}

TEST_F(MowerTest, InsertLogFilesWritesAtOnceAndRefusesAKnownDate)
{
    const RecordFixture fixture = oneHistory();
    addRecordFile(fixture, false);
    TDBMower mower(pathOf(fixture.serial), list);

    auto same = historyAt(fixture.histories[0].date);
    EXPECT_EQ(mower.InsertLog(same), InsertResult::DateExists);
    EXPECT_TRUE(same) << "a refused history stays with the caller";
    EXPECT_EQ(mower.GetMowerHandle().getLogCount(), 1);
    EXPECT_TRUE(windows.windows.empty());

    // A later history of another mower: the serial shown follows it, the file
    // name does not, and the file holds it at once.
    auto later = historyAt({2009, 1, 1, 0, 0, 0}, 0x0412ABCD);
    EXPECT_EQ(mower.InsertLog(later), InsertResult::Inserted);
    EXPECT_FALSE(later);
    EXPECT_EQ(mower.GetSerialText(), "0412ABCD");
    EXPECT_EQ(mower.GetFileName(), pathOf(fixture.serial));
    ASSERT_EQ(windows.windows.size(), 1u) << "the record window opens";
    // A new caption may move the tile: the list is arranged again.
    EXPECT_GE(observer.arranged, 1);

    TDBMower reread(pathOf(fixture.serial), list);
    EXPECT_EQ(reread.GetMowerHandle().getLogCount(), 2);

    // With the window open the new history is shown in it.
    auto third = historyAt({2010, 1, 1, 0, 0, 0}, 0x0412ABCD);
    EXPECT_EQ(mower.InsertLog(third), InsertResult::Inserted);
    ASSERT_EQ(windows.windows[0]->shown.size(), 1u);
    EXPECT_EQ(windows.windows[0]->shown[0], TVXLogTime(2010, 1, 1, 0, 0, 0));
}

TEST_F(MowerTest, OneWindowPerRecordAndSavingOnlyWhenOpened)
{
    const RecordFixture fixture = oneHistory();
    addRecordFile(fixture, false);
    TDBMower mower(pathOf(fixture.serial), list);
    fs::remove(pathOf(fixture.serial));

    EXPECT_TRUE(mower.SaveIfOpen());
    EXPECT_FALSE(fs::exists(pathOf(fixture.serial))) << "a record never opened is not written";

    mower.OpenRecord();
    mower.OpenRecord();
    ASSERT_EQ(windows.windows.size(), 1u);
    EXPECT_EQ(windows.windows[0]->raised, 1);

    // The comments the window holds reach the file.
    windows.windows[0]->onStore = [&] {
        mower.GetMowerHandle().getLogAt(0).second->setComment("ab");
    };
    EXPECT_TRUE(mower.SaveIfOpen());
    EXPECT_EQ(windows.windows[0]->stored, 1);
    TDBMower reread(pathOf(fixture.serial), list);
    EXPECT_EQ(reread.GetMowerHandle().getLogAt(0).second->getComment(), "ab");
}

TEST_F(MowerTest, RecordChangesAreWrittenAtOnce)
{
    RecordFixture fixture = oneHistory();
    fixture.histories.push_back(HistoryFixture {.date = {2009, 2, 3, 4, 5, 6}});
    addRecordFile(fixture, false);
    TDBMower mower(pathOf(fixture.serial), list);
    mower.OpenRecord();

    mower.GetMowerHandle().getOwner().setName("Bob");
    mower.GetMowerHandle().eraseLog({2009, 2, 3, 4, 5, 6});
    EXPECT_TRUE(mower.RecordChanged());
    EXPECT_EQ(windows.windows[0]->stored, 1);

    TDBMower reread(pathOf(fixture.serial), list);
    EXPECT_EQ(reread.GetNameText(), "Bob Zedzed");
    EXPECT_EQ(reread.GetMowerHandle().getLogCount(), 1);
}

// A history whose write fails is not kept in memory either: the record, its
// tile and its window stay as the file is, and the caller keeps the history.
TEST_F(MowerTest, FailedSaveIsReportedAndKeepsTheOldFileAndTheOldRecord)
{
    const RecordFixture fixture = oneHistory();
    addRecordFile(fixture, false);
    const std::string original = readFile(pathOf(fixture.serial));
    TDBMower mower(pathOf(fixture.serial), list);
    auto later = historyAt({2009, 1, 1, 0, 0, 0}, 0x0412ABCD);
    TVXLog* const offered = later.get();

    EXPECT_EQ(failedChecksInChild(10000, [&] {
                  const InsertResult result = mower.InsertLog(later);
                  return std::vector<NamedCheck> {
                      {"InsertLog says the write failed", result == InsertResult::WriteFailed},
                      {"the caller keeps the history", later.get() == offered},
                      {"the record holds one history", mower.GetMowerHandle().getLogCount() == 1},
                      {"the serial shown is the old one", mower.GetSerialText() == "0012ABCD"
                                                              && mower.GetSerial() == 0x0012ABCD},
                      {"no window opens", windows.windows.empty()},
                      {"one error box", user.boxes.size() == 1 && user.boxes[0].type == MsgType::Error},
                      {"one trace line of the failed write",
                       traceLines().size() == 1 && traceLines()[0].starts_with("error writing record file: ")},
                      {"the record saved now is the file as it was",
                       mower.SaveRecord() && readFile(pathOf(fixture.serial)) == original},
                  };
              }),
              "");
    EXPECT_EQ(readFile(pathOf(fixture.serial)), original);

    // A text the file format cannot hold is refused before anything is written.
    mower.GetMowerHandle().getOwner().setName("\xE2\x82\xAC\xE4\xB8\xAD");  // a CJK character
    EXPECT_FALSE(mower.SaveRecord());
    EXPECT_EQ(readFile(pathOf(fixture.serial)), original);
    EXPECT_EQ(user.boxes.size(), 1u);
}

// A record without any history takes the copied fields (the serial number
// among them) from the first history filed: a failed write takes them back.
TEST_F(MowerTest, AFailedFirstHistoryLeavesAnEmptyRecordAsItWas)
{
    auto record = std::make_unique<TVXMowerLog>();
    record->getOwner().setName("Empty");
    TDBMower mower(std::move(record), list);
    fs::create_directory(dir / "taken");
    mower.SetFileName((dir / "taken").string());  // a folder stands where the file goes
    mower.OpenRecord();
    TVXMowerLog* const shown = &mower.GetMowerHandle();  // the record window's record

    auto first = historyAt({2009, 1, 1, 0, 0, 0}, 0x0412ABCD);
    EXPECT_EQ(mower.InsertLog(first), InsertResult::WriteFailed);
    EXPECT_EQ(&mower.GetMowerHandle(), shown) << "the window's record is taken back in place";
    EXPECT_TRUE(first);
    EXPECT_EQ(mower.GetMowerHandle().getLogCount(), 0);
    EXPECT_EQ(mower.GetSerial(), 0u);
    EXPECT_EQ(mower.GetMowerHandle().getOwner().getName(), "Empty");
    ASSERT_EQ(windows.windows.size(), 1u);
    EXPECT_TRUE(windows.windows[0]->shown.empty());

    fs::remove(dir / "taken");
    EXPECT_EQ(mower.InsertLog(first), InsertResult::Inserted);
    EXPECT_EQ(mower.GetSerial(), 0x0412ABCDu);
}

}  // namespace
