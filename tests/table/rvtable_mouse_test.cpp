// Tables under the mouse and the keyboard in an editor: rule and cell hits,
// dragging rules into undoable widths and heights, moving between cells, the
// commands on selected cells, and editing a cell in place.
#include <string>

#include <gtest/gtest.h>

#include "document/rvitem_pictures.h"
#include "document/rvstyle.h"
#include "platform/controls/syntheticinput.h"
#include "platform/controls/winapi.h"
#include "table/rvtcellundo.h"
#include "table/rvtinplace.h"
#include "tests/support/nestedtables.h"
#include "tests/support/pumpevents.h"
#include "tests/support/tablegrid.h"

namespace {

class TableMouseTest : public TTableEditFixture {
protected:
    static constexpr int ItemNo = 1; // "before", the table, "after"
    void Press(int x, int y, TShiftState shift = TShiftState{ssLeft}, TMouseButton button = mbLeft)
    {
        Table->MouseDown(button, shift, x, y, ItemNo, d);
    }
    void Release(int x, int y, TShiftState shift = TShiftState(), TMouseButton button = mbLeft)
    {
        Table->MouseUp(button, shift, x, y, ItemNo, d);
    }
    // A point inside the content of the cell at (Row, Col).
    int CellX(int r, int c) { return Table->GetCells(r, c)->Left + 3; }
    int CellY(int r, int c) { return Table->GetCells(r, c)->Top + 3; }
    // Drags column rule Rule (row rule with Rows) by Delta pixels.
    void DragRule(bool rows, int rule, int delta, TShiftState shift = TShiftState{ssLeft})
    {
        const TRVTableItemFormattingInfo& f = *Table->FormattingInfo;
        const int pos = (rows ? f.RowStarts[rule] : f.ColStarts[rule]) - 1;
        const int mid = rows ? CellX(0, 0) : CellY(0, 0);
        Press(rows ? mid : pos, rows ? pos : mid, shift);
        Release(rows ? mid : pos + delta, rows ? pos + delta : mid);
    }
    void RunDrag(const std::string& name, const std::function<void()>& drag)
    {
        Caret(0, 1);
        editinvariant::Run(*d, name, [&] {
            drag();
            d->FormatAll();
            Caret(0, 1);
        });
        EXPECT_EQ(tablegrid::GridFault(*Table->Rows), "") << name;
    }
    // Handles the messages the step deferred, and those their handlers post.
    void Settle() { nestedtables::SettleMessages(); }
};

TEST_F(TableMouseTest, RulesAreHitWithinTwoPixelsAndCellsInsideTheirBorder)
{
    NewTable(2, 3);
    // Rules one pixel wide between the columns.
    Table->CellHSpacing = 1;
    Table->Changed();
    d->FormatAll();
    int minX, ruleX;
    // The gap of one pixel ends where column 1 starts.
    const int rule1 = Table->FormattingInfo->ColStarts[1];
    EXPECT_EQ(Table->GetVerticalRuleNo(rule1, minX, ruleX), 1);
    EXPECT_EQ(ruleX, rule1 - 1);
    EXPECT_EQ(Table->GetVerticalRuleNo(rule1 + 2, minX, ruleX), 1);
    EXPECT_EQ(Table->GetVerticalRuleNo(rule1 - 2, minX, ruleX), 1);
    EXPECT_EQ(minX, Table->FormattingInfo->ColStarts[0]);
    EXPECT_EQ(Table->GetVerticalRuleNo(rule1 + 3, minX, ruleX), -1);
    EXPECT_EQ(Table->GetVerticalRuleNo(rule1 - 3, minX, ruleX), -1);
    EXPECT_EQ(Table->GetVerticalRuleNo(Table->GetWidth() - 1, minX, ruleX), 3);
    int row, col;
    ASSERT_TRUE(Table->GetCellAt(CellX(1, 2), CellY(1, 2), row, col));
    EXPECT_EQ(row * 10 + col, 12);
    EXPECT_FALSE(Table->GetCellAt(Table->GetCells(1, 2)->Left, CellY(1, 2), row, col));
}

TEST_F(TableMouseTest, ColumnDragKeepsTheTableWidthUnlessShiftIsHeld)
{
    struct TCase {
        const char* Name;
        TShiftState Shift;
        bool FixedWidths; // every column of 50 pixels: the table is as wide as they are
        bool NextColumnChanges;
        int TableGrows;
    };
    const TCase cases[] = {{"plain", TShiftState{ssLeft}, false, true, 0},
                           {"shift", TShiftState{ssLeft, ssShift}, false, false, 0},
                           {"plain, fixed widths", TShiftState{ssLeft}, true, true, 0},
                           {"shift, fixed widths", TShiftState{ssLeft, ssShift}, true, false, 20}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        d = Editor.NewEditor(&Style);
        NewTable(2, 3);
        if (c.FixedWidths) {
            for (int r = 0; r < 2; ++r)
                for (int col = 0; col < 3; ++col)
                    Table->GetCells(r, col)->BestWidth = 50;
            Table->Changed();
            d->FormatAll();
        }
        const int before0 = Table->GetCells(0, 0)->Width;
        const int before1 = Table->GetCells(0, 1)->Width;
        const int width = Table->GetWidth();
        RunDrag(c.Name, [&] { DragRule(false, 1, 20, c.Shift); });
        EXPECT_GT(Table->GetCells(0, 0)->BestWidth, 0);
        EXPECT_EQ(Table->GetCells(0, 1)->BestWidth != (c.FixedWidths ? 50 : 0), c.NextColumnChanges);
        EXPECT_EQ(Table->GetCells(0, 0)->Width, before0 + 20);
        if (c.FixedWidths) {
            EXPECT_EQ(Table->GetCells(0, 1)->Width, before1 - (c.NextColumnChanges ? 20 : 0));
        }
        EXPECT_EQ(Table->GetWidth(), width + c.TableGrows);
        EXPECT_EQ(Table->GetCells(1, 0)->BestWidth, Table->GetCells(0, 0)->BestWidth);
        EXPECT_FALSE(Table->IsDraggingRule());
    }
}

TEST_F(TableMouseTest, ARowDraggedAboveItsTopGetsAutomaticHeight)
{
    NewTable(3, 2);
    Table->GetCells(1, 0)->BestHeight = 40;
    d->FormatAll();
    RunDrag("row up", [&] { DragRule(true, 2, -200); });
    EXPECT_EQ(Table->GetCells(1, 0)->BestHeight, 0);
    EXPECT_EQ(Table->GetCells(1, 1)->BestHeight, 0);
    RunDrag("row down", [&] { DragRule(true, 2, 30); });
    EXPECT_GT(Table->GetCells(1, 0)->BestHeight, 10);
}

TEST_F(TableMouseTest, ARuleDragResizesTheMergedCellsEndingAtItsLineOnly)
{
    // Row 1 has a cell of its own, so a merged cell ending in it gives up its
    // height, while one that goes on past it keeps its own.
    struct TCase {
        const char* Name;
        int RowSpan;
        int Expected;
    };
    for (const TCase& c : {TCase{"ends at the rule", 2, 0}, TCase{"goes on past the rule", 3, 40}}) {
        SCOPED_TRACE(c.Name);
        d = Editor.NewEditor(&Style);
        NewTable(3, 3);
        Table->Rows->MergeCells(0, 1, 2, c.RowSpan, true, true);
        Table->GetCells(0, 1)->BestHeight = 40;
        Table->Changed();
        d->FormatAll();
        RunDrag(c.Name, [&] { DragRule(true, 2, 30); });
        EXPECT_EQ(Table->GetCells(0, 1)->BestHeight, c.Expected);
        EXPECT_GT(Table->GetCells(1, 0)->BestHeight, 0);
    }
    // The same across columns: a merged cell below row 0 ending in column 1.
    d = Editor.NewEditor(&Style);
    NewTable(3, 3);
    Table->Rows->MergeCells(1, 0, 2, 2, true, true);
    Table->GetCells(1, 0)->BestWidth = 50;
    Table->Changed();
    d->FormatAll();
    RunDrag("column rule right of a merged cell", [&] { DragRule(false, 2, 20); });
    EXPECT_EQ(Table->GetCells(1, 0)->BestWidth, 0);
    EXPECT_GT(Table->GetCells(0, 1)->BestWidth, 0);
}

TEST_F(TableMouseTest, APercentDragOverColumnsWithoutWidthChangesNothing)
{
    NewTable(1, 2);
    Table->GetCells(0, 0)->BestWidth = -50;
    // Columns that add up to no width: the divisor of the percentages is zero.
    Table->FormattingInfo->Width = Table->GetHorzExtra();
    const AnsiString before = editinvariant::SaveRVF(*d);
    const int pos = Table->FormattingInfo->ColStarts[1] - 1;
    Press(pos, CellY(0, 0));
    Release(pos + 10, CellY(0, 0));
    EXPECT_EQ(Table->GetCells(0, 0)->BestWidth, -50);
    EXPECT_EQ(editinvariant::SaveRVF(*d), before);
}

TEST_F(TableMouseTest, CellsAreReachedInEveryDirection)
{
    NewTable(4, 3);
    Table->Rows->MergeCells(0, 0, 1, 3, true, true);
    struct TCase {
        int Row, Col;
        TRVCellDirection Dir;
        bool Found;
        int NewRow, NewCol;
        int Beeps;
    };
    const TCase cases[] = {
        {1, 2, rvcdRight, true, 2, 1, 0},    // a row's end goes on to the next row
        {3, 2, rvcdRight, false, -1, -1, 0}, // the table's end: no beep
        {3, 2, rvcdNext, false, -1, -1, 1},  {0, 0, rvcdDown, true, 3, 0, 0}, // from a 3-row span
        {2, 1, rvcdLeft, true, 0, 0, 0},                                      // covered slot: its main cell
        {3, 0, rvcdLeft, true, 2, 2, 0}, // column 0: the last cell of the row above
        {0, 0, rvcdUp, false, -1, -1, 0},    {0, 0, rvcdPrev, false, -1, -1, 1},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.Row) + "," + std::to_string(c.Col) + " dir " + std::to_string(c.Dir));
        const int beeps = Editor.Beeps();
        int r, col;
        EXPECT_EQ(Table->GetCellTo(c.Row, c.Col, c.Dir, r, col, false), c.Found);
        if (c.Found) {
            EXPECT_EQ(r * 10 + col, c.NewRow * 10 + c.NewCol);
        }
        EXPECT_EQ(Editor.Beeps() - beeps, c.Beeps);
    }
}

