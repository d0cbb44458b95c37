// The table's layout: its minimum width, column widths from pixel, percentage
// and automatic widths, row heights from the cells' contents, and the cells'
// rectangles. Lengths are in the current units (screen pixels, or device
// pixels while Device is set). Widths read from files may be hostile: sums and
// products are taken in 64 bits and clamped back to 32.
#include <algorithm>
#include <climits>
#include <vector>

#include "platform/core/numbers.h"
#include "table/rvtable.h"

namespace {

int Clamp32(int64_t Value)
{
    return static_cast<int>(std::clamp<int64_t>(Value, INT_MIN, INT_MAX));
}

// MulDiv that reports its overflow as the nearest bound instead of -1.
int ScaleSafe(int64_t a, int64_t b, int64_t c)
{
    if (c == 0)
        return 0;
    const long double q =
        static_cast<long double>(a) * static_cast<long double>(b) / static_cast<long double>(c);
    if (q >= INT_MAX)
        return INT_MAX;
    if (q <= INT_MIN)
        return INT_MIN;
    return MulDiv(static_cast<int>(a), static_cast<int>(b), static_cast<int>(c));
}

enum TColumnKind { ckAuto = 0, ckPixel = 1, ckPercent = 2 };

} // namespace

// The running state of one layout: the column widths being worked out, their
// kinds, and the free width still to give out.
struct TRVTableItemInfo::TLayoutPass {
    std::vector<int> Widths;
    std::vector<int> Kinds;
    int64_t Left = 0;   // free width still to give out
    int64_t MinSum = 0; // the sum of the widths in minimum mode
    bool Fixed = false;
    int KindCount = 0;
    int PixelCount = 0;
};

int TRVTableItemInfo::GetDevX(int X) const
{
    if (Device == nullptr)
        return X;
    return ScaleSafe(X, Device->DevicePpiX, Device->ScreenPpiX);
}

int TRVTableItemInfo::GetDevY(int Y) const
{
    if (Device == nullptr)
        return Y;
    return ScaleSafe(Y, Device->DevicePpiY, Device->ScreenPpiY);
}

int TRVTableItemInfo::GetHeight() const
{
    return FormattingInfo->Height;
}

int TRVTableItemInfo::GetWidth() const
{
    return FormattingInfo->Width;
}

int TRVTableItemInfo::GetHorzExtra() const
{
    const int64_t Cols = Rows->GetColCount();
    return GetDevX(Clamp32((Cols - 1) * CellHSpacing +
                           2 * (static_cast<int64_t>(BorderWidth) + BorderHSpacing) +
                           2 * Cols * CellBorderWidth));
}

// ---------------------------------------------------------------------------
// Widening a span of columns for a cell that covers several

void TRVTableItemInfo::WidenSpan(TLayoutPass& Pass, int Row, int Col, int Wanted, bool MinMode, int MaxKind)
{
    const TRVTableCellData* Cell = Rows->Get(Row)->Get(Col);
    const int Last = std::min(Col + Cell->ColSpan, static_cast<int>(Pass.Widths.size()));
    const int64_t Pad2 = GetDevX(Clamp32(2 * static_cast<int64_t>(CellPadding)));
    const int64_t Need = static_cast<int64_t>(Wanted) + Pad2;
    const int64_t Gap = GetDevX(Clamp32(2 * static_cast<int64_t>(CellPadding) + CellHSpacing +
                                        2 * static_cast<int64_t>(CellBorderWidth)));
    int64_t Have =
        GetDevX(Clamp32(-static_cast<int64_t>(CellHSpacing) - 2 * static_cast<int64_t>(CellBorderWidth)));
    for (int c = Col; c < Last; ++c)
        Have += Pass.Widths[c] + Gap;
    std::vector<int> Candidates;
    for (int Limit = 0; Limit <= (MinMode ? 0 : MaxKind) && Candidates.empty(); ++Limit)
        for (int c = Col; c < Last; ++c)
            if (MinMode || Pass.Kinds[c] <= Limit)
                Candidates.push_back(c);
    if (Have >= Need || Candidates.empty())
        return;
    int64_t Extra = Need - Have;
    if (!MinMode && !Pass.Fixed) {
        Extra = std::min(Extra, std::max<int64_t>(Pass.Left, 0));
        Pass.Left -= Extra;
    }
    if (Extra <= 0)
        return;
    int64_t S = 0;
    for (int c : Candidates)
        S += Pass.Widths[c] + Pad2;
    int64_t T = S + Extra;
    const int n = static_cast<int>(Candidates.size());
    for (int i = 0; i < n; ++i) {
        const int c = Candidates[i];
        const int64_t W = Pass.Widths[c] + Pad2;
        // Columns that weigh nothing share the extra evenly.
        const int64_t W2 = S > 0 ? ScaleSafe(W, T, S) : W + (T - S) / (n - i);
        Pass.Widths[c] = Clamp32(W2 - Pad2);
        if (MinMode)
            Pass.MinSum += W2 - W;
        S -= W;
        T -= W2;
    }
}

