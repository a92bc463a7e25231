#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

// A mower type, known by its code (the low four bits of the info frame's type
// byte, kept in the record as typeCode). A code outside the table has no
// prefix and no picture, and the record dialogs select no item for it.
struct MowerType {
    std::uint8_t code;
    std::string_view prefix;   // two letters that begin the machine identifier
    std::string_view picture;  // name of the type's bitmap resource
    int pictureSize;           // the bitmap is square, this many pixels a side
};

// Every known type, in ascending code order. Codes 9 and 10 share prefix and
// picture.
std::span<const MowerType> mowerTypes();

// The type of a code, or nullptr for a code without one.
const MowerType* findMowerType(std::uint8_t code);

// The record dialogs' type list, one code per item in the order of the list;
// an item's text is its type's prefix.
std::span<const std::uint8_t> mowerTypeItemCodes();

// The item a record dialog selects for a code: the item of the code's prefix,
// so code 10 selects the "WK" item of code 9; nullopt for a code without a type.
std::optional<std::size_t> mowerTypeItemIndex(std::uint8_t code);

// The code an item of the list stands for; nullopt for an index past its end.
std::optional<std::uint8_t> mowerTypeItemCode(std::size_t index);