TEST_F(TableMouseTest, DraggingAcrossCellsSelectsThemAndCommandsActOnTheSelection)
{
    NewTable(2, 3);
    ASSERT_TRUE(Table->StartSelecting(0, 0));
    Table->MouseMove(TShiftState{ssLeft}, CellX(0, 1), CellY(0, 1), ItemNo, d);
    Release(CellX(0, 1), CellY(0, 1));
    EXPECT_FALSE(Table->IsSelecting());
    int top, left, cols, rows;
    ASSERT_TRUE(Table->GetNormalizedSelectionBounds(false, top, left, cols, rows));
    EXPECT_EQ(top * 1000 + left * 100 + cols * 10 + rows, 21);
    EXPECT_TRUE(Table->GetCells(0, 1)->State.Contains(rvstCompletelySelected));
    EXPECT_FALSE(Table->GetCells(1, 1)->State.Contains(rvstCompletelySelected));

    // Split into 3 columns each: the grown 1 x 6 block is selected.
    const AnsiString before = editinvariant::SaveRVF(*d);
    Table->SplitSelectedCellsVertically(3);
    ASSERT_TRUE(Table->GetNormalizedSelectionBounds(false, top, left, cols, rows));
    EXPECT_EQ(cols * 10 + rows, 61);
    EXPECT_EQ(tablegrid::GridFault(*Table->Rows), "");
    d->FormatAll();
    d->Undo();
    EXPECT_TRUE(editinvariant::SaveRVF(*d) == before);
}

