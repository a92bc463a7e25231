#pragma once

#include <array>
#include <cstdint>
#include <string>

class TDBMowerList;
class UserInteraction;

using InfoFrameBuffer = std::array<std::uint8_t, 16>;
using HistoryImageBuffer = std::array<std::uint8_t, 8192>;

// Reads a .bin history file (info frame then image, 8208 bytes exactly) into
// the two hand-over buffers. A file that cannot be opened is logged; one of
// another size is logged and shown as "Corrupted file". In both cases the
// buffers are left as they were and false is returned.
bool readBinFile(const std::string& path, InfoFrameBuffer& infoFrame, HistoryImageBuffer& historyImage,
                 UserInteraction& user);

// Imports a record file (as written by an export or found in another
// database folder): merged into the record with the same serial number and
// machine identity, or into the record with the same identity, or added as a
// new record. Every change is written at once. False when nothing was
// imported (unreadable, damaged, or matching two different records).
bool importDatFile(const std::string& path, TDBMowerList& list, UserInteraction& user);
