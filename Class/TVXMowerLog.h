#pragma once

#include "Class/TVXLog.h"
#include "Class/TVXLogTime.h"
#include "Class/TVXOwner.h"

#include <cstdint>
#include <iosfwd>
#include <map>
#include <memory>
#include <utility>
#include <vector>

namespace byteio {
class ByteReader;
}

// One mower's record: owner, machine identifier, the identity and versions of
// its newest history, and every history read from it, keyed by date. The record
// owns its histories.
class TVXMowerLog {
public:
    static constexpr std::size_t MaxLogCount = 65535;
    static constexpr std::uint8_t NewRecordTypeCode = 4;

    TVXMowerLog() = default;
    virtual ~TVXMowerLog() = default;
    TVXMowerLog(const TVXMowerLog&) = delete;
    TVXMowerLog& operator=(const TVXMowerLog&) = delete;
    TVXMowerLog(TVXMowerLog&&) = default;
    TVXMowerLog& operator=(TVXMowerLog&&) = default;

    // Files the history under its date and takes it (the pointer is moved from)
    // when no history has that date; otherwise returns false and leaves the
    // pointer with the caller. Throws TVXWrite_error when the record already
    // holds 65535 histories, the most a record file can count.
    bool insertLog(std::unique_ptr<TVXLog>&& history);
    // Removes and destroys the history of that date; false when there is none.
    bool eraseLog(const TVXLogTime& date);
    // The history of that date; std::range_error "erreur de cle" when there is none.
    TVXLog& findLog(const TVXLogTime& date);
    const TVXLog& findLog(const TVXLogTime& date) const;
    std::uint16_t getLogCount() const { return static_cast<std::uint16_t>(LogMap.size()); }
    // The date at that position of the insertion order, and its history (never
    // null). std::out_of_range for an index past the end.
    std::pair<TVXLogTime, TVXLog*> getLogAt(std::uint16_t index) const;
    // Moves every history of the other record whose date this record lacks into
    // this one, in the other's insertion order; the rest stay with the other.
    bool mergeFrom(TVXMowerLog& other);

    // The histories in date order.
    const std::map<TVXLogTime, std::unique_ptr<TVXLog>>& logs() const { return LogMap; }
    // The dates in insertion order.
    const std::vector<TVXLogTime>& insertionOrder() const { return LogTimeVect; }

    TVXOwner& getOwner() { return owner; }
    const TVXOwner& getOwner() const { return owner; }

    std::uint8_t getTypeCode() const { return typeCode; }
    void setTypeCode(std::uint8_t value) { typeCode = value; }
    std::uint8_t getIdYear() const { return idYear; }
    void setIdYear(std::uint8_t value) { idYear = value; }
    std::uint32_t getIdNumber() const { return idNumber; }
    void setIdNumber(std::uint32_t value) { idNumber = value; }
    std::uint8_t getIdSuffix() const { return idSuffix; }
    void setIdSuffix(std::uint8_t value) { idSuffix = value; }

    // Copies of the newest history's fields.
    std::uint32_t getSerialNumber() const { return serialNumber; }
    std::uint32_t getSoftwareVersion() const { return softwareVersion; }
    std::uint8_t getTypeByte() const { return typeByte; }
    std::uint8_t getBootloaderVersion() const { return bootloaderVersion; }

    // Writes the record-file content without its checksum, histories in date
    // order. Throws TVXWrite_error, before writing a byte, when a text cannot
    // be stored (see TVXLog::writeTo; owner texts likewise). Returns true.
    bool writeTo(std::ostream& out);
    // Reads record-file content (positioned at its start, checksum verified by
    // the caller) into this record, replacing everything. A count or length
    // that runs past the end sets the stream's failbit (raising its failure
    // when enabled) or else throws TVXFormat_error; the record is then left as
    // it was. Returns true.
    bool readFrom(std::istream& in);
    // The same from bytes in memory, without copying them first; a count or
    // length that runs past the end throws TVXFormat_error.
    bool readFrom(byteio::ByteReader& in);
    // Throws TVXWrite_error when writeTo would refuse the record.
    void checkWritable() const;
    // Takes over the other record's content (a newer reading of the same
    // record). A history whose date both hold stays the same object with the
    // other's fields, so that views of it stay valid; the others go.
    void replaceWith(TVXMowerLog&& other);

private:
    void refreshCopiedFields();
    template <class Source>
    void readRecord(Source& in);

    std::map<TVXLogTime, std::unique_ptr<TVXLog>> LogMap;
    std::vector<TVXLogTime> LogTimeVect;
    std::uint32_t idNumber = 0;
    std::uint8_t idSuffix = 0;
    std::uint8_t idYear = 0;
    std::uint32_t serialNumber = 0;
    std::uint32_t softwareVersion = 0;
    std::uint8_t typeByte = 0;
    std::uint8_t bootloaderVersion = 0;
    std::uint8_t typeCode = NewRecordTypeCode;
    TVXOwner owner;
};
