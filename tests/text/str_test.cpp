#include "text/str.h"

#include <gtest/gtest.h>

using tqxml::Str;

TEST(StrEdges, FindOnEmptyOrPastEndReturnsLength) {
    Str empty;
    EXPECT_EQ(empty.Find('a'), 0);
    Str abc("abc");
    EXPECT_EQ(abc.Find('a', 3), 3);
    EXPECT_EQ(abc.Find('z'), 3);
    EXPECT_EQ(abc.Find('c', 1), 2);
}
