#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <string>
#include <string_view>

// Little-endian fields of the record-file layouts, big-endian fields of what
// the mower sends, and exact reads that refuse to run past the end of a
// stream or of bytes already in memory.
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

// The mower sends its values most significant byte first: the 32-bit values
// of the info frame and the history image's 16-bit write offset.
inline std::uint16_t getU16BE(const unsigned char* p)
{
    return static_cast<std::uint16_t>((p[0] << 8) | p[1]);
}

inline std::uint32_t getU32BE(const unsigned char* p)
{
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) |
           std::uint32_t(p[3]);
}

inline void putU16BE(unsigned char* p, std::uint16_t v)
{
    p[0] = static_cast<unsigned char>(v >> 8);
    p[1] = static_cast<unsigned char>(v);
}

inline void putU32BE(unsigned char* p, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<unsigned char>(v >> (24 - 8 * i));
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

// Reads bytes already in memory without copying them. A read that would run
// past the end throws TVXFormat_error with the given text and leaves the
// position where it was.
class ByteReader {
public:
    explicit ByteReader(std::string_view bytes) : bytes_(bytes) {}

    // The next count bytes; valid as long as the bytes the reader was given.
    const unsigned char* take(std::size_t count, const char* what);
    std::size_t remaining() const { return bytes_.size() - position_; }

private:
    std::string_view bytes_;
    std::size_t position_ = 0;
};

// The same reads as on a stream, so that one parser serves both.
void readExact(ByteReader& in, void* buffer, std::size_t count, const char* what);
std::uint8_t readU8(ByteReader& in, const char* what);
std::uint16_t readU16(ByteReader& in, const char* what);
std::uint32_t readU32(ByteReader& in, const char* what);
// A 16-bit length followed by that many bytes, viewed where they lie.
std::string_view readCountedBytes(ByteReader& in, const char* what);

}  // namespace byteio
