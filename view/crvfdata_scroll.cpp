// The services of a laid-out document that run after its view changed: the
// checkpoint-visible event after scrolling, scrolling a rectangle into view,
// the keyboard focus among items, the XOR overlay, mouse capture by items,
// the partially selected item, the background palette and the page starts
// of a print job; and the event hooks that pass to the root data.
#include <algorithm>
#include <memory>

#include "document/rvprintsvc.h"
#include "document/rvset.h"
#include "document/rvstyle.h"
#include "platform/controls/controls.h"
#include "view/crvfdata.h"
#include "view/rollview.h"
#include "view/rvback.h"

namespace {

// The root data when it is another formatted document than Data; null otherwise.
TCustomRVFormattedData* OtherRoot(TCustomRVFormattedData* data)
{
    TCustomRVData* root = data->GetRootData();
    return root != data ? dynamic_cast<TCustomRVFormattedData*>(root) : nullptr;
}

} // namespace

// ---------------------------------------------------------------------------
// Hooks passed to the root data

bool TCustomRVFormattedData::IsAssignedRVDblClick()
{
    TCustomRVFormattedData* root = OtherRoot(this);
    return root != nullptr && root->IsAssignedRVDblClick();
}

bool TCustomRVFormattedData::IsAssignedRVRightClick()
{
    TCustomRVFormattedData* root = OtherRoot(this);
    return root != nullptr && root->IsAssignedRVRightClick();
}

void TCustomRVFormattedData::DoRVDblClick(const AnsiString& clickedWord, int styleNo)
{
    if (TCustomRVFormattedData* root = OtherRoot(this))
        root->DoRVDblClick(clickedWord, styleNo);
}

void TCustomRVFormattedData::DoRVRightClick(const AnsiString& clickedWord, int styleNo, int x, int y)
{
    if (TCustomRVFormattedData* root = OtherRoot(this))
        root->DoRVRightClick(clickedWord, styleNo, x, y);
}

TCPEventKind TCustomRVFormattedData::GetCPEventKind()
{
    TCustomRVFormattedData* root = OtherRoot(this);
    return root != nullptr ? root->GetCPEventKind() : cpeNone;
}

bool TCustomRVFormattedData::IsAssignedCopy()
{
    TCustomRVFormattedData* root = OtherRoot(this);
    return root != nullptr && root->IsAssignedCopy();
}

void TCustomRVFormattedData::DoCopy()
{
    if (TCustomRVFormattedData* root = OtherRoot(this))
        root->DoCopy();
}

void TCustomRVFormattedData::AssignChosenRVData(TCustomRVData* rvData, TCustomRVItemInfo* item)
{
    (void)rvData;
    (void)item;
}

void TCustomRVFormattedData::SilentReplaceChosenRVData(TCustomRVData* rvData)
{
    (void)rvData;
}

// ---------------------------------------------------------------------------
// Checkpoints coming into view

void TCustomRVFormattedData::AfterVScroll()
{
    if (!IsAssignedCheckpointVisible())
        return;
    const TCPEventKind kind = GetCPEventKind();
    if (kind == cpeNone)
        return;
    const int top = GetVOffs();
    const int bottom = top + GetHeight();
    const int count = DrawItems.Count();
    // The Y of a checkpoint: the top of its item's first draw item; false for
    // an item that is not laid out.
    auto yOf = [&](const TRVCPInfo* cp, int& y) {
        const int drawItemNo = FindDrawItemOfItem(cp->ItemInfo);
        if (drawItemNo < 0 || drawItemNo >= count)
            return false;
        y = DrawItems[drawItemNo]->Top;
        return true;
    };
    auto report = [&](TRVCPInfo* cp) {
        if (cp == LastReportedCP)
            return;
        LastReportedCP = cp;
        DoCheckpointVisible(cp);
    };
    auto reportNone = [&]() {
        if (LastReportedCP == nullptr)
            return;
        LastReportedCP = nullptr;
        DoCheckpointVisible(nullptr);
    };

    // The first checkpoint that raises the event at or below the top of the view.
    TRVCPInfo* found = nullptr;
    int foundY = 0;
    for (TRVCPInfo* cp = FirstCP; cp != nullptr; cp = cp->Next) {
        if (!cp->RaiseEvent)
            continue;
        int y;
        if (!yOf(cp, y))
            return;
        if (y >= top) {
            found = cp;
            foundY = y;
            break;
        }
    }
    const bool endInView = NotAddedCP != nullptr && NotAddedCP->RaiseEvent && DocumentHeight < bottom;

    if (kind == cpeAsSectionStart) {
        if (found != nullptr) {
            if (foundY <= bottom) {
                report(found);
            } else {
                // The view lies inside the section of the checkpoint above it.
                TRVCPInfo* prev = found->Prev;
                while (prev != nullptr && !prev->RaiseEvent)
                    prev = prev->Prev;
                if (prev != nullptr)
                    report(prev);
            }
        } else if (endInView) {
            report(NotAddedCP);
        } else {
            TRVCPInfo* last = LastCP;
            while (last != nullptr && !last->RaiseEvent)
                last = last->Prev;
            int y;
            if (last != nullptr && yOf(last, y) && y <= top)
                report(last);
        }
        return;
    }

    // cpeWhenVisible
    if (found != nullptr && foundY <= bottom)
        report(found);
    else if (found == nullptr && endInView)
        report(NotAddedCP);
    else
        reportNone();
}

