// Structural operations on a table in an editor: each runs as one undoable
// command whose undo and redo give back both documents byte for byte, and
// leaves a sound grid and a layout equal to a fresh one.
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "platform/graphics/bitmap.h"
#include "table/rvtinplace.h"
#include "tests/support/tablegrid.h"
#include "tests/support/testtable.h"

namespace {

struct TShapeCase {
    const char* Name;
    int Rows;
    int Cols;
    std::function<void(TRVTableItemInfo*)> Setup; // straight on the grid, before recording
    std::function<void(TRVTableRows*)> Operation;
    const char* Shape;                            // expected grid afterwards
    std::function<void(TRVTableItemInfo*)> Check; // optional further checks
};

class TableShapeTest : public TTableEditFixture, public ::testing::WithParamInterface<TShapeCase> {};

TEST_P(TableShapeTest, GivesTheGridAndUndoesIt)
{
    const TShapeCase& tc = GetParam();
    NewTable(tc.Rows, tc.Cols);
    if (tc.Setup)
        tc.Setup(Table);
    d->FormatAll();
    EXPECT_TRUE(Command(tc.Name, [&] { tc.Operation(Table->Rows.get()); }));
    EXPECT_EQ(tablegrid::Shape(*Table->Rows), tc.Shape);
    if (tc.Check)
        tc.Check(Table);
}

const TShapeCase ShapeCases[] = {
    {"rows 1-2 under a 3-row cell", 3, 2,
     [](TRVTableItemInfo* t) {
         MergeBlock(t, 0, 0, 1, 3);
         t->GetCells(0, 0)->BestHeight = 90;
     },
     [](TRVTableRows* r) { r->DeleteRows(1, 2, true); }, "1x1 1x1 |",
     [](TRVTableItemInfo* t) { EXPECT_EQ(t->GetCells(0, 0)->BestHeight, 30); }},
    {"row 0 of a 3-row cell", 3, 2,
     [](TRVTableItemInfo* t) {
         MergeBlock(t, 0, 0, 1, 3);
         t->GetCells(0, 0)->Color = clRed;
     },
     [](TRVTableRows* r) { r->DeleteRows(0, 1, false); }, "1x2 1x1 |. 1x1 |",
     [](TRVTableItemInfo* t) { EXPECT_EQ(t->GetCells(0, 0)->Color, clRed); }},
    {"rows 1 to 100 clamp", 5, 1, nullptr, [](TRVTableRows* r) { r->DeleteRows(1, 100, false); }, "1x1 |",
     nullptr},
    {"a row inside a 2-row cell", 2, 2, [](TRVTableItemInfo* t) { MergeBlock(t, 0, 0, 1, 2); },
     [](TRVTableRows* r) { r->InsertRows(1, 1, 0, false); }, "1x3 1x1 |. 1x1 |. 1x1 |", nullptr},
    {"a row copying row 1", 3, 3,
     [](TRVTableItemInfo* t) {
         MergeBlock(t, 1, 0, 2, 1);
         t->GetCells(1, 0)->Color = clBlue;
         t->GetCells(1, 0)->BestWidth = 50;
         t->GetCells(1, 0)->VAlign = rvcBottom;
     },
     [](TRVTableRows* r) { r->InsertRows(2, 1, 1, false); },
     "1x1 1x1 1x1 |2x1 . 1x1 |2x1 . 1x1 |1x1 1x1 1x1 |",
     [](TRVTableItemInfo* t) {
         const TRVTableCellData* c = t->GetCells(2, 0);
         EXPECT_EQ(c->Color, clBlue);
         EXPECT_EQ(c->BestWidth, 50);
         EXPECT_EQ(c->VAlign, rvcBottom);
     }},
    {"a column inside a 2-column cell", 2, 2, [](TRVTableItemInfo* t) { MergeBlock(t, 0, 0, 2, 1); },
     [](TRVTableRows* r) { r->InsertCols(1, 2, 1, false); }, "4x1 . . . |1x1 1x1 1x1 1x1 |", nullptr},
    {"a column copying a 2-row cell", 2, 2, [](TRVTableItemInfo* t) { MergeBlock(t, 0, 1, 1, 2); },
     [](TRVTableRows* r) { r->InsertCols(2, 1, 1, false); }, "1x1 1x2 1x2 |1x1 . . |", nullptr},
    // Copies of a wide (tall) cell stop at a slot that a cell grown across the
    // insertion covers, instead of covering it a second time.
    {"a row copying a wide cell under a tall one", 3, 3,
     [](TRVTableItemInfo* t) {
         MergeBlock(t, 0, 1, 1, 2);
         MergeBlock(t, 2, 0, 3, 1);
     },
     [](TRVTableRows* r) { r->InsertRows(1, 1, 2, false); }, "1x1 1x3 1x1 |1x1 . 1x1 |1x1 . 1x1 |3x1 . . |",
     nullptr},
    {"a column copying a tall cell beside a wide one", 3, 3,
     [](TRVTableItemInfo* t) {
         MergeBlock(t, 0, 0, 1, 2);
         MergeBlock(t, 1, 1, 2, 1);
     },
     [](TRVTableRows* r) { r->InsertCols(2, 1, 0, false); }, "1x2 1x1 1x1 1x1 |. 3x1 . . |1x1 1x1 1x1 1x1 |",
     nullptr},
    {"columns 1-2 under a 3-column cell", 2, 3, [](TRVTableItemInfo* t) { MergeBlock(t, 0, 0, 3, 1); },
     [](TRVTableRows* r) { r->DeleteCols(1, 2, false); }, "1x1 |1x1 |", nullptr},
    {"a 2x3 cell unmerged shares widths", 3, 3,
     [](TRVTableItemInfo* t) {
         MergeBlock(t, 0, 0, 3, 2);
         t->GetCells(0, 0)->BestWidth = 120;
     },
     [](TRVTableRows* r) { r->UnmergeCell(0, 0, true, true); }, "1x1 1x1 1x1 |1x1 1x1 1x1 |1x1 1x1 1x1 |",
     [](TRVTableItemInfo* t) {
         for (int r = 0; r < 2; ++r)
             for (int c = 0; c < 3; ++c)
                 EXPECT_EQ(t->GetCells(r, c)->BestWidth, 40) << r << "," << c;
     }},
    {"a width of 2 over three columns", 1, 3,
     [](TRVTableItemInfo* t) {
         MergeBlock(t, 0, 0, 3, 1);
         t->GetCells(0, 0)->BestWidth = 2;
     },
     [](TRVTableRows* r) { r->UnmergeCell(0, 0, false, true); }, "1x1 1x1 1x1 |",
     [](TRVTableItemInfo* t) { EXPECT_EQ(t->GetCells(0, 2)->BestWidth, 1); }},
    {"a one-column cell split into 3", 2, 2, nullptr,
     [](TRVTableRows* r) { EXPECT_EQ(r->SplitCellVertically(0, 1, 3), 2); }, "1x1 1x1 1x1 1x1 |1x1 3x1 . . |",
     nullptr},
    {"a 2-wide cell split into 3", 2, 2, [](TRVTableItemInfo* t) { MergeBlock(t, 0, 0, 2, 1); },
     [](TRVTableRows* r) { EXPECT_EQ(r->SplitCellVertically(0, 0, 3), 1); }, "1x1 1x1 1x1 |2x1 . 1x1 |",
     nullptr},
    {"a 3-wide cell split into 2", 1, 3, [](TRVTableItemInfo* t) { MergeBlock(t, 0, 0, 3, 1); },
     [](TRVTableRows* r) { EXPECT_EQ(r->SplitCellVertically(0, 0, 2), 0); }, "2x1 . 1x1 |", nullptr},
    {"a one-row cell split into 2 rows", 2, 2, nullptr,
     [](TRVTableRows* r) { EXPECT_EQ(r->SplitCellHorizontally(1, 0, 2), 1); }, "1x1 1x1 |1x1 1x2 |1x1 . |",
     nullptr},
    {"a clear keeps attributes and spans", 2, 2,
     [](TRVTableItemInfo* t) {
         MergeBlock(t, 0, 0, 2, 1);
         t->GetCells(0, 0)->Color = clGreen;
     },
     [](TRVTableRows* r) {
         TRVIntegerList rows;
         TRVIntegerList cols;
         rows.Add(0);
         cols.Add(0);
         rows.Add(1); // an entry naming no cell is skipped
         cols.Add(5);
         r->ClearCells(rows, cols);
     },
     "2x1 . |1x1 1x1 |",
     [](TRVTableItemInfo* t) {
         EXPECT_EQ(t->GetCells(0, 0)->Color, clGreen);
         EXPECT_EQ(t->GetCells(0, 0)->GetItemCount(), 1);
         EXPECT_EQ(t->GetCells(0, 0)->GetItemText(0), "");
     }},
};

INSTANTIATE_TEST_SUITE_P(Operations, TableShapeTest, ::testing::ValuesIn(ShapeCases));

using TableStructureTest = TTableEditFixture;

// Refused deletions and merges change nothing and record nothing.
TEST_F(TableStructureTest, RefusalsChangeNothing)
{
    NewTable(6, 3);
    const AnsiString before = editinvariant::SaveRVF(*d);
    const std::function<void(TRVTableRows*)> refused[] = {
        [](TRVTableRows* r) { r->DeleteRows(0, 7, false); },
        [](TRVTableRows* r) { r->DeleteRows(6, 1, false); },
        [](TRVTableRows* r) { r->DeleteCols(0, 4, false); },
        [](TRVTableRows* r) { r->DeleteCols(1, 0, false); },
        [](TRVTableRows* r) { r->InsertRows(7, 1, 0, false); },
        [](TRVTableRows* r) { r->InsertCols(0, 1, 3, false); },
    };
    for (size_t i = 0; i < std::size(refused); ++i) {
        SCOPED_TRACE(i);
        EXPECT_THROW(Command("refused", [&] { refused[i](Table->Rows.get()); }), ERollViewError);
        EXPECT_TRUE(editinvariant::SaveRVF(*d) == before);
        EXPECT_EQ(d->UndoList->CurrentUndoType(), rvutNone);
    }
    // A merge that would cover a whole column beeps.
    EXPECT_FALSE(Command("merge", [&] { Table->Rows->MergeCells(0, 0, 2, 6, false, false); }));
    EXPECT_EQ(Editor.Beeps(), 1);
    EXPECT_TRUE(Command("merge", [&] { Table->Rows->MergeCells(0, 0, 2, 6, true, false); }));
}

TEST_F(TableStructureTest, MergeJoinsTextsInRowOrderAndUndoGivesThemBack)
{
    NewTable(2, 2);
    EXPECT_TRUE(Command("merge", [&] { Table->Rows->MergeCells(0, 0, 2, 2, true, false); }));
    EXPECT_EQ(CellText(0, 0), "0,0/0,1/1,0/1,1");
    d->Undo();
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 2; ++c)
            EXPECT_EQ(CellText(r, c), std::to_string(r) + "," + std::to_string(c));
}

