// The record-file fuzz target's promise (fuzz/RecordRoundTrip.h) on the
// inputs that once broke it, and on every seed of its corpus.
#include "support/RecordFixtures.h"

#include "fuzz/RecordRoundTrip.h"

#include "Class/RecordFile.h"
#include "Class/TVXMowerLog.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

// A record of type code 0x20 with a history of type byte 0x00 and one of 0x24.
std::string typeCode0x20Record()
{
    fixture::Record r;
    r.typeCode = 0x20;
    fixture::History zero;
    zero.typeByte = 0x00;
    zero.day = 1;
    fixture::History typed;
    typed.typeByte = 0x24;
    typed.day = 2;
    r.histories = {zero, typed};
    return fixture::withCrc(fixture::recordBytes(r));
}

std::uint8_t typeByteOfDay(const TVXMowerLog& record, unsigned day)
{
    for (const auto& [date, history] : record.logs())
        if (date.day == day)
            return history->getTypeByte();
    ADD_FAILURE() << "no history of day " << day;
    return 0;
}

}  // namespace

// Found after 3.1 million runs: the loader adds the record's type code to a
// type byte whose low nibble is 0, and with a code of low nibble 0 the sum
// qualifies again, so each load adds the code once more. The loader is right;
// "write, read, write again gives the same bytes" was not the promise.
TEST(RecordFileFuzzRegression, TypeCodeOfLowNibbleZeroMovesSuchTypeBytesAtEveryLoad)
{
    const auto first = readRecordFile(typeCode0x20Record());
    EXPECT_EQ(typeByteOfDay(*first, 1), 0x20);
    EXPECT_EQ(typeByteOfDay(*first, 2), 0x24);

    const std::string written = writeRecordFile(*first);
    const auto second = readRecordFile(written);
    EXPECT_EQ(typeByteOfDay(*second, 1), 0x40);
    EXPECT_EQ(typeByteOfDay(*second, 2), 0x24);
    EXPECT_NE(writeRecordFile(*second), written);

    EXPECT_EQ(fuzzcheck::typeByteAfterLoad(0x20, 0x20), 0x40);
    EXPECT_EQ(fuzzcheck::typeByteAfterLoad(0xF0, 0x20), 0x10);  // the sum wraps as a byte does
    EXPECT_EQ(fuzzcheck::typeByteAfterLoad(0x00, 0x04), 0x04);
    EXPECT_EQ(fuzzcheck::typeByteAfterLoad(0x24, 0x20), 0x24);
}

TEST(RecordFileFuzzRegression, TheRoundTripPromiseHoldsForTheRecordThatBrokeTheOldOne)
{
    std::unique_ptr<TVXMowerLog> read;
    EXPECT_EQ(fuzzcheck::recordRoundTripDefect(typeCode0x20Record(), &read), std::nullopt);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->getLogCount(), 2);

    // Bytes that are no record are refused, not a broken promise.
    std::string damaged = typeCode0x20Record();
    damaged[10] ^= 1;
    read.reset();
    EXPECT_EQ(fuzzcheck::recordRoundTripDefect(damaged, &read), std::nullopt);
    EXPECT_FALSE(read);
}

TEST(RecordFileFuzzRegression, SameRecordSeesEveryStoredField)
{
    const std::string bytes = typeCode0x20Record();
    const auto a = readRecordFile(bytes);
    EXPECT_TRUE(fuzzcheck::sameRecord(*a, *readRecordFile(bytes)));

    auto owner = readRecordFile(bytes);
    owner->getOwner().setAddress("x");
    auto id = readRecordFile(bytes);
    id->setIdSuffix(9);
    auto typeByte = readRecordFile(bytes);
    typeByte->logs().begin()->second->setTypeByte(0x21);
    auto comment = readRecordFile(bytes);
    comment->logs().rbegin()->second->setComment("x");
    auto fewer = readRecordFile(bytes);
    fewer->eraseLog(fewer->logs().begin()->first);
    for (const auto* other : {owner.get(), id.get(), typeByte.get(), comment.get(), fewer.get()})
        EXPECT_FALSE(fuzzcheck::sameRecord(*a, *other));
}

// The seeds are whole record files written by the program: each must read and
// keep the promise, so a change of the format that strands them is noticed.
TEST(RecordFileFuzzRegression, EverySeedOfTheCorpusReadsAndKeepsThePromise)
{
    const std::filesystem::path corpus = std::filesystem::path(QUORVANE_SOURCE_DIR) / "fuzz/corpus/fuzz_record_file";
    int seeds = 0;
    bool typeCodeSeed = false;
    for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::unique_ptr<TVXMowerLog> read;
        EXPECT_EQ(fuzzcheck::recordRoundTripDefect(bytes, &read), std::nullopt) << entry.path();
        EXPECT_TRUE(read) << entry.path() << " is not a record file";
        typeCodeSeed |= read && read->getTypeCode() == 0x20;
        ++seeds;
    }
    EXPECT_GE(seeds, 4);
    EXPECT_TRUE(typeCodeSeed) << "the corpus lost its record of type code 0x20";
}