// ---------------------------------------------------------------------------
// Minimum width and the fixed-width test

int TRVTableItemInfo::GetMinWidth(const TRVScreenAndDevice* sad, TCanvas* Canvas, TCustomRVData* RVData)
{
    (void)RVData;
    const TRVScreenAndDevice* OldDevice = Device;
    Device = sad;
    int Result = 0;
    if (Rows->Empty()) {
        Result = GetDevX(Clamp32(2 * (static_cast<int64_t>(BorderWidth) + BorderHSpacing)));
    } else {
        const int Cols = Rows->GetColCount();
        const int64_t Extra =
            static_cast<int64_t>(GetDevX(Clamp32(2 * static_cast<int64_t>(Cols) * CellPadding))) +
            GetHorzExtra();
        TLayoutPass Pass;
        Pass.Widths.assign(Cols, 0);
        Pass.Kinds.assign(Cols, ckAuto);
        for (int c = 0; c < Cols; ++c) {
            int W = Rows->GetMinColWidth(c, sad, Canvas);
            if (BestWidth == 0)
                W = std::max(W, GetDevX(Rows->GetPixelColWidth(c)));
            Pass.Widths[c] = W;
            Pass.MinSum += W;
        }
        for (int r = 0; r < Rows->Count(); ++r)
            for (int c = 0; c < Rows->Get(r)->Count(); ++c) {
                TRVTableCellData* Cell = Rows->Get(r)->Get(c);
                if (Cell == nullptr || Cell->ColSpan <= 1)
                    continue;
                int M = Cell->GetMinWidth(sad, Canvas);
                if (BestWidth == 0)
                    M = std::max(M, GetDevX(Cell->BestWidth));
                WidenSpan(Pass, r, c, M, true, 0);
            }
        Result = Clamp32(Extra + Pass.MinSum);
        Result = std::max(Result, GetDevX(BestWidth));
    }
    Device = OldDevice;
    return Result;
}

bool TRVTableItemInfo::IsFixedWidthTable() const
{
    const int Cols = Rows->GetColCount();
    if (Rows->IsEmptyRows(0, 0, Cols, Rows->Count(), 0, 0))
        return false;
    for (int c = 0; c < Cols; ++c) {
        bool HasPixel = false;
        for (int r = 0; r < Rows->Count(); ++r) {
            int MRow = 0;
            int MCol = 0;
            const TRVTableCellData* Main = Rows->GetMainCell(r, c, MRow, MCol);
            if (Main == nullptr)
                continue;
            if (Main->BestWidth < 0)
                return false;
            if (Main->BestWidth > 0 && MCol + Main->ColSpan - 1 == c)
                HasPixel = true;
        }
        if (!HasPixel)
            return false;
    }
    return true;
}

// ---------------------------------------------------------------------------
// Layout

void TRVTableItemInfo::OnDocWidthChange(int DocWidth, TRVDrawLineInfo* dli, bool Printing, TCanvas* Canvas,
                                        TCustomRVData* RVData, const TRVScreenAndDevice* sad, int& HShift,
                                        int& Desc, bool Reformat)
{
    (void)RVData;
    (void)sad;
    HShift = 0;
    Desc = 0;
    if (Printing) {
        // Only a draw item made by the printing layer carries a print layout.
        auto* PrintItem = dynamic_cast<TRVTablePrintDrawItem*>(dli);
        if (PrintItem == nullptr)
            return;
        Device = &PrintItem->Sad;
        InternalOnDocWidthChange(DocWidth, &PrintItem->Fmt, Canvas, false);
        PrintItem->SetSize(PrintItem->Fmt.Width, PrintItem->Fmt.Height);
        Device = nullptr;
        return;
    }
    if (State.Contains(rvtsModified)) {
        State.Exclude(rvtsModified);
        FormattingInfo->Width = 0;
    }
    InternalOnDocWidthChange(DocWidth, FormattingInfo.get(), Canvas, Reformat);
}

