// A record file taken apart into the rows a database server stores, and
// rebuilt from them: the same bytes, CRC included, for every file the reader
// accepts; a refusal naming the field for rows no file can hold.
#include "support/RecordFixtures.h"

#include "Class/RecordFile.h"
#include "Class/RecordRows.h"
#include "Class/TVXException.h"
#include "Class/TVXLog.h"
#include "Class/TVXMowerLog.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

namespace {

std::string readAll(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The thrown text of what `run` throws, its kind first; "none" when it throws nothing.
std::string failureOf(const std::function<void()>& run)
{
    try {
        run();
    } catch (const TVXCrc_error& e) {
        return std::string("TVXCrc_error: ") + e.what();
    } catch (const TVXFormat_error& e) {
        return std::string("TVXFormat_error: ") + e.what();
    } catch (const std::exception& e) {
        return std::string("another exception: ") + e.what();
    }
    return "none";
}

fixture::History history(unsigned day, unsigned typeByte, std::string comment = {})
{
    fixture::History h;
    h.day = day;
    h.typeByte = typeByte;
    h.comment = std::move(comment);
    for (std::size_t i = 0; i < h.image.size(); ++i)
        h.image[i] = char(i * 7 + day);
    h.infoHead = std::string("\x10\x06\x01\x02\x03", 5) + char(day);
    return h;
}

std::unique_ptr<TVXLog> writtenHistory(std::uint8_t day, std::uint8_t typeByte, const std::string& comment)
{
    TVXLog::Image image {};
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = std::uint8_t(i * 13 + day);
    auto log = std::make_unique<TVXLog>(image);
    log->setTypeByte(typeByte);
    log->setSerialNumber(0x04000100u + day);
    log->setDate(TVXLogTime(2015, 6, day, 10, 30, 0));
    log->setComment(comment);
    return log;
}

// Rows every field of which a file holds: two histories.
RecordRows soundRows()
{
    fixture::Record r;
    r.name = "Dupont";
    r.histories = {history(1, 0x24, "vu"), history(2, 0x24)};
    return splitRecordFile(fixture::withCrc(fixture::recordBytes(r)));
}

}  // namespace

TEST(RecordRows, EverySeedOfTheRecordFileTargetSplitsAndJoinsToItsOwnBytes)
{
    const std::filesystem::path seeds = std::filesystem::path(QUORVANE_SOURCE_DIR) / "fuzz/corpus/fuzz_record_file";
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(seeds)) {
        SCOPED_TRACE(entry.path().filename().string());
        const std::string bytes = readAll(entry.path());
        ASSERT_NO_THROW(readRecordFile(bytes));
        EXPECT_EQ(joinRecordFile(splitRecordFile(bytes)), bytes);
        ++files;
    }
    EXPECT_GE(files, 4);
}

TEST(RecordRows, WrittenRecordsKeepEveryByteAndTheTypeByteAsStored)
{
    // A type code of low nibble 0 and a history of type byte 0x00: the reader
    // makes it 0x20, the rows keep the 0x00 the file holds, and rebuild it.
    TVXMowerLog record;
    record.getOwner().setName("Lef\xC3\xA8vre");
    record.getOwner().setSurname("H\xC3\xA9l\xC3\xA8ne");
    record.getOwner().setAddress("12, rue des \xC3\x89" "coles\n25000 Besan\xC3\xA7on\n");
    record.setTypeCode(0x20);
    record.setIdYear(9);
    record.setIdNumber(0x01020304);
    record.setIdSuffix('B');
    record.insertLog(writtenHistory(3, 0x00, "C\xC3\xA2" "ble chang\xC3\xA9"));
    record.insertLog(writtenHistory(1, 0x24, ""));
    record.insertLog(writtenHistory(2, 0x30, std::string(300, 'x')));
    const std::string bytes = writeRecordFile(record);

    const RecordRows rows = splitRecordFile(bytes);
    EXPECT_EQ(rows.format, 1);
    EXPECT_TRUE(rows.formatExtra.empty());
    EXPECT_EQ(rows.name, "Lef\xE8vre");  // as stored: Windows-1252
    EXPECT_EQ(rows.typeCode, 0x20);
    EXPECT_EQ(rows.idNumber, 0x01020304u);
    ASSERT_EQ(rows.histories.size(), 3u);
    // In file order, which is date order.
    EXPECT_EQ(rows.histories[0].date, TVXLogTime(2015, 6, 1, 10, 30, 0));
    EXPECT_EQ(rows.histories[0].typeByte, 0x24);
    EXPECT_EQ(rows.histories[1].typeByte, 0x30);
    EXPECT_EQ(rows.histories[2].typeByte, 0x00);
    EXPECT_EQ(rows.histories[2].serialNumber, 0x04000103u);
    EXPECT_EQ(rows.histories[2].comment, "C\xE2" "ble chang\xE9");
    EXPECT_EQ(rows.histories[2].image[100], char(100 * 13 + 3));
    EXPECT_EQ(rows.histories[2].sleepCopy, rows.histories[2].image.substr(12, 12));
    EXPECT_EQ(readRecordFile(bytes)->logs().rbegin()->second->getTypeByte(), 0x20);
    EXPECT_EQ(joinRecordFile(rows), bytes);

    TVXMowerLog empty;
    const std::string emptyBytes = writeRecordFile(empty);
    EXPECT_EQ(joinRecordFile(splitRecordFile(emptyBytes)), emptyBytes);
}