TEST_F(TableMouseTest, AParagraphStyleOnThreeCellsIsOneUndoStep)
{
    NewTable(2, 3);
    Table->Select(0, 0, 0, 2);
    const int groups = d->UndoList->Count();
    Caret(0, 1);
    editinvariant::Run(*d, "para style", [&] {
        Table->Select(0, 0, 0, 2);
        Table->ApplyParaStyleToPartiallySelected(1);
        Caret(0, 1);
    });
    EXPECT_EQ(d->UndoList->Count(), groups + 1);
    for (int c = 0; c < 3; ++c)
        EXPECT_EQ(Table->GetCells(0, c)->GetItemPara(0), 1);
    EXPECT_EQ(Table->GetCells(1, 0)->GetItemPara(0), 0);
    ASSERT_NE(dynamic_cast<TRVUndoMultiCellsModify*>(d->UndoList->Last()->Records.back().get()), nullptr);
}

// The editor's text style and paragraph style conversions reach the text of
// the selected cells, as one undo step.
TEST_F(TableMouseTest, StyleConversionsOnSelectedCells)
{
    const int bold = Style.TextStyles()->Count();
    Style.TextStyles()->Add()->SetStyle(TFontStyles{fsBold});
    NewTable(2, 3);
    Editor.Edit->OnParaStyleConversion = [](TCustomRollViewEdit*, int paraNo, int userData, bool,
                                            int& newParaNo) { newParaNo = paraNo + userData; };
    const struct {
        const char* Name;
        std::function<void()> Command;
    } commands[] = {
        {"text style", [&] { Editor.Edit->ApplyTextStyle(bold); }},
        {"paragraph style conversion", [&] { Editor.Edit->ApplyParaStyleConversion(1); }},
    };
    for (const auto& command : commands) {
        SCOPED_TRACE(command.Name);
        Caret(0, 1);
        const int groups = d->UndoList->Count();
        editinvariant::Run(*d, command.Name, [&] {
            Table->Select(0, 0, 0, 1);
            command.Command();
            Caret(0, 1);
        });
        EXPECT_EQ(d->UndoList->Count(), groups + 1);
    }
    for (int c = 0; c < 2; ++c) {
        EXPECT_EQ(Table->GetCells(0, c)->GetItemStyle(0), bold);
        EXPECT_EQ(Table->GetCells(0, c)->GetItemPara(0), 1);
    }
    EXPECT_EQ(Table->GetCells(0, 2)->GetItemStyle(0), 0);
    EXPECT_EQ(Table->GetCells(1, 0)->GetItemPara(0), 0);
}

