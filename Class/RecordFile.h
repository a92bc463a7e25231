#pragma once

#include "Class/TVXLog.h"
#include "Class/TVXMowerLog.h"

#include <memory>
#include <string>
#include <string_view>

// A whole record file in memory: the record followed by its CRC-32. These let
// the database read a file it has loaded and write one atomically.

// Throws TVXCrc_error ("corruped file") when the checksum fails and
// TVXFormat_error when the bytes before it do not hold a whole record.
std::unique_ptr<TVXMowerLog> readRecordFile(std::string_view bytes);
// The record's file content with its checksum appended. Throws TVXWrite_error
// when the record cannot be stored (see TVXMowerLog::writeTo).
std::string writeRecordFile(TVXMowerLog& record);

// A .bin history file: the 16-byte info frame followed by the 8192-byte image,
// 8208 bytes exactly. The history is dated now. Throws TVXFormat_error for any
// other size.
constexpr std::size_t BinHistoryFileSize = TVXLog::InfoFrameSize + TVXLog::ImageSize;
std::unique_ptr<TVXLog> readBinHistory(std::string_view bytes);
