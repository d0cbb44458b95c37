// Dragging a table rule: the inverting dotted feedback line while the mouse
// moves, and on release the new row heights or column widths (pixels or
// percentages) as one undoable change; the table in an editor is laid out
// again and the editor told of the change.
#include <algorithm>
#include <cstdint>

#include "document/rvfuncs.h"
#include "edit/rvervdata.h"
#include "platform/graphics/canvas.h"
#include "table/rvtable.h"
#include "table/rvtable_axis.h"
#include "table/rvtinplace.h"

namespace {

// A dotted line of Length pixels from (X, Y): three dots, then a gap of three, every 8 pixels.
void DottedLine(TCanvas* canvas, int x, int y, int length, bool horizontal)
{
    for (int i = 0; i < length; i += 8)
        for (int d = 0; d <= 4 && i + d < length; d += 2) {
            const int px = horizontal ? x + i + d : x;
            const int py = horizontal ? y : y + i + d;
            canvas->MoveTo(px, py);
            canvas->LineTo(horizontal ? px + 1 : px, horizontal ? py : py + 1);
        }
}

} // namespace

// ---------------------------------------------------------------------------
// The editor around the table

bool TRVTableItemInfo::BeforeChange()
{
    TRVEditRVData* data = GetEditData();
    if (data == nullptr)
        return false;
    TCustomRollViewEdit* editor = data->RollViewEdit();
    return editor != nullptr && editor->BeforeChange(true);
}

int TRVTableItemInfo::BeginModify(int itemNo)
{
    TRVEditRVData* data = GetInsertedEditData();
    if (data == nullptr || itemNo < 0 || itemNo >= data->GetItemCount())
        return 0;
    FModifyMinWidthLayouts = data->MinWidthLayouts;
    return data->CalculateMinItemWidthPlusEx(itemNo);
}

void TRVTableItemInfo::EndModify(int itemNo, int token)
{
    TRVEditRVData* data = GetInsertedEditData();
    if (data == nullptr || itemNo < 0 || itemNo >= data->GetItemCount() || data->GetItem(itemNo) != this)
        return;
    Changed();
    const int newWidth = data->CalculateMinItemWidthPlusEx(itemNo);
    int first = -1;
    data->Item2FirstDrawItem(itemNo, first);
    if (first < 0) {
        data->FormatAll();
        return;
    }
    int last = first;
    while (last + 1 < data->DrawItems.Count() && data->DrawItems[last + 1]->ItemNo == itemNo)
        ++last;
    const bool measuredSince = data->MinWidthLayouts != FModifyMinWidthLayouts;
    data->Reformat_(measuredSince || data->MinWidthChangeNeedsFull(token, newWidth), first, last, 0);
    data->Invalidate();
    FollowHoldingEditor(data);
}

void TRVTableItemInfo::FollowHoldingEditor(TRVEditRVData* data)
{
    // Laid out in a cell editor's document, the table may have changed the
    // editor's size: the table holding the editor follows now (and those
    // around it in turn), not only once the program reports a change, which
    // a command that recorded nothing of its own never does.
    if (auto* editor = dynamic_cast<TRVTableInplaceEdit*>(data->RollViewEdit()))
        if (editor->Table != nullptr && editor->Table->InplaceEditor == editor)
            editor->Table->FollowChangedInplaceEditor();
}

void TRVTableItemInfo::ReformatInEditor()
{
    const int itemNo = GetMyItemNo();
    EndModify(itemNo, BeginModify(itemNo));
}

void TRVTableItemInfo::ChangeEx(bool clearRedo)
{
    if (TRVEditRVData* data = GetInsertedEditData())
        data->ChangeEx(clearRedo);
}

// ---------------------------------------------------------------------------
// The drag

void TRVTableItemInfo::StartRuleDrag(TCustomRVFormattedData* data, int ruleNo, int minPos, int rulePos,
                                     int pointer, bool vertical, bool changeTableWidth, int itemNo)
{
    (void)itemNo;
    // The cell editor is parked first: when it cannot close, nothing starts.
    SaveInplace();
    FDraggedRule = ruleNo;
    FDragMin = minPos;
    FDragLimit2 = -1;
    FGrabOffs = rulePos - pointer;
    if (vertical)
        State.Include(rvtsVerticalDraggedRule);
    else
        State.Exclude(rvtsVerticalDraggedRule);
    if (vertical && changeTableWidth)
        State.Include(rvtsDRChangeTableWidth);
    else
        State.Exclude(rvtsDRChangeTableWidth);
    data->AssignXorDrawing(
        [this](TObject* sender, TShiftState shift, int x, int y) { XorDrawing(sender, shift, x, y); }, this);
    data->SetMouseCapture(this, DocLeft, DocTop);
}

