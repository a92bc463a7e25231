// The caption reader against the whole-record reader: the record list shows
// what the caption reader reads, the record window what the whole reader
// reads, and the two must never tell different stories.
#include "support/RecordFixtures.h"

#include "Class/Checksum.h"
#include "Class/RecordCaption.h"
#include "Class/RecordFile.h"
#include "Class/TVXException.h"
#include "Class/TVXMowerLog.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

// The caption read from the bytes is the whole record's, field by field, and
// carries the checksum the file ends in.
testing::AssertionResult agrees(const std::string& file)
{
    const RecordCaption read = readRecordCaption(file);
    const RecordCaption whole = captionOf(*readRecordFile(file));
    const std::uint32_t tail = std::uint32_t(std::uint8_t(file[file.size() - 4])) |
                               std::uint32_t(std::uint8_t(file[file.size() - 3])) << 8 |
                               std::uint32_t(std::uint8_t(file[file.size() - 2])) << 16 |
                               std::uint32_t(std::uint8_t(file[file.size() - 1])) << 24;
    auto differs = [](const char* field, auto a, auto b) {
        return testing::AssertionFailure() << field << ": caption " << +a << ", whole record " << +b;
    };
    if (read.owner != whole.owner)
        return testing::AssertionFailure() << "owner: caption \"" << read.owner.getName() << "\"/\""
                                           << read.owner.getSurname() << "\"/\"" << read.owner.getAddress()
                                           << "\", whole record \"" << whole.owner.getName() << "\"/\""
                                           << whole.owner.getSurname() << "\"/\"" << whole.owner.getAddress() << "\"";
    if (read.typeCode != whole.typeCode)
        return differs("type code", read.typeCode, whole.typeCode);
    if (read.idYear != whole.idYear)
        return differs("id year", read.idYear, whole.idYear);
    if (read.idNumber != whole.idNumber)
        return differs("id number", read.idNumber, whole.idNumber);
    if (read.idSuffix != whole.idSuffix)
        return differs("id suffix", read.idSuffix, whole.idSuffix);
    if (read.serialNumber != whole.serialNumber)
        return differs("serial number", read.serialNumber, whole.serialNumber);
    if (read.newestHasAlarms != whole.newestHasAlarms)
        return differs("newest history holds an alarm", read.newestHasAlarms, whole.newestHasAlarms);
    if (read.historyCount != whole.historyCount)
        return differs("history count", read.historyCount, whole.historyCount);
    if (read.checksum != tail)
        return differs("checksum", read.checksum, tail);
    if (!read.key.empty())
        return testing::AssertionFailure() << "a key from bytes alone: " << read.key;
    return testing::AssertionSuccess();
}

fixture::History dated(unsigned year, unsigned month, unsigned day, std::uint32_t serial, unsigned second = 0)
{
    fixture::History h;
    h.year = year, h.month = month, h.day = day, h.hour = 10, h.minute = 0, h.second = second;
    h.serial = serial;
    return h;
}

// Two events in the ring; the second an alarm when asked.
fixture::History withEvents(fixture::History h, bool alarm)
{
    h.image[28] = 0x01, h.image[29] = 0x10;  // write offset 272: slots 0 and 1
    h.image[256 + 4] = 8;
    h.image[256 + 8 + 4] = char(alarm ? 5 : 1);
    return h;
}

std::string fileOf(const std::vector<fixture::History>& histories, std::uint32_t headerSerial = 0x0012ABCD)
{
    fixture::Record r;
    r.serial = headerSerial;
    r.name = "Dupont";
    r.surname = "Fran\xE7oise";  // Windows-1252
    r.address = "1, rue du Lac\n74000 Annecy\n";
    r.typeCode = 0x24, r.idYear = 11, r.idNumber = 0x01020304, r.idSuffix = 'B';
    r.histories = histories;
    return fixture::withCrc(fixture::recordBytes(r));
}