// A text style applied to a selection that holds a whole table reaches the
// text of every cell, in the one undo step of the text around it.
TEST_F(TableMouseTest, ATextStyleOverAWholeTableReachesItsCells)
{
    const int bold = Style.TextStyles()->Count();
    Style.TextStyles()->Add()->SetStyle(TFontStyles{fsBold});
    NewTable(2, 2);
    Table->GetCells(1, 1)->Clear();
    Table->GetCells(1, 1)->AddNL("one", 0, 0);
    Table->GetCells(1, 1)->AddNL("two", 0, 0);
    d->FormatAll();
    const int groups = d->UndoList->Count();
    editinvariant::Run(*d, "whole table", [&] {
        d->SetSelectionBounds(0, 1, 2, 6);
        Editor.Edit->ApplyTextStyle(bold);
        Caret(0, 1);
    });
    EXPECT_EQ(d->UndoList->Count(), groups + 1);
    EXPECT_EQ(d->GetItemStyle(0), bold);
    EXPECT_EQ(d->GetItemStyle(2), bold);
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 2; ++c)
            for (int i = 0; i < Table->GetCells(r, c)->GetItemCount(); ++i)
                EXPECT_EQ(Table->GetCells(r, c)->GetItemStyle(i), bold) << r << "," << c << " item " << i;
    EXPECT_EQ(tablegrid::StaleLayout(*d, *Table), "");

    // From inside the text before the table to inside the text after it:
    // the split text moves the table's number, and undo still finds it.
    d->Undo();
    editinvariant::Run(*d, "inside the text around", [&] {
        d->SetSelectionBounds(0, 3, 2, 3);
        Editor.Edit->ApplyTextStyle(bold);
        Caret(0, 1);
    });
    EXPECT_EQ(d->GetItemCount(), 5);
    EXPECT_EQ(d->GetItem(2), Table);
    EXPECT_EQ(Table->GetCells(1, 0)->GetItemStyle(0), bold);
}

TEST_F(TableMouseTest, ClearingSelectedCellsKeepsAttributesAndSpans)
{
    NewTable(2, 3);
    Table->Rows->MergeCells(0, 0, 2, 1, true, true);
    Table->GetCells(0, 0)->Color = clRed;
    d->FormatAll();
    editinvariant::Run(*d, "clear", [&] {
        Table->Select(0, 0, 1, 2);
        ASSERT_TRUE(Table->CanDeletePartiallySelected());
        Table->DeletePartiallySelected();
        Caret(0, 1);
    });
    EXPECT_EQ(CellText(0, 0), "");
    EXPECT_EQ(CellText(1, 2), "");
    EXPECT_EQ(Table->GetCells(0, 0)->ColSpan, 2);
    EXPECT_EQ(Table->GetCells(0, 0)->Color, clRed);
    EXPECT_EQ(tablegrid::GridFault(*Table->Rows), "");
}

// With a block of cells selected, Delete and Backspace clear them as one
// undo group, and Ctrl+X cuts them: nothing else of the document changes.
TEST_F(TableMouseTest, TheDeleteKeysAndCutClearTheSelectedCells)
{
    NewTable(2, 3);
    const struct {
        const char* Name;
        WORD Key;
        TShiftState Shift;
    } keys[] = {{"Delete", VK_DELETE, TShiftState()},
                {"Backspace", VK_BACK, TShiftState()},
                {"Ctrl+X", 'X', TShiftState{ssCtrl}},
                {"Shift+Delete", VK_DELETE, TShiftState{ssShift}}};
    for (const auto& k : keys) {
        SCOPED_TRACE(k.Name);
        Caret(0, 1);
        const int groups = d->UndoList->Count();
        editinvariant::Run(*d, k.Name, [&] {
            Table->Select(0, 0, 1, 1);
            SimulateKey(Editor.Edit, k.Key, k.Shift);
            Caret(0, 1);
        });
        EXPECT_EQ(d->UndoList->Count(), groups + 1);
        EXPECT_EQ(d->UndoList->CurrentUndoType(), rvutModifyItem);
        EXPECT_EQ(CellText(0, 0), "");
        EXPECT_EQ(CellText(1, 1), "");
        EXPECT_EQ(CellText(0, 2), "0,2");
        EXPECT_EQ(d->GetItemText(0), "before");
        EXPECT_EQ(d->GetItemText(2), "after");
        d->Undo();
        EXPECT_EQ(CellText(1, 1), "1,1");
    }
}

