// Searching a laid-out document: the next and the same hit when the direction
// changes, whole words (judged by the whole item, not by where the search
// started), case, Unicode items with characters beyond the 16-bit plane, ANSI
// items in UTF-8, and no false hits through a lossy code page.
#include <gtest/gtest.h>

#include <ostream>

#include "document/rvstyle.h"
#include "platform/core/codepages.h"
#include "tests/support/testrvfdata.h"

namespace {

class TSearchData : public TTestRVFData {
public:
    using TTestRVFData::TTestRVFData;
    AnsiString GetDelimiters() override { return " .;,:(){}\"/\\"; }
};

struct TSel {
    int StartItem, StartOffs, EndItem, EndOffs;
    bool operator==(const TSel& o) const
    {
        return StartItem == o.StartItem && StartOffs == o.StartOffs && EndItem == o.EndItem &&
               EndOffs == o.EndOffs;
    }
};

std::ostream& operator<<(std::ostream& os, const TSel& s)
{
    return os << "(" << s.StartItem << ":" << s.StartOffs << " - " << s.EndItem << ":" << s.EndOffs << ")";
}

class DocumentSearch : public ::testing::Test {
protected:
    DocumentSearch()
    {
        SetACP(CP_UTF8);
        D.Options = {rvoAllowSelection};
    }
    ~DocumentSearch() override { SetACP(0); }

    // The selection as it is stored: fixed end first, moving end second.
    TSel Selection()
    {
        TSel s;
        D.GetSelectionBounds(s.StartItem, s.StartOffs, s.EndItem, s.EndOffs, false);
        return s;
    }
    bool Down(const AnsiString& s, bool MatchCase = false, bool WholeWord = false)
    {
        return D.SearchText(true, MatchCase, WholeWord, s);
    }
    bool Up(const AnsiString& s, bool MatchCase = false, bool WholeWord = false)
    {
        return D.SearchText(false, MatchCase, WholeWord, s);
    }
    int UnicodeStyle()
    {
        const int No = Style.AddTextStyle();
        Style.TextStyles()->Items(No)->SetUnicode(true);
        return No;
    }

