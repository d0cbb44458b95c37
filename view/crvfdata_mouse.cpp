// The mouse on a laid-out document: the draw item under the pointer,
// hyperlinks lit on hover and fired on click, input forwarded to items, drag
// selection, double click on a word; and keeping the drag, hover and pressed
// hyperlink across a layout.
#include <algorithm>
#include <memory>

#include "document/rvstyle.h"
#include "document/rvuni.h"
#include "platform/controls/controls.h"
#include "platform/controls/winapi.h"
#include "platform/core/codepages.h"
#include "platform/core/stringlist.h"
#include "view/crvfdata.h"

namespace {

// The clicked word as events carry it: ANSI text as it is, a Unicode item's
// word in UTF-8, which holds every character (no code page loses any).
AnsiString WordAsText(TCustomRVFormattedData* Data, int ItemNo, const AnsiString& Word)
{
    if (ItemNo < 0 || !Data->GetItemOptions(ItemNo).Contains(rvioUnicode))
        return Word;
    return RVU_UnicodeToAnsi(CP_UTF8, Word);
}

void FocusParentControl(TCustomRVFormattedData* Data)
{
    TWinControl* Control = Data->GetParentControl();
    if (Control != nullptr && Control->CanFocus())
        Control->SetFocus();
}

// The item that holds draw item HotDrawItemNo, or null.
TCustomRVItemInfo* HotItem(TCustomRVFormattedData* Data, const TRVDrawLineInfo*& dli)
{
    dli = nullptr;
    const int Hot = Data->HotDrawItemNo;
    if (Hot < 0 || Hot >= Data->DrawItems.Count())
        return nullptr;
    dli = Data->DrawItems[Hot];
    return Data->GetItem(dli->ItemNo);
}

// A mouse move for the item under the pointer, in its own coordinates; the
// normal cursor unless the item set one.
void MoveOverHotItem(TCustomRVFormattedData* Data, TShiftState Shift, int X, int Y)
{
    const TRVDrawLineInfo* dli;
    bool Handled = false;
    if (TCustomRVItemInfo* Item = HotItem(Data, dli))
        Handled = Item->MouseMove(Shift, X - (dli->Left - Data->GetZHOffs()),
                                  Y - (dli->Top - Data->GetZVOffs()), dli->ItemNo, Data);
    if (!Handled)
        Data->SetCursor(Data->GetNormalCursor());
}

// The draw-item position under a client point for the moving end of a drag
// selection; a point outside the visible area counts as on its edge.
void SelectionPointAt(TCustomRVFormattedData* Data, int X, int Y, int& DrawItemNo, int& DrawOffs)
{
    if (!Data->GetFlags().Contains(rvflMouseXYAlwaysCorrect)) {
        int Width = Data->GetWidth();
        int Height = Data->GetHeight();
        Data->ZoomInt(Width);
        Data->ZoomInt(Height);
        X = std::clamp(X, 0, std::max(Width, 0));
        Y = std::clamp(Y, 0, std::max(Height, 0));
    }
    Data->FindDrawItemForSel(X + Data->GetZHOffs(), Y + Data->GetZVOffs(), DrawItemNo, DrawOffs, false);
}

// The first hyperlink rectangle holding a client point (of hyperlink Id
// unless that is -1); null when none. A press and its release count the
// rectangle's right and bottom edges as inside (Edges), hover does not.
const TRVJumpInfo* JumpAt(TCustomRVFormattedData* Data, int X, int Y, bool Edges, int Id = -1)
{
    const int HOffs = Data->GetZHOffs();
    const int VOffs = Data->GetZVOffs();
    const int Extra = Edges ? 1 : 0;
    for (int i = 0; i < Data->Jumps.Count(); ++i) {
        const auto* Jump = static_cast<const TRVJumpInfo*>(Data->Jumps.Get(i));
        if (Id != -1 && Jump->Id != Id)
            continue;
        if (RV_PointInRect(X, Y, Jump->Left - HOffs, Jump->Top - VOffs, Jump->Width + Extra,
                           Jump->Height + Extra))
            return Jump;
    }
    return nullptr;
}

// The item of the root data that holds item ItemNo of Data (itself at the root).
int RootItemNo(TCustomRVData* Data, int ItemNo)
{
    TCustomRVData* Root = Data->GetRootData();
    while (Data != nullptr && Data != Root && ItemNo >= 0) {
        TRVStoreSubRVData* Location = nullptr;
        Data->GetParentInfo(ItemNo, Location);
        delete Location;
        Data = Data->GetParentData();
    }
    return ItemNo;
}

} // namespace

