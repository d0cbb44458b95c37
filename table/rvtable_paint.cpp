// Painting a laid-out table: its background, the rules between columns and
// rows, its outer border and its cells, on screen (only the rows in the clip)
// or as one printed part that repeats the heading rows above its rows.
#include <algorithm>

#include "document/rvstyle.h"
#include "table/rvtable.h"
#include "view/rvscroll.h"

int RV_GetCrossed(int value, const TRVIntegerList& list)
{
    const int count = list.Count();
    if (count < 2)
        return 0;
    if (list[count - 1] <= value)
        return count - 1;
    int lo = 0;
    int hi = count - 1;
    while (hi - lo > 1) {
        const int mid = (lo + hi) / 2;
        if (list[mid] >= value)
            hi = mid;
        else
            lo = mid;
    }
    return lo;
}

void TRVTableItemInfo::PaintFullWidth(int left, int right, int top, TCanvas* canvas,
                                      TRVItemDrawStates drawState, TRVStyle* style, const TRect& clipRect,
                                      TRVDrawLineInfo* dli)
{
    (void)dli;
    PaintTo(left, right, top, 0, Rows->Count(), canvas, drawState, style, FormattingInfo.get(), false,
            clipRect, rvcmColor);
}

namespace {

// One rule drawn as Width one-pixel lines starting Width div 2 before Pos.
void VerticalRule(TCanvas* canvas, int x, int width, int y1, int y2)
{
    for (int i = 0; i < width; ++i) {
        canvas->MoveTo(x - width / 2 + i, y1);
        canvas->LineTo(x - width / 2 + i, y2);
    }
}

void HorizontalRule(TCanvas* canvas, int y, int width, int x1, int x2)
{
    for (int i = 0; i < width; ++i) {
        canvas->MoveTo(x1, y - width / 2 + i);
        canvas->LineTo(x2, y - width / 2 + i);
    }
}

} // namespace

void TRVTableItemInfo::PaintTo(int Left, int right, int top, int firstRow, int rowCount, TCanvas* canvas,
                               TRVItemDrawStates DrawState, TRVStyle* style, TRVTableItemFormattingInfo* Fmt,
                               bool paintHeadings, const TRect& Clip, TRVColorMode ColorMode)
{
    (void)right;
    CurLeft = Left;
    CurTop = top;
    if (style == nullptr && GetRVData() != nullptr)
        style = GetRVData()->GetRVStyle();
    TColor SelColor = clNone;
    if (style != nullptr) {
        bool focused = false;
        if (GetRVData() != nullptr)
            if (auto* scroller =
                    dynamic_cast<TRVScroller*>(GetRVData()->GetAbsoluteRootData()->GetParentControl()))
                focused = scroller->FocusedEx();
        SelColor = focused ? style->SelColor() : style->InactiveSelColor();
    }
    const bool Printing = DrawState.Contains(rvidsPrinting);
    // A grid without rows or slots has no row or column to index: only its
    // background and border are painted.
    const bool noCells = Rows->Empty() || Fmt->RowStarts.Count() != Rows->Count() ||
                         Fmt->ColStarts.Count() != Rows->GetColCount();
    const bool vRules = VRuleWidth != 0 && VRuleColor != clNone && !noCells;
    const bool hRules = HRuleWidth != 0 && HRuleColor != clNone && !noCells;

    // Rows to paint and the table's rectangle.
    int first = 0;
    int last = -1;
    int headings = 0;
    TRect tableRect = Rect(Left, top, Left + Fmt->Width, top + Fmt->Height);
    if (!noCells) {
        const TRVIntegerList& rs = Fmt->RowStarts;
        const TRVIntegerList& rh = Fmt->RowHeights;
        if (!Printing) {
            first = RV_GetCrossed(Clip.Top - top - GetDevY(BorderWidth), rs);
            last = Rows->Count() - 1;
        } else {
            const int lastRow = Rows->Count() - 1;
            first = std::clamp(firstRow, 0, lastRow + 1);
            last = std::min(firstRow + rowCount - 1, lastRow);
            headings = paintHeadings ? std::clamp(std::min(HeadingRowCount, first), 0, lastRow + 1) : 0;
            int h = Fmt->Height - (rs[lastRow] + rh[lastRow] - rs[0]);
            if (first <= last)
                h += rs[last] + rh[last] - rs[first];
            if (headings > 0) {
                h += rs[headings - 1] + rh[headings - 1] - rs[0];
                if (first <= last)
                    h += rs[headings] - (rs[headings - 1] + rh[headings - 1]);
            }
            tableRect.Bottom = top + h;
        }
    }

    PaintBackground(canvas, tableRect, Clip, Printing, ColorMode);
    canvas->Pen()->SetWidth(1);
    canvas->Pen()->SetStyle(psSolid);

    int bodyTop = top;
    if (Printing && !noCells && first <= last)
        bodyTop = top - (Fmt->RowStarts[first] - Fmt->RowStarts[headings]);

    if (vRules)
        PaintVRules(canvas, Left, tableRect, Fmt, Clip, hRules);
    if (hRules)
        PaintHRules(canvas, Left, top, bodyTop, first, last, headings, tableRect, Fmt, Clip, Printing,
                    vRules);

    TColor docColor = clNone;
    if (auto* doc = dynamic_cast<TCustomRVFormattedData*>(GetRVData()))
        docColor = doc->GetColor();
    const bool DrawGrid = State.Contains(rvtsEditMode) && !Options.Contains(rvtoHideGridLines);
    DrawBorder(canvas, tableRect.Left, tableRect.Top, tableRect.Right, tableRect.Bottom, BorderWidth,
               BorderLightColor, BorderColor, docColor, BorderStyle, DrawGrid, Printing, Clip, nullptr, -1,
               -1, ColorMode);
    if (noCells) {
        canvas->Pen()->SetWidth(1);
        return;
    }

    PaintCells(canvas, Left, top, bodyTop, first, last, headings, Fmt, Clip, DrawState, SelColor, ColorMode,
               Printing, DrawGrid);
    canvas->Pen()->SetWidth(1);
}

