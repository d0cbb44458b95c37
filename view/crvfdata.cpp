// The formatted-data core: construction, the default hooks, clearing, the
// small selection operations and the joining of neighbouring items.
#include "view/crvfdata.h"

#include "document/rvset.h"
#include "document/rvstyle.h"
#include "document/rvuni.h"
#include "platform/controls/controls.h"
#include "platform/core/stringlist.h"

TCustomRVFormattedData::TCustomRVFormattedData() = default;

TCustomRVFormattedData::~TCustomRVFormattedData()
{
    // The subclass that raises the viewer's events is gone by now: free what
    // the layout made without the hover and selection events that ClearTemporal
    // and Clear would raise (a subclass calls Clear in its own destructor).
    for (int i = 0; i < Jumps.Count(); ++i)
        delete static_cast<TRVJumpInfo*>(Jumps.Get(i));
    Jumps.Clear();
    DrawItems.Clear();
    TCustomRVData::Clear();
}

// ---------------------------------------------------------------------------
// Default hooks

bool TCustomRVFormattedData::GetFirstItemMarker(int& listNo, int& level)
{
    listNo = -1;
    level = -1;
    return false;
}

void TCustomRVFormattedData::GetSADForFormatting(TCanvas* canvas, TRVScreenAndDevice& sad)
{
    sad = TRVScreenAndDevice();
    sad.ScreenPpiX = ScreenPixelsPerInch();
    sad.ScreenPpiY = ScreenPixelsPerInch();
    sad.DevicePpiX = canvas != nullptr ? GetDeviceCaps(canvas, LOGPIXELSX) : 0;
    sad.DevicePpiY = canvas != nullptr ? GetDeviceCaps(canvas, LOGPIXELSY) : 0;
    // A device that does not tell its resolution is taken as the screen, so
    // that scaling never divides by or multiplies with 0.
    if (sad.DevicePpiX <= 0)
        sad.DevicePpiX = sad.ScreenPpiX;
    if (sad.DevicePpiY <= 0)
        sad.DevicePpiY = sad.ScreenPpiY;
}

void TCustomRVFormattedData::GetOrigin(int& x, int& y)
{
    x = 0;
    y = 0;
}

int TCustomRVFormattedData::GetHOffs()
{
    return 0;
}

int TCustomRVFormattedData::GetVOffs()
{
    return 0;
}

TCanvas* TCustomRVFormattedData::GetCanvas()
{
    TCustomRVData* root = GetRootData();
    if (root != this)
        if (auto* fRoot = dynamic_cast<TCustomRVFormattedData*>(root))
            return fRoot->GetCanvas();
    return nullptr;
}

TCanvas* TCustomRVFormattedData::GetFormattingCanvas()
{
    TCustomRVData* root = GetRootData();
    if (root != this)
        if (auto* fRoot = dynamic_cast<TCustomRVFormattedData*>(root))
            return fRoot->GetFormattingCanvas();
    return GetCanvas();
}

void TCustomRVFormattedData::DoSelect()
{
    TCustomRVData* root = GetRootData();
    if (root != this)
        if (auto* fRoot = dynamic_cast<TCustomRVFormattedData*>(root))
            fRoot->DoSelect();
}

void TCustomRVFormattedData::Formatted(int firstItemNo, int lastItemNo, bool partial)
{
    (void)firstItemNo;
    (void)lastItemNo;
    (void)partial;
}

void TCustomRVFormattedData::StartFormatting()
{
    State.Include(rvstSkipFormatting);
}

void TCustomRVFormattedData::EndFormatting()
{
    State.Exclude(rvstSkipFormatting);
}

// ---------------------------------------------------------------------------
// Clearing

void TCustomRVFormattedData::ClearLastJump()
{
    if (HoverJumpData != nullptr) {
        TCustomRVFormattedData* data = HoverJumpData;
        data->State.Exclude(rvstDrawHover);
        data->HoverJumpId = -1;
        data->PressedJumpId = -1;
        data->DoRVMouseMove(-1);
    }
    State.Exclude(rvstDrawHover);
    HoverJumpId = -1;
    PressedJumpId = -1;
    HoverJumpData = nullptr;
}

void TCustomRVFormattedData::ClearJumps()
{
    for (int i = 0; i < Jumps.Count(); ++i)
        delete static_cast<TRVJumpInfo*>(Jumps.Get(i));
    Jumps.Clear();
    ClearLastJump();
}

void TCustomRVFormattedData::ClearTemporal()
{
    DrawItems.Clear();
    ClearJumps();
    JumpCount = 0;
    CurrentItem = nullptr;
    MouseCaptureItem = nullptr;
    HotDrawItemNo = -1;
    HoverJumpData = nullptr;
    State.Exclude(rvstMakingSelection);
    State.Exclude(rvstDrawHover);
    LastReportedCP = nullptr;
    PressedDrawItemNo = -1;
    // Nothing is laid out any more: a tail layout must start from the top.
    FLastParaStart = TRVParaStartNote();
    ForgetOpenLine();
    FRuleDrawItems.clear();
    FLayoutUsesWidth = false;
}

void TCustomRVFormattedData::Clear()
{
    {
        TRVFlagGuard clearing(State, rvstClearing, true);
        SoftPageBreaks.reset();
        Deselect(nullptr, true);
        ClearTemporal();
        TCustomRVData::Clear();
    }
    // Nothing is laid out: the next tail layout starts from the first item.
    LastFormattedItem = -1;
    InvalidateTailLayout();
}

