// The editor control with a cell editor open over a table cell: items and
// strings a program inserts go into the cell, Unicode text whole, and the
// cell editor losing the focus ends the holder's hyperlink mode.
#include <gtest/gtest.h>

#include "document/rvstyle.h"
#include "document/rvstyle_text.h"
#include "document/rvuni.h"
#include "table/rvtinplace.h"
#include "tests/support/editinvariant.h"
#include "tests/support/tablegrid.h"

namespace {

class CellEditorForwarding : public TTableEditFixture {
protected:
    TRVTableInplaceEdit* OpenCell(int row, int col)
    {
        NewTable(1, 2);
        Table->EditCell(row, col);
        int r = -1;
        int c = -1;
        TRVTableInplaceEdit* editor = Table->GetEditedCell(r, c);
        if (editor)
            editor->EditRVData()->SetCaretAtItem(0, 4, false);
        return editor;
    }
};

TEST_F(CellEditorForwarding, InsertedItemsAndStringsGoIntoTheCell)
{
    TRVTableInplaceEdit* editor = OpenCell(0, 1);
    ASSERT_NE(editor, nullptr);
    TRVEditRVData* cell = editor->EditRVData();
    Editor.Edit->InsertStringTag("s", TRVTag(5));
    Editor.Edit->InsertBreak(1, rvbsLine, clNone);
    EXPECT_TRUE(Editor.Edit->InsertItem("b", new TRVBulletItemInfo(cell, 0, nullptr, rvvaBaseline)));
    EXPECT_EQ(Editor.Edit->GetCurItemStyle(), rvsBullet);
    ASSERT_EQ(cell->GetItemCount(), 4);
    EXPECT_EQ(cell->GetItemText(1), "s");
    EXPECT_EQ(cell->GetItem(1)->GetTag().AsInteger(), 5);
    EXPECT_EQ(cell->GetItemStyle(2), rvsBreak);
    EXPECT_EQ(cell->GetItemStyle(3), rvsBullet);
    EXPECT_EQ(d->GetItemCount(), 3) << "the holder's own items stay as they were";
    EXPECT_EQ(std::string(d->GetItemText(0)), "before");
}

TEST_F(CellEditorForwarding, AProgramPutsATableIntoTheEditorAsOneChange)
{
    AddText("abcd");
    d->FormatAll();
    Caret(0, 3);
    int changes = 0;
    Editor.Edit->OnChange = [&](TObject*) { ++changes; };
    const int groups = d->UndoList->Count();
    editinvariant::Run(*d, "table", [&] {
        auto* table = new TRVTableItemInfo(2, 3, d);
        EXPECT_TRUE(Editor.Edit->InsertItem("t", table));
    });
    EXPECT_GE(changes, 1);
    EXPECT_EQ(d->UndoList->Count(), groups + 1);
    ASSERT_EQ(d->GetItemCount(), 3);
    EXPECT_EQ(std::string(d->GetItemText(0)), "ab");
    EXPECT_NE(dynamic_cast<TRVTableItemInfo*>(d->GetItem(1)), nullptr);
    EXPECT_EQ(std::string(d->GetItemText(2)), "cd");
}

// The cell editor takes UTF-16 text as it is: through an 8-bit string it
// would lose what the code page lacks and the switch to the Unicode style.
TEST_F(CellEditorForwarding, WideStringsReachTheCellWhole)
{
    Style.TextStyles()->Add()->SetUnicode(true);
    const int uni = Style.TextStyles()->Count() - 1;
    Style.SetDefUnicodeStyle(uni);
    TRVTableInplaceEdit* editor = OpenCell(0, 0);
    ASSERT_NE(editor, nullptr);
    Editor.Edit->InsertStringWTag(u"\u0416\u03A9", TRVTag());
    TRVEditRVData* cell = editor->EditRVData();
    const int itemNo = cell->GetCurItemNo();
    EXPECT_EQ(cell->GetItemStyle(itemNo), uni);
    EXPECT_TRUE(RVU_RawUnicodeToWideString(cell->GetItemText(itemNo)) == u"\u0416\u03A9");
}

// A text style applied through the holder to a selection in the cell being
// edited whose end falls inside a surrogate pair converts the whole pair.
TEST_F(CellEditorForwarding, ATextStyleInACellNeverCutsACharacter)
{
    Style.TextStyles()->Add()->SetUnicode(true);
    const int uni = Style.TextStyles()->Count() - 1;
    Style.TextStyles()->Add()->SetUnicode(true);
    const int other = Style.TextStyles()->Count() - 1;
    TRVTableInplaceEdit* editor = OpenCell(0, 0);
    ASSERT_NE(editor, nullptr);
    TRVEditRVData* cell = editor->EditRVData();
    cell->Clear();
    cell->AddNLWTag(u"a\U0001F44Dz", uni, 0, TRVTag());
    cell->FormatAll();
    cell->SetSelectionBounds(0, 1, 0, 3); // "a" and the first half of the pair
    Editor.Edit->ApplyTextStyle(other);
    ASSERT_EQ(cell->GetItemCount(), 2);
    EXPECT_TRUE(RVU_RawUnicodeToWideString(cell->GetItemText(0)) == u"a\U0001F44D");
    EXPECT_EQ(cell->GetItemStyle(0), other);
    EXPECT_TRUE(RVU_RawUnicodeToWideString(cell->GetItemText(1)) == u"z");
}

TEST_F(CellEditorForwarding, ACellEditorLosingTheFocusEndsTheHoldersHyperlinkMode)
{
    TRVTableInplaceEdit* editor = OpenCell(0, 0);
    ASSERT_NE(editor, nullptr);
    ASSERT_EQ(editor->EditRVData()->GetAbsoluteParentData(), d);
    d->BuildJumpsCoords(true);
    d->State.Include(rvstDrawHover);
    ASSERT_TRUE(d->GetFlags().Contains(rvflUseJumps));
    editor->Perform(WM_KILLFOCUS, 0, 0);
    EXPECT_FALSE(d->GetFlags().Contains(rvflUseJumps));
    EXPECT_FALSE(d->State.Contains(rvstDrawHover));

    // Moving the focus within the outermost document changes nothing.
    d->BuildJumpsCoords(true);
    d->State.Include(rvstDrawHover);
    d->State.Include(rvstNoKillFocusEvents);
    editor->Perform(WM_KILLFOCUS, 0, 0);
    EXPECT_TRUE(d->GetFlags().Contains(rvflUseJumps));
    EXPECT_TRUE(d->State.Contains(rvstDrawHover));
    d->State.Exclude(rvstNoKillFocusEvents);
}

} // namespace

