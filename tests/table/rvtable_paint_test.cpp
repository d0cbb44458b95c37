// Table painting as pixels on the recording canvas: the five border styles,
// the device's end-point rule, rules between columns, the editing grid and
// what suppresses it, print parts that repeat heading rows, selection, only
// the rows in the clip, and cell contents placed through the viewer's layout.
#include <gtest/gtest.h>

#include <vector>

#include "document/rvuni.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/recordingcanvas.h"
#include "tests/support/testtable.h"

namespace {

constexpr TColor Light = 0x0000FF00;
constexpr TColor Dark = 0x000000FF;

class TablePaintTest : public ::testing::Test {
protected:
    TablePaintTest() : Canvas(400, 2000, 96) {}
    ~TablePaintTest() override { RollViewTableGridStyle = psDot; }

    TRVTableItemInfo* Laid(int Rows, int Cols)
    {
        TRVTableItemInfo* t = Doc.AddTable(Rows, Cols);
        Doc.Format();
        return t;
    }
    void Border(TRVTableItemInfo* t, int W, TRVTableBorderStyle Style, TColor Back = clWhite, int Bottom = 20)
    {
        Canvas.Clear();
        t->DrawBorder(&Canvas, 10, 10, 20, Bottom, W, Light, Dark, Back, Style, false, false,
                      Rect(0, 0, 400, 2000), nullptr, -1, -1, rvcmColor);
    }
    void Paint(TRVTableItemInfo* t, TRVItemDrawStates State = {}, TRect Clip = Rect(0, 0, 400, 2000))
    {
        Canvas.Clear();
        t->PaintTo(0, 400, 0, 0, t->Rows->Count(), &Canvas, State, nullptr, t->FormattingInfo.get(), false,
                   Clip, rvcmColor);
    }
    int GridShapes() const
    {
        int n = 0;
        for (const TCanvasRecord& r : Canvas.Records())
            if ((r.Op == TCanvasOp::Rectangle || r.Op == TCanvasOp::Line) && r.Pen.Style == psDot &&
                r.Pen.Color == clBtnFace)
                ++n;
        return n;
    }
    // The top of every solid fill in the colour of a row (rows coloured 1, 2, ...).
    std::vector<std::pair<int, int>> RowFills() const
    {
        std::vector<std::pair<int, int>> r;
        for (const TCanvasRecord* f : Canvas.RecordsOf(TCanvasOp::FillRect))
            if (f->Brush.Color >= 1 && f->Brush.Color <= 100)
                r.push_back({static_cast<int>(f->Brush.Color) - 1, f->Rect.Top});
        return r;
    }

