// Tables a tiny file can describe but that would cost minutes or gigabytes:
// a cell spanning a million rows, a grid of a million slots under one cell,
// and a cells list that ends long before the grid it claims. Their cost is
// counted in the slots that main-cell lookups look at, never timed; a failed
// read keeps only what the file gave.
#include <gtest/gtest.h>

#include <random>

#include "platform/core/numbers.h"
#include "platform/graphics/recordingcanvas.h"
#include "tests/support/tablegrid.h"
#include "tests/support/testtablestore.h"

namespace {

// A table of Rows x Cols slots whose only cell spans them all.
TRVTableItemInfo* AddOneCellTable(TTableDoc& Doc, int Rows, int Cols)
{
    TRVTableItemInfo* Table = Doc.AddTable(Rows, Cols);
    MergeBlock(Table, 0, 0, Cols, Rows);
    SetCellText(Table->GetCells(0, 0), "all");
    return Table;
}

struct TShape {
    const char* Name;
    int Rows;
    int Cols;
};

const TShape Shapes[] = {{"TallColumn", 4096, 1}, {"Square", 64, 64}, {"WideRow", 1, 4096}};

// Laying out, painting and every writer look at each slot a bounded number
// of times, however far the cell covering it lies.
TEST(TableHostile, MainCellsCostAFewStepsPerSlotWhateverTheSpans)
{
    for (const TShape& S : Shapes) {
        SCOPED_TRACE(S.Name);
        const int64_t Slots = int64_t(S.Rows) * S.Cols;
        TTableDoc Doc;
        TRVTableItemInfo* Table = AddOneCellTable(Doc, S.Rows, S.Cols);
        TRVTableRows& Rows = *Table->Rows;

        int64_t Before = Rows.GetMainCellSteps();
        Doc.Format();
        EXPECT_LE(Rows.GetMainCellSteps() - Before, 8 * Slots) << "layout";

        // Painting a strip in the middle looks at the rows it shows (the
        // first time a lookup may index the grid once).
        TRecordingCanvas Canvas(1000, 1000, 96);
        const int Middle = Table->GetHeight() / 2;
        for (int Time = 0; Time < 2; ++Time) {
            Before = Rows.GetMainCellSteps();
            Table->PaintTo(0, 400, 0, 0, Rows.Count(), &Canvas, {}, nullptr, Table->FormattingInfo.get(),
                           false, Rect(0, Middle, 400, Middle + 50), rvcmColor);
            EXPECT_LE(Rows.GetMainCellSteps() - Before, 64 + 8 * S.Cols + (Time == 0 ? Slots : 0))
                << "painting " << Time;
        }

        Before = Rows.GetMainCellSteps();
        TMemoryStream Rtf;
        ASSERT_TRUE(Doc.Data.SaveRTFToStream(Rtf, false, 0, clNone, nullptr, nullptr, nullptr, nullptr,
                                             nullptr, nullptr, 0));
        EXPECT_LE(Rows.GetMainCellSteps() - Before, 8 * Slots) << "RTF";

        Before = Rows.GetMainCellSteps();
        TMemoryStream Html;
        int Counter = 0;
        ASSERT_TRUE(Doc.Data.SaveHTMLToStream(Html, "", "t", "img", TRVSaveOptions(), clWhite, Counter, 0, 0,
                                              0, 0, nullptr, nullptr));
        TMemoryStream Text;
        ASSERT_TRUE(Doc.Data.SaveTextToStream("", Text, 80, false, false, false));
        SaveDocRVF(Doc, false);
        SaveDocRVF(Doc, true);
        EXPECT_LE(Rows.GetMainCellSteps() - Before, 8 * Slots) << "HTML, text and RVF";
    }
}

// The lookups answer as the definition does (left along the row, then up)
// on merged grids, also after the grid changed under a layout that used them.
TEST(TableHostile, MainCellsFollowTheGridThroughChanges)
{
    // The definition itself: walk left, then up.
    const auto Expected = [](const TRVTableRows& Rows, int Row, int Col, int& MRow, int& MCol) {
        for (MRow = Row; MRow >= 0; --MRow)
            for (MCol = Col; MCol >= 0; --MCol)
                if (const TRVTableCellData* Cell = Rows.Get(MRow)->Get(MCol))
                    if (Cell->ColSpan > Col - MCol && Cell->RowSpan > Row - MRow)
                        return static_cast<const TRVTableCellData*>(Cell);
        return static_cast<const TRVTableCellData*>(nullptr);
    };
    std::mt19937 Random(7);
    const auto Pick = [&](int Low, int High) {
        return std::uniform_int_distribution<int>(Low, High)(Random);
    };
    for (int Round = 0; Round < 40; ++Round) {
        SCOPED_TRACE(Round);
        TTableDoc Doc;
        TRVTableItemInfo* Table = Doc.AddTable(Pick(1, 7), Pick(1, 7));
        TRVTableRows& Rows = *Table->Rows;
        for (int Step = 0; Step < 6; ++Step) {
            const int R = Pick(0, Rows.Count() - 1);
            const int C = Pick(0, Rows.GetColCount() - 1);
            switch (Pick(0, 3)) {
            case 0:
                Rows.MergeCells(R, C, Pick(1, 3), Pick(1, 3), true, false);
                break;
            case 1:
                Rows.UnmergeCells(R, C, 2, 2, true, true);
                break;
            case 2:
                Rows.InsertRows(Pick(0, Rows.Count()), 1, -1, false);
                break;
            default:
                if (Rows.GetColCount() > 1)
                    Rows.DeleteCols(C, 1, false);
                break;
            }
            ASSERT_EQ(tablegrid::GridFault(Rows), "") << tablegrid::Shape(Rows);
            Doc.Format();
            for (int r = 0; r < Rows.Count(); ++r)
                for (int c = 0; c < Rows.GetColCount(); ++c) {
                    int MRow = -1, MCol = -1, ERow = -1, ECol = -1;
                    const TRVTableCellData* Got = Rows.GetMainCell(r, c, MRow, MCol);
                    EXPECT_EQ(Got, Expected(Rows, r, c, ERow, ECol)) << r << "," << c;
                    EXPECT_EQ(MRow, ERow);
                    EXPECT_EQ(MCol, ECol);
                }
        }
    }
}

// Counts of a cells list and the cells it holds.
struct TPartialList {
    const char* Name;
    int Rows;
    int Cols;
    // The entries given (ColSpan, RowSpan) before the list ends.
    std::vector<std::pair<int, int>> Entries;
    // The grid kept: its rows and, row by row, its shape.
    int KeptRows;
    std::string KeptShape;
};

const TPartialList PartialLists[] = {
    {"OneCellOfAGrid", 256, 256, {{1, 1}}, 0, ""},
    {"OneCellOfAWideRow", 1, 65536, {{1, 1}}, 0, ""},
    {"TwoWholeRows", 256, 2, {{1, 1}, {1, 1}, {1, 1}, {1, 1}, {1, 1}}, 2, "1x1 1x1 |1x1 1x1 |"},
    // The cell reaching below the rows kept is cut at them.
    {"TallCellCut", 300, 2, {{1, 3}, {1, 1}, {1, 1}}, 2, "1x2 1x1 |. 1x1 |"},
};

// A list that ends early fails the read, and the table then holds only the
// rows the list gave whole: no cell, row or slot for what was only claimed.
TEST(TableHostile, AFailedReadKeepsOnlyTheWholeRowsItRead)
{
    for (const TPartialList& L : PartialLists) {
        SCOPED_TRACE(L.Name);
        const std::string Bytes = TableStream([&L](TWriter& W) {
            W.WriteInteger(L.Rows);
            W.WriteInteger(L.Cols);
            W.WriteListBegin();
            for (const auto& E : L.Entries)
                WriteCellEntry(W, E.first, E.second);
            W.WriteListEnd();
        });
        TTableDoc Doc;
        TRVTableItemInfo* Table = Doc.AddTable(1, 1);
        EXPECT_THROW(LoadTableStream(Table, Bytes), EReadError);
        ASSERT_EQ(Table->Rows->Count(), L.KeptRows);
        EXPECT_EQ(tablegrid::Shape(*Table->Rows), L.KeptShape);
        if (L.KeptRows > 0) {
            EXPECT_EQ(tablegrid::GridFault(*Table->Rows), "");
        }
        // What is kept is laid out, painted and saved as any table.
        Doc.Format();
        SaveDocRVF(Doc, false);
    }
}

} // namespace
