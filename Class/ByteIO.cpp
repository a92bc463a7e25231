#include "Class/ByteIO.h"

#include "Class/TVXException.h"

#include <cstring>

namespace byteio {

void readExact(std::istream& in, void* buffer, std::size_t count, const char* what)
{
    if (count == 0)
        return;
    if (in.fail())
        throw TVXFormat_error(what);
    in.read(static_cast<char*>(buffer), static_cast<std::streamsize>(count));
    if (static_cast<std::size_t>(in.gcount()) != count) {
        in.setstate(std::ios_base::failbit);
        throw TVXFormat_error(what);
    }
}

std::uint8_t readU8(std::istream& in, const char* what)
{
    unsigned char b = 0;
    readExact(in, &b, 1, what);
    return b;
}

std::uint16_t readU16(std::istream& in, const char* what)
{
    unsigned char b[2];
    readExact(in, b, 2, what);
    return getU16(b);
}

std::uint32_t readU32(std::istream& in, const char* what)
{
    unsigned char b[4];
    readExact(in, b, 4, what);
    return getU32(b);
}

std::string readCountedBytes(std::istream& in, const char* what)
{
    const std::uint16_t length = readU16(in, what);
    std::string bytes(length, '\0');
    readExact(in, bytes.data(), length, what);
    return bytes;
}

const unsigned char* ByteReader::take(std::size_t count, const char* what)
{
    if (count > remaining())
        throw TVXFormat_error(what);
    const auto* p = reinterpret_cast<const unsigned char*>(bytes_.data()) + position_;
    position_ += count;
    return p;
}

void readExact(ByteReader& in, void* buffer, std::size_t count, const char* what)
{
    if (count != 0)
        std::memcpy(buffer, in.take(count, what), count);
}

std::uint8_t readU8(ByteReader& in, const char* what)
{
    return *in.take(1, what);
}

std::uint16_t readU16(ByteReader& in, const char* what)
{
    return getU16(in.take(2, what));
}

std::uint32_t readU32(ByteReader& in, const char* what)
{
    return getU32(in.take(4, what));
}

std::string_view readCountedBytes(ByteReader& in, const char* what)
{
    const std::uint16_t length = readU16(in, what);
    return {reinterpret_cast<const char*>(in.take(length, what)), length};
}

}  // namespace byteio
