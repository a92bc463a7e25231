#include "sim/MowerData.h"

#include "Class/ByteIO.h"
#include "Class/HistoryGenerator.h"
#include "core/BoundedFile.h"

#include <algorithm>
#include <cctype>
#include <iterator>

namespace {

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

bool buildMowerData(const SimOptions& options, MowerData& data, std::string& error)
{
    const std::uint8_t defaultHead[6] = {0x00, 0x06, 0x00, 0x00, 0x00, 0x00};
    std::copy(std::begin(defaultHead), std::end(defaultHead), data.frame.begin());
    data.frame[6] = 0x04;
    byteio::putU32BE(&data.frame[7], 0x08071601);
    byteio::putU32BE(&data.frame[11], 0x04A1B2C3);
    data.frame[15] = 0x22;

    if (!options.imageFile.empty()) {
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
    if (options.imageFile.empty()) {
        ImageRecipe recipe;
        recipe.mowerSeed = recipe.historySeed = byteio::getU32BE(&data.frame[11]);
        recipe.events = options.generatedEvents;
        recipe.typeByte = data.frame[6];
        recipe.readAt = TVXLogTime();
        recipe.daysInService = 2 * 365;
        data.image = generateHistoryImage(recipe);
    }
    return true;
}
