// The control-word table: order, uniqueness, the number of rows of each kind,
// and the search.
#include "rtf/rvrtfkeywords.h"

#include <cstring>
#include <map>
#include <set>
#include <string>

#include <gtest/gtest.h>

namespace {

std::string KeywordOf(int row)
{
    return RVRTFKeywords[row].Keyword;
}

TEST(RTFKeywords, StrictlyAscendingAndUnique)
{
    std::set<std::string> seen;
    for (int i = 0; i < RVRTFKeywordCount; ++i) {
        SCOPED_TRACE(KeywordOf(i));
        EXPECT_TRUE(seen.insert(KeywordOf(i)).second);
        if (i > 0) {
            EXPECT_LT(KeywordOf(i - 1), KeywordOf(i)); // std::string orders bytes as unsigned
        }
        EXPECT_LE(std::strlen(RVRTFKeywords[i].Keyword), 32u);
    }
}

TEST(RTFKeywords, CountsOfEachKind)
{
    std::map<TRVRTFKeywordType, int> byType;
    std::map<TRVRTFKeywordAffect, int> byAffect;
    int skipDestinations = 0;
    for (int i = 0; i < RVRTFKeywordCount; ++i) {
        const TRVRTFsymbol& row = RVRTFKeywords[i];
        ++byType[row.KeywordType];
        ++byAffect[row.Affect];
        if (row.KeywordType == rtf_kwd_Dest && row.Index == idestSkip)
            ++skipDestinations;
    }
    // The 311 rows of the format plus \~, \_, \- and \bullet, and the two
    // groups of a picture's copies (\shppict read, \nonshppict skipped), and
    // the start of a bookmark.
    EXPECT_EQ(RVRTFKeywordCount, 318);
    EXPECT_EQ(byType[rtf_kwd_Prop], 242);
    EXPECT_EQ(byType[rtf_kwd_Dest], 55);
    EXPECT_EQ(skipDestinations, 29);
    EXPECT_EQ(byType[rtf_kwd_Char], 9);
    EXPECT_EQ(byType[rtf_kwd_WideChar], 9);
    EXPECT_EQ(byType[rtf_kwd_Spec], 3);
    EXPECT_EQ(byAffect[rtf_af_CharProp], 20);
    EXPECT_EQ(byAffect[rtf_af_ParaProp], 60);
    EXPECT_EQ(byAffect[rtf_af_BothProp], 0);
}

TEST(RTFKeywords, NoRowCarriesTheUnusedCodes)
{
    const std::set<int> unused = {ipropField,          ipropFldInst,  ipropFldRslt,
                                  ipropListTemplateId, ipropListName, ipropNoResetLev};
    for (int i = 0; i < RVRTFKeywordCount; ++i) {
        if (RVRTFKeywords[i].KeywordType != rtf_kwd_Prop)
            continue;
        SCOPED_TRACE(KeywordOf(i));
        EXPECT_EQ(unused.count(RVRTFKeywords[i].Index), 0u);
        EXPECT_LT(RVRTFKeywords[i].Index, ipropMax);
    }
}

TEST(RTFKeywords, FindsEveryRowAndNothingElse)
{
    for (int i = 0; i < RVRTFKeywordCount; ++i)
        EXPECT_EQ(RVRTFFindKeyword(KeywordOf(i)), i) << KeywordOf(i);
    for (const char* missing : {"trwwidth", "B", "", "zzzz", "\x01", "\xff", "bb", "pardx"})
        EXPECT_EQ(RVRTFFindKeyword(missing), -1) << missing;
    for (const std::string& withNul : {std::string(1, '\0'), std::string("b\0", 2), std::string("par\0x", 5)})
        EXPECT_EQ(RVRTFFindKeyword(withNul), -1);
}

TEST(RTFKeywords, RowsWithFixedValues)
{
    struct TCase {
        const char* Keyword;
        TRVRTFKeywordType Type;
        int Index;
        int Default;
        bool Pass;
    } cases[] = {
        {"brdrs", rtf_kwd_Prop, ipropParaBorderType, 1, true},
        {"brdroutset", rtf_kwd_Prop, ipropParaBorderType, 27, true},
        {"wbitmap", rtf_kwd_Prop, ipropPictureType, 7, true},
        {"pnlvlbody", rtf_kwd_Prop, ipropPNLevel, 10, true},
        {"fs", rtf_kwd_Prop, ipropFontSize, 24, false},
        {"listname", rtf_kwd_Dest, idestListName, 1, false},
        {"emdash", rtf_kwd_WideChar, '-', 8212, false},
        {"bullet", rtf_kwd_WideChar, 0, 0x2022, false},
        {"~", rtf_kwd_WideChar, 0, 0xA0, false},
        {"_", rtf_kwd_WideChar, '-', 0x2011, false},
        {"-", rtf_kwd_Char, 0, 0, false},
        {"\n", rtf_kwd_Char, '\n', 0, false},
        {"line", rtf_kwd_Char, '\r', 0, false},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Keyword);
        const int row = RVRTFFindKeyword(c.Keyword);
        ASSERT_GE(row, 0);
        EXPECT_EQ(RVRTFKeywords[row].KeywordType, c.Type);
        EXPECT_EQ(RVRTFKeywords[row].Index, c.Index);
        EXPECT_EQ(RVRTFKeywords[row].DefParam, c.Default);
        EXPECT_EQ(RVRTFKeywords[row].PassDefault, c.Pass);
    }
}

} // namespace
