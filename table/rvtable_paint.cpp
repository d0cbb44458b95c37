// Painting a laid-out table: its background, the rules between columns and
// rows, its outer border and its cells, on screen (only the rows in the clip)
// or as one printed part that repeats the heading rows above its rows.
#include <algorithm>

#include "document/rvstyle.h"
#include "table/rvtable.h"
#include "view/rvscroll.h"

int RV_GetCrossed(int Value, const TRVIntegerList& List)
{
    const int Count = List.Count();
    if (Count < 2)
        return 0;
    if (List[Count - 1] <= Value)
        return Count - 1;
    int Lo = 0;
    int Hi = Count - 1;
    while (Hi - Lo > 1) {
        const int Mid = (Lo + Hi) / 2;
        if (List[Mid] >= Value)
            Hi = Mid;
        else
            Lo = Mid;
    }
    return Lo;
}

void TRVTableItemInfo::PaintFullWidth(int Left, int Right, int Top, TCanvas* Canvas,
                                      TRVItemDrawStates DrawState, TRVStyle* Style, const TRect& ClipRect,
                                      TRVDrawLineInfo* dli)
{
    (void)dli;
    PaintTo(Left, Right, Top, 0, Rows->Count(), Canvas, DrawState, Style, FormattingInfo.get(), false,
            ClipRect, rvcmColor);
}

namespace {

// One rule drawn as Width one-pixel lines starting Width div 2 before Pos.
void VerticalRule(TCanvas* Canvas, int X, int Width, int Y1, int Y2)
{
    for (int i = 0; i < Width; ++i) {
        Canvas->MoveTo(X - Width / 2 + i, Y1);
        Canvas->LineTo(X - Width / 2 + i, Y2);
    }
}

void HorizontalRule(TCanvas* Canvas, int Y, int Width, int X1, int X2)
{
    for (int i = 0; i < Width; ++i) {
        Canvas->MoveTo(X1, Y - Width / 2 + i);
        Canvas->LineTo(X2, Y - Width / 2 + i);
    }
}

} // namespace