// ---------------------------------------------------------------------------
// Coordinates and the cursor

int TCustomRVFormattedData::GetZHOffs()
{
    int V = GetHOffs();
    ZoomInt(V);
    return V;
}

int TCustomRVFormattedData::GetZVOffs()
{
    int V = GetVOffs();
    ZoomInt(V);
    return V;
}

void TCustomRVFormattedData::SetCursor(TCursor Cursor)
{
    if (TWinControl* Control = GetParentControl())
        Control->SetCursor(Cursor);
}

TPoint TCustomRVFormattedData::ClientToScreen(const TPoint& P)
{
    TWinControl* Control = GetParentControl();
    return Control != nullptr ? Control->ClientToScreen(P) : P;
}

TPoint TCustomRVFormattedData::ScreenToClient(const TPoint& P)
{
    TWinControl* Control = GetParentControl();
    return Control != nullptr ? Control->ScreenToClient(P) : P;
}

// ---------------------------------------------------------------------------
// The draw item and the hyperlink under the pointer

void TCustomRVFormattedData::SearchHotItem(int X, int Y, int HOffs, int VOffs)
{
    if (MouseCaptureItem != nullptr)
        return;
    X += HOffs;
    Y += VOffs;
    if (HotDrawItemNo >= 0 && HotDrawItemNo < DrawItems.Count()) {
        const TRVDrawLineInfo* dli = DrawItems[HotDrawItemNo];
        if (RV_PointInRect(X, Y, dli->Left, dli->Top, dli->Width, dli->Height))
            return;
    }
    HotDrawItemNo = FindDrawItemAtPos(X, Y);
}

namespace {

// Hyperlink hover for a mouse move at a client point of the data that holds
// the hyperlink rectangles (Data): the cursor, the hover event when the
// hovered hyperlink changes, and the hover look of hyperlinks that have one.
void TrackHover(TCustomRVFormattedData* Data, TShiftState Shift, int X, int Y)
{
    if (const TRVJumpInfo* Jump = JumpAt(Data, X, Y, false)) {
        Data->SetCursor(Jump->Cursor);
        TCustomRVFormattedData* Owner = Jump->RVData != nullptr ? Jump->RVData : Data;
        TCustomRVFormattedData* Old = Data->HoverJumpData;
        const bool Same = Old == Owner && Owner->HoverJumpId == Jump->Id;
        if (!Same)
            Data->DoRVMouseMove(Data->FirstJumpNo + Jump->Id);
        if (Old != nullptr && !Same) {
            if (Old->State.Contains(rvstDrawHover)) {
                Old->State.Exclude(rvstDrawHover);
                Data->InvalidateJumpRect(Old->HoverJumpId);
            }
            if (Old != Owner)
                Old->HoverJumpId = -1;
        }
        Owner->HoverJumpId = Jump->Id;
        Owner->HotDrawItemNo = Jump->DrawItemNo;
        Data->HoverJumpData = Owner;
        if (Owner->State.Contains(rvstDrawHover) || Jump->DrawItemNo < 0 ||
            Jump->DrawItemNo >= Owner->DrawItems.Count())
            return;
        const TCustomRVItemInfo* Item = Owner->GetItem(Owner->DrawItems[Jump->DrawItemNo]->ItemNo);
        if (Item->GetBoolValueEx(rvbpHotColdJump, Owner->GetRVStyle())) {
            Owner->State.Include(rvstDrawHover);
            Data->InvalidateJumpRect(Jump->Id);
        }
        return;
    }
    if (TCustomRVFormattedData* Old = Data->HoverJumpData) {
        const int OldId = Old->HoverJumpId;
        Old->State.Exclude(rvstDrawHover);
        Data->InvalidateJumpRect(OldId);
        Old->HoverJumpId = -1;
        Old->HotDrawItemNo = -1;
        Data->HoverJumpData = nullptr;
        Data->DoRVMouseMove(-1);
        // The hyperlink's draw item stood for the draw item under the pointer.
        Data->SearchHotItem(X, Y, Data->GetZHOffs(), Data->GetZVOffs());
    }
    MoveOverHotItem(Data, Shift, X, Y);
}

} // namespace

// ---------------------------------------------------------------------------
// Mouse messages

