// Any bytes as a record file: the reader must refuse or accept without
// reading out of bounds, and what it accepts must write back to a file that
// reads again into the same record.
#include "Class/Checksum.h"
#include "Class/HistoryRender.h"
#include "Class/RecordFile.h"
#include "Class/TVXException.h"

#include <cstdint>
#include <cstdlib>
#include <ios>
#include <sstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string content(reinterpret_cast<const char*>(data), size);
    // Most inputs are given a good checksum so that the reader behind it is reached.
    std::string file = content;
    const std::uint32_t crc = crc32(content);
    for (int shift = 0; shift < 32; shift += 8)
        file += char((crc >> shift) & 0xFF);

    std::unique_ptr<TVXMowerLog> record;
    try {
        record = readRecordFile(file);
    } catch (const TVXException&) {
        return 0;
    }
    // The raw stream reader with the stream's failure enabled behaves the same.
    {
        std::istringstream in(content);
        in.exceptions(std::ios_base::failbit | std::ios_base::badbit);
        TVXMowerLog again;
        again.readFrom(in);
    }
    if (record->getLogCount() > 0)
        (void)renderHistoryText(*record->logs().begin()->second);

    const std::string written = writeRecordFile(*record);
    const auto reread = readRecordFile(written);
    if (writeRecordFile(*reread) != written)
        std::abort();
    return 0;
}
