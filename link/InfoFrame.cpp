#include "link/InfoFrame.h"

#include <cstdio>

bool isValidInfoFrame(const InfoFrame& frame)
{
    const std::uint8_t boot = frame[15];
    const bool knownBootloader = boot == 0x14 || boot == 0x21 || boot == 0x22 || boot == 0x23;
    return knownBootloader && frame[11] >= 4;
}

std::string hexDump(const InfoFrame& frame)
{
    std::string text;
    char pair[8];
    for (const std::uint8_t byte : frame) {
        std::snprintf(pair, sizeof pair, "%2.2x ", byte);
        text += pair;
    }
    return text;
}