void TRVTableItemInfo::InternalOnDocWidthChange(int DocWidth, TRVTableItemFormattingInfo* Fmt,
                                                TCanvas* Canvas, bool Force)
{
    if (Rows->Empty()) {
        Fmt->Clear();
        Fmt->Width = GetDevX(Clamp32(2 * (static_cast<int64_t>(BorderWidth) + BorderHSpacing)));
        Fmt->Height = GetDevY(Clamp32(2 * (static_cast<int64_t>(BorderWidth) + BorderVSpacing)));
        return;
    }
    const int Cols = Rows->GetColCount();
    const int64_t Extra = GetHorzExtra();
    const int64_t Pad2 = GetDevX(Clamp32(2 * static_cast<int64_t>(CellPadding)));
    TLayoutPass Pass;
    int64_t W = 0;
    if (BestWidth > 0)
        W = GetDevX(BestWidth);
    else if (BestWidth < 0)
        W = std::clamp<int64_t>(-static_cast<int64_t>(BestWidth), 1, 100) * DocWidth / 100;
    else if (IsFixedWidthTable())
        Pass.Fixed = true;
    else
        W = DocWidth;
    if (W != 0 && W == Fmt->Width && !Force && Fmt->ColWidths.Count() == Cols)
        return;
    Fmt->Width = Clamp32(W);
    int64_t Content = 0;
    int64_t Free = 0;
    if (!Pass.Fixed) {
        Content = W - Extra;
        Free = Content - GetDevX(Clamp32(static_cast<int64_t>(Cols) * 2 * CellPadding));
    }
    Fmt->QuickClear();

    // Minimum widths.
    Pass.Widths.assign(Cols, 0);
    Pass.Kinds.assign(Cols, ckAuto);
    for (int c = 0; c < Cols; ++c) {
        Pass.Widths[c] = Rows->GetMinColWidth(c, Device, Canvas);
        Pass.MinSum += Pass.Widths[c];
    }
    auto ForEachSpanning = [this](auto&& Fn) {
        for (int r = 0; r < Rows->Count(); ++r)
            for (int c = 0; c < Rows->Get(r)->Count(); ++c)
                if (TRVTableCellData* Cell = Rows->Get(r)->Get(c); Cell != nullptr && Cell->ColSpan > 1)
                    Fn(r, c, Cell);
    };
    ForEachSpanning([&](int r, int c, TRVTableCellData* Cell) {
        WidenSpan(Pass, r, c, Cell->GetMinWidth(Device, Canvas), true, 0);
    });

    if (!Pass.Fixed && Pass.MinSum >= Free) {
        Fmt->Width = Clamp32(W - Free + Pass.MinSum);
    } else {
        Pass.Left = Free - Pass.MinSum;
        if (!Pass.Fixed) {
            // Percentage columns.
            std::vector<int64_t> P(Cols);
            int64_t PSum = 0;
            for (int c = 0; c < Cols; ++c) {
                P[c] = Rows->GetPercentColWidth(c, Clamp32(Content)) - Pad2;
                PSum += P[c];
            }
            if (PSum != 0 && Pass.Left > 0) {
                const int64_t A = Pass.Left;
                PSum = std::max(PSum, A);
                for (int c = 0; c < Cols && Pass.Left > 0; ++c) {
                    int64_t s = ScaleSafe(P[c], A, PSum);
                    if (s <= 0)
                        continue;
                    Pass.Kinds[c] = ckPercent;
                    ++Pass.KindCount;
                    if (Pass.Widths[c] < s) {
                        Pass.Left += Pass.Widths[c];
                        s = std::min(s, Pass.Left);
                        Pass.Widths[c] = Clamp32(s);
                        Pass.Left -= s;
                    }
                }
            }
            if (Pass.Left > 0) {
                ForEachSpanning([&](int r, int c, TRVTableCellData* Cell) {
                    if (Cell->BestWidth >= 0)
                        return;
                    const int Percent =
                        static_cast<int>(std::clamp<int64_t>(-static_cast<int64_t>(Cell->BestWidth), 1, 100));
                    WidenSpan(Pass, r, c, Clamp32(ScaleSafe(Percent, Content, 100) - Pad2), false, ckPercent);
                    for (int k = c; k < std::min(c + Cell->ColSpan, Cols); ++k)
                        if (Pass.Kinds[k] == ckAuto) {
                            Pass.Kinds[k] = ckPercent;
                            ++Pass.KindCount;
                        }
                });
            }
        }
        // Pixel columns.
        for (int c = 0; c < Cols && (Pass.Fixed || Pass.Left > 0); ++c) {
            if (Pass.Kinds[c] != ckAuto)
                continue;
            int64_t q = GetDevX(Rows->GetPixelColWidth(c));
            if (q <= 0)
                continue;
            Pass.Kinds[c] = ckPixel;
            ++Pass.KindCount;
            ++Pass.PixelCount;
            if (Pass.Widths[c] < q) {
                if (!Pass.Fixed) {
                    Pass.Left += Pass.Widths[c];
                    q = std::min(q, Pass.Left);
                    Pass.Left -= q;
                }
                Pass.Widths[c] = Clamp32(q);
            }
        }
        if (Pass.Fixed || Pass.Left > 0) {
            ForEachSpanning([&](int r, int c, TRVTableCellData* Cell) {
                if (Cell->BestWidth <= 0)
                    return;
                WidenSpan(Pass, r, c, GetDevX(Cell->BestWidth), false, ckPixel);
                for (int k = c; k < std::min(c + Cell->ColSpan, Cols); ++k)
                    if (Pass.Kinds[k] == ckAuto) {
                        Pass.Kinds[k] = ckPixel;
                        ++Pass.KindCount;
                        ++Pass.PixelCount;
                    }
            });
        }
        // The rest.
        if (Pass.Fixed) {
            int64_t Sum = 0;
            for (int w : Pass.Widths)
                Sum += w;
            Fmt->Width =
                Clamp32(GetDevX(Clamp32(static_cast<int64_t>(Cols) * 2 * CellPadding)) + Extra + Sum);
        } else if (Pass.Left > 0) {
            DistributeRest(Pass, Clamp32(Content));
        }
    }
    Fmt->ColWidths.Clear();
    for (int w : Pass.Widths)
        Fmt->ColWidths.Add(w);
    UpdateCellXCoords(Fmt, Force);
    LayOutRows(Fmt);
    UpdateCellYCoords(Fmt);
}

