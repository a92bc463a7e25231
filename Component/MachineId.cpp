#include "Component/MachineId.h"

#include "Component/MowerTypes.h"

#include <cstdio>

std::string typePrefix(std::uint8_t typeCode)
{
    const MowerType* type = findMowerType(typeCode);
    return type == nullptr ? std::string() : std::string(type->prefix);
}

std::string buildMachineId(std::uint8_t typeCode, std::uint8_t idYear, std::uint32_t idNumber,
                           std::uint8_t idSuffix)
{
    char digits[32];
    std::snprintf(digits, sizeof digits, "-%02u-%03u-%02u", unsigned(idYear), unsigned(idNumber),
                  unsigned(idSuffix));
    return typePrefix(typeCode) + digits;
}
