#include "Component/MowerTypes.h"

#include "Component/MachineId.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

// The type table, the dialogs' type list and the machine identifier are three
// views of one set of codes; these checks hold them together.

TEST(MowerTypesTest, EveryDialogItemStandsForAKnownCodeAndSelectsItself)
{
    std::set<std::string_view> texts;
    const auto codes = mowerTypeItemCodes();
    for (std::size_t i = 0; i < codes.size(); ++i) {
        SCOPED_TRACE(i);
        const MowerType* type = findMowerType(codes[i]);
        ASSERT_NE(type, nullptr);
        EXPECT_TRUE(texts.insert(type->prefix).second) << "two items show " << type->prefix;
        EXPECT_EQ(mowerTypeItemCode(i), codes[i]);
        EXPECT_EQ(mowerTypeItemIndex(codes[i]), i);
    }
    EXPECT_EQ(mowerTypeItemCode(codes.size()), std::nullopt);
    EXPECT_EQ(findMowerType(codes[0])->prefix, "TX");  // the box's initial text is its first item
}

TEST(MowerTypesTest, EveryKnownCodeSelectsTheItemOfItsPrefix)
{
    std::uint8_t previous = 0;
    for (const MowerType& type : mowerTypes()) {
        SCOPED_TRACE(int(type.code));
        EXPECT_GT(type.code, previous);
        previous = type.code;
        EXPECT_LE(type.code, 15) << "a code is four bits";
        EXPECT_EQ(type.prefix.size(), 2u);
        EXPECT_FALSE(type.picture.empty());
        EXPECT_EQ(findMowerType(type.code), &type);
        EXPECT_EQ(typePrefix(type.code), type.prefix);

        const auto item = mowerTypeItemIndex(type.code);
        ASSERT_TRUE(item.has_value());
        EXPECT_EQ(findMowerType(*mowerTypeItemCode(*item))->prefix, type.prefix);
    }
    // Code 10 has no item of its own: it selects "WK", which picks code 9.
    EXPECT_EQ(mowerTypeItemIndex(10), 3u);
    EXPECT_EQ(mowerTypeItemCode(3), 9);
    EXPECT_EQ(findMowerType(10)->picture, findMowerType(9)->picture);
}

TEST(MowerTypesTest, UnknownCodesHaveNoPrefixPictureOrItem)
{
    for (int code : {0, 2, 3, 6, 8, 12, 14, 15, 16, 255}) {
        SCOPED_TRACE(code);
        EXPECT_EQ(findMowerType(std::uint8_t(code)), nullptr);
        EXPECT_EQ(mowerTypeItemIndex(std::uint8_t(code)), std::nullopt);
        EXPECT_EQ(typePrefix(std::uint8_t(code)), "");
    }
    EXPECT_EQ(buildMachineId(3, 12, 4567, 1), "-12-4567-01");
    EXPECT_EQ(buildMachineId(4, 7, 123, 0), "TX-07-123-00");
}
