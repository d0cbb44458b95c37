// Commands on a table's selected cells as they are painted afterwards: cells
// cleared by the keys, a cut or the editor's deletion stay painted as
// selected while the block stays selected; a style that changes nothing (or
// records nothing) leaves every cell's text laid out and painted; a typed
// character is refused.
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/controls/syntheticinput.h"
#include "platform/controls/winapi.h"
#include "platform/graphics/recordingcanvas.h"
#include "table/rvtinplace.h"
#include "tests/support/tablegrid.h"

namespace {

class TableSelectedCellsTest : public TTableEditFixture {
protected:
    // A Rows x Cols table holding "r,c" in each cell, inserted at the caret
    // of an empty editor as a program inserts it.
    void InsertTable(int rows, int cols)
    {
        d = Editor.NewEditor(&Style);
        Table = new TRVTableItemInfo(rows, cols, d);
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < cols; ++c)
                SetCellText(r, c, std::to_string(r) + "," + std::to_string(c));
        ASSERT_TRUE(Editor.Edit->InsertItem(AnsiString(), Table));
    }
    // The texts the table paints, in painting order.
    std::vector<std::string> PaintedTexts()
    {
        const int w = Table->FormattingInfo->Width;
        const int h = Table->FormattingInfo->Height;
        TRecordingCanvas canvas(w, h, 96);
        Table->PaintTo(0, w, 0, 0, Table->Rows->Count(), &canvas, TRVItemDrawStates(), nullptr,
                       Table->FormattingInfo.get(), false, Rect(0, 0, w, h), rvcmColor);
        std::vector<std::string> texts;
        for (const TCanvasRecord* r : canvas.RecordsOf(TCanvasOp::Text))
            if (!r->Text.empty())
                texts.push_back(r->TextUtf8());
        return texts;
    }
    bool AllSelected()
    {
        for (int r = 0; r < Table->Rows->Count(); ++r)
            for (int c = 0; c < Table->Rows->GetColCount(); ++c)
                if (!Table->IsCellSelected(r, c))
                    return false;
        return true;
    }
};

TEST_F(TableSelectedCellsTest, ClearedCellsStayPaintedAsSelected)
{
    const struct {
        const char* Name;
        std::function<void(TCustomRollViewEdit*)> Clear;
    } commands[] = {
        {"Delete", [](TCustomRollViewEdit* e) { SimulateKey(e, VK_DELETE); }},
        {"Backspace", [](TCustomRollViewEdit* e) { SimulateKey(e, VK_BACK); }},
        {"Ctrl+X", [](TCustomRollViewEdit* e) { SimulateKey(e, 'X', TShiftState{ssCtrl}); }},
        {"CutDef", [](TCustomRollViewEdit* e) { e->CutDef(); }},
        {"DeleteSelection", [](TCustomRollViewEdit* e) { e->DeleteSelection(); }},
    };
    for (const auto& command : commands) {
        SCOPED_TRACE(command.Name);
        InsertTable(2, 2);
        editinvariant::Run(*d, command.Name, [&] {
            Table->Select(0, 0, 1, 1);
            command.Clear(Editor.Edit);
            EXPECT_EQ(CellText(0, 0) + CellText(1, 1), "");
            // The block is still selected, and every cleared cell (its empty
            // line included) is painted so.
            EXPECT_TRUE(AllSelected());
            EXPECT_EQ(tablegrid::SelectionPaintFault(*Table), "");
            Caret(0, 1);
        });
        // Undone and redone: the cells as the selection, or its end, says.
        EXPECT_EQ(tablegrid::SelectionPaintFault(*Table), "");
        d->Undo();
        EXPECT_EQ(CellText(1, 1), "1,1");
        EXPECT_EQ(tablegrid::SelectionPaintFault(*Table), "");
    }
}

