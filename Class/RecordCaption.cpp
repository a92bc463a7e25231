#include "Class/RecordCaption.h"

#include "Class/ByteIO.h"
#include "Class/Checksum.h"
#include "Class/TVXException.h"
#include "Class/TVXLog.h"
#include "Class/TVXLogTime.h"
#include "Class/TVXMowerLog.h"
#include "core/Cp1252.h"

#include <algorithm>
#include <span>
#include <vector>

namespace {

// A history in a record file: info head, date, serial, versions, type byte,
// the sleep-range copy, the image; then the counted comment.
constexpr std::size_t DateOffset = 6;
constexpr std::size_t SerialOffset = 13;
constexpr std::size_t ImageOffset = 35;
constexpr std::size_t FieldsSize = ImageOffset + TVXLog::ImageSize;

TVXLogTime dateAt(const unsigned char* p)
{
    return TVXLogTime(byteio::getU16(p + DateOffset), p[DateOffset + 2], p[DateOffset + 3], p[DateOffset + 4],
                      p[DateOffset + 5], p[DateOffset + 6]);
}

}  // namespace

RecordCaption readRecordCaption(std::string_view bytes)
{
    using namespace byteio;
    if (bytes.size() < 4)
        throw TVXCrc_error();
    const std::string_view content = bytes.substr(0, bytes.size() - 4);
    const auto* tail = reinterpret_cast<const unsigned char*>(bytes.data() + content.size());
    const std::uint32_t stored = getU32(tail);
    if (crc32(content) != stored)
        throw TVXCrc_error();

    // The same walk as the whole-record reader, keeping only the newest history.
    ByteReader in(content);
    constexpr const char* cut = "record file ends inside its header";
    RecordCaption caption;
    caption.checksum = stored;
    if (readU8(in, cut) > 1) {
        unsigned char skipped[4];
        readExact(in, skipped, sizeof skipped, cut);
    }
    const std::uint32_t headerSerial = readU32(in, cut);
    caption.owner.setName(cp1252ToUtf8(readCountedBytes(in, "record file ends inside the owner's name")));
    caption.owner.setSurname(cp1252ToUtf8(readCountedBytes(in, "record file ends inside the owner's second name")));
    caption.owner.setAddress(cp1252ToUtf8(readCountedBytes(in, "record file ends inside the owner's address")));
    caption.typeCode = readU8(in, cut);
    caption.idYear = readU8(in, cut);
    caption.idNumber = readU32(in, cut);
    caption.idSuffix = readU8(in, cut);
    const std::uint16_t count = readU16(in, cut);

    const unsigned char* newest = nullptr;
    TVXLogTime newestDate(0, 0, 0, 0, 0, 0);
    // The writer stores histories in date order, so a record whose dates only
    // rise holds each once; any other is counted after sorting.
    std::vector<std::uint64_t> dateKeys;
    dateKeys.reserve(std::min<std::size_t>(count, in.remaining() / FieldsSize));
    bool rising = true;
    for (std::uint16_t i = 0; i < count; ++i) {
        const unsigned char* fields = in.take(FieldsSize, "record file ends inside a history");
        readCountedBytes(in, "record file ends inside a history comment");
        const TVXLogTime date = dateAt(fields);
        const std::uint64_t key = std::uint64_t(date.year) << 40 | std::uint64_t(date.month) << 32
                                  | std::uint64_t(date.day) << 24 | std::uint64_t(date.hour) << 16
                                  | std::uint64_t(date.minute) << 8 | date.second;
        rising = rising && (dateKeys.empty() || dateKeys.back() < key);
        dateKeys.push_back(key);
        // The first history of a date is the one the reader keeps.
        if (!newest || newestDate < date) {
            newest = fields;
            newestDate = date;
        }
    }
    if (!rising) {
        std::sort(dateKeys.begin(), dateKeys.end());
        dateKeys.erase(std::unique(dateKeys.begin(), dateKeys.end()), dateKeys.end());
    }
    caption.historyCount = static_cast<std::uint16_t>(dateKeys.size());
    caption.serialNumber = newest ? getU32(newest + SerialOffset) : headerSerial;
    caption.newestHasAlarms =
        newest && TVXLog::imageHoldsAlarm(std::span<const std::uint8_t, TVXLog::ImageSize>(
                      reinterpret_cast<const std::uint8_t*>(newest + ImageOffset), TVXLog::ImageSize));
    return caption;
}

RecordCaption captionOf(const TVXMowerLog& record)
{
    RecordCaption caption;
    caption.owner = record.getOwner();
    caption.typeCode = record.getTypeCode();
    caption.idYear = record.getIdYear();
    caption.idNumber = record.getIdNumber();
    caption.idSuffix = record.getIdSuffix();
    caption.serialNumber = record.getSerialNumber();
    const auto& logs = record.logs();
    caption.newestHasAlarms = !logs.empty() && logs.rbegin()->second->holdsAlarm();
    caption.historyCount = record.getLogCount();
    return caption;
}
