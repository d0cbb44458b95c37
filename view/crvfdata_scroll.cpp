// The services of a laid-out document that run after its view changed: the
// checkpoint-visible event after scrolling, scrolling a rectangle into view,
// the keyboard focus among items, the XOR overlay, mouse capture by items,
// the partially selected item, the background palette and the page starts
// of a print job; and the event hooks that pass to the root data.
#include <algorithm>
#include <memory>

#include "document/rvprintsvc.h"
#include "document/rvstyle.h"
#include "platform/controls/controls.h"
#include "view/crvfdata.h"
#include "view/rollview.h"
#include "view/rvback.h"

namespace {

// The root data when it is another formatted document than Data; null otherwise.
TCustomRVFormattedData* OtherRoot(TCustomRVFormattedData* Data)
{
    TCustomRVData* Root = Data->GetRootData();
    return Root != Data ? dynamic_cast<TCustomRVFormattedData*>(Root) : nullptr;
}

} // namespace

// ---------------------------------------------------------------------------
// Hooks passed to the root data

bool TCustomRVFormattedData::IsAssignedRVDblClick()
{
    TCustomRVFormattedData* Root = OtherRoot(this);
    return Root != nullptr && Root->IsAssignedRVDblClick();
}

bool TCustomRVFormattedData::IsAssignedRVRightClick()
{
    TCustomRVFormattedData* Root = OtherRoot(this);
    return Root != nullptr && Root->IsAssignedRVRightClick();
}

void TCustomRVFormattedData::DoRVDblClick(const AnsiString& ClickedWord, int StyleNo)
{
    if (TCustomRVFormattedData* Root = OtherRoot(this))
        Root->DoRVDblClick(ClickedWord, StyleNo);
}

void TCustomRVFormattedData::DoRVRightClick(const AnsiString& ClickedWord, int StyleNo, int X, int Y)
{
    if (TCustomRVFormattedData* Root = OtherRoot(this))
        Root->DoRVRightClick(ClickedWord, StyleNo, X, Y);
}

TCPEventKind TCustomRVFormattedData::GetCPEventKind()
{
    TCustomRVFormattedData* Root = OtherRoot(this);
    return Root != nullptr ? Root->GetCPEventKind() : cpeNone;
}

bool TCustomRVFormattedData::IsAssignedCopy()
{
    TCustomRVFormattedData* Root = OtherRoot(this);
    return Root != nullptr && Root->IsAssignedCopy();
}

void TCustomRVFormattedData::DoCopy()
{
    if (TCustomRVFormattedData* Root = OtherRoot(this))
        Root->DoCopy();
}

void TCustomRVFormattedData::AssignChosenRVData(TCustomRVData* RVData, TCustomRVItemInfo* Item)
{
    (void)RVData;
    (void)Item;
}

void TCustomRVFormattedData::SilentReplaceChosenRVData(TCustomRVData* RVData)
{
    (void)RVData;
}

// ---------------------------------------------------------------------------
// Checkpoints coming into view

