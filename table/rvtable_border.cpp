// One border rectangle in one of the five border styles, and the dotted grid
// an edited table shows where no border is drawn. Lines follow the device's
// rule that a line omits its last pixel: 3-D and per-line borders extend each
// line by one so that its end point is painted.
#include <algorithm>

#include "document/rvuni.h"
#include "table/rvtable.h"

namespace {

enum TSide { sdLeft, sdTop, sdRight, sdBottom };

bool SideVisible(const TRVBooleanRect* visible, TSide side)
{
    if (visible == nullptr)
        return true;
    switch (side) {
    case sdLeft:
        return visible->Left();
    case sdTop:
        return visible->Top();
    case sdRight:
        return visible->Right();
    default:
        return visible->Bottom();
    }
}

void Line(TCanvas* canvas, int x1, int y1, int x2, int y2)
{
    canvas->MoveTo(x1, y1);
    canvas->LineTo(x2, y2);
}

// A vertical line from Y1 to Y2, its extent cut to just beyond the clip.
void ClippedVLine(TCanvas* canvas, int x, int y1, int y2, const TRect& clip)
{
    Line(canvas, x, std::max(y1, clip.Top - 1), x, std::min(y2, clip.Bottom + 1));
}

// On a device finer than the screen a border is one pixel wider and starts
// one pixel further up and left, so that it covers what it covers on screen.
void WidenOnFinerDevice(bool finerDevice, int& w, int& left, int& top)
{
    if (finerDevice) {
        ++w;
        --left;
        --top;
    }
}

// The pen of a border W wide drawn in passes, and the number of passes: for
// halftone printing one inside-frame line W wide along the middle of the
// border (the sides moved in by half of it), else a one-pixel line a pass.
int SetBorderPen(TPen* pen, int w, bool halftone, int& left, int& top, int& right, int& bottom)
{
    if (!halftone) {
        pen->SetWidth(1);
        pen->SetStyle(psSolid);
        return w;
    }
    pen->SetWidth(w);
    pen->SetStyle(psInsideFrame);
    left += w / 2;
    top += w / 2;
    right -= w / 2;
    bottom -= w / 2;
    return 1;
}

// The pen of the dotted grid an edited table shows where no border is drawn.
void SetGridPen(TPen* pen)
{
    pen->SetWidth(1);
    pen->SetStyle(RollViewTableGridStyle);
    pen->SetColor(clBtnFace);
}

// A 3-D border (raised, lowered or their coloured forms): the top and left
// sides in one colour, the bottom and right in the other, one line per pixel
// of width, or one wide inside-frame line for halftone printing.
void Draw3DBorder(TCanvas* canvas, int left, int top, int right, int bottom, int w, TColor lightColor,
                  TColor color, TColor backgroundColor, TRVTableBorderStyle style, bool halftone,
                  bool finerDevice, const TRect& clip, const TRVBooleanRect* visibleBorders,
                  TRVColorMode colorMode)
{
    TPen* pen = canvas->Pen();
    --right;
    --bottom;
    const bool highlightIsBack = ColorToRGB(backgroundColor) == ColorToRGB(clBtnHighlight);
    const TColor highlight = highlightIsBack ? clBtnFace : clBtnHighlight;
    TColor first = clBtnShadow;
    TColor second = clBtnShadow;
    switch (style) {
    case rvtbRaised:
        first = highlight;
        break;
    case rvtbLowered:
        second = highlight;
        break;
    case rvtbRaisedColor:
        first = lightColor;
        second = color;
        break;
    default:
        first = color;
        second = lightColor;
        break;
    }
    first = RV_GetColor(first, colorMode);
    second = RV_GetColor(second, colorMode);
    if (halftone)
        WidenOnFinerDevice(finerDevice, w, left, top);
    const int passes = SetBorderPen(pen, w, halftone, left, top, right, bottom);
    const int extra = halftone ? 0 : 1;
    for (int i = 0; i < passes; ++i) {
        pen->SetColor(first);
        if (SideVisible(visibleBorders, sdTop))
            Line(canvas, left + i, top + i, right - i + extra, top + i);
        if (SideVisible(visibleBorders, sdLeft))
            ClippedVLine(canvas, left + i, top + i, bottom - i + extra, clip);
        pen->SetColor(second);
        if (SideVisible(visibleBorders, sdBottom))
            Line(canvas, left + i, bottom - i, right - i + extra, bottom - i);
        if (SideVisible(visibleBorders, sdRight))
            ClippedVLine(canvas, right - i, top + i, bottom - i + extra, clip);
    }
    pen->SetWidth(1);
    pen->SetStyle(psSolid);
}

// A one-colour border: one inside-frame rectangle when all sides show, else
// its visible sides line by line (overlapping at the corners when asked).
void DrawColorBorder(TCanvas* canvas, int left, int top, int right, int bottom, int w, TColor color,
                     bool allVisible, bool overlapping, bool halftone, bool finerDevice, const TRect& clip,
                     const TRVBooleanRect* visibleBorders, TRVColorMode colorMode)
{
    TPen* pen = canvas->Pen();
    if (color == clNone)
        return;
    pen->SetColor(RV_GetColor(color, colorMode));
    if (allVisible && (RVNT || bottom - top < 32000)) {
        WidenOnFinerDevice(finerDevice, w, left, top);
        pen->SetWidth(w);
        pen->SetStyle(psInsideFrame);
        canvas->Rectangle(left, top, right, bottom);
        pen->SetWidth(1);
        pen->SetStyle(psSolid);
        return;
    }
    WidenOnFinerDevice(finerDevice, w, left, top);
    const int passes = SetBorderPen(pen, w, halftone, left, top, right, bottom);
    --right;
    --bottom;
    for (int i = 0; i < passes; ++i) {
        const int l = overlapping ? left + i : left;
        const int t = overlapping ? top + i : top;
        const int r = overlapping ? right - i : right;
        const int b = overlapping ? bottom - i : bottom;
        const int vTop = overlapping ? top : t;
        const int vBottom = overlapping ? bottom : b;
        const int hLeft = overlapping ? left : l;
        const int hRight = overlapping ? right : r;
        if (SideVisible(visibleBorders, sdLeft))
            ClippedVLine(canvas, l, vTop, vBottom + 1, clip);
        if (SideVisible(visibleBorders, sdRight))
            ClippedVLine(canvas, r, vTop, vBottom + 1, clip);
        if (SideVisible(visibleBorders, sdTop))
            Line(canvas, hLeft, t, hRight + 1, t);
        if (SideVisible(visibleBorders, sdBottom))
            Line(canvas, hLeft, b, hRight + 1, b);
        if (!overlapping) {
            ++left;
            ++top;
            --right;
            --bottom;
        }
    }
    pen->SetWidth(1);
    pen->SetStyle(psSolid);
}

} // namespace

