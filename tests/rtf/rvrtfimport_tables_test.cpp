// RTF tables loaded into documents: the column grid, merged cells, nesting,
// what follows the last row, the finishing of borders, padding and widths, and
// our own writer's tables read back.
#include <gtest/gtest.h>

#include <functional>

#include "document/rvstyle_list.h"
#include "tests/support/markercheck.h"
#include "tests/support/rtfemptyends.h"
#include "tests/support/rtfimport.h"
#include "tests/support/tablegrid.h"
#include "tests/support/testtable.h"

namespace {

class TRTFTableTest : public TRTFImportTest {
protected:
    // The tables of the document, outermost first, each checked for a sound grid.
    std::vector<TRVTableItemInfo*> Tables(TCustomRVData& data)
    {
        std::vector<TRVTableItemInfo*> found;
        for (int i = 0; i < data.GetItemCount(); ++i)
            if (auto* table = dynamic_cast<TRVTableItemInfo*>(data.GetItem(i))) {
                EXPECT_EQ(tablegrid::GridFault(*table->Rows), "") << tablegrid::Shape(*table->Rows);
                found.push_back(table);
                for (int r = 0; r < table->Rows->Count(); ++r)
                    for (int c = 0; c < table->Rows->GetColCount(); ++c)
                        if (TRVTableCellData* cell = table->GetCells(r, c))
                            for (TRVTableItemInfo* nested : Tables(*cell))
                                found.push_back(nested);
            }
        return found;
    }
    TRVTableItemInfo* OnlyTable()
    {
        const std::vector<TRVTableItemInfo*> tables = Tables(Data);
        return tables.size() == 1 ? tables[0] : nullptr;
    }
};

// Two rows "a | b" and "c | d" whose second row has the given boundaries.
std::string TwoRows(const char* secondRow)
{
    return std::string(R"({\rtf1\trowd\cellx1000\cellx2000\pard\intbl a\cell b\cell\row\trowd)") + secondRow +
           R"(\pard\intbl c\cell d\cell\row\pard after\par})";
}

struct TGridCase {
    const char* Name;
    std::string Rtf;
    const char* Shape;
    const char* Summary;
};

} // namespace

TEST_F(TRTFTableTest, CellBoundariesMakeTheColumnGrid)
{
    const TGridCase cases[] = {
        {"1 twip apart: one column", TwoRows(R"(\cellx1001\cellx2000)"), "1x1 1x1 |1x1 1x1 |",
         "[2x2: a / b | c / d]\nafter"},
        {"2 twips apart: the earlier row's cell spans the new column", TwoRows(R"(\cellx1002\cellx2000)"),
         "1x1 2x1 . |2x1 . 1x1 |", "[2x3: a / b | c / d]\nafter"},
        {"a narrower row", TwoRows(R"(\cellx1000\cellx1500)"), "1x1 2x1 . |1x1 1x1 1x1 |",
         "[2x3: a / b | c / d / ]\nafter"},
        {"a wider row", TwoRows(R"(\cellx1000\cellx3000)"), "1x1 1x1 1x1 |1x1 2x1 . |",
         "[2x3: a / b /  | c / d]\nafter"},
        {"horizontal merge",
         R"({\rtf1\trowd\clmgf\cellx1000\clmrg\cellx2000\cellx3000\pard\intbl a\cell b\cell c\cell\row})",
         "2x1 . 1x1 |", "[1x3: a\nb / c]"},
        {"vertical merge",
         R"({\rtf1\trowd\clvmgf\cellx1000\cellx2000\pard\intbl a\cell b\cell\row)"
         R"(\trowd\clvmrg\cellx1000\cellx2000\pard\intbl\cell d\cell\row})",
         "1x2 1x1 |. 1x1 |", "[2x2: a / b | d]"},
        {"a merged block",
         R"({\rtf1\trowd\clvmgf\clmgf\cellx1000\clvmgf\clmrg\cellx2000\cellx3000\pard\intbl a\cell\cell b\cell\row)"
         R"(\trowd\clvmrg\clmgf\cellx1000\clvmrg\clmrg\cellx2000\cellx3000\pard\intbl\cell\cell c\cell\row})",
         "2x2 . 1x1 |. . 1x1 |", "[2x3: a / b | c]"},
        {"two merged blocks in one column",
         R"({\rtf1\trowd\clvmgf\cellx1000\cellx2000\pard\intbl a\cell b\cell\row)"
         R"(\trowd\clvmrg\cellx1000\cellx2000\pard\intbl\cell c\cell\row)"
         R"(\trowd\clvmgf\cellx1000\cellx2000\pard\intbl d\cell e\cell\row)"
         R"(\trowd\clvmrg\cellx1000\cellx2000\pard\intbl\cell f\cell\row})",
         "1x2 1x1 |. 1x1 |1x2 1x1 |. 1x1 |", "[4x2: a / b | c | d / e | f]"},
        {"merged rows without a start join the cell above",
         R"({\rtf1\trowd\cellx1000\cellx2000\pard\intbl a\cell b\cell\row)"
         R"(\trowd\clvmrg\cellx1000\cellx2000\pard\intbl x\cell c\cell\row)"
         R"(\trowd\clvmrg\cellx1000\cellx2000\pard\intbl y\cell d\cell\row})",
         "1x3 1x1 |. 1x1 |. 1x1 |", "[3x2: a\nx\ny / b | c | d]"},
        {"a merged block goes on across a new grid column",
         R"({\rtf1\trowd\clvmgf\cellx1000\cellx2000\pard\intbl a\cell b\cell\row)"
         R"(\trowd\clvmrg\cellx1000\cellx2000\pard\intbl\cell c\cell\row)"
         R"(\trowd\clvmrg\cellx1000\cellx1500\cellx2000\pard\intbl\cell d\cell e\cell\row})",
         "1x3 2x1 . |. 2x1 . |. 1x1 1x1 |", "[3x3: a / b | c | d / e]"},
        {"a merge that does not fit the cell above is not made",
         R"({\rtf1\trowd\cellx2000\pard\intbl a\cell\row\trowd\clvmrg\cellx1000\cellx2000\pard\intbl b\cell c\cell\row})",
         "2x1 . |1x1 1x1 |", "[2x2: a | b / c]"},
    };
    for (const TGridCase& c : cases) {
        SCOPED_TRACE(c.Name);
        Data.Clear();
        ASSERT_EQ(Load(c.Rtf), rtf_ec_OK);
        TRVTableItemInfo* table = OnlyTable();
        ASSERT_NE(table, nullptr) << Summary();
        EXPECT_EQ(tablegrid::Shape(*table->Rows), c.Shape);
        EXPECT_EQ(Summary(), c.Summary);
        ExpectStylesInRange();
    }
}

