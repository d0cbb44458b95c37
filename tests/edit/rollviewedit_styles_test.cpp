// Applying styles through the editor control: text style conversions that
// split items at the selection's ends and join equal neighbours, paragraph
// styles over whole paragraphs, conversions by the events, page breaks.
// Every command runs through the editing invariant.
#include <gtest/gtest.h>

#include "platform/graphics/gdiobjects.h"
#include "tests/support/editinvariant.h"
#include "tests/support/testeditdata.h"

namespace {

using Items = std::vector<AnsiString>;

class Styles : public TEditFixture {
protected:
    Styles()
    {
        Bold = AddText([](TFontInfo* f) { f->SetStyle(TFontStyles{fsBold}); });
        StyleProtected = AddText([](TFontInfo* f) { f->SetProtection(TRVProtectOptions{rvprStyleProtect}); });
        ParaProtected = AddPara([](TParaInfo* p) { p->SetOptions(TRVParaOptions{rvpaoStyleProtect}); });
    }
    using TEditFixture::AddText;
    std::vector<int> StylesOf()
    {
        std::vector<int> r;
        for (int i = 0; i < d->GetItemCount(); ++i)
            r.push_back(d->GetItemStyle(i));
        return r;
    }
    // The selection as item positions (start item, start offset, end item, end offset), as it runs.
    std::vector<int> Selection()
    {
        int si = 0, so = 0, ei = 0, eo = 0;
        d->GetSelectionBounds(si, so, ei, eo, false);
        return {si, so, ei, eo};
    }
    int Bold = 0;
    int StyleProtected = 0;
    int ParaProtected = 0;
};

TEST_F(Styles, TextStyleOverPartsOfItemsSplitsThemAndSelectsTheConvertedText)
{
    struct TCase {
        const char* Name;
        std::vector<std::pair<const char*, int>> Paragraphs; // text and paragraph (-1: same line)
        std::vector<int> Select;
        Items Texts;
        std::vector<int> Styles;
        std::vector<int> Selected;
    };
    const int B = Bold;
    const std::vector<TCase> cases = {
        {"head", {{"abcdef", 0}}, {0, 1, 0, 3}, {"ab", "cdef"}, {B, 0}, {0, 1, 0, 3}},
        {"tail", {{"abcdef", 0}}, {0, 3, 0, 7}, {"ab", "cdef"}, {0, B}, {1, 1, 1, 5}},
        {"middle", {{"abcdef", 0}}, {0, 3, 0, 5}, {"ab", "cd", "ef"}, {0, B, 0}, {1, 1, 1, 3}},
        {"whole", {{"abcdef", 0}}, {0, 1, 0, 7}, {"abcdef"}, {B}, {0, 1, 0, 7}},
        {"backwards", {{"abcdef", 0}}, {0, 5, 0, 3}, {"ab", "cd", "ef"}, {0, B, 0}, {1, 3, 1, 1}},
        {"two paragraphs",
         {{"abc", 0}, {"def", 0}},
         {0, 2, 1, 3},
         {"a", "bc", "de", "f"},
         {0, B, B, 0},
         {1, 1, 2, 3}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        d->Clear();
        for (const auto& [text, para] : c.Paragraphs)
            AddText(text, 0, para);
        d->FormatAll();
        d->SetSelectionBounds(c.Select[0], c.Select[1], c.Select[2], c.Select[3]);
        std::vector<int> selected;
        int current = -1;
        Run(c.Name, [&] {
            Edit()->ApplyTextStyle(Bold);
            selected = Selection();
            current = Edit()->CurTextStyleNo();
        });
        EXPECT_EQ(Texts(), c.Texts);
        EXPECT_EQ(StylesOf(), c.Styles);
        EXPECT_EQ(selected, c.Selected);
        EXPECT_EQ(current, Bold);
    }
}

TEST_F(Styles, ConvertingBackJoinsThePiecesIntoTheOriginalItems)
{
    AddText("ab");
    AddText("cdef", Bold, -1);
    d->FormatAll();
    const AnsiString original = editinvariant::SaveRVF(*d);
    d->SetSelectionBounds(1, 2, 1, 4);
    Run("plain middle", [&] { Edit()->ApplyTextStyle(0); });
    EXPECT_EQ(Texts(), (Items{"ab", "c", "de", "f"}));
    d->SetSelectionBounds(2, 1, 2, 3);
    Run("bold again", [&] { Edit()->ApplyTextStyle(Bold); });
    EXPECT_EQ(Texts(), (Items{"ab", "cdef"}));
    EXPECT_TRUE(editinvariant::SaveRVF(*d) == original);
    d->SetSelectionBounds(1, 1, 1, 2);
    Run("plain head", [&] { Edit()->ApplyTextStyle(0); });
    EXPECT_EQ(Texts(), (Items{"abc", "def"})) << "the plain piece joins the plain item before it";
    d->SetSelectionBounds(0, 3, 0, 4);
    Run("bold tail", [&] { Edit()->ApplyTextStyle(Bold); });
    EXPECT_TRUE(editinvariant::SaveRVF(*d) == original);
}

TEST_F(Styles, TextBetweenEncodingsIsConvertedWithTheCodePageOfThe8BitStyle)
{
    const int latin2 = AddText([](TFontInfo* f) { f->SetCharset(EASTEUROPE_CHARSET); });
    AddText("\xE8"
            "aj a kola",
            latin2); // "c" with caron in code page 1250
    d->FormatAll();
    d->SetSelectionBounds(0, 1, 0, 4);
    Run("to Unicode", [&] { Edit()->ApplyTextStyle(Uni); });
    ASSERT_EQ(Texts(), (Items{"\xC4\x8D"
                              "aj",
                              " a kola"}));
    EXPECT_TRUE(d->GetItemOptions(0).Contains(rvioUnicode));
    d->SetSelectionBounds(0, 1, 0, 4);
    Run("back", [&] { Edit()->ApplyTextStyle(latin2); });
    EXPECT_EQ(Texts(), (Items{"\xE8"
                              "aj a kola"}));
    EXPECT_FALSE(d->GetItemOptions(0).Contains(rvioUnicode));
}

// A selection whose ends fall inside a character (a surrogate pair, or the
// bytes of one character of 8-bit text in a multi-byte code page) converts
// the whole character: no item is left holding half of one.
TEST_F(Styles, ConversionsNeverCutACharacter)
{
    SetACP(CP_UTF8);
    const int uniBold = AddText([](TFontInfo* f) {
        f->SetUnicode(true);
        f->SetStyle(TFontStyles{fsBold});
    });
    Edit()->OnStyleConversion = [](TCustomRollViewEdit*, int, int userData, bool, int& newStyleNo) {
        newStyleNo = userData;
    };
    // Offsets 2 and 3 (5 and 6) of "a👍z👍" hold the halves of a pair.
    const AnsiString up = "\xF0\x9F\x91\x8D";
    const AnsiString pairs = "a" + up + "z" + up;
    struct TCase {
        const char* Name;
        AnsiString Text;
        int StyleNo;
        int From, To;
        bool ByEvent; // ApplyStyleConversion instead of ApplyTextStyle
        int NewStyle;
        Items Texts;
        std::vector<int> Styles;
    };
    const int U = Uni;
    const int B = Bold;
    const std::vector<TCase> cases = {
        {"end inside a pair", pairs, U, 1, 3, false, uniBold, {"a" + up, "z" + up}, {uniBold, U}},
        {"start inside a pair", pairs, U, 3, 5, false, uniBold, {"a", up + "z", up}, {U, uniBold, U}},
        {"both inside, to 8-bit", pairs, U, 3, 6, false, B, {"a", up + "z" + up}, {U, B}},
        {"by the event", pairs, U, 2, 6, true, uniBold, {"a", up + "z" + up}, {U, uniBold}},
        {"8-bit multi-byte", "a\xC3\xA9z", 0, 1, 3, false, B, {"a\xC3\xA9", "z"}, {B, 0}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        d->Clear();
        AddText(c.Text, c.StyleNo);
        d->FormatAll();
        d->SetSelectionBounds(0, c.From, 0, c.To);
        Run(c.Name, [&] {
            if (c.ByEvent)
                Edit()->ApplyStyleConversion(c.NewStyle);
            else
                Edit()->ApplyTextStyle(c.NewStyle);
        });
        EXPECT_EQ(Texts(), c.Texts);
        EXPECT_EQ(StylesOf(), c.Styles);
    }
    SetACP(0);
}

TEST_F(Styles, TagsAreClearedUnlessTheOptionIsOff)
{
    for (bool clear : {true, false}) {
        SCOPED_TRACE(clear ? "cleared" : "kept");
        Edit()->SetEditorOptions(clear ? TRVEditorOptions{rvoClearTagOnStyleApp} : TRVEditorOptions{});
        d->Clear();
        AddText("abcdef");
        d->GetItem(0)->SetTag(TRVTag(7));
        d->FormatAll();
        d->SetSelectionBounds(0, 3, 0, 5);
        Run("middle", [&] { Edit()->ApplyTextStyle(Bold); });
        ASSERT_EQ(d->GetItemCount(), 3);
        EXPECT_EQ(d->GetItem(0)->GetTag(), TRVTag(7));
        EXPECT_EQ(d->GetItem(1)->GetTag(), clear ? TRVTag() : TRVTag(7));
        EXPECT_EQ(d->GetItem(2)->GetTag(), TRVTag(7));
    }
}

TEST_F(Styles, WithoutSelectionOnlyTheCurrentStyleChangesUnlessTheCaretIsInAnEmptyItem)
{
    AddText("abc");
    AddText("");
    d->FormatAll();
    Caret(0, 2);
    int events = 0;
    Edit()->OnCurTextStyleChanged = [&](TObject*) { ++events; };
    EXPECT_FALSE(Run("caret in text", [&] { Edit()->ApplyTextStyle(Bold); }));
    EXPECT_EQ(Edit()->CurTextStyleNo(), Bold);
    EXPECT_EQ(events, 1);
    EXPECT_EQ(d->UndoList->Count(), 0);
    Caret(1, 1);
    EXPECT_TRUE(Run("caret in an empty item", [&] { Edit()->ApplyTextStyle(Uni); }));
    EXPECT_EQ(StylesOf(), (std::vector<int>{0, Uni}));
    EXPECT_EQ(Edit()->CurTextStyleNo(), Uni);
}

TEST_F(Styles, ConversionsAskTheirEventsAndProtectedTextKeepsItsStyle)
{
    AddText("ab");
    AddText("cd", StyleProtected, -1);
    d->FormatAll();
    d->SetSelectionBounds(0, 1, 1, 3);
    Run("text style", [&] { Edit()->ApplyTextStyle(Bold); });
    EXPECT_EQ(StylesOf(), (std::vector<int>{Bold, StyleProtected}));
    // Without OnStyleConversion nothing happens; the event decides for every style.
    d->SetSelectionBounds(0, 1, 1, 3);
    EXPECT_FALSE(Run("no event", [&] { Edit()->ApplyStyleConversion(0); }));
    std::vector<std::pair<int, bool>> asked;
    Edit()->OnStyleConversion = [&](TCustomRollViewEdit* sender, int styleNo, int userData, bool toText,
                                    int& newStyleNo) {
        EXPECT_EQ(sender, Edit());
        EXPECT_EQ(userData, 42);
        asked.emplace_back(styleNo, toText);
        newStyleNo = styleNo == Bold ? 0 : Bold;
    };
    d->SetSelectionBounds(0, 1, 1, 3);
    Run("event", [&] { Edit()->ApplyStyleConversion(42); });
    EXPECT_EQ(StylesOf(), (std::vector<int>{0, Bold}));
    ASSERT_FALSE(asked.empty());
    EXPECT_FALSE(asked.front().second) << "the current style is asked first, not as text";
}

TEST_F(Styles, AParagraphStyleGoesToWholeParagraphs)
{
    AddText("first line");
    AddText("second line", 0, -1);
    d->GetItem(1)->SetBR(true);
    AddText("other", 0, ParaProtected);
    d->FormatAll();
    Caret(1, 4);
    Run("indent", [&] { Edit()->ApplyParaStyle(Indented); });
    EXPECT_EQ(d->GetItemPara(0), Indented) << "the line before the caret's is the same paragraph";
    EXPECT_EQ(d->GetItemPara(1), Indented);
    EXPECT_EQ(d->GetItemPara(2), ParaProtected);
    EXPECT_EQ(Edit()->CurParaStyleNo(), Indented);
    d->SetSelectionBounds(0, 1, 2, 3);
    Run("all", [&] { Edit()->ApplyParaStyle(0); });
    EXPECT_EQ(d->GetItemPara(2), ParaProtected) << "a style-protected paragraph keeps its style";
    Edit()->OnParaStyleConversion = [&](TCustomRollViewEdit*, int paraNo, int, bool toText, int& newParaNo) {
        EXPECT_FALSE(toText);
        newParaNo = paraNo == 0 ? Indented : paraNo;
    };
    d->SetSelectionBounds(0, 1, 2, 3);
    Run("conversion", [&] { Edit()->ApplyParaStyleConversion(0); });
    EXPECT_EQ(d->GetItemPara(0), Indented);
    EXPECT_EQ(d->GetItemPara(2), ParaProtected);
}

TEST_F(Styles, PageBreaks)
{
    AddText("abcdef");
    AddText("ghi", 0, -1);
    d->GetItem(1)->SetBR(true);
    d->FormatAll();
    Caret(0, 4);
    Run("inside a line", [&] { Edit()->InsertPageBreak(); });
    ASSERT_EQ(Texts(), (Items{"abc", "def", "ghi"}));
    EXPECT_TRUE(d->IsParaStart(1));
    EXPECT_TRUE(d->GetItem(1)->GetPageBreakBefore());
    Caret(2, 1);
    Run("at the start of a broken line", [&] { Edit()->InsertPageBreak(); });
    EXPECT_FALSE(d->GetItem(2)->GetBR());
    EXPECT_TRUE(d->GetItem(2)->GetPageBreakBefore());
    EXPECT_EQ(d->GetItemCount(), 3) << "no new paragraph at a line's start";
    // Removing works from anywhere in the line.
    Caret(1, 3);
    EXPECT_TRUE(Run("remove from inside the line", [&] { Edit()->RemoveCurrentPageBreak(); }));
    EXPECT_FALSE(d->GetItem(1)->GetPageBreakBefore());
    const int groups = d->UndoList->Count();
    EXPECT_FALSE(Run("nothing to remove", [&] { Edit()->RemoveCurrentPageBreak(); }));
    EXPECT_EQ(d->UndoList->Count(), groups);
}

TEST_F(Styles, ARefusedChangeAppliesNothing)
{
    AddText("abcdef");
    d->FormatAll();
    const AnsiString before = editinvariant::SaveRVF(*d);
    const std::vector<std::pair<const char*, std::function<void()>>> commands = {
        {"text style", [&] { Edit()->ApplyTextStyle(Bold); }},
        {"paragraph style", [&] { Edit()->ApplyParaStyle(Indented); }},
        {"list", [&] { Edit()->ApplyListStyle(0, 0, 1, false, false); }},
        {"page break", [&] { Edit()->InsertPageBreak(); }},
    };
    Edit()->OnChanging = [](TCustomRollViewEdit*, bool& can) { can = false; };
    for (const auto& [name, command] : commands) {
        SCOPED_TRACE(name);
        d->SetSelectionBounds(0, 2, 0, 4);
        command();
        EXPECT_TRUE(editinvariant::SaveRVF(*d) == before);
        EXPECT_EQ(d->UndoList->Count(), 0);
    }
}

} // namespace
