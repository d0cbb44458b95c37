// The table under the mouse: hit tests of rules and cells, and the mouse
// protocol the document holding the table calls (in table coordinates): a
// press in a cell opens its in-place editor (in an editor) or passes on to
// the cell's document, a drag across cells selects cells, a press on a rule
// starts dragging it, a press on the left or top edge selects a row or column.
#include <algorithm>
#include <cstdlib>

#include "platform/controls/controls.h"
#include "platform/controls/cursors.h"
#include "platform/controls/forms.h"
#include "table/rvtable.h"
#include "table/rvtinplace.h"

namespace {

inline constexpr TCursor crRVSelectRow = 104;
inline constexpr TCursor crRVSelectCol = 105;

// The row and column selection cursors, registered with the screen once.
void RegisterTableCursors()
{
    static const bool registered = [] {
        if (Screen == nullptr)
            return false;
        if (HCURSOR row = LoadCursor(HInstance, "RV_SELECTROW_CURSOR"))
            Screen->SetCursors(crRVSelectRow, row);
        if (HCURSOR col = LoadCursor(HInstance, "RV_SELECTCOL_CURSOR"))
            Screen->SetCursors(crRVSelectCol, col);
        return true;
    }();
    (void)registered;
}

bool RuleHit(int pos, int x, int width)
{
    return std::abs(pos - x) <= std::max(width / 2, 2);
}

// The rule within reach of Pos along one axis of the table (Extent long, its
// Count lines starting at Starts): 0 the outer one at the start (Outer wide),
// Count the one at the end, between them the rule before line i (Inner wide);
// -1 for none. MinPos is the start of the line before the rule (-1 for rule
// 0), RulePos where the rule is drawn.
int RuleNo(int pos, int extent, int count, const TRVIntegerList& starts, int outer, int inner, int& minPos,
           int& rulePos)
{
    minPos = -1;
    rulePos = 0;
    if (pos < 0 || pos > extent || count == 0 || starts.Count() < count)
        return -1;
    if (RuleHit(outer / 2, pos, outer)) {
        rulePos = outer / 2;
        return 0;
    }
    if (RuleHit(extent - outer / 2, pos, outer)) {
        minPos = starts[count - 1];
        rulePos = extent - outer / 2;
        return count;
    }
    for (int i = 1; i < count; ++i)
        if (RuleHit(starts[i] - inner / 2, pos, inner)) {
            minPos = starts[i - 1];
            rulePos = starts[i] - (inner + 1) / 2;
            return i;
        }
    return -1;
}

// The line (column or row) whose extent with its padding holds Pos; -1 for none.
int LineNo(int pos, const TRVIntegerList& starts, const TRVIntegerList& sizes, int padding)
{
    for (int i = 0; i < std::min(starts.Count(), sizes.Count()); ++i)
        if (pos >= starts[i] && pos <= starts[i] + sizes[i] + 2 * padding)
            return i;
    return -1;
}

} // namespace

// ---------------------------------------------------------------------------
// Hit tests

int TRVTableItemInfo::GetVerticalRuleNo(int x, int& minX, int& ruleX) const
{
    return RuleNo(x, GetWidth(), Rows->GetColCount(), FormattingInfo->ColStarts,
                  BorderWidth + BorderHSpacing + CellBorderWidth, 2 * CellBorderWidth + CellHSpacing, minX,
                  ruleX);
}

int TRVTableItemInfo::GetHorizontalRuleNo(int y, int& minY, int& ruleY) const
{
    return RuleNo(y, GetHeight(), Rows->Count(), FormattingInfo->RowStarts,
                  BorderWidth + BorderVSpacing + CellBorderWidth, 2 * CellBorderWidth + CellVSpacing, minY,
                  ruleY);
}

int TRVTableItemInfo::GetColNo(int x) const
{
    return LineNo(x, FormattingInfo->ColStarts, FormattingInfo->ColWidths, CellPadding);
}

int TRVTableItemInfo::GetRowNo(int y) const
{
    return LineNo(y, FormattingInfo->RowStarts, FormattingInfo->RowHeights, CellPadding);
}

