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
AnsiString WordAsText(TCustomRVFormattedData* data, int itemNo, const AnsiString& word)
{
    if (itemNo < 0 || !data->GetItemOptions(itemNo).Contains(rvioUnicode))
        return word;
    return RVU_UnicodeToAnsi(CP_UTF8, word);
}

// The item that holds draw item HotDrawItemNo, or null.
TCustomRVItemInfo* HotItem(TCustomRVFormattedData* data, const TRVDrawLineInfo*& dli)
{
    dli = nullptr;
    // The item that captured the mouse takes it wherever the pointer is,
    // found again after a layout (a cell editor opening under the press lays
    // the document out anew); one that left the document keeps it no more.
    if (TCustomRVItemInfo* captured = data->MouseCaptureItem) {
        const int itemNo = data->GetItemNo(captured);
        const int drawItemNo = itemNo >= 0 ? data->FindDrawItemByItem(itemNo) : -1;
        if (drawItemNo < 0) {
            data->MouseCaptureItem = nullptr;
        } else if (data->HotDrawItemNo < 0 || data->HotDrawItemNo >= data->DrawItems.Count() ||
                   data->DrawItems[data->HotDrawItemNo]->ItemNo != itemNo) {
            data->HotDrawItemNo = drawItemNo;
        }
    }
    const int hot = data->HotDrawItemNo;
    if (hot < 0 || hot >= data->DrawItems.Count())
        return nullptr;
    dli = data->DrawItems[hot];
    return data->GetItem(dli->ItemNo);
}

// A mouse move for the item under the pointer, in its own coordinates; the
// normal cursor unless the item set one.
void MoveOverHotItem(TCustomRVFormattedData* data, TShiftState shift, int x, int y)
{
    const TRVDrawLineInfo* dli;
    bool handled = false;
    if (TCustomRVItemInfo* item = HotItem(data, dli))
        handled = item->MouseMove(shift, x - (dli->Left - data->GetZHOffs()),
                                  y - (dli->Top - data->GetZVOffs()), dli->ItemNo, data);
    if (!handled)
        data->SetCursor(data->GetNormalCursor());
}

// The draw-item position under a client point for the moving end of a drag
// selection; a point outside the visible area counts as on its edge.
void SelectionPointAt(TCustomRVFormattedData* data, int x, int y, int& drawItemNo, int& drawOffs)
{
    if (!data->GetFlags().Contains(rvflMouseXYAlwaysCorrect)) {
        int width = data->GetWidth();
        int height = data->GetHeight();
        data->ZoomInt(width);
        data->ZoomInt(height);
        x = std::clamp(x, 0, std::max(width, 0));
        y = std::clamp(y, 0, std::max(height, 0));
    }
    data->FindDrawItemForSel(x + data->GetZHOffs(), y + data->GetZVOffs(), drawItemNo, drawOffs, false);
}

// The first hyperlink rectangle holding a client point (of hyperlink Id
// unless that is -1); null when none. A press and its release count the
// rectangle's right and bottom edges as inside (Edges), hover does not.
const TRVJumpInfo* JumpAt(TCustomRVFormattedData* data, int x, int y, bool edges, int id = -1)
{
    const int hOffs = data->GetZHOffs();
    const int vOffs = data->GetZVOffs();
    const int extra = edges ? 1 : 0;
    for (int i = 0; i < data->Jumps.Count(); ++i) {
        const auto* jump = static_cast<const TRVJumpInfo*>(data->Jumps.Get(i));
        if (id != -1 && jump->Id != id)
            continue;
        if (RV_PointInRect(x, y, jump->Left - hOffs, jump->Top - vOffs, jump->Width + extra,
                           jump->Height + extra))
            return jump;
    }
    return nullptr;
}

// The item of the root data that holds item ItemNo of Data (itself at the root).
int RootItemNo(TCustomRVData* data, int itemNo)
{
    TCustomRVData* root = data->GetRootData();
    while (data != nullptr && data != root && itemNo >= 0) {
        TRVStoreSubRVData* location = nullptr;
        data->GetParentInfo(itemNo, location);
        delete location;
        data = data->GetParentData();
    }
    return itemNo;
}

} // namespace

// ---------------------------------------------------------------------------
// Coordinates and the cursor