// The table's colour or picture under the part of TableRect inside Clip.
void TRVTableItemInfo::PaintBackground(TCanvas* canvas, const TRect& tableRect, const TRect& Clip,
                                       bool Printing, TRVColorMode ColorMode)
{
    TRect under;
    if (!IntersectRect(under, tableRect, Clip))
        return;
    TColor back = clNone;
    if (Color != clNone)
        back = Printing && PrintOptions.Contains(rvtoWhiteBackground) ? clWhite
                                                                      : RV_GetBackColor(Color, ColorMode);
    if (Background && Background->Image() != nullptr && !Printing) {
        Background->Draw(canvas, under, 0, 0, tableRect.Left, tableRect.Top, tableRect.Width(),
                         tableRect.Height(), back, true);
    } else if (Background && Background->Image() != nullptr && Device != nullptr) {
        Background->Print(canvas, under, tableRect, *Device, back, false, nullptr, nullptr, 0);
    } else if (back != clNone) {
        canvas->Brush()->SetStyle(bsSolid);
        canvas->Brush()->SetColor(back);
        canvas->FillRect(under);
    }
}

// The rules between columns (and outside the outer ones when asked), cut to
// the table's height within the clip.
void TRVTableItemInfo::PaintVRules(TCanvas* canvas, int Left, const TRect& tableRect,
                                   TRVTableItemFormattingInfo* Fmt, const TRect& Clip, bool hRules)
{
    const int w = GetDevX(VRuleWidth);
    const int half = (GetDevX(CellHSpacing + 2 * CellBorderWidth) + 1) / 2;
    const int inset = hRules && HOutermostRule ? GetDevX(BorderWidth + BorderVSpacing / 2) : 0;
    const int y1 = std::max(tableRect.Top + inset, Clip.Top - 1);
    const int y2 = std::min(tableRect.Bottom - inset, Clip.Bottom + 1);
    const int c0 = RV_GetCrossed(Clip.Left - Left - GetDevX(BorderWidth + CellHSpacing + BorderHSpacing),
                                 Fmt->ColStarts);
    canvas->Pen()->SetColor(VRuleColor);
    if (VOutermostRule && c0 == 0)
        VerticalRule(canvas, Left + GetDevX(BorderWidth + BorderHSpacing / 2), w, y1, y2);
    for (int c = c0; c <= Rows->Get(0)->Count() - 2; ++c) {
        const int x = Left + Fmt->ColStarts[c + 1] - half;
        if (x - w > Clip.Right)
            break;
        VerticalRule(canvas, x, w, y1, y2);
    }
    if (VOutermostRule)
        VerticalRule(canvas,
                     Left + Fmt->Width - GetDevX(BorderWidth + BorderHSpacing / 2) - 1 + (w % 2 == 0 ? 1 : 0),
                     w, y1, y2);
}

