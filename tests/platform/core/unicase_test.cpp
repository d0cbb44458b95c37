// Length-keeping upper case of UTF-16 text.
#include "platform/core/unicase.h"

#include <gtest/gtest.h>

namespace {

WideString Upper(WideString s)
{
    EXPECT_EQ(CharUpperBuffW(s.data(), static_cast<int>(s.size())), static_cast<int>(s.size()));
    return s;
}

} // namespace

TEST(UniCaseTest, SimpleMappingPerCodePoint)
{
    EXPECT_EQ(Upper(u"abc xyz 123"), u"ABC XYZ 123");
    EXPECT_EQ(Upper(u"\u00E9\u00FF\u0430\u03C9"), u"\u00C9\u0178\u0410\u03A9");
    EXPECT_EQ(Upper(u"\u01C6\u01C5"), u"\u01C4\u01C4"); // titlecase digraphs too
    EXPECT_EQ(Upper(u"\U00010428\U0001E922"), u"\U00010400\U0001E900");
}

TEST(UniCaseTest, LengthNeverChanges)
{
    // Full mappings would lengthen these; the simple mapping leaves them.
    EXPECT_EQ(Upper(u"\u00DF\uFB01\u0149"), u"\u00DF\uFB01\u0149");
    // Lone surrogates stay as they are, and so do their neighbours' pairs.
    const WideChar lone[] = {0xDC28, u'a', 0xD801, 0};
    const WideChar loneUpper[] = {0xDC28, u'A', 0xD801, 0};
    EXPECT_EQ(Upper(lone), loneUpper);
    WideString cut = u"\U00010428";
    EXPECT_EQ(CharUpperBuffW(cut.data(), 1), 1); // half of the pair is not a code point
    EXPECT_EQ(cut, u"\U00010428");
}
