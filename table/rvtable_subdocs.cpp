// The table as an item that holds documents: walking its cells as
// sub-documents (first, last, next, previous, the chosen one), choosing a
// cell, the hyperlink rectangles of the cells, the styles the cells use and
// their renumbering, and where a soft page break between rows lies.
#include <algorithm>
#include <memory>

#include "table/rvtable.h"
#include "table/rvtinplace.h"
#include "view/dlines.h"

namespace {

// The position a sub-document walk left in Store, when it is a cell's.
TRVTableStoreSubRVData* CellPosition(TRVStoreSubRVData* store)
{
    return dynamic_cast<TRVTableStoreSubRVData*>(store);
}

} // namespace

bool TRVTableItemInfo::GetBoolValue(TRVItemBoolProperty prop) const
{
    // Painting the cells sets their fonts on the canvas: the text after the
    // table applies its own again.
    // Its cells' text belongs to any text of the document, written in
    // whatever encoding the text is.
    if (prop == rvbpDrawingChangesFont || prop == rvbpAlwaysInText || prop == rvbpCanSaveUnicode)
        return true;
    return TRVFullLineItemInfo::GetBoolValue(prop);
}

// ---------------------------------------------------------------------------
// Walking the cells

bool TRVTableItemInfo::NextCellSlot(int& row, int& col, bool forward) const
{
    const int rowCount = Rows->Count();
    int r = row;
    int c = col;
    while (true) {
        if (forward) {
            ++c;
            if (r < 0 || c >= Rows->Get(r)->Count()) {
                ++r;
                c = 0;
                if (r >= rowCount)
                    return false;
            }
        } else {
            --c;
            if (c < 0) {
                --r;
                if (r < 0)
                    return false;
                c = Rows->Get(r)->Count() - 1;
            }
        }
        if (r >= 0 && r < rowCount && c >= 0 && c < Rows->Get(r)->Count() &&
            Rows->Get(r)->Get(c) != nullptr) {
            row = r;
            col = c;
            return true;
        }
    }
}

TCustomRVData* TRVTableItemInfo::GetSubRVDataAt(int x, int y)
{
    int row = -1, col = -1;
    if (Rows->Empty() || !GetCellAt_(x, y, row, col))
        return nullptr;
    return GetCells(row, col)->GetRVData();
}

TCustomRVData* TRVTableItemInfo::GetSubRVData(TRVStoreSubRVData*& storeState, TRVSubRVDataPos position)
{
    if (Rows->Empty()) {
        if (position != rvdNext && position != rvdPrev)
            storeState = nullptr;
        return nullptr;
    }
    int mRow = 0;
    int mCol = 0;
    switch (position) {
    case rvdFirst: {
        int row = 0;
        int col = -1;
        if (!NextCellSlot(row, col, true)) {
            storeState = nullptr;
            return nullptr;
        }
        storeState = new TRVTableStoreSubRVData(row, col);
        return GetCells(row, col);
    }
    case rvdLast: {
        const int last = Rows->Count() - 1;
        TRVTableCellData* cell = Rows->GetMainCell(last, Rows->Get(last)->Count() - 1, mRow, mCol);
        storeState = cell != nullptr ? new TRVTableStoreSubRVData(mRow, mCol) : nullptr;
        return cell;
    }
    case rvdChosenUp:
    case rvdChosenDown: {
        storeState = nullptr;
        int row = -1;
        int col = -1;
        if (InplaceEditor != nullptr && InplaceEditor->GetEditedCell() != nullptr)
            InplaceEditor->GetEditedCell()->GetPosition(row, col);
        else if (ValidateChosen()) {
            row = ChosenCellRow;
            col = ChosenCellCol;
        }
        if (row < 0 || col < 0)
            return nullptr;
        storeState = new TRVTableStoreSubRVData(row, col);
        return GetCells(row, col);
    }
    case rvdNext:
    case rvdPrev: {
        TRVTableStoreSubRVData* at = CellPosition(storeState);
        if (at == nullptr)
            return nullptr;
        int row = at->Row;
        int col = at->Col;
        if (!NextCellSlot(row, col, position == rvdNext))
            return nullptr;
        at->Row = row;
        at->Col = col;
        return GetCells(row, col);
    }
    }
    return nullptr;
}

// ---------------------------------------------------------------------------
// Hyperlinks, styles and page breaks of the cells

void TRVTableItemInfo::BuildJumps(int left, int top, int& nextJumpNo, TList* jumps)
{
    auto* main = dynamic_cast<TCustomRVFormattedData*>(GetRVData());
    if (jumps == nullptr || Rows->Empty())
        return;
    for (int r = 0; r < Rows->Count(); ++r) {
        TRVTableRow* row = Rows->Get(r);
        // The table is asked only when its document tracks hyperlinks: the
        // cells build theirs while it does.
        const TRVFlags flags = row->Flags;
        row->Flags.Include(rvflUseJumps);
        struct TRestore {
            TRVTableRow* Row;
            TRVFlags Flags;
            ~TRestore() { Row->Flags = Flags; }
        } restore{row, flags};
        for (int c = 0; c < row->Count(); ++c) {
            TRVTableCellData* cell = row->Get(c);
            if (cell == nullptr)
                continue;
            TCustomRVFormattedData* data = cell->GetFormattedRVData();
            if (data == nullptr)
                continue;
            if (main != nullptr)
                data->FirstJumpNo = main->FirstJumpNo;
            const int first = jumps->Count();
            data->BuildJumpsCoords(nextJumpNo, jumps);
            const int64_t dx = int64_t(left) + cell->Left + CellPadding;
            const int64_t dy = int64_t(top) + cell->Top + CellPadding + cell->GetExtraVOffs();
            for (int i = first; i < jumps->Count(); ++i) {
                auto* jump = static_cast<TRVJumpInfo*>(jumps->Get(i));
                jump->Left = RV_Clamp32(jump->Left + dx);
                jump->Top = RV_Clamp32(jump->Top + dy);
            }
        }
    }
}

void TRVTableItemInfo::MarkStylesInUse(TRVIntegerList* usedTextStyles, TRVIntegerList* usedParaStyles,
                                       TRVIntegerList* usedListStyles)
{
    TRVFullLineItemInfo::MarkStylesInUse(usedTextStyles, usedParaStyles, usedListStyles);
    ForEachCellData(
        [&](TCustomRVData* data) { data->MarkStylesInUse(usedTextStyles, usedParaStyles, usedListStyles); });
}

void TRVTableItemInfo::UpdateStyles(TRVIntegerList* textStylesShift, TRVIntegerList* paraStylesShift,
                                    TRVIntegerList* listStylesShift)
{
    TRVFullLineItemInfo::UpdateStyles(textStylesShift, paraStylesShift, listStylesShift);
    ForEachCellData(
        [&](TCustomRVData* data) { data->UpdateStyles(textStylesShift, paraStylesShift, listStylesShift); });
    Changed();
}

int TRVTableItemInfo::GetSoftPageBreakDY(int data)
{
    const TRVIntegerList& starts = FormattingInfo->RowStarts;
    if (data < 0 || data >= starts.Count())
        return 0;
    return starts[data];
}
