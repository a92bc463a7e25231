#include "Class/TVXLog.h"

#include "Class/ByteIO.h"
#include "Class/TVXException.h"
#include "core/Cp1252.h"

#include <algorithm>
#include <cstring>
#include <istream>
#include <limits>
#include <ostream>

namespace {

constexpr std::size_t SleepCopyOffset = 12;
constexpr std::size_t SleepCopySize = 12;
constexpr std::size_t ImageOffset = 35;
// Everything before the comment length.
constexpr std::size_t FieldsSize = ImageOffset + TVXLog::ImageSize;

TVXLog::Image imageAt(const unsigned char* p)
{
    TVXLog::Image image;  // not zeroed: every byte is copied
    std::memcpy(image.data(), p, image.size());
    return image;
}

// The comment as it is stored, or TVXWrite_error.
std::string storedComment(const std::string& comment)
{
    const std::optional<std::string> bytes = utf8ToCp1252(comment);
    if (!bytes)
        throw TVXWrite_error("a history comment holds the character \"" +
                             std::string(firstUnencodable(comment)) +
                             "\", which a record file cannot hold (Windows-1252)");
    if (bytes->size() > std::numeric_limits<std::uint16_t>::max())
        throw TVXWrite_error("a history comment is longer than the 65535 bytes a record file can hold");
    return *bytes;
}

}  // namespace

TVXLog::TVXLog() = default;

TVXLog::TVXLog(std::span<const std::uint8_t, ImageSize> image)
{
    std::copy(image.begin(), image.end(), image_.begin());
}

void TVXLog::fillFromInfoFrame(std::span<const std::uint8_t, InfoFrameSize> frame)
{
    std::copy_n(frame.begin(), InfoHeadSize, infoHead_.begin());
    serialNumber_ = byteio::getU32BE(&frame[11]);
    bootloaderVersion_ = frame[15];
    softwareVersion_ = byteio::getU32BE(&frame[7]);
    typeByte_ = frame[6];
    date_ = TVXLogTime();
}

void TVXLog::checkWritable() const
{
    storedComment(comment_);
}

bool TVXLog::writeTo(std::ostream& out)
{
    const std::string comment = storedComment(comment_);
    std::string bytes;
    bytes.reserve(FixedSize + 2 + comment.size());
    bytes.append(reinterpret_cast<const char*>(infoHead_.data()), infoHead_.size());
    byteio::putU16(bytes, date_.year);
    for (std::uint8_t field : {date_.month, date_.day, date_.hour, date_.minute, date_.second})
        bytes += char(field);
    byteio::putU32(bytes, serialNumber_);
    bytes += char(bootloaderVersion_);
    byteio::putU32(bytes, softwareVersion_);
    bytes += char(typeByte_);
    bytes.append(reinterpret_cast<const char*>(image_.data()) + SleepCopyOffset, SleepCopySize);
    bytes.append(reinterpret_cast<const char*>(image_.data()), image_.size());
    byteio::putU16(bytes, static_cast<std::uint16_t>(comment.size()));
    bytes += comment;
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return true;
}

bool TVXLog::readFrom(std::istream& in)
{
    if (in.fail())
        return false;
    std::array<unsigned char, FieldsSize> fields;
    byteio::readExact(in, fields.data(), fields.size(), "record file ends inside a history");
    const std::string comment = byteio::readCountedBytes(in, "record file ends inside a history comment");
    *this = TVXLog(fields.data(), comment);
    return true;
}

std::unique_ptr<TVXLog> TVXLog::readNew(byteio::ByteReader& in)
{
    const unsigned char* fields = in.take(FieldsSize, "record file ends inside a history");
    const std::string_view comment = byteio::readCountedBytes(in, "record file ends inside a history comment");
    return std::unique_ptr<TVXLog>(new TVXLog(fields, comment));
}

// Neither dated now nor zeroed first: a database load builds thousands of these.
TVXLog::TVXLog(const unsigned char* p, std::string_view storedComment)
    : serialNumber_(byteio::getU32(p + 13)),
      image_(imageAt(p + ImageOffset)),
      bootloaderVersion_(p[17]),
      softwareVersion_(byteio::getU32(p + 18)),
      typeByte_(p[22]),
      date_(byteio::getU16(p + 6), p[8], p[9], p[10], p[11], p[12]),
      comment_(cp1252ToUtf8(storedComment))
{
    std::copy_n(p, InfoHeadSize, infoHead_.begin());
    // The sleep-range copy at offset 23 is not read back: the ranges come from the image.
}
