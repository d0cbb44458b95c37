// Seeded random sequences of structural operations on a table in an editor
// (now and then under a standing cell selection), of the commands on a
// randomly selected block of cells (merge, unmerge, split both ways, clear, a
// paragraph style; a text style and the clearing keys through the editor), of
// typing in a cell's editor, of deleting the whole table and taking it back,
// and of lines put into a table whose every row or column went, with some
// cells, cells of tables in cells and the paragraph after the table
// numbered: after every step the grid is sound, the table's kept layout
// is a fresh one, every cell is painted as the cell selection says and the
// editor's invariant holds (undo and redo of the step give back both
// documents, the markers list is sound); at the end, undoing every step
// through the control gives back the first document byte for byte and redoing
// them the last, and clearing the document leaves nothing in the markers list.
#include <algorithm>
#include <cstdlib>
#include <map>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "platform/controls/forms.h"
#include "platform/controls/syntheticinput.h"
#include "platform/controls/winapi.h"
#include "table/rvtinplace.h"
#include "tests/support/markercheck.h"
#include "tests/support/nestedtables.h"
#include "tests/support/tablegrid.h"

namespace {

class TableRandomTest : public TTableEditFixture {
protected:
    TableRandomTest()
    {
        // Paragraph styles for the cells: an indented one and a centred one.
        Style.ParaStyles()->Add()->SetFirstIndent(14);
        Style.ParaStyles()->Add()->SetAlignment(rvaCenter);
        // A text style for the cells besides the one they hold.
        Style.TextStyles()->Add()->SetStyle(TFontStyles{fsBold});
        // Lists for numbered paragraphs in the cells and after the table: a
        // numbered one of two levels and a bulleted one.
        TRVListInfo* numbered = Style.ListStyles()->Add();
        for (TRVListType type : {rvlstDecimal, rvlstLowerAlpha}) {
            TRVListLevel* level = numbered->Levels()->Add();
            level->SetListType(type);
            level->SetFormatString("%0:s.%1:s");
            level->SetLeftIndent(20);
        }
        TRVListLevel* bullet = Style.ListStyles()->Add()->Levels()->Add();
        bullet->SetListType(rvlstBullet);
        bullet->SetFormatString("-");
        bullet->SetLeftIndent(12);
    }

    // Numbers some cells' paragraphs and the paragraph after the table, and
    // now and then puts a table of its own with a numbered cell into a cell.
    void NumberParagraphs()
    {
        for (int r = 0; r < Table->Rows->Count(); ++r)
            for (int c = 0; c < Table->Rows->GetColCount(); ++c) {
                TRVTableCellData* cell = Table->GetCells(r, c);
                if (Pick(0, 2) == 0)
                    cell->SetListMarkerInfo(0, Pick(0, 1), Pick(0, 1), 1, 0, false);
                if (Pick(0, 5) == 0) {
                    auto* inner = new TRVTableItemInfo(1, 2, cell);
                    inner->GetCells(0, Pick(0, 1))->SetListMarkerInfo(-1, 0, Pick(0, 1), 1, 0, false);
                    for (int k = 0; k < 2; ++k)
                        inner->GetCells(0, k)->AddNL("in", 0, k == 0 ? 0 : -1);
                    cell->AddItem(AnsiString(), inner);
                }
            }
        if (Coin())
            d->SetListMarkerInfo(d->GetItemCount() - 1, 0, 0, 1, 0, false);
        Table->Changed();
    }

    // The table deleted as a whole through the editor, then given back by
    // the control's undo (later steps work on it again).
    bool DeleteTable(std::string& name)
    {
        name = "delete the table";
        const int itemNo = Table->GetMyItemNo();
        const bool changed = editinvariant::Run(*d, name, [&] {
            Editor.Edit->SetSelectionBounds(itemNo, 0, itemNo, 1);
            Editor.Edit->DeleteSelection();
            Caret(0, 1);
        });
        EXPECT_EQ(markercheck::Fault(*d), "") << name;
        if (changed) {
            d->Undo();
            d->RedoList->Clear();
            d->FormatAll();
            EXPECT_EQ(markercheck::Fault(*d), "") << name << ": given back";
        }
        return changed;
    }
    int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(Random); }
    bool Coin() { return Pick(0, 1) == 1; }

