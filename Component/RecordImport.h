#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

class TDBMowerList;
class UserInteraction;

using InfoFrameBuffer = std::array<std::uint8_t, 16>;
using HistoryImageBuffer = std::array<std::uint8_t, 8192>;

// Why bytes are not a history file that a mower could have produced, or
// nothing when they are one: a history file holds exactly the 16-byte info
// frame and the 8192-byte image, and its frame passes the test the link makes
// of a frame read from a mower (isValidInfoFrame), no stricter.
std::optional<std::string> binHistoryDefect(std::string_view bytes);

// Reads a .bin history file into the two hand-over buffers. A file that cannot
// be opened is logged; one with a defect (binHistoryDefect) is logged with the
// defect and shown as "Corrupted file" and its name. In both cases the buffers
// are left as they were and false is returned.
bool readBinFile(const std::string& path, InfoFrameBuffer& infoFrame, HistoryImageBuffer& historyImage,
                 UserInteraction& user);

// Imports a record file (as written by an export or found in another
// database folder): merged into the record with the same serial number and
// machine identity, or into the record with the same identity, or added as a
// new record. Every change is written at once. False when nothing was
// imported (unreadable, damaged, matching two different records, or its
// record file could not be written).
bool importDatFile(const std::string& path, TDBMowerList& list, UserInteraction& user);
