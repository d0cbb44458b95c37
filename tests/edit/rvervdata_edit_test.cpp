// Editing commands on small documents with exact results: inserting items,
// deleting selections, Enter, Delete and Backspace, the protection matrix.
// Every command runs through the editing invariant.
#include <gtest/gtest.h>

#include "platform/core/codepages.h"
#include "tests/support/editcommands.h"
#include "tests/support/editinvariant.h"
#include "tests/support/testeditdata.h"

namespace {

using Items = std::vector<AnsiString>;

class Editing : public TEditFixture {
protected:
    void Backspace(bool Ctrl = false)
    {
        Run("backspace", [&] { d->OnBackSpacePress_(Ctrl, false, false); });
    }
    void Delete()
    {
        Run("delete", [&] { d->OnDeletePress_(false, false); });
    }
};

TEST_F(Editing, PictureInsertedMidTextSplitsTheItemAndOneUndoJoinsIt)
{
    AddText("abcdef");
    d->FormatAll();
    Caret(0, 4);
    Run("picture", [&] { editcommands::InsertItem(*d, NewPicture()); });
    EXPECT_EQ(Texts(), (Items{"abc", "<-3>", "def"}));
    EXPECT_TRUE(d->GetItem(2)->GetSameAsPrev());
    EXPECT_EQ(CaretPos(), std::make_pair(1, 1));
    d->Undo();
    EXPECT_EQ(Texts(), (Items{"abcdef"}));
}

TEST_F(Editing, BreakInsertedMidParagraphStartsANewParagraphAfterIt)
{
    AddText("abcdef", 0, Indented);
    d->FormatAll();
    Caret(0, 3);
    Run("break", [&] { editcommands::InsertItem(*d, new TRVBreakItemInfo(d, 1, rvbsLine, clNone)); });
    ASSERT_EQ(Texts(), (Items{"ab", "<-1>", "cdef"}));
    EXPECT_TRUE(d->GetItem(2)->CanBeBorderStart());
    EXPECT_EQ(d->GetItemPara(1), 0);
}

TEST_F(Editing, DeleteAcrossParagraphsJoinsThem)
{
    AddText("first line");
    AddText("second line");
    d->FormatAll();
    Run("delete selection", [&] { editcommands::DeleteRange(*d, 0, 6, 1, 8); });
    EXPECT_EQ(Texts(), (Items{"firstline"}));
    EXPECT_EQ(CaretPos(), std::make_pair(0, 6));
}

TEST_F(Editing, DeletingAWholeParagraphLeavesOneEmptyItem)
{
    AddText("one");
    AddText("two", 0, Indented);
    AddPicture(-1);
    AddText("three");
    d->FormatAll();
    Run("delete selection", [&] { editcommands::DeleteRange(*d, 1, 1, 2, 1); });
    EXPECT_EQ(Texts(), (Items{"one", "", "three"}));
    EXPECT_EQ(d->GetItemPara(1), Indented);
    EXPECT_EQ(CaretPos(), std::make_pair(1, 1));
}

TEST_F(Editing, EnterAndShiftEnter)
{
    AddText("abcdef");
    d->FormatAll();
    Caret(0, 4);
    Run("shift+enter", [&] { d->OnEnterPress_(true); });
    ASSERT_EQ(Texts(), (Items{"abc", "def"}));
    EXPECT_TRUE(d->GetItem(1)->GetBR());
    Caret(1, 4);
    Run("enter", [&] { d->OnEnterPress_(false); });
    ASSERT_EQ(Texts(), (Items{"abc", "def", ""}));
    EXPECT_TRUE(d->GetItem(2)->CanBeBorderStart());
    EXPECT_EQ(CaretPos(), std::make_pair(2, 1));
}

TEST_F(Editing, EnterInANumberedParagraphCopiesItsMarker)
{
    AddNumbered("first");
    d->FormatAll();
    Caret(1, 6);
    Run("enter at the end", [&] { d->OnEnterPress_(false); });
    ASSERT_EQ(Texts(), (Items{"<-11>", "first", "<-11>", ""}));
    EXPECT_EQ(CaretPos(), std::make_pair(3, 1));
    Caret(1, 3);
    Run("enter inside", [&] { d->OnEnterPress_(false); });
    ASSERT_EQ(Texts(), (Items{"<-11>", "fi", "<-11>", "rst", "<-11>", ""}));
    EXPECT_TRUE(d->GetItem(3)->GetSameAsPrev());
    // Backspace at the start of a numbered paragraph removes its marker only.
    Caret(3, 1);
    Run("backspace", [&] { d->OnBackSpacePress_(false, false, false); });
    EXPECT_EQ(Texts(), (Items{"<-11>", "fi", "rst", "<-11>", ""}));
    EXPECT_TRUE(d->GetItem(2)->CanBeBorderStart());
    // Delete at the end of a paragraph before a numbered one joins its text.
    Caret(2, 4);
    Run("delete", [&] { d->OnDeletePress_(false, false); });
    EXPECT_EQ(Texts(), (Items{"<-11>", "fi", "rst"}));
}

TEST_F(Editing, EnterRefusedWhereTheParagraphWantsNoReturns)
{
    AddText("abc", 0, NoReturns);
    d->FormatAll();
    Caret(0, 2);
    Run("enter", [&] { d->OnEnterPress_(false); });
    EXPECT_EQ(Texts(), (Items{"abc"}));
    EXPECT_EQ(Editor.Beeps(), 1);
}

struct TCharCase {
    const char* Name;
    const char* Utf8;
    int Style; // 0: 8-bit, 1: Unicode
    int CaretAfter;
    const char* Left;
};

class WholeCharacters : public Editing, public ::testing::WithParamInterface<TCharCase> {};

// A surrogate pair, an emoji joined by a zero-width joiner, a combining mark
// and a multi-byte character of an 8-bit item go whole on both keys.
TEST_P(WholeCharacters, BothKeysRemoveTheWholeCharacter)
{
    const TCharCase& c = GetParam();
    SetACP(CP_UTF8);
    AddText(c.Utf8, c.Style ? Uni : 0);
    d->FormatAll();
    Caret(0, c.CaretAfter);
    Backspace();
    EXPECT_EQ(Text(0), c.Left);
    d->Undo();
    Caret(0, 2);
    Delete();
    EXPECT_EQ(Text(0), c.Left);
    SetACP(0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WholeCharacters,
    ::testing::Values(TCharCase{"SurrogatePair", "a\xF0\x9F\x98\x80z", 1, 4, "az"},
                      TCharCase{"JoinedEmoji", "a\xF0\x9F\x91\xA9\xE2\x80\x8D\xF0\x9F\x92\xBBz", 1, 7, "az"},
                      TCharCase{"CombiningMark", "ae\xCC\x81z", 1, 4, "az"},
                      TCharCase{"Utf8In8BitItem", "a\xC3\xA9z", 0, 4, "az"}),
    [](const auto& i) { return std::string(i.param.Name); });

TEST_F(Editing, ASelectionEndingInsideACharacterDeletesItWhole)
{
    AddText("a\xF0\x9F\x98\x80z\xF0\x9F\x98\x80", Uni);
    d->FormatAll();
    // From inside the first pair to inside the second: both pairs go whole.
    Run("delete selection", [&] { editcommands::DeleteRange(*d, 0, 3, 0, 6); });
    EXPECT_EQ(Text(0), "a");
}

struct TWordCase {
    const char* Text;
    const char* Left;
};

class CtrlBackspace : public Editing, public ::testing::WithParamInterface<TWordCase> {};

TEST_P(CtrlBackspace, DeletesTheWordBeforeTheCaretWithItsSpaces)
{
    AddText(GetParam().Text);
    AddText("next");
    d->FormatAll();
    Caret(0, d->GetOffsAfterItem(0));
    Backspace(true);
    EXPECT_EQ(Texts(), (Items{GetParam().Left, "next"}));
}

INSTANTIATE_TEST_SUITE_P(Words, CtrlBackspace,
                         ::testing::Values(TWordCase{"abc def", "abc "}, TWordCase{"abc ", ""}));

TEST_F(Editing, BackspaceAndDeleteAtTheDocumentsEdgesDoNothing)
{
    AddText("abc");
    d->FormatAll();
    Caret(0, 1);
    Backspace();
    Caret(0, 4);
    Delete();
    EXPECT_EQ(Texts(), (Items{"abc"}));
}

TEST_F(Editing, BackspaceJoinsParagraphsAndDeletingTheLastCharacterKeepsAnEmptyItem)
{
    AddText("abc");
    AddText("def", 0, Indented);
    AddText("x");
    d->FormatAll();
    Caret(1, 1);
    Backspace();
    EXPECT_EQ(Texts(), (Items{"abcdef", "x"}));
    EXPECT_EQ(CaretPos(), std::make_pair(0, 4));
    Caret(1, 2);
    Backspace();
    EXPECT_EQ(Texts(), (Items{"abcdef", ""}));
    EXPECT_TRUE(d->GetItem(1)->CanBeBorderStart());
    Delete(); // an empty last paragraph goes as with Backspace
    EXPECT_EQ(Texts(), (Items{"abcdef"}));
}

TEST_F(Editing, BackspaceAtAPageBreakRemovesOnlyTheBreak)
{
    AddText("abc");
    AddText("def");
    d->GetItem(1)->SetPageBreakBefore(true);
    d->FormatAll();
    Caret(1, 1);
    Backspace();
    EXPECT_EQ(Texts(), (Items{"abc", "def"}));
    EXPECT_FALSE(d->GetItem(1)->GetPageBreakBefore());
}

// Protection: each row a document, a caret or selection, a key; whether the
// document changed and whether the refusal beeped.
struct TProtectionCase {
    const char* Name;
    std::function<void(Editing&)> Build;
    std::function<void(Editing&)> Command;
    bool Changes;
};

class Protection : public Editing, public ::testing::WithParamInterface<TProtectionCase> {
public:
    using Editing::AddText;
    using Editing::Caret;
    using Editing::d;
    // Style roles of the table below: 0 the default style, M, D, S the
    // modify-, delete- and paragraph-start-protected text styles, R the
    // read-only paragraph style; -1 a text item continuing the line.
    int Resolve(int Role) const
    {
        switch (Role) {
        case 'M':
            return ModifyProtected;
        case 'D':
            return DeleteProtected;
        case 'S':
            return StartProtected;
        case 'R':
            return ReadOnlyPara;
        default:
            return Role;
        }
    }
    // A Unicode text style with the given protection.
    int UnicodeProtected(TRVProtectOption option)
    {
        TFontInfo* font = Style.TextStyles()->Add();
        font->SetUnicode(true);
        font->SetProtection(TRVProtectOptions{option});
        return Style.TextStyles()->Count() - 1;
    }
};

TEST_P(Protection, Matrix)
{
    const TProtectionCase& c = GetParam();
    c.Build(*this);
    d->FormatAll();
    const AnsiString Before = editinvariant::SaveRVF(*d);
    Run(c.Name, [&] { c.Command(*this); });
    EXPECT_EQ(editinvariant::SaveRVF(*d) != Before, c.Changes);
    EXPECT_EQ(Editor.Beeps() > 0, !c.Changes);
}

auto Two(int StyleA, int ParaA, int StyleB, int ParaB)
{
    return [=](Editing& e) {
        auto& p = static_cast<Protection&>(e);
        p.AddText("abc", p.Resolve(StyleA), p.Resolve(ParaA));
        p.AddText("def", p.Resolve(StyleB), p.Resolve(ParaB));
    };
}
// "x", a face (a surrogate pair) in a protected Unicode style, "y" on one line.
auto Face(TRVProtectOption option)
{
    return [=](Editing& e) {
        auto& p = static_cast<Protection&>(e);
        const int style = p.UnicodeProtected(option);
        p.AddText("x");
        p.AddText("\xF0\x9F\x98\x80", style, -1);
        p.AddText("y", 0, -1);
    };
}
auto CaretAt(int ItemNo, int Offs, std::function<void(TRVEditRVData&)> Key)
{
    return [=](Editing& e) {
        auto& p = static_cast<Protection&>(e);
        p.Caret(ItemNo, Offs);
        Key(*p.d);
    };
}
auto Sel(int a, int oa, int b, int ob)
{
    return [=](Editing& e) { editcommands::DeleteRange(*static_cast<Protection&>(e).d, a, oa, b, ob); };
}
void Bs(TRVEditRVData& d)
{
    d.OnBackSpacePress_(false, false, false);
}
void Del(TRVEditRVData& d)
{
    d.OnDeletePress_(false, false);
}
void Ent(TRVEditRVData& d)
{
    d.OnEnterPress_(false);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Protection,
    ::testing::Values(
        TProtectionCase{"ModifyProtectedBackspace", Two('M', 0, 0, 0), CaretAt(0, 3, Bs), false},
        TProtectionCase{"ModifyProtectedWholeItem", Two(0, 0, 'M', -1), Sel(1, 1, 1, 4), true},
        TProtectionCase{"ModifyProtectedPartOfItem", Two(0, 0, 'M', -1), Sel(1, 1, 1, 3), false},
        TProtectionCase{"DeleteProtectedInnerItem",
                        [](Editing& e) {
                            auto& p = static_cast<Protection&>(e);
                            p.AddText("a");
                            p.AddText("b", p.Resolve('D'), -1);
                            p.AddText("c", 0, -1);
                        },
                        Sel(0, 1, 2, 2), false},
        TProtectionCase{"DeleteProtectedPartOfItem", Two('D', 0, 0, 0), Sel(0, 2, 0, 3), true},
        // A selection that ends inside a character takes all of it: what is
        // checked is what goes.
        TProtectionCase{"DeleteProtectedCharacterCutInside", Face(rvprDeleteProtect), Sel(0, 1, 1, 2), false},
        TProtectionCase{"ModifyProtectedCharacterCutInside", Face(rvprModifyProtect), Sel(1, 1, 1, 2), true},
        TProtectionCase{"ParaStartProtectedJoin", Two(0, 0, 'S', 0), CaretAt(1, 1, Bs), false},
        TProtectionCase{"ReadOnlyParagraphBackspace", Two(0, 'R', 0, 0), CaretAt(0, 3, Bs), false},
        TProtectionCase{"ReadOnlyParagraphDelete", Two(0, 0, 0, 'R'), CaretAt(0, 4, Del), false},
        TProtectionCase{"ReadOnlyParagraphEnterInside", Two(0, 'R', 0, 0), CaretAt(0, 2, Ent), false},
        TProtectionCase{"ReadOnlyParagraphEnterAtItsEnd", Two(0, 'R', 0, 0), CaretAt(0, 4, Ent), true},
        TProtectionCase{"SelectionFromReadOnlyParagraphStart", Two(0, 'R', 0, 0), Sel(0, 1, 1, 2), true},
        TProtectionCase{"SelectionFromInsideReadOnlyParagraph", Two(0, 'R', 0, 0), Sel(0, 2, 1, 2), false},
        TProtectionCase{"SelectionInsideReadOnlyParagraph", Two(0, 'R', 0, 0), Sel(0, 2, 0, 3), false},
        // Made from the end back, so that the caret (at the moving end) is not
        // in the read-only paragraph.
        TProtectionCase{"SelectionEndingAtReadOnlyParagraphEnd", Two(0, 0, 0, 'R'), Sel(1, 4, 0, 2), true},
        TProtectionCase{"CaretInReadOnlyParagraph", Two(0, 0, 0, 'R'), Sel(0, 2, 1, 4), false},
        TProtectionCase{"SelectionEndingInsideReadOnlyParagraph", Two(0, 0, 0, 'R'), Sel(0, 2, 1, 3), false}),
    [](const auto& i) { return std::string(i.param.Name); });

} // namespace
