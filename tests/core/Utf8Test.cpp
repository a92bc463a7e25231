#include "core/Utf8.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The length decodeUtf8 gives for the whole text, with the character it read.
std::pair<std::size_t, char32_t> decodeAll(std::string_view text)
{
    char32_t cp = 0;
    const std::size_t length = decodeUtf8(text, 0, cp);
    return {length, length ? cp : char32_t(-1)};
}

}  // namespace

TEST(Utf8Test, DecodesTheShortestFormOfEveryLengthUpToItsLimits)
{
    const struct {
        const char* bytes;
        char32_t cp;
    } valid[] = {
        {"\x7F", 0x7F},
        {"\xC2\x80", 0x80},
        {"\xDF\xBF", 0x7FF},
        {"\xE0\xA0\x80", 0x800},
        {"\xED\x9F\xBF", 0xD7FF},  // just below the surrogates
        {"\xEE\x80\x80", 0xE000},  // just above them
        {"\xEF\xBF\xBF", 0xFFFF},
        {"\xF0\x90\x80\x80", 0x10000},
        {"\xF4\x8F\xBF\xBF", 0x10FFFF},
    };
    for (const auto& c : valid) {
        const std::string_view bytes = c.bytes;
        SCOPED_TRACE(std::string(bytes));
        EXPECT_EQ(decodeAll(bytes), std::make_pair(bytes.size(), c.cp));
    }
    // A character in the middle of a text.
    char32_t cp = 0;
    EXPECT_EQ(decodeUtf8("ab\xC3\xA9z", 2, cp), 2u);
    EXPECT_EQ(cp, 0xE9u);
    // A NUL is a character, not the end.
    EXPECT_EQ(decodeAll(std::string_view("\0", 1)), std::make_pair(std::size_t(1), char32_t(0)));
}

TEST(Utf8Test, RefusesOverlongSurrogateTooLargeAndCutSequences)
{
    const char* const invalid[] = {
        "\xC0\x80", "\xC1\xBF", "\xE0\x9F\xBF", "\xF0\x8F\xBF\xBF",  // overlong
        "\xED\xA0\x80", "\xED\xBF\xBF",                              // surrogates
        "\xF4\x90\x80\x80", "\xF5\x80\x80\x80", "\xF8\x88\x80\x80\x80", "\xFF",  // beyond U+10FFFF
        "\x80", "\xBF",                                           // a continuation without a lead
        "\xC3", "\xE2\x82", "\xF0\x9F\x98",                       // cut by the end
        "\xC3" "A", "\xE2\x82" "A", "\xF0\x9F\x98" "A",           // cut by a byte that does not continue
    };
    for (const char* bytes : invalid) {
        SCOPED_TRACE(::testing::PrintToString(std::string(bytes)));
        EXPECT_EQ(decodeAll(bytes).first, 0u);
    }
}