// ---------------------------------------------------------------------------
// Scrolling into view

void TCustomRVFormattedData::ShowRectangle(int left, int top, int width, int height)
{
    if (GetHOffs() > left || GetHOffs() + GetWidth() < left + width)
        HScrollTo(left - GetWidth() / 4);
    const int bottom = top + height;
    const int step = GetVSmallStep();
    const int vOffs = GetVOffs();
    // A rectangle that already fills the view stays where it is.
    if (bottom > vOffs + GetHeight() - 2 * step && top < vOffs + step)
        return;
    if (bottom <= vOffs + GetHeight()) {
        if (top < vOffs)
            ScrollTo(top, true);
        return;
    }
    ScrollTo(bottom - GetHeight() + step, true);
}

// ---------------------------------------------------------------------------
// Keyboard focus among the items

int TCustomRVFormattedData::GetNextFocusedItem(int itemNo, bool GoForward, TCustomRVData*& TopFocusedRVData,
                                               int& TopFocusedItemNo)
{
    const int count = GetItemCount();
    if (FocusedItemNo < -1 || FocusedItemNo >= count)
        FocusedItemNo = -1;
    TRVStyle* rvStyle = GetRVStyle();
    auto TakesFocus = [&](int i) { return GetItem(i)->GetBoolValueEx(rvbpAllowsFocus, rvStyle); };
    // The item itself, or an item inside it, takes the focus.
    auto Try = [&](int i) {
        if (TakesFocus(i)) {
            TopFocusedRVData = this;
            TopFocusedItemNo = i;
            return true;
        }
        return GetItem(i)->MoveFocus(GoForward, TopFocusedRVData, TopFocusedItemNo);
    };
    const bool inside = itemNo >= 0 && itemNo < count;
    if (GoForward) {
        // An item that does not take the focus itself may move it inside itself.
        const int start = inside && !TakesFocus(itemNo) ? itemNo : std::max(itemNo + 1, 0);
        for (int i = start; i < count; ++i)
            if (Try(i))
                return i;
    } else {
        int start = itemNo < 0 ? count - 1 : (inside && !TakesFocus(itemNo) ? itemNo : itemNo - 1);
        for (int i = std::min(start, count - 1); i >= 0; --i)
            if (Try(i))
                return i;
    }
    return -1;
}

void TCustomRVFormattedData::ClearFocus()
{
    if (FocusedItemNo >= 0 && FocusedItemNo < GetItemCount())
        GetItem(FocusedItemNo)->ClearFocus();
    else
        FocusedItemNo = -1;
}

void TCustomRVFormattedData::AdjustFocus(int newFocusedItemNo, TCustomRVData* topFocusedRvData,
                                         int topFocusedItemNo)
{
    (void)topFocusedRvData;
    (void)topFocusedItemNo;
    FocusedItemNo = newFocusedItemNo;
}

// ---------------------------------------------------------------------------
// The XOR overlay

void TCustomRVFormattedData::XorDrawing()
{
    if (!XorDrawingHandler) {
        XorDrawn = false;
        return;
    }
    XorDrawingHandler(this, TShiftState(), XorX, XorY);
    XorDrawn = !XorDrawn;
}

void TCustomRVFormattedData::XorDrawingEx(int x, int y)
{
    XorX = x;
    XorY = y;
    XorDrawing();
}

