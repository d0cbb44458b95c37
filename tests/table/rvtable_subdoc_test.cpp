// The cells of a table inside a viewer's document, through the viewer's own
// API: search finds their text, their hyperlinks have rectangles and can be
// clicked, list numbering counts their markers, deleting unused styles keeps
// and renumbers the styles they use (and the document survives an RVF round
// trip), a soft page break inside the table is drawn at its row, and the text
// after a table is measured and painted in its own style by full and partial
// layouts alike.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "document/rvmarker.h"
#include "document/rvprintsvc.h"
#include "document/rvstyle.h"
#include "platform/controls/forms.h"
#include "platform/controls/syntheticinput.h"
#include "platform/core/streams.h"
#include "platform/graphics/recordingcanvas.h"
#include "table/rvtable.h"
#include "tests/support/markercheck.h"
#include "tests/support/testtableprint.h"
#include "view/rollview.h"

namespace {

class TableInViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RV_RegisterTableItem();
        Form = new TForm(nullptr);
        Form->SetBounds(0, 0, 600, 500);
        Style = new TRVStyle(Form);
        View = MakeView();
        Form->Show();
        View->OnJump = [this](TObject*, int id) { Jumps.push_back(id); };
    }
    void TearDown() override { Form->Free(); }

    TRollView* MakeView()
    {
        auto* v = new TRollView(Form);
        v->SetBounds(0, 0, 500, 400);
        v->SetStyle(Style);
        v->SetParent(Form);
        return v;
    }
    TRVTableItemInfo* AddTable(TRollView* v, int rows, int cols)
    {
        return AddLabelledTable(v, rows, cols, 0);
    }
    // The client point of character Offs of the first item of cell (Row, Col).
    TPoint InCell(TRVTableItemInfo* t, int row, int col, int offs)
    {
        const TRVDrawLineInfo* d = View->RVData->DrawItems[t->DrawItemNo];
        const TRVTableCellData* c = t->GetCells(row, col);
        return Point(d->Left + c->Left + t->CellPadding + 7 * offs + 3,
                     d->Top + c->Top + t->CellPadding + 5 - View->VPos() * View->VSmallStep());
    }

    TForm* Form = nullptr;
    TRVStyle* Style = nullptr;
    TRollView* View = nullptr;
    std::vector<int> Jumps;
};

TEST_F(TableInViewTest, SearchFindsTextInCellsBothWays)
{
    View->AddNL("before needle", 0, 0);
    TRVTableItemInfo* t = AddTable(View, 2, 2);
    t->GetCells(1, 0)->SetItemText(0, "a needle here");
    t->GetCells(1, 1)->SetItemText(0, "another needle");
    View->AddNL("after needle", 0, 0);
    View->Format();
    const TRVSearchOptions down{rvsroDown};
    std::vector<std::string> found;
    for (int i = 0; i < 8 && View->SearchText("needle", down); ++i)
        found.push_back(View->GetSelText());
    EXPECT_EQ(found, (std::vector<std::string>{"needle", "needle", "needle", "needle"}));
    // The last hit is in the line after the table; going up visits the cells from the last.
    View->SearchText("another", TRVSearchOptions());
    EXPECT_EQ(View->GetSelText(), "another");
    EXPECT_EQ(View->RVData->GetChosenRVData(), t->GetCells(1, 1));
    ASSERT_TRUE(View->SearchText("needle", TRVSearchOptions()));
    EXPECT_EQ(View->RVData->GetChosenRVData(), t->GetCells(1, 0));
    ASSERT_TRUE(View->SearchText("needle", TRVSearchOptions()));
    EXPECT_EQ(View->RVData->GetChosenRVData(), nullptr);
    EXPECT_EQ(View->GetSelText(), "needle");
    EXPECT_FALSE(View->SearchText("needle", TRVSearchOptions()));
}

