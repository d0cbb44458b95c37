// The editor control's focus and keyboard-language messages, and a cleared
// editor: losing the focus (and when the document says the loss is none of
// its concern), the current text style following the keyboard's language,
// and Modified after Clear.
#include <gtest/gtest.h>

#include "document/rvstyle_text.h"
#include "platform/controls/inputlang.h"
#include "tests/support/testeditdata.h"

namespace {

class EditorFocus : public TEditFixture {};

TEST_F(EditorFocus, ClearLeavesTheEditorUnmodified)
{
    AddText("abc");
    d->FormatAll();
    Caret(0, 4);
    Edit()->InsertStringTag("d", TRVTag());
    ASSERT_TRUE(Edit()->Modified);
    Edit()->Clear();
    EXPECT_FALSE(Edit()->Modified);
    EXPECT_EQ(d->UndoList->CurrentUndoType(), rvutNone);
}

TEST_F(EditorFocus, LosingTheFocusClearsHyperlinksUnlessTheDocumentSaysOtherwise)
{
    const int link = AddText([](TFontInfo* f) { f->SetJump(true); });
    AddText("see ");
    AddText("here", link, -1);
    d->FormatAll();
    Caret(0, 2);
    for (const bool quiet : {true, false}) {
        SCOPED_TRACE(quiet ? "focus moves within the document" : "focus leaves");
        Editor.SetFocused(true);
        d->BuildJumpsCoords(true);
        ASSERT_TRUE(d->GetFlags().Contains(rvflUseJumps));
        d->State.Set(rvstNoKillFocusEvents, quiet);
        Editor.SetFocused(false);
        EXPECT_EQ(d->GetFlags().Contains(rvflUseJumps), quiet);
        EXPECT_EQ(d->Jumps.Count(), quiet ? 1 : 0);
    }
    d->State.Exclude(rvstNoKillFocusEvents);
}

class KeyboardLanguage : public TEditFixture {
protected:
    KeyboardLanguage()
    {
        TFontInfo* first = Style.TextStyles()->Items(0);
        first->SetFontName("Sans");
        first->SetSize(11);
        Edit()->OnCurTextStyleChanged = [this](TObject*) { ++StyleEvents; };
        AddText("abc");
        d->FormatAll();
        Caret(0, 2);
        StyleEvents = 0;
    }
    LRESULT Switch(TFontCharset charset) { return Edit()->Perform(WM_INPUTLANGCHANGE, charset, 0); }
    int StyleEvents = 0;
};

TEST_F(KeyboardLanguage, TheNearestStyleOfTheLanguageOrANonStandardCopy)
{
    Edit()->SetEditorOptions(TRVEditorOptions{rvoAutoSwitchLang});
    TFontInfo* greek = Style.TextStyles()->Add();
    greek->Assign(Style.TextStyles()->Items(0));
    greek->SetCharset(GREEK_CHARSET);
    const int greekNo = Style.TextStyles()->Count() - 1;
    const int copyNo = greekNo + 1;
    EXPECT_EQ(Switch(RUSSIAN_CHARSET), 1);
    ASSERT_EQ(Style.TextStyles()->Count(), copyNo + 1);
    const TFontInfo* copy = Style.TextStyles()->Items(copyNo);
    EXPECT_EQ(Edit()->CurTextStyleNo(), copyNo);
    EXPECT_EQ(StyleEvents, 1);
    EXPECT_EQ(copy->Charset(), RUSSIAN_CHARSET);
    EXPECT_FALSE(copy->Standard());
    EXPECT_EQ(copy->FontName(), "Sans");
    EXPECT_EQ(copy->Size(), 11);
    // Styles of a language are found, not made again.
    EXPECT_EQ(Switch(GREEK_CHARSET), 1);
    EXPECT_EQ(Edit()->CurTextStyleNo(), greekNo);
    Switch(RUSSIAN_CHARSET);
    EXPECT_EQ(Edit()->CurTextStyleNo(), copyNo);
    EXPECT_EQ(Style.TextStyles()->Count(), copyNo + 1);
}

TEST_F(KeyboardLanguage, NothingChangesWithoutTheOptionForAUnicodeStyleOrAnEmptyDocument)
{
    const int count = Style.TextStyles()->Count();
    EXPECT_EQ(Switch(RUSSIAN_CHARSET), 0);
    EXPECT_EQ(Edit()->CurTextStyleNo(), 0);
    Edit()->SetEditorOptions(TRVEditorOptions{rvoAutoSwitchLang});
    Edit()->SetCurTextStyleNo(Uni);
    EXPECT_EQ(Switch(HEBREW_CHARSET), 0);
    EXPECT_EQ(Edit()->CurTextStyleNo(), Uni);
    Edit()->Clear();
    EXPECT_EQ(Switch(HEBREW_CHARSET), 0);
    EXPECT_EQ(Edit()->CurTextStyleNo(), 0);
    EXPECT_EQ(Style.TextStyles()->Count(), count);
}

TEST_F(KeyboardLanguage, ThePlatformsNoticeReachesTheFocusedEditor)
{
    Edit()->SetEditorOptions(TRVEditorOptions{rvoAutoSwitchLang});
    const int count = Style.TextStyles()->Count();
    InputLanguageChanged(THAI_CHARSET);
    EXPECT_EQ(Edit()->CurTextStyleNo(), count);
    EXPECT_EQ(Style.TextStyles()->Items(count)->Charset(), THAI_CHARSET);
    // Typed 8-bit text takes the new style.
    Edit()->InsertStringTag("x", TRVTag());
    EXPECT_EQ(d->GetItemStyle(d->GetCurItemNo()), count);
}

} // namespace