// The work of merging, counted in the table's main-cell lookups: in
// proportion to the table's slots, however tall or wide the merged cells.
TEST_F(TRTFTableTest, MergedCellsCostWorkInProportionToTheTable)
{
    struct TCase {
        const char* Name;
        std::string Rtf;
        int64_t Slots;
    };
    std::string tall = R"({\rtf1)", alone = R"({\rtf1)", wide = R"({\rtf1)";
    const int rows = 1500;
    for (int r = 0; r < rows; ++r) {
        const std::string rest = R"(\cellx1000\cellx2000\pard\intbl a\cell b\cell\row)";
        tall += std::string(r == 0 ? R"(\trowd\clvmgf)" : R"(\trowd\clvmrg)") + rest;
        alone += R"(\trowd\clvmrg)" + rest;
    }
    const int wideRows = 20, wideCells = 300;
    for (int r = 0; r < wideRows; ++r) {
        wide += R"(\trowd)";
        for (int c = 0; c < wideCells; ++c)
            wide +=
                std::string(c == 0 ? R"(\clmgf)" : R"(\clmrg)") + R"(\cellx)" + std::to_string(10 * (c + 1));
        wide += R"(\pard\intbl)";
        for (int c = 0; c < wideCells; ++c)
            wide += R"( x\cell)";
        wide += R"(\row)";
    }
    const TCase cases[] = {
        {"a cell merged down every row", tall + "}", 2 * rows},
        {"\\clvmrg without a start", alone + "}", 2 * rows},
        {"rows of merged cells", wide + "}", wideRows * wideCells},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        Data.Clear();
        ASSERT_EQ(Load(c.Rtf), rtf_ec_OK);
        TRVTableItemInfo* table = OnlyTable();
        ASSERT_NE(table, nullptr);
        EXPECT_EQ(table->Rows->Count(), c.Name[0] == 'r' ? wideRows : rows);
        EXPECT_EQ(table->Rows->Count() * table->Rows->GetColCount(), c.Slots);
        // One merged cell per column, or per row.
        const TRVTableCellData* first = table->GetCells(0, 0);
        ASSERT_NE(first, nullptr);
        EXPECT_EQ(c.Name[0] == 'r' ? first->ColSpan : first->RowSpan, c.Name[0] == 'r' ? wideCells : rows);
        EXPECT_LE(table->Rows->GetMainCellSteps(), 8 * c.Slots);
    }
}

