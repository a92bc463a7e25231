#include "Component/NameCollation.h"

#include <gtest/gtest.h>

// Names sort by the same notion of valid UTF-8 as a record file stores: each
// byte of an invalid sequence sorts as U+FFFD, so an overlong NUL is not a
// character of the name.
TEST(NameCollationTest, InvalidBytesSortAsReplacementCharacters)
{
    EXPECT_EQ(nameSortKey("a\xC0\x80" "b"), nameSortKey("a\uFFFD\uFFFDb"));
    EXPECT_NE(nameSortKey("a\xC0\x80" "b"), nameSortKey("a b"));
    EXPECT_EQ(nameSortKey("x\xED\xA0\x80"), nameSortKey("x\uFFFD\uFFFD\uFFFD"));
    EXPECT_EQ(nameSortKey("\xC3"), nameSortKey("\uFFFD"));
}
