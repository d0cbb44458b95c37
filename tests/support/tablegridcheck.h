// The grid checker of tables, free of the test framework so that fuzz
// targets use it too.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "table/rvtable.h"

namespace tablegrid {

// Empty when the grid is sound: every row has the same number of slots (an
// empty table has no rows, or rows without slots); every span lies inside the
// grid; every slot is covered by exactly one cell, and only its top-left slot
// holds it; every cell knows its row.
inline std::string GridFault(const TRVTableRows& rows)
{
    std::ostringstream out;
    const int rowCount = rows.Count();
    const int colCount = rowCount > 0 ? rows.Get(0)->Count() : 0;
    std::vector<int> cover(static_cast<size_t>(rowCount * colCount), 0);
    for (int r = 0; r < rowCount; ++r) {
        const TRVTableRow* row = rows.Get(r);
        if (row->Count() != colCount) {
            out << "row " << r << " has " << row->Count() << " slots, row 0 " << colCount;
            return out.str();
        }
        for (int c = 0; c < colCount; ++c) {
            const TRVTableCellData* cell = row->Get(c);
            if (cell == nullptr)
                continue;
            if (cell->List != row)
                out << "cell (" << r << "," << c << ") does not know its row; ";
            if (cell->RowSpan < 1 || cell->ColSpan < 1 || r + cell->RowSpan > rowCount ||
                c + cell->ColSpan > colCount) {
                out << "cell (" << r << "," << c << ") spans " << cell->ColSpan << "x" << cell->RowSpan
                    << " outside the grid";
                return out.str();
            }
            for (int rr = r; rr < r + cell->RowSpan; ++rr)
                for (int cc = c; cc < c + cell->ColSpan; ++cc)
                    ++cover[static_cast<size_t>(rr * colCount + cc)];
        }
    }
    for (int r = 0; r < rowCount; ++r)
        for (int c = 0; c < colCount; ++c)
            if (const int n = cover[static_cast<size_t>(r * colCount + c)]; n != 1)
                out << "slot (" << r << "," << c << ") covered " << n << " times; ";
    return out.str();
}

// The grid as text, one row a line: a cell as "ColSpanxRowSpan", an empty slot as ".".
inline std::string Shape(const TRVTableRows& rows)
{
    std::string s;
    for (int r = 0; r < rows.Count(); ++r) {
        for (int c = 0; c < rows.Get(r)->Count(); ++c) {
            const TRVTableCellData* cell = rows.Get(r)->Get(c);
            s += cell == nullptr ? std::string(".")
                                 : std::to_string(cell->ColSpan) + "x" + std::to_string(cell->RowSpan);
            s += ' ';
        }
        s += '|';
    }
    return s;
}

} // namespace tablegrid