// Copying with a block of cells selected puts those cells on the clipboard:
// as text, and as a table of their own in the library's format and in RTF.
TEST_F(TableMouseTest, CopyingSelectedCellsCopiesThemAsATable)
{
    NewTable(3, 3);
    Table->Rows->MergeCells(1, 1, 2, 1, true, true);
    d->FormatAll();
    Table->Select(0, 1, 1, 1);
    SimulateKey(Editor.Edit, 'C', TShiftState{ssCtrl});
    AnsiString text, rvf, rtf;
    for (const TClipboardItem& item : Editor.UI.ClipboardContent()) {
        if (item.Mime == "text/plain")
            text = item.Data;
        else if (item.Mime == "application/x-rollview-rvf")
            rvf = item.Data;
        else if (item.Mime == "text/rtf")
            rtf = item.Data;
    }
    for (const char* label : {"0,1", "0,2", "1,1"}) {
        EXPECT_NE(text.find(label), std::string::npos) << label;
        EXPECT_NE(rtf.find(label), std::string::npos) << label;
    }
    for (const char* label : {"0,0", "1,0", "2,1", "before"}) {
        EXPECT_EQ(text.find(label), std::string::npos) << label;
        EXPECT_EQ(rtf.find(label), std::string::npos) << label;
    }

    // The RVF block reads back as a 2 x 2 table holding the merged cell whole.
    ASSERT_GT(rvf.size(), 4u);
    THeadlessEditor other;
    TRVEditRVData* o = other.NewEditor(&Style);
    TStringStream stream(rvf.substr(4));
    ASSERT_TRUE(other.Edit->LoadRVFFromStream(&stream));
    TRVTableItemInfo* copy = nullptr;
    for (int i = 0; i < o->GetItemCount(); ++i)
        if (auto* t = dynamic_cast<TRVTableItemInfo*>(o->GetItem(i)))
            copy = t;
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(tablegrid::GridFault(*copy->Rows), "");
    EXPECT_EQ(tablegrid::Shape(*copy->Rows), "1x1 1x1 |2x1 . |");
    EXPECT_EQ(copy->GetCells(0, 1)->GetItemText(0), "0,2");
    EXPECT_EQ(copy->GetCells(1, 0)->GetItemText(0), "1,1");
    // The table itself is unchanged and still selected.
    EXPECT_TRUE(Table->PartiallySelected());
    EXPECT_EQ(CellText(0, 0), "0,0");

    // A selection holding the whole table has the text of all its cells.
    d->SetSelectionBounds(0, 1, 2, 6);
    const AnsiString all = d->GetSelText(false);
    for (const char* label : {"before", "0,0", "2,2", "after"})
        EXPECT_NE(all.find(label), std::string::npos) << label;
}

TEST_F(TableMouseTest, AClickOpensTheCellEditorAndClosingWithoutTypingRecordsNothing)
{
    NewTable(2, 2);
    const AnsiString before = editinvariant::SaveRVF(*d);
    const int groups = d->UndoList->Count();
    Press(CellX(1, 1), CellY(1, 1));
    Release(CellX(1, 1), CellY(1, 1));
    int row, col;
    TRVTableInplaceEdit* editor = Table->GetEditedCell(row, col);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(row * 10 + col, 11);
    EXPECT_EQ(Table->GetCells(1, 1)->GetItemCount(), 0); // the items are in the editor
    EXPECT_EQ(editor->EditRVData()->GetItemText(0), "1,1");
    EXPECT_EQ(Editor.Edit->GetInplaceEditor(), editor);
    EXPECT_EQ(editinvariant::SaveRVF(*d), before); // the document saves what the editor holds
    Table->DestroyInplace(true);
    EXPECT_EQ(Table->GetEditedCell(row, col), nullptr);
    EXPECT_EQ(CellText(1, 1), "1,1");
    EXPECT_EQ(d->UndoList->Count(), groups);
    EXPECT_EQ(editinvariant::SaveRVF(*d), before);
}

// A cell asked to be edited opens the table's editor on itself and answers
// the editor's document; asked again, it answers the same document.
TEST_F(TableMouseTest, ACellAskedToBeEditedOpensTheEditorOnItself)
{
    NewTable(2, 2);
    TRVTableCellData* cell = Table->GetCells(1, 0);
    TCustomRVData* edited = cell->Edit();
    int row, col;
    TRVTableInplaceEdit* editor = Table->GetEditedCell(row, col);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(row * 10 + col, 10);
    EXPECT_EQ(edited, editor->EditRVData());
    EXPECT_EQ(editor->EditRVData()->GetItemText(0), "1,0");
    EXPECT_EQ(cell->Edit(), edited);
    EXPECT_EQ(Table->GetEditedCell(row, col), editor);

    // Selecting a control that a cell holds selects it in that cell's editor.
    TRVTableCellData* other = Table->GetCells(0, 1);
    auto* control = new TCustomControl(nullptr);
    control->SetBounds(0, 0, 20, 10);
    other->AddItem("ctl", new TRVControlItemInfo(other, control, rvvaBaseline));
    d->FormatAll();
    ASSERT_TRUE(Editor.Edit->SelectControl(control));
    editor = Table->GetEditedCell(row, col);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(row * 10 + col, 1);
    int startNo, startOffs, endNo, endOffs;
    editor->EditRVData()->GetSelectionBoundsEx(startNo, startOffs, endNo, endOffs, true);
    EXPECT_EQ(startNo, 1);
    EXPECT_EQ(endNo, 1);
    EXPECT_EQ(startOffs, 0);
    EXPECT_EQ(endOffs, 1);
}