    // One random operation of the given kind; its arguments may be out of range on purpose.
    void Step(int kind, std::string& name)
    {
        TRVTableRows* rows = Table->Rows.get();
        const int rowCount = rows->Count();
        const int colCount = rows->GetColCount();
        const int r = Pick(0, rowCount - 1);
        const int c = Pick(0, colCount - 1);
        const int a = Pick(1, 3);
        const int b = Pick(1, 3);
        const bool f = Coin();
        const bool g = Coin();
        // A block of cells selected from one corner to the other, either way round.
        auto select = [&] {
            const int r1 = Pick(0, rowCount - 1);
            const int c1 = Pick(0, colCount - 1);
            Table->Select(r, c, r1 - r, c1 - c);
        };
        // The grid's operations may change it under a standing selection.
        if (kind <= 9 && Pick(0, 3) == 0)
            select();
        switch (kind) {
        case 0:
            name = "insert rows";
            if (rowCount < 9)
                rows->InsertRows(Pick(0, rowCount), a, Pick(-1, rowCount - 1), f);
            break;
        case 1:
            name = "insert cols";
            if (colCount < 9)
                rows->InsertCols(Pick(0, colCount), a, Pick(-1, colCount - 1), f);
            break;
        case 2:
            name = "delete rows";
            rows->DeleteRows(r, a, f);
            break;
        case 3:
            name = "delete cols";
            rows->DeleteCols(c, a, f);
            break;
        case 4:
        case 5:
            name = "merge";
            rows->MergeCells(r, c, a, b, f, g);
            break;
        case 6:
            name = "unmerge";
            rows->UnmergeCells(r, c, a, b, f, g);
            break;
        case 7:
            name = "split across";
            if (colCount < 9)
                rows->SplitCellVertically(r, c, a);
            break;
        case 8:
            name = "split down";
            if (rowCount < 9)
                rows->SplitCellHorizontally(r, c, a);
            break;
        case 9: {
            name = "split block";
            if (rowCount < 7 && colCount < 7) {
                if (f)
                    rows->SplitCellsVertically(r, c, std::min(a, colCount - c), std::min(b, rowCount - r), 2);
                else
                    rows->SplitCellsHorizontally(r, c, std::min(a, colCount - c), std::min(b, rowCount - r),
                                                 2);
            }
            break;
        }
        case 11:
            name = "merge selected";
            select();
            Table->MergeSelectedCells(f);
            break;
        case 12:
            name = "unmerge selected";
            select();
            Table->UnmergeSelectedCells(f, g);
            break;
        case 13:
            name = "split selected across";
            select();
            if (colCount < 7)
                Table->SplitSelectedCellsVertically(a);
            break;
        case 14:
            name = "split selected down";
            select();
            if (rowCount < 7)
                Table->SplitSelectedCellsHorizontally(a);
            break;
        case 15:
            name = "clear selected";
            select();
            if (Table->CanDeletePartiallySelected())
                Table->DeletePartiallySelected();
            break;
        case 16:
            name = "paragraph style on selected";
            select();
            Table->ApplyParaStyleToPartiallySelected(Pick(0, Style.ParaStyles()->Count() - 1));
            break;
        default: {
            name = "clear";
            TRVIntegerList rs;
            TRVIntegerList cs;
            for (int i = 0; i < a; ++i) {
                rs.Add(Pick(0, rowCount - 1));
                cs.Add(Pick(0, colCount - 1));
            }
            rows->ClearCells(rs, cs);
            break;
        }
        }
    }

    // The control's undo (redo) as the user gives it, with the deferred work
    // it posts done; false when neither the editor nor an open cell editor
    // has anything to undo.
    bool UndoStep(bool redo)
    {
        auto pending = [redo](TCustomRollViewEdit* editor) {
            return editor != nullptr &&
                   (redo ? editor->EditRVData()->RedoList : editor->EditRVData()->UndoList)->Count() > 0;
        };
        if (!pending(Editor.Edit) && !pending(Editor.Edit->CellEditor()))
            return false;
        if (redo)
            Editor.Edit->Redo();
        else
            Editor.Edit->Undo();
        // Until nothing the undo deferred is queued (a cell editor's undo
        // passed to the editor, a closed cell editor to free).
        nestedtables::SettleMessages();
        return true;
    }
    // The document saved with no cell editor open (closing one joins its
    // edits to the document's lists).
    AnsiString Settled()
    {
        d->DestroyInplaceEditor();
        return editinvariant::SaveRVF(*d);
    }