// A point over a cell's text finds the cell's item and word, and a double
// click reports and selects that word inside the cell; a point on the
// table's border finds the table itself.
TEST_F(TableInViewTest, APointInACellReachesTheCellsItemsAndWords)
{
    View->AddNL("before", 0, 0);
    TRVTableItemInfo* t = AddTable(View, 2, 2);
    t->GetCells(0, 0)->SetItemText(0, "alpha beta");
    t->GetCells(1, 1)->SetItemText(0, "gamma");
    View->Format();
    const struct {
        int Row, Col, Offs;
        const char* Word;
    } cases[] = {{0, 0, 2, "alpha"}, {0, 0, 7, "beta"}, {1, 1, 2, "gamma"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Word);
        const TPoint p = InCell(t, c.Row, c.Col, c.Offs);
        TCustomRVFormattedData* data = nullptr;
        int itemNo = -1;
        int offs = 0;
        ASSERT_TRUE(View->GetItemAt(p.X, p.Y, data, itemNo, offs, true));
        EXPECT_EQ(data, t->GetCells(c.Row, c.Col));
        EXPECT_EQ(itemNo, 0);
        // The viewer's font is not of fixed width: the offset lies inside the word.
        EXPECT_GT(offs, 1);
        EXPECT_LE(offs, static_cast<int>(t->GetCells(c.Row, c.Col)->GetItemText(0).size()));
    }

    const int tableNo = View->RVData->GetItemNo(t);
    const TRVDrawLineInfo* d = View->RVData->DrawItems[t->DrawItemNo];
    TCustomRVFormattedData* data = nullptr;
    int itemNo = -1;
    int offs = 0;
    ASSERT_TRUE(View->GetItemAt(d->Left + 1, d->Top + 1, data, itemNo, offs, true));
    EXPECT_EQ(data, View->RVData);
    EXPECT_EQ(itemNo, tableNo);

    std::vector<std::string> words;
    View->OnRVDblClick = [&](TObject*, const AnsiString& word, int) { words.push_back(word); };
    TRVOptions options = View->Options();
    options.Include(rvoDblClickSelectsWord);
    options.Include(rvoAllowSelection);
    View->SetOptions(options);
    const TPoint p = InCell(t, 0, 0, 7);
    SimulateDoubleClick(View, mbLeft, p.X, p.Y);
    EXPECT_EQ(words, std::vector<std::string>({"beta"}));
    EXPECT_EQ(View->GetSelText(), "beta");
}

TEST_F(TableInViewTest, HyperlinksInCellsHaveRectanglesAndCanBeClicked)
{
    const int jumpStyle = 4;
    ASSERT_TRUE(Style->TextStyles()->Items(jumpStyle)->Jump());
    View->AddNL("go", jumpStyle, 0); // hyperlink 0
    TRVTableItemInfo* t = AddTable(View, 2, 2);
    t->GetCells(0, 1)->Clear();
    t->GetCells(0, 1)->AddNL("first", jumpStyle, 0); // hyperlink 1
    t->GetCells(1, 0)->Clear();
    t->GetCells(1, 0)->AddNL("second", jumpStyle, 0); // hyperlink 2
    View->AddNL("end", jumpStyle, 0);                 // hyperlink 3
    View->SetFirstJumpNo(10);
    View->Format();
    ASSERT_EQ(View->RVData->Jumps.Count(), 4);
    for (const auto& [row, col, id] : std::vector<std::tuple<int, int, int>>{{1, 0, 12}, {0, 1, 11}}) {
        SCOPED_TRACE(id);
        Jumps.clear();
        const TPoint p = InCell(t, row, col, 2);
        SimulateMouseMove(View, p.X, p.Y);
        SimulateMouseDown(View, mbLeft, p.X, p.Y);
        SimulateMouseUp(View, mbLeft, p.X, p.Y);
        EXPECT_EQ(Jumps, std::vector<int>({id}));
    }
    // Plain text of a cell is no hyperlink.
    Jumps.clear();
    const TPoint plain = InCell(t, 0, 0, 1);
    SimulateMouseDown(View, mbLeft, plain.X, plain.Y);
    SimulateMouseUp(View, mbLeft, plain.X, plain.Y);
    EXPECT_TRUE(Jumps.empty());
}