    TTableDoc Doc;
    TRecordingCanvas Canvas;
};

TEST_F(TablePaintTest, BorderStylesPaintTheirTwoColours)
{
    struct Case {
        TRVTableBorderStyle Style;
        TColor Back;
        TColor TopLeft;
        TColor BottomRight;
    };
    const Case Cases[] = {
        {rvtbRaised, clBlack, clBtnHighlight, clBtnShadow},
        {rvtbRaised, ColorToRGB(clBtnHighlight), clBtnFace, clBtnShadow},
        {rvtbLowered, clBlack, clBtnShadow, clBtnHighlight},
        {rvtbLowered, clBtnHighlight, clBtnShadow, clBtnFace},
        {rvtbRaisedColor, clWhite, Light, Dark},
        {rvtbLoweredColor, clWhite, Dark, Light},
        {rvtbColor, clWhite, Dark, Dark},
    };
    TRVTableItemInfo* t = Laid(1, 1);
    for (const Case& k : Cases) {
        SCOPED_TRACE(testing::Message() << int(k.Style) << " on " << std::hex << k.Back);
        Border(t, 2, k.Style, k.Back);
        const TPixelMap Px(Canvas);
        // Two pixels deep on each side of the 10 x 10 rectangle (10..19).
        for (int d : {0, 1}) {
            EXPECT_EQ(Px.At(14, 10 + d), k.TopLeft);
            EXPECT_EQ(Px.At(10 + d, 14), k.TopLeft);
            EXPECT_EQ(Px.At(14, 19 - d), k.BottomRight);
            EXPECT_EQ(Px.At(19 - d, 14), k.BottomRight);
        }
        EXPECT_FALSE(Px.Painted(14, 12)); // inside
        EXPECT_FALSE(Px.Painted(20, 14)); // right and bottom edges are left out
        EXPECT_FALSE(Px.Painted(14, 20));
        // The corners are closed: each line's end point is painted.
        EXPECT_TRUE(Px.Painted(19, 19));
        EXPECT_TRUE(Px.Painted(10, 19));
        EXPECT_TRUE(Px.Painted(19, 10));
    }
}

TEST_F(TablePaintTest, ColourBorderWithoutColourPaintsNothing)
{
    TRVTableItemInfo* t = Laid(1, 1);
    Canvas.Clear();
    t->DrawBorder(&Canvas, 10, 10, 20, 20, 1, Light, clNone, clWhite, rvtbColor, false, false,
                  Rect(0, 0, 400, 400), nullptr, -1, -1, rvcmColor);
    EXPECT_EQ(Canvas.Count(), 0);
    // A rectangle outside the clip is not drawn at all.
    t->DrawBorder(&Canvas, 10, 10, 20, 20, 1, Light, Dark, clWhite, rvtbRaised, false, false,
                  Rect(30, 30, 40, 40), nullptr, -1, -1, rvcmColor);
    EXPECT_EQ(Canvas.Count(), 0);
}

// Printed with halftone borders, a border of either kind is one line a side,
// as wide as the border, inside-frame, along the middle of the border; the pen
// is one pixel wide and solid again afterwards.
TEST_F(TablePaintTest, HalftoneBordersAreOneWideLineASide)
{
    TRVTableItemInfo* t = Laid(1, 1);
    TRVBooleanRect noBottom;
    noBottom.SetBottom(false);
    const struct {
        TRVTableBorderStyle Style;
        std::vector<std::vector<TPoint>> Lines;
    } Cases[] = {
        {rvtbRaised, {{{12, 12}, {27, 12}}, {{12, 12}, {12, 27}}, {{27, 12}, {27, 27}}}},
        {rvtbColor, {{{12, 12}, {12, 28}}, {{27, 12}, {27, 28}}, {{12, 12}, {28, 12}}}},
    };
    for (const auto& c : Cases) {
        SCOPED_TRACE(int(c.Style));
        Canvas.Clear();
        t->DrawBorder(&Canvas, 10, 10, 30, 30, 4, Light, Dark, clWhite, c.Style, false, true,
                      Rect(0, 0, 400, 2000), &noBottom, -1, -1, rvcmColor);
        std::vector<std::vector<TPoint>> lines;
        for (const TCanvasRecord* r : Canvas.RecordsOf(TCanvasOp::Line)) {
            EXPECT_EQ(r->Pen.Width, 4);
            EXPECT_EQ(r->Pen.Style, psInsideFrame);
            lines.push_back(r->Points);
        }
        EXPECT_EQ(lines, c.Lines);
        EXPECT_EQ(Canvas.Pen()->Width(), 1);
        EXPECT_EQ(Canvas.Pen()->Style(), psSolid);
    }
}

TEST_F(TablePaintTest, TallColourBorderIsLinesWhereRectanglesAreLimited)
{
    TRVTableItemInfo* t = Laid(1, 1);
    struct Case {
        bool NT;
        int Bottom;
        bool Rectangle;
    };
    for (const Case& k : {Case{true, 32010, true}, Case{false, 32010, false}, Case{false, 100, true}}) {
        SCOPED_TRACE(testing::Message() << k.NT << " " << k.Bottom);
        RVNT = k.NT;
        Border(t, 1, rvtbColor, clWhite, k.Bottom);
        EXPECT_EQ(Canvas.RecordsOf(TCanvasOp::Rectangle).size(), k.Rectangle ? 1u : 0u);
        EXPECT_EQ(Canvas.RecordsOf(TCanvasOp::Line).empty(), k.Rectangle);
    }
    RVNT = true;
}

TEST_F(TablePaintTest, RulesAreDrawnAsAdjacentLinesAndEvenWidthsShiftTheOuterRule)
{
    for (int W : {1, 2, 3}) {
        SCOPED_TRACE(W);
        TTableDoc D;
        TRVTableItemInfo* t = D.AddTable(1, 3);
        t->VRuleWidth = W;
        t->VRuleColor = Dark;
        t->VOutermostRule = true;
        t->Color = clNone;
        D.Format();
        Canvas.Clear();
        t->PaintTo(0, 400, 0, 0, 1, &Canvas, {}, nullptr, t->FormattingInfo.get(), false,
                   Rect(0, 0, 400, 400), rvcmColor);
        const TPixelMap Px(Canvas);
        const int y = 5;

        // The inner rule between columns 0 and 1 sits half the spacing left of
        // column 1, drawn from W div 2 pixels before it.
        const int X = t->FormattingInfo->ColStarts[1] - 1;
        for (int i = 0; i < W; ++i)
            EXPECT_EQ(Px.At(X - W / 2 + i, y), Dark) << i;
        EXPECT_NE(Px.At(X - W / 2 - 1, y), Dark);
        EXPECT_NE(Px.At(X - W / 2 + W, y), Dark);
        // The right outermost rule stands one pixel inside the border spacing's
        // middle, one pixel further right for an even width.
        const int Outer = t->GetWidth() - 1 - 1 + (W % 2 == 0 ? 1 : 0);
        for (int i = 0; i < W; ++i)
            EXPECT_EQ(Px.At(Outer - W / 2 + i, y), Dark) << i;
        EXPECT_NE(Px.At(Outer - W / 2 + W, y), Dark);
        EXPECT_NE(Px.At(Outer - W / 2 - 1, y), Dark);
    }
}

TEST_F(TablePaintTest, EditingGridAndWhatSuppressesIt)
{
    struct Case {
        const char* What;
        bool EditMode;
        bool Hide;
        bool Printing;
        TPenStyle GridStyle;
        bool Refuse;
        int Shapes;
    };
    const Case Cases[] = {
        {"edited", true, false, false, psDot, false, 1 + 4},
        {"viewed", false, false, false, psDot, false, 0},
        {"hidden", true, true, false, psDot, false, 0},
        {"printed", true, false, true, psDot, false, 0},
        {"clear pen", true, false, false, psClear, false, 0},
        {"handler", true, false, false, psDot, true, 0},
    };
    for (const Case& k : Cases) {
        SCOPED_TRACE(k.What);
        TTableDoc D;
        TRVTableItemInfo* t = D.AddTable(2, 2);
        D.Format();
        t->State.Set(rvtsEditMode, k.EditMode);
        t->Options.Set(rvtoHideGridLines, k.Hide);
        RollViewTableGridStyle = k.GridStyle;
        int Calls = 0;
        if (k.Refuse)
            t->OnDrawBorder = [&](TRVTableItemInfo*, TCanvas*, int, int, int, int, int, TColor, TColor,
                                  TColor, TRVTableBorderStyle, bool, TRVBooleanRect*, int, int,
                                  bool& DoDefault) {
                ++Calls;
                DoDefault = false;
            };
        TRVItemDrawStates State;
        State.Set(rvidsPrinting, k.Printing);
        Paint(t, State);
        EXPECT_EQ(GridShapes(), k.Shapes);
        if (k.Refuse) {
            EXPECT_EQ(Calls, 1 + 4);
        }
        RollViewTableGridStyle = psDot;
    }
}

TEST_F(TablePaintTest, HiddenSideCoveredByANeighboursBorderGetsNoGridLine)
{
    for (int Spacing : {-1, 2}) {
        SCOPED_TRACE(Spacing);
        TTableDoc D;
        TRVTableItemInfo* t = D.AddTable(1, 2);
        t->CellBorderWidth = 1;
        t->CellHSpacing = Spacing;
        t->GetCells(0, 1)->VisibleBorders->SetLeft(false);
        t->State.Include(rvtsEditMode);
        D.Format();
        Paint(t);
        // The table's own border is of width 0 and shows the grid; of the cells
        // only the hidden left side of cell (0, 1) could need a grid line.
        EXPECT_EQ(GridShapes(), 1 + (Spacing < 0 ? 0 : 1));
    }
}

TEST_F(TablePaintTest, PrintPartsRepeatHeadingRows)
{
    struct Case {
        int FirstRow;
        int RowCount;
        std::vector<int> Rows;
    };
    const Case Cases[] = {
        {5, 3, {0, 1, 5, 6, 7}},
        {1, 3, {0, 1, 2, 3}},
        {0, 3, {0, 1, 2}},
    };
    TRVTableItemInfo* t = Laid(8, 1);
    t->HeadingRowCount = 2;
    t->Color = clNone;
    for (int r = 0; r < 8; ++r)
        t->GetCells(r, 0)->Color = static_cast<TColor>(r + 1);
    const TRVIntegerList& Starts = t->FormattingInfo->RowStarts;
    for (const Case& k : Cases) {
        SCOPED_TRACE(k.FirstRow);
        Canvas.Clear();
        t->PaintTo(0, 400, 0, k.FirstRow, k.RowCount, &Canvas, {rvidsPrinting}, nullptr,
                   t->FormattingInfo.get(), true, Rect(0, 0, 400, 2000), rvcmColor);
        const auto Fills = RowFills();
        ASSERT_EQ(Fills.size(), k.Rows.size());
        const int Headings = std::min(2, k.FirstRow);
        for (size_t i = 0; i < Fills.size(); ++i) {
            EXPECT_EQ(Fills[i].first, k.Rows[i]);
            // The part's first row stands where the row after the headings would.
            const int Slot = static_cast<int>(i) < Headings ? k.Rows[i] : Headings + k.Rows[i] - k.FirstRow;
            EXPECT_EQ(Fills[i].second, Starts[Slot]);
        }
    }
}

TEST_F(TablePaintTest, ScreenPaintsOnlyTheRowsInTheClip)
{
    TRVTableItemInfo* t = Laid(60, 2);
    for (int r = 0; r < 60; ++r)
        t->GetCells(r, 0)->Color = static_cast<TColor>(r + 1);
    const int Top = t->FormattingInfo->RowStarts[30];
    Paint(t, {}, Rect(0, Top, 400, Top + 40));
    const auto Fills = RowFills();
    ASSERT_FALSE(Fills.empty());
    EXPECT_GE(Fills.front().first, 29);
    EXPECT_LE(Fills.back().first, 33);
}

TEST_F(TablePaintTest, TransparentTablePaintsNoBackground)
{
    TRVTableItemInfo* t = Laid(2, 2);
    t->Color = clNone;
    Paint(t);
    EXPECT_TRUE(Canvas.RecordsOf(TCanvasOp::FillRect).empty());
    t->Color = clYellow;
    Paint(t);
    const auto Fills = Canvas.RecordsOf(TCanvasOp::FillRect);
    ASSERT_EQ(Fills.size(), 1u);
    EXPECT_EQ(Fills[0]->Rect, Rect(0, 0, t->GetWidth(), t->GetHeight()));
}

TEST_F(TablePaintTest, SelectedTablePaintsEveryCellInTheSelectionColour)
{
    TRVTableItemInfo* t = Laid(2, 2);
    t->Color = clNone;
    Doc.Style.SetInactiveSelColor(0x00ABCDEF);
    TBitmap Picture;
    Picture.SetSize(2, 2);
    t->GetCells(0, 0)->SetBackgroundImage(&Picture);
    Paint(t, {rvidsSelected});
    int Selected = 0;
    for (const TCanvasRecord* f : Canvas.RecordsOf(TCanvasOp::FillRect))
        Selected += f->Brush.Color == 0x00ABCDEF ? 1 : 0;
    EXPECT_EQ(Selected, 4);
    EXPECT_TRUE(Canvas.RecordsOf(TCanvasOp::Graphic).empty());
    EXPECT_FALSE(t->GetCells(0, 0)->State.Contains(rvstCompletelySelected));
}

TEST_F(TablePaintTest, CellContentIsPaintedInsideItsCellThroughTheViewer)
{
    TRVTableItemInfo* t = Doc.AddTable(2, 2);
    t->GetCells(1, 1)->Clear();
    t->GetCells(1, 1)->AddNL("abc", 0, 0);
    Doc.Data.AddNL("after", 0, 0);
    Doc.Format();
    Canvas.Clear();
    Doc.Data.PaintTo(&Canvas, Rect(0, 0, 400, 400));
    const auto Texts = Canvas.RecordsOf(TCanvasOp::Text);
    const TRVTableCellData* c = t->GetCells(1, 1);
    bool Found = false;
    for (const TCanvasRecord* r : Texts)
        if (r->TextUtf8() == "abc") {
            Found = true;
            EXPECT_EQ(r->X, c->Left + t->CellPadding);
            EXPECT_EQ(r->Y, c->Top + t->CellPadding);
        }
    EXPECT_TRUE(Found);
    // The paragraph after the table starts below it.
    EXPECT_EQ(Doc.Data.DI(1)->Top, t->GetHeight());
}

// A printable cell document of a fixed height that notes how it is used.
class TFakePrintCell : public TRVTablePrintCell {
public:
    explicit TFakePrintCell(int AHeight) : DocHeight(AHeight) {}
    int GetDocumentHeight() override { return DocHeight; }
    void FormatCell(bool) override { ++Formats; }
    void DrawCell(TCanvas*, int X, int Y, TRVItemDrawStates) override { Drawn.push_back({X, Y}); }
    int DocHeight;
    int Formats = 0;
    std::vector<TPoint> Drawn;
};

TEST_F(TablePaintTest, PrintLayoutScalesToTheDeviceAndPaintsThePrintableCells)
{
    TRVTableItemInfo* t = Laid(2, 2);
    const int ScreenWidth = t->GetWidth();
    t->GetCells(0, 0)->BestWidth = 50;
    t->GetCells(1, 1)->BestWidth = 70;
    TRVTablePrintInfo Item;
    Item.SaD = TRVScreenAndDevice{96, 96, 192, 192, 0, 0};
    std::vector<TFakePrintCell*> Cells;
    for (int i = 0; i < 4; ++i) {
        Cells.push_back(new TFakePrintCell(i < 2 ? 40 : 6));
        Item.FmtInfo.PrintCells->Add(Cells.back());
    }
    int HShift = -1;
    int Desc = -1;
    t->OnDocWidthChange(800, &Item, true, &Canvas, &Doc.Data, &Item.SaD, HShift, Desc, false);
    EXPECT_EQ(t->Device, nullptr);
    EXPECT_EQ(HShift, 0);
    EXPECT_EQ(Desc, 0);
    // A fixed-width table: every length doubled.
    EXPECT_EQ(Item.FmtInfo.ColWidths[0], 100);
    EXPECT_EQ(Item.FmtInfo.ColWidths[1], 140);
    EXPECT_EQ(Item.FmtInfo.Width, 100 + 140 + 2 * (4 + 2 + 4));
    EXPECT_EQ(Item.Width, Item.FmtInfo.Width);
    // Rows are as high as their printable documents, at least 10 screen pixels.
    EXPECT_EQ(Item.FmtInfo.RowHeights[0], 40);
    EXPECT_EQ(Item.FmtInfo.RowHeights[1], 20);
    EXPECT_EQ(Cells[1]->Left, Item.FmtInfo.ColStarts[1] + 2);
    EXPECT_EQ(Cells[1]->Width, 140);
    EXPECT_EQ(Cells[2]->Top, Item.FmtInfo.RowStarts[1] + 2);
    EXPECT_EQ(Cells[3]->Formats, 1);
    // The screen layout is left alone.
    EXPECT_EQ(t->GetWidth(), ScreenWidth);

    t->Device = &Item.SaD;
    Canvas.Clear();
    t->PaintTo(10, 800, 20, 0, 2, &Canvas, {rvidsPrinting}, nullptr, &Item.FmtInfo, false,
               Rect(0, 0, 400, 2000), rvcmColor);
    t->Device = nullptr;
    ASSERT_EQ(Cells[3]->Drawn.size(), 1u);
    // Top-aligned rows: the document stands at the cell's padding.
    EXPECT_EQ(Cells[3]->Drawn[0].X, 10 + Item.FmtInfo.ColStarts[1] + 2);
    EXPECT_EQ(Cells[3]->Drawn[0].Y, 20 + Item.FmtInfo.RowStarts[1] + 2);
}

TEST_F(TablePaintTest, BackgroundUnderACellIsTheTablesColour)
{
    TRVTableItemInfo* t = Laid(1, 1);
    for (TColor c : {clNone, clYellow}) {
        t->Color = c;
        Canvas.Clear();
        t->DrawBackgroundUnderCell(&Canvas, t->GetCells(0, 0), Rect(30, 40, 60, 50));
        const auto Fills = Canvas.RecordsOf(TCanvasOp::FillRect);
        ASSERT_EQ(Fills.size(), c == clNone ? 0u : 1u);
        if (!Fills.empty()) {
            EXPECT_EQ(Fills[0]->Rect, Rect(0, 0, 30, 10));
            EXPECT_EQ(Fills[0]->Brush.Color, clYellow);
        }
    }
}

} // namespace