void TCustomRVFormattedData::AfterVScroll()
{
    if (!IsAssignedCheckpointVisible())
        return;
    const TCPEventKind Kind = GetCPEventKind();
    if (Kind == cpeNone)
        return;
    const int Top = GetVOffs();
    const int Bottom = Top + GetHeight();
    const int Count = DrawItems.Count();
    // The Y of a checkpoint: the top of its item's first draw item; false for
    // an item that is not laid out.
    auto YOf = [&](const TRVCPInfo* cp, int& Y) {
        const TCustomRVItemInfo* Item = cp->ItemInfo;
        if (Item == nullptr || Item->DrawItemNo < 0 || Item->DrawItemNo >= Count)
            return false;
        Y = DrawItems[Item->DrawItemNo]->Top;
        return true;
    };
    auto Report = [&](TRVCPInfo* cp) {
        if (cp == LastReportedCP)
            return;
        LastReportedCP = cp;
        DoCheckpointVisible(cp);
    };
    auto ReportNone = [&]() {
        if (LastReportedCP == nullptr)
            return;
        LastReportedCP = nullptr;
        DoCheckpointVisible(nullptr);
    };

    // The first checkpoint that raises the event at or below the top of the view.
    TRVCPInfo* Found = nullptr;
    int FoundY = 0;
    for (TRVCPInfo* cp = FirstCP; cp != nullptr; cp = cp->Next) {
        if (!cp->RaiseEvent)
            continue;
        int Y;
        if (!YOf(cp, Y))
            return;
        if (Y >= Top) {
            Found = cp;
            FoundY = Y;
            break;
        }
    }
    const bool EndInView = NotAddedCP != nullptr && NotAddedCP->RaiseEvent && DocumentHeight < Bottom;

    if (Kind == cpeAsSectionStart) {
        if (Found != nullptr) {
            if (FoundY <= Bottom) {
                Report(Found);
            } else {
                // The view lies inside the section of the checkpoint above it.
                TRVCPInfo* Prev = Found->Prev;
                while (Prev != nullptr && !Prev->RaiseEvent)
                    Prev = Prev->Prev;
                if (Prev != nullptr)
                    Report(Prev);
            }
        } else if (EndInView) {
            Report(NotAddedCP);
        } else {
            TRVCPInfo* Last = LastCP;
            while (Last != nullptr && !Last->RaiseEvent)
                Last = Last->Prev;
            int Y;
            if (Last != nullptr && YOf(Last, Y) && Y <= Top)
                Report(Last);
        }
        return;
    }

    // cpeWhenVisible
    if (Found != nullptr && FoundY <= Bottom)
        Report(Found);
    else if (Found == nullptr && EndInView)
        Report(NotAddedCP);
    else
        ReportNone();
}

// ---------------------------------------------------------------------------
// Scrolling into view

void TCustomRVFormattedData::ShowRectangle(int Left, int Top, int Width, int Height)
{
    if (GetHOffs() > Left || GetHOffs() + GetWidth() < Left + Width)
        HScrollTo(Left - GetWidth() / 4);
    const int Bottom = Top + Height;
    const int Step = GetVSmallStep();
    const int VOffs = GetVOffs();
    // A rectangle that already fills the view stays where it is.
    if (Bottom > VOffs + GetHeight() - 2 * Step && Top < VOffs + Step)
        return;
    if (Bottom <= VOffs + GetHeight()) {
        if (Top < VOffs)
            ScrollTo(Top, true);
        return;
    }
    ScrollTo(Bottom - GetHeight() + Step, true);
}

// ---------------------------------------------------------------------------
// Keyboard focus among the items