namespace {

// The cell's rectangle without its outermost pixel holds the point.
bool InsideCell(const TRVTableCellData* cell, int x, int y)
{
    return RV_PointInRect(x, y, cell->Left + 1, cell->Top + 1, cell->Width - 2, cell->Height - 2);
}

} // namespace

bool TRVTableItemInfo::GetCellAt_(int x, int y, int& row, int& col) const
{
    row = -1;
    col = -1;
    const TRVTableItemFormattingInfo& fmt = *FormattingInfo;
    const int rowCount = Rows->Count();
    // An empty table (its rows, if any, without slots) has no cell to hit,
    // whatever a layout from before its lines went may still say.
    if (Rows->Empty() || fmt.RowStarts.Count() < rowCount || fmt.ColStarts.Count() < Rows->GetColCount())
        return false;
    const TRVTableCellData* first = Rows->Get(0)->Get(0);
    if (first == nullptr ||
        !RV_PointInRect(x, y, first->Left + 1, first->Top + 1, GetWidth() - 2 * first->Left - 2,
                        GetHeight() - 2 * first->Top - 2))
        return false;
    int r = rowCount - 1;
    for (int i = 0; i + 1 < rowCount; ++i)
        if (fmt.RowStarts[i + 1] > y) {
            r = i;
            break;
        }
    const int colCount = Rows->Get(r)->Count();
    int c = colCount - 1;
    for (int i = 0; i + 1 < colCount; ++i)
        if (fmt.ColStarts[i + 1] > x) {
            c = i;
            break;
        }
    int mr, mc;
    const TRVTableCellData* cell = Rows->GetMainCell(r, c, mr, mc);
    if (cell == nullptr || !InsideCell(cell, x, y))
        return false;
    row = mr;
    col = mc;
    return true;
}

bool TRVTableItemInfo::GetCellAt(int x, int y, int& row, int& col)
{
    if (FLastHitRow >= 0 && FLastHitRow < Rows->Count() && FLastHitCol >= 0 &&
        FLastHitCol < Rows->Get(FLastHitRow)->Count())
        if (const TRVTableCellData* cell = GetCells(FLastHitRow, FLastHitCol))
            if (InsideCell(cell, x, y)) {
                row = FLastHitRow;
                col = FLastHitCol;
                return true;
            }
    if (!GetCellAt_(x, y, row, col))
        return false;
    FLastHitRow = row;
    FLastHitCol = col;
    return true;
}

bool TRVTableItemInfo::CellContentHit(const TRVTableCellData* cell, int x, int y) const
{
    return RV_PointInRect(x, y, cell->Left + CellPadding, cell->Top + CellPadding,
                          cell->Width - 2 * CellPadding, cell->Height - 2 * CellPadding);
}

// A mouse event (Kind 0 move, 1 press, 2 release) for the document of a cell,
// in the client coordinates of the control that shows the table.
void TRVTableItemInfo::PassToCell(int row, int col, int kind, TMouseButton button, TShiftState shift, int x,
                                  int y)
{
    TRVTableCellData* cell = GetCells(row, col);
    if (cell == nullptr)
        return;
    ResetSubCoords();
    TCustomRVFormattedData* data = cell->GetFormattedRVData();
    const int cx = x + CurLeft;
    const int cy = y + CurTop;
    if (kind == 0)
        data->MouseMove(shift, cx, cy);
    else if (kind == 1)
        data->MouseDown(button, shift, cx, cy);
    else
        data->MouseUp(button, shift, cx, cy);
}

// ---------------------------------------------------------------------------
// The mouse protocol

