// Character steps in zero-terminated UTF-16 text: surrogate pairs and
// combining marks belong to their character; the ends hold.
#include "platform/core/charnextw.h"

#include <gtest/gtest.h>

TEST(CharNextWTest, StepsOverPairsAndMarks)
{
    // a, e + acute + dot below, U+1F600 (a pair), a lone low surrogate, b.
    const WideChar s[] = {u'a', u'e', 0x0301, 0x0323, 0xD83D, 0xDE00, 0xDC00, u'b', 0};
    EXPECT_EQ(CharNextW(s), s + 1);
    EXPECT_EQ(CharNextW(s + 1), s + 4);
    EXPECT_EQ(CharNextW(s + 4), s + 6);
    EXPECT_EQ(CharNextW(s + 6), s + 7);
    EXPECT_EQ(CharNextW(s + 7), s + 8);
    EXPECT_EQ(CharNextW(s + 8), s + 8); // the terminator stays

    EXPECT_EQ(CharPrevW(s, s + 8), s + 7);
    EXPECT_EQ(CharPrevW(s, s + 7), s + 6);
    EXPECT_EQ(CharPrevW(s, s + 6), s + 4);
    EXPECT_EQ(CharPrevW(s, s + 4), s + 1);
    EXPECT_EQ(CharPrevW(s, s + 1), s);
    EXPECT_EQ(CharPrevW(s, s), s);
}

TEST(CharNextWTest, MarksAtTheStartAndHalfPairs)
{
    // A text that starts with a mark; a high surrogate before the terminator.
    const WideChar s[] = {0x0301, 0x0301, u'x', 0xD83D, 0};
    EXPECT_EQ(CharNextW(s), s + 2);
    EXPECT_EQ(CharPrevW(s, s + 2), s);
    EXPECT_EQ(CharNextW(s + 3), s + 4);
    EXPECT_EQ(CharPrevW(s, s + 4), s + 3);
}
