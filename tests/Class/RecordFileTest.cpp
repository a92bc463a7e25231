#include "support/RecordFixtures.h"

#include "Class/RecordFile.h"
#include "Class/TVXException.h"
#include "Class/TVXMowerLog.h"

#include <gtest/gtest.h>

#include <array>
#include <sstream>
#include <stdexcept>

namespace {

TVXLogTime day(int d, int second = 0) { return TVXLogTime(2009, 3, std::uint8_t(d), 10, 0, std::uint8_t(second)); }

std::unique_ptr<TVXLog> history(const TVXLogTime& date, std::uint32_t serial = 0x0012ABCD,
                                std::uint8_t typeByte = 0x04)
{
    auto h = std::make_unique<TVXLog>();
    h->setDate(date);
    h->setSerialNumber(serial);
    h->setTypeByte(typeByte);
    h->setSoftwareVersion(0x08000000 + serial);
    h->setBootloaderVersion(std::uint8_t(serial));
    return h;
}

std::vector<TVXLogTime> order(const TVXMowerLog& r) { return r.insertionOrder(); }

}  // namespace

TEST(RecordFile, HistoryFieldsFromInfoFrameAndTheirStoredLayout)
{
    const std::array<std::uint8_t, 16> frame = {0x10, 0x06, 0x02, 0x03, 0x04, 0x05, 0x24, 0x08, 0x04,
                                                0x09, 0x02, 0x00, 0x12, 0xAB, 0xCD, 0x21};
    TVXLog::Image image {};
    image[12] = 48, image[13] = 75, image[14] = 0x02, image[23] = 0x77;
    TVXLog log(image);
    log.fillFromInfoFrame(frame);
    EXPECT_EQ(log.getSerialNumber(), 0x0012ABCDu);
    EXPECT_EQ(log.getSoftwareVersion(), 0x08040902u);
    EXPECT_EQ(log.getBootloaderVersion(), 0x21);
    EXPECT_EQ(log.getTypeByte(), 0x24);
    EXPECT_EQ(log.getInfoHead(), (TVXLog::InfoHead {0x10, 0x06, 0x02, 0x03, 0x04, 0x05}));
    log.setDate(TVXLogTime(2008, 5, 7, 14, 5, 30));

    std::ostringstream out;
    EXPECT_TRUE(log.writeTo(out));
    fixture::History h;
    h.infoHead = std::string("\x10\x06\x02\x03\x04\x05", 6);
    h.typeByte = 0x24;
    h.image = std::string(reinterpret_cast<const char*>(image.data()), image.size());
    EXPECT_EQ(out.str(), fixture::historyBytes(h));
    EXPECT_EQ(out.str().size(), 8229u);
    EXPECT_EQ(out.str().substr(13, 4), std::string("\xCD\xAB\x12\x00", 4));

    log.setComment("ab");
    std::ostringstream withComment;
    log.writeTo(withComment);
    EXPECT_EQ(withComment.str().size(), 8231u);
    EXPECT_EQ(withComment.str().substr(8227), std::string("\x02\x00" "ab", 4));
}

TEST(RecordFile, ReadsAHandWrittenRecordOf8263Bytes)
{
    fixture::Record r;
    r.name = "Jean";
    r.surname = "Dupont";
    fixture::History h;
    h.image[12] = 48;
    h.image[28] = 0x01, h.image[29] = 0x10;  // two events
    r.histories.push_back(h);
    const std::string bytes = fixture::withCrc(fixture::recordBytes(r));
    ASSERT_EQ(bytes.size(), 8263u);

    const auto record = readRecordFile(bytes);
    EXPECT_EQ(record->getOwner().getName(), "Jean");
    EXPECT_EQ(record->getOwner().getSurname(), "Dupont");
    EXPECT_EQ(record->getOwner().getAddress(), "");
    EXPECT_EQ(record->getTypeCode(), 4);
    EXPECT_EQ(record->getIdYear(), 7);
    EXPECT_EQ(record->getIdNumber(), 123u);
    ASSERT_EQ(record->getLogCount(), 1);
    const TVXLog& log = record->findLog(TVXLogTime(2008, 5, 7, 14, 5, 30));
    EXPECT_EQ(log.getSerialNumber(), 0x0012ABCDu);
    EXPECT_EQ(log.getSoftwareVersion(), 0x08040902u);
    EXPECT_EQ(log.getBootloaderVersion(), 0x21);
    EXPECT_EQ(log.getRange(0).start, 48);
    EXPECT_EQ(log.getEventCount(), 2);
    EXPECT_EQ(record->getSoftwareVersion(), 0x08040902u);

    // Written back, the record is the same file byte for byte.
    EXPECT_EQ(writeRecordFile(*record), bytes);
}

