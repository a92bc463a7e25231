#include "core/Cp1252.h"

#include "core/Utf8.h"

#include <array>
#include <cstdint>

namespace {

// Code points of bytes 0x80..0x9F; the undefined bytes keep their own number.
constexpr std::array<char32_t, 32> HighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char32_t toCodePoint(unsigned char byte)
{
    return byte >= 0x80 && byte < 0xA0 ? HighControls[byte - 0x80] : char32_t(byte);
}

// -1 when the character has no Windows-1252 byte.
int toByte(char32_t cp)
{
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF))
        return int(cp);
    for (std::size_t i = 0; i < HighControls.size(); ++i)
        if (HighControls[i] == cp)
            return int(0x80 + i);
    return -1;
}

void appendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

}  // namespace

std::string cp1252ToUtf8(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size());
    for (char c : bytes)
        appendUtf8(out, toCodePoint(static_cast<unsigned char>(c)));
    return out;
}

std::optional<std::string> utf8ToCp1252(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t pos = 0; pos < utf8.size();) {
        char32_t cp = 0;
        const std::size_t len = decodeUtf8(utf8, pos, cp);
        const int byte = len ? toByte(cp) : -1;
        if (byte < 0)
            return std::nullopt;
        out += char(byte);
        pos += len;
    }
    return out;
}

std::string_view firstUnencodable(std::string_view utf8)
{
    for (std::size_t pos = 0; pos < utf8.size();) {
        char32_t cp = 0;
        const std::size_t len = decodeUtf8(utf8, pos, cp);
        if (len == 0)
            return utf8.substr(pos, 1);
        if (toByte(cp) < 0)
            return utf8.substr(pos, len);
        pos += len;
    }
    return {};
}