// Gives the width left over to the automatic columns evenly, else to the
// pixel columns by their widths, else to the percentage columns by theirs.
void TRVTableItemInfo::DistributeRest(TLayoutPass& Pass, int Content)
{
    const int Cols = static_cast<int>(Pass.Widths.size());
    const int64_t Pad2 = GetDevX(Clamp32(2 * static_cast<int64_t>(CellPadding)));
    int Auto = 0;
    for (int k : Pass.Kinds)
        Auto += k == ckAuto ? 1 : 0;
    if (Auto > 0) {
        for (int c = 0; c < Cols && Pass.Left > 0; ++c) {
            if (Pass.Kinds[c] != ckAuto)
                continue;
            const int64_t Give = Pass.Left / Auto--;
            Pass.Widths[c] = Clamp32(Pass.Widths[c] + Give);
            Pass.Left -= Give;
        }
        return;
    }
    std::vector<int64_t> Weights(Cols, 0);
    int64_t T = 0;
    for (int c = 0; c < Cols; ++c) {
        const bool Percent = Rows->IsPercentWidthColumn(c);
        if (Pass.PixelCount > 0 && !Percent) {
            const int Px = Rows->GetPixelColWidth(c);
            Weights[c] = Px == 0 ? 1 : Px;
        } else if (Pass.PixelCount == 0 && Percent) {
            Weights[c] = std::max<int64_t>(Rows->GetPercentColWidth(c, Content) - Pad2, 1);
        }
        T += Weights[c];
    }
    for (int c = 0; c < Cols && Pass.Left > 0 && T > 0; ++c) {
        if (Weights[c] == 0)
            continue;
        const int64_t Give = std::min<int64_t>(ScaleSafe(Pass.Left, Weights[c], T), Pass.Left);
        Pass.Widths[c] = Clamp32(Pass.Widths[c] + Give);
        Pass.Left -= Give;
        T -= Weights[c];
    }
}