void TCustomRVFormattedData::MouseMove(TShiftState Shift, int X, int Y)
{
    ZoomInt(X);
    ZoomInt(Y);
    ClearXorDrawing();
    if (MouseCaptureItem != nullptr) {
        MoveOverHotItem(this, Shift, X, Y);
    } else {
        if (State.Contains(rvstMakingSelection)) {
            int No, Offs;
            SelectionPointAt(this, X, Y, No, Offs);
            if (No >= 0 && (No != SelEndNo || Offs != SelEndOffs)) {
                SelEndNo = No;
                SelEndOffs = Offs;
                DoOnSelection();
                Invalidate();
            }
        }
        SearchHotItem(X, Y, GetZHOffs(), GetZVOffs());
        if (GetFlags().Contains(rvflUseJumps))
            TrackHover(this, Shift, X, Y);
        else
            MoveOverHotItem(this, Shift, X, Y);
    }
    XorDrawingEx(X, Y);
}

void TCustomRVFormattedData::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    ZoomInt(X);
    ZoomInt(Y);
    const int HOffs = GetZHOffs();
    const int VOffs = GetZVOffs();
    SearchHotItem(X, Y, HOffs, VOffs);
    PressedDrawItemNo = HotDrawItemNo;

    int ItemNo = -1;
    const TRVDrawLineInfo* dli;
    if (TCustomRVItemInfo* Item = HotItem(this, dli)) {
        ItemNo = dli->ItemNo;
        if (Item != PartialSelectedItem && Item != GetChosenItem()) {
            DeselectPartiallySelectedItem(nullptr);
            if (!Shift.Contains(ssDouble))
                FocusParentControl(this);
        }
        if (TWinControl* Editor = GetInplaceEditor())
            if (!Item->OwnsInplaceEditor(Editor)) {
                DestroyInplaceEditor();
                FocusParentControl(this);
            }
        Item->MouseDown(Button, Shift, X - (dli->Left - HOffs), Y - (dli->Top - VOffs), ItemNo, this);
    } else if (GetInplaceEditor() != nullptr) {
        DestroyInplaceEditor();
        FocusParentControl(this);
    }

    const bool Editing = GetInplaceEditor() != nullptr;
    if (!Editing && IsAssignedRVMouseDown())
        DoRVMouseDown(Button, Shift, ItemNo, X, Y);
    if (!Editing && Button == mbLeft) {
        const TRVJumpInfo* Jump = JumpAt(this, X, Y, true);
        PressedJumpId = Jump != nullptr ? Jump->Id : -1;
    }
    if (MouseCaptureItem != nullptr || Editing) {
        if (HotDrawItemNo != -1) {
            SelStartNo = SelEndNo = HotDrawItemNo;
            SelStartOffs = SelEndOffs = 1;
            DoOnSelection();
        }
        return;
    }
    if (Button != mbLeft || State.Contains(rvstIgnoreNextMouseDown))
        return;

    const TRVOptions Options = GetOptions();
    if (Options.Contains(rvoSingleClick) && IsAssignedRVDblClick()) {
        AnsiString Word;
        int StyleNo, WordItemNo, Offs;
        TCustomRVFormattedData* Data;
        if (FindWordAt(Word, X, Y, StyleNo, WordItemNo, Offs, Data))
            DoRVDblClick(WordAsText(Data, WordItemNo, Word), StyleNo);
    }
    if (Options.Contains(rvoAllowSelection) && Shift.Contains(ssLeft)) {
        DeselectPartiallySelectedItem(nullptr);
        int StartNo, StartOffs;
        GetSelStart(StartNo, StartOffs);
        FindDrawItemForSel(X + HOffs, Y + VOffs, SelEndNo, SelEndOffs, false);
        // A click starts anew; Shift+click moves the moving end of a selection
        // that has a start. Where there is no position (no draw items) there
        // is no selection either.
        if (SelEndNo == -1) {
            SelEndOffs = 0;
            SelStartNo = -1;
            SelStartOffs = 0;
        } else if (Shift.Contains(ssShift) && StartNo != -1) {
            SelStartNo = StartNo;
            SelStartOffs = StartOffs;
        } else {
            SelStartNo = SelEndNo;
            SelStartOffs = SelEndOffs;
        }
        if (SelEndNo != -1)
            State.Include(rvstMakingSelection);
        else
            State.Exclude(rvstMakingSelection);
        DoOnSelection();
        Invalidate();
    }
}