// The rules between rows (and outside the outer ones when asked): between the
// repeated heading rows, then between the body rows painted.
void TRVTableItemInfo::PaintHRules(TCanvas* canvas, int Left, int top, int bodyTop, int first, int last,
                                   int headings, const TRect& tableRect, TRVTableItemFormattingInfo* Fmt,
                                   const TRect& Clip, bool Printing, bool vRules)
{
    const int w = GetDevY(HRuleWidth);
    const int half = (GetDevY(CellVSpacing + 2 * CellBorderWidth) + 1) / 2;
    const int inset = vRules && VOutermostRule ? GetDevY(BorderWidth + BorderHSpacing / 2) : 0;
    const int x1 = Left + inset;
    const int x2 = Left + Fmt->Width - inset;
    canvas->Pen()->SetColor(HRuleColor);
    if (HOutermostRule && (first < 2 || Printing))
        HorizontalRule(canvas, tableRect.Top + GetDevY(BorderWidth + BorderVSpacing / 2), w, x1, x2);
    for (int i = 0; i <= headings - 2; ++i) {
        const int y = top + Fmt->RowStarts[i + 1] - half;
        if (y - w > Clip.Bottom)
            break;
        HorizontalRule(canvas, y, w, x1, x2);
    }
    for (int r = std::max(first - 1, 0); first <= last && r <= last - 1; ++r) {
        const int y = bodyTop + Fmt->RowStarts[r + 1] - half;
        if (y - w > Clip.Bottom)
            break;
        HorizontalRule(canvas, y, w, x1, x2);
    }
    if (HOutermostRule)
        HorizontalRule(
            canvas, tableRect.Bottom - GetDevY(BorderWidth + BorderVSpacing / 2) - 1 + (w % 2 == 0 ? 1 : 0),
            w, x1, x2);
}

// The cells of the heading rows repeated (printing) and of rows First..Last,
// with the merged cells that reach into row First from above, up to the clip.
void TRVTableItemInfo::PaintCells(TCanvas* canvas, int Left, int top, int bodyTop, int first, int last,
                                  int headings, TRVTableItemFormattingInfo* Fmt, const TRect& Clip,
                                  TRVItemDrawStates DrawState, TColor SelColor, TRVColorMode ColorMode,
                                  bool Printing, bool DrawGrid)
{
    const int BW = GetDevY(CellBorderWidth);
    auto Paint = [&](int r, int c, int x, int y) {
        PaintCell(r, c, x, y, canvas, Clip, Fmt, DrawState, SelColor, ColorMode, Printing, DrawGrid);
    };
    // Cells that reach into the first row from above: on a printed page, a
    // block of rows cut between pages, whose cells show there from the cut
    // on, at the top of the band.
    if (first > 0 && first < Rows->Count()) {
        for (int c = Rows->Get(first)->Count() - 1; c >= 0;) {
            int mRow = 0;
            int mCol = 0;
            if (Rows->GetMainCell(first, c, mRow, mCol) == nullptr) {
                --c;
                continue;
            }
            if (mRow < first)
                Paint(mRow, mCol, Left + Fmt->ColStarts[mCol],
                      bodyTop + Fmt->RowStarts[Printing ? first : mRow]);
            c = mCol - 1;
        }
    }
    auto paintRow = [&](int r, int rowTop) {
        const int y = rowTop + Fmt->RowStarts[r];
        if (y - BW > Clip.Bottom)
            return false;
        const TRVTableRow* row = Rows->Get(r);
        for (int c = 0; c < row->Count() && c < Fmt->ColStarts.Count(); ++c) {
            const int x = Left + Fmt->ColStarts[c];
            if (x - BW > Clip.Right)
                break;
            if (row->Get(c) != nullptr)
                Paint(r, c, x, y);
        }
        return true;
    };
    for (int r = 0; r < headings; ++r)
        if (!paintRow(r, top))
            break;
    for (int r = first; r <= last; ++r)
        if (!paintRow(r, bodyTop))
            break;
}

