#pragma once

#include <array>
#include <cstdint>
#include <string>

// The mower's 16-byte info frame: six head bytes, the type byte, the software
// version (bytes 7..10) and the serial number (bytes 11..14), both most
// significant byte first, and the bootloader version (byte 15).
using InfoFrame = std::array<std::uint8_t, 16>;

// The 8192-byte history image that the mower sends for 'H'.
using HistoryImage = std::array<std::uint8_t, 8192>;

// A frame is valid when its bootloader version is one the mowers use and its
// serial number starts at 0x04000000.
bool isValidInfoFrame(const InfoFrame& frame);

// The 16 bytes as "%2.2x " each, as the trace log shows a refused frame.
std::string hexDump(const InfoFrame& frame);
