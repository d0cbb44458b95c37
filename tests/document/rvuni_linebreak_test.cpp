// The line-break classes of code units and the search for a break position.
#include "document/rvuni.h"

#include <gtest/gtest.h>

namespace {

enum { OP, CL, QU, GL, NS, EX, SY, IS, PR, PO, NU, AL, ID, IN, HY, BA, BB, B2, ZW, CM };

// The index of the break found in s when Length units fit, or -1 for none.
int Break(const WideString& s, int length)
{
    const WideChar* p = RVU_FindLineBreak(s.data(), length, static_cast<int>(s.size()));
    return p ? static_cast<int>(p - s.data()) : -1;
}

} // namespace

TEST(RVUniLineBreakClassTest, RangesAndTheirEdges)
{
    // Representative units and the edges of ranges, where a table is easiest to get wrong.
    const std::pair<WideChar, int> cases[] = {
        {0x0008, CM}, {0x0009, BA}, {0x000A, AL}, {0x0020, AL}, {u'(', OP},   {u'0', NU},   {u'\\', PR},
        {0x00A0, GL}, {0x00AD, BA}, {0x034F, CM}, {0x0350, AL}, {0x1159, ID}, {0x115A, AL}, {0x200B, ZW},
        {0x3041, NS}, {0x3042, ID}, {0x9FA5, ID}, {0x9FA6, AL}, {0xD7A3, ID}, {0xD7A4, AL}, {0xD800, AL},
        {0xFEFF, GL}, {0xFFFB, CM}, {0xFFFC, AL}, {0xFFFF, AL},
    };
    for (const auto& [unit, cls] : cases)
        EXPECT_EQ(RVU_GetUnicodeLineBreakClass(unit), cls) << std::hex << "U+" << unsigned(unit);
}

TEST(RVUniLineBreakTest, BreaksAcrossSpacesKeepTheSpaces)
{
    EXPECT_EQ(Break(u"ab cd", 3), 2); // 'b' then 'c' across the space
    EXPECT_EQ(Break(u"a  b", 3), 2);  // both spaces stay on the line
    EXPECT_EQ(Break(u"ab    cd", 6), 5);
    EXPECT_EQ(Break(u"ab cd", 2), 2); // the unit that does not fit is a space: it ends the line
    EXPECT_EQ(Break(u" ", 0), 0);
}

TEST(RVUniLineBreakTest, NoBreakWithoutAnOpportunity)
{
    EXPECT_EQ(Break(u"abcd", 2), -1);
    EXPECT_EQ(Break(u"a1", 1), -1);       // AL before NU breaks only across a space
    EXPECT_EQ(Break(u"  ab", 3), -1);     // never before the first unit
    EXPECT_EQ(Break(u"a\u00A0b", 2), -1); // no-break space glues
    EXPECT_EQ(Break(u"ab", 0), -1);
}

TEST(RVUniLineBreakTest, PairRulesOfTheClasses)
{
    EXPECT_EQ(Break(u"a-b", 2), 1); // after a hyphen
    EXPECT_EQ(Break(u"a-1", 2), 1);
    EXPECT_EQ(Break(u"a(b", 2), 0); // before an opening bracket, not after it
    EXPECT_EQ(Break(u"(ab", 2), -1);
    EXPECT_EQ(Break(u"a)b", 2), 1); // after a closing bracket
    EXPECT_EQ(Break(u"a)", 1), -1); // not before it
    EXPECT_EQ(Break(u"a!", 1), -1);
    EXPECT_EQ(Break(u"a/b", 2), 1);  // after a solidus
    EXPECT_EQ(Break(u"1/2", 2), -1); // not inside a number
    EXPECT_EQ(Break(u"1,5", 2), -1);
    EXPECT_EQ(Break(u"a $10", 3), 1); // before the prefix, at the space
    EXPECT_EQ(Break(u"10% a", 3), 3);
    EXPECT_EQ(Break(u"a\u200Bb", 2), 1);      // zero-width space
    EXPECT_EQ(Break(u"a\u2014b", 2), 1);      // after an em dash
    EXPECT_EQ(Break(u"a\u2014\u2014", 2), 0); // before two em dashes, not between them
    EXPECT_EQ(Break(u"a\u0301b", 2), -1);     // a combining mark stays with what it follows
}

TEST(RVUniLineBreakTest, IdeographsBreakBetweenEachOther)
{
    const WideString s = u"\u4E2D\u6587\u5B57";
    EXPECT_EQ(Break(s, 2), 1);
    EXPECT_EQ(Break(s, 1), 0);
    EXPECT_EQ(Break(u"\u4E2D\u3005", 1), -1); // not before an iteration mark (NS)
    EXPECT_EQ(Break(u"\u4E2D\u3002", 1), -1); // not before the ideographic full stop (CL)
    EXPECT_EQ(Break(u"\u4E2Da", 1), 0);       // ID before AL
}

TEST(RVUniLineBreakTest, NeverReadsPastTheText)
{
    const WideString s = u"ab cd";
    EXPECT_EQ(RVU_FindLineBreak(s.data(), 5, 5), nullptr);
    EXPECT_EQ(RVU_FindLineBreak(s.data(), 6, 5), nullptr);
    EXPECT_EQ(RVU_FindLineBreak(s.data(), -1, 5), nullptr);
    EXPECT_EQ(RVU_FindLineBreak(nullptr, 0, 5), nullptr);
    // Only the units up to Str[Length] are read: a text that ends there is enough.
    EXPECT_EQ(RVU_FindLineBreak(s.data(), 3, 4), s.data() + 2);
}

TEST(RVUniLineBreakTest, LinesLongerThan65535Units)
{
    // One space far into a long line: a 16-bit length would look at the wrong units.
    WideString s(69000, u'a');
    s += u' ';
    s += WideString(1000, u'b');
    EXPECT_EQ(Break(s, 69999), 69000);
    EXPECT_EQ(Break(s, 65536 + 3464), 69000); // 3464 in 16 bits
    EXPECT_EQ(Break(s, 69000), 69000);

    WideString t(70000, u'x');
    t[100] = u' ';
    EXPECT_EQ(Break(t, 65600), 100);
    t[100] = u'x';
    EXPECT_EQ(Break(t, 65600), -1);
}