// Whether the border of a neighbour (or of the table) covers the hidden side
// of a cell, so that no grid line is needed there.
bool TRVTableItemInfo::GridOverlapped(TRVBooleanRect* visibleBorders, int row, int col, int side) const
{
    (void)visibleBorders;
    if (row < 0 || col < 0 || row >= Rows->Count() || col >= Rows->Get(row)->Count())
        return false;
    const TRVTableCellData* cell = Rows->Get(row)->Get(col);
    if (cell == nullptr)
        return false;
    const int lastRow = row + cell->RowSpan - 1;
    const int lastCol = col + cell->ColSpan - 1;
    int MRow = 0;
    int MCol = 0;
    auto neighbour = [&](int r, int c) { return Rows->GetMainCell(r, c, MRow, MCol); };
    switch (side) {
    case sdTop:
        if (row == 0)
            return BorderVSpacing < 0 && BorderWidth > 0;
        if (const TRVTableCellData* n = neighbour(row - 1, col))
            return CellVSpacing < 0 && n->VisibleBorders->Bottom();
        return false;
    case sdBottom:
        if (lastRow >= Rows->Count() - 1)
            return BorderVSpacing < 0 && BorderWidth > 0;
        if (const TRVTableCellData* n = neighbour(lastRow + 1, col))
            return CellVSpacing < 0 && n->VisibleBorders->Top();
        return false;
    case sdLeft:
        if (col == 0)
            return BorderHSpacing < 0 && BorderWidth > 0;
        if (const TRVTableCellData* n = neighbour(row, col - 1))
            return CellHSpacing < 0 && n->VisibleBorders->Right();
        return false;
    default:
        if (lastCol >= Rows->Get(row)->Count() - 1)
            return BorderHSpacing < 0 && BorderWidth > 0;
        if (const TRVTableCellData* n = neighbour(row, lastCol + 1))
            return CellHSpacing < 0 && n->VisibleBorders->Left();
        return false;
    }
}

