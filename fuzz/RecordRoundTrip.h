#pragma once

// What the record-file reader and writer promise together, checked by the
// record-file fuzz target and by the test that replays its regression inputs.

#include "Class/ByteIO.h"
#include "Class/RecordFile.h"
#include "Class/TVXException.h"
#include "Class/TVXMowerLog.h"

#include <cstdint>
#include <cstring>
#include <ios>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>

namespace fuzzcheck {

// The type byte a history has after one more load into a record of this type
// code: the loader adds the code to a type byte whose low nibble is 0. When
// the code's own low nibble is 0 (0x20, say), the sum's is 0 too, so every
// load adds the code again.
inline std::uint8_t typeByteAfterLoad(std::uint8_t typeByte, std::uint8_t typeCode)
{
    return (typeByte & 0x0F) == 0 ? static_cast<std::uint8_t>(typeByte + typeCode) : typeByte;
}

// Every field that a record file stores, compared as read.
inline bool sameRecord(const TVXMowerLog& a, const TVXMowerLog& b)
{
    if (a.getOwner() != b.getOwner() || a.getSerialNumber() != b.getSerialNumber() ||
        a.getTypeCode() != b.getTypeCode() || a.getIdYear() != b.getIdYear() ||
        a.getIdNumber() != b.getIdNumber() || a.getIdSuffix() != b.getIdSuffix() ||
        a.insertionOrder() != b.insertionOrder() || a.logs().size() != b.logs().size())
        return false;
    for (auto x = a.logs().begin(), y = b.logs().begin(); x != a.logs().end(); ++x, ++y) {
        const TVXLog& h = *x->second;
        const TVXLog& k = *y->second;
        if (x->first != y->first || h.getDate() != k.getDate() || h.getSerialNumber() != k.getSerialNumber() ||
            h.getInfoHead() != k.getInfoHead() || h.getBootloaderVersion() != k.getBootloaderVersion() ||
            h.getSoftwareVersion() != k.getSoftwareVersion() || h.getTypeByte() != k.getTypeByte() ||
            h.getComment() != k.getComment() ||
            std::memcmp(h.getImage().data(), k.getImage().data(), TVXLog::ImageSize) != 0)
            return false;
    }
    return true;
}

// The record's file content without its checksum (the checksum's own code
// does not depend on the record; its tests are elsewhere).
inline std::string contentOf(TVXMowerLog& record)
{
    std::ostringstream out;
    record.writeTo(out);
    return std::move(out).str();
}

// Reads the bytes as a record file and checks what a read and a write keep:
//  - the stream reader reads the same record as the reader of bytes in memory;
//  - a record that reads can be written, to content W1;
//  - W1 reads again, every byte of it, with as many histories under the same
//    dates, and each history's type byte is exactly typeByteAfterLoad of what
//    W1 holds;
//  - with those type bytes put back, the record read from W1 writes W1 again,
//    byte for byte: every other field survives.
// Nothing when the bytes are refused as a record file or keep the promise;
// otherwise what broke. The record first read is left in *read when asked.
inline std::optional<std::string> recordRoundTripDefect(std::string_view file,
                                                        std::unique_ptr<TVXMowerLog>* read = nullptr)
{
    std::unique_ptr<TVXMowerLog> first;
    try {
        first = readRecordFile(file);
    } catch (const TVXException&) {
        return std::nullopt;
    }

    {
        // The stream reader, with the stream's failure raised, reads the same record.
        std::istringstream in(std::string(file.substr(0, file.size() - 4)));
        in.exceptions(std::ios_base::failbit | std::ios_base::badbit);
        TVXMowerLog fromStream;
        fromStream.readFrom(in);
        if (!sameRecord(fromStream, *first))
            return std::string("the stream reader reads another record than the reader of bytes");
    }

    std::string written;
    try {
        written = contentOf(*first);
    } catch (const TVXWrite_error& e) {
        return std::string("a record that reads cannot be written: ") + e.what();
    }

    auto second = std::make_unique<TVXMowerLog>();
    try {
        byteio::ByteReader in(written);
        second->readFrom(in);
        if (in.remaining() != 0)
            return std::to_string(in.remaining()) + " bytes of a written record are not read again";
    } catch (const TVXException& e) {
        return std::string("a written record does not read again: ") + e.what();
    }
    if (second->getLogCount() != first->getLogCount())
        return "the record read again holds " + std::to_string(second->getLogCount()) + " histories, not " +
               std::to_string(first->getLogCount());
    auto was = first->logs().begin();
    for (auto is = second->logs().begin(); is != second->logs().end(); ++is, ++was) {
        if (is->first != was->first)
            return std::string("a history read again carries another date");
        const std::uint8_t before = was->second->getTypeByte();
        const std::uint8_t expected = typeByteAfterLoad(before, second->getTypeCode());
        if (is->second->getTypeByte() != expected)
            return "a history's type byte " + std::to_string(before) + " reads again as " +
                   std::to_string(is->second->getTypeByte()) + ", not " + std::to_string(expected);
        is->second->setTypeByte(before);
    }
    if (contentOf(*second) != written)
        return std::string("a record read again writes other bytes");
    if (read)
        *read = std::move(first);
    return std::nullopt;
}

}  // namespace fuzzcheck
