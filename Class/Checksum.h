#pragma once

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <string_view>

// CRC-32 of ISO-HDLC / IEEE 802.3 (reflected polynomial 0xEDB88320, initial
// value and final XOR 0xFFFFFFFF); crc32("123456789") == 0xCBF43926.
std::uint32_t crc32(const std::uint8_t* bytes, std::size_t count);
std::uint32_t crc32(std::string_view bytes);
// Continues a checksum over more bytes: crc32Continue(crc32(a), b) == crc32(a + b).
std::uint32_t crc32Continue(std::uint32_t crc, const std::uint8_t* bytes, std::size_t count);

// Appends the CRC-32 of the stream's whole content, least significant byte
// first, at its end. Returns true.
bool appendChecksum(std::iostream& stream);
// True when the last 4 bytes of the stream are the CRC-32 of the bytes before
// them; the read position is then back at the start. False for a stream of
// fewer than 4 bytes or one that cannot be read to its end.
bool verifyChecksum(std::istream& stream);