    // Typing in a cell's editor, closed again, as the user does it (outside
    // any table command): the control's undo gives back the document, its redo
    // the typed one.
    bool TypeInCell(std::string& name)
    {
        name = "typing in a cell";
        const int r = Pick(0, Table->Rows->Count() - 1);
        const int c = Pick(0, Table->Rows->GetColCount() - 1);
        const AnsiString s0 = Settled();
        Table->EditCell(r, c);
        // The holder's insertion goes to the open cell editor.
        Editor.Edit->InsertText(Coin() ? "x" : "yz");
        const AnsiString s1 = Settled();
        editinvariant::CheckState(*d, name + ": after");
        if (s0 == s1)
            return false;
        EXPECT_TRUE(UndoStep(false)) << name << ": nothing to undo";
        EXPECT_TRUE(Settled() == s0) << name << ": undo does not restore the document";
        editinvariant::CheckState(*d, name + ": undone");
        EXPECT_TRUE(UndoStep(true)) << name << ": nothing to redo";
        EXPECT_TRUE(Settled() == s1) << name << ": redo does not repeat the change";
        editinvariant::CheckState(*d, name + ": redone");
        EXPECT_EQ(tablegrid::GridFault(*Table->Rows), "") << name;
        EXPECT_EQ(tablegrid::StaleLayout(*d, *Table), "") << name;
        return true;
    }

    // A command on a random block of selected cells through the editor, as
    // the user gives it (a text style, one of the keys that clear cells, a
    // cut): the editor's invariant, the grid, the kept layout, and the cells
    // painted as the selection says while it stands.
    bool EditorCommandOnSelection(int kind, std::string& name)
    {
        const int r = Pick(0, Table->Rows->Count() - 1);
        const int c = Pick(0, Table->Rows->GetColCount() - 1);
        const int r1 = Pick(0, Table->Rows->Count() - 1);
        const int c1 = Pick(0, Table->Rows->GetColCount() - 1);
        const int style = Pick(0, Style.TextStyles()->Count() - 1);
        const int key = Pick(0, 3);
        static const char* const keyNames[] = {"Delete", "Backspace", "Ctrl+X", "DeleteSelection"};
        name = kind == 18 ? "text style on selected" : std::string(keyNames[key]) + " on selected";
        Caret(0, 1);
        const bool changed = editinvariant::Run(*d, name, [&] {
            Table->Select(r, c, r1 - r, c1 - c);
            if (kind == 18)
                Editor.Edit->ApplyTextStyle(style);
            else if (key == 0)
                SimulateKey(Editor.Edit, VK_DELETE);
            else if (key == 1)
                SimulateKey(Editor.Edit, VK_BACK);
            else if (key == 2)
                SimulateKey(Editor.Edit, 'X', TShiftState{ssCtrl});
            else
                Editor.Edit->DeleteSelection();
            EXPECT_EQ(tablegrid::SelectionPaintFault(*Table), "") << name;
            Caret(0, 1);
        });
        EXPECT_EQ(tablegrid::GridFault(*Table->Rows), "") << name;
        EXPECT_EQ(tablegrid::StaleLayout(*d, *Table), "") << name;
        // The clearing commands are tallied as one kind.
        if (kind != 18)
            name = "clear selected through the editor";
        return changed;
    }

    std::mt19937 Random;
    // How many steps of each kind changed the document.
    std::map<std::string, int> ChangedBy;
};