std::string readAll(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace

TEST(RecordCaption, HeaderFieldsAndAHistorylessRecordsSerialFromItsHeader)
{
    const std::string file = fileOf({}, 0x04ABCDEF);
    const RecordCaption c = readRecordCaption(file);
    EXPECT_EQ(c.owner.getName(), "Dupont");
    EXPECT_EQ(c.owner.getSurname(), "Fran\xC3\xA7oise");
    EXPECT_EQ(c.owner.getAddress(), "1, rue du Lac\n74000 Annecy\n");
    EXPECT_EQ(c.typeCode, 0x24);
    EXPECT_EQ(c.idYear, 11);
    EXPECT_EQ(c.idNumber, 0x01020304u);
    EXPECT_EQ(c.idSuffix, 'B');
    EXPECT_EQ(c.serialNumber, 0x04ABCDEFu);
    EXPECT_EQ(c.historyCount, 0);
    EXPECT_FALSE(c.newestHasAlarms);
    EXPECT_EQ(c.checksum, fixture::referenceCrc(file.substr(0, file.size() - 4)));
    EXPECT_TRUE(agrees(file));

    // A format byte above 1 puts four bytes before the serial number.
    fixture::Record r;
    r.format = 7;
    r.serial = 0x04000007;
    r.histories = {dated(2010, 1, 1, 0x04000008)};
    const std::string format7 = fixture::withCrc(fixture::recordBytes(r));
    EXPECT_EQ(readRecordCaption(format7).serialNumber, 0x04000008u);
    EXPECT_TRUE(agrees(format7));
}

TEST(RecordCaption, TheNewestHistoryIsTheNewestByDateWhereverTheFileHasIt)
{
    // Newest first, in the middle, last; dates that differ in one field only,
    // the most significant field deciding.
    const fixture::History oldest = dated(2009, 12, 31, 0x04000001, 59);
    const fixture::History middle = dated(2010, 1, 1, 0x04000002, 0);
    const fixture::History newest = dated(2010, 1, 1, 0x04000003, 1);
    for (const auto& order : {std::vector {newest, oldest, middle}, std::vector {oldest, newest, middle},
                              std::vector {middle, oldest, newest}}) {
        const std::string file = fileOf(order);
        EXPECT_EQ(readRecordCaption(file).serialNumber, 0x04000003u);
        EXPECT_EQ(readRecordCaption(file).historyCount, 3);
        EXPECT_TRUE(agrees(file));
    }
    const std::string byYear = fileOf({dated(2011, 1, 1, 0x04000011), dated(2010, 12, 31, 0x04000012)});
    EXPECT_EQ(readRecordCaption(byYear).serialNumber, 0x04000011u);
    EXPECT_TRUE(agrees(byYear));
}

TEST(RecordCaption, ARepeatedDateCountsOnceAndItsFirstHistoryIsKept)
{
    // The whole reader drops the second history of a date: the caption keeps
    // the first one's serial and alarms, and counts the date once.
    const std::string newestRepeated =
        fileOf({dated(2008, 1, 1, 0x04000001), withEvents(dated(2012, 6, 1, 0x04000002), false),
                withEvents(dated(2012, 6, 1, 0x04000003), true)});
    RecordCaption c = readRecordCaption(newestRepeated);
    EXPECT_EQ(c.historyCount, 2);
    EXPECT_EQ(c.serialNumber, 0x04000002u);
    EXPECT_FALSE(c.newestHasAlarms);
    EXPECT_TRUE(agrees(newestRepeated));

    const std::string firstHasTheAlarm = fileOf({withEvents(dated(2012, 6, 1, 0x04000002), true),
                                                 withEvents(dated(2012, 6, 1, 0x04000003), false)});
    c = readRecordCaption(firstHasTheAlarm);
    EXPECT_EQ(c.historyCount, 1);
    EXPECT_EQ(c.serialNumber, 0x04000002u);
    EXPECT_TRUE(c.newestHasAlarms);
    EXPECT_TRUE(agrees(firstHasTheAlarm));

    // Repeats among older dates, out of order: distinct dates only.
    const std::string olderRepeats = fileOf({dated(2009, 1, 1, 1), dated(2012, 1, 1, 2), dated(2009, 1, 1, 3),
                                             dated(2010, 1, 1, 4), dated(2012, 1, 1, 5), dated(2010, 1, 1, 6)});
    c = readRecordCaption(olderRepeats);
    EXPECT_EQ(c.historyCount, 3);
    EXPECT_EQ(c.serialNumber, 2u);
    EXPECT_TRUE(agrees(olderRepeats));

    // Dates one field apart are distinct dates, whichever field it is.
    fixture::History base = dated(2010, 6, 15, 0, 30);
    base.hour = 12, base.minute = 30;
    std::vector<fixture::History> oneApart(7, base);
    oneApart[1].year = 2011, oneApart[2].month = 5, oneApart[3].day = 16;
    oneApart[4].hour = 11, oneApart[5].minute = 31, oneApart[6].second = 29;
    for (std::uint32_t i = 0; i < 7; ++i)
        oneApart[i].serial = i;
    c = readRecordCaption(fileOf(oneApart));
    EXPECT_EQ(c.historyCount, 7);
    EXPECT_EQ(c.serialNumber, 1u);
    EXPECT_TRUE(agrees(fileOf(oneApart)));
}

TEST(RecordCaption, OnlyAnAlarmAmongTheNewestHistorysEventsCounts)
{
    const fixture::History older = dated(2010, 3, 1, 0x04000001);
    const fixture::History newer = dated(2011, 3, 1, 0x04000002);

    const std::string inNewest = fileOf({withEvents(older, false), withEvents(newer, true)});
    EXPECT_TRUE(readRecordCaption(inNewest).newestHasAlarms);
    EXPECT_TRUE(agrees(inNewest));

    const std::string inOlder = fileOf({withEvents(older, true), withEvents(newer, false)});
    EXPECT_FALSE(readRecordCaption(inOlder).newestHasAlarms);
    EXPECT_TRUE(agrees(inOlder));

    // An alarm code in a slot past the write offset is no event.
    fixture::History unlisted = withEvents(newer, false);
    unlisted.image[256 + 8 * 5 + 4] = 5;
    const std::string pastTheEvents = fileOf({unlisted});
    EXPECT_FALSE(readRecordCaption(pastTheEvents).newestHasAlarms);
    EXPECT_TRUE(agrees(pastTheEvents));

    // A wrapped ring lists every slot, the last one too.
    fixture::History wrapped = newer;
    wrapped.image[28] = char(0x80 | 0x01), wrapped.image[29] = 0x10;
    wrapped.image[8192 - 8 + 4] = 5;
    const std::string wrappedRing = fileOf({wrapped});
    EXPECT_TRUE(readRecordCaption(wrappedRing).newestHasAlarms);
    EXPECT_TRUE(agrees(wrappedRing));
}

TEST(RecordCaption, RefusesACutFileAndABadChecksumAsTheWholeReaderDoes)
{
    fixture::History commented = withEvents(dated(2010, 3, 1, 1), true);
    commented.comment = "ok";
    const std::string file = fileOf({commented});

    // A bad checksum, and fewer bytes than a checksum.
    std::string damaged = file;
    damaged[20] ^= 0x40;
    EXPECT_THROW(readRecordFile(damaged), TVXCrc_error);
    EXPECT_THROW(readRecordCaption(damaged), TVXCrc_error);
    for (std::size_t n = 0; n < 4; ++n) {
        EXPECT_THROW(readRecordFile(file.substr(0, n)), TVXCrc_error);
        EXPECT_THROW(readRecordCaption(file.substr(0, n)), TVXCrc_error);
    }

    // Every cut of the content, given a good checksum: the header, a history,
    // a comment's length all end early; the whole content reads.
    const std::string content = file.substr(0, file.size() - 4);
    std::uint32_t crc = crc32(nullptr, 0);
    for (std::size_t n = 0; n < content.size(); ++n) {
        std::string cut = content.substr(0, n);
        fixture::u32(cut, crc);
        ASSERT_THROW(readRecordFile(cut), TVXFormat_error) << n;
        ASSERT_THROW(readRecordCaption(cut), TVXFormat_error) << n;
        crc = crc32Continue(crc, reinterpret_cast<const std::uint8_t*>(content.data()) + n, 1);
    }
    EXPECT_TRUE(agrees(file));

    // A count above the histories present; bytes after the last history are
    // left unread by both.
    fixture::Record r;
    r.histories = {dated(2010, 3, 1, 1)};
    r.claimedCount = 2;
    const std::string tooMany = fixture::withCrc(fixture::recordBytes(r));
    EXPECT_THROW(readRecordFile(tooMany), TVXFormat_error);
    EXPECT_THROW(readRecordCaption(tooMany), TVXFormat_error);
    r.claimedCount = 0;
    const std::string trailing = fixture::withCrc(fixture::recordBytes(r));
    EXPECT_EQ(readRecordCaption(trailing).historyCount, 0);
    EXPECT_TRUE(agrees(trailing));
}

// The fuzz targets' seeds are record files as the program writes them and as
// other programs may have filed them: both readers read each the same.
TEST(RecordCaption, EverySeedOfTheRecordCorporaReadsAlikeInBothReaders)
{
    int seeds = 0;
    for (const char* target : {"fuzz_record_file", "fuzz_record_caption"}) {
        const std::filesystem::path corpus = std::filesystem::path(QUORVANE_SOURCE_DIR) / "fuzz/corpus" / target;
        for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
            const std::string bytes = readAll(entry.path());
            EXPECT_NO_THROW(readRecordFile(bytes)) << entry.path();
            EXPECT_TRUE(agrees(bytes)) << entry.path();
            ++seeds;
        }
    }
    EXPECT_GE(seeds, 12);
}
