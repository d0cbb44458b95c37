// The grid checker (tablegridcheck.h) every table test runs after a
// structural operation, and a fixture holding a table in a headless editor:
// a paragraph, the table (each cell holding the text "r,c" of its slot) and a
// paragraph.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "document/rvstyle.h"
#include "edit/rvervdata.h"
#include "table/rvtable.h"
#include "tests/support/editinvariant.h"
#include "tests/support/tablegridcheck.h"
#include "tests/support/testeditor.h"

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