TEST_F(TRTFTableTest, ContentAfterTheLastRowAndOutsideTablesGoesOnAsText)
{
    const struct {
        const char* Name;
        const char* Rtf;
        const char* Summary;
    } cases[] = {
        {"after the last row", R"({\rtf1\trowd\cellx1000\pard\intbl a\cell\row moved\par\pard after})",
         "[1x1: a]\nmoved\nafter"},
        {"a row never ended", R"({\rtf1\trowd\cellx1000\pard\intbl a\cell b})", "a\nb"},
        {"a cell outside any table", R"({\rtf1 a\cell b\row\nestcell\nestrow c})", "a\nb\nc"},
        {"an empty first cell", R"({\rtf1\trowd\cellx1000\cellx2000\pard\intbl\cell b\cell\row})",
         "[1x2:  / b]"},
        {"a table with no cell", R"({\rtf1\trowd\cellx1000\pard\intbl\row\pard after})", "after"},
        {"a page break inside a table waits for the text after it",
         R"({\rtf1\trowd\cellx1000\pard\intbl a\cell\row\pard\page after})", "[1x1: a]\n^after"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        Data.Clear();
        EXPECT_EQ(Load(c.Rtf), rtf_ec_OK);
        EXPECT_EQ(Summary(), c.Summary);
        Tables(Data);
        ExpectStylesInRange();
    }
}

// Each row's cells hold what that row gave them and nothing a wider row
// before it left: rows of fewer cells, a row never ended, and a bookmark
// read at a row's end.
TEST_F(TRTFTableTest, ARowHoldsOnlyItsOwnCellsContent)
{
    const struct {
        const char* Name;
        const char* Rtf;
        const char* Summary;
        const char* Checkpoints;
    } cases[] = {
        {"rows of fewer cells after a wider one",
         R"({\rtf1\trowd\cellx1000\cellx2000\cellx3000\pard\intbl a\cell b\cell c\cell\row)"
         R"(\trowd\cellx1000\pard\intbl d\cell\row)"
         R"(\trowd\cellx1000\cellx2000\pard\intbl e\cell\cell\row})",
         "[3x3: a / b / c | d /  /  | e /  / ]", ""},
        {"a row never ended after a wider one",
         R"({\rtf1\trowd\cellx1000\cellx2000\cellx3000\pard\intbl a\cell b\cell c\cell\row)"
         R"(\trowd\cellx1000\pard\intbl x})",
         "[1x3: a / b / c]\nx", ""},
        {"a bookmark at a row's end",
         R"({\rtf1\trowd\cellx1000\cellx2000\pard\intbl a\cell b\cell{\*\bkmkstart m}\row)"
         R"(\trowd\cellx1000\cellx2000\pard\intbl c\cell d\cell\row\pard after})",
         "[2x2: a / b | c / d]\nafter", "m"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        Data.Clear();
        ASSERT_EQ(Load(c.Rtf), rtf_ec_OK);
        EXPECT_EQ(Summary(), c.Summary);
        std::string names;
        for (TRVTableItemInfo* table : Tables(Data))
            for (int r = 0; r < table->Rows->Count(); ++r)
                for (int col = 0; col < table->Rows->GetColCount(); ++col)
                    if (TRVTableCellData* cell = table->GetCells(r, col))
                        for (TRVCPInfo* cp = cell->FirstCP; cp; cp = cp->Next)
                            names += cp->Name;
        for (TRVCPInfo* cp = Data.FirstCP; cp; cp = cp->Next)
            names += cp->Name;
        EXPECT_EQ(names, c.Checkpoints);
        ExpectStylesInRange();
    }
}

TEST_F(TRTFTableTest, ItapPutsATableInACell)
{
    ASSERT_EQ(Load(R"({\rtf1\trowd\cellx3000\pard\intbl\itap1 outer\par)"
                   R"(\pard\intbl\itap2 in1\nestcell in2\nestcell)"
                   R"({\*\nesttableprops\trowd\cellx1000\cellx2000\nestrow}{\nonesttables\par})"
                   R"(\pard\intbl\itap1 tail\cell\row\pard after})"),
              rtf_ec_OK);
    EXPECT_EQ(Summary(), "[1x1: outer\n[1x2: in1 / in2]\ntail]\nafter");
    const std::vector<TRVTableItemInfo*> tables = Tables(Data);
    ASSERT_EQ(tables.size(), 2u);
    // The nested table belongs to the outer table's cell.
    EXPECT_EQ(tables[1]->GetRVData(), tables[0]->GetCells(0, 0));
}

TEST_F(TRTFTableTest, ListMarkersInCellsAreRegisteredWithTheDocument)
{
    Props.SetParaStyleMode(rvrsAddIfNeeded);
    ASSERT_EQ(Load(R"({\rtf1{\pn\pnlvlbody\pndec\pnstart1}one\par)"
                   R"(\trowd\cellx2000\pard\intbl{\pn\pnlvlbody\pndec\pnstart1}two\cell\row)"
                   R"(\pard{\pn\pnlvlbody\pndec\pnstart1}three\par})"),
              rtf_ec_OK);
    const TRVMarkerList* markers = Data.GetMarkers(false);
    ASSERT_NE(markers, nullptr);
    ASSERT_EQ(markers->Count(), 3);
    // Numbered in document order, through the cell.
    EXPECT_EQ(Summary(), "#0.0one\n[1x1: #0.0two]\n#0.0three");
    EXPECT_EQ(markers->Marker(1)->Counter, 2);
    EXPECT_EQ(markers->Marker(2)->Counter, 3);
    ExpectStylesInRange();
}

TEST_F(TRTFTableTest, BordersPaddingSpacingAndWidthsAreFinished)
{
    // 15 twips are 1 pixel. Every cell has 30-twip borders; padding 60 twips;
    // no spacing, so the table's borders collapse into its cells'.
    ASSERT_EQ(
        Load(
            R"({\rtf1\trowd\trpaddl60\trpaddr60\trpaddfl3\trpaddfr3\trwWidth4500\trftsWidth3)"
            R"(\clbrdrl\brdrs\brdrw30\clbrdrt\brdrs\brdrw30\clbrdrr\brdrs\brdrw30\clbrdrb\brdrs\brdrw30\cellx1500)"
            R"(\clbrdrl\brdrs\brdrw30\clbrdrt\brdrs\brdrw30\clbrdrr\brdrs\brdrw30\clbrdrb\brdrs\brdrw30\cellx4500)"
            R"(\pard\intbl a\cell b\cell\row})"),
        rtf_ec_OK);
    TRVTableItemInfo* table = OnlyTable();
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->CellBorderStyle, rvtbColor);
    EXPECT_EQ(table->CellBorderWidth, 2);
    EXPECT_EQ(table->CellPadding, 4);
    EXPECT_EQ(table->CellHSpacing, -1);
    EXPECT_EQ(table->CellVSpacing, -1);
    EXPECT_EQ(table->BorderWidth, 0);
    EXPECT_EQ(table->BestWidth, 300);
    // The boundaries' widths less the padding on both sides.
    EXPECT_EQ(table->GetCells(0, 0)->BestWidth, 100 - 8);
    EXPECT_EQ(table->GetCells(0, 1)->BestWidth, 200 - 8);
    // The second cell's left border doubles the first one's right border.
    EXPECT_TRUE(table->GetCells(0, 0)->VisibleBorders->Right());
    EXPECT_FALSE(table->GetCells(0, 1)->VisibleBorders->Left());

    Data.Clear();
    Props.SetAutoHideTableGridLines(true);
    ASSERT_EQ(Load(R"({\rtf1\trowd\trftsWidth2\trwWidth2500\cellx1000\pard\intbl a\cell\row})"), rtf_ec_OK);
    ASSERT_NE(OnlyTable(), nullptr);
    EXPECT_EQ(OnlyTable()->BestWidth, -50);
    EXPECT_TRUE(OnlyTable()->Options.Contains(rvtoHideGridLines));
}

// A row in twips after a row in percent: \trowd starts the row definition
// afresh, percentage included.
TEST_F(TRTFTableTest, TrowdClearsThePercentWidth)
{
    ASSERT_EQ(Load(R"({\rtf1\trowd\trftsWidth2\trwWidth2500\cellx1000\pard\intbl a\cell\row\pard x\par)"
                   R"(\trowd\trwWidth1500\cellx1000\pard\intbl b\cell\row\pard y})"),
              rtf_ec_OK);
    const std::vector<TRVTableItemInfo*> tables = Tables(Data);
    ASSERT_EQ(tables.size(), 2u);
    EXPECT_EQ(tables[0]->BestWidth, -50);
    EXPECT_EQ(tables[1]->BestWidth, 100);
}

TEST_F(TRTFTableTest, OurOwnTablesReadBackEqual)
{
    TRVStyle sourceStyle(nullptr);
    sourceStyle.TextStyles()->Add()->SetStyle(TFontStyles{fsBold});
    TTestRVData source(&sourceStyle);
    source.AddNL("before", 0, 0);
    auto* table = new TRVTableItemInfo(3, 3, &source);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) {
            TRVTableCellData* cell = table->GetCells(r, c);
            cell->Clear();
            cell->AddNL(AnsiString(std::to_string(r) + std::to_string(c)), (r + c) % 2, 0);
        }
    table->Rows->MergeCells(0, 0, 2, 2, true, false);
    table->Rows->MergeCells(1, 2, 1, 2, true, false);
    table->BestWidth = 400;
    table->BorderWidth = 2;
    table->CellBorderWidth = 1;
    table->CellPadding = 3;
    table->CellHSpacing = 4;
    table->CellVSpacing = 6;
    table->GetCells(0, 2)->Color = clYellow;
    table->GetCells(0, 2)->BestWidth = 90;
    table->GetCells(2, 0)->BestWidth = -30;
    source.AddItem(AnsiString(), table);
    source.AddNL("after", 1, 0);

    TMemoryStream rtf;
    ASSERT_TRUE(source.SaveRTFToStream(rtf, false, 0, clWindow, nullptr, nullptr, nullptr, nullptr, nullptr,
                                       nullptr, 0));
    rtf.SetPosition(0);
    Props.SetTextStyleMode(rvrsAddIfNeeded);
    Props.SetParaStyleMode(rvrsAddIfNeeded);
    ASSERT_EQ(Props.ReadFromStream(rtf, &Data), rtf_ec_OK);
    EXPECT_EQ(Summary(), RTFSummary(source));
    TRVTableItemInfo* got = OnlyTable();
    ASSERT_NE(got, nullptr);
    EXPECT_EQ(tablegrid::Shape(*got->Rows), tablegrid::Shape(*table->Rows));
    EXPECT_EQ(got->BestWidth, table->BestWidth);
    EXPECT_EQ(got->BorderWidth, table->BorderWidth);
    EXPECT_EQ(got->CellBorderWidth, table->CellBorderWidth);
    EXPECT_EQ(got->CellPadding, table->CellPadding);
    EXPECT_EQ(got->CellHSpacing, table->CellHSpacing);
    EXPECT_EQ(got->CellVSpacing, table->CellVSpacing);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) {
            SCOPED_TRACE(std::to_string(r) + "," + std::to_string(c));
            TRVTableCellData* want = table->GetCells(r, c);
            TRVTableCellData* cell = got->GetCells(r, c);
            ASSERT_EQ(cell == nullptr, want == nullptr);
            if (!cell)
                continue;
            EXPECT_EQ(cell->BestWidth, want->BestWidth);
            // The writer gives every cell the colour it shows with.
            EXPECT_EQ(ColorToRGB(got->GetCellColor(cell)), ColorToRGB(table->GetCellColor(want)));
            // Bold cells stay bold.
            const int gotStyle = cell->GetItemStyle(0), wantStyle = want->GetItemStyle(0);
            EXPECT_TRUE(Style.TextStyles()->Items(gotStyle)->Style() ==
                        sourceStyle.TextStyles()->Items(wantStyle)->Style());
        }
}

