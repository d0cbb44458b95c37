// One border rectangle in one of the five border styles, and the dotted grid
// an edited table shows where no border is drawn. Lines follow the device's
// rule that a line omits its last pixel: 3-D and per-line borders extend each
// line by one so that its end point is painted.
#include <algorithm>

#include "table/rvtable.h"

bool RVNT = true;

namespace {

enum TSide { sdLeft, sdTop, sdRight, sdBottom };

bool SideVisible(const TRVBooleanRect* Visible, TSide Side)
{
    if (Visible == nullptr)
        return true;
    switch (Side) {
    case sdLeft:
        return Visible->Left();
    case sdTop:
        return Visible->Top();
    case sdRight:
        return Visible->Right();
    default:
        return Visible->Bottom();
    }
}

void Line(TCanvas* Canvas, int X1, int Y1, int X2, int Y2)
{
    Canvas->MoveTo(X1, Y1);
    Canvas->LineTo(X2, Y2);
}

// A vertical line from Y1 to Y2, its extent cut to just beyond the clip.
void ClippedVLine(TCanvas* Canvas, int X, int Y1, int Y2, const TRect& Clip)
{
    Line(Canvas, X, std::max(Y1, Clip.Top - 1), X, std::min(Y2, Clip.Bottom + 1));
}

} // namespace

// Whether the border of a neighbour (or of the table) covers the hidden side
// of a cell, so that no grid line is needed there.
bool TRVTableItemInfo::GridOverlapped(TRVBooleanRect* VisibleBorders, int Row, int Col, int Side) const
{
    (void)VisibleBorders;
    if (Row < 0 || Col < 0 || Row >= Rows->Count() || Col >= Rows->Get(Row)->Count())
        return false;
    const TRVTableCellData* Cell = Rows->Get(Row)->Get(Col);
    if (Cell == nullptr)
        return false;
    const int LastRow = Row + Cell->RowSpan - 1;
    const int LastCol = Col + Cell->ColSpan - 1;
    int MRow = 0;
    int MCol = 0;
    auto Neighbour = [&](int r, int c) { return Rows->GetMainCell(r, c, MRow, MCol); };
    switch (Side) {
    case sdTop:
        if (Row == 0)
            return BorderVSpacing < 0 && BorderWidth > 0;
        if (const TRVTableCellData* N = Neighbour(Row - 1, Col))
            return CellVSpacing < 0 && N->VisibleBorders->Bottom();
        return false;
    case sdBottom:
        if (LastRow >= Rows->Count() - 1)
            return BorderVSpacing < 0 && BorderWidth > 0;
        if (const TRVTableCellData* N = Neighbour(LastRow + 1, Col))
            return CellVSpacing < 0 && N->VisibleBorders->Top();
        return false;
    case sdLeft:
        if (Col == 0)
            return BorderHSpacing < 0 && BorderWidth > 0;
        if (const TRVTableCellData* N = Neighbour(Row, Col - 1))
            return CellHSpacing < 0 && N->VisibleBorders->Right();
        return false;
    default:
        if (LastCol >= Rows->Get(Row)->Count() - 1)
            return BorderHSpacing < 0 && BorderWidth > 0;
        if (const TRVTableCellData* N = Neighbour(Row, LastCol + 1))
            return CellHSpacing < 0 && N->VisibleBorders->Left();
        return false;
    }
}

