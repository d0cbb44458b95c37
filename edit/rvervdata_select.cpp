// The editor's selection: the caret follows the moving end of a selection made
// with the mouse or with Shift and the caret keys, the selection starts at the
// caret when there is none, and the word around the caret can be selected.
#include "document/rvitem.h"
#include "document/rvuni.h"
#include "edit/rollviewedit.h"
#include "edit/rvervdata.h"

void TRVEditRVData::GetSelStart(int& drawItemNo, int& offs)
{
    TRollViewRVData::GetSelStart(drawItemNo, offs);
    if (drawItemNo >= 0 || CaretOffs < 0 || CaretOffs >= static_cast<int>(CharPos.size()))
        return;
    const TRVCharPos& stop = CharPos[static_cast<size_t>(CaretOffs)];
    drawItemNo = stop.DrawItemNo;
    offs = stop.Offset;
}

void TRVEditRVData::DoOnSelection()
{
    RollViewEdit()->Selecting();
    const int count = DrawItems.Count();
    if (SelEndNo < 0 || SelEndNo >= count)
        return;
    // No position rests on a list marker: the end goes to the text after it.
    if (GetItemStyle(DrawItems[SelEndNo]->ItemNo) == rvsListMarker && SelEndNo + 1 < count) {
        ++SelEndNo;
        SelEndOffs = GetOffsBeforeDrawItem(SelEndNo);
    }
    MoveCaretTo(SelEndNo, SelEndOffs);
    ChangeCaret(rvcmScrollToCaret);
}

void TRVEditRVData::SetPartialSelectedItem(TCustomRVItemInfo* item)
{
    TCustomRVItemInfo* old = PartialSelectedItem;
    TRollViewRVData::SetPartialSelectedItem(item);
    if (PartialSelectedItem != old)
        RollViewEdit()->AfterCaretMove();
}

void TRVEditRVData::DeselectPartiallySelectedItem(TCustomRVItemInfo* newItem)
{
    TCustomRVItemInfo* old = PartialSelectedItem;
    TRollViewRVData::DeselectPartiallySelectedItem(newItem);
    if (PartialSelectedItem != old)
        RollViewEdit()->AfterCaretMove();
}

void TRVEditRVData::StartShiftMoving()
{
    if (CaretOffs < 0 || CaretOffs >= static_cast<int>(CharPos.size()))
        return;
    if (SelStartNo >= 0 && SelEndNo >= 0 && SelectionExists(false, false))
        return;
    const TRVCharPos& stop = CharPos[static_cast<size_t>(CaretOffs)];
    SelStartNo = SelEndNo = stop.DrawItemNo;
    SelStartOffs = SelEndOffs = stop.Offset;
}

void TRVEditRVData::EndShiftMoving()
{
    if (CaretOffs < 0 || CaretOffs >= static_cast<int>(CharPos.size()) || SelStartNo < 0)
        return;
    const TRVCharPos& stop = CharPos[static_cast<size_t>(CaretOffs)];
    SelEndNo = stop.DrawItemNo;
    SelEndOffs = stop.Offset;
    DoOnSelection();
    DoSelect();
}

void TRVEditRVData::SelectCurrentWord()
{
    PrepareForEdit();
    const int itemNo = GetCurItemNo();
    if (itemNo < 0 || !IsTextItem(itemNo))
        return;
    const AnsiString& text = GetItemText(itemNo);
    const TRVItemOptions options = GetItemOptions(itemNo);
    const int length = RVU_Length(text, options);
    const int caret = GetOffsetInCurItem();
    int last = caret;
    while (last <= length && !IsDelimiter(text, last, options))
        ++last;
    int first = caret;
    while (first > 1 && !IsDelimiter(text, first - 1, options))
        --first;
    SetSelectionBounds(itemNo, first, itemNo, last);
    Invalidate();
}
