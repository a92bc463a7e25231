#include "Class/Checksum.h"

#include "Class/ByteIO.h"

#include <array>
#include <istream>
#include <ostream>
#include <string>

namespace {

using Tables = std::array<std::array<std::uint32_t, 256>, 8>;

// Table 0 is the standard byte table; table k advances a byte through k more
// zero bytes, so that eight bytes are folded in one step.
constexpr Tables makeTables()
{
    Tables t {};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t c = i;
        for (int bit = 0; bit < 8; ++bit)
            c = (c & 1) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
        t[0][i] = c;
    }
    for (std::size_t k = 1; k < 8; ++k)
        for (std::size_t i = 0; i < 256; ++i)
            t[k][i] = (t[k - 1][i] >> 8) ^ t[0][t[k - 1][i] & 0xFF];
    return t;
}

constexpr Tables tables = makeTables();
static_assert(tables[0][1] == 0x77073096u && tables[0][128] == 0xEDB88320u);

std::uint32_t update(std::uint32_t crc, const std::uint8_t* p, std::size_t n)
{
    while (n >= 8) {
        const std::uint32_t lo = crc ^ byteio::getU32(p);
        crc = tables[7][lo & 0xFF] ^ tables[6][(lo >> 8) & 0xFF] ^ tables[5][(lo >> 16) & 0xFF] ^
              tables[4][lo >> 24] ^ tables[3][p[4]] ^ tables[2][p[5]] ^ tables[1][p[6]] ^
              tables[0][p[7]];
        p += 8;
        n -= 8;
    }
    while (n--)
        crc = tables[0][(crc ^ *p++) & 0xFF] ^ (crc >> 8);
    return crc;
}

constexpr std::size_t ChunkSize = 64 * 1024;

// The CRC-32 of the next count bytes of the stream; false when they are not all there.
bool checksumOfStream(std::istream& in, std::uint64_t count, std::uint32_t& crc)
{
    std::array<char, ChunkSize> chunk;
    std::uint32_t state = 0xFFFFFFFFu;
    while (count > 0) {
        const auto want = static_cast<std::streamsize>(count < ChunkSize ? count : ChunkSize);
        in.read(chunk.data(), want);
        if (in.gcount() != want)
            return false;
        state = update(state, reinterpret_cast<const std::uint8_t*>(chunk.data()), std::size_t(want));
        count -= std::uint64_t(want);
    }
    crc = state ^ 0xFFFFFFFFu;
    return true;
}

}  // namespace

std::uint32_t crc32Continue(std::uint32_t crc, const std::uint8_t* bytes, std::size_t count)
{
    return update(crc ^ 0xFFFFFFFFu, bytes, count) ^ 0xFFFFFFFFu;
}

std::uint32_t crc32(const std::uint8_t* bytes, std::size_t count)
{
    return crc32Continue(0, bytes, count);
}

std::uint32_t crc32(std::string_view bytes)
{
    return crc32(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

bool appendChecksum(std::iostream& stream)
{
    stream.seekg(0, std::ios_base::end);
    const std::streamoff size = stream.tellg();
    stream.seekg(0, std::ios_base::beg);
    std::uint32_t crc = 0;
    if (size < 0 || !checksumOfStream(stream, std::uint64_t(size), crc))
        return true;  // the stream's state tells the caller
    if (stream.good()) {
        stream.seekp(0, std::ios_base::end);
        std::string bytes;
        byteio::putU32(bytes, crc);
        stream.write(bytes.data(), 4);
    }
    return true;
}

bool verifyChecksum(std::istream& stream)
{
    stream.seekg(0, std::ios_base::end);
    const std::streamoff size = stream.tellg();
    if (size < 4)
        return false;
    stream.seekg(0, std::ios_base::beg);
    std::uint32_t computed = 0;
    if (!checksumOfStream(stream, std::uint64_t(size - 4), computed))
        return false;
    unsigned char stored[4];
    stream.read(reinterpret_cast<char*>(stored), 4);
    if (stream.gcount() != 4)
        return false;
    if (byteio::getU32(stored) != computed)
        return false;
    stream.seekg(0, std::ios_base::beg);
    return true;
}
