#include "Component/MachineId.h"

#include <cstdio>

std::string typePrefix(std::uint8_t typeCode)
{
    switch (typeCode) {
    case 1: return "RA";
    case 4: return "TX";
    case 5: return "LN";
    case 7: return "XS";
    case 9:
    case 10: return "WK";
    case 11: return "DZ";
    case 13: return "D1";
    default: return {};
    }
}

std::string buildMachineId(std::uint8_t typeCode, std::uint8_t idYear, std::uint32_t idNumber,
                           std::uint8_t idSuffix)
{
    char digits[32];
    std::snprintf(digits, sizeof digits, "-%02u-%03u-%02u", unsigned(idYear), unsigned(idNumber),
                  unsigned(idSuffix));
    return typePrefix(typeCode) + digits;
}