void TCustomRVFormattedData::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    ZoomInt(X);
    ZoomInt(Y);
    const bool SelectionWasThere = SelectionExists(true, true);
    if (MouseCaptureItem == nullptr) {
        State.Exclude(rvstIgnoreNextMouseDown);
        if (State.Contains(rvstMakingSelection) && Button == mbLeft) {
            int No, Offs;
            SelectionPointAt(this, X, Y, No, Offs);
            if (No >= 0) {
                SelEndNo = No;
                SelEndOffs = Offs;
            }
            State.Exclude(rvstMakingSelection);
            SearchHotItem(X, Y, GetZHOffs(), GetZVOffs());
            AdjustMouseUpSelection();
            DoOnSelection();
            Invalidate();
            DoSelect();
        }
        if (GetOptions().Contains(rvoRClickDeselects) && Button == mbRight) {
            int StartNo, EndNo, StartOffs, EndOffs;
            GetSelBounds(StartNo, EndNo, StartOffs, EndOffs, true);
            int No, Offs;
            FindDrawItemForSel(X + GetZHOffs(), Y + GetZVOffs(), No, Offs, false);
            const bool Before = No < StartNo || (No == StartNo && Offs < StartOffs);
            const bool After = No > EndNo || (No == EndNo && Offs > EndOffs);
            if (No != -1 && (Before || After)) {
                SelStartNo = SelEndNo = No;
                SelStartOffs = SelEndOffs = Offs;
                DoOnSelection();
                Refresh();
                DoSelect();
            }
        }
    }

    SearchHotItem(X, Y, GetZHOffs(), GetZVOffs());
    int ItemNo = -1;
    const TRVDrawLineInfo* dli;
    TCustomRVItemInfo* Item = HotItem(this, dli);
    if (Item != nullptr) {
        ItemNo = dli->ItemNo;
        Item->MouseUp(Button, Shift, X - (dli->Left - GetZHOffs()), Y - (dli->Top - GetZVOffs()), ItemNo,
                      this);
    }
    if (MouseCaptureItem != nullptr)
        return;

    if (!SelectionWasThere && (Button == mbLeft || Button == mbRight) && Item != nullptr &&
        Item->GetBoolValueEx(rvbpAllowsFocus, GetRVStyle())) {
        auto* Root = dynamic_cast<TCustomRVFormattedData*>(GetRootData());
        if (Root != nullptr && Root->FocusesClickedItems()) {
            Root->ClearFocus();
            Root->AdjustFocus(RootItemNo(this, ItemNo), this, ItemNo);
        }
    }
    if (IsAssignedRVMouseUp())
        DoRVMouseUp(Button, Shift, ItemNo, X, Y);
    if (Button == mbRight && IsAssignedRVRightClick()) {
        AnsiString Word;
        int StyleNo, WordItemNo, Offs;
        TCustomRVFormattedData* Data;
        if (FindWordAt(Word, X, Y, StyleNo, WordItemNo, Offs, Data)) {
            const TPoint P = ClientToScreen(TPoint{X, Y});
            DoRVRightClick(WordAsText(Data, WordItemNo, Word), StyleNo, P.X, P.Y);
        }
    }
    if (Button == mbLeft) {
        // A click is a hyperlink's only when press and release fall on it and
        // nothing was selected; every left release ends the press.
        const int Pressed = PressedJumpId;
        PressedJumpId = -1;
        const bool Fire = Pressed != -1 && !SelectionWasThere && IsAssignedJump() &&
                          JumpAt(this, X, Y, true, Pressed) != nullptr;
        PressedDrawItemNo = -1;
        if (Fire)
            DoJump(FirstJumpNo + Pressed);
    }
}

void TCustomRVFormattedData::DblClick()
{
    const TRVOptions Options = GetOptions();
    const bool SelectsWord = Options.Contains(rvoDblClickSelectsWord);
    if ((Options.Contains(rvoSingleClick) || !IsAssignedRVDblClick()) && !SelectsWord)
        return;
    TPoint P;
    GetCursorPos(P);
    P = ScreenToClient(P);
    ZoomInt(P.X);
    ZoomInt(P.Y);
    AnsiString Word;
    int StyleNo, ItemNo, Offs;
    TCustomRVFormattedData* Data;
    if (SelectsWord && Options.Contains(rvoAllowSelection)) {
        if (!FindWordAt(Word, P.X, P.Y, StyleNo, ItemNo, Offs, Data))
            return;
        // The selection counts the word in the item's own characters, never
        // through a conversion.
        if (StyleNo >= 0)
            Data->SetSelectionBounds(ItemNo, Offs, ItemNo,
                                     Offs + RVU_Length(Word, Data->GetItemOptions(ItemNo)));
        else
            Data->SetSelectionBounds(ItemNo, 0, ItemNo, 1);
        // The press and release that follow a double click leave the word selected.
        Data->State.Include(rvstIgnoreNextMouseDown);
        Data->State.Exclude(rvstMakingSelection);
        Invalidate();
        State.Exclude(rvstMakingSelection);
        DoRVDblClick(WordAsText(Data, ItemNo, Word), StyleNo);
        State.Include(rvstIgnoreNextMouseDown);
    } else if (IsAssignedRVDblClick() && FindWordAt(Word, P.X, P.Y, StyleNo, ItemNo, Offs, Data)) {
        DoRVDblClick(WordAsText(Data, ItemNo, Word), StyleNo);
    }
}