// An open cell editor follows its cell: the cell's and the table's colours
// give it its colour and see-through state, the padding its margins and a
// new layout.
TEST_F(TableMouseTest, AnOpenCellEditorFollowsItsCellsColourAndPadding)
{
    NewTable(2, 2);
    Table->EditCell(1, 1);
    int row, col;
    TRVTableInplaceEdit* editor = Table->GetEditedCell(row, col);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->Color(), clWindow);
    Table->SetCellColor(clRed, 1, 1);
    EXPECT_EQ(editor->Color(), clRed);
    EXPECT_FALSE(editor->Transparent);
    Table->SetCellColor(clBlue, 0, 0);
    EXPECT_EQ(editor->Color(), clRed) << "another cell's colour";
    Table->SetCellColor(clNone, 1, 1);
    EXPECT_EQ(editor->Color(), clWindow) << "the table's colour";
    Table->SetProperty("Color", clYellow, false, false);
    EXPECT_EQ(editor->Color(), clYellow);
    Table->SetColor(clNone);
    EXPECT_EQ(Table->Color, clNone);
    EXPECT_EQ(editor->Color(), d->GetColor()) << "the document's colour";
    EXPECT_TRUE(editor->Transparent);

    ASSERT_EQ(Table->GetEditedCell(row, col), editor);
    Table->SetProperty("CellPadding", 9, true, true);
    EXPECT_EQ(Table->CellPadding, 9);
    EXPECT_EQ(editor->LeftMargin(), 9);
    EXPECT_EQ(editor->TopMargin(), 9);
    EXPECT_EQ(editor->RightMargin(), 9);
    EXPECT_EQ(editor->BottomMargin(), 9);
    d->FormatAll();
    EXPECT_FALSE(Table->State.Contains(rvtsFormatInplace));
    ASSERT_EQ(Table->GetEditedCell(row, col), editor);
    ASSERT_GT(editor->EditRVData()->DrawItems.Count(), 0);
    EXPECT_EQ(editor->EditRVData()->DrawItems[0]->Left, 9);
    // The editor control closes a cell editor before it undoes in the document.
    Table->DestroyInplace(true);
    d->Undo();
    EXPECT_EQ(Table->CellPadding, 1);
    d->Undo();
    EXPECT_EQ(Table->Color, clYellow);
}

TEST_F(TableMouseTest, TypingInACellIsUndoneInOneStepAfterTheEditorClosed)
{
    NewTable(2, 2);
    const AnsiString before = editinvariant::SaveRVF(*d);
    Table->EditCell(0, 1);
    int row, col;
    TRVTableInplaceEdit* editor = Table->GetEditedCell(row, col);
    ASSERT_NE(editor, nullptr);
    // The holder's insertion goes to the cell editor.
    ASSERT_TRUE(Editor.Edit->InsertText("xy"));
    EXPECT_EQ(editor->EditRVData()->GetItemText(0), "xy0,1");
    const AnsiString typed = editinvariant::SaveRVF(*d);
    Table->DestroyInplace(true);
    EXPECT_EQ(CellText(0, 1), "xy0,1");
    ASSERT_NE(dynamic_cast<TRVUndoCellModify*>(d->UndoList->Last()->Records.back().get()), nullptr);
    Editor.Edit->Undo();
    Settle();
    EXPECT_EQ(editinvariant::SaveRVF(*d), before);
    EXPECT_FALSE(Editor.Edit->GetReadOnly());
    Editor.Edit->Redo();
    Settle();
    EXPECT_EQ(editinvariant::SaveRVF(*d), typed);
}

TEST_F(TableMouseTest, UndoInAnEmptyCellEditorFallsBackToTheHolder)
{
    NewTable(1, 2);
    Caret(2, 6);
    ASSERT_TRUE(Editor.Edit->InsertText("!"));
    EXPECT_EQ(std::string(d->GetItemText(2)), "after!");
    Table->EditCell(0, 0);
    int row, col;
    TRVTableInplaceEdit* editor = Table->GetEditedCell(row, col);
    ASSERT_NE(editor, nullptr);
    editor->Undo();
    Settle();
    EXPECT_EQ(std::string(d->GetItemText(2)), "after");
    EXPECT_EQ(Table->GetEditedCell(row, col), nullptr);
}

// The caret keys take the caret into the table: Down from the line above into
// the first row under the caret's column, Right from before the table into its
// first cell, Left from after it into its last; with Shift they pass it by.
TEST_F(TableMouseTest, TheCaretKeysEnterTheTablesCells)
{
    NewTable(2, 2);
    int row, col;
    Caret(0, 2);
    EXPECT_FALSE(d->OnDownPress(false, false));
    ASSERT_NE(Table->GetEditedCell(row, col), nullptr);
    EXPECT_EQ(std::make_pair(row, col), std::make_pair(0, 0));
    Table->DestroyInplace(false);
    Settle();
    Caret(ItemNo, 0);
    EXPECT_FALSE(d->OnRightPress(false, false));
    ASSERT_NE(Table->GetEditedCell(row, col), nullptr);
    EXPECT_EQ(std::make_pair(row, col), std::make_pair(0, 0));
    Table->DestroyInplace(false);
    Settle();
    Caret(ItemNo, 1);
    EXPECT_FALSE(d->OnLeftPress(false, false));
    ASSERT_NE(Table->GetEditedCell(row, col), nullptr);
    EXPECT_EQ(std::make_pair(row, col), std::make_pair(1, 1));
    Table->DestroyInplace(false);
    Settle();
    Caret(ItemNo, 1);
    d->OnLeftPress(true, false);
    EXPECT_EQ(Table->GetEditedCell(row, col), nullptr);
}