void TRVTableItemInfo::PaintCell(int row, int col, int x, int y, TCanvas* canvas, const TRect& clip,
                                 TRVTableItemFormattingInfo* fmt, TRVItemDrawStates drawState,
                                 TColor selColor, TRVColorMode colorMode, bool printing, bool drawGrid)
{
    TRVTableCellData* cell = Rows->Get(row)->Get(col);
    const int cols = Rows->GetColCount();
    TRVTablePrintCell* printCell = printing ? fmt->PrintCell(row * cols + col) : nullptr;
    int w = cell->Width;
    int h = cell->Height;
    if (printing) {
        if (printCell != nullptr) {
            w = printCell->Width + GetDevX(2 * CellPadding);
            h = printCell->Height + GetDevY(2 * CellPadding);
        } else {
            const int extraX = GetDevX(2 * CellPadding + CellHSpacing + 2 * CellBorderWidth);
            const int extraY = GetDevY(2 * CellPadding + CellVSpacing + 2 * CellBorderWidth);
            w = fmt->ColWidths[col] + GetDevX(2 * CellPadding);
            for (int c = col + 1; c < std::min(col + cell->ColSpan, cols); ++c)
                w += fmt->ColWidths[c] + extraX;
            h = fmt->RowHeights[row] + GetDevY(2 * CellPadding);
            for (int r = row + 1; r < std::min(row + cell->RowSpan, Rows->Count()); ++r)
                h += fmt->RowHeights[r] + extraY;
        }
    }

    bool selected = false;
    const bool hadCompletely = cell->State.Contains(rvstCompletelySelected);
    if (selColor != clNone) {
        if (drawState.Contains(rvidsSelected)) {
            selected = true;
            cell->State.Include(rvstCompletelySelected);
        } else if (!printing && IsCellSelected(row, col)) {
            selected = true;
        }
    }
    TColor cellColor = selected ? selColor : cell->Color;
    const bool hasBackground = cell->Background && !cell->Background->Empty();
    if (cellColor != clNone || hasBackground) {
        if (printing && PrintOptions.Contains(rvtoWhiteBackground))
            cellColor = clWhite;
        const TColor back = cellColor == clNone ? clNone : RV_GetBackColor(cellColor, colorMode);
        TRect r = Rect(x, y, x + w, y + h);
        if (Options.Contains(rvtoCellBelowBorders))
            r = Rect(r.Left - GetDevX(CellBorderWidth), r.Top - GetDevY(CellBorderWidth),
                     r.Right + GetDevX(CellBorderWidth), r.Bottom + GetDevY(CellBorderWidth));
        if (!selected && hasBackground) {
            if (!printing)
                cell->Background->Draw(canvas, r, 0, 0, r.Left, r.Top, r.Width(), r.Height(), back, true);
            else if (Device != nullptr)
                cell->Background->Print(canvas, r, r, *Device, back, false, nullptr, nullptr, 0);
        } else if (back != clNone) {
            canvas->Brush()->SetStyle(bsSolid);
            canvas->Brush()->SetColor(back);
            canvas->Pen()->SetColor(back);
            canvas->FillRect(r);
        }
        canvas->Brush()->SetStyle(bsSolid);
    }

    if (!printing) {
        cell->PaintTo(canvas, clip);
    } else if (printCell != nullptr) {
        int vOffs = 0;
        const int docH = printCell->GetDocumentHeight();
        if (cell->GetRealVAlign() == rvcMiddle)
            vOffs = (printCell->Height - docH) / 2;
        else if (cell->GetRealVAlign() == rvcBottom)
            vOffs = printCell->Height - docH;
        printCell->DrawCell(canvas, x + GetDevX(CellPadding), y + GetDevY(CellPadding) + vOffs, drawState);
    }
    if (selected && drawState.Contains(rvidsSelected) && !hadCompletely)
        cell->State.Exclude(rvstCompletelySelected);

    const int bw = GetDevY(CellBorderWidth);
    DrawBorder(canvas, x - bw, y - bw, x + w + bw, y + h + bw, CellBorderWidth,
               cell->BorderLightColor != clNone ? cell->BorderLightColor : CellBorderLightColor,
               cell->BorderColor != clNone ? cell->BorderColor : CellBorderColor, Color, CellBorderStyle,
               drawGrid, printing, clip, cell->VisibleBorders, row, col, colorMode);
}

void TRVTableItemInfo::DrawBackgroundUnderCell(TCanvas* canvas, TRVTableCellData* cell, const TRect& r)
{
    const TColor back = Color == clNone ? clNone : RV_GetBackColor(Color, rvcmColor);
    if (Background && Background->Image() != nullptr) {
        Background->Draw(canvas, r, 0, 0, -cell->Left, -(cell->Top + cell->GetExtraVOffs()),
                         FormattingInfo->Width, FormattingInfo->Height, back, false);
    } else if (back != clNone) {
        canvas->Brush()->SetStyle(bsSolid);
        canvas->Brush()->SetColor(back);
        canvas->FillRect(Rect(0, 0, r.Width(), r.Height()));
    }
}