// Checkpoints on tables, in their cells and on the items around them come
// back on the same items: a bookmark before a table's first row is the
// table's, one after its last row belongs to what follows.
TEST_F(TRTFTableTest, CheckpointsAroundTablesStayOnTheirItems)
{
    TRVStyle sourceStyle(nullptr);
    TTestRVData source(&sourceStyle);
    source.AddNamedCheckpointExTag("before", false, TRVTag());
    source.AddNL("before", 0, 0);
    auto* table = new TRVTableItemInfo(1, 2, &source);
    for (int c = 0; c < 2; ++c)
        table->GetCells(0, c)->Clear();
    table->GetCells(0, 0)->AddNamedCheckpointExTag("cell", false, TRVTag());
    table->GetCells(0, 0)->AddNL("in", 0, 0);
    TCustomRVData* inner = NestTables(table->GetCells(0, 1), 1);
    inner->AddNamedCheckpointExTag("inner", false, TRVTag());
    inner->AddNL("deep", 0, 0);
    table->GetCells(0, 1)->SetCheckpointInfo(0, TRVTag(), "nested", false);
    source.AddItem(AnsiString(), table);
    source.SetCheckpointInfo(1, TRVTag(), "table", false);
    source.AddNamedCheckpointExTag("after", false, TRVTag());
    source.AddNL("after", 0, 0);
    TMemoryStream rtf;
    ASSERT_TRUE(source.SaveRTFToStream(rtf, false, 0, clWindow, nullptr, nullptr, nullptr, nullptr, nullptr,
                                       nullptr, 0));
    rtf.SetPosition(0);
    ASSERT_EQ(Props.ReadFromStream(rtf, &Data), rtf_ec_OK);
    // Each item's checkpoint, tables opened.
    std::function<std::string(TCustomRVData&)> names = [&](TCustomRVData& data) {
        std::string out;
        for (int i = 0; i < data.GetItemCount(); ++i) {
            const TRVCPInfo* cp = data.GetItemCheckpoint(i);
            out += (cp ? cp->Name : "-") + " ";
            if (auto* t = dynamic_cast<TRVTableItemInfo*>(data.GetItem(i)))
                for (int c = 0; c < t->Rows->GetColCount(); ++c)
                    out += "(" + names(*t->GetCells(0, c)) + ") ";
        }
        return out;
    };
    ASSERT_EQ(names(source), "before table (cell ) (nested (inner ) ) after ");
    EXPECT_EQ(names(Data), names(source));
    EXPECT_EQ(Data.CPCount, 3);
}