// Cells that come into the selected block or leave it as the grid changes
// under a standing selection (a merge, a split, a new column, a cleared
// cell, a deleted row) are painted as it says: Command checks the painting
// after the change. Cells that come back from the undo record when it is
// undone are painted as what is selected then says.
TEST_F(TableSelectedCellsTest, CellsThatChangeUnderASelectionArePaintedAsItSays)
{
    const struct {
        const char* Name;
        std::function<void()> Change;
    } changes[] = {
        {"merge", [&] { Table->Rows->MergeCells(1, 1, 2, 2, true, true); }},
        {"split down", [&] { Table->Rows->SplitCellHorizontally(0, 0, 2); }},
        {"insert a column", [&] { Table->Rows->InsertCols(1, 1, 0, false); }},
        {"delete a row", [&] { Table->Rows->DeleteRows(1, 1, false); }},
        {"clear",
         [&] {
             TRVIntegerList rows, cols;
             rows.Add(0);
             cols.Add(1);
             Table->Rows->ClearCells(rows, cols);
         }},
    };
    for (const auto& change : changes) {
        SCOPED_TRACE(change.Name);
        d = Editor.NewEditor(&Style);
        NewTable(3, 3);
        EXPECT_TRUE(Command(change.Name, [&] {
            Table->Select(0, 0, 1, 1);
            change.Change();
        }));
        d->Undo();
        EXPECT_EQ(tablegrid::SelectionPaintFault(*Table), "");
    }
}

// A style applied to selected cells moves their items out and back: the
// table is laid out again even when nothing changed, or when nothing was
// recorded.
TEST_F(TableSelectedCellsTest, AStyleThatChangesNothingLeavesTheCellsPainted)
{
    const int bold = Style.TextStyles()->Count();
    Style.TextStyles()->Add()->SetStyle(TFontStyles{fsBold});
    const struct {
        const char* Name;
        bool WholeTable;
        int UndoLimit;
        std::function<void(TCustomRollViewEdit*)> Apply;
    } commands[] = {
        {"text style", false, -1, [](TCustomRollViewEdit* e) { e->ApplyTextStyle(0); }},
        {"paragraph style", false, -1, [](TCustomRollViewEdit* e) { e->ApplyParaStyle(0); }},
        {"style conversion", false, -1, [](TCustomRollViewEdit* e) { e->ApplyStyleConversion(0); }},
        {"paragraph style conversion", false, -1,
         [](TCustomRollViewEdit* e) { e->ApplyParaStyleConversion(0); }},
        {"list", false, -1, [](TCustomRollViewEdit* e) { e->ApplyListStyle(0, 0, 1, false, false); }},
        {"text style over the whole table", true, -1, [](TCustomRollViewEdit* e) { e->ApplyTextStyle(0); }},
        {"bold without undo", false, 0, [bold](TCustomRollViewEdit* e) { e->ApplyTextStyle(bold); }},
    };
    Style.ListStyles()->Add()->Levels()->Add();
    for (const auto& command : commands) {
        SCOPED_TRACE(command.Name);
        InsertTable(3, 1);
        Editor.Edit->SetUndoLimit(command.UndoLimit);
        Editor.Edit->OnStyleConversion = [](TCustomRollViewEdit*, int styleNo, int, bool, int& newStyleNo) {
            newStyleNo = styleNo;
        };
        Editor.Edit->OnParaStyleConversion = [](TCustomRollViewEdit*, int paraNo, int, bool, int& newParaNo) {
            newParaNo = paraNo;
        };
        if (command.WholeTable)
            d->SetSelectionBounds(0, d->GetOffsBeforeItem(0), d->GetItemCount() - 1,
                                  d->GetOffsAfterItem(d->GetItemCount() - 1));
        else
            Table->Select(0, 0, 0, 0);
        command.Apply(Editor.Edit);
        EXPECT_EQ(PaintedTexts(), (std::vector<std::string>{"0,0", "1,0", "2,0"}));
        EXPECT_EQ(tablegrid::SelectionPaintFault(*Table), "");
        EXPECT_EQ(tablegrid::StaleLayout(*d, *Table), "");
    }
}

// A character typed while cells are selected is refused: the document stays
// as it was and the text item made for it goes (the sanitizer build sees it).
TEST_F(TableSelectedCellsTest, TypingOverSelectedCellsChangesNothing)
{
    InsertTable(2, 2);
    Table->Select(0, 0, 1, 1);
    const AnsiString before = editinvariant::SaveRVF(*d);
    SimulateKey(Editor.Edit, 'Q');
    EXPECT_TRUE(editinvariant::SaveRVF(*d) == before);
}

} // namespace
