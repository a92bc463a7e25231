// Any bytes as a record file: the reader must refuse or accept without
// reading out of bounds, and what it accepts must keep the round-trip promise
// of RecordRoundTrip.h.
#include "fuzz/RecordRoundTrip.h"

#include "Class/ByteIO.h"
#include "Class/Checksum.h"
#include "Class/HistoryRender.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    // A whole record file (the seeds are real ones) is read as it is; any other
    // input is given a good checksum, so that the reader behind it is reached.
    std::string file(input);
    if (size < 4) {
        byteio::putU32(file, crc32(data, size));
    } else if (const std::uint32_t head = crc32(data, size - 4); head != byteio::getU32(data + size - 4)) {
        byteio::putU32(file, crc32Continue(head, data + size - 4, 4));
    }

    std::unique_ptr<TVXMowerLog> record;
    if (const auto defect = fuzzcheck::recordRoundTripDefect(file, &record)) {
        std::fprintf(stderr, "record round trip: %s\n", defect->c_str());
        std::abort();
    }
    if (!record)
        return 0;

    // Every history's title: its date comes from the file. (The history image
    // target renders the rest of a history's text, for any frame, image, date
    // and language.)
    for (const auto& [date, history] : record->logs())
        (void)historyTitle(date);
    return 0;
}
