// The formatted-data core: construction, the default hooks, clearing, the
// small selection operations and the joining of neighbouring items.
#include "view/crvfdata.h"

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

bool TCustomRVFormattedData::GetFirstItemMarker(int& ListNo, int& Level)
{
    ListNo = -1;
    Level = -1;
    return false;
}

void TCustomRVFormattedData::GetSADForFormatting(TCanvas* Canvas, TRVScreenAndDevice& sad)
{
    sad = TRVScreenAndDevice();
    sad.ScreenPpiX = ScreenPixelsPerInch();
    sad.ScreenPpiY = ScreenPixelsPerInch();
    sad.DevicePpiX = Canvas != nullptr ? GetDeviceCaps(Canvas, LOGPIXELSX) : 0;
    sad.DevicePpiY = Canvas != nullptr ? GetDeviceCaps(Canvas, LOGPIXELSY) : 0;
    // A device that does not tell its resolution is taken as the screen, so
    // that scaling never divides by or multiplies with 0.
    if (sad.DevicePpiX <= 0)
        sad.DevicePpiX = sad.ScreenPpiX;
    if (sad.DevicePpiY <= 0)
        sad.DevicePpiY = sad.ScreenPpiY;
}

void TCustomRVFormattedData::GetOrigin(int& X, int& Y)
{
    X = 0;
    Y = 0;
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
    TCustomRVData* Root = GetRootData();
    if (Root != this)
        if (auto* FRoot = dynamic_cast<TCustomRVFormattedData*>(Root))
            return FRoot->GetCanvas();
    return nullptr;
}

void TCustomRVFormattedData::DoSelect()
{
    TCustomRVData* Root = GetRootData();
    if (Root != this)
        if (auto* FRoot = dynamic_cast<TCustomRVFormattedData*>(Root))
            FRoot->DoSelect();
}

void TCustomRVFormattedData::Formatted(int FirstItemNo, int LastItemNo, bool Partial)
{
    (void)FirstItemNo;
    (void)LastItemNo;
    (void)Partial;
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
        TCustomRVFormattedData* Data = HoverJumpData;
        Data->State.Exclude(rvstDrawHover);
        Data->HoverJumpId = -1;
        Data->PressedJumpId = -1;
        Data->DoRVMouseMove(-1);
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
    FLayoutUsesWidth = false;
}

void TCustomRVFormattedData::Clear()
{
    const bool WasClearing = State.Contains(rvstClearing);
    State.Include(rvstClearing);
    try {
        SoftPageBreaks.reset();
        Deselect(nullptr, true);
        ClearTemporal();
        TCustomRVData::Clear();
    } catch (...) {
        if (!WasClearing)
            State.Exclude(rvstClearing);
        throw;
    }
    if (!WasClearing)
        State.Exclude(rvstClearing);
    // Nothing is laid out: the next tail layout starts from the first item.
    LastFormattedItem = -1;
    InvalidateTailLayout();
}

void TCustomRVFormattedData::DeleteItems(int FirstItemNo, int Count)
{
    Deselect(nullptr, true);
    TCustomRVData::DeleteItems(FirstItemNo, Count);
    InvalidateTailLayout();
}

void TCustomRVFormattedData::ItemTextChanged(int ItemNo)
{
    (void)ItemNo;
    InvalidateTailLayout();
}

void TCustomRVFormattedData::InvalidateTailLayout()
{
    FLastParaStart = TRVParaStartNote();
    FMinWidthCache = TRVMinWidthCache();
    FLayoutStale = true;
}

void TCustomRVFormattedData::InternalFreeItem(TCustomRVItemInfo* Item, bool Clearing)
{
    // No pointer to the item may outlive it.
    if (MouseCaptureItem == Item)
        MouseCaptureItem = nullptr;
    if (CurrentItem == Item)
        CurrentItem = nullptr;
    if (PartialSelectedItem == Item)
        PartialSelectedItem = nullptr;
    TCustomRVData::InternalFreeItem(Item, Clearing);
}

// ---------------------------------------------------------------------------
// Selection

void TCustomRVFormattedData::Deselect(TCustomRVItemInfo* NewPartiallySelected, bool MakeEvent)
{
    // The events below may come back here.
    if (State.Contains(rvstDeselecting))
        return;
    State.Include(rvstDeselecting);
    try {
        State.Exclude(rvstMakingSelection);
        SelStartNo = -1;
        SelEndNo = -1;
        SelStartOffs = 0;
        SelEndOffs = 0;
        FocusedItemNo = -1;
        DeselectPartiallySelectedItem(NewPartiallySelected);
        if (MakeEvent)
            DoSelect();
    } catch (...) {
        State.Exclude(rvstDeselecting);
        throw;
    }
    State.Exclude(rvstDeselecting);
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

void TCustomRVFormattedData::DeselectPartiallySelectedItem(TCustomRVItemInfo* NewItem)
{
    if (PartialSelectedItem != nullptr && PartialSelectedItem != NewItem) {
        TCustomRVItemInfo* Item = PartialSelectedItem;
        PartialSelectedItem = nullptr;
        Item->DeselectPartial();
    }
    TCustomRVItemInfo* Chosen = GetChosenItem();
    if (Chosen != nullptr && Chosen != NewItem) {
        TWinControl* Parent = GetParentControl();
        if (Parent == nullptr || (Parent->ComponentState() & csDestroying) == 0)
            UnassignChosenRVData(GetChosenRVData());
    }
}

void TCustomRVFormattedData::UnassignChosenRVData(TCustomRVData* RVData)
{
    (void)RVData;
    State.Include(rvstForceStyleChangeEvent);
}

int TCustomRVFormattedData::GetOffsBeforeDrawItem(int DrawItemNo) const
{
    return GetItemStyle(DrawItems[DrawItemNo]->ItemNo) >= 0 ? 1 : 0;
}

int TCustomRVFormattedData::GetOffsAfterDrawItem(int DrawItemNo) const
{
    const TRVDrawLineInfo* dli = DrawItems[DrawItemNo];
    return GetItemStyle(dli->ItemNo) >= 0 ? dli->Length + 1 : 1;
}

// ---------------------------------------------------------------------------
// Joining items

void TCustomRVFormattedData::ConcateItems(int ItemNo)
{
    TCustomRVItemInfo* Item1 = GetItem(ItemNo);
    TCustomRVItemInfo* Item2 = GetItem(ItemNo + 1);
    InvalidateTailLayout();
    const bool Uni1 = Item1->ItemOptions.Contains(rvioUnicode);
    const bool Uni2 = Item2->ItemOptions.Contains(rvioUnicode);
    if (Uni1 != Uni2 && !Items->Get(ItemNo + 1).empty()) {
        // Texts of two encodings cannot be one string: the second item, which
        // has text, stays and takes over the line start of the first.
        Item2->ItemOptions.Set(rvioSameAsPrev, Item1->ItemOptions.Contains(rvioSameAsPrev));
        Item2->ItemOptions.Set(rvioBR, Item1->ItemOptions.Contains(rvioBR));
        FreeItem(ItemNo, false);
        Items->Delete(ItemNo);
        return;
    }
    Items->Put(ItemNo, Items->Get(ItemNo) + Items->Get(ItemNo + 1));
    FreeItem(ItemNo + 1, false);
    Items->Delete(ItemNo + 1);
}

void TCustomRVFormattedData::Normalize()
{
    for (int i = GetItemCount() - 1; i >= 1; --i)
        if (RV_CanConcateItems(i - 1, GetItem(i - 1), GetItem(i), false))
            ConcateItems(i - 1);
}
