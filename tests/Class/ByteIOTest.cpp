#include "Class/ByteIO.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>

// Record files store least significant byte first, the mower sends most
// significant first; one pattern of distinct bytes catches a swapped or
// shifted byte in either direction.
TEST(ByteIOTest, LittleAndBigEndianFieldsReadAndWriteTheirOwnByteOrder)
{
    const unsigned char bytes[] = {0x12, 0x34, 0x56, 0xF8};
    EXPECT_EQ(byteio::getU16(bytes), 0x3412u);
    EXPECT_EQ(byteio::getU32(bytes), 0xF8563412u);
    EXPECT_EQ(byteio::getU16BE(bytes), 0x1234u);
    EXPECT_EQ(byteio::getU32BE(bytes), 0x123456F8u);

    std::string le;
    byteio::putU32(le, 0xF8563412u);
    byteio::putU16(le, 0xBEEF);
    EXPECT_EQ(le, std::string("\x12\x34\x56\xF8\xEF\xBE"));

    unsigned char be[6] = {};
    byteio::putU32BE(be, 0x123456F8u);
    byteio::putU16BE(be + 4, 0xBEEF);
    const unsigned char expected[] = {0x12, 0x34, 0x56, 0xF8, 0xBE, 0xEF};
    EXPECT_TRUE(std::equal(std::begin(be), std::end(be), std::begin(expected)));
}
