// Rows and the row list: slots, main cells, row heights, the column measures
// that layout asks for, and the emptiness tests.
#include <algorithm>

#include "table/rvtable.h"

namespace {

// -(BestWidth * TableWidth) div 100 with a 64-bit product, the percentage
// clamped to 1..100 so that a hostile value cannot overflow or turn negative.
int PercentOf(int bestWidth, int tableWidth)
{
    const int64_t percent = std::clamp<int64_t>(-static_cast<int64_t>(bestWidth), 1, 100);
    return static_cast<int>(percent * tableWidth / 100);
}

// The slot (Row, Col), or null outside a row: a grid read from a file may
// hold rows of different lengths, which no measure may index past.
TRVTableCellData* SlotOf(const TRVTableRows* rows, int row, int col)
{
    if (row < 0 || row >= rows->Count())
        return nullptr;
    const TRVTableRow* r = rows->Get(row);
    return col >= 0 && col < r->Count() ? r->Get(col) : nullptr;
}

} // namespace

// ---------------------------------------------------------------------------
// TRVTableRow

TRVTableRow::TRVTableRow(int colCount, TRVTableRows* aRows, TCustomRVData* mainRvData)
    : TRVDataList(mainRvData), Rows(aRows)
{
    SetCapacity(std::max(colCount, 0));
    for (int i = 0; i < colCount; ++i)
        Add();
}

TCustomRVData* TRVTableRow::GetParentRVData()
{
    return Rows != nullptr ? Rows->MainRVData : nullptr;
}

TRVTableCellData* TRVTableRow::Add()
{
    auto* cell = new TRVTableCellData(this);
    TRVList::Add(cell);
    return cell;
}

TRVTableCellData* TRVTableRow::Insert(int index)
{
    auto* cell = new TRVTableCellData(this);
    TRVList::Insert(index, cell);
    return cell;
}

void TRVTableRow::InsertEmpty(int index)
{
    TRVList::Insert(index, nullptr);
}

void TRVTableRow::InsertPointer(int index, TRVTableCellData* cell)
{
    if (cell != nullptr)
        cell->SetList(this);
    TRVList::Insert(index, cell);
}

void TRVTableRow::Put(int index, TRVTableCellData* cell)
{
    if (cell != nullptr)
        cell->SetList(this);
    TRVList::Put(index, cell);
}

int TRVTableRow::GetBestHeight() const
{
    int result = 0;
    for (int c = 0; c < Count(); ++c)
        if (TRVTableCellData* cell = Get(c); cell != nullptr && cell->RowSpan < 2)
            result = std::max(result, cell->BestHeight);
    return result;
}

int TRVTableRow::GetHeight() const
{
    int result = 0;
    for (int c = 0; c < Count(); ++c)
        if (TRVTableCellData* cell = Get(c); cell != nullptr && cell->RowSpan < 2)
            result = std::max(result, cell->GetCellHeight());
    return result == 0 ? 10 : result;
}

bool TRVTableRow::HasCellsInRange(int index, int rangeStart, int count) const
{
    if (rangeStart > index)
        return false;
    for (int c = 0; c < Count(); ++c)
        if (TRVTableCellData* cell = Get(c);
            cell != nullptr && index + cell->RowSpan - 1 <= rangeStart + count - 1)
            return true;
    return false;
}

// ---------------------------------------------------------------------------
// TRVTableRows

TRVTableRows::TRVTableRows(int rowCount, int colCount, TCustomRVData* aMainRvData, TRVTableItemInfo* aTable)
    : MainRVData(aMainRvData), Table(aTable)
{
    Reset(rowCount, colCount);
}

void TRVTableRows::Reset(int rowCount, int colCount)
{
    Clear();
    SetCapacity(std::max(rowCount, 0));
    for (int r = 0; r < rowCount; ++r)
        Add(colCount);
}

bool TRVTableRows::Empty() const
{
    return Count() == 0 || Get(0)->Count() == 0;
}

TRVTableRow* TRVTableRows::Add(int colCount)
{
    auto* row = new TRVTableRow(colCount, this, MainRVData);
    TRVList::Add(row);
    return row;
}

TRVTableRow* TRVTableRows::Insert(int index, int colCount)
{
    auto* row = new TRVTableRow(colCount, this, MainRVData);
    TRVList::Insert(index, row);
    return row;
}

void TRVTableRows::InsertPointer(int index, TRVTableRow* row)
{
    if (row->Rows != this)
        TRVSaveAnswers::Forget(nullptr);
    row->Rows = this;
    TRVList::Insert(index, row);
}

