// Editing commands as the editor control issues them, for the editor tests:
// typing (characters put into the caret's text item with a typing record),
// inserting items and text at the caret, deleting a selection.
#pragma once

#include "document/rvitem.h"
#include "document/rvuni.h"
#include "edit/rollviewedit.h"
#include "edit/rvervdata.h"

namespace editcommands {

// The draw-item range of the caret's paragraphs, for Reformat_.
inline void CaretParaBounds(TRVEditRVData& d, int& First, int& Last)
{
    d.GetParaBounds(d.CharPos.front().DrawItemNo, d.CharPos.back().DrawItemNo, First, Last);
}

// One typed character (8-bit, or one UTF-16 unit in a Unicode item). False
// when the caret is not in an editable text item.
inline bool TypeChar(TRVEditRVData& d, unsigned Unit)
{
    const int ItemNo = d.GetCurItemNo();
    const int Pos = d.GetOffsetInCurItem();
    if (ItemNo < 0 || d.GetItemStyle(ItemNo) < 0 || d.IsProtected(ItemNo, rvprModifyProtect) ||
        d.IsItemParaProtected(ItemNo))
        return false;
    const TRVItemOptions Options = d.GetItemOptions(ItemNo);
    const bool Unicode = Options.Contains(rvioUnicode);
    const AnsiString Ch =
        Unicode ? AnsiString{char(Unit & 0xFF), char(Unit >> 8)} : AnsiString(1, char(Unit));
    int First = 0;
    int Last = 0;
    CaretParaBounds(d, First, Last);
    const int W0 = d.CalculateMinItemWidthPlusEx(ItemNo);
    AnsiString Text = d.GetItemText(ItemNo);
    RVU_Insert(Ch, Text, Pos, Options);
    d.Items->Put(ItemNo, Text);
    d.InvalidateTailLayout();
    d.UndoList->AddTyping(ItemNo, Pos, Unicode);
    // The width rule: only a changed width that reaches the document's asks for more.
    const int W1 = d.CalculateMinItemWidthPlusEx(ItemNo);
    d.Reformat_(W0 != W1 && (W1 > d.DocumentMinWidth || W0 >= d.DocumentMinWidth), First, Last, 0);
    d.SetCaretAtItem(ItemNo, Pos + 1, false);
    return true;
}

// Text put into the caret's text item as one undoable insertion (s in the item's own form).
inline bool InsertChars(TRVEditRVData& d, const AnsiString& s)
{
    const int ItemNo = d.GetCurItemNo();
    const int Pos = d.GetOffsetInCurItem();
    if (ItemNo < 0 || d.GetItemStyle(ItemNo) < 0 || d.IsProtected(ItemNo, rvprModifyProtect) ||
        d.IsItemParaProtected(ItemNo))
        return false;
    int First = 0;
    int Last = 0;
    CaretParaBounds(d, First, Last);
    d.BeginUndoSequence(rvutInsert, true);
    d.Do_InsertSubstring(ItemNo, Pos, s);
    d.Reformat_(true, First, Last, 0);
    d.SetCaretAtItem(ItemNo, Pos + RVU_Length(s, d.GetItemOptions(ItemNo)), false);
    return true;
}

// Item inserted at the caret by the editor control, as a program inserts one:
// the change protocol (OnChanging, one undo group, Change) around the data's
// insertion. The item is the editor's; false when refused.
inline bool InsertItem(TRVEditRVData& d, TCustomRVItemInfo* Item)
{
    return d.RollViewEdit()->InsertItem(AnsiString(), Item);
}

inline bool DeleteRange(TRVEditRVData& d, int StartItemNo, int StartOffs, int EndItemNo, int EndOffs)
{
    d.SetSelectionBounds(StartItemNo, StartOffs, EndItemNo, EndOffs);
    const bool Deleted = d.DeleteSelection_();
    // A refused deletion leaves the selection; the keys below work at the caret.
    if (!Deleted)
        d.Deselect(nullptr, false);
    return Deleted;
}

} // namespace editcommands
