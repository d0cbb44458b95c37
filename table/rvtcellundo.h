// The composite undo records of tables: edits made inside cells are kept as
// whole undo groups nested in one record of the document's list. A cell's own
// editing (its in-place editor's groups) becomes a TRVUndoCellModify; one
// change applied to several selected cells, a TRVUndoMultiCellsModify.
#pragma once

#include <memory>
#include <vector>

#include "table/rvtable_undo.h"

// A record that holds undo groups of a sub-document in a list of its own.
class TRVCompositeUndo : public TRVUndoTableProps {
public:
    // The nested groups play as redo (the record lives in the redo list).
    bool IsRedo = false;
    std::unique_ptr<TRVUndoList> UndoList;
};

// The groups of one cell's in-place editor. Alone in its group (the edits of
// one cell editor, handed over when it closed), undoing opens the editor on
// the cell, hands it the groups and has it undo (redo) the last one there:
// the cell's edits come back one by one. In a group with other records (a
// program's undo group spanning cells, or the opposite of one), the group is
// one step: every nested group is played in the cell, as for several cells,
// and the opposite record keeps what that made. So it is too, alone or not,
// when it is among the groups of an outer cell that a temporary editor plays
// (a table nested in that cell): no cell editor opens in an editor not shown.
// And so it is for the step of an operation made on a table in a cell no
// editor edited (Hidden): its undo leaves the cell unedited, as it was before
// the operation, and opens no editor (laid out and painted) for it.
class TRVUndoCellModify : public TRVCompositeUndo {
public:
    int Row = -1;
    int Col = -1;
    int CaretItemNo = 0;
    int CaretOffs = 0;
    // Made by an operation on a table in the cell while no editor edited it.
    bool Hidden = false;
    // Opened in an editor, the editor lays out what it changes itself.
    bool RequiresFormat() override { return !AloneInGroup() || Hidden; }
    bool RequiresFullReformat1(TRVEditRVData* rvData) override;
    bool RequiresFullReformat2(TRVEditRVData* rvData) override;
    void Undo(TRVEditRVData* rvData) override;

private:
    bool AloneInGroup() const;
    // Whether the groups are played in a temporary editor, the cell left
    // unedited: as one step (see above).
    bool PlaysHidden(TRVEditRVData* rvData) const;
};

// One change applied to several cells: for each cell (Rows[i], Cols[i]) the
// next GroupCounts[i] nested groups, undone in a temporary editor.
class TRVUndoMultiCellsModify : public TRVCompositeUndo {
public:
    std::vector<int> Rows;
    std::vector<int> Cols;
    std::vector<int> GroupCounts;
    bool RequiresFormat() override { return true; }
    // The cells' changes may change the table's minimum width: measured as
    // for any property change that affects the width (records of this class
    // are always made so).
    bool RequiresFullReformat1(TRVEditRVData* rvData) override
    {
        return TRVUndoModifyItemProps::RequiresFullReformat1(rvData);
    }
    bool RequiresFullReformat2(TRVEditRVData* rvData) override
    {
        return TRVUndoModifyItemProps::RequiresFullReformat2(rvData);
    }
    void Undo(TRVEditRVData* rvData) override;
};

// The editor data whose undo lists dispose of what their records keep: the
// outermost document's, which outlives every cell editor opened inside it (an
// item kept by a record of a nested cell's edits may hold a table whose cells
// are freed with it). Data itself when it is no part of an editor's document.
TRVEditRVData* RVUndoOwnerData(TCustomRVData* data);
// List, and the lists of the composite records its groups hold (and of those
// nested in them), dispose of what they keep through Owner from now on.
void RVAdoptUndoList(TRVUndoList& list, TRVEditRVData* owner);
// Plays the first Count groups of List (undo, or redo with Redo) in the cell
// at (Row, Col) of Table, in a temporary editor of the table (Editor), laid
// out only with the table; the groups that playing made move to the end of
// Opposite (when given). ERollViewError "Undo error" without that cell.
// ChangedItemNo (when not -1): the groups change that item of the cell alone,
// which alone is laid out again afterwards (see TRVTableCellData::LendItems).
void RVPlayCellGroups(TRVTableItemInfo* table, TCustomRollViewEdit* editor, int row, int col,
                      TRVUndoList& list, int count, bool redo, TRVUndoList* opposite, int changedItemNo = -1);
// Moves the first Count groups of From to the end of To (in order). The lists
// of composite records among them (a table's inside a cell) go with To's
// document: a list made in a temporary editor never outlives it naming it.
void RVMoveUndoGroups(TRVUndoList& from, TRVUndoList& to, int count);