int TCustomRVFormattedData::GetZHOffs()
{
    int v = GetHOffs();
    ZoomInt(v);
    return v;
}

int TCustomRVFormattedData::GetZVOffs()
{
    int v = GetVOffs();
    ZoomInt(v);
    return v;
}

void TCustomRVFormattedData::SetCursor(TCursor cursor)
{
    if (TWinControl* control = GetParentControl())
        control->SetCursor(cursor);
}

TPoint TCustomRVFormattedData::ClientToScreen(const TPoint& p)
{
    TWinControl* control = GetParentControl();
    return control != nullptr ? control->ClientToScreen(p) : p;
}

TPoint TCustomRVFormattedData::ScreenToClient(const TPoint& p)
{
    TWinControl* control = GetParentControl();
    return control != nullptr ? control->ScreenToClient(p) : p;
}

// ---------------------------------------------------------------------------
// The draw item and the hyperlink under the pointer

void TCustomRVFormattedData::SearchHotItem(int x, int y, int hOffs, int vOffs)
{
    if (MouseCaptureItem != nullptr)
        return;
    x += hOffs;
    y += vOffs;
    if (HotDrawItemNo >= 0 && HotDrawItemNo < DrawItems.Count()) {
        const TRVDrawLineInfo* dli = DrawItems[HotDrawItemNo];
        if (RV_PointInRect(x, y, dli->Left, dli->Top, dli->Width, dli->Height))
            return;
    }
    HotDrawItemNo = FindDrawItemAtPos(x, y);
}

namespace {

// Hyperlink hover for a mouse move at a client point of the data that holds
// the hyperlink rectangles (Data): the cursor, the hover event when the
// hovered hyperlink changes, and the hover look of hyperlinks that have one.
void TrackHover(TCustomRVFormattedData* data, TShiftState shift, int x, int y)
{
    if (const TRVJumpInfo* jump = JumpAt(data, x, y, false)) {
        data->SetCursor(jump->Cursor);
        TCustomRVFormattedData* owner = jump->RVData != nullptr ? jump->RVData : data;
        TCustomRVFormattedData* old = data->HoverJumpData;
        const bool same = old == owner && owner->HoverJumpId == jump->Id;
        if (!same)
            data->DoRVMouseMove(data->FirstJumpNo + jump->Id);
        if (old != nullptr && !same) {
            if (old->State.Contains(rvstDrawHover)) {
                old->State.Exclude(rvstDrawHover);
                data->InvalidateJumpRect(old->HoverJumpId);
            }
            if (old != owner)
                old->HoverJumpId = -1;
        }
        owner->HoverJumpId = jump->Id;
        owner->HotDrawItemNo = jump->DrawItemNo;
        data->HoverJumpData = owner;
        if (owner->State.Contains(rvstDrawHover) || jump->DrawItemNo < 0 ||
            jump->DrawItemNo >= owner->DrawItems.Count())
            return;
        const TCustomRVItemInfo* item = owner->GetItem(owner->DrawItems[jump->DrawItemNo]->ItemNo);
        if (item->GetBoolValueEx(rvbpHotColdJump, owner->GetRVStyle())) {
            owner->State.Include(rvstDrawHover);
            data->InvalidateJumpRect(jump->Id);
        }
        return;
    }
    if (TCustomRVFormattedData* old = data->HoverJumpData) {
        const int oldId = old->HoverJumpId;
        old->State.Exclude(rvstDrawHover);
        data->InvalidateJumpRect(oldId);
        old->HoverJumpId = -1;
        old->HotDrawItemNo = -1;
        data->HoverJumpData = nullptr;
        data->DoRVMouseMove(-1);
        // The hyperlink's draw item stood for the draw item under the pointer.
        data->SearchHotItem(x, y, data->GetZHOffs(), data->GetZVOffs());
    }
    MoveOverHotItem(data, shift, x, y);
}

} // namespace

// ---------------------------------------------------------------------------
// Mouse messages

