// Rows and the row list: slots, main cells, row heights, the column measures
// that layout asks for, and the emptiness tests.
#include <algorithm>

#include "table/rvtable.h"

namespace {

// -(BestWidth * TableWidth) div 100 with a 64-bit product, the percentage
// clamped to 1..100 so that a hostile value cannot overflow or turn negative.
int PercentOf(int BestWidth, int TableWidth)
{
    const int64_t Percent = std::clamp<int64_t>(-static_cast<int64_t>(BestWidth), 1, 100);
    return static_cast<int>(Percent * TableWidth / 100);
}

// The slot (Row, Col), or null outside a row: a grid read from a file may
// hold rows of different lengths, which no measure may index past.
TRVTableCellData* SlotOf(const TRVTableRows* Rows, int Row, int Col)
{
    if (Row < 0 || Row >= Rows->Count())
        return nullptr;
    const TRVTableRow* R = Rows->Get(Row);
    return Col >= 0 && Col < R->Count() ? R->Get(Col) : nullptr;
}

} // namespace

// ---------------------------------------------------------------------------
// TRVTableRow

TRVTableRow::TRVTableRow(int ColCount, TRVTableRows* ARows, TCustomRVData* MainRVData)
    : TRVDataList(MainRVData), Rows(ARows)
{
    SetCapacity(std::max(ColCount, 0));
    for (int i = 0; i < ColCount; ++i)
        Add();
}

TCustomRVData* TRVTableRow::GetParentRVData()
{
    return Rows != nullptr ? Rows->MainRVData : nullptr;
}

TRVTableCellData* TRVTableRow::Add()
{
    auto* Cell = new TRVTableCellData(this);
    TRVList::Add(Cell);
    return Cell;
}

TRVTableCellData* TRVTableRow::Insert(int Index)
{
    auto* Cell = new TRVTableCellData(this);
    TRVList::Insert(Index, Cell);
    return Cell;
}

void TRVTableRow::InsertEmpty(int Index)
{
    TRVList::Insert(Index, nullptr);
}

void TRVTableRow::InsertPointer(int Index, TRVTableCellData* Cell)
{
    if (Cell != nullptr)
        Cell->List = this;
    TRVList::Insert(Index, Cell);
}

void TRVTableRow::Put(int Index, TRVTableCellData* Cell)
{
    if (Cell != nullptr)
        Cell->List = this;
    TRVList::Put(Index, Cell);
}

int TRVTableRow::GetBestHeight() const
{
    int Result = 0;
    for (int c = 0; c < Count(); ++c)
        if (TRVTableCellData* Cell = Get(c); Cell != nullptr && Cell->RowSpan < 2)
            Result = std::max(Result, Cell->BestHeight);
    return Result;
}

int TRVTableRow::GetHeight() const
{
    int Result = 0;
    for (int c = 0; c < Count(); ++c)
        if (TRVTableCellData* Cell = Get(c); Cell != nullptr && Cell->RowSpan < 2)
            Result = std::max(Result, Cell->GetCellHeight());
    return Result == 0 ? 10 : Result;
}

bool TRVTableRow::HasCellsInRange(int Index, int RangeStart, int Count_) const
{
    if (RangeStart > Index)
        return false;
    for (int c = 0; c < Count(); ++c)
        if (TRVTableCellData* Cell = Get(c);
            Cell != nullptr && Index + Cell->RowSpan - 1 <= RangeStart + Count_ - 1)
            return true;
    return false;
}

// ---------------------------------------------------------------------------
// TRVTableRows

TRVTableRows::TRVTableRows(int RowCount, int ColCount, TCustomRVData* AMainRVData, TRVTableItemInfo* ATable)
    : MainRVData(AMainRVData), Table(ATable)
{
    Reset(RowCount, ColCount);
}

void TRVTableRows::Reset(int RowCount, int ColCount)
{
    Clear();
    SetCapacity(std::max(RowCount, 0));
    for (int r = 0; r < RowCount; ++r)
        Add(ColCount);
}

bool TRVTableRows::Empty() const
{
    return Count() == 0 || Get(0)->Count() == 0;
}

TRVTableRow* TRVTableRows::Add(int ColCount)
{
    auto* Row = new TRVTableRow(ColCount, this, MainRVData);
    TRVList::Add(Row);
    return Row;
}

TRVTableRow* TRVTableRows::Insert(int Index, int ColCount)
{
    auto* Row = new TRVTableRow(ColCount, this, MainRVData);
    TRVList::Insert(Index, Row);
    return Row;
}

void TRVTableRows::InsertPointer(int Index, TRVTableRow* Row)
{
    Row->Rows = this;
    TRVList::Insert(Index, Row);
}

void TRVTableRows::Put(int Index, TRVTableRow* Row)
{
    if (Row != nullptr)
        Row->Rows = this;
    TRVList::Put(Index, Row);
}

int TRVTableRows::GetColCount() const
{
    return Count() == 0 ? 0 : Get(0)->Count();
}

