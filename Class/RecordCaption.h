#pragma once

#include "Class/TVXOwner.h"

#include <cstdint>
#include <string>
#include <string_view>

class TVXMowerLog;

// What the list of records needs of one record without its histories: the
// owner texts, the machine identity, the record's serial number (its newest
// history's), whether that history holds an alarm event, and the checksum of
// the record file it was read from. A database of thousands of records keeps
// these in memory and reads a record's histories when they are needed.
struct RecordCaption {
    // Where the record lives in its store (a record file's path in a folder).
    std::string key;
    TVXOwner owner;
    std::uint8_t typeCode = 0;
    std::uint8_t idYear = 0;
    std::uint32_t idNumber = 0;
    std::uint8_t idSuffix = 0;
    std::uint32_t serialNumber = 0;
    bool newestHasAlarms = false;
    std::uint16_t historyCount = 0;  // distinct dates
    // The CRC-32 stored at the end of the record file; 0 for a record that has
    // no file yet.
    std::uint32_t checksum = 0;
};

// The caption of a record file's bytes, read without building its histories.
// Accepts and refuses exactly what readRecordFile does: TVXCrc_error when the
// checksum fails, TVXFormat_error when the content holds no whole record.
// Everything but the key is filled.
RecordCaption readRecordCaption(std::string_view fileBytes);

// The caption of a record in memory (key and checksum left empty).
RecordCaption captionOf(const TVXMowerLog& record);