// A table nested in a table that never ended a row comes out into the
// document with the text around it, its markers counted there.
TEST_F(TRTFTableTest, ANestedTableMovedOutKeepsItsMarkersCounted)
{
    Props.SetParaStyleMode(rvrsAddIfNeeded);
    ASSERT_EQ(Load(R"({\rtf1\trowd\cellx3000\pard\intbl\itap2{\pn\pnlvlbody\pndec\pnstart1}in1\nestcell)"
                   R"( in2\nestcell{\*\nesttableprops\trowd\cellx1000\cellx2000\nestrow})"
                   R"(\pard\intbl\itap1 tail\cell})"),
              rtf_ec_OK);
    EXPECT_EQ(Summary(), "[1x2: #0.0in1 / #0.0in2]\ntail");
    const TRVMarkerList* markers = Data.GetMarkers(false);
    ASSERT_NE(markers, nullptr);
    EXPECT_EQ(markers->Count(), 2);
}

// A table whose cells hold numbered paragraphs, one of them in a table of
// its own, between numbered paragraphs: however the table leaves the document
// (cleared with it, deleted alone), its markers leave the markers list, and
// what is read next is numbered without them.
TEST_F(TRTFTableTest, MarkersOfATableLeaveTheListWithIt)
{
    const std::string rtf = R"({\rtf1{\pn\pnlvlbody\pndec\pnstart1}one\par)"
                            R"(\trowd\cellx2000\cellx4000\pard\intbl{\pn\pnlvlbody\pndec\pnstart1}two\cell)"
                            R"(\pard\intbl\itap2{\pn\pnlvlbody\pndec\pnstart1}in\nestcell)"
                            R"({\*\nesttableprops\trowd\cellx1000\nestrow}\pard\intbl\itap1\cell\row)"
                            R"(\pard{\pn\pnlvlbody\pndec\pnstart1}three\par})";
    const struct {
        const char* Name;
        std::function<void()> Remove;
        int MarkersLeft; // of the first load
    } cases[] = {
        {"clear", [this] { Data.Clear(); }, 0},
        {"delete the table", [this] { Data.DeleteItems(2, 1); }, 2},
        {"delete from the table on", [this] { Data.DeleteItems(2, Data.GetItemCount() - 2); }, 1},
    };
    Props.SetParaStyleMode(rvrsAddIfNeeded);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        Data.Clear();
        ASSERT_EQ(Load(rtf), rtf_ec_OK);
        // The paragraph after the nested table is the cell's last.
        ASSERT_EQ(Summary(), "#0.0one\n[1x2: #0.0two / [1x1: #0.0in]\n]\n#0.0three");
        EXPECT_EQ(markercheck::Fault(Data), "");
        c.Remove();
        EXPECT_EQ(markercheck::Fault(Data), "");
        const TRVMarkerList* markers = Data.GetMarkers(false);
        EXPECT_EQ(markers != nullptr ? markers->Count() : 0, c.MarkersLeft);
        // Read again after what is left: every marker is numbered in document order.
        ASSERT_EQ(Load(rtf), rtf_ec_OK);
        EXPECT_EQ(markercheck::Fault(Data), "");
        markers = Data.GetMarkers(false);
        ASSERT_NE(markers, nullptr);
        EXPECT_EQ(markers->Count(), c.MarkersLeft + 4);
        EXPECT_EQ(markers->Marker(markers->Count() - 1)->Counter, c.MarkersLeft + 4);
    }
}

