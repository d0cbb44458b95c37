// The grid checker every table test runs after a structural operation, and a
// fixture holding a table in a headless editor: a paragraph, the table (each
// cell holding the text "r,c" of its slot) and a paragraph.
#pragma once

#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "document/rvstyle.h"
#include "edit/rvervdata.h"
#include "table/rvtable.h"
#include "tests/support/editinvariant.h"
#include "tests/support/testeditor.h"

namespace tablegrid {

// Empty when the grid is sound: every row has the same number of slots (at
// least one); every span lies inside the grid; every slot is covered by
// exactly one cell, and only its top-left slot holds it; every cell knows its row.
inline std::string GridFault(const TRVTableRows& rows)
{
    std::ostringstream out;
    const int rowCount = rows.Count();
    const int colCount = rowCount > 0 ? rows.Get(0)->Count() : 0;
    if (rowCount == 0 || colCount == 0)
        return "a grid without slots";
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

// Tables are kept apart from the text-editing fixture: the table layer has a
// switch named like a constant of the Unicode helpers.
class TTableEditFixture : public ::testing::Test {
protected:
    TTableEditFixture()
    {
        RV_RegisterTableItem();
        d = Editor.NewEditor(&Style);
    }
    void AddText(const char* text) { d->AddNL(text, 0, 0); }
    void Caret(int itemNo, int offs) { d->SetCaretAtItem(itemNo, offs, false); }

    // The editor's document: "before", the table, "after"; laid out, caret at the start.
    TRVTableItemInfo* NewTable(int rowCount, int colCount)
    {
        AddText("before");
        Table = new TRVTableItemInfo(rowCount, colCount, d);
        for (int r = 0; r < rowCount; ++r)
            for (int c = 0; c < colCount; ++c)
                SetCellText(r, c, std::to_string(r) + "," + std::to_string(c));
        d->AddItem(AnsiString(), Table);
        AddText("after");
        d->FormatAll();
        Caret(0, 1);
        return Table;
    }
    void SetCellText(int r, int c, const std::string& text)
    {
        TRVTableCellData* cell = Table->GetCells(r, c);
        cell->Clear();
        cell->AddNL(AnsiString(text), 0, 0);
    }
    // The texts of a cell's items joined by "/".
    std::string CellText(int r, int c) const
    {
        TRVTableCellData* cell = Table->GetCells(r, c);
        std::string s;
        for (int i = 0; i < cell->GetItemCount(); ++i)
            s += (i ? "/" : "") + std::string(cell->GetItemText(i));
        return s;
    }
    // Runs a table command as the editor does: one undo group around it, the
    // table laid out again, then the change; checks the grid and, when the
    // document changed, that undo and redo give back both states.
    bool Command(const std::string& name, const std::function<void()>& operation)
    {
        Caret(0, 1);
        const bool changed = editinvariant::Run(*d, name, [&] {
            Table->InitUndo();
            try {
                operation();
            } catch (...) {
                Table->DoneUndo();
                throw;
            }
            Table->DoneUndo();
            Table->Changed();
            d->FormatAll();
            Caret(0, 1);
        });
        EXPECT_EQ(tablegrid::GridFault(*Table->Rows), "") << name << ": " << tablegrid::Shape(*Table->Rows);
        return changed;
    }

    TRVStyle Style{nullptr};
    THeadlessEditor Editor;
    TRVEditRVData* d = nullptr;
    TRVTableItemInfo* Table = nullptr;
};