// Row heights from the cells' contents, then the rows under a cell that spans
// several grown for it.
void TRVTableItemInfo::LayOutRows(TRVTableItemFormattingInfo* Fmt)
{
    const int RowCount = Rows->Count();
    const int Cols = Rows->GetColCount();
    const bool Printing = Fmt->PrintCells != nullptr;
    int64_t Height =
        GetDevY(Clamp32(2 * (static_cast<int64_t>(RowCount) * CellPadding + BorderWidth + BorderVSpacing) +
                        (static_cast<int64_t>(RowCount) - 1) * CellVSpacing +
                        2 * static_cast<int64_t>(RowCount) * CellBorderWidth));
    std::vector<int64_t> H(RowCount);
    for (int r = 0; r < RowCount; ++r) {
        const TRVTableRow* Row = Rows->Get(r);
        if (!Printing) {
            H[r] = GetDevY(Row->GetHeight());
        } else {
            H[r] = GetDevY(Row->GetBestHeight());
            for (int c = 0; c < Row->Count(); ++c)
                if (TRVTableCellData* Cell = Row->Get(c); Cell != nullptr && Cell->RowSpan == 1)
                    if (TRVTablePrintCell* P = Fmt->PrintCell(r * Cols + c))
                        H[r] = std::max<int64_t>(H[r], P->GetDocumentHeight());
            H[r] = std::max<int64_t>(H[r], GetDevY(10));
        }
        Height += H[r];
    }
    const int64_t Pad2 = GetDevY(Clamp32(2 * static_cast<int64_t>(CellPadding)));
    const int64_t Gap = GetDevY(Clamp32(2 * static_cast<int64_t>(CellPadding) + CellVSpacing +
                                        2 * static_cast<int64_t>(CellBorderWidth)));
    for (int r = 0; r < RowCount; ++r)
        for (int c = 0; c < Rows->Get(r)->Count(); ++c) {
            TRVTableCellData* Cell = Rows->Get(r)->Get(c);
            if (Cell == nullptr || Cell->RowSpan <= 1)
                continue;
            const int Span = std::min(Cell->RowSpan, RowCount - r);
            int64_t Need = 0;
            if (!Printing) {
                Need = GetDevY(Clamp32(static_cast<int64_t>(Cell->GetCellHeight()) + 2 * CellPadding));
            } else {
                Need = GetDevY(std::max(Cell->BestHeight, 10));
                if (TRVTablePrintCell* P = Fmt->PrintCell(r * Cols + c))
                    Need = std::max<int64_t>(Need, P->GetDocumentHeight());
                Need += Pad2;
            }
            int64_t Have = GetDevY(
                Clamp32(-static_cast<int64_t>(CellVSpacing) - 2 * static_cast<int64_t>(CellBorderWidth)));
            for (int k = r; k < r + Span; ++k)
                Have += H[k] + Gap;
            if (Have >= Need)
                continue;
            std::vector<int> Taking;
            for (int k = r; k < r + Span; ++k)
                if (!Rows->Get(k)->HasCellsInRange(k, r, Span))
                    Taking.push_back(k);
            if (Taking.empty())
                for (int k = r; k < r + Span; ++k)
                    Taking.push_back(k);
            int64_t S = 0;
            for (int k : Taking)
                S += H[k];
            int64_t Extra = Need - Have;
            Height += Extra;
            const int n = static_cast<int>(Taking.size());
            for (int i = 0; i < n; ++i) {
                const int k = Taking[i];
                // Rows of no height share the growth evenly.
                const int64_t Grow = S > 0 ? ScaleSafe(H[k], Extra, S) : Extra / (n - i);
                S -= H[k];
                H[k] += Grow;
                Extra -= Grow;
            }
        }
    Fmt->RowHeights.Clear();
    for (int64_t h : H)
        Fmt->RowHeights.Add(Clamp32(h));
    Fmt->Height = Clamp32(Height);
}

// ---------------------------------------------------------------------------
// Cell placement