TEST_F(TableInViewTest, ListNumberingCountsTheListsInCells)
{
    TRVListInfo* list = Style->ListStyles()->Add();
    list->Levels()->Clear();
    TRVListLevel* level = list->Levels()->Add();
    level->SetListType(rvlstDecimal);
    level->SetFormatString("%0:s.");
    const int listNo = list->Index();
    View->AddNL("one", 0, 0);
    TRVTableItemInfo* t = AddTable(View, 1, 2);
    View->AddNL("three", 0, 0);
    ASSERT_EQ(View->SetListMarkerInfo(0, listNo, 0, 1, 0, false), 0);
    ASSERT_EQ(t->GetCells(0, 1)->SetListMarkerInfo(0, listNo, 0, 1, 0, false), 0);
    ASSERT_EQ(View->SetListMarkerInfo(3, listNo, 0, 1, 0, false), 3);
    View->Format();
    auto shown = [](TCustomRVData* data, int itemNo) {
        return static_cast<TRVMarkerItemInfo*>(data->GetItem(itemNo))->DisplayString;
    };
    EXPECT_EQ(shown(View->RVData, 0), "1.");
    EXPECT_EQ(shown(t->GetCells(0, 1), 0), "2.");
    EXPECT_EQ(shown(View->RVData, 3), "3.");
}

