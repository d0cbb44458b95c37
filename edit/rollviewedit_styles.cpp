// The editor control's style operations: text and paragraph styles and their
// conversions, list markers and page breaks, each refused as any change is
// and passed on to an open cell editor.
#include "document/rvstyle.h"
#include "document/rvstyle_text.h"
#include "edit/rollviewedit.h"
#include "platform/controls/dialogs.h"

// ---------------------------------------------------------------------------
// Text and paragraph styles

void TCustomRollViewEdit::ApplyParaStyle(int paraNo)
{
    if (TCustomRollViewEdit* inner = CellEditor()) {
        inner->ApplyParaStyle(paraNo);
        return;
    }
    if (!BeforeChange(false))
        return;
    EditRVData()->BeginUndoSequence(rvutPara, true);
    EditRVData()->ApplyParaStyle(paraNo, false);
}

void TCustomRollViewEdit::ApplyTextStyleConversionProc(TCustomRollViewEdit*, int styleNo, int userData,
                                                       bool appliedToText, int& newStyleNo)
{
    if (appliedToText && Style()->TextStyles()->Items(styleNo)->Protection().Contains(rvprStyleProtect))
        return;
    newStyleNo = userData;
}

void TCustomRollViewEdit::ApplyTextStyle(int styleNo)
{
    if (TCustomRollViewEdit* inner = CellEditor()) {
        inner->ApplyTextStyle(styleNo);
        return;
    }
    if (!BeforeChange(false))
        return;
    CurStyleConversion = [this](TCustomRollViewEdit* sender, int style, int userData, bool appliedToText,
                                int& newStyleNo) {
        ApplyTextStyleConversionProc(sender, style, userData, appliedToText, newStyleNo);
    };
    EditRVData()->ApplyStyleConversion_(styleNo);
}

void TCustomRollViewEdit::ApplyStyleConversion(int userData)
{
    if (TCustomRollViewEdit* inner = CellEditor()) {
        inner->ApplyStyleConversion(userData);
        return;
    }
    if (!OnStyleConversion || !BeforeChange(false))
        return;
    CurStyleConversion = OnStyleConversion;
    EditRVData()->ApplyStyleConversion_(userData);
}

void TCustomRollViewEdit::ApplyParaStyleConversion(int userData)
{
    if (TCustomRollViewEdit* inner = CellEditor()) {
        inner->ApplyParaStyleConversion(userData);
        return;
    }
    if (!OnParaStyleConversion || !BeforeChange(false))
        return;
    EditRVData()->BeginUndoSequence(rvutPara, true);
    CurStyleConversion = OnParaStyleConversion;
    EditRVData()->ApplyParaStyle(userData, true);
}

// ---------------------------------------------------------------------------
// Lists

void TCustomRollViewEdit::ApplyListStyle(int listNo, int listLevel, int startFrom, bool useStartFrom,
                                         bool recursive)
{
    if (!BeforeChange(false))
        return;
    GetTopLevelEditor()->EditRVData()->ApplyListStyle(listNo, listLevel, startFrom, useStartFrom, recursive,
                                                      rvplopChange);
}

void TCustomRollViewEdit::RemoveLists(bool recursive)
{
    if (!BeforeChange(false))
        return;
    GetTopLevelEditor()->EditRVData()->ApplyListStyle(-1, -1, -1, false, recursive, rvplopRemove);
}

void TCustomRollViewEdit::ChangeListLevels(int levelDelta)
{
    if (!BeforeChange(false))
        return;
    GetTopLevelEditor()->EditRVData()->ApplyListStyle(-1, levelDelta, -1, false, false, rvplopLevel);
}

// ---------------------------------------------------------------------------
// Page breaks

void TCustomRollViewEdit::InsertPageBreak()
{
    if (CellEditor()) {
        Beep();
        return;
    }
    if (!BeforeChange(false))
        return;
    EditRVData()->InsertPageBreak();
}

void TCustomRollViewEdit::RemoveCurrentPageBreak()
{
    if (CellEditor()) {
        Beep();
        return;
    }
    if (!BeforeChange(false))
        return;
    TRVEditRVData* data = EditRVData();
    const int curItemNo = data->GetCurItemNo();
    if (curItemNo < 0)
        return;
    // The break stands before the line: at the item that starts the caret's line.
    const int itemNo = data->GetFirstParaSectionItem(curItemNo);
    data->BeginUndoSequence(rvutRemovePageBreak, true);
    data->Do_PageBreak(itemNo, false);
    Change();
    Invalidate();
}
