// Seeded random sequences of structural operations on a table in an editor:
// after every step the grid is sound and the editor's invariant holds (undo
// and redo of the step give back both documents); at the end, undoing every
// step gives back the first document byte for byte and redoing them the last.
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "tests/support/tablegrid.h"

namespace {

class TableRandomTest : public TTableEditFixture {
protected:
    int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(Random); }
    bool Coin() { return Pick(0, 1) == 1; }

    // One random operation; its arguments may be out of range on purpose.
    void Step(std::string& name)
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
        switch (Pick(0, 10)) {
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

    std::mt19937 Random;
};

TEST_F(TableRandomTest, UndoAllAndRedoAllGiveBackBothEnds)
{
    constexpr int Seeds = 1500;
    constexpr int Steps = 12;
    int changed = 0;
    for (int seed = 1; seed <= Seeds && !HasFailure(); ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        Random.seed(static_cast<unsigned>(seed));
        d = Editor.NewEditor(&Style);
        NewTable(Pick(1, 4), Pick(1, 4));
        for (int r = 0; r < Table->Rows->Count(); ++r)
            for (int c = 0; c < Table->Rows->GetColCount(); ++c) {
                Table->GetCells(r, c)->BestWidth = Pick(-1, 1) * Pick(0, 60);
                Table->GetCells(r, c)->BestHeight = Pick(0, 40);
            }
        d->FormatAll();
        const AnsiString start = editinvariant::SaveRVF(*d);
        for (int i = 0; i < Steps && !HasFailure(); ++i) {
            std::string name;
            const AnsiString before = editinvariant::SaveRVF(*d);
            try {
                changed += Command("step " + std::to_string(i), [&] { Step(name); }) ? 1 : 0;
            } catch (const ERollViewError&) {
                EXPECT_TRUE(editinvariant::SaveRVF(*d) == before) << name << ": a refusal changed the table";
            }
            if (HasFailure())
                ADD_FAILURE() << "failing seed " << seed << ", step " << i << " (" << name << ")";
        }
        const AnsiString end = editinvariant::SaveRVF(*d);
        const int groups = d->UndoList->Count();
        for (int i = 0; i < groups; ++i)
            d->Undo();
        EXPECT_TRUE(editinvariant::SaveRVF(*d) == start) << "failing seed " << seed << ": undo all";
        for (int i = 0; i < groups; ++i)
            d->Redo();
        EXPECT_TRUE(editinvariant::SaveRVF(*d) == end) << "failing seed " << seed << ": redo all";
        EXPECT_EQ(tablegrid::GridFault(*Table->Rows), "") << "failing seed " << seed;
    }
    // Most steps change the table: the sequences are not mostly refusals.
    EXPECT_GT(changed, Seeds * Steps / 2);
}

} // namespace