TEST_F(TableStructureTest, UndoGivesBackTheVeryRowsAndCells)
{
    NewTable(3, 3);
    MergeBlock(Table, 0, 1, 2, 2);
    d->FormatAll();
    TRVTableRow* row1 = Table->Rows->Get(1);
    TRVTableCellData* cell = Table->GetCells(1, 0);
    EXPECT_TRUE(Command("rows", [&] { Table->Rows->DeleteRows(1, 2, false); }));
    d->Undo();
    EXPECT_EQ(Table->Rows->Get(1), row1);
    EXPECT_EQ(Table->GetCells(1, 0), cell);
    EXPECT_EQ(tablegrid::GridFault(*Table->Rows), "");

    EXPECT_TRUE(Command("cols", [&] { Table->Rows->DeleteCols(1, 2, false); }));
    d->Undo();
    EXPECT_EQ(tablegrid::Shape(*Table->Rows), "1x1 2x2 . |1x1 . . |1x1 1x1 1x1 |");
    EXPECT_EQ(Table->GetCells(1, 0), cell);
}

// The table's layout keeps what still stands: a row inserted while the
// column widths stand lays out the new row's cells and leaves the others'
// lines as they were; a cell changed through its own document is laid out
// again though its width stands; and either way the layout is the one a fresh
// layout of every cell makes.
TEST_F(TableStructureTest, ALayoutAfterAnEditLaysOutOnlyTheChangedCells)
{
    NewTable(4, 2);
    // A mark that only a new layout of the cell takes away.
    constexpr int Mark = -12345;
    auto mark = [&](int r, int c) {
        const int width = Table->GetCells(r, c)->DrawItems[0]->Width;
        Table->GetCells(r, c)->DrawItems[0]->Width = Mark;
        return width;
    };
    const int itemNo = Table->GetMyItemNo();
    auto relayout = [&](const std::function<void()>& change) {
        const int token = Table->BeginModify(itemNo);
        change();
        Table->EndModify(itemNo, token);
    };
    const int width = mark(3, 1);
    relayout([&] { Table->InsertRows(2, 1, 1, false); });
    EXPECT_EQ(Table->GetCells(4, 1)->DrawItems[0]->Width, Mark) << "an unchanged cell was laid out again";
    EXPECT_EQ(Table->GetCells(2, 0)->DrawItems.Count(), 1);
    Table->GetCells(4, 1)->DrawItems[0]->Width = width;
    EXPECT_EQ(tablegrid::StaleLayout(*d, *Table), "");

    // Same width of text: the column widths stand, the changed cell alone moves.
    TRVTableCellData* cell = Table->GetCells(0, 0);
    cell->Clear();
    cell->AddNL("a,b", 0, 0);
    cell->AddNL("c,d", 0, 0);
    const int height = Table->GetHeight();
    relayout([&] { Table->Changed(); });
    EXPECT_EQ(cell->DrawItems.Count(), 2);
    EXPECT_GT(Table->GetHeight(), height);
    EXPECT_EQ(tablegrid::StaleLayout(*d, *Table), "");

    // A changed style sheet lays out every cell again.
    mark(4, 1);
    Style.TextStyles()->Items(0)->SetSize(20);
    relayout([&] { Table->Changed(); });
    EXPECT_NE(Table->GetCells(4, 1)->DrawItems[0]->Width, Mark);
    EXPECT_EQ(tablegrid::StaleLayout(*d, *Table), "");
}

