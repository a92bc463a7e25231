#include "link/TVFFile.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using ::testing::ElementsAre;

namespace {

TEST(TVFFile, LinesEndAtCrLfOrTheirPairAndALastLineCounts)
{
    EXPECT_THAT(TVFFile::fromBytes("a\rb\nc\r\nd").lines(), ElementsAre("a", "b", "c", "d"));
    EXPECT_THAT(TVFFile::fromBytes("a\n\nb\r\n").lines(), ElementsAre("a", "", "b"));
    EXPECT_THAT(TVFFile::fromBytes("a\n\r\nb").lines(), ElementsAre("a", "", "b"));
    EXPECT_THAT(TVFFile::fromBytes("a\r\rb").lines(), ElementsAre("a", "", "b"));
    EXPECT_TRUE(TVFFile::fromBytes("").lines().empty());
    EXPECT_THAT(TVFFile::fromBytes("\n").lines(), ElementsAre(""));
}

TEST(TVFFile, DataLinesDecodeByPairsWithFFForABadPair)
{
    using Bytes = std::vector<std::uint8_t>;
    EXPECT_EQ(TVFFile::decodeDataLine("0a1B"), (Bytes {0x0A, 0x1B}));
    EXPECT_EQ(TVFFile::decodeDataLine("0G12"), (Bytes {0xFF, 0x12}));
    EXPECT_EQ(TVFFile::decodeDataLine("fFAa09 1"), (Bytes {0xFF, 0xAA, 0x09, 0xFF}));
    EXPECT_EQ(TVFFile::decodeDataLine(std::string("\0\0", 2)), (Bytes {0xFF}));
    EXPECT_TRUE(TVFFile::decodeDataLine("").empty());
}

TEST(TVFFile, TagsAreComparedExactly)
{
    EXPECT_EQ(TVFFile::sectionOf("[MAIN]")->commandByte, 0x50);
    EXPECT_EQ(TVFFile::sectionOf("[FIR]")->commandByte, 0x51);
    EXPECT_EQ(TVFFile::sectionOf("[EXT]")->commandByte, 0x52);
    for (const char* notATag : {"[main]", "[MAIN] ", " [MAIN]", "[MAIN", "[EXT]x", ""})
        EXPECT_EQ(TVFFile::sectionOf(notATag), nullptr) << notATag;
    EXPECT_EQ(TVFFile::fromBytes("[TAG] 2.10\n[MAIN]").versionText(), " 2.10");
    EXPECT_EQ(TVFFile::fromBytes("[TAG]").versionText(), "");
}

}  // namespace