void TRVTableItemInfo::XorDrawing(TObject* sender, TShiftState shift, int x, int y)
{
    (void)sender;
    (void)shift;
    auto* data = dynamic_cast<TCustomRVFormattedData*>(GetRVData());
    TCanvas* canvas = data != nullptr ? data->GetCanvas() : nullptr;
    if (canvas == nullptr)
        return;
    canvas->Pen()->SetMode(pmNot);
    canvas->Pen()->SetWidth(1);
    canvas->Pen()->SetStyle(psSolid);
    canvas->Brush()->SetStyle(bsClear);
    if (State.Contains(rvtsVerticalDraggedRule)) {
        const int shiftX = DocLeft - data->GetHOffs();
        if (FDragMin >= 0)
            x = std::max(x, FDragMin + shiftX);
        if (FDragLimit2 >= 0)
            x = std::max(x, FDragLimit2 + shiftX);
        DottedLine(canvas, x, 0, data->GetHeight(), false);
    } else {
        const int shiftY = DocTop - data->GetVOffs();
        if (FDragMin >= 0)
            y = std::max(y, FDragMin + shiftY);
        if (FDragLimit2 >= 0)
            y = std::max(y, FDragLimit2 + shiftY);
        DottedLine(canvas, 0, y, data->GetWidth(), true);
    }
    canvas->Pen()->SetMode(pmCopy);
}

void TRVTableItemInfo::FinishRuleDrag(TCustomRVFormattedData* data, int x, int y)
{
    data->UnAssignXorDrawing(this);
    const int rule = FDraggedRule;
    FDraggedRule = -1;
    if (rule <= 0 || !BeforeChange()) {
        data->ReleaseMouseCapture(this);
        RestoreInplace();
        return;
    }
    const bool vertical = State.Contains(rvtsVerticalDraggedRule);
    const int pos = (vertical ? x : y) + FGrabOffs;
    const int extent = pos - FDragMin;
    const int itemNo = GetMyItemNo();
    const int token = BeginModify(itemNo);
    try {
        InUndoGroup([&] {
            if (!vertical) {
                if (rule - 1 < Rows->Count())
                    SetRowHeightsFromRule(rule - 1, extent, pos);
            } else if (rule - 1 < Rows->GetColCount()) {
                const int n = Rows->GetColCount();
                if (Rows->IsPercentWidthColumn(rule - 1)) {
                    SetPercentWidthsFromRule(rule - 1, extent, pos);
                } else {
                    SetPixelWidthsFromRule(rule - 1, extent, pos, false);
                    if (!State.Contains(rvtsDRChangeTableWidth) && rule != n &&
                        !Rows->IsPercentWidthColumn(rule))
                        SetPixelWidthsFromRule(rule, extent, pos, true);
                }
            }
        });
    } catch (...) {
        data->ReleaseMouseCapture(this);
        throw;
    }
    Changed();
    EndModify(itemNo, token);
    Change();
    data->ReleaseMouseCapture(this);
    RestoreInplace();
}

// ---------------------------------------------------------------------------
// New sizes from a rule's position

void TRVTableItemInfo::SetRowHeightsFromRule(int row, int extent, int pos)
{
    const int itemNo = GetEditorItemNoForUndo();
    const int rowCount = Rows->Count();
    const int half = row == rowCount - 1 ? (BorderWidth + BorderVSpacing + CellBorderWidth + 1) / 2
                                         : CellVSpacing / 2 + CellBorderWidth;
    const int height = std::max(extent - 2 * CellPadding - half, 0);
    const int bottom = pos - 2 * CellPadding - half;
    TRVTableRow* r = Rows->Get(row);
    bool ownCells = false;
    for (int c = 0; c < r->Count(); ++c)
        if (const TRVTableCellData* cell = r->Get(c); cell != nullptr && cell->RowSpan == 1) {
            ownCells = true;
            SetCellBestHeight_(itemNo, height, row, c);
        }
    ForEachCellSpanningToLine(true, row, [&](TRVTableCellData* main, int mr, int mc) {
        SetCellBestHeight_(itemNo, ownCells ? 0 : std::max(bottom - main->Top, 0), mr, mc);
    });
}