// Deleting a column widens the cells left; the one an editor holds is laid
// out at its new width before its height is taken, so the table is no
// taller than a fresh layout makes it (here the table also stops needing the
// vertical scroll bar, which widens the document once more).
TEST_F(TableStructureTest, TheEditedCellIsLaidOutAtItsNewWidthWhenAColumnGoes)
{
    for (const int col : {0, 1}) {
        SCOPED_TRACE(col);
        d = Editor.NewEditor(&Style);
        Editor.SetClientSize(74, 166);
        auto* picture = new TBitmap();
        picture->SetSize(50, 50);
        ASSERT_TRUE(Editor.Edit->InsertPicture(AnsiString(), picture, rvvaBaseline));
        Table = new TRVTableItemInfo(2, 2, d);
        for (int r = 0; r < 2; ++r)
            for (int c = 0; c < 2; ++c)
                SetCellText(r, c, "ab cd ef gh ij kl");
        ASSERT_TRUE(Editor.Edit->InsertItem(AnsiString(), Table));
        Table->DeleteCols(col, 1, col == 1);
        Editor.Edit->Format();
        ASSERT_NE(Table->InplaceEditor, nullptr);
        EXPECT_EQ(tablegrid::StaleLayout(*d, *Table), "");
        editinvariant::CheckState(*d, "column " + std::to_string(col) + " deleted");
    }
}

} // namespace
