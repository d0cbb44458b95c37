// Searching a laid-out document: the next and the same hit when the direction
// changes, whole words (judged by the whole item, not by where the search
// started), case, Unicode items with characters beyond the 16-bit plane, ANSI
// items in UTF-8, and no false hits through a lossy code page.
#include <gtest/gtest.h>

#include <vector>

#include "document/rvstyle.h"
#include "platform/core/codepages.h"
#include "tests/support/testrvfdata.h"

namespace {

class TSearchData : public TTestRVFData {
public:
    using TTestRVFData::TTestRVFData;
    AnsiString GetDelimiters() override { return " .;,:(){}\"/\\"; }
};

class DocumentSearch : public ::testing::Test {
protected:
    DocumentSearch()
    {
        SetACP(CP_UTF8);
        D.Options = {rvoAllowSelection};
    }
    ~DocumentSearch() override { SetACP(0); }

    int UnicodeStyle()
    {
        const int styleNo = Style.AddTextStyle();
        Style.TextStyles()->Items(styleNo)->SetUnicode(true);
        return styleNo;
    }

    TRVStyle Style{nullptr};
    TSearchData D{&Style};
};

// One search step: down or up, the text, match case, whole word; whether it
// finds, and the selection after it (fixed end first, moving end second).
struct TStep {
    bool Down;
    const char* Text;
    bool MatchCase, WholeWord, Found;
    TSel After;
};

void Search(TSearchData& d, const std::vector<TStep>& steps)
{
    for (size_t i = 0; i < steps.size(); ++i) {
        const TStep& s = steps[i];
        SCOPED_TRACE(testing::Message() << "step " << i << (s.Down ? " down " : " up ") << s.Text);
        EXPECT_EQ(d.SearchText(s.Down, s.MatchCase, s.WholeWord, s.Text), s.Found);
        EXPECT_EQ(SelectionOf(d, false), s.After);
    }
}

TEST_F(DocumentSearch, DownFindsTheNextHitAndUpAfterDownFindsTheSameOne)
{
    D.AddNL("one two one", 0, 0);
    D.AddNL("zero", 0, 0);
    D.AddNL("and one", 0, 0);
    D.FormatAll();
    const int events = D.SelectEvents;
    Search(D, {{true, "one", false, false, true, {0, 1, 0, 4}},
               {true, "one", false, false, true, {0, 9, 0, 12}},
               {true, "one", false, false, true, {2, 5, 2, 8}},
               {true, "one", false, false, false, {2, 5, 2, 8}}, // a failed search keeps the selection
               // Up right after down: the same hit, the moving end now in front of it.
               {false, "one", false, false, true, {2, 8, 2, 5}},
               {false, "one", false, false, true, {0, 12, 0, 9}},
               {false, "one", false, false, true, {0, 4, 0, 1}},
               {false, "one", false, false, false, {0, 4, 0, 1}},
               {true, "", false, false, false, {0, 4, 0, 1}}});
    EXPECT_EQ(D.SelectEvents, events + 6);
    EXPECT_EQ(D.GetSelText(false), "one");
}

TEST_F(DocumentSearch, WithoutASelectionTheSearchStartsAtTheVisibleEnd)
{
    D.AddNL("x first", 0, 0);
    D.AddNL("x last", 0, 0);
    D.FormatAll();
    Search(D, {{false, "x", false, false, true, {1, 2, 1, 1}}});
    D.Deselect(nullptr, true);
    Search(D, {{true, "x", false, false, true, {0, 1, 0, 2}}});
    // Not laid out, nothing is visible: up starts after the last item.
    TSearchData plain(&Style);
    plain.AddNL("first", 0, 0);
    plain.AddNL("last", 0, 0);
    EXPECT_TRUE(plain.SearchText(false, false, false, "last"));
}

TEST_F(DocumentSearch, WholeWordsAreNotFoundInsideLongerWords)
{
    D.AddNL("concatenate cats cat.", 0, 0);
    D.AddNL("cat", 0, 0);
    D.FormatAll();
    Search(D, {{true, "cat", false, true, true, {0, 18, 0, 21}}, // followed by a delimiter
               {true, "cat", false, true, true, {1, 1, 1, 4}},   // the whole item
               {false, "cat", false, true, true, {1, 4, 1, 1}},
               {false, "cat", false, true, true, {0, 21, 0, 18}},
               {false, "cat", false, true, false, {0, 21, 0, 18}}});
    // A selection that ends inside a word does not make the rest of it a word.
    D.SetSelectionBounds(0, 1, 0, 4); // "con"
    EXPECT_TRUE(D.SearchText(true, false, false, "catenate"));
    D.SetSelectionBounds(0, 1, 0, 4);
    Search(D, {{true, "cat", false, true, true, {0, 18, 0, 21}}});
}

TEST_F(DocumentSearch, UnicodeItemsAreSearchedInTheirOwnUnitsBeyondThe16BitPlane)
{
    D.AddNLWTag(u"a\U0001D11Eb \u00E9t\u00C9 \U0001D11E", UnicodeStyle(), 0, TRVTag());
    D.FormatAll();
    ASSERT_TRUE(D.GetItemOptions(0).Contains(rvioUnicode));
    // The musical symbol is two units: the hit covers both. Case folding
    // beyond ASCII, and a whole word that is one character.
    Search(D, {{true, u8"\U0001D11Eb", false, false, true, {0, 2, 0, 5}}});
    EXPECT_EQ(D.GetSelTextW(), u"\U0001D11Eb");
    Search(D, {{true, u8"\u00C9T\u00E9", false, false, true, {0, 6, 0, 9}},
               {true, u8"\U0001D11E", true, true, true, {0, 10, 0, 12}}});
}

TEST_F(DocumentSearch, NoFalseHitsThroughALossyCodePage)
{
    // The document's code page cannot show Cyrillic: converting the item to it
    // would give "???" and make every question mark a hit.
    Style.SetDefCodePage(1252);
    D.AddNLWTag(u"\u043C\u0438\u0440", UnicodeStyle(), 0, TRVTag());
    D.AddNL("why?", 0, 0);
    D.FormatAll();
    Search(D,
           {{true, "?", false, false, true, {1, 4, 1, 5}}, {false, "??", false, false, false, {1, 4, 1, 5}}});
}

TEST_F(DocumentSearch, AnsiItemsInUtf8AreSelectedOnWholeCharacters)
{
    D.AddNL(u8"Grüße straße", 0, 0); // an ANSI item in the UTF-8 code page, bytes as written
    D.FormatAll();
    Search(D, {{true, u8"GRÜ", false, false, true, {0, 1, 0, 5}},
               {true, u8"ße", true, false, true, {0, 5, 0, 8}},
               {true, u8"ße", true, false, true, {0, 13, 0, 16}}});
    EXPECT_EQ(D.GetSelText(false), u8"ße");
    D.Deselect(nullptr, true);
    EXPECT_FALSE(D.SearchText(true, true, false, "\x9F")) << "half a character is no character of the text";
}

} // namespace