// While a cell is edited in place, the holding editor's insertions and its
// paste act on the cell.
TEST_F(TableMouseTest, PasteAndInsertionsGoIntoTheOpenCellEditor)
{
    NewTable(1, 2);
    Table->EditCell(0, 1);
    int row, col;
    TRVTableInplaceEdit* editor = Table->GetEditedCell(row, col);
    ASSERT_NE(editor, nullptr);
    editor->EditRVData()->SetCaretAtItem(0, 4, false);
    EXPECT_TRUE(Editor.Edit->InsertText("a"));
    Editor.UI.SetClipboard({{"text/plain", "b"}});
    Editor.Edit->Paste();
    Settle();
    EXPECT_EQ(std::string(editor->EditRVData()->GetItemText(0)), "0,1ab");
    EXPECT_EQ(std::string(d->GetItemText(0)), "before");
    EXPECT_EQ(std::string(d->GetItemText(2)), "after");
}

TEST_F(TableMouseTest, ALostCaptureEndsTheCellSelectionStartedInTheEditor)
{
    NewTable(2, 2);
    Table->EditCell(0, 0);
    int row, col;
    TRVTableInplaceEdit* editor = Table->GetEditedCell(row, col);
    ASSERT_NE(editor, nullptr);
    editor->MouseSelecting = true;
    EXPECT_THROW(Table->SaveInplace(), ERVTableInplaceError);
    SendMessage(editor->Handle(), WM_CANCELMODE, 0, 0);
    EXPECT_FALSE(Table->IsSelecting());
    EXPECT_NO_THROW(Table->SaveInplace());
    Table->RestoreInplace();
    EXPECT_NE(Table->GetEditedCell(row, col), nullptr);
}

// The toolkit's own mouse events on the editor's window, as a user's arrive:
// the press that opens a cell editor gives it the mouse capture, so the moves
// and the release that follow go to the cell editor (calling the editor's
// protected handlers directly would pass them to the editor instead, and the
// cell editor would never see its release).
TEST_F(TableMouseTest, ThroughTheWindowADragSelectsCellsAndAClickEditsACell)
{
    NewTable(2, 3);
    auto at = [&](int r, int c) {
        int left, top;
        d->GetItemClientCoords(ItemNo, left, top);
        return TPoint{left + CellX(r, c), top + CellY(r, c)};
    };
    int top, left, cols, rows, row, col;
    TPoint a = at(0, 0), b = at(0, 1);
    SimulateMouseDown(Editor.Edit, mbLeft, a.X, a.Y);
    SimulateMouseMove(Editor.Edit, b.X, b.Y, TShiftState{ssLeft});
    SimulateMouseUp(Editor.Edit, mbLeft, b.X, b.Y);
    Settle();
    ASSERT_TRUE(Table->GetNormalizedSelectionBounds(false, top, left, cols, rows));
    EXPECT_EQ(top * 1000 + left * 100 + cols * 10 + rows, 21);
    EXPECT_EQ(Table->GetEditedCell(row, col), nullptr); // the cell editor let itself go
    EXPECT_FALSE(Table->IsSelecting());
    EXPECT_EQ(GetCapture(), nullptr);

    // A click edits the cell: the keys typed go into it.
    a = at(1, 1);
    SimulateClick(Editor.Edit, mbLeft, a.X, a.Y);
    Settle();
    TRVTableInplaceEdit* editor = Table->GetEditedCell(row, col);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(row * 10 + col, 11);
    EXPECT_FALSE(editor->MouseSelecting);
    EXPECT_EQ(GetCapture(), nullptr);
    SimulateKeyDown(Editor.Edit, 0, TShiftState(), WideString(1, u'Z'));
    EXPECT_NE(std::string(editor->EditRVData()->GetItemText(0)).find('Z'), std::string::npos);

    // A press in the open cell editor dragged onto another cell selects the block.
    editor->CreationTick = 0; // not the second click of a double click
    b = editor->ScreenToClient(Editor.Edit->ClientToScreen(at(0, 2)));
    SimulateMouseDown(editor, mbLeft, 3, 3);
    SimulateMouseMove(editor, b.X, b.Y, TShiftState{ssLeft});
    SimulateMouseUp(editor, mbLeft, b.X, b.Y);
    Settle();
    ASSERT_TRUE(Table->GetNormalizedSelectionBounds(false, top, left, cols, rows));
    EXPECT_EQ(top * 1000 + left * 100 + cols * 10 + rows, 122);
    EXPECT_EQ(Table->GetEditedCell(row, col), nullptr);
    EXPECT_EQ(CellText(1, 1).find('Z') != std::string::npos, true);
}