TRVTableCellData* TRVTableRows::GetMainCell(int Row, int Col, int& MRow, int& MCol) const
{
    MRow = Row;
    MCol = Col;
    if (TRVTableCellData* Cell = SlotOf(this, Row, Col))
        return Cell;
    // Left along the row first, then one row up; a grid that breaks the
    // invariants ends at row 0 with no cell rather than reading outside it.
    while (MRow >= 0) {
        const TRVTableRow* R = Get(MRow);
        MCol = std::min(Col, R->Count() - 1);
        while (MCol >= 1 && R->Get(MCol) == nullptr)
            --MCol;
        if (MCol >= 0) {
            TRVTableCellData* Cell = R->Get(MCol);
            if (Cell != nullptr && Cell->ColSpan > Col - MCol && Cell->RowSpan > Row - MRow)
                return Cell;
        }
        --MRow;
    }
    MRow = -1;
    MCol = -1;
    return nullptr;
}

int TRVTableRows::GetBestWidth(int TopRow, int LeftCol, int ColSpan, int RowSpan) const
{
    int Result = 0;
    for (int r = TopRow; r < TopRow + RowSpan && r < Count(); ++r) {
        int64_t Sum = 0;
        const TRVTableRow* Row = Get(r);
        for (int c = LeftCol; c < LeftCol + ColSpan && c < Row->Count(); ++c) {
            const TRVTableCellData* Cell = Row->Get(c);
            if (Cell == nullptr || Cell->BestWidth == 0)
                continue;
            if (Cell->BestWidth > 0) {
                if (Sum >= 0)
                    Sum += Cell->BestWidth;
            } else {
                if (Sum > 0)
                    Sum = 0;
                Sum += Cell->BestWidth;
            }
        }
        // Percentages saturate at the whole table; pixels at the 32-bit range.
        Sum = std::clamp<int64_t>(Sum, -100, INT32_MAX);
        if (Result >= 0) {
            if (Sum < 0 || Sum > Result)
                Result = static_cast<int>(Sum);
        } else if (Sum < Result) {
            Result = static_cast<int>(Sum);
        }
    }
    return Result;
}

bool TRVTableRows::IsEmptyCols(int FirstRow, int Col1, int Count1, int RowCount, int Col2, int Count2) const
{
    for (int r = FirstRow; r < FirstRow + RowCount && r < Count(); ++r) {
        const TRVTableRow* Row = Get(r);
        bool Empty = true;
        for (int c = Col1; Empty && c < Col1 + Count1 && c < Row->Count(); ++c)
            Empty = Row->Get(c) == nullptr;
        for (int c = Col2; Empty && c < Col2 + Count2 && c < Row->Count(); ++c)
            Empty = Row->Get(c) == nullptr;
        if (Empty)
            return true;
    }
    return false;
}

bool TRVTableRows::IsEmptyRows(int Row1, int FirstCol, int ColCount, int Count1, int Row2, int Count2) const
{
    for (int c = FirstCol; c < FirstCol + ColCount && c < GetColCount(); ++c) {
        bool Empty = true;
        for (int r = Row1; Empty && r < Row1 + Count1 && r < Count(); ++r)
            Empty = SlotOf(this, r, c) == nullptr;
        for (int r = Row2; Empty && r < Row2 + Count2 && r < Count(); ++r)
            Empty = SlotOf(this, r, c) == nullptr;
        if (Empty)
            return true;
    }
    return false;
}

int TRVTableRows::GetMinColWidth(int Col, const TRVScreenAndDevice* sad, TCanvas* Canvas) const
{
    int Result = 0;
    for (int r = 0; r < Count(); ++r)
        if (TRVTableCellData* Cell = SlotOf(this, r, Col); Cell != nullptr && Cell->ColSpan < 2)
            Result = std::max(Result, Cell->GetMinWidth(sad, Canvas));
    return Result;
}

int TRVTableRows::GetPixelColWidth(int Col) const
{
    int Result = 0;
    for (int r = 0; r < Count(); ++r) {
        const TRVTableCellData* Cell = SlotOf(this, r, Col);
        if (Cell == nullptr || Cell->ColSpan >= 2)
            continue;
        if (Cell->BestWidth < 0)
            return 0;
        Result = std::max(Result, Cell->BestWidth);
    }
    return Result;
}

int TRVTableRows::GetPercentColWidth(int Col, int TableWidth) const
{
    int Result = 0;
    for (int r = 0; r < Count(); ++r) {
        const TRVTableCellData* Cell = SlotOf(this, r, Col);
        if (Cell != nullptr && Cell->ColSpan < 2 && Cell->BestWidth < 0)
            Result = std::max(Result, PercentOf(Cell->BestWidth, TableWidth));
    }
    return Result;
}

bool TRVTableRows::IsPercentWidthColumn(int Col) const
{
    for (int r = 0; r < Count(); ++r) {
        const TRVTableRow* Row = Get(r);
        if (Col >= Row->Count())
            continue;
        if (const TRVTableCellData* Cell = Row->Get(Col)) {
            if (Cell->ColSpan < 2 && Cell->BestWidth < 0)
                return true;
            continue;
        }
        int MRow = 0;
        int MCol = 0;
        const TRVTableCellData* Main = GetMainCell(r, Col, MRow, MCol);
        if (Main == nullptr || Main->BestWidth >= 0)
            continue;
        bool EndsHere = Col == Row->Count() - 1 || Row->Get(Col + 1) != nullptr;
        if (!EndsHere) {
            int NRow = 0;
            int NCol = 0;
            EndsHere = GetMainCell(r, Col + 1, NRow, NCol) != Main;
        }
        if (EndsHere)
            return true;
    }
    return false;
}
