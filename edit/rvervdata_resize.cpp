// TRVEditRVData: the item resizer. While exactly one resizable item (a picture
// or a control) is selected in an editable editor, its handles are painted
// over the document; the mouse drags them, showing the new size as a dotted
// inverted frame, and the release resizes the item as one undo group. A click
// on such an item selects it.
#include <algorithm>
#include <memory>

#include "document/rvitem.h"
#include "document/rvitem_pictures.h"
#include "document/rvstyle.h"
#include "document/rvstyle_para.h"
#include "edit/rollviewedit.h"
#include "edit/rvervdata.h"
#include "edit/rvresize.h"
#include "edit/rvundorecords.h"
#include "platform/controls/cursors.h"

// ---------------------------------------------------------------------------
// The resizer's life

void TRVEditRVData::CreateResizer()
{
    const bool had = Resizer != nullptr;
    Resizer.reset();
    TCustomRollViewEdit* editor = RollViewEdit();
    if (editor && !editor->GetReadOnly() && !editor->EditorOptions().Contains(rvoNoImageResize) &&
        GetRVStyle() && SelectionExists(false, false)) {
        const int itemNo = GetSelectedWholeItemNo();
        TCustomRVItemInfo* item = itemNo >= 0 ? GetItem(itemNo) : nullptr;
        int drawItemNo = -1;
        if (item && item->StyleNo < 0 && item->GetBoolValue(rvbpResizable) &&
            !IsParaProtected(item->ParaNo, rvpaoReadOnly))
            Item2FirstDrawItem(itemNo, drawItemNo);
        if (drawItemNo >= 0) {
            Resizer = std::make_unique<TRVItemResizer>(DrawItems[drawItemNo], item, drawItemNo);
            if (item->GetBoolValue(rvbpResizeHandlesOutside))
                Resizer->Position = rvhpOutside;
        }
    }
    if (had || Resizer)
        Invalidate();
}

void TRVEditRVData::UpdateResizer()
{
    if (!Resizer)
        return;
    const int drawItemNo = Resizer->DrawItemNo;
    if (drawItemNo < 0 || drawItemNo >= DrawItems.Count() || DrawItems[drawItemNo] != Resizer->DrawItem ||
        Resizer->DrawItem->ItemNo >= GetItemCount() || GetItem(Resizer->DrawItem->ItemNo) != Resizer->Item)
        CreateResizer();
}

void TRVEditRVData::DoSelect()
{
    TRollViewRVData::DoSelect();
    CreateResizer();
}

void TRVEditRVData::PostPaintTo(TCanvas* canvas, int xShift, int yShift, int firstDrawItem, int lastDrawItem)
{
    TRollViewRVData::PostPaintTo(canvas, xShift, yShift, firstDrawItem, lastDrawItem);
    UpdateResizer();
    if (Resizer)
        Resizer->Draw(canvas, xShift, yShift);
}

bool TRVEditRVData::GetResizeHandleAt(int x, int y, TRVResizeHandleIndex& index)
{
    UpdateResizer();
    return Resizer && Resizer->GetResizeHandleAt(x, y, GetHOffs(), GetVOffs(), index);
}

// ---------------------------------------------------------------------------
// The mouse

void TRVEditRVData::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    FMouseDownDrawItemNo = FindDrawItemAtPos(x + GetHOffs(), y + GetVOffs());
    UpdateResizer();
    if (button == mbLeft && Resizer && Resizer->MouseDown(x, y, GetHOffs(), GetVOffs())) {
        XorDrawing();
        SetCursor(crCross);
        return;
    }
    TRollViewRVData::MouseDown(button, shift, x, y);
}

void TRVEditRVData::MouseMove(TShiftState shift, int x, int y)
{
    UpdateResizer();
    TRVResizeHandleIndex index = rvrhLeftTop;
    if (Resizer && Resizer->Dragging()) {
        ClearXorDrawing();
        Resizer->DragTo(shift, x, y, GetHOffs(), GetVOffs());
        XorDrawingEx(x, y);
    } else if (GetResizeHandleAt(x, y, index)) {
        SetCursor(TRVItemResizer::GetResizeHandleCursor(index));
    } else {
        TRollViewRVData::MouseMove(shift, x, y);
    }
}