// The same file cut short at every length, read into an empty document and
// after a numbered paragraph: whatever the read keeps, the markers list holds
// the document's markers in document order.
TEST_F(TRTFTableTest, ReadsCutShortLeaveTheMarkersListSound)
{
    const std::string rtf = R"({\rtf1{\pn\pnlvlbody\pndec\pnstart1}one\par)"
                            R"(\trowd\cellx2000\cellx4000\pard\intbl{\pn\pnlvlbody\pndec\pnstart1}two\cell)"
                            R"(\pard\intbl\itap2{\pn\pnlvlbody\pndec\pnstart1}in\nestcell)"
                            R"({\*\nesttableprops\trowd\cellx1000\nestrow}\pard\intbl\itap1\cell\row)"
                            R"(\pard{\pn\pnlvlbody\pndec\pnstart1}three\par})";
    Props.SetParaStyleMode(rvrsAddIfNeeded);
    for (size_t length = 0; length <= rtf.size(); ++length) {
        SCOPED_TRACE(length);
        for (bool after : {false, true}) {
            Data.Clear();
            if (after) {
                ASSERT_EQ(Load(R"({\rtf1{\pn\pnlvlbody\pndec\pnstart1}first\par})"), rtf_ec_OK);
            }
            Load(rtf.substr(0, length));
            EXPECT_EQ(markercheck::Fault(Data), "");
        }
        if (HasFailure())
            return;
    }
}