    TRVStyle Style{nullptr};
    TSearchData D{&Style};
};

TEST_F(DocumentSearch, DownFindsTheNextHitAndUpAfterDownFindsTheSameOne)
{
    D.AddNL("one two one", 0, 0);
    D.AddNL("zero", 0, 0);
    D.AddNL("and one", 0, 0);
    D.FormatAll();

    ASSERT_TRUE(Down("one"));
    EXPECT_EQ(Selection(), (TSel{0, 1, 0, 4}));
    const int Events = D.SelectEvents;
    ASSERT_TRUE(Down("one"));
    EXPECT_EQ(Selection(), (TSel{0, 9, 0, 12}));
    EXPECT_EQ(D.SelectEvents, Events + 1);
    ASSERT_TRUE(Down("one"));
    EXPECT_EQ(Selection(), (TSel{2, 5, 2, 8}));
    EXPECT_FALSE(Down("one"));
    EXPECT_EQ(Selection(), (TSel{2, 5, 2, 8})); // a failed search keeps the selection

    // Up right after down: the same hit, the moving end now in front of it.
    ASSERT_TRUE(Up("one"));
    EXPECT_EQ(Selection(), (TSel{2, 8, 2, 5}));
    ASSERT_TRUE(Up("one"));
    EXPECT_EQ(Selection(), (TSel{0, 12, 0, 9}));
    ASSERT_TRUE(Up("one"));
    EXPECT_EQ(Selection(), (TSel{0, 4, 0, 1}));
    EXPECT_FALSE(Up("one"));
    EXPECT_EQ(D.GetSelText(false), "one");

    EXPECT_FALSE(Down(""));
}

TEST_F(DocumentSearch, WithoutASelectionTheSearchStartsAtTheVisibleEnd)
{
    D.AddNL("x first", 0, 0);
    D.AddNL("x last", 0, 0);
    D.FormatAll();
    ASSERT_TRUE(Up("x"));
    EXPECT_EQ(Selection(), (TSel{1, 2, 1, 1}));
    D.Deselect(nullptr, true);
    ASSERT_TRUE(Down("x"));
    EXPECT_EQ(Selection(), (TSel{0, 1, 0, 2}));

    // Not laid out, nothing is visible: up starts after the last item.
    TSearchData Plain(&Style);
    Plain.AddNL("first", 0, 0);
    Plain.AddNL("last", 0, 0);
    EXPECT_TRUE(Plain.SearchText(false, false, false, "last"));
}

TEST_F(DocumentSearch, WholeWordsAreNotFoundInsideLongerWords)
{
    D.AddNL("concatenate cats cat.", 0, 0);
    D.AddNL("cat", 0, 0);
    D.FormatAll();
    ASSERT_TRUE(Down("cat", false, true));
    EXPECT_EQ(Selection(), (TSel{0, 18, 0, 21})); // followed by a delimiter
    ASSERT_TRUE(Down("cat", false, true));
    EXPECT_EQ(Selection(), (TSel{1, 1, 1, 4})); // the whole item
    ASSERT_TRUE(Up("cat", false, true));
    ASSERT_TRUE(Up("cat", false, true));
    EXPECT_EQ(Selection(), (TSel{0, 21, 0, 18}));
    EXPECT_FALSE(Up("cat", false, true));

    // A selection that ends inside a word does not make the rest of it a word.
    D.SetSelectionBounds(0, 1, 0, 4); // "con"
    ASSERT_TRUE(Down("catenate", false, false));
    D.SetSelectionBounds(0, 1, 0, 4);
    ASSERT_TRUE(Down("cat", false, true));
    EXPECT_EQ(Selection(), (TSel{0, 18, 0, 21}));
}

TEST_F(DocumentSearch, CaseIsIgnoredUnlessItMustMatch)
{
    D.AddNL("Hello hello HELLO", 0, 0);
    D.FormatAll();
    ASSERT_TRUE(Down("HELLO", true));
    EXPECT_EQ(Selection(), (TSel{0, 13, 0, 18}));
    D.Deselect(nullptr, true);
    ASSERT_TRUE(Down("hELLO"));
    EXPECT_EQ(Selection(), (TSel{0, 1, 0, 6}));
    EXPECT_FALSE(Down("hELLO", true));
}

TEST_F(DocumentSearch, UnicodeItemsAreSearchedInTheirOwnUnitsBeyondThe16BitPlane)
{
    const int Uni = UnicodeStyle();
    D.AddNLWTag(u"a\U0001D11Eb \u00E9t\u00C9 \U0001D11E", Uni, 0, TRVTag());
    D.FormatAll();
    ASSERT_TRUE(D.GetItemOptions(0).Contains(rvioUnicode));

    // The musical symbol is two units: the hit covers both.
    ASSERT_TRUE(Down(u8"\U0001D11Eb"));
    EXPECT_EQ(Selection(), (TSel{0, 2, 0, 5}));
    EXPECT_EQ(D.GetSelTextW(), u"\U0001D11Eb");
    // Case folding beyond ASCII, and a whole word that is one character.
    ASSERT_TRUE(Down(u8"\u00C9T\u00E9"));
    EXPECT_EQ(Selection(), (TSel{0, 6, 0, 9}));
    ASSERT_TRUE(Down(u8"\U0001D11E", true, true));
    EXPECT_EQ(Selection(), (TSel{0, 10, 0, 12}));
}

TEST_F(DocumentSearch, NoFalseHitsThroughALossyCodePage)
{
    // The document's code page cannot show Cyrillic: converting the item to it
    // would give "???" and make every question mark a hit.
    Style.SetDefCodePage(1252);
    const int Uni = UnicodeStyle();
    D.AddNLWTag(u"\u043C\u0438\u0440", Uni, 0, TRVTag());
    D.AddNL("why?", 0, 0);
    D.FormatAll();
    ASSERT_TRUE(Down("?"));
    EXPECT_EQ(Selection(), (TSel{1, 4, 1, 5}));
    EXPECT_FALSE(Up("??"));
}

TEST_F(DocumentSearch, AnsiItemsInUtf8AreSelectedOnWholeCharacters)
{
    // An ANSI item in the UTF-8 code page, bytes as written.
    D.AddNL(u8"Grüße straße", 0, 0);
    D.FormatAll();
    ASSERT_TRUE(Down(u8"GRÜ"));
    EXPECT_EQ(Selection(), (TSel{0, 1, 0, 5}));
    ASSERT_TRUE(Down(u8"ße", true));
    EXPECT_EQ(Selection(), (TSel{0, 5, 0, 8}));
    ASSERT_TRUE(Down(u8"ße", true));
    EXPECT_EQ(Selection(), (TSel{0, 13, 0, 16}));
    EXPECT_EQ(D.GetSelText(false), u8"ße");
    // Half a character is no character of the text.
    D.Deselect(nullptr, true);
    EXPECT_FALSE(Down("\x9F", true));
}

} // namespace
