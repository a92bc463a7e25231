#include "Class/RecordRows.h"

#include "Class/ByteIO.h"
#include "Class/Checksum.h"
#include "Class/TVXException.h"

#include <algorithm>

namespace {

constexpr std::size_t FieldsSize = 35 + HistoryRow::ImageSize;

std::string bytesAt(const unsigned char* p, std::size_t count)
{
    return std::string(reinterpret_cast<const char*>(p), count);
}

void requireSize(const std::string& field, std::size_t size, const char* what)
{
    if (field.size() != size)
        throw TVXFormat_error(std::string(what) + " holds " + std::to_string(field.size()) + " bytes instead of "
                              + std::to_string(size));
}

void putText(std::string& out, const std::string& text, const char* what)
{
    if (text.size() > 0xFFFF)
        throw TVXFormat_error(std::string(what) + " is longer than 65535 bytes");
    byteio::putU16(out, static_cast<std::uint16_t>(text.size()));
    out += text;
}

}  // namespace

RecordRows splitRecordFile(std::string_view bytes)
{
    using namespace byteio;
    if (bytes.size() < 4)
        throw TVXCrc_error();
    const std::string_view content = bytes.substr(0, bytes.size() - 4);
    if (crc32(content) != getU32(reinterpret_cast<const unsigned char*>(bytes.data() + content.size())))
        throw TVXCrc_error();

    ByteReader in(content);
    constexpr const char* cut = "record file ends inside its header";
    RecordRows rows;
    rows.format = readU8(in, cut);
    if (rows.format > 1)
        rows.formatExtra = bytesAt(in.take(4, cut), 4);
    rows.headerSerial = readU32(in, cut);
    rows.name = std::string(readCountedBytes(in, "record file ends inside the owner's name"));
    rows.surname = std::string(readCountedBytes(in, "record file ends inside the owner's second name"));
    rows.address = std::string(readCountedBytes(in, "record file ends inside the owner's address"));
    rows.typeCode = readU8(in, cut);
    rows.idYear = readU8(in, cut);
    rows.idNumber = readU32(in, cut);
    rows.idSuffix = readU8(in, cut);
    const std::uint16_t count = readU16(in, cut);
    rows.histories.reserve(std::min<std::size_t>(count, in.remaining() / FieldsSize));
    for (std::uint16_t i = 0; i < count; ++i) {
        const unsigned char* p = in.take(FieldsSize, "record file ends inside a history");
        HistoryRow h;
        h.infoHead = bytesAt(p, HistoryRow::InfoHeadSize);
        h.date = TVXLogTime(getU16(p + 6), p[8], p[9], p[10], p[11], p[12]);
        h.serialNumber = getU32(p + 13);
        h.bootloaderVersion = p[17];
        h.softwareVersion = getU32(p + 18);
        h.typeByte = p[22];
        h.sleepCopy = bytesAt(p + 23, HistoryRow::SleepCopySize);
        h.image = bytesAt(p + 35, HistoryRow::ImageSize);
        h.comment = std::string(readCountedBytes(in, "record file ends inside a history comment"));
        rows.histories.push_back(std::move(h));
    }
    return rows;
}

std::string joinRecordFile(const RecordRows& rows)
{
    using namespace byteio;
    if (rows.histories.size() > 0xFFFF)
        throw TVXFormat_error("a record holds at most 65535 histories");
    std::string out;
    out.reserve(64 + rows.name.size() + rows.surname.size() + rows.address.size()
                + rows.histories.size() * (FieldsSize + 2));
    out += char(rows.format);
    if (rows.format > 1) {
        requireSize(rows.formatExtra, 4, "the bytes after the format");
        out += rows.formatExtra;
    } else if (!rows.formatExtra.empty()) {
        throw TVXFormat_error("format 0 or 1 has no bytes after it");
    }
    putU32(out, rows.headerSerial);
    putText(out, rows.name, "the owner's name");
    putText(out, rows.surname, "the owner's second name");
    putText(out, rows.address, "the owner's address");
    out += char(rows.typeCode);
    out += char(rows.idYear);
    putU32(out, rows.idNumber);
    out += char(rows.idSuffix);
    putU16(out, static_cast<std::uint16_t>(rows.histories.size()));
    for (const HistoryRow& h : rows.histories) {
        requireSize(h.infoHead, HistoryRow::InfoHeadSize, "a history's info head");
        requireSize(h.sleepCopy, HistoryRow::SleepCopySize, "a history's sleep-range copy");
        requireSize(h.image, HistoryRow::ImageSize, "a history's image");
        out += h.infoHead;
        putU16(out, h.date.year);
        for (std::uint8_t field : {h.date.month, h.date.day, h.date.hour, h.date.minute, h.date.second})
            out += char(field);
        putU32(out, h.serialNumber);
        out += char(h.bootloaderVersion);
        putU32(out, h.softwareVersion);
        out += char(h.typeByte);
        out += h.sleepCopy;
        out += h.image;
        putText(out, h.comment, "a history comment");
    }
    putU32(out, crc32(out));
    return out;
}
