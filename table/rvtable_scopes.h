// The scopes a table's operation runs in: what it records is one undo step
// of the document that records the table's changes (TRVTableStep), a table
// in a cell no editor edits lies in a hidden editor meanwhile
// (TRVTemporalCellEdit), and the program hears of what the operation did once
// it is done (TRVTableTells). TRVTableOperation holds the last two.
#pragma once

#include <memory>

#include "platform/core/callhold.h"
#include "view/rollview.h"

class TCustomRollViewEdit;
class TRVEditRVData;
class TRVTableCellData;
class TRVTableItemInfo;

// For the time of one operation on a table that lies in a cell no editor
// edits, with an editor's document around it that records undo, the table
// lies in an editor as a table of that document does, so that the operation
// records its steps as there: the cell's items move into a hidden editor of
// the cell's table (that table put into one of its own first when it lies in
// such a cell too), and when the scope ends they move back and what the
// operation recorded, as one group, becomes one cell-edit record of the
// document around the cell's table. Undo then finds every cell by rows and
// columns that only recorded operations have changed. Anywhere else (a
// table in a document or in an edited cell, not inserted, in a viewer, or
// where nothing records) the scope does nothing. A scope opened inside
// another one's operation finds the table in an editor already.
class TRVTemporalCellEdit {
public:
    explicit TRVTemporalCellEdit(TRVTableItemInfo* table);
    ~TRVTemporalCellEdit();
    TRVTemporalCellEdit(const TRVTemporalCellEdit&) = delete;
    TRVTemporalCellEdit& operator=(const TRVTemporalCellEdit&) = delete;

private:
    // The scope that put the cell's table into an editor, when it needed one.
    std::unique_ptr<TRVTemporalCellEdit> FOuter;
    // The cell's table and the cell; the hidden editor holding the cell's
    // items (null: the scope does nothing).
    TRVTableItemInfo* FHolder = nullptr;
    TRVTableCellData* FCell = nullptr;
    std::unique_ptr<TCustomRollViewEdit> FEditor;
    // The table's item in the cell, where undoing puts the cell's caret.
    int FItemNo = 0;
};

// One undo step of the document that records a table's changes, for a
// scope: a group opened there, joined by what the scope records (group mode),
// dropped at the end when it recorded nothing.
class TRVTableStep {
public:
    explicit TRVTableStep(const TRVTableItemInfo* table);
    ~TRVTableStep();
    TRVTableStep(const TRVTableStep&) = delete;
    TRVTableStep& operator=(const TRVTableStep&) = delete;

private:
    TRVEditRVData* FData;
};

// The program hears of what an operation of a table's own API does (the
// tables' OnCellEndEdit, then the viewers' notices) once the operation has
// done it, its handlers free to change the table or take it out of the
// document. Every public operation that changes a table, and every cell
// editor closing, holds one for its length; nested ones, on this table or
// another, tell as the outermost ends: a handler never finds an editor half
// closed (its items not yet back in its cell) or a table half changed.
class TRVTableTells {
public:
    TRVTableTells() = default;
    TRVTableTells(const TRVTableTells&) = delete;
    TRVTableTells& operator=(const TRVTableTells&) = delete;

    // Tells Table's OnCellEndEdit of a cell editor's end: at once, or as the
    // outermost scope held ends.
    static void TellEndEdit(TRVTableItemInfo* table, int row, int col, bool clearing);

private:
    // The operation is the tables' code running: nothing frees a table under
    // it (TCustomRVItemInfo::CallsProgramCode), also when the operation
    // deletes the table itself, nor before the ends held are told.
    TCallHold FHold;
    TRVNoticeHold FNotices;
    // Destroyed first: the ends are told before the notices and the hold go.
    TRVEndEditsHeld FEnds;
};

// An operation of a table's own API, for a scope: told as TRVTableTells
// says; for a table in a cell no editor edits, the cell's items lie in a
// hidden editor meanwhile (TRVTemporalCellEdit).
class TRVTableOperation {
public:
    explicit TRVTableOperation(TRVTableItemInfo* table) : FInEditor(table) {}

private:
    TRVTableTells FTells;
    TRVTemporalCellEdit FInEditor;
};