void TCustomRVFormattedData::DeleteItems(int firstItemNo, int count)
{
    Deselect(nullptr, true);
    TCustomRVData::DeleteItems(firstItemNo, count);
    InvalidateTailLayout();
}

void TCustomRVFormattedData::ItemTextChanged(int itemNo)
{
    (void)itemNo;
    InvalidateTailLayout();
}

void TCustomRVFormattedData::InvalidateTailLayout()
{
    // Whatever made the laid-out tail stale changed the document.
    NoteChange();
    ForgetTailLayout();
}

void TCustomRVFormattedData::ForgetOpenLine()
{
    // The rest of the note is read only while it is valid: a cleared or
    // emptied document (every cell made, cleared or freed) does not copy
    // a whole line state to forget it.
    FOpenLine.Valid = false;
    FOpenLine.Places.clear();
}

void TCustomRVFormattedData::ForgetTailLayout()
{
    FLastParaStart = TRVParaStartNote();
    ForgetOpenLine();
    FMinWidthCache = TRVMinWidthCache();
    FLayoutStale = true;
}

void TCustomRVFormattedData::InternalFreeItem(TCustomRVItemInfo* item, bool clearing)
{
    // No pointer to the item may outlive it.
    if (MouseCaptureItem == item)
        MouseCaptureItem = nullptr;
    if (CurrentItem == item)
        CurrentItem = nullptr;
    if (PartialSelectedItem == item)
        PartialSelectedItem = nullptr;
    TCustomRVData::InternalFreeItem(item, clearing);
}

// ---------------------------------------------------------------------------
// Selection

void TCustomRVFormattedData::Deselect(TCustomRVItemInfo* newPartiallySelected, bool makeEvent)
{
    // The events below may come back here.
    if (State.Contains(rvstDeselecting))
        return;
    TRVFlagGuard deselecting(State, rvstDeselecting);
    State.Exclude(rvstMakingSelection);
    SelStartNo = -1;
    SelEndNo = -1;
    SelStartOffs = 0;
    SelEndOffs = 0;
    FocusedItemNo = -1;
    DeselectPartiallySelectedItem(newPartiallySelected);
    if (makeEvent)
        DoSelect();
}

void TCustomRVFormattedData::SelectAll()
{
    if (DrawItems.Count() == 0)
        return;
    DestroyInplaceEditor();
    DeselectPartiallySelectedItem(nullptr);
    SelStartNo = 0;
    SelEndNo = DrawItems.Count() - 1;
    SelStartOffs = GetOffsBeforeDrawItem(0);
    SelEndOffs = GetOffsAfterDrawItem(SelEndNo);
    DoOnSelection();
    DoSelect();
}

void TCustomRVFormattedData::DeselectPartiallySelectedItem(TCustomRVItemInfo* newItem)
{
    if (PartialSelectedItem != nullptr && PartialSelectedItem != newItem) {
        TCustomRVItemInfo* item = PartialSelectedItem;
        PartialSelectedItem = nullptr;
        item->DeselectPartial();
    }
    TCustomRVItemInfo* chosen = GetChosenItem();
    if (chosen != nullptr && chosen != newItem) {
        TWinControl* parent = GetParentControl();
        if (parent == nullptr || (parent->ComponentState() & csDestroying) == 0)
            UnassignChosenRVData(GetChosenRVData());
    }
}

void TCustomRVFormattedData::UnassignChosenRVData(TCustomRVData* rvData)
{
    (void)rvData;
    State.Include(rvstForceStyleChangeEvent);
}

int TCustomRVFormattedData::GetOffsBeforeDrawItem(int drawItemNo) const
{
    return IsTextItem(DrawItems[drawItemNo]->ItemNo) ? 1 : 0;
}

int TCustomRVFormattedData::GetOffsAfterDrawItem(int drawItemNo) const
{
    const TRVDrawLineInfo* dli = DrawItems[drawItemNo];
    return IsTextItem(dli->ItemNo) ? dli->Length + 1 : 1;
}

// ---------------------------------------------------------------------------
// Joining items

void TCustomRVFormattedData::ConcateItems(int itemNo)
{
    TCustomRVItemInfo* item1 = GetItem(itemNo);
    TCustomRVItemInfo* item2 = GetItem(itemNo + 1);
    InvalidateTailLayout();
    const bool uni1 = item1->ItemOptions.Contains(rvioUnicode);
    const bool uni2 = item2->ItemOptions.Contains(rvioUnicode);
    if (uni1 != uni2 && !Items->GetView(itemNo + 1).empty()) {
        // Texts of two encodings cannot be one string: the second item, which
        // has text, stays and takes over the line start of the first.
        item2->ItemOptions.Set(rvioSameAsPrev, item1->ItemOptions.Contains(rvioSameAsPrev));
        item2->ItemOptions.Set(rvioBR, item1->ItemOptions.Contains(rvioBR));
        FreeItem(itemNo, false);
        Items->Delete(itemNo);
        return;
    }
    Items->Put(itemNo, Items->Get(itemNo) + Items->Get(itemNo + 1));
    FreeItem(itemNo + 1, false);
    Items->Delete(itemNo + 1);
}

void TCustomRVFormattedData::Normalize()
{
    for (int i = GetItemCount() - 1; i >= 1; --i)
        if (RV_CanConcateItems(i - 1, GetItem(i - 1), GetItem(i), false))
            ConcateItems(i - 1);
}
