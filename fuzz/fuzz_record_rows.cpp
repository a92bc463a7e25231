// The rows of a record as a database server gives them back: any values at
// all, since the server holds whatever was written to it. The record file
// rebuilt from them is either refused, for a defect no file can hold and
// named as such, or a file that both readers read and that splits back into
// the same rows. And the other way round: any bytes that read as a record
// file split into rows that rebuild the same file, less what follows its last
// history.
//
// The input, as rows: it is read in the order of a record file's fields (a
// record file is a valid input; the seeds are ones), and a field that the
// input ends inside is as long as the bytes left make it. After the last
// history, the four bytes where a file keeps its checksum are passed over,
// and each four bytes after them (32 at most) change the rows as `amend`
// says: a field made the wrong size, a text made 65533 to 65537 bytes long,
// the format and its four bytes made to disagree, histories repeated or (in
// one input in 16, chosen by its bytes) more than a file can count.
#include "fuzz/FuzzSample.h"
#include "fuzz/RecordRoundTrip.h"

#include "Class/ByteIO.h"
#include "Class/Checksum.h"
#include "Class/RecordCaption.h"
#include "Class/RecordFile.h"
#include "Class/RecordRows.h"
#include "Class/TVXException.h"
#include "Class/TVXMowerLog.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>

namespace {

// Histories the repeating change adds up to, and the changes made: a run
// stays within a few megabytes.
constexpr std::size_t MostRepeatedHistories = 64;
constexpr std::size_t MostChanges = 32;

[[noreturn]] FUZZ_NO_COVERAGE void fail(const char* part, const std::string& what)
{
    std::fprintf(stderr, "record rows (%s): %s\n", part, what.c_str());
    std::abort();
}

// The input's bytes in order; reads past the end give what is left.
class Cursor {
public:
    Cursor(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool atEnd() const { return position_ == size_; }
    std::size_t remaining() const { return size_ - position_; }

    std::string bytes(std::size_t count)
    {
        count = std::min(count, remaining());
        std::string out(reinterpret_cast<const char*>(data_ + position_), count);
        position_ += count;
        return out;
    }

    // A little-endian number of `width` bytes, the missing ones 0.
    std::uint32_t number(std::size_t width)
    {
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < width && !atEnd(); ++i)
            value |= std::uint32_t(data_[position_++]) << (8 * i);
        return value;
    }
    std::uint8_t u8() { return static_cast<std::uint8_t>(number(1)); }