// Tables nested deeper than a read accepts would make a file that does not
// read back: the editor refuses such a table, inserted or pasted into a cell.
TEST_F(CellEditorForwarding, TablesNestNoDeeperThanAFileReadsBack)
{
    TRVTableInplaceEdit* editor = OpenCell(0, 0);
    ASSERT_NE(editor, nullptr);
    TRVEditRVData* cell = editor->EditRVData();
    EXPECT_EQ(d->TableNestingLevel(), 0);
    EXPECT_EQ(cell->TableNestingLevel(), 1);
    // Tables nested Depth deep, each 1 x 1, made for the cell.
    auto nested = [&](int depth) {
        auto* outer = new TRVTableItemInfo(1, 1, cell);
        TRVTableItemInfo* table = outer;
        for (int level = 1; level < depth; ++level) {
            TRVTableCellData* holder = table->GetCells(0, 0);
            holder->Clear();
            table = new TRVTableItemInfo(1, 1, holder);
            holder->AddItem(AnsiString(), table);
        }
        return outer;
    };
    const int max = TCustomRVData::MaxTableNesting;
    TRVTableItemInfo* tooDeep = nested(max);
    EXPECT_EQ(TCustomRVData::TableNestingDepth(tooDeep), max);
    const int items = cell->GetItemCount();
    EXPECT_FALSE(Editor.Edit->InsertItem("t", tooDeep)) << "the cell's table makes one level more";
    EXPECT_EQ(cell->GetItemCount(), items);
    ASSERT_TRUE(Editor.Edit->InsertItem("t", nested(max - 1)));

    // The document, now as deep as allowed, reads back from its RVF.
    TMemoryStream saved;
    ASSERT_TRUE(Editor.Edit->SaveRVFToStream(&saved, false));
    const std::string rvf(static_cast<const char*>(saved.Memory()), static_cast<size_t>(saved.Size()));
    THeadlessEditor other;
    other.NewEditor(&Style);
    TStringStream in(rvf);
    EXPECT_TRUE(other.Edit->LoadRVFFromStream(&in));

    // Its RVF pasted into the cell would nest one level more.
    int row = -1;
    int col = -1;
    ASSERT_EQ(Table->GetEditedCell(row, col), editor);
    const int withTable = cell->GetItemCount();
    TStringStream paste(rvf);
    EXPECT_FALSE(Editor.Edit->InsertRVFFromStreamEd(&paste));
    EXPECT_EQ(cell->GetItemCount(), withTable);
}