void TRVTableItemInfo::SetPixelWidthsFromRule(int col, int extent, int pos, bool next)
{
    const int itemNo = GetEditorItemNoForUndo();
    const int n = Rows->GetColCount();
    const bool last = col == n - 1;
    const int outer = (BorderWidth + BorderHSpacing + CellBorderWidth + 1) / 2;
    if (next) {
        const int q = last ? GetWidth() - outer
                           : FormattingInfo->ColStarts[col + 1] - (CellBorderWidth + (CellHSpacing + 1) / 2);
        extent = q - pos - ((CellHSpacing + 1) / 2 + CellBorderWidth);
    }
    const int width =
        std::max(extent - 2 * CellPadding - (last ? outer : CellBorderWidth + CellHSpacing / 2), 1);
    bool ownCells = false;
    for (int r = 0; r < Rows->Count(); ++r)
        if (const TRVTableCellData* cell = Rows->Get(r)->Get(col); cell != nullptr && cell->ColSpan == 1) {
            ownCells = true;
            SetCellBestWidth_(itemNo, width, r, col);
        }
    if (next)
        return;
    ForEachCellSpanningToColumn(col, [&](TRVTableCellData* main, int mr, int mc) {
        const int64_t grown = static_cast<int64_t>(main->Width) - FormattingInfo->ColWidths[col] +
                              (extent - 2 * static_cast<int64_t>(CellPadding));
        SetCellBestWidth_(itemNo, ownCells ? 0 : static_cast<int>(std::clamp<int64_t>(grown, 1, INT32_MAX)),
                          mr, mc);
    });
}

void TRVTableItemInfo::SetPercentWidthsFromRule(int col, int extent, int pos)
{
    const int itemNo = GetEditorItemNoForUndo();
    const int n = Rows->GetColCount();
    const int64_t denominator = static_cast<int64_t>(GetWidth()) - GetHorzExtra();
    // Columns without width leave nothing to share: the widths stay.
    if (denominator <= 0)
        return;
    int half;
    if (col == n - 1) {
        half = (BorderWidth + BorderHSpacing + CellBorderWidth) / 2;
    } else {
        half = CellHSpacing / 2;
        extent -= CellBorderWidth;
    }
    const int64_t v = static_cast<int64_t>(extent) - half;
    const int64_t right = pos + v - extent;
    auto percent = [denominator](int64_t length) {
        const int64_t p = -(length * 100) / denominator;
        return p >= 0 ? -1 : static_cast<int>(std::max<int64_t>(p, INT32_MIN));
    };
    bool ownCells = false;
    for (int r = 0; r < Rows->Count(); ++r)
        if (const TRVTableCellData* cell = Rows->Get(r)->Get(col); cell != nullptr && cell->ColSpan == 1) {
            ownCells = true;
            SetCellBestWidth_(itemNo, percent(v), r, col);
        }
    ForEachCellSpanningToColumn(col, [&](TRVTableCellData* main, int mr, int mc) {
        SetCellBestWidth_(itemNo, ownCells ? 0 : percent(right - main->Left), mr, mc);
    });
}

void TRVTableItemInfo::ForEachCellSpanningToColumn(
    int col, const std::function<void(TRVTableCellData*, int, int)>& act)
{
    ForEachCellSpanningToLine(false, col, act);
}

// A cell that spans several slots across the line is met once, at the slot
// where it starts.
void TRVTableItemInfo::ForEachCellSpanningToLine(bool rows, int line,
                                                 const std::function<void(TRVTableCellData*, int, int)>& act)
{
    const TRVTableAxis axis{rows};
    const int lineCount = axis.LineCount(*Rows);
    for (int a = 0; a < axis.SlotsOf(*Rows, line); ++a) {
        if (axis.Cell(*Rows, line, a) != nullptr)
            continue;
        int mLine, mAcross;
        TRVTableCellData* main = axis.MainCell(*Rows, line, a, mLine, mAcross);
        if (main == nullptr || mLine >= line || mAcross != a)
            continue;
        int nLine, nAcross;
        if (line + 1 < lineCount && axis.MainCell(*Rows, line + 1, a, nLine, nAcross) == main)
            continue;
        act(main, axis.Row(mLine, mAcross), axis.Col(mLine, mAcross));
    }
}