// A numbered paragraph, a 3 x 3 table with a numbered paragraph in every cell
// and a table in its middle cell with one more, a numbered paragraph: after
// each operation outside an editor (no undo keeps what goes) the markers list
// holds the document's markers in document order, numbered afresh, and a
// paragraph numbered after it counts on from the last one.
TEST_F(TableInViewTest, TheMarkersListFollowsEveryWayMarkersLeaveOrMove)
{
    TRVListInfo* list = Style->ListStyles()->Add();
    list->Levels()->Clear();
    TRVListLevel* level = list->Levels()->Add();
    level->SetListType(rvlstDecimal);
    level->SetFormatString("%0:s.");
    const int listNo = list->Index();
    TRVTableItemInfo* t = nullptr;
    auto build = [&] {
        View->Clear();
        View->AddNL("one", 0, 0);
        t = AddTable(View, 3, 3);
        auto* inner = new TRVTableItemInfo(1, 1, t->GetCells(1, 1));
        inner->GetCells(0, 0)->SetListMarkerInfo(0, listNo, 0, 1, 0, false);
        t->GetCells(1, 1)->AddItem(AnsiString(), inner);
        View->AddNL("three", 0, 0);
        View->SetListMarkerInfo(0, listNo, 0, 1, 0, false);
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c)
                t->GetCells(r, c)->SetListMarkerInfo(0, listNo, 0, 1, 0, false);
        View->SetListMarkerInfo(View->RVData->GetItemCount() - 1, listNo, 0, 1, 0, false);
        View->Format();
    };
    const struct {
        const char* Name;
        std::function<void()> Operation;
    } cases[] = {
        {"delete a row", [&] { t->Rows->DeleteRows(1, 1, false); }},
        {"delete a column", [&] { t->Rows->DeleteCols(0, 2, false); }},
        {"merge across rows", [&] { t->Rows->MergeCells(0, 1, 2, 2, true, true); }},
        {"merge all", [&] { t->Rows->MergeCells(0, 0, 3, 3, true, true); }},
        {"split", [&] { t->Rows->SplitCellHorizontally(1, 1, 2); }},
        {"clear cells",
         [&] {
             TRVIntegerList rows, cols;
             for (const auto& [r, c] : {std::pair<int, int>{1, 1}, {0, 2}}) {
                 rows.Add(r);
                 cols.Add(c);
             }
             t->Rows->ClearCells(rows, cols);
         }},
        {"clear a cell's document", [&] { t->GetCells(1, 1)->Clear(); }},
        {"delete the table", [&] { View->RVData->DeleteItems(2, 1); }},
        {"delete the table and what follows",
         [&] { View->RVData->DeleteItems(2, View->RVData->GetItemCount() - 2); }},
        {"clear the viewer", [&] { View->Clear(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        build();
        ASSERT_EQ(markercheck::Fault(*View->RVData), "");
        c.Operation();
        if (View->RVData->GetItemCount() > 2 && View->RVData->GetItem(2) == t)
            t->Changed();
        EXPECT_EQ(markercheck::Fault(*View->RVData), "");
        View->AddNL("more", 0, 0);
        View->SetListMarkerInfo(View->RVData->GetItemCount() - 1, listNo, 0, 1, 0, false);
        View->Format();
        EXPECT_EQ(markercheck::Fault(*View->RVData), "");
        const std::vector<TRVMarkerItemInfo*> markers = markercheck::DocumentMarkers(*View->RVData);
        ASSERT_FALSE(markers.empty());
        EXPECT_EQ(markers.back()->Counter, static_cast<int>(markers.size()));
    }
}

TEST_F(TableInViewTest, DeletingUnusedStylesKeepsAndRenumbersTheStylesOfCells)
{
    // Text styles 0..N-1 of the default sheet, plus one used only in a cell.
    TFontInfo* cellStyle = Style->TextStyles()->Add();
    cellStyle->SetFontName("CellFont");
    cellStyle->SetSize(17);
    const int cellStyleNo = cellStyle->Index();
    TParaInfo* cellPara = Style->ParaStyles()->Add();
    cellPara->SetLeftIndent(33);
    const int cellParaNo = cellPara->Index();
    for (int i = 0; i < Style->TextStyles()->Count(); ++i)
        Style->TextStyles()->Items(i)->SetStandard(false);
    for (int i = 0; i < Style->ParaStyles()->Count(); ++i)
        Style->ParaStyles()->Items(i)->SetStandard(false);
    View->AddNL("plain", 0, 0);
    TRVTableItemInfo* t = AddTable(View, 1, 2);
    t->GetCells(0, 1)->Clear();
    t->GetCells(0, 1)->AddNL("styled", cellStyleNo, cellParaNo);
    View->Format();
    View->DeleteUnusedStyles(true, true, true);

    // Styles 0 and the cell's remain; the cell's item names its style's new number.
    ASSERT_EQ(Style->TextStyles()->Count(), 2);
    ASSERT_EQ(Style->ParaStyles()->Count(), 2);
    const TCustomRVItemInfo* item = t->GetCells(0, 1)->GetItem(0);
    EXPECT_EQ(Style->TextStyles()->Items(item->StyleNo)->FontName(), "CellFont");
    EXPECT_EQ(Style->ParaStyles()->Items(item->ParaNo)->LeftIndent(), 33);

    // Saved and read back with its style sheet, the cell shows the same font.
    TRVFOptions options = View->RVFOptions();
    options.Include(rvfoSaveTextStyles);
    options.Include(rvfoSaveParaStyles);
    View->SetRVFOptions(options);
    TMemoryStream stream;
    ASSERT_TRUE(View->SaveRVFToStream(&stream, false));
    auto* otherStyle = new TRVStyle(Form);
    TRollView* other = MakeView();
    other->SetStyle(otherStyle);
    stream.SetPosition(0);
    ASSERT_TRUE(other->LoadRVFFromStream(&stream));
    ASSERT_EQ(other->RVData->GetItemCount(), 2);
    auto* loaded = dynamic_cast<TRVTableItemInfo*>(other->RVData->GetItem(1));
    ASSERT_NE(loaded, nullptr);
    const TCustomRVItemInfo* loadedItem = loaded->GetCells(0, 1)->GetItem(0);
    EXPECT_EQ(otherStyle->TextStyles()->Items(loadedItem->StyleNo)->FontName(), "CellFont");
    EXPECT_EQ(otherStyle->TextStyles()->Items(loadedItem->StyleNo)->Size(), 17);
}

// A pagination that starts page 2 at a row of the table.
class TPagesAtRow : public TRVPrintServices {
public:
    TPagesAtRow(int tableItemNo, int row) : FItemNo(tableItemNo), FRow(row) {}
    int GetPagesCount() const override { return 2; }
    void GetFirstItemOnPageEx(int pageNo, int& itemNo, int& offsetInItem, int& extraData) override
    {
        itemNo = pageNo == 1 ? 0 : FItemNo;
        offsetInItem = pageNo == 1 ? 1 : 0;
        extraData = pageNo == 1 ? -1 : FRow;
    }

private:
    int FItemNo;
    int FRow;
};

TEST_F(TableInViewTest, ASoftPageBreakInsideATableIsDrawnAtItsRow)
{
    View->AddNL("before", 0, 0);
    TRVTableItemInfo* t = AddTable(View, 8, 2);
    View->AddNL("after", 0, 0);
    TRVOptions options = View->Options();
    options.Include(rvoShowPageBreaks);
    View->SetOptions(options);
    View->Format();
    for (int row : {1, 5}) {
        SCOPED_TRACE(row);
        TPagesAtRow pages(1, row);
        View->AssignSoftPageBreaks(&pages);
        std::vector<int> ys;
        Style->OnDrawPageBreak = [&ys](TRVStyle*, TCanvas*, int y, int, TRVPageBreakType type, TComponent*,
                                       bool&) {
            if (type == rvpbSoftPageBreak)
                ys.push_back(y);
        };
        TRecordingCanvas canvas(500, 400);
        View->RVData->PaintTo(&canvas, Rect(0, 0, 500, 400));
        const TRVDrawLineInfo* d = View->RVData->DrawItems[t->DrawItemNo];
        EXPECT_EQ(ys, std::vector<int>({d->Top - 1 + t->FormattingInfo->RowStarts[row]}));
    }
    Style->OnDrawPageBreak = nullptr;
}

TEST_F(TableInViewTest, TextAfterATableIsMeasuredAndPaintedInItsOwnStyle)
{
    TFontInfo* small = Style->TextStyles()->Add();
    small->SetSize(8);
    small->SetStyle(TFontStyles{fsItalic});
    const int smallNo = small->Index();
    auto build = [&](TRollView* v, bool tail) {
        // The line before the table is in the same style: nothing but the
        // table's drawing changes the canvas's font between the two.
        v->AddNL("small before", smallNo, 0);
        AddTable(v, 2, 2);
        if (tail)
            v->Format();
        v->AddNL("small after", smallNo, 0);
        if (tail)
            v->FormatTail();
        else
            v->Format();
    };
    TRollView* fresh = MakeView();
    build(fresh, false);
    TRollView* partial = MakeView();
    build(partial, true);
    TRollView* alone = MakeView();
    alone->AddNL("small after", smallNo, 0);
    alone->Format();

    const TRVDrawLineInfo* after = fresh->RVData->DrawItems[2];
    EXPECT_EQ(after->Height, alone->RVData->DrawItems[0]->Height);
    EXPECT_EQ(after->Width, alone->RVData->DrawItems[0]->Width);
    ASSERT_EQ(partial->RVData->DrawItems.Count(), fresh->RVData->DrawItems.Count());
    for (int i = 0; i < fresh->RVData->DrawItems.Count(); ++i) {
        SCOPED_TRACE(i);
        const TRVDrawLineInfo* a = fresh->RVData->DrawItems[i];
        const TRVDrawLineInfo* b = partial->RVData->DrawItems[i];
        EXPECT_EQ(std::vector<int>({a->Left, a->Top, a->Width, a->Height}),
                  std::vector<int>({b->Left, b->Top, b->Width, b->Height}));
    }
    TRecordingCanvas canvas(500, 400);
    fresh->RVData->PaintTo(&canvas, Rect(0, 0, 500, 400));
    bool painted = false;
    for (const TCanvasRecord* r : canvas.RecordsOf(TCanvasOp::Text))
        if (r->TextUtf8() == "small after") {
            painted = true;
            EXPECT_EQ(r->Font.Size, 8);
            EXPECT_TRUE(r->Font.Style.Contains(fsItalic));
        }
    EXPECT_TRUE(painted);
}

} // namespace