void TRVTableItemInfo::UpdateCellXCoords(TRVTableItemFormattingInfo* Fmt, bool Force)
{
    const int Cols = Rows->GetColCount();
    const bool Printing = Fmt->PrintCells != nullptr;
    const int64_t G =
        GetDevX(Clamp32((2 * (static_cast<int64_t>(CellPadding) + CellBorderWidth) + CellHSpacing) * Cols));
    int64_t X = GetDevX(Clamp32(static_cast<int64_t>(BorderWidth) + BorderHSpacing + CellBorderWidth));
    int64_t GapsLeft = G;
    Fmt->ColStarts.Clear();
    for (int c = 0; c < Cols; ++c) {
        Fmt->ColStarts.Add(Clamp32(X));
        const int64_t g = GapsLeft / (Cols - c);
        GapsLeft -= g;
        X += Fmt->ColWidths[c] + g;
    }
    const int64_t Pad = GetDevX(CellPadding);
    const int64_t Pad2 = GetDevX(Clamp32(2 * static_cast<int64_t>(CellPadding)));
    for (int r = 0; r < Rows->Count(); ++r) {
        const TRVTableRow* Row = Rows->Get(r);
        for (int c = 0; c < std::min(Row->Count(), Cols); ++c) {
            TRVTableCellData* Cell = Row->Get(c);
            if (Cell == nullptr)
                continue;
            const int Span = std::clamp(Cell->ColSpan, 1, Cols - c);
            int64_t Width = Pad2 + ScaleSafe(G, Span - 1, Cols);
            for (int k = c; k < c + Span; ++k)
                Width += Fmt->ColWidths[k];
            if (!Printing) {
                Cell->Left = Fmt->ColStarts[c];
                Cell->Width = Clamp32(Width);
            } else if (TRVTablePrintCell* P = Fmt->PrintCell(r * Cols + c)) {
                P->Left = Clamp32(Fmt->ColStarts[c] + Pad);
                P->Width = Clamp32(Width - 2 * Pad);
            }
        }
    }
    if (Printing) {
        for (int i = 0; i < Fmt->PrintCells->Count(); ++i)
            if (TRVTablePrintCell* P = Fmt->PrintCell(i))
                P->FormatCell(Force);
        return;
    }
    for (int r = 0; r < Rows->Count(); ++r)
        for (int c = 0; c < Rows->Get(r)->Count(); ++c)
            if (TRVTableCellData* Cell = Rows->Get(r)->Get(c)) {
                const bool Had = Cell->State.Contains(rvstDoNotMoveChildren);
                Cell->State.Include(rvstDoNotMoveChildren);
                Cell->Format(Force);
                if (!Had)
                    Cell->State.Exclude(rvstDoNotMoveChildren);
            }
    if (InplaceEditor != nullptr)
        if (TRVTableCellData* Edited = InplaceEditor->GetEditedCell())
            InplaceEditor->SetEditorWidth(Edited->Width);
}

void TRVTableItemInfo::UpdateCellYCoords(TRVTableItemFormattingInfo* Fmt)
{
    const int RowCount = Rows->Count();
    const int Cols = Rows->GetColCount();
    const bool Printing = Fmt->PrintCells != nullptr;
    const int64_t G = GetDevY(
        Clamp32((2 * (static_cast<int64_t>(CellPadding) + CellBorderWidth) + CellVSpacing) * RowCount));
    int64_t Y = GetDevY(Clamp32(static_cast<int64_t>(BorderWidth) + BorderVSpacing + CellBorderWidth));
    int64_t GapsLeft = G;
    const int64_t Pad = GetDevY(CellPadding);
    const int64_t Pad2 = GetDevY(Clamp32(2 * static_cast<int64_t>(CellPadding)));
    Fmt->RowStarts.Clear();
    for (int r = 0; r < RowCount; ++r) {
        Fmt->RowStarts.Add(Clamp32(Y));
        const TRVTableRow* Row = Rows->Get(r);
        for (int c = 0; c < Row->Count(); ++c) {
            TRVTableCellData* Cell = Row->Get(c);
            if (Cell == nullptr)
                continue;
            const int Span = std::clamp(Cell->RowSpan, 1, RowCount - r);
            int64_t Height = Pad2 + ScaleSafe(G, Span - 1, RowCount);
            for (int k = r; k < r + Span; ++k)
                Height += Fmt->RowHeights[k];
            if (!Printing) {
                Cell->Top = Clamp32(Y);
                Cell->Height = Clamp32(Height);
            } else if (TRVTablePrintCell* P = Fmt->PrintCell(r * Cols + c)) {
                P->Top = Clamp32(Y + Pad);
                P->Height = Clamp32(Height - 2 * Pad);
            }
        }
        const int64_t g = GapsLeft / (RowCount - r);
        GapsLeft -= g;
        Y += Fmt->RowHeights[r] + g;
    }
}