int TCustomRVFormattedData::GetNextFocusedItem(int ItemNo, bool GoForward, TCustomRVData*& TopFocusedRVData,
                                               int& TopFocusedItemNo)
{
    const int Count = GetItemCount();
    if (FocusedItemNo < -1 || FocusedItemNo >= Count)
        FocusedItemNo = -1;
    TRVStyle* RVStyle = GetRVStyle();
    auto TakesFocus = [&](int i) { return GetItem(i)->GetBoolValueEx(rvbpAllowsFocus, RVStyle); };
    // The item itself, or an item inside it, takes the focus.
    auto Try = [&](int i) {
        if (TakesFocus(i)) {
            TopFocusedRVData = this;
            TopFocusedItemNo = i;
            return true;
        }
        return GetItem(i)->MoveFocus(GoForward, TopFocusedRVData, TopFocusedItemNo);
    };
    const bool Inside = ItemNo >= 0 && ItemNo < Count;
    if (GoForward) {
        // An item that does not take the focus itself may move it inside itself.
        const int Start = Inside && !TakesFocus(ItemNo) ? ItemNo : std::max(ItemNo + 1, 0);
        for (int i = Start; i < Count; ++i)
            if (Try(i))
                return i;
    } else {
        int Start = ItemNo < 0 ? Count - 1 : (Inside && !TakesFocus(ItemNo) ? ItemNo : ItemNo - 1);
        for (int i = std::min(Start, Count - 1); i >= 0; --i)
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

void TCustomRVFormattedData::AdjustFocus(int NewFocusedItemNo, TCustomRVData* TopFocusedRVData,
                                         int TopFocusedItemNo)
{
    (void)TopFocusedRVData;
    (void)TopFocusedItemNo;
    FocusedItemNo = NewFocusedItemNo;
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

void TCustomRVFormattedData::XorDrawingEx(int X, int Y)
{
    XorX = X;
    XorY = Y;
    XorDrawing();
}

void TCustomRVFormattedData::AssignXorDrawing(const TRVXorDrawingEvent& Handler, const void* Owner)
{
    ClearXorDrawing();
    XorDrawingHandler = Handler;
    XorDrawingOwner = Owner;
}

void TCustomRVFormattedData::UnAssignXorDrawing(const void* Owner)
{
    if (!UsingThisXorDrawing(Owner))
        return;
    TWinControl* Control = GetParentControl();
    if (XorDrawn && (Control == nullptr || (Control->ComponentState() & csDestroying) == 0))
        XorDrawing();
    XorDrawn = false;
    XorDrawingHandler = nullptr;
    XorDrawingOwner = nullptr;
}

bool TCustomRVFormattedData::UsingThisXorDrawing(const void* Owner) const
{
    return XorDrawingHandler && XorDrawingOwner == Owner;
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

void TCustomRVFormattedData::SetMouseCapture(TCustomRVItemInfo* Item, int& Left, int& Top)
{
    Left = 0;
    Top = 0;
    const int ItemNo = GetItemNo(Item);
    if (ItemNo < 0)
        return;
    const int Count = DrawItems.Count();
    if (HotDrawItemNo < 0 || HotDrawItemNo >= Count || DrawItems[HotDrawItemNo]->ItemNo != ItemNo)
        Item2FirstDrawItem(ItemNo, HotDrawItemNo);
    if (HotDrawItemNo >= 0 && HotDrawItemNo < Count) {
        Left = DrawItems[HotDrawItemNo]->Left;
        Top = DrawItems[HotDrawItemNo]->Top;
    } else {
        HotDrawItemNo = -1;
    }
    MouseCaptureItem = Item;
}

void TCustomRVFormattedData::ReleaseMouseCapture(TCustomRVItemInfo* Item)
{
    if (MouseCaptureItem == Item)
        MouseCaptureItem = nullptr;
}

void TCustomRVFormattedData::SetPartialSelectedItem(TCustomRVItemInfo* Item)
{
    if (Item == PartialSelectedItem)
        return;
    Deselect(Item, true);
    PartialSelectedItem = Item;
    DoSelect();
}

// ---------------------------------------------------------------------------
// Background palette and the page starts of a print job

void TCustomRVFormattedData::UpdateBackgroundPaletteInfo(TRVBackground* Background)
{
    if (Background == nullptr)
        return;
    TCustomRVData* Root = GetRootData();
    State.Include(rvstChangingBkPalette);
    try {
        Background->UpdatePaletted(Root->GetDoInPaletteMode(), Root->GetRVPalette(), Root->GetRVLogPalette());
    } catch (...) {
        State.Exclude(rvstChangingBkPalette);
        throw;
    }
    State.Exclude(rvstChangingBkPalette);
}

void TCustomRVFormattedData::AssignSoftPageBreaks(TRVPrintServices* PrintServices)
{
    if (PrintServices == nullptr)
        throw ERollViewError(errRVNilParameter);
    auto List = std::make_unique<TRVSoftPageBreakList>();
    const int Pages = PrintServices->GetPagesCount();
    const int ItemCount = GetItemCount();
    for (int Page = 1; Page <= Pages; ++Page) {
        int ItemNo = -1, Offs = 0, Extra = -1;
        PrintServices->GetFirstItemOnPageEx(Page, ItemNo, Offs, Extra);
        // A page start outside this document (another document was paginated)
        // has no place to be shown.
        if (ItemNo < 0 || ItemNo >= ItemCount)
            continue;
        auto Info = std::make_unique<TRVSoftPageBreakInfo>();
        Info->ItemNo = ItemNo;
        Info->OffsetInItem = Offs;
        Info->ExtraData = Extra;
        List->Add(Info.get());
        Info.release();
    }
    SoftPageBreaks = std::move(List);
    if (GetOptions().Contains(rvoShowPageBreaks))
        Invalidate();
}

void TCustomRVFormattedData::ClearSoftPageBreaks()
{
    SoftPageBreaks.reset();
}

// ---------------------------------------------------------------------------
// Deleted styles

void TCustomRVFormattedData::AfterDeleteStyles(TRVIntegerList* TextStylesShift,
                                               TRVIntegerList* ParaStylesShift,
                                               TRVIntegerList* ListStylesShift)
{
    if (auto* Editor = dynamic_cast<TCustomRollView*>(GetInplaceEditor()))
        Editor->RVData->AfterDeleteStyles(TextStylesShift, ParaStylesShift, ListStylesShift);
}