void TRVTableRows::Put(int index, TRVTableRow* row)
{
    if (row != nullptr && row->Rows != this) {
        TRVSaveAnswers::Forget(nullptr);
        row->Rows = this;
    }
    TRVList::Put(index, row);
}

int TRVTableRows::GetColCount() const
{
    return Count() == 0 ? 0 : Get(0)->Count();
}

TRVTableCellData* TRVTableRows::GetMainCell(int row, int col, int& mRow, int& mCol) const
{
    mRow = row;
    mCol = col;
    ++FMainCellSteps;
    if (TRVTableCellData* cell = SlotOf(this, row, col))
        return cell;
    if (row < 0 || row >= Count() || col < 0) {
        mRow = -1;
        mCol = -1;
        return nullptr;
    }
    TRVTableCellData* cell = nullptr;
    if (IndexedMainCell(row, col, mRow, mCol, cell))
        return cell;
    return WalkMainCell(row, col, mRow, mCol);
}

// Whether the cell whose block holds slot (Row, Col) is known from the index;
// the index is built when there is none for this grid's size, and built again
// when it proves stale and walks have paid for that.
bool TRVTableRows::IndexedMainCell(int row, int col, int& mRow, int& mCol, TRVTableCellData*& cell) const
{
    const int cols = GetColCount();
    if (col >= cols || static_cast<int64_t>(Count()) * cols > RVTableMaxIndexedSlots)
        return false;
    bool fresh = false;
    if (FIndexRows != Count() || FIndexCols != cols) {
        BuildMainIndex();
        fresh = true;
    }
    for (;;) {
        const int32_t at = FMainIndex[static_cast<size_t>(row) * cols + col];
        if (at >= 0) {
            const int r = at / cols;
            const int c = at % cols;
            TRVTableCellData* found = SlotOf(this, r, c);
            if (found != nullptr && r <= row && c <= col && found->RowSpan > row - r &&
                found->ColSpan > col - c) {
                mRow = r;
                mCol = c;
                cell = found;
                return true;
            }
        }
        if (fresh || FWalkSteps < static_cast<int64_t>(FMainIndex.size()))
            return false;
        BuildMainIndex();
        fresh = true;
    }
}

// Slot by slot, row by row: a covered slot lies in the block of the main cell
// of its left neighbour, or else of the slot above (the block's first column).
void TRVTableRows::BuildMainIndex() const
{
    const int rows = Count();
    const int cols = GetColCount();
    FMainIndex.assign(static_cast<size_t>(rows) * cols, -1);
    FIndexRows = rows;
    FIndexCols = cols;
    FWalkSteps = 0;
    FMainCellSteps += static_cast<int64_t>(rows) * cols;
    const auto covers = [this, cols](int32_t at, int row, int col) {
        if (at < 0)
            return false;
        const int r = at / cols;
        const int c = at % cols;
        const TRVTableCellData* cell = Get(r)->Get(c);
        return cell->RowSpan > row - r && cell->ColSpan > col - c;
    };
    for (int r = 0; r < rows; ++r) {
        const TRVTableRow* row = Get(r);
        int32_t* entries = FMainIndex.data() + static_cast<size_t>(r) * cols;
        for (int c = 0; c < cols; ++c) {
            if (c < row->Count() && row->Get(c) != nullptr)
                entries[c] = r * cols + c;
            else if (c > 0 && covers(entries[c - 1], r, c))
                entries[c] = entries[c - 1];
            else if (r > 0 && covers(entries[c - cols], r, c))
                entries[c] = entries[c - cols];
        }
    }
}

// The definition itself: left along the row first, then one row up. A grid
// that breaks the invariants ends at row 0 with no cell rather than reading
// outside it.
TRVTableCellData* TRVTableRows::WalkMainCell(int row, int col, int& mRow, int& mCol) const
{
    const int64_t before = FMainCellSteps;
    TRVTableCellData* result = nullptr;
    for (mRow = row; mRow >= 0; --mRow) {
        const TRVTableRow* r = Get(mRow);
        mCol = std::min(col, r->Count() - 1);
        ++FMainCellSteps;
        while (mCol >= 1 && r->Get(mCol) == nullptr) {
            --mCol;
            ++FMainCellSteps;
        }
        if (mCol >= 0) {
            TRVTableCellData* cell = r->Get(mCol);
            if (cell != nullptr && cell->ColSpan > col - mCol && cell->RowSpan > row - mRow) {
                result = cell;
                break;
            }
        }
    }
    FWalkSteps += FMainCellSteps - before;
    if (result != nullptr)
        return result;
    mRow = -1;
    mCol = -1;
    return nullptr;
}