TEST(RecordRows, HandMadeFilesAtTheEdgesRebuildExactly)
{
    // Format 2 with its four bytes, texts of 65535 bytes, a date twice (the
    // reader drops the second; the rows keep both).
    fixture::Record r;
    r.format = 2;
    r.name = std::string(65535, '\xE9');
    r.histories = {history(4, 0x00, std::string(65535, 'c')), history(4, 0x24)};
    const std::string bytes = fixture::withCrc(fixture::recordBytes(r));
    RecordRows rows = splitRecordFile(bytes);
    EXPECT_EQ(rows.formatExtra, "\xDE\xAD\xBE\xEF");
    EXPECT_EQ(rows.name.size(), 65535u);
    ASSERT_EQ(rows.histories.size(), 2u);
    EXPECT_EQ(rows.histories[0].comment.size(), 65535u);
    EXPECT_EQ(joinRecordFile(rows), bytes);
    EXPECT_EQ(readRecordFile(bytes)->getLogCount(), 1);

    // A sleep-range copy that is not the image's: the reader ignores it, the
    // rows keep it.
    rows.histories[1].sleepCopy[0] ^= 0x55;
    const std::string copyApart = joinRecordFile(rows);
    ASSERT_NO_THROW(readRecordFile(copyApart));
    EXPECT_EQ(splitRecordFile(copyApart), rows);

    // Bytes after the last history are not kept: the rebuilt file ends there.
    fixture::Record shortOne;
    shortOne.histories = {history(1, 0x24)};
    const std::string content = fixture::recordBytes(shortOne);
    const std::string trailing = fixture::withCrc(content + "left over");
    ASSERT_NO_THROW(readRecordFile(trailing));
    EXPECT_EQ(joinRecordFile(splitRecordFile(trailing)), fixture::withCrc(content));
}