bool TRVTableItemInfo::MouseMove(TShiftState shift, int x, int y, int itemNo, TCustomRVData* rvData)
{
    (void)itemNo;
    auto* data = dynamic_cast<TCustomRVFormattedData*>(rvData);
    if (Rows->Count() == 0 || data == nullptr || data->UsingThisXorDrawing(this))
        return false;
    if (ExportDepth > 0)
        return true;
    RegisterTableCursors();
    int row, col;
    if (GetCellAt(x, y, row, col)) {
        if (FSelecting && shift.Contains(ssLeft)) {
            const int rowOffs = row - FSelStartRow;
            const int colOffs = col - FSelStartCol;
            const bool exists = rowOffs != 0 || colOffs != 0;
            if (exists)
                State.Include(rvtsSelExists);
            else
                State.Exclude(rvtsSelExists);
            if (rowOffs != FSelRowOffs || colOffs != FSelColOffs) {
                FSelRowOffs = rowOffs;
                FSelColOffs = colOffs;
                UpdateCellSel();
                data->Invalidate();
                if (InplaceEditor != nullptr)
                    InplaceEditor->SelectCompletely(exists);
            }
        }
        if ((!FSelecting || !State.Contains(rvtsSelExists)) && CellContentHit(GetCells(row, col), x, y)) {
            PassToCell(row, col, 0, mbLeft, shift, x, y);
            return true;
        }
    } else if (!FSelecting) {
        const TRVOptions options = data->GetOptions();
        int minPos, rulePos;
        const int vRule = GetVerticalRuleNo(x, minPos, rulePos);
        if (vRule == 0 && Options.Contains(rvtoRowSelect) && options.Contains(rvoAllowSelection)) {
            data->SetCursor(crRVSelectRow);
            return true;
        }
        if (vRule > 0 && CanChange() && Options.Contains(rvtoColSizing)) {
            data->SetCursor(crHSplit);
            return true;
        }
        const int hRule = GetHorizontalRuleNo(y, minPos, rulePos);
        if (hRule == 0 && Options.Contains(rvtoColSelect) && options.Contains(rvoAllowSelection)) {
            data->SetCursor(crRVSelectCol);
            return true;
        }
        if (hRule > 0 && CanChange() && Options.Contains(rvtoRowSizing)) {
            data->SetCursor(crVSplit);
            return true;
        }
    }
    data->SetCursor(crArrow);
    return true;
}

bool TRVTableItemInfo::MouseDown(TMouseButton button, TShiftState shift, int x, int y, int itemNo,
                                 TCustomRVData* rvData)
{
    auto* data = dynamic_cast<TCustomRVFormattedData*>(rvData);
    if (Rows->Count() == 0 || data == nullptr || ExportDepth > 0 ||
        data->State.Contains(rvstIgnoreNextMouseDown))
        return false;
    int row, col;
    const bool overCell = GetCellAt(x, y, row, col);
    // A click into a cell of a table in an editor edits the cell in place.
    if (overCell && (button == mbLeft || button == mbRight) && CanChange() && Options.Contains(rvtoEditing)) {
        if (button == mbRight && (IsCellSelected(row, col) || CompletelySelected()))
            return false;
        CreateInplace(itemNo, row, col, shift.Contains(ssCtrl), false, false, button == mbLeft, false);
        int editedRow, editedCol;
        if (TRVTableInplaceEdit* editor = GetEditedCell(editedRow, editedCol)) {
            if (editedRow == row && editedCol == col) {
                const TRVTableCellData* cell = GetCells(row, col);
                editor->PressFromTable(button, shift, x - cell->Left,
                                       y - (cell->Top + GetCells(row, col)->GetExtraVOffs()));
            }
            return false;
        }
    }
    if (overCell) {
        DestroyInplace(true);
        data->FocusParentControl();
        if (button == mbLeft) {
            const bool hadNoScroll = data->State.Contains(rvstNoScroll);
            data->State.Include(rvstNoScroll);
            data->SetSelectionBounds(itemNo, 1, itemNo, 1);
            if (!hadNoScroll)
                data->State.Exclude(rvstNoScroll);
        }
        if (button == mbLeft || button == mbRight) {
            data->AssignChosenRVData(GetCells(row, col), this);
            ChosenCellRow = row;
            ChosenCellCol = col;
        }
        if (CellContentHit(GetCells(row, col), x, y))
            PassToCell(row, col, 1, button, shift, x, y);
        if (button == mbLeft && StartSelecting(row, col))
            data->Invalidate();
        return false;
    }
    const bool anyOption = Options.Contains(rvtoRowSizing) || Options.Contains(rvtoColSizing) ||
                           Options.Contains(rvtoColSelect) || Options.Contains(rvtoRowSelect);
    if (button == mbLeft && anyOption) {
        const bool canChange = CanChange();
        int minPos = -1, rulePos = 0;
        int vRule = -1;
        if ((canChange && Options.Contains(rvtoColSizing)) || Options.Contains(rvtoRowSelect))
            vRule = GetVerticalRuleNo(x, minPos, rulePos);
        if (vRule > 0 && canChange && Options.Contains(rvtoColSizing)) {
            StartRuleDrag(data, vRule, minPos, rulePos, x, true, shift.Contains(ssShift), itemNo);
            return false;
        }
        int hMin = -1, hPos = 0;
        int hRule = -1;
        if ((canChange && Options.Contains(rvtoRowSizing)) || Options.Contains(rvtoColSelect))
            hRule = GetHorizontalRuleNo(y, hMin, hPos);
        if (hRule > 0 && canChange && Options.Contains(rvtoRowSizing)) {
            StartRuleDrag(data, hRule, hMin, hPos, y, false, false, itemNo);
            return false;
        }
        if (hRule == 0 && Options.Contains(rvtoColSelect)) {
            const int c = GetColNo(x);
            if (c >= 0) {
                SelectCols(c, 1);
                data->SetMouseCapture(this, DocLeft, DocTop);
            }
            return false;
        }
        if (vRule == 0 && Options.Contains(rvtoRowSelect)) {
            const int r = GetRowNo(y);
            if (r >= 0) {
                SelectRows(r, 1);
                data->SetMouseCapture(this, DocLeft, DocTop);
            }
            return false;
        }
        return false;
    }
    DestroyInplace(true);
    data->FocusParentControl();
    return false;
}

