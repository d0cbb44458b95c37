// The table as an item that holds documents: walking its cells as
// sub-documents (first, last, next, previous, the chosen one), choosing a
// cell, the hyperlink rectangles of the cells, the styles the cells use and
// their renumbering, and where a soft page break between rows lies.
#include <algorithm>
#include <memory>

#include "table/rvtable.h"
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
    if (prop == rvbpDrawingChangesFont)
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

bool TRVTableItemInfo::ValidateChosen()
{
    if (ChosenCellRow < 0 || ChosenCellCol < 0 || ChosenCellRow >= Rows->Count() ||
        ChosenCellCol >= Rows->Get(ChosenCellRow)->Count()) {
        ChosenCellRow = ChosenCellCol = -1;
        return false;
    }
    int mRow = 0;
    int mCol = 0;
    if (Rows->GetMainCell(ChosenCellRow, ChosenCellCol, mRow, mCol) == nullptr) {
        ChosenCellRow = ChosenCellCol = -1;
        return false;
    }
    ChosenCellRow = mRow;
    ChosenCellCol = mCol;
    return true;
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

void TRVTableItemInfo::ChooseSubRVData(TRVStoreSubRVData* storeState)
{
    if (TRVTableStoreSubRVData* at = CellPosition(storeState))
        ChooseSubRVData_(at->Row, at->Col);
}

void TRVTableItemInfo::ChooseSubRVData_(int row, int col)
{
    if (row < 0 || row >= Rows->Count() || col < 0 || col >= Rows->Get(row)->Count())
        return;
    TRVTableCellData* cell = GetCells(row, col);
    if (cell == nullptr)
        return;
    if (ValidateChosen() && ChosenCellRow == row && ChosenCellCol == col)
        return;
    auto* cellData = dynamic_cast<TCustomRVFormattedData*>(cell->GetRVData());
    auto* main = dynamic_cast<TCustomRVFormattedData*>(GetRVData());
    if (cellData == nullptr || main == nullptr)
        return;
    const int itemNo = main->GetItemNo(this);
    if (itemNo < 0)
        return;
    // Selecting the table in its document drops whatever was chosen before,
    // this cell's own selection with it: it is put back afterwards.
    int startNo = 0;
    int endNo = 0;
    int startOffs = 0;
    int endOffs = 0;
    cellData->StoreSelBounds(startNo, endNo, startOffs, endOffs, false);
    main->SetSelectionBounds(itemNo, 1, itemNo, 1);
    main->AssignChosenRVData(cell, this);
    ChosenCellRow = row;
    ChosenCellCol = col;
    if (auto* current = dynamic_cast<TCustomRVFormattedData*>(cell->GetRVData())) {
        current->RestoreSelBounds(startNo, endNo, startOffs, endOffs);
        current->Invalidate();
    }
}

void TRVTableItemInfo::CleanUpChosen()
{
    if (ValidateChosen())
        if (auto* data =
                dynamic_cast<TCustomRVFormattedData*>(GetCells(ChosenCellRow, ChosenCellCol)->GetRVData()))
            data->Deselect(nullptr, false);
    ChosenCellRow = ChosenCellCol = -1;
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