void TRVTableItemInfo::DrawBorder(TCanvas* Canvas, int Left, int Top, int Right, int Bottom, int Width,
                                  TColor LightColor, TColor Color_, TColor BackgroundColor,
                                  TRVTableBorderStyle Style, bool DrawGrid, bool Printing, const TRect& Clip,
                                  TRVBooleanRect* VisibleBorders, int Row, int Col, TRVColorMode ColorMode)
{
    if (Clip.Left > Right || Clip.Right < Left || Clip.Top > Bottom || Clip.Bottom < Top)
        return;
    if (OnDrawBorder) {
        bool DoDefault = true;
        OnDrawBorder(this, Canvas, Left, Top, Right, Bottom, Width, LightColor, Color_, BackgroundColor,
                     Style, Printing, VisibleBorders, Row, Col, DoDefault);
        if (!DoDefault)
            return;
    }
    TPen* Pen = Canvas->Pen();
    const bool Grid = DrawGrid && !Printing && RollViewTableGridStyle != psClear;
    auto GridPen = [&]() {
        Pen->SetWidth(1);
        Pen->SetStyle(RollViewTableGridStyle);
        Pen->SetColor(clBtnFace);
    };
    if (Width == 0) {
        if (Grid) {
            GridPen();
            Canvas->Brush()->SetColor(clNone);
            Canvas->Brush()->SetStyle(bsClear);
            Canvas->Rectangle(Left, Top, Right, Bottom);
            Pen->SetMode(pmCopy);
            Pen->SetStyle(psSolid);
        }
        return;
    }
    const bool AllVisible = VisibleBorders == nullptr || VisibleBorders->IsAllEqual(true);
    if (Grid && !AllVisible) {
        GridPen();
        if (!VisibleBorders->Top() && !GridOverlapped(VisibleBorders, Row, Col, sdTop))
            Line(Canvas, Left, Top, Right, Top);
        if (!VisibleBorders->Bottom() && !GridOverlapped(VisibleBorders, Row, Col, sdBottom))
            Line(Canvas, Left, Bottom, Right, Bottom);
        if (!VisibleBorders->Left() && !GridOverlapped(VisibleBorders, Row, Col, sdLeft))
            ClippedVLine(Canvas, Left, Top, Bottom, Clip);
        if (!VisibleBorders->Right() && !GridOverlapped(VisibleBorders, Row, Col, sdRight))
            ClippedVLine(Canvas, Right, Top, Bottom, Clip);
        Pen->SetMode(pmCopy);
        Pen->SetStyle(psSolid);
    }
    Canvas->Brush()->SetStyle(bsClear);
    const bool Halftone = Printing && PrintOptions.Contains(rvtoHalftoneBorders);
    const bool FinerDevice = Printing && Device != nullptr && Device->DevicePpiY > Device->ScreenPpiY;
    int W = GetDevY(Width);

    if (Style != rvtbColor) {
        --Right;
        --Bottom;
        const bool HighlightIsBack = ColorToRGB(BackgroundColor) == ColorToRGB(clBtnHighlight);
        const TColor Highlight = HighlightIsBack ? clBtnFace : clBtnHighlight;
        TColor First = clBtnShadow;
        TColor Second = clBtnShadow;
        switch (Style) {
        case rvtbRaised:
            First = Highlight;
            break;
        case rvtbLowered:
            Second = Highlight;
            break;
        case rvtbRaisedColor:
            First = LightColor;
            Second = Color_;
            break;
        default:
            First = Color_;
            Second = LightColor;
            break;
        }
        First = RV_GetColor(First, ColorMode);
        Second = RV_GetColor(Second, ColorMode);
        int Passes = W;
        int Extra = 1;
        if (Halftone) {
            if (FinerDevice) {
                ++W;
                --Left;
                --Top;
            }
            Pen->SetWidth(W);
            Pen->SetStyle(psInsideFrame);
            Left += W / 2;
            Top += W / 2;
            Right -= W / 2;
            Bottom -= W / 2;
            Passes = 1;
            Extra = 0;
        } else {
            Pen->SetWidth(1);
            Pen->SetStyle(psSolid);
        }
        for (int i = 0; i < Passes; ++i) {
            Pen->SetColor(First);
            if (SideVisible(VisibleBorders, sdTop))
                Line(Canvas, Left + i, Top + i, Right - i + Extra, Top + i);
            if (SideVisible(VisibleBorders, sdLeft))
                ClippedVLine(Canvas, Left + i, Top + i, Bottom - i + Extra, Clip);
            Pen->SetColor(Second);
            if (SideVisible(VisibleBorders, sdBottom))
                Line(Canvas, Left + i, Bottom - i, Right - i + Extra, Bottom - i);
            if (SideVisible(VisibleBorders, sdRight))
                ClippedVLine(Canvas, Right - i, Top + i, Bottom - i + Extra, Clip);
        }
        Pen->SetWidth(1);
        Pen->SetStyle(psSolid);
        return;
    }

    if (Color_ == clNone)
        return;
    Pen->SetColor(RV_GetColor(Color_, ColorMode));
    if (AllVisible && (RVNT || Bottom - Top < 32000)) {
        if (FinerDevice) {
            ++W;
            --Left;
            --Top;
        }
        Pen->SetWidth(W);
        Pen->SetStyle(psInsideFrame);
        Canvas->Rectangle(Left, Top, Right, Bottom);
        Pen->SetWidth(1);
        Pen->SetStyle(psSolid);
        return;
    }
    if (FinerDevice) {
        ++W;
        --Left;
        --Top;
    }
    int Passes = W;
    if (Halftone) {
        Pen->SetWidth(W);
        Pen->SetStyle(psInsideFrame);
        Left += W / 2;
        Top += W / 2;
        Right -= W / 2;
        Bottom -= W / 2;
        Passes = 1;
    } else {
        Pen->SetWidth(1);
        Pen->SetStyle(psSolid);
    }
    --Right;
    --Bottom;
    const bool Overlapping = Options.Contains(rvtoOverlappingCorners);
    for (int i = 0; i < Passes; ++i) {
        const int L = Overlapping ? Left + i : Left;
        const int T = Overlapping ? Top + i : Top;
        const int R = Overlapping ? Right - i : Right;
        const int B = Overlapping ? Bottom - i : Bottom;
        const int VTop = Overlapping ? Top : T;
        const int VBottom = Overlapping ? Bottom : B;
        const int HLeft = Overlapping ? Left : L;
        const int HRight = Overlapping ? Right : R;
        if (SideVisible(VisibleBorders, sdLeft))
            ClippedVLine(Canvas, L, VTop, VBottom + 1, Clip);
        if (SideVisible(VisibleBorders, sdRight))
            ClippedVLine(Canvas, R, VTop, VBottom + 1, Clip);
        if (SideVisible(VisibleBorders, sdTop))
            Line(Canvas, HLeft, T, HRight + 1, T);
        if (SideVisible(VisibleBorders, sdBottom))
            Line(Canvas, HLeft, B, HRight + 1, B);
        if (!Overlapping) {
            ++Left;
            ++Top;
            --Right;
            --Bottom;
        }
    }
    Pen->SetWidth(1);
    Pen->SetStyle(psSolid);
}
