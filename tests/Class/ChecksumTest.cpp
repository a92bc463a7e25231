#include "Class/Checksum.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>

#if __has_include(<zlib.h>)
#include <zlib.h>
#define QUORVANE_HAVE_ZLIB 1
#endif

TEST(Checksum, PublishedCheckValues)
{
    EXPECT_EQ(crc32("123456789"), 0xCBF43926u);
    EXPECT_EQ(crc32("abc"), 0x352441C2u);
    EXPECT_EQ(crc32(""), 0u);
}

#ifdef QUORVANE_HAVE_ZLIB
// Every length up to a few slices, every alignment, and long buffers, against zlib.
TEST(Checksum, AgreesWithZlib)
{
    std::mt19937 random(1234);
    std::vector<std::uint8_t> bytes(70000);
    for (auto& b : bytes)
        b = std::uint8_t(random());
    for (std::size_t offset = 0; offset < 8; ++offset)
        for (std::size_t length = 0; length < 40; ++length)
            ASSERT_EQ(crc32(bytes.data() + offset, length),
                      ::crc32(0, bytes.data() + offset, uInt(length)))
                << offset << " " << length;
    EXPECT_EQ(crc32(bytes.data(), bytes.size()), ::crc32(0, bytes.data(), uInt(bytes.size())));
    const std::uint32_t first = crc32(bytes.data(), 12345);
    EXPECT_EQ(crc32Continue(first, bytes.data() + 12345, bytes.size() - 12345),
              ::crc32(0, bytes.data(), uInt(bytes.size())));
}
#endif

TEST(Checksum, AppendThenVerifyAndEveryBitFlip)
{
    std::stringstream stream(std::ios_base::in | std::ios_base::out | std::ios_base::binary);
    stream << "abcdef";
    EXPECT_TRUE(appendChecksum(stream));
    const std::string file = stream.str();
    ASSERT_EQ(file.size(), 10u);
    const std::uint32_t crc = crc32("abcdef");
    EXPECT_EQ(file.substr(6), std::string({char(crc), char(crc >> 8), char(crc >> 16), char(crc >> 24)}));

    std::istringstream good(file);
    good.seekg(5);
    EXPECT_TRUE(verifyChecksum(good));
    EXPECT_EQ(good.tellg(), 0);

    for (std::size_t bit = 0; bit < file.size() * 8; ++bit) {
        std::string damaged = file;
        damaged[bit / 8] = char(damaged[bit / 8] ^ (1 << (bit % 8)));
        std::istringstream in(damaged);
        EXPECT_FALSE(verifyChecksum(in)) << bit;
    }
}

TEST(Checksum, TooShortToHoldAChecksum)
{
    std::istringstream empty(""), three("abc");
    EXPECT_FALSE(verifyChecksum(empty));
    EXPECT_FALSE(verifyChecksum(three));
    // Four bytes: the checksum of nothing, which is 0.
    std::istringstream zero(std::string(4, '\0'));
    EXPECT_TRUE(verifyChecksum(zero));
}