void TRVTableItemInfo::DrawBorder(TCanvas* canvas, int left, int top, int right, int bottom, int width,
                                  TColor lightColor, TColor color, TColor backgroundColor,
                                  TRVTableBorderStyle style, bool drawGrid, bool printing, const TRect& clip,
                                  TRVBooleanRect* visibleBorders, int row, int col, TRVColorMode colorMode)
{
    if (clip.Left > right || clip.Right < left || clip.Top > bottom || clip.Bottom < top)
        return;
    if (OnDrawBorder) {
        bool doDefault = true;
        OnDrawBorder(this, canvas, left, top, right, bottom, width, lightColor, color, backgroundColor, style,
                     printing, visibleBorders, row, col, doDefault);
        if (!doDefault)
            return;
    }
    TPen* pen = canvas->Pen();
    const bool grid = drawGrid && !printing && RollViewTableGridStyle != psClear;
    if (width == 0) {
        if (grid) {
            SetGridPen(pen);
            canvas->Brush()->SetColor(clNone);
            canvas->Brush()->SetStyle(bsClear);
            canvas->Rectangle(left, top, right, bottom);
            pen->SetMode(pmCopy);
            pen->SetStyle(psSolid);
        }
        return;
    }
    const bool allVisible = visibleBorders == nullptr || visibleBorders->IsAllEqual(true);
    if (grid && !allVisible) {
        SetGridPen(pen);
        if (!visibleBorders->Top() && !GridOverlapped(visibleBorders, row, col, sdTop))
            Line(canvas, left, top, right, top);
        if (!visibleBorders->Bottom() && !GridOverlapped(visibleBorders, row, col, sdBottom))
            Line(canvas, left, bottom, right, bottom);
        if (!visibleBorders->Left() && !GridOverlapped(visibleBorders, row, col, sdLeft))
            ClippedVLine(canvas, left, top, bottom, clip);
        if (!visibleBorders->Right() && !GridOverlapped(visibleBorders, row, col, sdRight))
            ClippedVLine(canvas, right, top, bottom, clip);
        pen->SetMode(pmCopy);
        pen->SetStyle(psSolid);
    }
    canvas->Brush()->SetStyle(bsClear);
    const bool halftone = printing && PrintOptions.Contains(rvtoHalftoneBorders);
    const bool finerDevice = printing && Device != nullptr && Device->DevicePpiY > Device->ScreenPpiY;
    const int w = GetDevY(width);
    if (style != rvtbColor)
        Draw3DBorder(canvas, left, top, right, bottom, w, lightColor, color, backgroundColor, style, halftone,
                     finerDevice, clip, visibleBorders, colorMode);
    else
        DrawColorBorder(canvas, left, top, right, bottom, w, color, allVisible,
                        Options.Contains(rvtoOverlappingCorners), halftone, finerDevice, clip, visibleBorders,
                        colorMode);
}
