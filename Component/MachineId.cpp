#include "Component/MachineId.h"

#include "Component/MowerTypes.h"

#include <charconv>
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

std::optional<std::uint32_t> readIdPart(std::string_view text)
{
    constexpr std::string_view Blanks = " _";
    const std::size_t first = text.find_first_not_of(Blanks);
    if (first == std::string_view::npos)
        return std::nullopt;
    const std::string_view digits = text.substr(first, text.find_last_not_of(Blanks) - first + 1);
    if (digits.find_first_not_of("0123456789") != std::string_view::npos)
        return std::nullopt;
    std::uint32_t value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error != std::errc() || end != digits.data() + digits.size())
        return std::nullopt;
    return value;
}