bool TRVTableItemInfo::MouseUp(TMouseButton button, TShiftState shift, int x, int y, int itemNo,
                               TCustomRVData* rvData)
{
    auto* data = dynamic_cast<TCustomRVFormattedData*>(rvData);
    if (Rows->Count() == 0 || data == nullptr || ExportDepth > 0)
        return false;
    int row, col;
    if (button == mbLeft && !data->UsingThisXorDrawing(this)) {
        if (InplaceEditor == nullptr) {
            if (!FSelecting) {
                if (GetCellAt(x, y, row, col) && CellContentHit(GetCells(row, col), x, y))
                    PassToCell(row, col, 2, button, shift, x, y);
            } else if (FSelStartRow >= 0 && FSelStartRow < Rows->Count() && FSelStartCol >= 0 &&
                       FSelStartCol < Rows->Get(FSelStartRow)->Count() &&
                       GetCells(FSelStartRow, FSelStartCol)) {
                PassToCell(FSelStartRow, FSelStartCol, 2, button, shift, x, y);
                if (auto* chosen = dynamic_cast<TCustomRVData*>(data->GetChosenRVData()))
                    if (chosen->State.Contains(rvstCompletelySelected))
                        data->UnassignChosenRVData(chosen);
            }
        }
        data->ReleaseMouseCapture(this);
        FSelecting = false;
        return false;
    }
    if (button == mbLeft) {
        FinishRuleDrag(data, x, y);
        return false;
    }
    if (InplaceEditor == nullptr && GetCellAt(x, y, row, col)) {
        if (CellContentHit(GetCells(row, col), x, y))
            PassToCell(row, col, 2, button, shift, x, y);
        if (button == mbRight && data->GetOptions().Contains(rvoRClickDeselects) &&
            !IsCellSelected(row, col) && !CompletelySelected() &&
            !(ChosenCellRow == row && ChosenCellCol == col && CellIsChosen()))
            data->SetSelectionBounds(itemNo, 1, itemNo, 1);
    }
    return false;
}

void TRVTableItemInfo::MouseCaptureLost()
{
    auto* data = dynamic_cast<TCustomRVFormattedData*>(GetRVData());
    if (data != nullptr && data->UsingThisXorDrawing(this)) {
        data->UnAssignXorDrawing(this);
        FDraggedRule = -1;
        RestoreInplace();
    }
    if (data != nullptr)
        data->ReleaseMouseCapture(this);
    FSelecting = false;
    if (InplaceEditor != nullptr)
        InplaceEditor->MouseSelecting = false;
}
