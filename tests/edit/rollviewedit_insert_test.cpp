// Items and strings a program puts at the caret through the editor control:
// each replaces the selection, asks OnChanging, fires OnChange, is one undo
// group (the editing invariant around it), and an item the editor refuses is
// freed.
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "document/rvitem_pictures.h"
#include "document/rvuni.h"
#include "platform/controls/controls.h"
#include "platform/graphics/bitmap.h"
#include "tests/support/editinvariant.h"
#include "tests/support/testeditdata.h"

namespace {

// A break that counts the instances alive, to see that refused items go.
class TCountedBreak : public TRVBreakItemInfo {
public:
    explicit TCountedBreak(TCustomRVData* rvData) : TRVBreakItemInfo(rvData, 1, rvbsLine, clNone) { ++Alive; }
    ~TCountedBreak() override { --Alive; }
    static int Alive;
};
int TCountedBreak::Alive = 0;

class TCountedBox : public TCustomControl {
public:
    TCountedBox() : TCustomControl(nullptr) { ++Alive; }
    ~TCountedBox() override { --Alive; }
    static int Alive;
};
int TCountedBox::Alive = 0;

class InsertApi : public TEditFixture {
protected:
    InsertApi()
    {
        Edit()->OnChanging = [this](TCustomRollViewEdit*, bool& canEdit) {
            ++Asked;
            canEdit = Allow;
        };
        Edit()->OnChange = [this](TObject*) { ++Changes; };
    }
    // "abcdef" with "bcd" selected.
    void LoadSelected()
    {
        AddText("abcdef");
        d->FormatAll();
        Caret(0, 1);
        d->SetSelectionBounds(0, 2, 0, 5);
        Edit()->Modified = false;
        Asked = 0;
        Changes = 0;
    }
    bool Allow = true;
    int Asked = 0;
    int Changes = 0;
};

TBitmap* NewBitmap()
{
    auto* bitmap = new TBitmap;
    bitmap->SetSize(12, 8);
    return bitmap;
}

// Each insertion, and the item-type code of what replaces the selection.
const std::vector<std::tuple<const char*, int, std::function<void(TCustomRollViewEdit*)>>> Insertions{
    {"break", rvsBreak, [](TCustomRollViewEdit* e) { e->InsertBreak(2, rvbsLine, clRed); }},
    {"bullet", rvsBullet, [](TCustomRollViewEdit* e) { e->InsertBullet(0, nullptr); }},
    {"hotspot", rvsHotspot, [](TCustomRollViewEdit* e) { e->InsertHotspot(0, 1, nullptr); }},
    {"hot picture", rvsHotPicture,
     [](TCustomRollViewEdit* e) { e->InsertHotPicture("pic", NewBitmap(), rvvaBaseline); }},
    {"control", rvsComponent,
     [](TCustomRollViewEdit* e) { e->InsertControl("box", new TCustomControl(nullptr), rvvaBaseline); }},
    {"item", rvsPicture,
     [](TCustomRollViewEdit* e) {
         EXPECT_TRUE(e->InsertItem("p", new TRVGraphicItemInfo(e->EditRVData(), NewBitmap(), rvvaBaseline)));
     }},
    {"string", 0, [](TCustomRollViewEdit* e) { e->InsertStringTag("XY", TRVTag()); }},
    {"wide string", 0, [](TCustomRollViewEdit* e) { e->InsertStringWTag(u"XY", TRVTag()); }},
};

TEST_F(InsertApi, EachInsertionReplacesTheSelectionAsOneChange)
{
    for (const auto& [name, itemType, insert] : Insertions) {
        SCOPED_TRACE(name);
        Edit()->Clear();
        LoadSelected();
        const int groups = d->UndoList->Count();
        Run(name, [&, &insert = insert] { insert(Edit()); });
        // After the invariant's undo and redo the edited document stands.
        EXPECT_EQ(Asked, 1) << "OnChanging is asked once";
        EXPECT_GE(Changes, 1);
        EXPECT_TRUE(Edit()->Modified);
        EXPECT_EQ(d->UndoList->Count(), groups + 1) << "deleting and inserting are one group";
        EXPECT_FALSE(d->SelectionExists(true, false));
        ASSERT_GE(d->GetItemCount(), 2);
        EXPECT_EQ(Text(0), "a");
        EXPECT_EQ(d->GetItemStyle(1), itemType);
        EXPECT_EQ(Text(d->GetItemCount() - 1), "ef");
        d->Undo();
        EXPECT_EQ(Texts(), (std::vector<AnsiString>{"abcdef"}));
    }
}

TEST_F(InsertApi, RefusedInsertionsChangeNothingAndFreeTheItem)
{
    const std::vector<std::pair<const char*, std::function<void()>>> refusals{
        {"OnChanging", [&] { Allow = false; }},
        {"read-only", [&] { Edit()->SetReadOnly(true); }},
    };
    for (const auto& [name, refuse] : refusals) {
        SCOPED_TRACE(name);
        Edit()->Clear();
        LoadSelected();
        Allow = true;
        Edit()->SetReadOnly(false);
        const AnsiString before = editinvariant::SaveRVF(*d);
        refuse();
        const int alive = TCountedBreak::Alive;
        EXPECT_FALSE(Edit()->InsertItem("", new TCountedBreak(d)));
        EXPECT_EQ(TCountedBreak::Alive, alive) << "the refused item is freed";
        const int boxes = TCountedBox::Alive;
        Edit()->InsertControl("", new TCountedBox, rvvaBaseline);
        EXPECT_EQ(TCountedBox::Alive, boxes) << "so is a refused control";
        Edit()->InsertStringTag("x", TRVTag());
        Edit()->InsertBreak(1, rvbsLine, clNone);
        EXPECT_TRUE(editinvariant::SaveRVF(*d) == before);
        EXPECT_EQ(Changes, 0);
        EXPECT_FALSE(Edit()->Modified);
        EXPECT_EQ(d->UndoList->CurrentUndoType(), rvutNone);
    }
    Allow = true;
    Edit()->SetReadOnly(false);
    // The document refuses it (a read-only paragraph): freed as well.
    Edit()->Clear();
    AddText("locked", 0, ReadOnlyPara);
    d->FormatAll();
    Caret(0, 3);
    const int alive = TCountedBreak::Alive;
    EXPECT_FALSE(Edit()->InsertItem("", new TCountedBreak(d)));
    EXPECT_EQ(TCountedBreak::Alive, alive);
}

// A picture put into an empty text item while the current paragraph style is
// another one (a program chose it, or a layout placed the caret keeping the
// styles): the paragraph keeps one style. After a list marker the picture
// takes the marker's paragraph's; at the start of a paragraph the whole
// paragraph takes the current one, as a paragraph of the empty text alone does.
TEST_F(InsertApi, AnItemInAnEmptyTextLeavesItsParagraphOfOneStyle)
{
    struct TCase {
        const char* Name;
        std::function<void()> Build;
        int EmptyItem;
        std::vector<int> Paras; // of the items after the insertion
    };
    const std::vector<TCase> cases{
        {"after a list marker", [&] { AddNumbered(""); }, 1, {0, 0}},
        {"starting a paragraph that goes on",
         [&] {
             AddText("");
             AddPicture(-1);
         },
         0,
         {Indented, Indented}},
        {"a paragraph alone", [&] { AddText(""); }, 0, {Indented}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        Edit()->Clear();
        c.Build();
        d->FormatAll();
        Caret(c.EmptyItem, 1);
        Edit()->SetCurParaStyleNo(Indented);
        Run("picture", [&] { Edit()->InsertItem("", NewPicture()); });
        std::vector<int> paras;
        for (int i = 0; i < d->GetItemCount(); ++i)
            paras.push_back(d->GetItemPara(i));
        EXPECT_EQ(paras, c.Paras);
        EXPECT_EQ(d->GetItemStyle(c.EmptyItem), rvsPicture);
    }
}

TEST_F(InsertApi, StringTagTakesTheCurrentStyleTagAndTabSpaces)
{
    Style.SetSpacesInTab(3);
    AddText("ab", Uni);
    d->FormatAll();
    Caret(0, 2);
    ASSERT_EQ(Edit()->CurTextStyleNo(), Uni);
    Run("string", [&] { Edit()->InsertStringTag("x\ty", TRVTag(7)); });
    ASSERT_EQ(d->GetItemCount(), 3);
    EXPECT_EQ(Texts(), (std::vector<AnsiString>{"a", "x   y", "b"}));
    EXPECT_EQ(d->GetItemStyle(1), Uni);
    EXPECT_TRUE(d->GetItemOptions(1).Contains(rvioUnicode)) << "converted for the Unicode style";
    EXPECT_EQ(d->GetItem(1)->GetTag().AsInteger(), 7) << "the tag given, not the neighbour's";
}

TEST_F(InsertApi, WideStringSwitchesToTheDefaultUnicodeStyleOrConverts)
{
    AddText("ab");
    d->FormatAll();
    Caret(0, 3);
    Run("8-bit", [&] { Edit()->InsertStringWTag(u"\tz", TRVTag()); });
    EXPECT_EQ(Texts(), (std::vector<AnsiString>{"ab", "        z"}));
    EXPECT_FALSE(d->GetItemOptions(1).Contains(rvioUnicode)) << "converted to the 8-bit style";

    Style.SetDefUnicodeStyle(Uni);
    Caret(1, 10);
    Run("unicode", [&] { Edit()->InsertStringWTag(u"\u0416", TRVTag()); });
    EXPECT_EQ(Edit()->CurTextStyleNo(), Uni);
    ASSERT_EQ(d->GetItemCount(), 3);
    EXPECT_EQ(d->GetItemStyle(2), Uni);
    EXPECT_EQ(Text(2), "\xD0\x96");
}

TEST_F(InsertApi, TextWUnderscoreTakesUtf16BytesAndCurItemStyleTheCaretsItem)
{
    AddText("ab", Uni);
    d->FormatAll();
    Caret(0, 2);
    Run("text", [&] { EXPECT_TRUE(Edit()->InsertTextW_(RVU_GetRawUnicode(u"\u00e9"))); });
    EXPECT_EQ(Texts(), (std::vector<AnsiString>{"a\xC3\xA9"
                                                "b"}));
    EXPECT_EQ(Edit()->GetCurItemStyle(), Uni);
    Edit()->InsertItem("p", NewPicture());
    EXPECT_EQ(Edit()->GetCurItemStyle(), rvsPicture);
}

} // namespace

// An empty text item that continues a paragraph (the line a numbered
// paragraph keeps before a break, a line after a line break): what goes into
// it takes that paragraph's style, whatever the current paragraph style says,
// for a paragraph has one style. An empty paragraph takes the current style.
TEST_F(InsertApi, ItemInAnEmptyLineTakesItsParagraphsStyle)
{
    const std::vector<std::pair<const char*, std::function<void()>>> insertions{
        {"text", [&] { Edit()->InsertTextW(u"w \U0001F44D\U0001F3FD"); }},
        {"bullet", [&] { Edit()->InsertBullet(0, nullptr); }},
        {"picture", [&] { Edit()->InsertItem("p", NewPicture()); }},
    };
    // Each document, the item of its empty line and the style the line's paragraph ends with.
    const std::vector<std::tuple<const char*, std::function<void()>, int, int>> lines{
        {"after a marker",
         [&] {
             AddNumbered("abc");
             d->FormatAll();
             Edit()->SelectAll();
             Run("break", [&] { Edit()->InsertBreak(1, rvbsLine, clNone); });
             ASSERT_EQ(Texts(), (std::vector<AnsiString>{"<-11>", "", "<-1>"}));
             Caret(0, 1);
         },
         1, 0},
        {"after a line break",
         [&] {
             AddText("abc");
             d->FormatAll();
             Caret(0, 4);
             Run("shift+enter", [&] { d->OnEnterPress_(true); });
             ASSERT_EQ(Texts(), (std::vector<AnsiString>{"abc", ""}));
         },
         1, 0},
        {"empty paragraph",
         [&] {
             AddText("abc");
             AddText("");
             d->FormatAll();
             Caret(1, 1);
         },
         1, Indented},
    };
    for (const auto& [lineName, build, itemNo, paraNo] : lines) {
        for (const auto& [name, insert] : insertions) {
            SCOPED_TRACE(std::string(lineName) + ", " + name);
            Edit()->Clear();
            build();
            ASSERT_EQ(d->GetCurItemNo(), itemNo);
            Edit()->SetCurParaStyleNo(Indented);
            Run(name, insert);
            ASSERT_GT(d->GetItemCount(), itemNo);
            for (int i = itemNo - 1; i <= itemNo; ++i)
                EXPECT_EQ(d->GetItemPara(i), i == itemNo ? paraNo : 0) << "item " << i;
        }
    }
}
