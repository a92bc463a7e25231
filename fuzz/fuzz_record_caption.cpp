// Any bytes as a record file, read by the caption reader of the record list and
// by the whole-record reader. The caption reader must stay within the bytes
// (the sanitizers watch it) and agree with the whole reader on every input:
// both refuse, with the same kind of failure, or both accept and the caption is
// the whole record's caption, with the checksum the file ends in.
#include "fuzz/FuzzSample.h"

#include "Class/ByteIO.h"
#include "Class/Checksum.h"
#include "Class/RecordCaption.h"
#include "Class/RecordFile.h"
#include "Class/TVXException.h"
#include "Class/TVXMowerLog.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

namespace {

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

[[noreturn]] FUZZ_NO_COVERAGE void fail(const char* variant, const std::string& what)
{
    std::fprintf(stderr, "record caption (%s): %s\n", variant, what.c_str());
    std::abort();
}

// The first field in which the caption read from the file differs from the
// caption of the record read whole; empty when none does.
FUZZ_NO_COVERAGE std::string firstDifference(const RecordCaption& read, const RecordCaption& whole,
                                             std::uint32_t fileChecksum)
{
    auto number = [](const char* field, std::uint64_t a, std::uint64_t b) {
        return std::string(field) + " " + std::to_string(a) + ", the whole record's " + std::to_string(b);
    };
    if (read.owner.getName() != whole.owner.getName())
        return "owner name \"" + read.owner.getName() + "\", the whole record's \"" + whole.owner.getName() + "\"";
    if (read.owner.getSurname() != whole.owner.getSurname())
        return "owner second name \"" + read.owner.getSurname() + "\", the whole record's \"" +
               whole.owner.getSurname() + "\"";
    if (read.owner.getAddress() != whole.owner.getAddress())
        return "owner address \"" + read.owner.getAddress() + "\", the whole record's \"" +
               whole.owner.getAddress() + "\"";
    if (read.typeCode != whole.typeCode)
        return number("type code", read.typeCode, whole.typeCode);
    if (read.idYear != whole.idYear)
        return number("id year", read.idYear, whole.idYear);
    if (read.idNumber != whole.idNumber)
        return number("id number", read.idNumber, whole.idNumber);
    if (read.idSuffix != whole.idSuffix)
        return number("id suffix", read.idSuffix, whole.idSuffix);
    if (read.serialNumber != whole.serialNumber)
        return number("serial number", read.serialNumber, whole.serialNumber);
    if (read.newestHasAlarms != whole.newestHasAlarms)
        return number("newest history holds an alarm", read.newestHasAlarms, whole.newestHasAlarms);
    if (read.historyCount != whole.historyCount)
        return number("history count", read.historyCount, whole.historyCount);
    if (read.checksum != fileChecksum)
        return "checksum " + std::to_string(read.checksum) + ", the file ends in " + std::to_string(fileChecksum);
    if (!read.key.empty())
        return "a key \"" + read.key + "\" that bytes alone cannot give";
    return {};
}

// Whether an event of the record's newest history is an alarm, read through
// the events one by one rather than the image test both captions share.
FUZZ_NO_COVERAGE bool newestHoldsAlarmByItsEvents(const TVXMowerLog& record)
{
    if (record.logs().empty())
        return false;
    for (const HistFrame& event : record.logs().rbegin()->second->getEvents())
        if (event.eventCode == TVXLog::AlarmEventCode)
            return true;
    return false;
}

void check(const char* variant, std::string_view file)
{
    RecordCaption caption;
    const Outcome captionOutcome = outcomeOf([&] { caption = readRecordCaption(file); });
    std::unique_ptr<TVXMowerLog> record;
    const Outcome recordOutcome = outcomeOf([&] { record = readRecordFile(file); });
    if (captionOutcome != recordOutcome)
        fail(variant, std::string("the caption reader ") + nameOf(captionOutcome) + ", the whole reader " +
                          nameOf(recordOutcome));
    if (captionOutcome == Outcome::OtherFailure)
        fail(variant, "both readers fail with an exception that is neither TVXCrc_error nor TVXFormat_error");
    if (!record)
        return;
    const auto* tail = reinterpret_cast<const unsigned char*>(file.data() + file.size() - 4);
    if (const std::string difference = firstDifference(caption, captionOf(*record), byteio::getU32(tail));
        !difference.empty())
        fail(variant, difference);
    if (caption.newestHasAlarms != newestHoldsAlarmByItsEvents(*record))
        fail(variant, "the alarm of the newest history differs from what its events say");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The input as it is: a real record file (the seeds are), or bytes whose
    // checksum fails in both readers.
    check("as it is", std::string_view(reinterpret_cast<const char*>(data), size));

    // The input followed by its checksum, so that the readers behind the
    // checksum are reached. In a buffer of exactly its size, so that a read
    // past its end is caught.
    const std::size_t withCrcSize = size + 4;
    const std::unique_ptr<char[]> withCrc(new char[withCrcSize]);
    if (size)
        std::memcpy(withCrc.get(), data, size);
    std::string crc;
    byteio::putU32(crc, crc32(data, size));
    std::memcpy(withCrc.get() + size, crc.data(), 4);
    check("with its checksum appended", std::string_view(withCrc.get(), withCrcSize));
    return 0;
}