// Tables nested 32 deep read from RTF: every cell's document knows its
// document and style sheet, the counting of changes made while a table is
// read stops at that table, so the counts add up in proportion to the depth,
// and a change made after the read still counts in every document around.
TEST_F(TRTFTableTest, TablesNestedDeepReadBackAndCountLaterChangesEverywhere)
{
    TRVStyle sourceStyle(nullptr);
    TTestRVData source(&sourceStyle);
    NestTables(&source, 32)->AddNL("deep", 0, 0);
    TMemoryStream rtf;
    ASSERT_TRUE(source.SaveRTFToStream(rtf, false, 0, clWindow, nullptr, nullptr, nullptr, nullptr, nullptr,
                                       nullptr, 0));
    rtf.SetPosition(0);
    ASSERT_EQ(Props.ReadFromStream(rtf, &Data), rtf_ec_OK);

    std::vector<TCustomRVData*> stores{&Data};
    for (TRVTableItemInfo* table : Tables(Data)) {
        ASSERT_EQ(table->GetRVData(), stores.back());
        stores.push_back(table->GetCells(0, 0));
    }
    ASSERT_EQ(stores.size(), 33u);
    EXPECT_EQ(stores.back()->GetItemText(stores.back()->GetItemCount() - 1), "deep");
    uint64_t sum = 0;
    for (TCustomRVData* store : stores) {
        EXPECT_EQ(store->GetRootData(), &Data);
        EXPECT_EQ(store->GetRVStyle(), &Style);
        sum += store->ChangeCount();
    }
    EXPECT_LE(sum, 8 * stores.size());
    std::vector<uint64_t> before;
    for (TCustomRVData* store : stores)
        before.push_back(store->ChangeCount());
    stores.back()->AddNL("more", 0, 0);
    for (size_t i = 0; i < stores.size(); ++i)
        EXPECT_GT(stores[i]->ChangeCount(), before[i]) << "level " << i;
}

