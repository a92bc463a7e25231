#include "sim/MowerData.h"

#include "Class/ByteIO.h"
#include "core/BoundedFile.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <iterator>

namespace {

std::uint8_t bcd(int value)
{
    return static_cast<std::uint8_t>((value / 10) * 16 + value % 10);
}

void put24(HistoryImage& image, std::size_t offset, std::uint32_t value)
{
    image[offset] = static_cast<std::uint8_t>(value >> 16);
    image[offset + 1] = static_cast<std::uint8_t>(value >> 8);
    image[offset + 2] = static_cast<std::uint8_t>(value);
}

bool parseHead(const std::string& hex, InfoFrame& frame)
{
    if (hex.size() != 12)
        return false;
    for (std::size_t i = 0; i < 6; ++i) {
        unsigned value = 0;
        for (std::size_t k = 0; k < 2; ++k) {
            const char c = hex[2 * i + k];
            const int digit = std::isxdigit(static_cast<unsigned char>(c))
                ? (c <= '9' ? c - '0' : (std::tolower(c) - 'a' + 10))
                : -1;
            if (digit < 0)
                return false;
            value = value * 16 + static_cast<unsigned>(digit);
        }
        frame[i] = static_cast<std::uint8_t>(value);
    }
    return true;
}

}  // namespace

HistoryImage generateHistoryImage(int events)
{
    HistoryImage image {};
    image[0] = 0x15;  // option flags
    image[1] = 0;     // English
    const std::uint8_t ranges[4][3] = {{48, 75, 0x3E}, {0, 36, 0x80}, {120, 144, 0x40}, {0, 0, 0}};
    for (int r = 0; r < 4; ++r)
        std::memcpy(&image[12 + 3 * r], ranges[r], 3);
    events = std::clamp(events, 0, 992);
    const unsigned writeOffset = 256 + 8 * static_cast<unsigned>(events);
    byteio::putU16BE(&image[28], static_cast<std::uint16_t>(writeOffset));
    const std::uint32_t statistics[8] = {123456, 65432, 789, 45678, 45012, 2392064, 2100000, 9876};
    for (int i = 0; i < 8; ++i)
        put24(image, 80 + 4 * i, statistics[i]);
    for (int i = 0; i < 8; ++i)
        image[120 + i] = static_cast<std::uint8_t>(10 + i);
    for (int i = 0; i < 74; ++i)
        image[132 + i] = static_cast<std::uint8_t>((i * 7 + 3) & 0xFF);
    for (int k = 0; k < events; ++k) {
        std::uint8_t* slot = &image[256 + 8 * k];
        slot[0] = bcd(1 + k % 28);
        slot[1] = bcd(1 + (k / 28) % 12);
        slot[2] = bcd(k % 24);
        slot[3] = bcd((k * 7) % 60);
        slot[4] = static_cast<std::uint8_t>(k % 13);
        slot[5] = slot[4] == 5 ? static_cast<std::uint8_t>(k % 40) : 0;
        slot[6] = static_cast<std::uint8_t>(k & 0xFF);
        slot[7] = static_cast<std::uint8_t>((k * 3) & 0xFF);
    }
    return image;
}

bool buildMowerData(const SimOptions& options, MowerData& data, std::string& error)
{
    const std::uint8_t defaultHead[6] = {0x00, 0x06, 0x00, 0x00, 0x00, 0x00};
    std::copy(std::begin(defaultHead), std::end(defaultHead), data.frame.begin());
    data.frame[6] = 0x04;
    byteio::putU32BE(&data.frame[7], 0x08071601);
    byteio::putU32BE(&data.frame[11], 0x04A1B2C3);
    data.frame[15] = 0x22;

    if (options.imageFile.empty()) {
        data.image = generateHistoryImage(options.generatedEvents);
    } else {
        std::string bytes;
        if (readBoundedFile(options.imageFile, 8208, bytes, error) != ReadStatus::Ok)
            return false;
        if (bytes.size() == 8208) {
            std::copy_n(bytes.begin(), 16, data.frame.begin());
            std::copy_n(bytes.begin() + 16, 8192, data.image.begin());
        } else if (bytes.size() == 8192) {
            std::copy_n(bytes.begin(), 8192, data.image.begin());
        } else {
            error = options.imageFile + ": not 8192 or 8208 bytes long";
            return false;
        }
    }

    if (options.headHex && !parseHead(*options.headHex, data.frame)) {
        error = "--head needs 12 hexadecimal digits";
        return false;
    }
    if (options.typeByte)
        data.frame[6] = *options.typeByte;
    if (options.softwareVersion)
        byteio::putU32BE(&data.frame[7], *options.softwareVersion);
    if (options.serialNumber)
        byteio::putU32BE(&data.frame[11], *options.serialNumber);
    if (options.bootloader)
        data.frame[15] = *options.bootloader;
    return true;
}
