// The table's layout: its minimum width, column widths from pixel, percentage
// and automatic widths, row heights from the cells' contents, and the cells'
// rectangles. Lengths are in the current units (screen pixels, or device
// pixels while Device is set). Widths read from files may be hostile: sums and
// products are taken in 64 bits and clamped back to 32.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include "document/rvstyle.h"
#include "platform/core/numbers.h"
#include "table/rvtable.h"
#include "table/rvtinplace.h"

int ScaleSafe(int64_t a, int64_t b, int64_t c)
{
    return c == 0 ? 0 : RV_Clamp32(MulDiv64(a, b, c));
}

namespace {

enum TColumnKind { ckAuto = 0, ckPixel = 1, ckPercent = 2 };

// Places the table's cells down, row by row from the top: each row's start
// and its cells' tops and heights (or their print cells').
class TRowPlacer {
public:
    TRowPlacer(const TRVTableItemInfo& table, TRVTableItemFormattingInfo* fmt)
        : Table(table), Fmt(fmt), RowCount(table.Rows->Count()), Cols(table.Rows->GetColCount()),
          Printing(fmt->PrintCells != nullptr)
    {
        Gaps = table.GetDevY(RV_Clamp32(
            (2 * (static_cast<int64_t>(table.CellPadding) + table.CellBorderWidth) + table.CellVSpacing) *
            RowCount));
        Y = table.GetDevY(RV_Clamp32(static_cast<int64_t>(table.BorderWidth) + table.BorderVSpacing +
                                     table.CellBorderWidth));
        GapsLeft = Gaps;
        Pad = table.GetDevY(table.CellPadding);
        Pad2 = table.GetDevY(RV_Clamp32(2 * static_cast<int64_t>(table.CellPadding)));
        fmt->RowStarts.Clear();
    }
    // Row R, the rows' heights known as far as its cells span.
    void PlaceRow(int r, const std::vector<int>& heights)
    {
        Fmt->RowStarts.Add(RV_Clamp32(Y));
        const TRVTableRow* row = Table.Rows->Get(r);
        for (int c = 0; c < row->Count(); ++c) {
            TRVTableCellData* cell = row->Get(c);
            if (cell == nullptr)
                continue;
            const int span = std::clamp(cell->RowSpan, 1, RowCount - r);
            int64_t height = Pad2 + (span > 1 ? ScaleSafe(Gaps, span - 1, RowCount) : 0);
            for (int k = r; k < r + span; ++k)
                height += heights[k];
            if (!Printing) {
                cell->Top = RV_Clamp32(Y);
                cell->Height = RV_Clamp32(height);
            } else if (TRVTablePrintCell* p = Fmt->PrintCell(r * Cols + c)) {
                p->Top = RV_Clamp32(Y + Pad);
                p->Height = RV_Clamp32(height - 2 * Pad);
            }
        }
        const int64_t g = GapsLeft / (RowCount - r);
        GapsLeft -= g;
        Y += heights[r] + g;
    }

private:
    const TRVTableItemInfo& Table;
    TRVTableItemFormattingInfo* Fmt;
    const int RowCount;
    const int Cols;
    const bool Printing;
    int64_t Gaps = 0;
    int64_t Y = 0;
    int64_t GapsLeft = 0;
    int64_t Pad = 0;
    int64_t Pad2 = 0;
};

// Percent (1..100, 0: none) of Width as TRVTableRows::GetPercentColWidth
// gives it for a column: never below 0.
int PercentOfWidth(int percent, int width)
{
    return std::max(0, static_cast<int>(static_cast<int64_t>(percent) * width / 100));
}

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

int TRVTableItemInfo::GetDevX(int x) const
{
    if (Device == nullptr)
        return x;
    return ScaleSafe(x, Device->DevicePpiX, Device->ScreenPpiX);
}

int TRVTableItemInfo::GetDevY(int y) const
{
    if (Device == nullptr)
        return y;
    return ScaleSafe(y, Device->DevicePpiY, Device->ScreenPpiY);
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
    const int64_t cols = Rows->GetColCount();
    return GetDevX(RV_Clamp32((cols - 1) * CellHSpacing +
                              2 * (static_cast<int64_t>(BorderWidth) + BorderHSpacing) +
                              2 * cols * CellBorderWidth));
}

// ---------------------------------------------------------------------------
// Widening a span of columns for a cell that covers several

void TRVTableItemInfo::WidenSpan(TLayoutPass& pass, int row, int col, int wanted, bool minMode, int maxKind)
{
    const TRVTableCellData* cell = Rows->Get(row)->Get(col);
    const int last = std::min(col + cell->ColSpan, static_cast<int>(pass.Widths.size()));
    const int64_t pad2 = GetDevX(RV_Clamp32(2 * static_cast<int64_t>(CellPadding)));
    const int64_t need = static_cast<int64_t>(wanted) + pad2;
    const int64_t gap = GetDevX(RV_Clamp32(2 * static_cast<int64_t>(CellPadding) + CellHSpacing +
                                           2 * static_cast<int64_t>(CellBorderWidth)));
    int64_t have =
        GetDevX(RV_Clamp32(-static_cast<int64_t>(CellHSpacing) - 2 * static_cast<int64_t>(CellBorderWidth)));
    for (int c = col; c < last; ++c)
        have += pass.Widths[c] + gap;
    std::vector<int> candidates;
    for (int limit = 0; limit <= (minMode ? 0 : maxKind) && candidates.empty(); ++limit)
        for (int c = col; c < last; ++c)
            if (minMode || pass.Kinds[c] <= limit)
                candidates.push_back(c);
    if (have >= need || candidates.empty())
        return;
    int64_t extra = need - have;
    if (!minMode && !pass.Fixed) {
        extra = std::min(extra, std::max<int64_t>(pass.Left, 0));
        pass.Left -= extra;
    }
    if (extra <= 0)
        return;
    int64_t s = 0;
    for (int c : candidates)
        s += pass.Widths[c] + pad2;
    int64_t t = s + extra;
    const int n = static_cast<int>(candidates.size());
    for (int i = 0; i < n; ++i) {
        const int c = candidates[i];
        const int64_t w = pass.Widths[c] + pad2;
        // Columns that weigh nothing share the extra evenly.
        const int64_t w2 = s > 0 ? ScaleSafe(w, t, s) : w + (t - s) / (n - i);
        pass.Widths[c] = RV_Clamp32(w2 - pad2);
        if (minMode)
            pass.MinSum += w2 - w;
        s -= w;
        t -= w2;
    }
}

// ---------------------------------------------------------------------------
// Minimum width and the fixed-width test

const TRVTableItemInfo::TGridMeasure& TRVTableItemInfo::GridMeasure(const TRVScreenAndDevice* sad,
                                                                    TCanvas* canvas)
{
    TGridMeasure& g = FGrid;
    TCustomRVData* data = GetRVData();
    const TRVStyle* style = data != nullptr ? data->GetRVStyle() : nullptr;
    const TRVMeasureKey key(data != nullptr ? data->ChangeCount() : 0, style, sad);
    const int cols = Rows->GetColCount();
    const std::vector<int> sizes = {Rows->Count(), cols,           BestWidth,    CellPadding,
                                    BorderWidth,   BorderHSpacing, CellHSpacing, CellBorderWidth};
    // A table outside a document has no change count to trust: gathered every time.
    if (data != nullptr && g.Valid && g.Data == data && g.Key == key && g.Canvas == canvas &&
        g.Sizes == sizes)
        return g;
    g = TGridMeasure();
    g.ColMins.assign(static_cast<size_t>(std::max(cols, 0)), 0);
    g.Pixels.assign(g.ColMins.size(), 0);
    g.Percents.assign(g.ColMins.size(), 0);
    std::vector<char> percent(g.ColMins.size(), 0);
    for (int r = 0; r < Rows->Count(); ++r) {
        const TRVTableRow* row = Rows->Get(r);
        // A grid read from a file may hold rows longer than row 0: their
        // cells still span, but measure no column.
        for (int c = 0; c < row->Count(); ++c) {
            TRVTableCellData* cell = row->Get(c);
            if (cell == nullptr)
                continue;
            if (cell->RowSpan > 1)
                g.Tall.push_back({r, c, cell});
            if (cell->ColSpan > 1) {
                g.Wide.push_back({r, c, cell});
                continue;
            }
            if (c >= cols)
                continue;
            g.ColMins[c] = std::max(g.ColMins[c], cell->GetMinWidth(sad, canvas, style));
            if (cell->BestWidth < 0) {
                percent[c] = 1;
                g.Percents[c] = std::max(g.Percents[c], static_cast<int>(std::clamp<int64_t>(
                                                            -static_cast<int64_t>(cell->BestWidth), 1, 100)));
            } else {
                g.Pixels[c] = std::max(g.Pixels[c], cell->BestWidth);
            }
        }
    }
    for (size_t c = 0; c < percent.size(); ++c)
        if (percent[c])
            g.Pixels[c] = 0;
    g.Valid = data != nullptr;
    g.Data = data;
    g.Key = key;
    g.Canvas = canvas;
    g.Sizes = sizes;
    return g;
}

int TRVTableItemInfo::GetMinWidth(const TRVScreenAndDevice* sad, TCanvas* canvas, TCustomRVData* rvData)
{
    (void)rvData;
    const TGridMeasure& grid = GridMeasure(sad, canvas);
    if (grid.MinWidth >= 0)
        return grid.MinWidth;
    const TRVScreenAndDevice* oldDevice = Device;
    Device = sad;
    int result = 0;
    if (Rows->Empty()) {
        result = GetDevX(RV_Clamp32(2 * (static_cast<int64_t>(BorderWidth) + BorderHSpacing)));
    } else {
        const int cols = Rows->GetColCount();
        const int64_t extra =
            static_cast<int64_t>(GetDevX(RV_Clamp32(2 * static_cast<int64_t>(cols) * CellPadding))) +
            GetHorzExtra();
        TLayoutPass pass;
        pass.Widths.assign(cols, 0);
        pass.Kinds.assign(cols, ckAuto);
        for (int c = 0; c < cols; ++c) {
            int w = grid.ColMins[c];
            if (BestWidth == 0)
                w = std::max(w, GetDevX(grid.Pixels[c]));
            pass.Widths[c] = w;
            pass.MinSum += w;
        }
        for (const TGridMeasure::TCellAt& at : grid.Wide) {
            int m = at.Cell->GetMinWidth(sad, canvas, grid.Key.Style);
            if (BestWidth == 0)
                m = std::max(m, GetDevX(at.Cell->BestWidth));
            WidenSpan(pass, at.Row, at.Col, m, true, 0);
        }
        result = RV_Clamp32(extra + pass.MinSum);
        result = std::max(result, GetDevX(BestWidth));
    }
    Device = oldDevice;
    // Measuring changes nothing: the measure gathered above still stands.
    FGrid.MinWidth = std::max(result, 0);
    return result;
}

bool TRVTableItemInfo::IsFixedWidthTable() const
{
    const int cols = Rows->GetColCount();
    if (Rows->IsEmptyRows(0, 0, cols, Rows->Count(), 0, 0))
        return false;
    for (int c = 0; c < cols; ++c) {
        bool hasPixel = false;
        for (int r = 0; r < Rows->Count(); ++r) {
            int mRow = 0;
            int mCol = 0;
            const TRVTableCellData* main = Rows->GetMainCell(r, c, mRow, mCol);
            if (main == nullptr)
                continue;
            if (main->BestWidth < 0)
                return false;
            if (main->BestWidth > 0 && mCol + main->ColSpan - 1 == c)
                hasPixel = true;
        }
        if (!hasPixel)
            return false;
    }
    return true;
}

// ---------------------------------------------------------------------------
// Layout

void TRVTableItemInfo::OnDocWidthChange(int docWidth, TRVDrawLineInfo* dli, bool printing, TCanvas* canvas,
                                        TCustomRVData* rvData, const TRVScreenAndDevice* sad, int& hShift,
                                        int& desc, bool reformat)
{
    (void)sad;
    hShift = 0;
    desc = 0;
    if (printing) {
        // Only a draw item made by the printing layer carries a print layout.
        auto* printItem = dynamic_cast<TRVTablePrintInfo*>(dli);
        if (printItem == nullptr)
            return;
        Device = &printItem->SaD;
        InternalOnDocWidthChange(docWidth, &printItem->FmtInfo, canvas, false);
        printItem->Width = printItem->FmtInfo.Width;
        printItem->Height = printItem->FmtInfo.Height;
        Device = nullptr;
        return;
    }
    if (State.Contains(rvtsModified)) {
        State.Exclude(rvtsModified);
        FormattingInfo->Width = 0;
        // The change may have put new cells into the selected block, brought
        // cells back from an undo record or moved the block's bounds: the
        // cells' marks follow the selection again, so that each cell's content
        // is painted as the table paints the cell.
        MarkSelectedCells();
    }
    InternalOnDocWidthChange(docWidth, FormattingInfo.get(), canvas, reformat);
    if (dli != nullptr) {
        dli->Width = FormattingInfo->Width;
        dli->Height = FormattingInfo->Height;
    }
    // What this layout counted for the edited cell and for the table in its
    // document: a change made in the open cell editor is measured against
    // them (InplaceEditorChange).
    if (InplaceEditor != nullptr && InplaceEditor->Cell != nullptr)
        if (auto* data = dynamic_cast<TCustomRVFormattedData*>(rvData);
            data != nullptr && data == GetRVData())
            if (const int itemNo = GetMyItemNo(); itemNo >= 0) {
                CachedEditorMinWidth = InplaceEditor->Cell->GetMinWidth(nullptr, nullptr);
                CachedItemMinWidth = data->CalculateMinItemWidthPlusEx(itemNo);
            }
}

// Percentage columns: what is left is shared by their percentages of the
// content width, and cells with a percentage widen the columns they span.
void TRVTableItemInfo::GivePercentWidths(TLayoutPass& pass, const TGridMeasure& grid, int64_t content,
                                         int64_t pad2)
{
    const int Cols = Rows->GetColCount();
    std::vector<int64_t> p(Cols);
    int64_t pSum = 0;
    for (int c = 0; c < Cols; ++c) {
        p[c] = PercentOfWidth(grid.Percents[c], RV_Clamp32(content)) - pad2;
        pSum += p[c];
    }
    if (pSum != 0 && pass.Left > 0) {
        const int64_t a = pass.Left;
        pSum = std::max(pSum, a);
        for (int c = 0; c < Cols && pass.Left > 0; ++c) {
            int64_t s = ScaleSafe(p[c], a, pSum);
            if (s <= 0)
                continue;
            pass.Kinds[c] = ckPercent;
            ++pass.KindCount;
            if (pass.Widths[c] < s) {
                pass.Left += pass.Widths[c];
                s = std::min(s, pass.Left);
                pass.Widths[c] = RV_Clamp32(s);
                pass.Left -= s;
            }
        }
    }
    if (pass.Left > 0) {
        for (const TGridMeasure::TCellAt& at : grid.Wide) {
            const TRVTableCellData* cell = at.Cell;
            if (cell->BestWidth >= 0)
                continue;
            const int percent =
                static_cast<int>(std::clamp<int64_t>(-static_cast<int64_t>(cell->BestWidth), 1, 100));
            WidenSpan(pass, at.Row, at.Col, RV_Clamp32(ScaleSafe(percent, content, 100) - pad2), false,
                      ckPercent);
            for (int k = at.Col; k < std::min(at.Col + cell->ColSpan, Cols); ++k)
                if (pass.Kinds[k] == ckAuto) {
                    pass.Kinds[k] = ckPercent;
                    ++pass.KindCount;
                }
        }
    }
}

// Pixel columns: the columns with a width of their own, then the cells with one
// widen the columns they span, from what is left (any width in a fixed table).
void TRVTableItemInfo::GivePixelWidths(TLayoutPass& pass, const TGridMeasure& grid)
{
    const int Cols = Rows->GetColCount();
    for (int c = 0; c < Cols && (pass.Fixed || pass.Left > 0); ++c) {
        if (pass.Kinds[c] != ckAuto)
            continue;
        int64_t q = GetDevX(grid.Pixels[c]);
        if (q <= 0)
            continue;
        pass.Kinds[c] = ckPixel;
        ++pass.KindCount;
        ++pass.PixelCount;
        if (pass.Widths[c] < q) {
            if (!pass.Fixed) {
                pass.Left += pass.Widths[c];
                q = std::min(q, pass.Left);
                pass.Left -= q;
            }
            pass.Widths[c] = RV_Clamp32(q);
        }
    }
    if (pass.Fixed || pass.Left > 0) {
        for (const TGridMeasure::TCellAt& at : grid.Wide) {
            const TRVTableCellData* cell = at.Cell;
            if (cell->BestWidth <= 0)
                continue;
            WidenSpan(pass, at.Row, at.Col, GetDevX(cell->BestWidth), false, ckPixel);
            for (int k = at.Col; k < std::min(at.Col + cell->ColSpan, Cols); ++k)
                if (pass.Kinds[k] == ckAuto) {
                    pass.Kinds[k] = ckPixel;
                    ++pass.KindCount;
                    ++pass.PixelCount;
                }
        }
    }
}

void TRVTableItemInfo::InternalOnDocWidthChange(int docWidth, TRVTableItemFormattingInfo* fmt,
                                                TCanvas* Canvas, bool force)
{
    if (Rows->Empty()) {
        fmt->Clear();
        fmt->Width = GetDevX(RV_Clamp32(2 * (static_cast<int64_t>(BorderWidth) + BorderHSpacing)));
        fmt->Height = GetDevY(RV_Clamp32(2 * (static_cast<int64_t>(BorderWidth) + BorderVSpacing)));
        return;
    }
    const int Cols = Rows->GetColCount();
    const int64_t extra = GetHorzExtra();
    const int64_t Pad2 = GetDevX(RV_Clamp32(2 * static_cast<int64_t>(CellPadding)));
    TLayoutPass pass;
    int64_t tableWidth = 0;
    if (BestWidth > 0)
        tableWidth = GetDevX(BestWidth);
    else if (BestWidth < 0)
        tableWidth = std::clamp<int64_t>(-static_cast<int64_t>(BestWidth), 1, 100) * docWidth / 100;
    else if (IsFixedWidthTable())
        pass.Fixed = true;
    else
        tableWidth = docWidth;
    if (tableWidth != 0 && tableWidth == fmt->Width && !force && fmt->ColWidths.Count() == Cols)
        return;
    fmt->Width = RV_Clamp32(tableWidth);
    int64_t Content = 0;
    int64_t free = 0;
    if (!pass.Fixed) {
        Content = tableWidth - extra;
        free = Content - GetDevX(RV_Clamp32(static_cast<int64_t>(Cols) * 2 * CellPadding));
    }
    fmt->QuickClear();

    // Minimum widths; a forced layout gathers the grid's measures afresh too.
    if (force)
        FGrid.Valid = false;
    const TGridMeasure& grid = GridMeasure(Device, Canvas);
    pass.Widths.assign(Cols, 0);
    pass.Kinds.assign(Cols, ckAuto);
    for (int c = 0; c < Cols; ++c) {
        pass.Widths[c] = grid.ColMins[c];
        pass.MinSum += pass.Widths[c];
    }
    for (const TGridMeasure::TCellAt& at : grid.Wide)
        WidenSpan(pass, at.Row, at.Col, at.Cell->GetMinWidth(Device, Canvas, grid.Key.Style), true, 0);

    if (!pass.Fixed && pass.MinSum >= free) {
        fmt->Width = RV_Clamp32(tableWidth - free + pass.MinSum);
    } else {
        pass.Left = free - pass.MinSum;
        if (!pass.Fixed)
            GivePercentWidths(pass, grid, Content, Pad2);
        GivePixelWidths(pass, grid);
        // The rest.
        if (pass.Fixed) {
            int64_t sum = 0;
            for (int w : pass.Widths)
                sum += w;
            fmt->Width =
                RV_Clamp32(GetDevX(RV_Clamp32(static_cast<int64_t>(Cols) * 2 * CellPadding)) + extra + sum);
        } else if (pass.Left > 0) {
            DistributeRest(pass, grid, RV_Clamp32(Content));
        }
    }
    fmt->ColWidths.Clear();
    for (int w : pass.Widths)
        fmt->ColWidths.Add(w);
    // The cells are placed across and laid out (their heights noted), the
    // rows' heights found, the cells placed down. Without cells spanning rows
    // a row's height is known once its cells are laid out: its cells are then
    // placed down in the same visit.
    const bool placeDown = fmt->PrintCells == nullptr && grid.Tall.empty();
    UpdateCellXCoords(fmt, force, placeDown);
    LayOutRows(fmt, grid);
    if (!placeDown)
        UpdateCellYCoords(fmt);
}

// Gives the width left over to the automatic columns evenly, else to the
// pixel columns by their widths, else to the percentage columns by theirs.
void TRVTableItemInfo::DistributeRest(TLayoutPass& pass, const TGridMeasure& grid, int content)
{
    const int cols = static_cast<int>(pass.Widths.size());
    const int64_t pad2 = GetDevX(RV_Clamp32(2 * static_cast<int64_t>(CellPadding)));
    int Auto = 0;
    for (int k : pass.Kinds)
        Auto += k == ckAuto ? 1 : 0;
    if (Auto > 0) {
        for (int c = 0; c < cols && pass.Left > 0; ++c) {
            if (pass.Kinds[c] != ckAuto)
                continue;
            const int64_t give = pass.Left / Auto--;
            pass.Widths[c] = RV_Clamp32(pass.Widths[c] + give);
            pass.Left -= give;
        }
        return;
    }
    std::vector<int64_t> weights(cols, 0);
    int64_t t = 0;
    for (int c = 0; c < cols; ++c) {
        const bool percent = Rows->IsPercentWidthColumn(c);
        if (pass.PixelCount > 0 && !percent) {
            const int px = grid.Pixels[c];
            weights[c] = px == 0 ? 1 : px;
        } else if (pass.PixelCount == 0 && percent) {
            weights[c] = std::max<int64_t>(PercentOfWidth(grid.Percents[c], content) - pad2, 1);
        }
        t += weights[c];
    }
    for (int c = 0; c < cols && pass.Left > 0 && t > 0; ++c) {
        if (weights[c] == 0)
            continue;
        const int64_t give = std::min<int64_t>(ScaleSafe(pass.Left, weights[c], t), pass.Left);
        pass.Widths[c] = RV_Clamp32(pass.Widths[c] + give);
        pass.Left -= give;
        t -= weights[c];
    }
}

// Row heights from the cells' contents, then the rows under a cell that spans
// several grown for it.
void TRVTableItemInfo::LayOutRows(TRVTableItemFormattingInfo* fmt, const TGridMeasure& grid)
{
    const int rowCount = Rows->Count();
    const int cols = Rows->GetColCount();
    const bool printing = fmt->PrintCells != nullptr;
    int64_t height =
        GetDevY(RV_Clamp32(2 * (static_cast<int64_t>(rowCount) * CellPadding + BorderWidth + BorderVSpacing) +
                           (static_cast<int64_t>(rowCount) - 1) * CellVSpacing +
                           2 * static_cast<int64_t>(rowCount) * CellBorderWidth));
    std::vector<int64_t> heights(rowCount);
    for (int r = 0; r < rowCount; ++r) {
        const TRVTableRow* row = Rows->Get(r);
        if (!printing) {
            heights[r] = LaidOutRowHeight(r);
        } else {
            heights[r] = GetDevY(row->GetBestHeight());
            for (int c = 0; c < row->Count(); ++c)
                if (TRVTableCellData* cell = row->Get(c); cell != nullptr && cell->RowSpan == 1)
                    if (TRVTablePrintCell* p = fmt->PrintCell(r * cols + c))
                        heights[r] = std::max<int64_t>(heights[r], p->GetDocumentHeight());
            heights[r] = std::max<int64_t>(heights[r], GetDevY(10));
        }
        height += heights[r];
    }
    const int64_t pad2 = GetDevY(RV_Clamp32(2 * static_cast<int64_t>(CellPadding)));
    const int64_t gap = GetDevY(RV_Clamp32(2 * static_cast<int64_t>(CellPadding) + CellVSpacing +
                                           2 * static_cast<int64_t>(CellBorderWidth)));
    // The last row of the row's cell that ends first (INT64_MAX for a row
    // without cells): a row has a cell of its own ending within a span when
    // this lies inside it. Found once, so that many tall cells cost no more
    // than the grid.
    std::vector<int64_t> firstEnd;
    if (!grid.Tall.empty()) {
        firstEnd.assign(static_cast<size_t>(rowCount), INT64_MAX);
        for (int r = 0; r < rowCount; ++r)
            for (int c = 0; c < Rows->Get(r)->Count(); ++c)
                if (const TRVTableCellData* cell = Rows->Get(r)->Get(c))
                    firstEnd[r] = std::min<int64_t>(firstEnd[r], int64_t(r) + cell->RowSpan - 1);
    }
    for (const TGridMeasure::TCellAt& at : grid.Tall) {
        const int r = at.Row;
        const int c = at.Col;
        TRVTableCellData* cell = at.Cell;
        const int span = std::min(cell->RowSpan, rowCount - r);
        int64_t need = 0;
        if (!printing) {
            need = GetDevY(RV_Clamp32(static_cast<int64_t>(cell->GetCellHeight()) + 2 * CellPadding));
        } else {
            need = GetDevY(std::max(cell->BestHeight, 10));
            if (TRVTablePrintCell* p = fmt->PrintCell(r * cols + c))
                need = std::max<int64_t>(need, p->GetDocumentHeight());
            need += pad2;
        }
        int64_t have = GetDevY(
            RV_Clamp32(-static_cast<int64_t>(CellVSpacing) - 2 * static_cast<int64_t>(CellBorderWidth)));
        for (int k = r; k < r + span; ++k)
            have += heights[k] + gap;
        if (have >= need)
            continue;
        std::vector<int> taking;
        for (int k = r; k < r + span; ++k)
            if (firstEnd[k] > int64_t(r) + span - 1)
                taking.push_back(k);
        if (taking.empty())
            for (int k = r; k < r + span; ++k)
                taking.push_back(k);
        int64_t s = 0;
        for (int k : taking)
            s += heights[k];
        int64_t extra = need - have;
        height += extra;
        const int n = static_cast<int>(taking.size());
        for (int i = 0; i < n; ++i) {
            const int k = taking[i];
            // Rows of no height share the growth evenly.
            const int64_t grow = s > 0 ? ScaleSafe(heights[k], extra, s) : extra / (n - i);
            s -= heights[k];
            heights[k] += grow;
            extra -= grow;
        }
    }
    fmt->RowHeights.Clear();
    for (int64_t h : heights)
        fmt->RowHeights.Add(RV_Clamp32(h));
    fmt->Height = RV_Clamp32(height);
}

// ---------------------------------------------------------------------------
// Cell placement

int TRVTableItemInfo::LaidOutRowHeight(int row) const
{
    // As TRVTableRow::GetHeight, from the heights noted while laying the cells out.
    const int h = row < static_cast<int>(FCellRowHeights.size()) ? FCellRowHeights[row] : 0;
    return GetDevY(h == 0 ? 10 : h);
}

void TRVTableItemInfo::UpdateCellXCoords(TRVTableItemFormattingInfo* fmt, bool force, bool placeDown)
{
    const int cols = Rows->GetColCount();
    const bool printing = fmt->PrintCells != nullptr;
    const int64_t gaps = GetDevX(
        RV_Clamp32((2 * (static_cast<int64_t>(CellPadding) + CellBorderWidth) + CellHSpacing) * cols));
    int64_t x = GetDevX(RV_Clamp32(static_cast<int64_t>(BorderWidth) + BorderHSpacing + CellBorderWidth));
    int64_t gapsLeft = gaps;
    // Local copies: read for every cell.
    std::vector<int> widths(static_cast<size_t>(cols));
    std::vector<int> starts(static_cast<size_t>(cols));
    fmt->ColStarts.Clear();
    for (int c = 0; c < cols; ++c) {
        widths[c] = fmt->ColWidths[c];
        starts[c] = RV_Clamp32(x);
        fmt->ColStarts.Add(starts[c]);
        const int64_t g = gapsLeft / (cols - c);
        gapsLeft -= g;
        x += widths[c] + g;
    }
    const int64_t pad = GetDevX(CellPadding);
    const int64_t pad2 = GetDevX(RV_Clamp32(2 * static_cast<int64_t>(CellPadding)));
    TCustomRVData* data = GetRVData();
    const TRVStyle* style = data != nullptr ? data->GetRVStyle() : nullptr;
    const TRVTableCellData* edited = InplaceEditor != nullptr ? InplaceEditor->GetEditedCell() : nullptr;
    if (!printing)
        FCellRowHeights.assign(static_cast<size_t>(Rows->Count()), 0);
    std::vector<int> rowHeights(placeDown ? static_cast<size_t>(Rows->Count()) : 0);
    std::unique_ptr<TRowPlacer> placer(placeDown ? new TRowPlacer(*this, fmt) : nullptr);
    // One visit of each cell: placed across, then (on screen) laid out unless
    // its layout stands, its height noted for its row.
    for (int r = 0; r < Rows->Count(); ++r) {
        const TRVTableRow* row = Rows->Get(r);
        for (int c = 0; c < row->Count(); ++c) {
            TRVTableCellData* cell = row->Get(c);
            if (cell == nullptr)
                continue;
            if (c < cols) {
                const int span = std::clamp(cell->ColSpan, 1, cols - c);
                int64_t width = pad2 + (span > 1 ? ScaleSafe(gaps, span - 1, cols) : 0);
                for (int k = c; k < c + span; ++k)
                    width += widths[k];
                if (!printing) {
                    cell->Left = starts[c];
                    cell->Width = RV_Clamp32(width);
                } else if (TRVTablePrintCell* p = fmt->PrintCell(r * cols + c)) {
                    p->Left = RV_Clamp32(starts[c] + pad);
                    p->Width = RV_Clamp32(width - 2 * pad);
                }
            }
            if (printing)
                continue;
            // The editor that holds a cell's items lays them out at the cell's
            // width before its height is taken: a width changed by this layout
            // (a column deleted, the document narrower) changes its height too,
            // and so do new margins (the padding changed) at the same width.
            if (cell == edited)
                InplaceEditor->SetEditorWidth(cell->Width, force || State.Contains(rvtsFormatInplace));
            const int contentHeight = cell->FormatIfStale(force, style);
            // GetCellHeight, asked only of the cell whose items an editor holds.
            if (cell->RowSpan < 2)
                FCellRowHeights[r] =
                    std::max(FCellRowHeights[r], cell == edited ? cell->GetCellHeight()
                                                                : std::max(cell->BestHeight, contentHeight));
        }
        if (placer) {
            rowHeights[r] = LaidOutRowHeight(r);
            placer->PlaceRow(r, rowHeights);
        }
    }
    if (printing) {
        for (int i = 0; i < fmt->PrintCells->Count(); ++i)
            if (TRVTablePrintCell* p = fmt->PrintCell(i))
                p->FormatCell(force);
        return;
    }
}

void TRVTableItemInfo::UpdateCellYCoords(TRVTableItemFormattingInfo* fmt)
{
    const int rowCount = Rows->Count();
    std::vector<int> heights(static_cast<size_t>(rowCount));
    for (int r = 0; r < rowCount; ++r)
        heights[r] = fmt->RowHeights[r];
    TRowPlacer placer(*this, fmt);
    for (int r = 0; r < rowCount; ++r)
        placer.PlaceRow(r, heights);
}
