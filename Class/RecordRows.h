#pragma once

#include "Class/TVXLogTime.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// A record file taken apart into the fields a database table holds, every
// byte as the file holds it (texts in Windows-1252, the sleep-range copy as
// stored), so that the file rebuilt from them is the same, CRC included.

struct HistoryRow {
    static constexpr std::size_t InfoHeadSize = 6;
    static constexpr std::size_t SleepCopySize = 12;
    static constexpr std::size_t ImageSize = 8192;

    std::string infoHead;  // 6 bytes
    TVXLogTime date {0, 0, 0, 0, 0, 0};
    std::uint32_t serialNumber = 0;
    std::uint8_t bootloaderVersion = 0;
    std::uint32_t softwareVersion = 0;
    std::uint8_t typeByte = 0;  // as stored, before the reader adds the record's type code
    std::string sleepCopy;      // 12 bytes
    std::string image;          // 8192 bytes
    std::string comment;        // at most 65535 bytes

    friend bool operator==(const HistoryRow&, const HistoryRow&) = default;
};

struct RecordRows {
    std::uint8_t format = 1;
    std::string formatExtra;  // the 4 bytes that follow a format above 1; empty otherwise
    std::uint32_t headerSerial = 0;
    std::string name;  // at most 65535 bytes each
    std::string surname;
    std::string address;
    std::uint8_t typeCode = 0;
    std::uint8_t idYear = 0;
    std::uint32_t idNumber = 0;
    std::uint8_t idSuffix = 0;
    std::vector<HistoryRow> histories;  // in file order, at most 65535

    friend bool operator==(const RecordRows&, const RecordRows&) = default;
};

// The rows of a record file. Throws what readRecordFile throws for the same
// bytes: TVXCrc_error for a wrong checksum, TVXFormat_error for content that
// holds no whole record. Bytes after the last history are not kept.
RecordRows splitRecordFile(std::string_view fileBytes);

// The record file of the rows, its CRC-32 appended. Throws TVXFormat_error,
// naming the field, for rows that no record file can hold (a field of the
// wrong size, a text or a count too long, a format above 1 without its four
// bytes).
std::string joinRecordFile(const RecordRows& rows);