void TRVTableItemInfo::PaintTo(int Left, int Right, int Top, int FirstRow, int RowCount, TCanvas* Canvas,
                               TRVItemDrawStates DrawState, TRVStyle* Style, TRVTableItemFormattingInfo* Fmt,
                               bool PaintHeadings, const TRect& Clip, TRVColorMode ColorMode)
{
    (void)Right;
    CurLeft = Left;
    CurTop = Top;
    if (Style == nullptr && GetRVData() != nullptr)
        Style = GetRVData()->GetRVStyle();
    TColor SelColor = clNone;
    if (Style != nullptr) {
        bool Focused = false;
        if (GetRVData() != nullptr)
            if (auto* Scroller =
                    dynamic_cast<TRVScroller*>(GetRVData()->GetAbsoluteRootData()->GetParentControl()))
                Focused = Scroller->FocusedEx();
        SelColor = Focused ? Style->SelColor() : Style->InactiveSelColor();
    }
    const bool Printing = DrawState.Contains(rvidsPrinting);
    // A grid without rows or slots has no row or column to index: only its
    // background and border are painted.
    const bool NoCells = Rows->Empty() || Fmt->RowStarts.Count() != Rows->Count() ||
                         Fmt->ColStarts.Count() != Rows->GetColCount();
    const bool VRules = VRuleWidth != 0 && VRuleColor != clNone && !NoCells;
    const bool HRules = HRuleWidth != 0 && HRuleColor != clNone && !NoCells;
    const int BW = GetDevY(CellBorderWidth);

    // Rows to paint and the table's rectangle.
    int First = 0;
    int Last = -1;
    int Headings = 0;
    TRect TableRect = Rect(Left, Top, Left + Fmt->Width, Top + Fmt->Height);
    if (!NoCells) {
        const TRVIntegerList& RS = Fmt->RowStarts;
        const TRVIntegerList& RH = Fmt->RowHeights;
        if (!Printing) {
            First = RV_GetCrossed(Clip.Top - Top - GetDevY(BorderWidth), RS);
            Last = Rows->Count() - 1;
        } else {
            const int LastRow = Rows->Count() - 1;
            First = std::clamp(FirstRow, 0, LastRow + 1);
            Last = std::min(FirstRow + RowCount - 1, LastRow);
            Headings = PaintHeadings ? std::clamp(std::min(HeadingRowCount, First), 0, LastRow + 1) : 0;
            int H = Fmt->Height - (RS[LastRow] + RH[LastRow] - RS[0]);
            if (First <= Last)
                H += RS[Last] + RH[Last] - RS[First];
            if (Headings > 0) {
                H += RS[Headings - 1] + RH[Headings - 1] - RS[0];
                if (First <= Last)
                    H += RS[Headings] - (RS[Headings - 1] + RH[Headings - 1]);
            }
            TableRect.Bottom = Top + H;
        }
    }

    // Background.
    TRect Under;
    if (IntersectRect(Under, TableRect, Clip)) {
        TColor Back = clNone;
        if (Color != clNone)
            Back = Printing && PrintOptions.Contains(rvtoWhiteBackground) ? clWhite
                                                                          : RV_GetBackColor(Color, ColorMode);
        if (Background && Background->Image() != nullptr && !Printing) {
            Background->Draw(Canvas, Under, 0, 0, TableRect.Left, TableRect.Top, TableRect.Width(),
                             TableRect.Height(), Back, true);
        } else if (Background && Background->Image() != nullptr && Device != nullptr) {
            Background->Print(Canvas, Under, TableRect, *Device, Back, false, nullptr, nullptr, 0);
        } else if (Back != clNone) {
            Canvas->Brush()->SetStyle(bsSolid);
            Canvas->Brush()->SetColor(Back);
            Canvas->FillRect(Under);
        }
    }
    Canvas->Pen()->SetWidth(1);
    Canvas->Pen()->SetStyle(psSolid);

    int BodyTop = Top;
    if (Printing && !NoCells && First <= Last)
        BodyTop = Top - (Fmt->RowStarts[First] - Fmt->RowStarts[Headings]);

    if (VRules) {
        const int W = GetDevX(VRuleWidth);
        const int Half = (GetDevX(CellHSpacing + 2 * CellBorderWidth) + 1) / 2;
        const int Inset = HRules && HOutermostRule ? GetDevX(BorderWidth + BorderVSpacing / 2) : 0;
        const int Y1 = std::max(TableRect.Top + Inset, Clip.Top - 1);
        const int Y2 = std::min(TableRect.Bottom - Inset, Clip.Bottom + 1);
        const int C0 = RV_GetCrossed(Clip.Left - Left - GetDevX(BorderWidth + CellHSpacing + BorderHSpacing),
                                     Fmt->ColStarts);
        Canvas->Pen()->SetColor(VRuleColor);
        if (VOutermostRule && C0 == 0)
            VerticalRule(Canvas, Left + GetDevX(BorderWidth + BorderHSpacing / 2), W, Y1, Y2);
        for (int c = C0; c <= Rows->Get(0)->Count() - 2; ++c) {
            const int X = Left + Fmt->ColStarts[c + 1] - Half;
            if (X - W > Clip.Right)
                break;
            VerticalRule(Canvas, X, W, Y1, Y2);
        }
        if (VOutermostRule)
            VerticalRule(Canvas,
                         Left + Fmt->Width - GetDevX(BorderWidth + BorderHSpacing / 2) - 1 +
                             (W % 2 == 0 ? 1 : 0),
                         W, Y1, Y2);
    }
    if (HRules) {
        const int W = GetDevY(HRuleWidth);
        const int Half = (GetDevY(CellVSpacing + 2 * CellBorderWidth) + 1) / 2;
        const int Inset = VRules && VOutermostRule ? GetDevY(BorderWidth + BorderHSpacing / 2) : 0;
        const int X1 = Left + Inset;
        const int X2 = Left + Fmt->Width - Inset;
        Canvas->Pen()->SetColor(HRuleColor);
        if (HOutermostRule && (First < 2 || Printing))
            HorizontalRule(Canvas, TableRect.Top + GetDevY(BorderWidth + BorderVSpacing / 2), W, X1, X2);
        for (int i = 0; i <= Headings - 2; ++i) {
            const int Y = Top + Fmt->RowStarts[i + 1] - Half;
            if (Y - W > Clip.Bottom)
                break;
            HorizontalRule(Canvas, Y, W, X1, X2);
        }
        for (int r = std::max(First - 1, 0); First <= Last && r <= Last - 1; ++r) {
            const int Y = BodyTop + Fmt->RowStarts[r + 1] - Half;
            if (Y - W > Clip.Bottom)
                break;
            HorizontalRule(Canvas, Y, W, X1, X2);
        }
        if (HOutermostRule)
            HorizontalRule(Canvas,
                           TableRect.Bottom - GetDevY(BorderWidth + BorderVSpacing / 2) - 1 +
                               (W % 2 == 0 ? 1 : 0),
                           W, X1, X2);
    }

    TColor DocColor = clNone;
    if (auto* Doc = dynamic_cast<TCustomRVFormattedData*>(GetRVData()))
        DocColor = Doc->GetColor();
    const bool DrawGrid = State.Contains(rvtsEditMode) && !Options.Contains(rvtoHideGridLines);
    DrawBorder(Canvas, TableRect.Left, TableRect.Top, TableRect.Right, TableRect.Bottom, BorderWidth,
               BorderLightColor, BorderColor, DocColor, BorderStyle, DrawGrid, Printing, Clip, nullptr, -1,
               -1, ColorMode);
    if (NoCells) {
        Canvas->Pen()->SetWidth(1);
        return;
    }

    auto Paint = [&](int r, int c, int X, int Y) {
        PaintCell(r, c, X, Y, Canvas, Clip, Fmt, DrawState, SelColor, ColorMode, Printing, DrawGrid);
    };
    // Cells that reach into the first row from above.
    if (First > 0 && First < Rows->Count()) {
        for (int c = Rows->Get(First)->Count() - 1; c >= 0;) {
            int MRow = 0;
            int MCol = 0;
            if (Rows->GetMainCell(First, c, MRow, MCol) == nullptr) {
                --c;
                continue;
            }
            if (MRow < First)
                Paint(MRow, MCol, Left + Fmt->ColStarts[MCol], BodyTop + Fmt->RowStarts[MRow]);
            c = MCol - 1;
        }
    }
    auto PaintRow = [&](int r, int RowTop) {
        const int Y = RowTop + Fmt->RowStarts[r];
        if (Y - BW > Clip.Bottom)
            return false;
        const TRVTableRow* Row = Rows->Get(r);
        for (int c = 0; c < Row->Count() && c < Fmt->ColStarts.Count(); ++c) {
            const int X = Left + Fmt->ColStarts[c];
            if (X - BW > Clip.Right)
                break;
            if (Row->Get(c) != nullptr)
                Paint(r, c, X, Y);
        }
        return true;
    };
    for (int r = 0; r < Headings; ++r)
        if (!PaintRow(r, Top))
            break;
    for (int r = First; r <= Last; ++r)
        if (!PaintRow(r, BodyTop))
            break;
    Canvas->Pen()->SetWidth(1);
}