TEST_F(TableRandomTest, UndoAllAndRedoAllGiveBackBothEnds)
{
    // KELVOR_TABLE_SEEDS sets how many seeds run, KELVOR_TABLE_SEED the first.
    int seeds = 1500;
    if (const char* e = std::getenv("KELVOR_TABLE_SEEDS"))
        seeds = std::max(std::atoi(e), 1);
    int first = 1;
    if (const char* e = std::getenv("KELVOR_TABLE_SEED"))
        first = std::atoi(e);
    constexpr int Steps = 12;
    int changed = 0;
    for (int seed = first; seed < first + seeds && !HasFailure(); ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        Random.seed(static_cast<unsigned>(seed));
        d = Editor.NewEditor(&Style);
        NewTable(Pick(1, 4), Pick(1, 4));
        for (int r = 0; r < Table->Rows->Count(); ++r)
            for (int c = 0; c < Table->Rows->GetColCount(); ++c) {
                Table->GetCells(r, c)->BestWidth = Pick(-1, 1) * Pick(0, 60);
                Table->GetCells(r, c)->BestHeight = Pick(0, 40);
            }
        NumberParagraphs();
        d->FormatAll();
        EXPECT_EQ(markercheck::Fault(*d), "") << "failing seed " << seed << ": numbered";
        const AnsiString start = editinvariant::SaveRVF(*d);
        for (int i = 0; i < Steps && !HasFailure(); ++i) {
            std::string name;
            const AnsiString before = editinvariant::SaveRVF(*d);
            try {
                // Every row or column deleted leaves the table empty: lines
                // go into it again before anything else is done to it.
                if (Table->Rows->Empty()) {
                    name = "lines into an empty table";
                    const int rowsIn = Table->Rows->Count() == 0 ? Pick(1, 3) : 0;
                    const int colsIn = Pick(1, 3);
                    if (Command("step " + std::to_string(i), [&] {
                            if (rowsIn > 0)
                                Table->Rows->InsertRows(0, rowsIn, -1, false);
                            Table->Rows->InsertCols(0, colsIn, -1, false);
                        })) {
                        ++changed;
                        ++ChangedBy[name];
                    }
                    continue;
                }
                const int kind = Pick(0, 20);
                if (kind == 17   ? TypeInCell(name)
                    : kind == 20 ? DeleteTable(name)
                    : kind >= 18 ? EditorCommandOnSelection(kind, name)
                                 : Command("step " + std::to_string(i), [&] { Step(kind, name); })) {
                    ++changed;
                    ++ChangedBy[name];
                }
            } catch (const ERollViewError&) {
                EXPECT_TRUE(editinvariant::SaveRVF(*d) == before) << name << ": a refusal changed the table";
            }
            if (HasFailure())
                ADD_FAILURE() << "failing seed " << seed << ", step " << i << " (" << name << ")";
        }
        const AnsiString end = Settled();
        // Cells that come back from undo records are painted as the
        // selection (there is none left) says.
        for (int n = 0; n < 1000 && UndoStep(false); ++n)
            EXPECT_EQ(tablegrid::SelectionPaintFault(*Table), "")
                << "failing seed " << seed << ": undo " << n;
        EXPECT_TRUE(Settled() == start) << "failing seed " << seed << ": undo all";
        for (int n = 0; n < 1000 && UndoStep(true); ++n)
            continue;
        EXPECT_TRUE(Settled() == end) << "failing seed " << seed << ": redo all";
        EXPECT_EQ(tablegrid::GridFault(*Table->Rows), "") << "failing seed " << seed;
        EXPECT_EQ(markercheck::Fault(*d), "") << "failing seed " << seed << ": undo all, redo all";
        // Cleared, the document leaves nothing in its markers list; numbered
        // again, it holds the new markers alone.
        Editor.Edit->Clear();
        EXPECT_EQ(markercheck::Fault(*d), "") << "failing seed " << seed << ": cleared";
        d->SetListMarkerInfo(-1, 0, 0, 1, 0, false);
        d->AddNL("again", 0, -1);
        EXPECT_EQ(markercheck::Fault(*d), "") << "failing seed " << seed << ": numbered after clearing";
    }
    // Most steps change the table, and every kind of step does many times:
    // the sequences are not mostly refusals (a replay of a few seeds shows
    // too few steps to tell).
    if (HasFailure() || seeds < 1500)
        return;
    EXPECT_GT(changed, seeds * Steps / 2);
    EXPECT_EQ(ChangedBy.size(), 21u);
    for (const auto& [name, count] : ChangedBy)
        EXPECT_GT(count, seeds / 30) << name;
}

} // namespace
