#include "Component/MowerTypes.h"

#include <algorithm>
#include <array>

namespace {

constexpr std::array<MowerType, 8> Types {{
    {1, "RA", "RA", 48},
    {4, "TX", "TXR", 48},
    {5, "LN", "LN", 80},
    {7, "XS", "TXS", 48},
    {9, "WK", "WK", 48},
    {10, "WK", "WK", 48},
    {11, "DZ", "DZ", 48},
    {13, "D1", "DZ1", 48},
}};

constexpr std::array<std::uint8_t, 7> ItemCodes {4, 1, 5, 9, 7, 11, 13};

}  // namespace

std::span<const MowerType> mowerTypes()
{
    return Types;
}

const MowerType* findMowerType(std::uint8_t code)
{
    const auto found = std::find_if(Types.begin(), Types.end(),
                                    [code](const MowerType& type) { return type.code == code; });
    return found == Types.end() ? nullptr : &*found;
}

std::span<const std::uint8_t> mowerTypeItemCodes()
{
    return ItemCodes;
}

std::optional<std::size_t> mowerTypeItemIndex(std::uint8_t code)
{
    const MowerType* type = findMowerType(code);
    if (type == nullptr)
        return std::nullopt;
    for (std::size_t i = 0; i < ItemCodes.size(); ++i)
        if (findMowerType(ItemCodes[i])->prefix == type->prefix)
            return i;
    return std::nullopt;
}

std::optional<std::uint8_t> mowerTypeItemCode(std::size_t index)
{
    if (index >= ItemCodes.size())
        return std::nullopt;
    return ItemCodes[index];
}