void TRVTableItemInfo::PaintCell(int Row, int Col, int X, int Y, TCanvas* Canvas, const TRect& Clip,
                                 TRVTableItemFormattingInfo* Fmt, TRVItemDrawStates DrawState,
                                 TColor SelColor, TRVColorMode ColorMode, bool Printing, bool DrawGrid)
{
    TRVTableCellData* Cell = Rows->Get(Row)->Get(Col);
    const int Cols = Rows->GetColCount();
    TRVTablePrintCell* PrintCell = Printing ? Fmt->PrintCell(Row * Cols + Col) : nullptr;
    int W = Cell->Width;
    int H = Cell->Height;
    if (Printing) {
        if (PrintCell != nullptr) {
            W = PrintCell->Width + GetDevX(2 * CellPadding);
            H = PrintCell->Height + GetDevY(2 * CellPadding);
        } else {
            const int ExtraX = GetDevX(2 * CellPadding + CellHSpacing + 2 * CellBorderWidth);
            const int ExtraY = GetDevY(2 * CellPadding + CellVSpacing + 2 * CellBorderWidth);
            W = Fmt->ColWidths[Col] + GetDevX(2 * CellPadding);
            for (int c = Col + 1; c < std::min(Col + Cell->ColSpan, Cols); ++c)
                W += Fmt->ColWidths[c] + ExtraX;
            H = Fmt->RowHeights[Row] + GetDevY(2 * CellPadding);
            for (int r = Row + 1; r < std::min(Row + Cell->RowSpan, Rows->Count()); ++r)
                H += Fmt->RowHeights[r] + ExtraY;
        }
    }

    bool Selected = false;
    const bool HadCompletely = Cell->State.Contains(rvstCompletelySelected);
    if (SelColor != clNone) {
        if (DrawState.Contains(rvidsSelected)) {
            Selected = true;
            Cell->State.Include(rvstCompletelySelected);
        } else if (!Printing && IsCellSelected(Row, Col)) {
            Selected = true;
        }
    }
    TColor CellColor = Selected ? SelColor : Cell->Color;
    const bool HasBackground = Cell->Background && !Cell->Background->Empty();
    if (CellColor != clNone || HasBackground) {
        if (Printing && PrintOptions.Contains(rvtoWhiteBackground))
            CellColor = clWhite;
        const TColor Back = CellColor == clNone ? clNone : RV_GetBackColor(CellColor, ColorMode);
        TRect R = Rect(X, Y, X + W, Y + H);
        if (Options.Contains(rvtoCellBelowBorders))
            R = Rect(R.Left - GetDevX(CellBorderWidth), R.Top - GetDevY(CellBorderWidth),
                     R.Right + GetDevX(CellBorderWidth), R.Bottom + GetDevY(CellBorderWidth));
        if (!Selected && HasBackground) {
            if (!Printing)
                Cell->Background->Draw(Canvas, R, 0, 0, R.Left, R.Top, R.Width(), R.Height(), Back, true);
            else if (Device != nullptr)
                Cell->Background->Print(Canvas, R, R, *Device, Back, false, nullptr, nullptr, 0);
        } else if (Back != clNone) {
            Canvas->Brush()->SetStyle(bsSolid);
            Canvas->Brush()->SetColor(Back);
            Canvas->Pen()->SetColor(Back);
            Canvas->FillRect(R);
        }
        Canvas->Brush()->SetStyle(bsSolid);
    }

    if (!Printing) {
        Cell->PaintTo(Canvas, Clip);
    } else if (PrintCell != nullptr) {
        int VOffs = 0;
        const int DocH = PrintCell->GetDocumentHeight();
        if (Cell->GetRealVAlign() == rvcMiddle)
            VOffs = (PrintCell->Height - DocH) / 2;
        else if (Cell->GetRealVAlign() == rvcBottom)
            VOffs = PrintCell->Height - DocH;
        PrintCell->DrawCell(Canvas, X + GetDevX(CellPadding), Y + GetDevY(CellPadding) + VOffs, DrawState);
    }
    if (Selected && DrawState.Contains(rvidsSelected) && !HadCompletely)
        Cell->State.Exclude(rvstCompletelySelected);

    const int BW = GetDevY(CellBorderWidth);
    DrawBorder(Canvas, X - BW, Y - BW, X + W + BW, Y + H + BW, CellBorderWidth,
               Cell->BorderLightColor != clNone ? Cell->BorderLightColor : CellBorderLightColor,
               Cell->BorderColor != clNone ? Cell->BorderColor : CellBorderColor, Color, CellBorderStyle,
               DrawGrid, Printing, Clip, Cell->VisibleBorders, Row, Col, ColorMode);
}

void TRVTableItemInfo::DrawBackgroundUnderCell(TCanvas* Canvas, TRVTableCellData* Cell, const TRect& R)
{
    const TColor Back = Color == clNone ? clNone : RV_GetBackColor(Color, rvcmColor);
    if (Background && Background->Image() != nullptr) {
        Background->Draw(Canvas, R, 0, 0, -Cell->Left, -(Cell->Top + Cell->GetExtraVOffs()),
                         FormattingInfo->Width, FormattingInfo->Height, Back, false);
    } else if (Back != clNone) {
        Canvas->Brush()->SetStyle(bsSolid);
        Canvas->Brush()->SetColor(Back);
        Canvas->FillRect(Rect(0, 0, R.Width(), R.Height()));
    }
}
