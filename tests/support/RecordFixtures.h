#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Record-file bytes written out by hand from the documented layouts, so that
// the reader is checked against the format and not against our own writer.
namespace fixture {

inline void u8(std::string& s, unsigned v) { s += char(v & 0xFF); }
inline void u16(std::string& s, unsigned v) { u8(s, v); u8(s, v >> 8); }
inline void u32(std::string& s, std::uint32_t v) { u16(s, v & 0xFFFF); u16(s, v >> 16); }
inline void text(std::string& s, const std::string& bytes) { u16(s, unsigned(bytes.size())); s += bytes; }

// The CRC-32 bit by bit, independent of the table-driven one under test.
inline std::uint32_t referenceCrc(const std::string& bytes)
{
    std::uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char b : bytes) {
        crc ^= b;
        for (int i = 0; i < 8; ++i)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

inline std::string withCrc(std::string bytes)
{
    u32(bytes, referenceCrc(bytes));
    return bytes;
}

struct History {
    std::string infoHead = std::string("\x10\x06\x00\x00\x00\x00", 6);
    unsigned year = 2008, month = 5, day = 7, hour = 14, minute = 5, second = 30;
    std::uint32_t serial = 0x0012ABCD;
    unsigned boot = 0x21;
    std::uint32_t software = 0x08040902;
    unsigned typeByte = 0x04;
    std::string image = std::string(8192, '\0');
    std::string comment;  // Windows-1252 bytes
};

inline std::string historyBytes(const History& h)
{
    std::string s = h.infoHead;
    u16(s, h.year);
    for (unsigned v : {h.month, h.day, h.hour, h.minute, h.second})
        u8(s, v);
    u32(s, h.serial);
    u8(s, h.boot);
    u32(s, h.software);
    u8(s, h.typeByte);
    s += h.image.substr(12, 12);
    s += h.image;
    text(s, h.comment);
    return s;
}

struct Record {
    unsigned format = 1;
    std::uint32_t serial = 0x0012ABCD;
    std::string name, surname, address;  // Windows-1252 bytes
    unsigned typeCode = 4, idYear = 7, idSuffix = 0;
    std::uint32_t idNumber = 123;
    std::vector<History> histories;
    unsigned claimedCount = 0xFFFFFFFF;  // the count field when it should lie
};

// Without the checksum.
inline std::string recordBytes(const Record& r)
{
    std::string s;
    u8(s, r.format);
    if (r.format > 1)
        s += std::string("\xDE\xAD\xBE\xEF", 4);
    u32(s, r.serial);
    text(s, r.name);
    text(s, r.surname);
    text(s, r.address);
    u8(s, r.typeCode);
    u8(s, r.idYear);
    u32(s, r.idNumber);
    u8(s, r.idSuffix);
    u16(s, r.claimedCount != 0xFFFFFFFF ? r.claimedCount : unsigned(r.histories.size()));
    for (const History& h : r.histories)
        s += historyBytes(h);
    return s;
}

}  // namespace fixture