void TCustomRVFormattedData::AssignXorDrawing(const TRVXorDrawingEvent& handler, const void* owner)
{
    ClearXorDrawing();
    XorDrawingHandler = handler;
    XorDrawingOwner = owner;
}

void TCustomRVFormattedData::UnAssignXorDrawing(const void* owner)
{
    if (!UsingThisXorDrawing(owner))
        return;
    TWinControl* control = GetParentControl();
    if (XorDrawn && (control == nullptr || (control->ComponentState() & csDestroying) == 0))
        XorDrawing();
    XorDrawn = false;
    XorDrawingHandler = nullptr;
    XorDrawingOwner = nullptr;
}

bool TCustomRVFormattedData::UsingThisXorDrawing(const void* owner) const
{
    return XorDrawingHandler && XorDrawingOwner == owner;
}

bool TCustomRVFormattedData::ClearXorDrawing()
{
    if (!XorDrawn)
        return false;
    XorDrawing();
    XorDrawn = false;
    return true;
}

// ---------------------------------------------------------------------------
// Mouse capture and the partially selected item

void TCustomRVFormattedData::SetMouseCapture(TCustomRVItemInfo* item, int& left, int& top)
{
    left = 0;
    top = 0;
    const int itemNo = GetItemNo(item);
    if (itemNo < 0)
        return;
    const int count = DrawItems.Count();
    if (HotDrawItemNo < 0 || HotDrawItemNo >= count || DrawItems[HotDrawItemNo]->ItemNo != itemNo)
        Item2FirstDrawItem(itemNo, HotDrawItemNo);
    if (HotDrawItemNo >= 0 && HotDrawItemNo < count) {
        left = DrawItems[HotDrawItemNo]->Left;
        top = DrawItems[HotDrawItemNo]->Top;
    } else {
        HotDrawItemNo = -1;
    }
    MouseCaptureItem = item;
}

void TCustomRVFormattedData::ReleaseMouseCapture(TCustomRVItemInfo* item)
{
    if (MouseCaptureItem == item)
        MouseCaptureItem = nullptr;
}

void TCustomRVFormattedData::SetPartialSelectedItem(TCustomRVItemInfo* item)
{
    if (item == PartialSelectedItem)
        return;
    Deselect(item, true);
    PartialSelectedItem = item;
    DoSelect();
}

// ---------------------------------------------------------------------------
// Background palette and the page starts of a print job

void TCustomRVFormattedData::UpdateBackgroundPaletteInfo(TRVBackground* background)
{
    if (background == nullptr)
        return;
    TCustomRVData* root = GetRootData();
    TRVFlagGuard changing(State, rvstChangingBkPalette);
    background->UpdatePaletted(root->GetDoInPaletteMode(), root->GetRVPalette(), root->GetRVLogPalette());
}

void TCustomRVFormattedData::AssignSoftPageBreaks(TRVPrintServices* printServices)
{
    if (printServices == nullptr)
        throw ERollViewError(errRVNilParameter);
    auto list = std::make_unique<TRVSoftPageBreakList>();
    const int pages = printServices->GetPagesCount();
    const int itemCount = GetItemCount();
    for (int page = 1; page <= pages; ++page) {
        int itemNo = -1, offs = 0, extra = -1;
        printServices->GetFirstItemOnPageEx(page, itemNo, offs, extra);
        // A page start outside this document (another document was paginated)
        // has no place to be shown.
        if (itemNo < 0 || itemNo >= itemCount)
            continue;
        auto info = std::make_unique<TRVSoftPageBreakInfo>();
        info->ItemNo = itemNo;
        info->OffsetInItem = offs;
        info->ExtraData = extra;
        list->Add(info.get());
        info.release();
    }
    SoftPageBreaks = std::move(list);
    if (GetOptions().Contains(rvoShowPageBreaks))
        Invalidate();
}

void TCustomRVFormattedData::ClearSoftPageBreaks()
{
    SoftPageBreaks.reset();
}

// ---------------------------------------------------------------------------
// Deleted styles

void TCustomRVFormattedData::AfterDeleteStyles(TRVIntegerList* textStylesShift,
                                               TRVIntegerList* paraStylesShift,
                                               TRVIntegerList* listStylesShift)
{
    if (auto* editor = dynamic_cast<TCustomRollView*>(GetInplaceEditor()))
        editor->RVData->AfterDeleteStyles(textStylesShift, paraStylesShift, listStylesShift);
}