void TRVEditRVData::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    UpdateResizer();
    if (!Resizer || (!Resizer->Dragging() && !Resizer->Cancelled())) {
        TRollViewRVData::MouseUp(button, shift, x, y);
        return;
    }
    const bool dragging = Resizer->Dragging();
    if (dragging)
        ClearXorDrawing();
    Resizer->MouseUp();
    if (!dragging)
        return; // the release after Esc
    SetCursor(GetNormalCursor());
    ResizeItem(Resizer->ItemNo, Resizer->Width, Resizer->Height);
}

void TRVEditRVData::XorDrawing()
{
    if (!Resizer || !Resizer->Dragging()) {
        TRollViewRVData::XorDrawing();
        return;
    }
    Resizer->XorDrawing(RollViewEdit()->Canvas(), GetHOffs(), GetVOffs());
    XorDrawn = !XorDrawn;
}

bool TRVEditRVData::CancelResize()
{
    if (!Resizer || !Resizer->Dragging())
        return false;
    ClearXorDrawing();
    Resizer->CancelDrag();
    SetCursor(GetNormalCursor());
    return true;
}

void TRVEditRVData::AdjustMouseUpSelection()
{
    // A click on a resizable item selects it whole, which shows its handles.
    if (SelStartNo != SelEndNo || SelStartOffs != SelEndOffs || SelEndNo < 0 ||
        SelEndNo >= DrawItems.Count() || SelEndNo != FMouseDownDrawItemNo)
        return;
    const int itemNo = DrawItems[SelEndNo]->ItemNo;
    if (IsTextItem(itemNo) || !GetItem(itemNo)->GetBoolValue(rvbpResizable))
        return;
    SelStartOffs = 0;
    SelEndOffs = 1;
}

// ---------------------------------------------------------------------------
// Resizing

void TRVEditRVData::ResizeItem(int itemNo, int width, int height)
{
    if (itemNo < 0 || itemNo >= GetItemCount())
        return;
    TCustomRVItemInfo* item = GetItem(itemNo);
    if (const auto* rect = dynamic_cast<const TRVRectItemInfo*>(item)) {
        width -= 2 * rect->Spacing;
        height -= 2 * rect->Spacing;
    }
    width = std::max(width, 1);
    height = std::max(height, 1);
    TCustomRollViewEdit* editor = RollViewEdit();
    if (!editor->BeforeChange(false))
        return;
    BeginUndoSequence(rvutModifyItem, true);
    SetUndoGroupMode(true);
    int firstDi = -1;
    Item2FirstDrawItem(itemNo, firstDi);
    int paraFirst = 0;
    int paraLast = 0;
    if (firstDi >= 0)
        GetParaBounds(firstDi, firstDi, paraFirst, paraLast);
    // A wider item is noticed by the layout; a narrower one matters only where
    // its paragraphs were as wide as the document.
    const bool mayShrink = firstDi < 0 || ReachesDocMinWidth(paraFirst, paraLast);
    if (dynamic_cast<TRVControlItemInfo*>(item)) {
        // Laid out below with the picture's case.
        Do_Resize(itemNo, width, height, false);
    } else {
        Do_ExtraIntProperty(itemNo, rvepImageHeight, height);
        Do_ExtraIntProperty(itemNo, rvepImageWidth, width);
    }
    Reformat_(mayShrink, firstDi < 0 ? -1 : paraFirst, firstDi < 0 ? -1 : paraLast, 0);
    // The item stays selected with its handles.
    SetCaretAtItem(itemNo, 1, false);
    SetSelectionBounds(itemNo, 0, itemNo, 1);
    SetUndoGroupMode(false);
    Change();
}
