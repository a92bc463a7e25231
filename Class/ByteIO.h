#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <string>

// Little-endian fields of the record-file layouts, and exact reads that refuse
// to run past the end of a stream.
namespace byteio {

inline void putU16(std::string& out, std::uint16_t v)
{
    out += char(v & 0xFF);
    out += char(v >> 8);
}

inline void putU32(std::string& out, std::uint32_t v)
{
    for (int shift = 0; shift < 32; shift += 8)
        out += char((v >> shift) & 0xFF);
}

inline std::uint16_t getU16(const unsigned char* p)
{
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

inline std::uint32_t getU32(const unsigned char* p)
{
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
           (std::uint32_t(p[3]) << 24);
}

// Reads exactly count bytes. A stream that ends first gets its failbit (which
// raises the stream's failure when the caller enabled it); otherwise the short
// read is reported by TVXFormat_error with the given text.
void readExact(std::istream& in, void* buffer, std::size_t count, const char* what);
std::uint8_t readU8(std::istream& in, const char* what);
std::uint16_t readU16(std::istream& in, const char* what);
std::uint32_t readU32(std::istream& in, const char* what);
// A 16-bit length followed by that many bytes.
std::string readCountedBytes(std::istream& in, const char* what);

}  // namespace byteio
