#pragma once

#include "Class/HistFrame.h"
#include "Class/TVXLogTime.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace byteio {
class ByteReader;
}

// One reading of a mower's history: the 8192-byte image, the identity and
// version fields of the info frame that came with it, the date on which it was
// filed and the dealer's comment (UTF-8 in memory, Windows-1252 in files).
// The decoded view of the image (events, statistics, parameters...) is read
// from the image when asked for: a database holds thousands of histories and
// shows few, so nothing beside the image is kept for it.
class TVXLog {
public:
    static constexpr std::size_t ImageSize = 8192;
    static constexpr std::size_t InfoFrameSize = 16;
    static constexpr std::size_t InfoHeadSize = 6;
    // Bytes of a history in a record file with an empty comment.
    static constexpr std::size_t FixedSize = 8229;
    static constexpr std::size_t EventSlots = 992;
    static constexpr std::size_t ParameterCount = 74;
    static constexpr std::size_t SetupByteCount = 8;
    static constexpr std::size_t StatisticCount = 8;
    static constexpr std::size_t RangeCount = 4;

    using Image = std::array<std::uint8_t, ImageSize>;
    using InfoHead = std::array<std::uint8_t, InfoHeadSize>;

    // Dated now, empty comment, every other field zero; to be filled by readFrom.
    TVXLog();
    // Copies the image and dates it now.
    explicit TVXLog(std::span<const std::uint8_t, ImageSize> image);

    // Takes the identity and version fields from a 16-byte info frame (its
    // 32-bit values most significant byte first) and dates the history now.
    void fillFromInfoFrame(std::span<const std::uint8_t, InfoFrameSize> frame);

    std::uint32_t getSerialNumber() const { return serialNumber_; }
    void setSerialNumber(std::uint32_t value) { serialNumber_ = value; }
    const InfoHead& getInfoHead() const { return infoHead_; }
    void setInfoHead(const InfoHead& value) { infoHead_ = value; }
    std::uint8_t getBootloaderVersion() const { return bootloaderVersion_; }
    void setBootloaderVersion(std::uint8_t value) { bootloaderVersion_ = value; }
    std::uint32_t getSoftwareVersion() const { return softwareVersion_; }
    void setSoftwareVersion(std::uint32_t value) { softwareVersion_ = value; }
    std::uint8_t getTypeByte() const { return typeByte_; }
    void setTypeByte(std::uint8_t value) { typeByte_ = value; }
    const TVXLogTime& getDate() const { return date_; }
    void setDate(const TVXLogTime& value) { date_ = value; }
    std::string getComment() const { return comment_; }
    void setComment(const std::string& value) { comment_ = value; }
    const Image& getImage() const { return image_; }

    // Writes the history in its record-file layout.
    // Throws TVXWrite_error, before writing anything, when the comment holds a
    // character that Windows-1252 cannot hold or is longer than 65535 bytes
    // there. Returns true; stream failures are the caller's to check.
    bool writeTo(std::ostream& out);
    // Reads one history in its record-file layout, replacing every field.
    // Returns false, reading nothing, when the stream has already failed. A
    // history cut short sets the stream's failbit (raising its failure when the
    // caller enabled it) and otherwise throws TVXFormat_error; the history is
    // then left as it was.
    bool readFrom(std::istream& in);
    // Reads one history in its record-file layout from bytes in memory. A
    // history cut short throws TVXFormat_error before anything is allocated.
    static std::unique_ptr<TVXLog> readNew(byteio::ByteReader& in);
    // Checks that writeTo would accept the comment; throws TVXWrite_error if not.
    void checkWritable() const;

    // ---- decoded view of the image -----------------------------------------
    // The events of the ring, at most 992.
    std::uint16_t getEventCount() const;
    // Event n, oldest first; std::out_of_range unless n < getEventCount().
    HistFrame getEvent(std::size_t n) const;
    std::vector<HistFrame> getEvents() const;
    // Whether an event of the ring is an alarm.
    bool holdsAlarm() const;
    static bool imageHoldsAlarm(std::span<const std::uint8_t, ImageSize> image);
    static constexpr std::uint8_t AlarmEventCode = 5;
    // Statistic i (24 bits); std::out_of_range unless i < 8.
    std::uint32_t getStatistic(std::size_t i) const;
    // Parameter Pii; 0 for i of 74 or more.
    std::uint8_t getParameter(std::size_t i) const;
    // Setup byte P00i; 0 for i of 8 or more.
    std::uint8_t getSetupByte(std::size_t i) const;
    // Sleep range i; std::out_of_range unless i < 4.
    SleepRange getRange(std::size_t i) const;
    std::uint8_t getOptionFlags() const { return image_[0]; }
    std::uint8_t getMowerLanguage() const { return image_[1]; }
    // The event write offset as stored (bit 15: the ring has wrapped).
    std::uint16_t getWriteOffset() const;

private:
    std::uint32_t serialNumber_ = 0;
    InfoHead infoHead_ {};
    Image image_ {};
    std::uint8_t bootloaderVersion_ = 0;
    std::uint32_t softwareVersion_ = 0;
    std::uint8_t typeByte_ = 0;
    TVXLogTime date_;
    std::string comment_;

    // From the fields of the record-file layout before the comment length.
    TVXLog(const unsigned char* fields, std::string_view storedComment);
};
