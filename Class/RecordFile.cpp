#include "Class/RecordFile.h"

#include "Class/ByteIO.h"
#include "Class/Checksum.h"
#include "Class/TVXException.h"

#include <span>
#include <sstream>

std::unique_ptr<TVXMowerLog> readRecordFile(std::string_view bytes)
{
    if (bytes.size() < 4)
        throw TVXCrc_error();
    const std::string_view content = bytes.substr(0, bytes.size() - 4);
    const auto* tail = reinterpret_cast<const unsigned char*>(bytes.data() + content.size());
    if (crc32(content) != byteio::getU32(tail))
        throw TVXCrc_error();
    // The reader sees the content only, so no count can reach into the checksum.
    byteio::ByteReader in(content);
    auto record = std::make_unique<TVXMowerLog>();
    record->readFrom(in);
    return record;
}

std::string writeRecordFile(TVXMowerLog& record)
{
    std::ostringstream out;
    record.writeTo(out);
    std::string bytes = std::move(out).str();
    byteio::putU32(bytes, crc32(bytes));
    return bytes;
}

std::unique_ptr<TVXLog> readBinHistory(std::string_view bytes)
{
    if (bytes.size() != BinHistoryFileSize)
        throw TVXFormat_error("a history file holds exactly " + std::to_string(BinHistoryFileSize) +
                              " bytes; this one holds " + std::to_string(bytes.size()));
    const auto* p = reinterpret_cast<const std::uint8_t*>(bytes.data());
    auto history = std::make_unique<TVXLog>(std::span<const std::uint8_t, TVXLog::ImageSize>(
        p + TVXLog::InfoFrameSize, TVXLog::ImageSize));
    history->fillFromInfoFrame(std::span<const std::uint8_t, TVXLog::InfoFrameSize>(p, TVXLog::InfoFrameSize));
    return history;
}