TEST(RecordRows, JoinRefusesRowsNoFileHoldsNamingTheField)
{
    struct Defect {
        const char* what;
        std::function<void(RecordRows&)> make;
        const char* message;
    };
    const std::vector<Defect> defects {
        {"info head of 5 bytes", [](RecordRows& r) { r.histories[1].infoHead.pop_back(); },
         "a history's info head holds 5 bytes instead of 6"},
        {"info head of 7 bytes", [](RecordRows& r) { r.histories[0].infoHead += 'x'; },
         "a history's info head holds 7 bytes instead of 6"},
        {"sleep-range copy of 13 bytes", [](RecordRows& r) { r.histories[0].sleepCopy += 'x'; },
         "a history's sleep-range copy holds 13 bytes instead of 12"},
        {"empty sleep-range copy", [](RecordRows& r) { r.histories[1].sleepCopy.clear(); },
         "a history's sleep-range copy holds 0 bytes instead of 12"},
        {"image one byte short", [](RecordRows& r) { r.histories[1].image.pop_back(); },
         "a history's image holds 8191 bytes instead of 8192"},
        {"image one byte long", [](RecordRows& r) { r.histories[0].image += 'x'; },
         "a history's image holds 8193 bytes instead of 8192"},
        {"name of 65536 bytes", [](RecordRows& r) { r.name.assign(65536, 'n'); },
         "the owner's name is longer than 65535 bytes"},
        {"second name of 65536 bytes", [](RecordRows& r) { r.surname.assign(65536, 's'); },
         "the owner's second name is longer than 65535 bytes"},
        {"address of 70000 bytes", [](RecordRows& r) { r.address.assign(70000, 'a'); },
         "the owner's address is longer than 65535 bytes"},
        {"comment of 65536 bytes", [](RecordRows& r) { r.histories[1].comment.assign(65536, 'c'); },
         "a history comment is longer than 65535 bytes"},
        {"format 2 without its bytes", [](RecordRows& r) { r.format = 2; },
         "the bytes after the format holds 0 bytes instead of 4"},
        {"format 200 with 3 bytes", [](RecordRows& r) { r.format = 200, r.formatExtra = "abc"; },
         "the bytes after the format holds 3 bytes instead of 4"},
        {"format 1 with bytes", [](RecordRows& r) { r.formatExtra = "abcd"; },
         "format 0 or 1 has no bytes after it"},
        {"format 0 with one byte", [](RecordRows& r) { r.format = 0, r.formatExtra = "a"; },
         "format 0 or 1 has no bytes after it"},
        {"65536 histories", [](RecordRows& r) { r.histories.resize(65536); },
         "a record holds at most 65535 histories"},
    };
    for (const Defect& d : defects) {
        SCOPED_TRACE(d.what);
        RecordRows rows = soundRows();
        d.make(rows);
        EXPECT_EQ(failureOf([&] { joinRecordFile(rows); }), std::string("TVXFormat_error: ") + d.message);
    }

    // The edges a file holds.
    RecordRows edges = soundRows();
    edges.name.assign(65535, 'n');
    edges.histories[0].comment.assign(65535, 'c');
    edges.format = 255, edges.formatExtra = std::string(4, '\0');
    EXPECT_EQ(splitRecordFile(joinRecordFile(edges)), edges);
    edges.format = 0, edges.formatExtra.clear();
    edges.histories.clear();
    EXPECT_EQ(splitRecordFile(joinRecordFile(edges)), edges);
}

TEST(RecordRows, SplitRefusesWhatTheReaderRefusesTheSameWay)
{
    fixture::Record r;
    r.format = 3;
    r.name = "Martin";
    r.surname = "Fran\xE7oise";
    r.histories = {history(1, 0x24, "commentaire"), history(2, 0x00)};
    const std::string content = fixture::recordBytes(r);

    std::vector<std::pair<std::string, std::string>> files {
        {"empty", ""},
        {"three bytes", "abc"},
        {"wrong checksum", content + "\x01\x02\x03\x04"},
        {"nothing but a checksum", fixture::withCrc("")},
        {"a count of 3 over 2 histories", [&] {
             fixture::Record more = r;
             more.claimedCount = 3;
             return fixture::withCrc(fixture::recordBytes(more));
         }()},
        {"a name longer than the file", [&] {
             std::string s = content;
             s[1 + 4 + 4] = char(0xFF), s[1 + 4 + 4 + 1] = char(0xFF);
             return fixture::withCrc(s);
         }()},
    };
    // Cut at every length but a few inside the images, the checksum made
    // right: inside the format's bytes, each text, the header, every field of
    // a history, the comment.
    std::vector<std::size_t> images;  // where each history's image starts
    std::size_t at = content.size();
    for (auto h = r.histories.rbegin(); h != r.histories.rend(); ++h) {
        at -= fixture::historyBytes(*h).size();
        images.push_back(at + 35);
    }
    auto deepInAnImage = [&](std::size_t length) {
        for (std::size_t start : images)
            if (length > start + 5 && length < start + 8192 - 5)
                return true;
        return false;
    };
    for (std::size_t length = 0; length < content.size(); ++length) {
        if (deepInAnImage(length) && length % 509 != 0)
            continue;
        files.emplace_back("cut to " + std::to_string(length) + " bytes",
                           fixture::withCrc(content.substr(0, length)));
    }

    for (const auto& [what, file] : files) {
        SCOPED_TRACE(what);
        const std::string read = failureOf([&] { readRecordFile(file); });
        EXPECT_NE(read, "none");
        EXPECT_EQ(failureOf([&] { splitRecordFile(file); }), read);
    }
    EXPECT_EQ(failureOf([&] { splitRecordFile(fixture::withCrc(content)); }), "none");
}
