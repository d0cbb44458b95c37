// For the tests of tables nested in cells: every table of a document at every
// depth, the content as text for failure messages, the comparison of an
// editor's layout with the one a fresh editor makes of the same document, and
// handling the messages a step defers until none is queued.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/controls/forms.h"
#include "platform/controls/winapi.h"
#include "platform/core/streams.h"
#include "table/rvtable.h"
#include "table/rvtinplace.h"
#include "tests/support/editinvariant.h"
#include "tests/support/testeditor.h"

namespace nestedtables {

// The tables that are items of Doc.
inline std::vector<TRVTableItemInfo*> TablesOf(TCustomRVData* doc)
{
    std::vector<TRVTableItemInfo*> tables;
    for (int i = 0; i < doc->GetItemCount(); ++i)
        if (auto* t = dynamic_cast<TRVTableItemInfo*>(doc->GetItem(i)))
            tables.push_back(t);
    return tables;
}

// Every table in document order, those in cells (edited or not) included.
inline std::vector<TRVTableItemInfo*> AllTables(TCustomRVData* doc)
{
    std::vector<TRVTableItemInfo*> out;
    for (TRVTableItemInfo* t : TablesOf(doc)) {
        out.push_back(t);
        for (int r = 0; r < t->Rows->Count(); ++r)
            for (int c = 0; c < t->Rows->Get(r)->Count(); ++c)
                if (TRVTableCellData* cell = t->GetCells(r, c))
                    for (TRVTableItemInfo* inner : AllTables(cell->GetRVData()))
                        out.push_back(inner);
    }
    return out;
}

// Every table with cells (AllTables without those emptied of rows or columns).
inline std::vector<TRVTableItemInfo*> TablesWithCells(TCustomRVData* doc)
{
    std::vector<TRVTableItemInfo*> tables = AllTables(doc);
    tables.erase(std::remove_if(tables.begin(), tables.end(),
                                [](auto* t) { return t->Rows->Count() == 0 || t->Rows->GetColCount() == 0; }),
                 tables.end());
    return tables;
}

// The innermost document open in an editor around Table (null in a viewer),
// and the table of that document that holds it (Table itself in an open
// document).
inline TRVEditRVData* OpenAround(TRVTableItemInfo* t, TRVTableItemInfo*& holder)
{
    holder = t;
    TCustomRVData* doc = t->GetRVData();
    while (auto* cell = dynamic_cast<TRVTableCellData*>(doc)) {
        holder = cell->GetTable();
        doc = holder->GetRVData();
    }
    return dynamic_cast<TRVEditRVData*>(doc);
}

// The items as text: "text", a paragraph's start as " | ", a table as
// { [cell] [cell] / [cell] - } with "-" for a covered slot.
inline std::string Content(TCustomRVData* doc)
{
    std::string s;
    for (int i = 0; i < doc->GetItemCount(); ++i) {
        if (i > 0)
            s += doc->GetItem(i)->CanBeBorderStart() ? " | " : " ";
        auto* t = dynamic_cast<TRVTableItemInfo*>(doc->GetItem(i));
        if (t == nullptr) {
            s += "\"" + std::string(doc->GetItemText(i)) + "\"";
            continue;
        }
        s += "{";
        for (int r = 0; r < t->Rows->Count(); ++r)
            for (int c = 0; c < t->Rows->Get(r)->Count(); ++c) {
                TRVTableCellData* cell = t->GetCells(r, c);
                s += cell == nullptr ? std::string(" -") : " [" + Content(cell->GetRVData()) + "]";
                if (c + 1 == t->Rows->Get(r)->Count())
                    s += r + 1 == t->Rows->Count() ? " " : " /";
            }
        s += "}";
    }
    return s;
}

// A table's size, row heights and column widths as laid out.
inline std::string TableSizes(TRVTableItemInfo* t)
{
    const TRVTableItemFormattingInfo& f = *t->FormattingInfo;
    std::string s = std::to_string(t->GetWidth()) + "x" + std::to_string(t->GetHeight()) + " rows";
    for (int i = 0; i < f.RowHeights.Count(); ++i)
        s += " " + std::to_string(f.RowHeights[i]);
    s += " cols";
    for (int i = 0; i < f.ColWidths.Count(); ++i)
        s += " " + std::to_string(f.ColWidths[i]);
    return s;
}

// Empty when Edit's layout (cell editors open in it included) is the one
// Fresh, an editor of the same size and style sheet, makes of the document
// Edit saves now: the lines of the document, and the size, rows and columns
// of every table at every depth; else what differs.
inline std::string FreshLayoutFault(TCustomRollViewEdit& edit, THeadlessEditor& fresh)
{
    TMemoryStream saved;
    if (!edit.SaveRVFToStream(&saved, false))
        return "not saved";
    saved.SetPosition(0);
    if (!fresh.Edit->LoadRVFFromStream(&saved))
        return "not read back";
    fresh.Edit->Format();
    std::string fault;
    const editinvariant::TLayout kept = editinvariant::LayoutOf(*edit.EditRVData());
    const editinvariant::TLayout made = editinvariant::LayoutOf(*fresh.Edit->EditRVData());
    if (!(kept == made))
        fault += "document:\n" + editinvariant::Describe(kept) + "fresh:\n" + editinvariant::Describe(made);
    const std::vector<TRVTableItemInfo*> mine = AllTables(edit.EditRVData());
    const std::vector<TRVTableItemInfo*> theirs = AllTables(fresh.Edit->EditRVData());
    if (mine.size() != theirs.size())
        return fault + "tables: " + std::to_string(mine.size()) + ", fresh " + std::to_string(theirs.size());
    for (size_t i = 0; i < mine.size(); ++i)
        if (TableSizes(mine[i]) != TableSizes(theirs[i]))
            fault += "table " + std::to_string(i) + ": " + TableSizes(mine[i]) + ", fresh " +
                     TableSizes(theirs[i]) + "\n";
    return fault;
}

// A step defers a few messages, and their handlers a few more: a queue that
// has not emptied after this many passes holds a message that a handler keeps
// posting again, and would never empty.
constexpr int SettlePassesAtMost = 1000;

// Handles messages until none that a step defers is queued: the messages of
// cell editors and their holders from WM_RVMOVEEDITOR to WM_RVGIVENOTICES (a
// move to another cell, an undo or redo passed on, an event for the viewer,
// the closed cell editors to free, the notices of a command that changed
// nothing) and CM_RELEASE (a cell editor released
// after a cell selection). Each pass handles every message queued before it,
// and their handlers may queue more; a queue that is not empty after
// SettlePassesAtMost passes fails the test, and the messages are left queued.
inline void SettleMessages()
{
    const auto queued = [] {
        return MessageQueued(WM_RVMOVEEDITOR, WM_RVGIVENOTICES) || MessageQueued(CM_RELEASE, CM_RELEASE);
    };
    for (int pass = 0; queued(); ++pass) {
        if (pass == SettlePassesAtMost) {
            ADD_FAILURE() << "deferred messages are still queued after " << pass
                          << " passes: a handler keeps posting its message again";
            return;
        }
        Application->ProcessMessages();
    }
}

} // namespace nestedtables