// A line break right after an item that stands on a line of its own (a rule,
// a table: its paragraph going on below it) cannot continue that line in
// RTF: it reads back as a paragraph of its own, the paragraphs after it in
// their place and empty ones at the end kept, in a cell as in the document.
TEST_F(TRTFTableTest, ALineBreakAfterAWholeLineItemReadsBackAsItsOwnParagraph)
{
    const std::pair<const char*, std::function<void(TCustomRVData*)>> kinds[] = {
        {"[hr]", [](TCustomRVData* holder) { holder->AddBreak(); }},
        {"[1x1: a]", [](TCustomRVData* holder) {
             auto* table = new TRVTableItemInfo(1, 1, holder);
             table->GetCells(0, 0)->Clear();
             table->GetCells(0, 0)->AddNL("a", 0, 0);
             holder->AddItem(AnsiString(), table);
         }}};
    // Each case: the lines after the item, "" an empty one, and what follows.
    const std::pair<std::vector<const char*>, const char*> cases[] = {
        {{"x", "y"}, "next"}, {{""}, "next"}, {{""}, nullptr}, {{"", ""}, nullptr}, {{"x", ""}, nullptr}};
    for (const auto& [shown, add] : kinds)
        for (const auto& [lines, next] : cases)
            for (const bool inCell : {false, true}) {
                SCOPED_TRACE(std::string(shown) + " then " + std::to_string(lines.size()) + " lines, " +
                             lines[0] + (next ? " and a paragraph" : "") + (inCell ? " in a cell" : ""));
                TRVStyle sourceStyle(nullptr);
                TTestRVData source(&sourceStyle);
                TCustomRVData* holder = inCell ? NestTables(&source, 1) : &source;
                holder->AddNL("first", 0, 0);
                add(holder);
                for (const char* line : lines) {
                    holder->AddNL(line, 0, -1);
                    holder->GetItem(holder->GetItemCount() - 1)->SetBR(true);
                }
                if (next != nullptr)
                    holder->AddNL(next, 0, 0);
                const std::string head = "first\n" + std::string(shown);
                const std::string summary = RTFSummary(*holder);
                ASSERT_EQ(summary.substr(0, head.size() + 1), head + "|");
                ASSERT_EQ(ReadBack(source), rtf_ec_OK);
                const std::vector<TRVTableItemInfo*> tables = Tables(Data);
                ASSERT_EQ(tables.size(), std::string(shown) == "[hr]" ? inCell : inCell + 1u);
                // The first line break after the item starts a paragraph.
                EXPECT_EQ(RTFSummary(inCell ? *tables[0]->GetCells(0, 0) : static_cast<TCustomRVData&>(Data)),
                          head + "\n" + summary.substr(head.size() + 1));
            }
}

// The documents of rtfemptyends::Cases, alone, in a table's cell and in a
// nested table's cell, read back from our RTF as they were: the cell's end
// that closes an empty last line or paragraph keeps it, and a table that a
// cell ends with has no paragraph after it.
TEST_F(TRTFTableTest, EmptyLastLinesOfDocumentsAndCellsReadBack)
{
    for (const rtfemptyends::TCase& c : rtfemptyends::Cases())
        for (const int depth : {0, 1, 2}) {
            SCOPED_TRACE(c.Name + " at depth " + std::to_string(depth));
            TRVStyle sourceStyle(nullptr);
            TTestRVData source(&sourceStyle);
            c.Build(NestTables(&source, depth));
            ASSERT_EQ(ReadBack(source), rtf_ec_OK);
            EXPECT_EQ(rtfemptyends::Shape(Data, false), rtfemptyends::Shape(source, false));
            Tables(Data); // every grid sound
        }
}

// What a cell's end ends, in RTF of other writers: a paragraph mark or a line
// break before it leaves an empty paragraph or line, a paragraph begun after
// a nested table is the cell's last, and nothing else is added.
TEST_F(TRTFTableTest, ACellsEndClosesItsLastParagraph)
{
    // A nested table as other writers give it, and in a group as ours does,
    // with the \pard that its row's end takes.
    const std::string nested = R"(\pard\intbl\itap2 in\nestcell{\*\nesttableprops\trowd\cellx1000\nestrow})";
    const std::string grouped =
        R"(\pard\intbl{\pard\intbl\itap2 in\nestcell\pard\intbl\itap2{\*\nesttableprops\trowd\cellx1000\nestrow}})";
    const struct {
        const char* Name;
        std::string Cell;
        const char* Shape;
    } cases[] = {
        {"text", R"(\pard\intbl x\cell)", "x"},
        {"a paragraph mark", R"(\pard\intbl x\par\cell)", "x\n"},
        {"a line break", R"(\pard\intbl x\line\cell)", "x|"},
        {"an empty cell", R"(\pard\intbl\cell)", ""},
        {"a paragraph mark alone", R"(\pard\intbl\par\cell)", "\n"},
        {"a paragraph after a nested table", nested + R"({\nonesttables\par}\pard\intbl\itap1\cell)",
         "[1x1: in]\n"},
        {"a nested table", grouped + R"(\cell)", "[1x1: in]"},
        {"a paragraph after a nested table group", grouped + R"(\pard\intbl\cell)", "[1x1: in]\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        Data.Clear();
        ASSERT_EQ(Load(R"({\rtf1\trowd\cellx3000\cellx6000)" + c.Cell + R"(\pard\intbl y\cell\row})"),
                  rtf_ec_OK);
        const std::vector<TRVTableItemInfo*> tables = Tables(Data);
        ASSERT_FALSE(tables.empty());
        TRVTableItemInfo* table = tables[0];
        EXPECT_EQ(RTFSummary(*table->GetCells(0, 0)), c.Shape);
        EXPECT_EQ(RTFSummary(*table->GetCells(0, 1)), "y");
    }
}