int TRVTableRows::GetBestWidth(int topRow, int leftCol, int colSpan, int rowSpan) const
{
    int result = 0;
    for (int r = topRow; r < topRow + rowSpan && r < Count(); ++r) {
        int64_t sum = 0;
        const TRVTableRow* row = Get(r);
        for (int c = leftCol; c < leftCol + colSpan && c < row->Count(); ++c) {
            const TRVTableCellData* cell = row->Get(c);
            if (cell == nullptr || cell->BestWidth == 0)
                continue;
            if (cell->BestWidth > 0) {
                if (sum >= 0)
                    sum += cell->BestWidth;
            } else {
                if (sum > 0)
                    sum = 0;
                sum += cell->BestWidth;
            }
        }
        // Percentages saturate at the whole table; pixels at the 32-bit range.
        sum = std::clamp<int64_t>(sum, -100, INT32_MAX);
        if (result >= 0) {
            if (sum < 0 || sum > result)
                result = static_cast<int>(sum);
        } else if (sum < result) {
            result = static_cast<int>(sum);
        }
    }
    return result;
}

bool TRVTableRows::IsEmptyCols(int firstRow, int col1, int count1, int rowCount, int col2, int count2) const
{
    for (int r = firstRow; r < firstRow + rowCount && r < Count(); ++r) {
        const TRVTableRow* row = Get(r);
        bool empty = true;
        for (int c = col1; empty && c < col1 + count1 && c < row->Count(); ++c)
            empty = row->Get(c) == nullptr;
        for (int c = col2; empty && c < col2 + count2 && c < row->Count(); ++c)
            empty = row->Get(c) == nullptr;
        if (empty)
            return true;
    }
    return false;
}

bool TRVTableRows::IsEmptyRows(int row1, int firstCol, int colCount, int count1, int row2, int count2) const
{
    for (int c = firstCol; c < firstCol + colCount && c < GetColCount(); ++c) {
        bool empty = true;
        for (int r = row1; empty && r < row1 + count1 && r < Count(); ++r)
            empty = SlotOf(this, r, c) == nullptr;
        for (int r = row2; empty && r < row2 + count2 && r < Count(); ++r)
            empty = SlotOf(this, r, c) == nullptr;
        if (empty)
            return true;
    }
    return false;
}

int TRVTableRows::GetMinColWidth(int col, const TRVScreenAndDevice* sad, TCanvas* canvas) const
{
    int result = 0;
    for (int r = 0; r < Count(); ++r)
        if (TRVTableCellData* cell = SlotOf(this, r, col); cell != nullptr && cell->ColSpan < 2)
            result = std::max(result, cell->GetMinWidth(sad, canvas));
    return result;
}

int TRVTableRows::GetPixelColWidth(int col) const
{
    int result = 0;
    for (int r = 0; r < Count(); ++r) {
        const TRVTableCellData* cell = SlotOf(this, r, col);
        if (cell == nullptr || cell->ColSpan >= 2)
            continue;
        if (cell->BestWidth < 0)
            return 0;
        result = std::max(result, cell->BestWidth);
    }
    return result;
}

int TRVTableRows::GetPercentColWidth(int col, int tableWidth) const
{
    int result = 0;
    for (int r = 0; r < Count(); ++r) {
        const TRVTableCellData* cell = SlotOf(this, r, col);
        if (cell != nullptr && cell->ColSpan < 2 && cell->BestWidth < 0)
            result = std::max(result, PercentOf(cell->BestWidth, tableWidth));
    }
    return result;
}

bool TRVTableRows::IsPercentWidthColumn(int col) const
{
    for (int r = 0; r < Count(); ++r) {
        const TRVTableRow* row = Get(r);
        if (col >= row->Count())
            continue;
        if (const TRVTableCellData* cell = row->Get(col)) {
            if (cell->ColSpan < 2 && cell->BestWidth < 0)
                return true;
            continue;
        }
        int mRow = 0;
        int mCol = 0;
        const TRVTableCellData* main = GetMainCell(r, col, mRow, mCol);
        if (main == nullptr || main->BestWidth >= 0)
            continue;
        bool endsHere = col == row->Count() - 1 || row->Get(col + 1) != nullptr;
        if (!endsHere) {
            int nRow = 0;
            int nCol = 0;
            endsHere = GetMainCell(r, col + 1, nRow, nCol) != main;
        }
        if (endsHere)
            return true;
    }
    return false;
}
