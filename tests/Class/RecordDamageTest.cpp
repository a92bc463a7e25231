#include "support/RecordFixtures.h"

#include "Class/RecordFile.h"
#include "Class/TVXException.h"
#include "Class/TVXMowerLog.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

fixture::Record twoHistories()
{
    fixture::Record r;
    r.name = "Jean";
    r.address = "1 rue X\n";
    fixture::History a, b;
    a.comment = "abc";
    b.second = 31;
    r.histories = {a, b};
    return r;
}

}  // namespace

// Every cut of a record's content is refused, whether or not the caller asked
// the stream to raise its failure, and the record read into is left alone.
TEST(RecordDamage, EveryTruncationIsRefused)
{
    const std::string content = fixture::recordBytes(twoHistories());
    const std::vector<std::size_t> cuts = {0, 1, 4, 5, 6, 9, 12, 20, 30, 40, 41, 50, 8000,
                                           content.size() / 2, content.size() - 3, content.size() - 1};
    for (std::size_t cut : cuts) {
        SCOPED_TRACE(cut);
        TVXMowerLog record;
        record.getOwner().setName("kept");
        std::istringstream quiet(content.substr(0, cut));
        EXPECT_THROW(record.readFrom(quiet), TVXFormat_error);
        EXPECT_EQ(record.getOwner().getName(), "kept");

        std::istringstream loud(content.substr(0, cut));
        loud.exceptions(std::ios_base::failbit | std::ios_base::badbit);
        EXPECT_THROW(record.readFrom(loud), std::ios_base::failure);

        EXPECT_THROW(readRecordFile(fixture::withCrc(content.substr(0, cut))), TVXFormat_error);
    }
}

TEST(RecordDamage, LengthsAndCountsThatRunPastTheEnd)
{
    // An owner text claiming 65535 bytes of which only a few are there.
    std::string longName;
    fixture::u8(longName, 1);
    fixture::u32(longName, 0);
    fixture::u16(longName, 0xFFFF);
    longName += "abc";
    EXPECT_THROW(readRecordFile(fixture::withCrc(longName)), TVXFormat_error);

    // 65535 histories claimed, one present.
    fixture::Record r = twoHistories();
    r.claimedCount = 0xFFFF;
    EXPECT_THROW(readRecordFile(fixture::withCrc(fixture::recordBytes(r))), TVXFormat_error);

    // A comment length past the end of the last history.
    r.claimedCount = 0xFFFFFFFF;
    std::string content = fixture::recordBytes(r);
    content[content.size() - 2] = char(0xFF);  // last comment length high byte
    EXPECT_THROW(readRecordFile(fixture::withCrc(content)), TVXFormat_error);
}

TEST(RecordDamage, ChecksumIsCheckedFirst)
{
    std::string file = fixture::withCrc(fixture::recordBytes(twoHistories()));
    file[100] ^= 0x01;
    try {
        readRecordFile(file);
        FAIL();
    } catch (const TVXCrc_error& e) {
        EXPECT_STREQ(e.what(), "corruped file");
    }
    EXPECT_THROW(readRecordFile(""), TVXCrc_error);
    EXPECT_THROW(readRecordFile("abc"), TVXCrc_error);
}

TEST(RecordDamage, HistoryReaderOnAFailedStreamReadsNothing)
{
    TVXLog log;
    log.setComment("kept");
    std::istringstream in(fixture::historyBytes(fixture::History {}));
    in.setstate(std::ios_base::failbit);
    EXPECT_FALSE(log.readFrom(in));
    EXPECT_EQ(log.getComment(), "kept");
    in.clear();
    EXPECT_EQ(in.tellg(), 0);
}

TEST(RecordDamage, BinHistoryMustBeExactly8208Bytes)
{
    std::string bin(16, '\0');
    bin[1] = 6;
    bin[11] = 0x00, bin[12] = 0x12, bin[13] = char(0xAB), bin[14] = char(0xCD);
    bin += std::string(8192, '\x5A');
    const auto log = readBinHistory(bin);
    EXPECT_EQ(log->getSerialNumber(), 0x0012ABCDu);
    EXPECT_EQ(log->getInfoHead()[1], 6);
    EXPECT_EQ(log->getImage()[8191], 0x5A);
    EXPECT_THROW(readBinHistory(bin.substr(1)), TVXFormat_error);
    EXPECT_THROW(readBinHistory(bin + "x"), TVXFormat_error);
}