    std::string counted() { return bytes(number(2)); }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t position_ = 0;
};

// `text` made `size` bytes long by repeating it (a byte `fill` when empty).
FUZZ_NO_COVERAGE std::string resized(const std::string& text, std::size_t size, char fill)
{
    std::string out = text.empty() ? std::string(1, fill) : text;
    out.reserve(size);
    while (out.size() < size)
        out.append(out, 0, std::min(out.size(), size - out.size()));
    out.resize(size);
    return out;
}

// A history every field of which has its size.
FUZZ_NO_COVERAGE HistoryRow wholeHistory(char fill)
{
    HistoryRow h;
    h.infoHead = std::string(HistoryRow::InfoHeadSize, fill);
    h.sleepCopy = std::string(HistoryRow::SleepCopySize, fill);
    h.image = std::string(HistoryRow::ImageSize, fill);
    return h;
}

// One change of four bytes to the rows decoded so far. The rows that it
// gives say more of the code under test than its own branches would.
FUZZ_NO_COVERAGE void amend(RecordRows& rows, std::uint8_t op, std::uint8_t a, std::uint8_t b, std::uint8_t c,
                            bool manyHistories)
{
    auto& histories = rows.histories;
    HistoryRow* history = histories.empty() ? nullptr : &histories[a % histories.size()];
    const char fill = char(c);
    switch (op % 8) {
    case 0:
        if (history)
            history->infoHead = resized(history->infoHead, b % 16, fill);
        break;
    case 1:
        if (history)
            history->sleepCopy = resized(history->sleepCopy, b % 32, fill);
        break;
    case 2:
        if (history)
            history->image = resized(history->image, std::size_t(int(HistoryRow::ImageSize) + std::int8_t(b)), fill);
        break;
    case 3: {
        // Around the longest a count of two bytes holds.
        const std::size_t size = 65533 + c % 5;
        switch (b % 4) {
        case 0: rows.name = resized(rows.name, size, 'n'); break;
        case 1: rows.surname = resized(rows.surname, size, 's'); break;
        case 2: rows.address = resized(rows.address, size, 'a'); break;
        case 3:
            if (history)
                history->comment = resized(history->comment, size, 'c');
            break;
        }
        break;
    }
    case 4:
        rows.formatExtra = resized(rows.formatExtra, a % 8, fill);
        break;
    case 5:
        rows.format = a;
        break;
    case 6: {
        const HistoryRow copy = history ? *history : wholeHistory(fill);
        for (int n = 0; n <= b % 4 && histories.size() < MostRepeatedHistories; ++n)
            histories.push_back(copy);
        break;
    }
    case 7:
        // More than a count of two bytes holds, in one input in 16 only: the
        // tens of thousands of rows cost a run some milliseconds, and the
        // fuzzer would fill its corpus with them. The rows added are empty,
        // so wrong in size as well.
        if (manyHistories && histories.size() <= 0xFFFF)
            histories.resize(0x10000 + a % 2);
        break;
    }
}

FUZZ_NO_COVERAGE RecordRows decode(const std::uint8_t* data, std::size_t size)
{
    Cursor in(data, size);
    RecordRows rows;
    rows.format = in.u8();
    if (rows.format > 1)
        rows.formatExtra = in.bytes(4);
    rows.headerSerial = in.number(4);
    rows.name = in.counted();
    rows.surname = in.counted();
    rows.address = in.counted();
    rows.typeCode = in.u8();
    rows.idYear = in.u8();
    rows.idNumber = in.number(4);
    rows.idSuffix = in.u8();
    const std::uint32_t count = in.number(2);
    for (std::uint32_t i = 0; i < count && !in.atEnd(); ++i) {
        HistoryRow h;
        h.infoHead = in.bytes(HistoryRow::InfoHeadSize);
        const auto year = static_cast<std::uint16_t>(in.number(2));
        const std::uint8_t month = in.u8(), day = in.u8(), hour = in.u8(), minute = in.u8(), second = in.u8();
        h.date = TVXLogTime(year, month, day, hour, minute, second);
        h.serialNumber = in.number(4);
        h.bootloaderVersion = in.u8();
        h.softwareVersion = in.number(4);
        h.typeByte = in.u8();
        h.sleepCopy = in.bytes(HistoryRow::SleepCopySize);
        h.image = in.bytes(HistoryRow::ImageSize);
        h.comment = in.counted();
        rows.histories.push_back(std::move(h));
    }
    in.bytes(4);
    const bool manyHistories = fuzzsample::digest(data, size) % 16 == 0;
    for (std::size_t n = 0; n < MostChanges && in.remaining() >= 4; ++n) {
        const std::uint8_t op = in.u8(), a = in.u8(), b = in.u8(), c = in.u8();
        amend(rows, op, a, b, c, manyHistories);
    }
    return rows;
}

// What joinRecordFile says of each defect these rows hold; empty for rows
// that a record file holds.
FUZZ_NO_COVERAGE std::set<std::string> defectsOf(const RecordRows& rows)
{
    std::set<std::string> defects;
    // A message is made once for a run of fields of one wrong size: 65536
    // empty histories hold the same three.
    std::map<const char*, std::size_t> last;
    auto size = [&](const std::string& field, std::size_t expected, const char* what) {
        if (field.size() == expected)
            return;
        const auto [at, first] = last.try_emplace(what, field.size());
        if (!first && at->second == field.size())
            return;
        at->second = field.size();
        defects.insert(std::string(what) + " holds " + std::to_string(field.size()) + " bytes instead of " +
                           std::to_string(expected));
    };
    auto text = [&](const std::string& field, const char* what) {
        if (field.size() > 0xFFFF)
            defects.insert(std::string(what) + " is longer than 65535 bytes");
    };
    if (rows.histories.size() > 0xFFFF)
        defects.insert("a record holds at most 65535 histories");
    if (rows.format > 1)
        size(rows.formatExtra, 4, "the bytes after the format");
    else if (!rows.formatExtra.empty())
        defects.insert("format 0 or 1 has no bytes after it");
    text(rows.name, "the owner's name");
    text(rows.surname, "the owner's second name");
    text(rows.address, "the owner's address");
    for (const HistoryRow& h : rows.histories) {
        size(h.infoHead, HistoryRow::InfoHeadSize, "a history's info head");
        size(h.sleepCopy, HistoryRow::SleepCopySize, "a history's sleep-range copy");
        size(h.image, HistoryRow::ImageSize, "a history's image");
        text(h.comment, "a history comment");
    }
    return defects;
}

// The first field in which two sets of rows differ; empty when none does.
FUZZ_NO_COVERAGE std::string firstDifference(const RecordRows& a, const RecordRows& b)
{
    auto number = [](const std::string& field, std::uint64_t x, std::uint64_t y) {
        return field + " " + std::to_string(x) + ", not " + std::to_string(y);
    };
    auto bytes = [](const std::string& field, const std::string& x, const std::string& y) {
        return field + " of " + std::to_string(x.size()) + " bytes, not the " + std::to_string(y.size()) +
               " bytes given";
    };
    if (a.format != b.format)
        return number("format", a.format, b.format);
    if (a.formatExtra != b.formatExtra)
        return bytes("bytes after the format", a.formatExtra, b.formatExtra);
    if (a.headerSerial != b.headerSerial)
        return number("header serial", a.headerSerial, b.headerSerial);
    if (a.name != b.name)
        return bytes("name", a.name, b.name);
    if (a.surname != b.surname)
        return bytes("second name", a.surname, b.surname);
    if (a.address != b.address)
        return bytes("address", a.address, b.address);
    if (a.typeCode != b.typeCode || a.idYear != b.idYear || a.idNumber != b.idNumber || a.idSuffix != b.idSuffix)
        return "type code or machine identity";
    if (a.histories.size() != b.histories.size())
        return number("history count", a.histories.size(), b.histories.size());
    for (std::size_t i = 0; i < a.histories.size(); ++i) {
        const HistoryRow& x = a.histories[i];
        const HistoryRow& y = b.histories[i];
        const std::string at = "history " + std::to_string(i) + ": ";
        if (x.infoHead != y.infoHead || x.sleepCopy != y.sleepCopy || x.image != y.image)
            return at + "info head, sleep-range copy or image";
        if (x.date != y.date)
            return at + "date";
        if (x.serialNumber != y.serialNumber || x.bootloaderVersion != y.bootloaderVersion ||
            x.softwareVersion != y.softwareVersion)
            return at + "serial number or versions";
        if (x.typeByte != y.typeByte)
            return number(at + "type byte", x.typeByte, y.typeByte);
        if (x.comment != y.comment)
            return bytes(at + "comment", x.comment, y.comment);
    }
    return a == b ? std::string() : std::string("rows that compare unequal in no field");
}

// The first field in which the caption read from the file differs from the
// caption of the record read whole; empty when none does.
FUZZ_NO_COVERAGE std::string captionDifference(const RecordCaption& read, const RecordCaption& whole,
                                               std::uint32_t fileChecksum)
{
    if (read.owner != whole.owner)
        return "owner";
    if (read.typeCode != whole.typeCode || read.idYear != whole.idYear || read.idNumber != whole.idNumber ||
        read.idSuffix != whole.idSuffix)
        return "type code or machine identity";
    if (read.serialNumber != whole.serialNumber)
        return "serial number " + std::to_string(read.serialNumber) + ", the whole record's " +
               std::to_string(whole.serialNumber);
    if (read.newestHasAlarms != whole.newestHasAlarms)
        return "whether the newest history holds an alarm";
    if (read.historyCount != whole.historyCount)
        return "history count " + std::to_string(read.historyCount) + ", the whole record's " +
               std::to_string(whole.historyCount);
    if (read.checksum != fileChecksum)
        return "checksum " + std::to_string(read.checksum) + ", the file ends in " + std::to_string(fileChecksum);
    if (!read.key.empty())
        return "a key that bytes alone cannot give";
    return {};
}

std::uint32_t tailOf(std::string_view file)
{
    return byteio::getU32(reinterpret_cast<const unsigned char*>(file.data() + file.size() - 4));
}

// Rows to a file: refused for a defect the rows hold, or a file that reads.
void joinRows(const RecordRows& rows)
{
    const std::set<std::string> defects = defectsOf(rows);
    std::string file;
    try {
        file = joinRecordFile(rows);
    } catch (const TVXFormat_error& e) {
        if (defects.empty())
            fail("join", std::string("rows that a file holds are refused: ") + e.what());
        if (!defects.count(e.what()))
            fail("join", std::string("refused for a defect the rows do not hold: ") + e.what() + " (they hold: " +
                             *defects.begin() + ")");
        return;
    } catch (const std::exception& e) {
        fail("join", std::string("fails with neither a file nor TVXFormat_error: ") + e.what());
    }
    if (!defects.empty())
        fail("join", "rows no file holds give a file: " + *defects.begin());

    std::unique_ptr<TVXMowerLog> record;
    try {
        record = readRecordFile(file);
    } catch (const std::exception& e) {
        fail("join", std::string("the rebuilt file does not read: ") + e.what());
    }
    RecordRows again;
    RecordCaption caption;
    try {
        again = splitRecordFile(file);
        caption = readRecordCaption(file);
    } catch (const std::exception& e) {
        fail("join", std::string("the rebuilt file does not split or give a caption: ") + e.what());
    }
    if (const std::string difference = firstDifference(again, rows); !difference.empty())
        fail("join", "the rebuilt file splits into other rows: " + difference);
    if (const std::string difference = captionDifference(caption, captionOf(*record), tailOf(file));
        !difference.empty())
        fail("join", "the rebuilt file's caption differs from its record's: " + difference);
}

enum class Outcome { Read, BadChecksum, NotARecord, OtherFailure };

FUZZ_NO_COVERAGE const char* nameOf(Outcome o)
{
    switch (o) {
    case Outcome::Read: return "accepts";
    case Outcome::BadChecksum: return "refuses the checksum (TVXCrc_error)";
    case Outcome::NotARecord: return "refuses the content (TVXFormat_error)";
    case Outcome::OtherFailure: return "fails otherwise";
    }
    return "?";
}

template <class Read>
Outcome outcomeOf(Read&& read)
{
    try {
        read();
        return Outcome::Read;
    } catch (const TVXCrc_error&) {
        return Outcome::BadChecksum;
    } catch (const TVXFormat_error&) {
        return Outcome::NotARecord;
    } catch (const std::exception&) {
        return Outcome::OtherFailure;
    }
}

// Bytes to rows: refused as the reader refuses them, or rows that rebuild the
// file up to the end of its last history.
void splitFile(const char* variant, std::string_view file)
{
    RecordRows rows;
    const Outcome split = outcomeOf([&] { rows = splitRecordFile(file); });
    std::unique_ptr<TVXMowerLog> record;
    const Outcome read = outcomeOf([&] { record = readRecordFile(file); });
    if (split != read)
        fail(variant, std::string("the split ") + nameOf(split) + ", the reader " + nameOf(read));
    if (split != Outcome::Read)
        return;

    std::string joined;
    try {
        joined = joinRecordFile(rows);
    } catch (const std::exception& e) {
        fail(variant, std::string("the rows of a file do not join: ") + e.what());
    }
    const std::string_view content = file.substr(0, file.size() - 4);
    const std::size_t kept = joined.size() - 4;
    if (kept > content.size() || content.substr(0, kept) != std::string_view(joined).substr(0, kept))
        fail(variant, "the rebuilt file is not the start of the file");
    if (kept == content.size() && joined != file)
        fail(variant, "the rebuilt file has another checksum");
    RecordRows again;
    try {
        again = splitRecordFile(joined);
    } catch (const std::exception& e) {
        fail(variant, std::string("the rebuilt file does not split: ") + e.what());
    }
    if (const std::string difference = firstDifference(again, rows); !difference.empty())
        fail(variant, "the rebuilt file splits into other rows: " + difference);
    // What the bytes left out hold, the reader did not read either.
    std::unique_ptr<TVXMowerLog> rebuilt;
    try {
        rebuilt = readRecordFile(joined);
    } catch (const std::exception& e) {
        fail(variant, std::string("the rebuilt file does not read: ") + e.what());
    }
    if (!fuzzcheck::sameRecord(*rebuilt, *record))
        fail(variant, "the rebuilt file reads as another record");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    joinRows(decode(data, size));

    // The input as a file as it is (a seed is a record file), and followed by
    // its checksum, in a buffer of exactly its size.
    splitFile("split as it is", std::string_view(reinterpret_cast<const char*>(data), size));
    const std::size_t withCrcSize = size + 4;
    const std::unique_ptr<char[]> withCrc(new char[withCrcSize]);
    if (size)
        std::memcpy(withCrc.get(), data, size);
    std::string crc;
    byteio::putU32(crc, crc32(data, size));
    std::memcpy(withCrc.get() + size, crc.data(), 4);
    splitFile("split with its checksum appended", std::string_view(withCrc.get(), withCrcSize));
    return 0;
}