// Reading over a history replaces all of it, the view of its image included,
// and bytes left after the histories are not the reader's concern.
TEST(RecordFile, ReadingReplacesAHistoryWhole)
{
    fixture::History first, second;
    first.image[0] = 0x10;
    first.image[28] = 0x01, first.image[29] = 0x10;  // two events
    first.comment = "one";
    second.second = 31;
    second.typeByte = 0x25;
    std::istringstream in(fixture::historyBytes(first) + fixture::historyBytes(second) + "tail");
    TVXLog log;
    ASSERT_TRUE(log.readFrom(in));
    EXPECT_EQ(log.getEventCount(), 2);
    EXPECT_EQ(log.getOptionFlags(), 0x10);
    ASSERT_TRUE(log.readFrom(in));
    EXPECT_EQ(log.getDate(), TVXLogTime(2008, 5, 7, 14, 5, 31));
    EXPECT_EQ(log.getTypeByte(), 0x25);
    EXPECT_EQ(log.getEventCount(), 0);
    EXPECT_EQ(log.getOptionFlags(), 0);
    EXPECT_EQ(log.getComment(), "");

    fixture::Record r;
    r.histories = {first};
    const auto record = readRecordFile(fixture::withCrc(fixture::recordBytes(r) + "tail"));
    ASSERT_EQ(record->getLogCount(), 1);
    EXPECT_EQ(record->getLogAt(0).second->getComment(), "one");
    EXPECT_EQ(record->getLogAt(0).second->getEventCount(), 2);
}

TEST(RecordFile, FormatByteTwoAndTypeFillIn)
{
    fixture::Record r;
    r.format = 2;
    r.serial = 0x11111111;  // replaced by the newest history's
    fixture::History a, b;
    a.typeByte = 0x20;
    a.second = 1;
    b.typeByte = 0x25;
    b.second = 2;
    b.serial = 0x22222222;
    r.histories = {a, b};
    const auto record = readRecordFile(fixture::withCrc(fixture::recordBytes(r)));
    EXPECT_EQ(record->findLog(TVXLogTime(2008, 5, 7, 14, 5, 1)).getTypeByte(), 0x24);
    EXPECT_EQ(record->findLog(TVXLogTime(2008, 5, 7, 14, 5, 2)).getTypeByte(), 0x25);
    EXPECT_EQ(record->getSerialNumber(), 0x22222222u);
    EXPECT_EQ(record->getTypeByte(), 0x25);

    // A record without history keeps the stored serial number.
    fixture::Record empty;
    empty.serial = 0xCAFEF00D;
    const auto none = readRecordFile(fixture::withCrc(fixture::recordBytes(empty)));
    EXPECT_EQ(none->getSerialNumber(), 0xCAFEF00Du);
    EXPECT_EQ(none->getSoftwareVersion(), 0u);
}

TEST(RecordFile, DuplicateDatesInAFileAreDropped)
{
    fixture::Record r;
    fixture::History a, b;
    b.comment = "second";
    r.histories = {a, b};
    const auto record = readRecordFile(fixture::withCrc(fixture::recordBytes(r)));
    ASSERT_EQ(record->getLogCount(), 1);
    EXPECT_EQ(record->getLogAt(0).second->getComment(), "");
}

TEST(MowerLog, InsertionOrderAndDateOrder)
{
    TVXMowerLog record;
    EXPECT_TRUE(record.insertLog(history(day(3), 3)));
    EXPECT_TRUE(record.insertLog(history(day(1), 1)));
    EXPECT_TRUE(record.insertLog(history(day(2), 2)));
    EXPECT_EQ(order(record), (std::vector {day(3), day(1), day(2)}));
    EXPECT_EQ(record.getSerialNumber(), 3u);

    const std::string bytes = writeRecordFile(record);
    const auto read = readRecordFile(bytes);
    EXPECT_EQ(order(*read), (std::vector {day(1), day(2), day(3)}));

    auto duplicate = history(day(2), 99);
    EXPECT_FALSE(record.insertLog(std::move(duplicate)));
    ASSERT_TRUE(duplicate);  // the caller keeps it
    EXPECT_EQ(record.findLog(day(2)).getSerialNumber(), 2u);
    EXPECT_EQ(record.getLogCount(), 3);
    EXPECT_EQ(record.getSerialNumber(), 3u);

    EXPECT_TRUE(record.eraseLog(day(3)));
    EXPECT_FALSE(record.eraseLog(day(3)));
    EXPECT_EQ(order(record), (std::vector {day(1), day(2)}));
    EXPECT_EQ(record.getSerialNumber(), 2u);
    EXPECT_EQ(record.getSoftwareVersion(), 0x08000002u);
    EXPECT_EQ(record.getBootloaderVersion(), 2);

    EXPECT_THROW(record.getLogAt(2), std::out_of_range);
    try {
        record.findLog(day(9));
        FAIL();
    } catch (const std::range_error& e) {
        EXPECT_STREQ(e.what(), "erreur de cle");
    }
}

TEST(MowerLog, MergeMovesOnlyTheMissingDates)
{
    TVXMowerLog target, source;
    target.insertLog(history(day(2), 20));
    source.insertLog(history(day(1), 1));
    source.insertLog(history(day(2), 2));
    source.insertLog(history(day(3), 3));
    EXPECT_TRUE(target.mergeFrom(source));
    EXPECT_EQ(order(target), (std::vector {day(2), day(1), day(3)}));
    EXPECT_EQ(target.findLog(day(2)).getSerialNumber(), 20u);
    EXPECT_EQ(target.getSerialNumber(), 3u);
    // What was not moved is still whole in the other record.
    EXPECT_EQ(order(source), (std::vector {day(2)}));
    EXPECT_EQ(source.findLog(day(2)).getSerialNumber(), 2u);
    EXPECT_EQ(source.getLogAt(0).second->getSerialNumber(), 2u);
}
