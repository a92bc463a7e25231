#include "Component/RecordWindowTexts.h"
#include "Component/TDBMower.h"

#include "Class/TVXLog.h"
#include "Class/TVXMowerLog.h"
#include "DatabaseFixture.h"

using namespace fixture;

namespace {

const TVXLogTime first {2008, 5, 7, 14, 5, 30};
const TVXLogTime second {2009, 6, 1, 8, 0, 0};
const TVXLogTime third {2010, 12, 24, 23, 59, 9};

RecordFixture withHistories(std::uint32_t serial, const std::vector<std::uint32_t>& historySerials)
{
    RecordFixture r;
    r.serial = serial;
    r.address = "1 Garden Lane";
    const TVXLogTime dates[] = {first, second, third};
    for (std::size_t i = 0; i < historySerials.size(); ++i)
        r.histories.push_back(HistoryFixture {.serial = historySerials[i], .date = dates[i], .comment = {}});
    return r;
}

class RecordEditTest : public DatabaseTest {
protected:
    TDBMower& loadOne(const RecordFixture& record)
    {
        addRecordFile(record);
        load();
        return *list.Entries().at(0);
    }
    std::uint16_t historiesOnDisk(std::uint32_t serial)
    {
        return TDBMower(pathOf(serial), list).GetMowerHandle().getLogCount();
    }
};

TEST_F(RecordEditTest, DeletingUnderTheSerialRule)
{
    TDBMower& mower = loadOne(withHistories(7, {7, 7, 7}));
    mower.OpenRecord();
    EXPECT_EQ(mower.CanDeleteHistory(first), DeleteRule::Allowed);
    EXPECT_EQ(mower.CanDeleteHistory({2000, 1, 1, 0, 0, 0}), DeleteRule::NotFound);

    user.answer = MbCancel;
    EXPECT_EQ(mower.DeleteHistory(third), DeleteResult::Cancelled);
    EXPECT_EQ(mower.GetMowerHandle().getLogCount(), 3);
    EXPECT_EQ(user.boxes.back().text, "You are going to delete mower log of  24-12-2010 23:59:9");
    EXPECT_EQ(user.boxes.back().buttons, unsigned(MbOK | MbCancel));

    user.answer = MbOK;
    EXPECT_EQ(mower.DeleteHistory(third), DeleteResult::Deleted);
    EXPECT_EQ(mower.GetMowerHandle().getLogCount(), 2);
    EXPECT_EQ(historiesOnDisk(7), 2);  // written at once, not at the end of the run
    EXPECT_EQ(windows.windows.at(0)->stored, 1);  // the other tabs' comments went into the file too

    EXPECT_EQ(mower.DeleteHistory(first), DeleteResult::Deleted);
    EXPECT_EQ(mower.CanDeleteHistory(second), DeleteRule::OnlyHistory);
    const std::size_t boxes = user.boxes.size();
    EXPECT_EQ(mower.DeleteHistory(second), DeleteResult::Refused);
    ASSERT_EQ(user.boxes.size(), boxes + 1);  // no question, only the refusal
    EXPECT_EQ(user.boxes.back().type, MsgType::Error);
    EXPECT_EQ(user.boxes.back().text, "You can't delete this mower log");
    EXPECT_EQ(historiesOnDisk(7), 1);
}

TEST_F(RecordEditTest, HistoriesOfAnotherBoardAreKept)
{
    // The first two came from different boards: neither may go. The third's
    // neighbour (the second) has its serial number.
    TDBMower& mower = loadOne(withHistories(9, {8, 9, 9}));
    const std::string before = readFile(pathOf(9));
    EXPECT_EQ(mower.CanDeleteHistory(first), DeleteRule::SerialDiffers);
    EXPECT_EQ(mower.CanDeleteHistory(second), DeleteRule::SerialDiffers);
    EXPECT_EQ(mower.CanDeleteHistory(third), DeleteRule::Allowed);
    EXPECT_EQ(mower.DeleteHistory(first), DeleteResult::Refused);
    EXPECT_EQ(mower.DeleteHistory(second), DeleteResult::Refused);
    EXPECT_EQ(mower.GetMowerHandle().getLogCount(), 3);
    EXPECT_EQ(readFile(pathOf(9)), before);
}

TEST_F(RecordEditTest, ANewBoardsHistoriesGoOnlyWhileTwoOfThemAreLeft)
{
    TDBMower& mower = loadOne(withHistories(0x10, {0x10}));
    for (std::uint8_t day : {1, 2}) {
        auto fromNewBoard = std::make_unique<TVXLog>();
        fromNewBoard->setSerialNumber(0x20);
        fromNewBoard->setDate({2011, 1, day, 0, 0, 0});
        ASSERT_EQ(mower.InsertLog(fromNewBoard), InsertResult::Inserted);
    }
    EXPECT_EQ(mower.GetSerialText(), "00000020");
    const int seen = observer.changed + observer.arranged;
    EXPECT_EQ(mower.DeleteHistory({2011, 1, 2, 0, 0, 0}), DeleteResult::Deleted);
    EXPECT_GT(observer.changed + observer.arranged, seen);  // the tile is repainted
    // The new board's only history left stands next to the old board's.
    EXPECT_EQ(mower.DeleteHistory({2011, 1, 1, 0, 0, 0}), DeleteResult::Refused);
    EXPECT_EQ(mower.GetSerialText(), "00000020");
}

TEST_F(RecordEditTest, CommentsAreStoredThroughTheEntry)
{
    TDBMower& mower = loadOne(withHistories(7, {7, 7}));
    EXPECT_TRUE(mower.StoreComment(second, "a\r\nb\r\n"));
    EXPECT_EQ(TDBMower(pathOf(7), list).GetMowerHandle().findLog(second).getComment(), "a\r\nb\r\n");

    // A character the record file cannot hold is refused and the record stays writable.
    EXPECT_FALSE(mower.StoreComment(second, "smile \xF0\x9F\x98\x80"));
    EXPECT_FALSE(mower.UpdateComment(first, "\xD0\x96"));  // Cyrillic
    EXPECT_EQ(mower.GetMowerHandle().findLog(second).getComment(), "a\r\nb\r\n");
    EXPECT_TRUE(mower.SaveRecord());

    EXPECT_TRUE(mower.UpdateComment(first, "caf\xC3\xA9"));  // é fits Windows-1252
    EXPECT_FALSE(mower.UpdateComment(first, "caf\xC3\xA9"));  // unchanged
    EXPECT_FALSE(mower.UpdateComment({1999, 1, 1, 0, 0, 0}, "x"));
}

TEST_F(RecordEditTest, WindowTextsOfTheRecord)
{
    RecordFixture r = withHistories(0x00A1B2C3, {0x00A1B2C3});
    r.name = "Jean";
    r.surname = "Dupont";
    r.idYear = 5;
    TDBMower& mower = loadOne(r);
    TVXMowerLog& record = mower.GetMowerHandle();
    EXPECT_EQ(recordWindowId(record), "TX-05-123-B");
    record.setTypeCode(2);
    EXPECT_EQ(recordWindowId(record), "-05-123-B");
    EXPECT_EQ(recordSerialText(record), "00A1B2C3");
    EXPECT_EQ(recordSoftwareText(record).size(), 10u);
    EXPECT_EQ(recordSoftwareText(record).substr(0, 2), "24");
    EXPECT_EQ(deleteConfirmationText(first), "You are going to delete mower log of  7-5-2008 14:5:30");

    const std::string text = copyDataText(record, record.findLog(first));
    EXPECT_EQ(text.rfind("Customer references\r\nFirstname: Jean\r\nLastname: Dupont\r\n"
                         "Address: 1 Garden Lane\r\n\r\n", 0),
              0u);
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    // Every line break is CR LF.
    for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1))
        EXPECT_EQ(text[at - 1], '\r');
}

}  // namespace