// Tab and Shift+Tab leave the cell for the next (previous) one and do
// nothing past the last (first); Ctrl+Tab types a tab into the cell (as the
// style sheet's spaces, as the editor types a tab).
TEST_F(TableMouseTest, TabMovesBetweenCellsAndCtrlTabTypesATab)
{
    NewTable(1, 2);
    Table->EditCell(0, 0);
    int row, col;
    struct TCase {
        TShiftState Shift;
        int Col; // the edited column afterwards
    };
    const TCase cases[] = {
        {TShiftState{ssShift}, 0}, {TShiftState(), 1}, {TShiftState(), 1}, {TShiftState{ssShift}, 0}};
    for (const TCase& c : cases) {
        ASSERT_NE(Table->GetEditedCell(row, col), nullptr);
        SimulateKey(Editor.Edit, VK_TAB, c.Shift);
        Settle();
        ASSERT_NE(Table->GetEditedCell(row, col), nullptr);
        EXPECT_EQ(col, c.Col);
    }
    EXPECT_EQ(CellText(0, 1), "0,1");
    TRVTableInplaceEdit* editor = Table->GetEditedCell(row, col);
    editor->EditRVData()->SetCaretAtItem(0, 1, false);
    SimulateKey(Editor.Edit, VK_TAB, TShiftState{ssCtrl});
    // The editor types the tab from a character it posts to itself.
    ASSERT_TRUE(WaitUntil([] { return !MessageQueued(WM_CHAR, WM_CHAR); }, WaitDeadlineMs, PumpEvents));
    ASSERT_EQ(Table->GetEditedCell(row, col), editor);
    EXPECT_EQ(col, 0);
    EXPECT_EQ(std::string(editor->EditRVData()->GetItemText(0)),
              std::string(static_cast<size_t>(Style.SpacesInTab()), ' ') + "0,0");
}

} // namespace

TEST_F(TableMouseTest, TheCellEditorRunsTheHoldersHandlersAndPassesDragsToIt)
{
    NewTable(2, 2);
    TCustomRollView* holder = Editor.Edit;
    std::vector<std::string> calls;
    auto at = [](TObject* sender, TCustomRollView* expected, int x, int y) {
        return std::string(sender == expected ? "holder " : "other ") + std::to_string(x) + "," +
               std::to_string(y);
    };
    holder->OnKeyDown = [&](TObject* sender, WORD&, TShiftState) {
        calls.push_back(std::string("key ") + (sender == holder ? "holder" : "cell"));
    };
    Table->CreateInplace(-1, 1, 1, false, true, false, false, true);
    int row, col;
    TRVTableInplaceEdit* editor = Table->GetEditedCell(row, col);
    ASSERT_NE(editor, nullptr);
    SimulateKey(editor, VK_RIGHT);
    EXPECT_EQ(calls, (std::vector<std::string>{"key cell"})) << "the program's key handler runs in the cell";
    calls.clear();

    // Over the cell a drag is answered as the holder answers: it takes none
    // without a handler.
    ASSERT_TRUE(static_cast<bool>(editor->OnDragOver));
    bool accept = true;
    editor->OnDragOver(editor, Editor.Form, 3, 4, dsDragEnter, accept);
    EXPECT_FALSE(accept);
    holder->OnDragOver = [&](TObject* sender, TObject* source, int x, int y, TDragState, bool& take) {
        calls.push_back("over " + at(sender, holder, x, y));
        take = source == Editor.Form;
    };
    accept = true;
    editor->OnDragOver(editor, Editor.Form, 3, 4, dsDragMove, accept);
    EXPECT_TRUE(accept);
    const std::string point = at(holder, holder, editor->Left() + 3, editor->Top() + 4);
    EXPECT_EQ(calls, (std::vector<std::string>{"over " + point}));
    calls.clear();

    // A drop on the cell reaches the holder once, after the drop's own
    // handling, in the holder's coordinates.
    holder->OnDragDrop = [&](TObject* sender, TObject* source, int x, int y) {
        calls.push_back("drop " + at(sender, holder, x, y) + (source == Editor.Form ? " form" : ""));
    };
    editor->DragDrop(Editor.Form, 3, 4);
    EXPECT_TRUE(calls.empty()) << "deferred";
    bool clicked = false;
    holder->OnClick = [&](TObject*) { clicked = true; };
    holder->PostRVEvent(std::make_unique<TRVClickMessageData>());
    ASSERT_TRUE(WaitUntil([&] { return clicked; }, WaitDeadlineMs, PumpEvents));
    EXPECT_EQ(calls, (std::vector<std::string>{"drop " + point + " form"}));
}