void TCustomRVFormattedData::GetWordAt(int X, int Y, TCustomRVFormattedData*& RVData, int& ItemNo,
                                       AnsiString& Word)
{
    int StyleNo, Offs;
    if (!FindWordAt(Word, X, Y, StyleNo, ItemNo, Offs, RVData)) {
        ItemNo = -1;
        Word.clear();
        return;
    }
    Word = WordAsText(RVData, ItemNo, Word);
}

// ---------------------------------------------------------------------------
// The mouse state across a layout

void TCustomRVFormattedData::SaveMouseState(TRVMouseStateNote& Note)
{
    Note = TRVMouseStateNote();
    Note.Valid = true;
    const int Count = DrawItems.Count();
    if (SelStartNo >= 0 && SelStartNo < Count && SelEndNo >= 0 && SelEndNo < Count)
        StoreSelBounds(Note.SelItems[0], Note.SelItems[1], Note.SelItems[2], Note.SelItems[3], false);
    Note.MakingSelection = State.Contains(rvstMakingSelection);
    if (HoverJumpData != nullptr) {
        Note.HoverData = HoverJumpData;
        Note.HoverJumpId = HoverJumpData->HoverJumpId;
        Note.DrawHover = HoverJumpData->State.Contains(rvstDrawHover);
    }
    Note.PressedJumpId = PressedJumpId;
    if (PressedDrawItemNo >= 0 && PressedDrawItemNo < Count)
        Note.PressedItemNo = DrawItems[PressedDrawItemNo]->ItemNo;
    Note.CaptureItem = MouseCaptureItem;
    Note.Current = CurrentItem;
}

void TCustomRVFormattedData::RestoreMouseState(TRVMouseStateNote& Note)
{
    if (!Note.Valid)
        return;
    Note.Valid = false;
    const int ItemCount = GetItemCount();
    const int Count = DrawItems.Count();
    auto LaidOut = [&](int ItemNo) {
        return ItemNo >= 0 && ItemNo < ItemCount && GetItem(ItemNo)->DrawItemNo >= 0 &&
               GetItem(ItemNo)->DrawItemNo < Count;
    };

    if (Note.SelItems[0] >= 0) {
        if (LaidOut(Note.SelItems[0]) && LaidOut(Note.SelItems[1])) {
            RestoreSelBounds(Note.SelItems[0], Note.SelItems[1], Note.SelItems[2], Note.SelItems[3]);
            State.Set(rvstMakingSelection, Note.MakingSelection);
        } else {
            SelStartNo = SelEndNo = -1;
            SelStartOffs = SelEndOffs = 0;
            State.Exclude(rvstMakingSelection);
        }
    }

    if (Note.HoverData != nullptr) {
        // Hyperlink numbers stay what they were for the items that were there.
        const TRVJumpInfo* Still = nullptr;
        for (int i = 0; i < Jumps.Count() && Still == nullptr; ++i) {
            const auto* Jump = static_cast<const TRVJumpInfo*>(Jumps.Get(i));
            if (Jump->Id == Note.HoverJumpId &&
                (Jump->RVData == Note.HoverData || (Jump->RVData == nullptr && Note.HoverData == this)))
                Still = Jump;
        }
        if (Still != nullptr) {
            TCustomRVFormattedData* Owner = Note.HoverData;
            Owner->HoverJumpId = Note.HoverJumpId;
            Owner->HotDrawItemNo = Still->DrawItemNo;
            Owner->State.Set(rvstDrawHover, Note.DrawHover);
            HoverJumpData = Owner;
        } else if (HoverJumpData == nullptr) {
            DoRVMouseMove(-1);
        }
    }
    if (Note.PressedJumpId != -1 && PressedJumpId == -1)
        PressedJumpId = Note.PressedJumpId;
    if (LaidOut(Note.PressedItemNo))
        PressedDrawItemNo = GetItem(Note.PressedItemNo)->DrawItemNo;
    // The items outlive a layout; a freed one was forgotten when it was freed.
    if (MouseCaptureItem == nullptr && Note.CaptureItem != nullptr && GetItemNo(Note.CaptureItem) >= 0)
        MouseCaptureItem = Note.CaptureItem;
    if (CurrentItem == nullptr && Note.Current != nullptr && GetItemNo(Note.Current) >= 0)
        CurrentItem = Note.Current;
}