void TCustomRVFormattedData::MouseMove(TShiftState shift, int x, int y)
{
    ZoomInt(x);
    ZoomInt(y);
    ClearXorDrawing();
    if (MouseCaptureItem != nullptr) {
        MoveOverHotItem(this, shift, x, y);
    } else {
        if (State.Contains(rvstMakingSelection)) {
            int no, offs;
            SelectionPointAt(this, x, y, no, offs);
            if (no >= 0 && (no != SelEndNo || offs != SelEndOffs)) {
                SelEndNo = no;
                SelEndOffs = offs;
                DoOnSelection();
                Invalidate();
            }
        }
        SearchHotItem(x, y, GetZHOffs(), GetZVOffs());
        if (GetFlags().Contains(rvflUseJumps))
            TrackHover(this, shift, x, y);
        else
            MoveOverHotItem(this, shift, x, y);
    }
    XorDrawingEx(x, y);
}

void TCustomRVFormattedData::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    ZoomInt(x);
    ZoomInt(y);
    const int hOffs = GetZHOffs();
    const int vOffs = GetZVOffs();
    SearchHotItem(x, y, hOffs, vOffs);
    PressedDrawItemNo = HotDrawItemNo;

    int itemNo = -1;
    const TRVDrawLineInfo* dli;
    if (TCustomRVItemInfo* item = HotItem(this, dli)) {
        itemNo = dli->ItemNo;
        if (item != PartialSelectedItem && item != GetChosenItem()) {
            DeselectPartiallySelectedItem(nullptr);
            if (!shift.Contains(ssDouble))
                FocusParentControl();
        }
        if (TWinControl* editor = GetInplaceEditor())
            if (!item->OwnsInplaceEditor(editor)) {
                DestroyInplaceEditor();
                FocusParentControl();
            }
        item->MouseDown(button, shift, x - (dli->Left - hOffs), y - (dli->Top - vOffs), itemNo, this);
    } else if (GetInplaceEditor() != nullptr) {
        DestroyInplaceEditor();
        FocusParentControl();
    }

    const bool editing = GetInplaceEditor() != nullptr;
    if (!editing && IsAssignedRVMouseDown())
        DoRVMouseDown(button, shift, itemNo, x, y);
    if (!editing && button == mbLeft) {
        const TRVJumpInfo* jump = JumpAt(this, x, y, true);
        PressedJumpId = jump != nullptr ? jump->Id : -1;
    }
    if (MouseCaptureItem != nullptr || editing) {
        if (HotDrawItemNo != -1) {
            SelStartNo = SelEndNo = HotDrawItemNo;
            SelStartOffs = SelEndOffs = 1;
            DoOnSelection();
        }
        return;
    }
    if (button != mbLeft || State.Contains(rvstIgnoreNextMouseDown))
        return;

    const TRVOptions options = GetOptions();
    if (options.Contains(rvoSingleClick) && IsAssignedRVDblClick()) {
        AnsiString word;
        int styleNo, wordItemNo, offs;
        TCustomRVFormattedData* data;
        if (FindWordAt(word, x, y, styleNo, wordItemNo, offs, data))
            DoRVDblClick(WordAsText(data, wordItemNo, word), styleNo);
    }
    if (options.Contains(rvoAllowSelection) && shift.Contains(ssLeft)) {
        DeselectPartiallySelectedItem(nullptr);
        int startNo, startOffs;
        GetSelStart(startNo, startOffs);
        FindDrawItemForSel(x + hOffs, y + vOffs, SelEndNo, SelEndOffs, false);
        // A click starts anew; Shift+click moves the moving end of a selection
        // that has a start. Where there is no position (no draw items) there
        // is no selection either.
        if (SelEndNo == -1) {
            SelEndOffs = 0;
            SelStartNo = -1;
            SelStartOffs = 0;
        } else if (shift.Contains(ssShift) && startNo != -1) {
            SelStartNo = startNo;
            SelStartOffs = startOffs;
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

void TCustomRVFormattedData::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    ZoomInt(x);
    ZoomInt(y);
    const bool selectionWasThere = SelectionExists(true, true);
    if (MouseCaptureItem == nullptr) {
        State.Exclude(rvstIgnoreNextMouseDown);
        if (State.Contains(rvstMakingSelection) && button == mbLeft) {
            int no, offs;
            SelectionPointAt(this, x, y, no, offs);
            if (no >= 0) {
                SelEndNo = no;
                SelEndOffs = offs;
            }
            State.Exclude(rvstMakingSelection);
            SearchHotItem(x, y, GetZHOffs(), GetZVOffs());
            AdjustMouseUpSelection();
            DoOnSelection();
            Invalidate();
            DoSelect();
        }
        if (GetOptions().Contains(rvoRClickDeselects) && button == mbRight) {
            int startNo, endNo, startOffs, endOffs;
            GetSelBounds(startNo, endNo, startOffs, endOffs, true);
            int no, offs;
            FindDrawItemForSel(x + GetZHOffs(), y + GetZVOffs(), no, offs, false);
            const bool before = no < startNo || (no == startNo && offs < startOffs);
            const bool after = no > endNo || (no == endNo && offs > endOffs);
            if (no != -1 && (before || after)) {
                SelStartNo = SelEndNo = no;
                SelStartOffs = SelEndOffs = offs;
                DoOnSelection();
                Refresh();
                DoSelect();
            }
        }
    }

    SearchHotItem(x, y, GetZHOffs(), GetZVOffs());
    int itemNo = -1;
    const TRVDrawLineInfo* dli;
    TCustomRVItemInfo* item = HotItem(this, dli);
    if (item != nullptr) {
        itemNo = dli->ItemNo;
        item->MouseUp(button, shift, x - (dli->Left - GetZHOffs()), y - (dli->Top - GetZVOffs()), itemNo,
                      this);
    }
    if (MouseCaptureItem != nullptr)
        return;

    if (!selectionWasThere && (button == mbLeft || button == mbRight) && item != nullptr &&
        item->GetBoolValueEx(rvbpAllowsFocus, GetRVStyle())) {
        auto* root = dynamic_cast<TCustomRVFormattedData*>(GetRootData());
        if (root != nullptr && root->FocusesClickedItems()) {
            root->ClearFocus();
            root->AdjustFocus(RootItemNo(this, itemNo), this, itemNo);
        }
    }
    if (IsAssignedRVMouseUp())
        DoRVMouseUp(button, shift, itemNo, x, y);
    if (button == mbRight && IsAssignedRVRightClick()) {
        AnsiString word;
        int styleNo, wordItemNo, offs;
        TCustomRVFormattedData* data;
        if (FindWordAt(word, x, y, styleNo, wordItemNo, offs, data)) {
            const TPoint p = ClientToScreen(TPoint{x, y});
            DoRVRightClick(WordAsText(data, wordItemNo, word), styleNo, p.X, p.Y);
        }
    }
    if (button == mbLeft) {
        // A click is a hyperlink's only when press and release fall on it and
        // nothing was selected; every left release ends the press.
        const int pressed = PressedJumpId;
        PressedJumpId = -1;
        const bool fire = pressed != -1 && !selectionWasThere && IsAssignedJump() &&
                          JumpAt(this, x, y, true, pressed) != nullptr;
        PressedDrawItemNo = -1;
        if (fire)
            DoJump(FirstJumpNo + pressed);
    }
}

void TCustomRVFormattedData::FocusParentControl()
{
    TWinControl* control = GetParentControl();
    if (control != nullptr && control->CanFocus())
        control->SetFocus();
}

void TCustomRVFormattedData::DblClick()
{
    const TRVOptions options = GetOptions();
    const bool selectsWord = options.Contains(rvoDblClickSelectsWord);
    if ((options.Contains(rvoSingleClick) || !IsAssignedRVDblClick()) && !selectsWord)
        return;
    TPoint p;
    GetCursorPos(p);
    p = ScreenToClient(p);
    ZoomInt(p.X);
    ZoomInt(p.Y);
    AnsiString word;
    int styleNo, itemNo, offs;
    TCustomRVFormattedData* data;
    if (selectsWord && options.Contains(rvoAllowSelection)) {
        if (!FindWordAt(word, p.X, p.Y, styleNo, itemNo, offs, data))
            return;
        // The selection counts the word in the item's own characters, never
        // through a conversion.
        if (styleNo >= 0)
            data->SetSelectionBounds(itemNo, offs, itemNo,
                                     offs + RVU_Length(word, data->GetItemOptions(itemNo)));
        else
            data->SetSelectionBounds(itemNo, 0, itemNo, 1);
        // The press and release that follow a double click leave the word selected.
        data->State.Include(rvstIgnoreNextMouseDown);
        data->State.Exclude(rvstMakingSelection);
        Invalidate();
        State.Exclude(rvstMakingSelection);
        DoRVDblClick(WordAsText(data, itemNo, word), styleNo);
        State.Include(rvstIgnoreNextMouseDown);
    } else if (IsAssignedRVDblClick() && FindWordAt(word, p.X, p.Y, styleNo, itemNo, offs, data)) {
        DoRVDblClick(WordAsText(data, itemNo, word), styleNo);
    }
}

void TCustomRVFormattedData::GetWordAt(int x, int y, TCustomRVFormattedData*& rvData, int& itemNo,
                                       AnsiString& word)
{
    int styleNo, offs;
    if (!FindWordAt(word, x, y, styleNo, itemNo, offs, rvData)) {
        itemNo = -1;
        word.clear();
        return;
    }
    word = WordAsText(rvData, itemNo, word);
}

// ---------------------------------------------------------------------------
// The mouse state across a layout

void TCustomRVFormattedData::SaveMouseState(TRVMouseStateNote& note)
{
    note = TRVMouseStateNote();
    note.Valid = true;
    const int count = DrawItems.Count();
    if (SelStartNo >= 0 && SelStartNo < count && SelEndNo >= 0 && SelEndNo < count)
        StoreSelBounds(note.SelItems[0], note.SelItems[1], note.SelItems[2], note.SelItems[3], false);
    note.MakingSelection = State.Contains(rvstMakingSelection);
    if (HoverJumpData != nullptr) {
        note.HoverData = HoverJumpData;
        note.HoverJumpId = HoverJumpData->HoverJumpId;
        note.DrawHover = HoverJumpData->State.Contains(rvstDrawHover);
    }
    note.PressedJumpId = PressedJumpId;
    if (PressedDrawItemNo >= 0 && PressedDrawItemNo < count)
        note.PressedItemNo = DrawItems[PressedDrawItemNo]->ItemNo;
    note.CaptureItem = MouseCaptureItem;
    note.Current = CurrentItem;
}

void TCustomRVFormattedData::RestoreMouseState(TRVMouseStateNote& note)
{
    if (!note.Valid)
        return;
    note.Valid = false;
    auto laidOut = [&](int itemNo) { return FindDrawItemByItem(itemNo) >= 0; };

    if (note.SelItems[0] >= 0) {
        if (laidOut(note.SelItems[0]) && laidOut(note.SelItems[1])) {
            RestoreSelBounds(note.SelItems[0], note.SelItems[1], note.SelItems[2], note.SelItems[3]);
            State.Set(rvstMakingSelection, note.MakingSelection);
        } else {
            ForgetSelection();
        }
    }

    if (note.HoverData != nullptr) {
        // Hyperlink numbers stay what they were for the items that were there.
        const TRVJumpInfo* still = nullptr;
        for (int i = 0; i < Jumps.Count() && still == nullptr; ++i) {
            const auto* jump = static_cast<const TRVJumpInfo*>(Jumps.Get(i));
            if (jump->Id == note.HoverJumpId &&
                (jump->RVData == note.HoverData || (jump->RVData == nullptr && note.HoverData == this)))
                still = jump;
        }
        if (still != nullptr) {
            TCustomRVFormattedData* owner = note.HoverData;
            owner->HoverJumpId = note.HoverJumpId;
            owner->HotDrawItemNo = still->DrawItemNo;
            owner->State.Set(rvstDrawHover, note.DrawHover);
            HoverJumpData = owner;
        } else if (HoverJumpData == nullptr) {
            DoRVMouseMove(-1);
        }
    }
    if (note.PressedJumpId != -1 && PressedJumpId == -1)
        PressedJumpId = note.PressedJumpId;
    if (const int pressed = FindDrawItemByItem(note.PressedItemNo); pressed >= 0)
        PressedDrawItemNo = pressed;
    // The items outlive a layout; a freed one was forgotten when it was freed.
    if (MouseCaptureItem == nullptr && note.CaptureItem != nullptr && GetItemNo(note.CaptureItem) >= 0)
        MouseCaptureItem = note.CaptureItem;
    if (CurrentItem == nullptr && note.Current != nullptr && GetItemNo(note.Current) >= 0)
        CurrentItem = note.Current;
}
