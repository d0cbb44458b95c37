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
    // clang-format off
    const std::pair<WideChar, int> cases[] = {
        {0x0000, CM}, {0x0008, CM}, {0x0009, BA}, {0x000A, AL}, {0x000B, CM}, {0x000C, AL}, {0x000D, AL},
        {0x000E, CM}, {0x001F, CM}, {0x0020, AL}, {u'!', EX}, {u'"', QU}, {u'$', PR}, {u'%', PO},
        {u'(', OP}, {u')', CL}, {u',', IS}, {u'-', HY}, {u'.', IS}, {u'/', SY}, {u'0', NU}, {u'9', NU},
        {u':', IS}, {u'<', AL}, {u'?', EX}, {u'A', AL}, {u'z', AL}, {u'[', OP}, {u'\\', PR}, {u'|', BA},
        {u'}', CL}, {0x007E, AL}, {0x007F, CM}, {0x009F, CM}, {0x00A0, GL}, {0x00A1, AL}, {0x00AD, BA},
        {0x00B4, BB}, {0x0300, CM}, {0x034F, CM}, {0x0350, AL}, {0x05D0, AL}, {0x0660, NU}, {0x0669, NU},
        {0x1100, ID}, {0x1159, ID}, {0x115A, AL}, {0x115F, ID}, {0x1160, CM}, {0x11A2, CM}, {0x11A3, AL},
        {0x17D4, NS}, {0x17D5, BA}, {0x17DB, PR}, {0x2007, GL}, {0x200B, ZW}, {0x200C, CM}, {0x2014, B2},
        {0x2024, IN}, {0x2026, IN}, {0x2027, BA}, {0x2030, PO}, {0x20AC, PR}, {0x3000, ID}, {0x3001, CL},
        {0x3005, NS}, {0x3041, NS}, {0x3042, ID}, {0x4E00, ID}, {0x9FA5, ID}, {0x9FA6, AL}, {0xAC00, ID},
        {0xD7A3, ID}, {0xD7A4, AL}, {0xD800, AL}, {0xDFFF, AL}, {0xFE30, ID}, {0xFEFF, GL}, {0xFF5F, OP},
        {0xFF61, CL}, {0xFF70, NS}, {0xFFE6, PR}, {0xFFF9, CM}, {0xFFFB, CM}, {0xFFFC, AL}, {0xFFFF, AL},
    };
    // clang-format on
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
