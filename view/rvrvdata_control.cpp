// TRVControlData: keyboard focus among the focusable items of a document, Tab
// navigation into, through and out of it, the focus rectangle, Enter on the
// focused item, and painting through an off-screen bitmap.
#include <memory>

#include "document/rvstyle.h"
#include "platform/controls/forms.h"
#include "platform/core/lists.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/canvas.h"
#include "view/rvback.h"
#include "view/rvrvdata.h"

namespace {

TCustomRVFormattedData* AsFormatted(TCustomRVData* Data)
{
    return dynamic_cast<TCustomRVFormattedData*>(Data);
}

// Brings the kept off-screen canvas back to what a new bitmap's canvas is:
// white pixels (unless the background is about to cover them all), the
// default font, pen and brush, the pen at the origin.
void ResetPaintBuffer(TCanvas* Canvas, int Width, int Height, bool Covered)
{
    const TFont DefaultFont;
    const TPen DefaultPen;
    const TBrush DefaultBrush;
    if (!Covered) {
        Canvas->Brush()->SetColor(clWhite);
        Canvas->Brush()->SetStyle(bsSolid);
        Canvas->FillRect(Bounds(0, 0, Width, Height));
    }
    Canvas->Font()->Assign(&DefaultFont);
    Canvas->Pen()->Assign(&DefaultPen);
    Canvas->Brush()->Assign(&DefaultBrush);
    Canvas->SetPenPos(TPoint{0, 0});
}

// Control is Container or lies inside it.
bool IsInside(const TControl* Control, const TControl* Container)
{
    for (const TControl* c = Control; c; c = c->Parent())
        if (c == Container)
            return true;
    return false;
}

} // namespace

TRVControlData::TRVControlData() = default;

TRVControlData::~TRVControlData() = default;

void TRVControlData::AdjustFocus(int NewFocusedItemNo, TCustomRVData* ATopFocusedRVData,
                                 int ATopFocusedItemNo)
{
    TCustomRVFormattedData::AdjustFocus(NewFocusedItemNo, ATopFocusedRVData, ATopFocusedItemNo);
    TopFocusedItemNo = ATopFocusedItemNo;
    TopFocusedRVData = ATopFocusedRVData;
}

void TRVControlData::ClearTemporal()
{
    if (DrawItems.Count() > 0) {
        ClearFocus();
        TopFocusedItemNo = -1;
        TopFocusedRVData = nullptr;
    }
    TCustomRVFormattedData::ClearTemporal();
}

void TRVControlData::Deselect(TCustomRVItemInfo* NewPartiallySelected, bool MakeEvent)
{
    if (!State.Contains(rvstDeselecting)) {
        State.Include(rvstDeselecting);
        try {
            const bool HadFocus = FocusedItemNo != -1;
            ClearFocus();
            if (HadFocus)
                Invalidate();
            TopFocusedItemNo = -1;
            TopFocusedRVData = nullptr;
        } catch (...) {
            State.Exclude(rvstDeselecting);
            throw;
        }
        State.Exclude(rvstDeselecting);
    }
    TCustomRVFormattedData::Deselect(NewPartiallySelected, MakeEvent);
}

void TRVControlData::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TCanvas* Canvas = GetCanvas();
    if (Canvas)
        DrawFocusedRect(Canvas);
    TCustomRVFormattedData::MouseUp(Button, Shift, X, Y);
    // The release may have moved the focus: the rectangle goes where it is now.
    Canvas = GetCanvas();
    if (Canvas)
        DrawFocusedRect(Canvas);
}

// ---------------------------------------------------------------------------
// Focus

void TRVControlData::DrawFocusedRect(TCanvas* Canvas)
{
    if (TopFocusedItemNo == -1 || !Canvas)
        return;
    TCustomRVFormattedData* Data = AsFormatted(TopFocusedRVData);
    if (!Data || TopFocusedItemNo < 0 || TopFocusedItemNo >= Data->GetItemCount())
        return;
    TCustomRVItemInfo* Item = Data->GetItem(TopFocusedItemNo);
    if (!Item->GetBoolValueEx(rvbpXORFocus, GetRVStyle()))
        return;
    int OriginX = 0;
    int OriginY = 0;
    Data->GetOriginEx(OriginX, OriginY);
    Canvas->Font()->SetColor(clBlack);
    Canvas->Brush()->SetStyle(bsSolid);
    for (int i = Item->DrawItemNo; i >= 0 && i < Data->DrawItems.Count(); ++i) {
        const TRVDrawLineInfo* dli = Data->DrawItems[i];
        if (dli->ItemNo != TopFocusedItemNo)
            break;
        Canvas->DrawFocusRect(Bounds(OriginX + dli->Left - GetHOffs() - 1,
                                     OriginY + dli->Top - GetVOffs() - 1, dli->Width + 2, dli->Height + 2));
    }
}

void TRVControlData::ExecuteFocused()
{
    if (!TopFocusedRVData || TopFocusedItemNo < 0 || TopFocusedItemNo >= TopFocusedRVData->GetItemCount())
        return;
    TopFocusedRVData->GetItem(TopFocusedItemNo)->Execute(this);
}

TWinControl* TRVControlData::FindNextFormControl(TWinControl* Control, bool GoForward)
{
    TWinControl* Viewer = GetParentControl();
    TCustomForm* Form = GetParentForm(Viewer);
    if (!Form)
        return nullptr;
    TList List;
    Form->GetTabOrderList(&List);
    const int Count = List.Count();
    if (Count == 0)
        return nullptr;
    int Start = List.IndexOf(Control);
    if (Start < 0)
        Start = GoForward ? Count - 1 : 0;
    int i = Start;
    do {
        i = GoForward ? (i + 1) % Count : (i + Count - 1) % Count;
        auto* Candidate = static_cast<TWinControl*>(List.Get(i));
        if (!IsInside(Candidate, Viewer) && Candidate->CanFocus() && Candidate->TabStop())
            return Candidate;
    } while (i != Start);
    return nullptr;
}

void TRVControlData::DoTabNavigation(bool GoForward, TWinControl* PrevControl)
{
    if (State.Contains(rvstDoNotTab)) {
        // The focus came with a click: the clicked place decides, not Tab.
        State.Exclude(rvstDoNotTab);
        return;
    }
    TWinControl* Viewer = GetParentControl();
    if (!Viewer)
        return;
    if (PrevControl && GetParentForm(PrevControl) != GetParentForm(Viewer))
        return;
    if (FocusedItemNo != -1 && !PrevControl)
        return;
    TCanvas* Canvas = Viewer->HandleAllocated() ? GetCanvas() : nullptr;
    if (PrevControl && PrevControl != Viewer) {
        // The focus comes back from a control inside the document: its item
        // becomes the focused one, so that Tab goes on from there.
        int ItemNo = -1;
        if (FocusedItemNo >= 0 && FocusedItemNo < GetItemCount() &&
            GetItem(FocusedItemNo)->OwnsControl(PrevControl))
            ItemNo = FocusedItemNo;
        else
            ItemNo = FindControlItemNo(PrevControl);
        if (ItemNo >= 0) {
            DrawFocusedRect(Canvas);
            ClearFocus();
            FocusedItemNo = ItemNo;
            TCustomRVData* TopData = nullptr;
            int TopItem = -1;
            if (GetItem(ItemNo)->AdjustFocusToControl(PrevControl, TopData, TopItem)) {
                TopFocusedRVData = TopData;
                TopFocusedItemNo = TopItem;
            }
            DrawFocusedRect(Canvas);
        }
    }
    DrawFocusedRect(Canvas);
    const bool HadFocus = FocusedItemNo != -1;
    TCustomRVData* TopData = nullptr;
    int TopItem = -1;
    const int Next = GetNextFocusedItem(FocusedItemNo, GoForward, TopData, TopItem);
    if (Next == -1) {
        TopData = nullptr;
        TopItem = -1;
    }
    TopFocusedRVData = TopData;
    TopFocusedItemNo = TopItem;
    if (PrevControl == Viewer || Next != -1 || HadFocus) {
        FocusedItemNo = Next;
        if (TopFocusedRVData && TopFocusedItemNo >= 0 && TopFocusedItemNo < TopFocusedRVData->GetItemCount())
            TopFocusedRVData->GetItem(TopFocusedItemNo)->Focusing();
        DrawFocusedRect(Canvas);
        if (FocusedItemNo != -1) {
            const int DrawItemNo = GetItem(FocusedItemNo)->DrawItemNo;
            if (DrawItemNo >= 0 && DrawItemNo < DrawItems.Count()) {
                const TRVDrawLineInfo* dli = DrawItems[DrawItemNo];
                ShowRectangle(dli->Left, dli->Top, dli->Width, dli->Height);
            }
            return;
        }
        // Past the last (or the first) item: out of the document.
        if (TWinControl* NextControl = FindNextFormControl(Viewer, GoForward)) {
            NextControl->SetFocus();
            return;
        }
        if (HadFocus)
            DoTabNavigation(GoForward, Viewer);
        return;
    }
    if (Viewer->CanFocus() && !Viewer->Focused())
        Viewer->SetFocus();
}

// ---------------------------------------------------------------------------
// Buffered painting

void TRVControlData::PaintBuffered(TCanvas* Canvas)
{
    if (!Canvas)
        Canvas = GetCanvas();
    if (!Canvas)
        return;
    const TRect Clip = Canvas->ClipRect();
    if (Clip.Width() <= 0 || Clip.Height() <= 0)
        return;
    DrawFocusedRect(Canvas);
    AnsiString Error;
    bool Failed = false;
    const TRVBackground* Background = GetBackground();
    const bool Covered = Background && Background->FillsWithColor(GetColor());
    // Background and document on Target, whose origin is the clip's top-left;
    // an exception stops the painting and is reported below.
    auto PaintLayers = [&](TCanvas* Target) {
        const bool WasPainting = FPainting;
        FPainting = true;
        try {
            DrawBackground(Target, Clip);
            ApplyZoom(Target);
            try {
                PaintTo(Target, Clip);
            } catch (...) {
                RestoreZoom(Target);
                throw;
            }
            RestoreZoom(Target);
        } catch (const std::exception& E) {
            // What was drawn is shown; the message follows.
            Failed = true;
            Error = E.what();
        } catch (...) {
            Failed = true;
        }
        FPainting = WasPainting;
    };
    if (Canvas->DrawsOffscreen() && !FPainting) {
        // The window's canvas is off-screen already: painting on it directly
        // gives what the copy of a bitmap would, without the bitmap. Its
        // origin moves to the clip's top-left and it starts from a new
        // bitmap's state; everything is put back afterwards.
        TFont SavedFont;
        TPen SavedPen;
        TBrush SavedBrush;
        SavedFont.Assign(Canvas->Font());
        SavedPen.Assign(Canvas->Pen());
        SavedBrush.Assign(Canvas->Brush());
        const TPoint SavedPenPos = Canvas->PenPos();
        const int Saved = Canvas->SaveDC();
        const TPoint Org = Canvas->ViewportOrg();
        const TPoint WindowOrg = Canvas->WindowOrg();
        Canvas->SetViewportOrgEx(Org.X + Clip.Left - WindowOrg.X, Org.Y + Clip.Top - WindowOrg.Y);
        Canvas->SetWindowOrgEx(0, 0);
        Canvas->IntersectClipRect(0, 0, Clip.Width(), Clip.Height());
        ResetPaintBuffer(Canvas, Clip.Width(), Clip.Height(), Covered);
        PaintLayers(Canvas);
        Canvas->RestoreDC(Saved);
        Canvas->Font()->Assign(&SavedFont);
        Canvas->Pen()->Assign(&SavedPen);
        Canvas->Brush()->Assign(&SavedBrush);
        Canvas->SetPenPos(SavedPenPos);
    } else {
        // The bitmap is kept from paint to paint: making a new one for every
        // paint costs more than the painting. Each paint gets it as a new one
        // would be (ResetPaintBuffer).
        std::unique_ptr<TBitmap> Nested;
        TBitmap* Buffer;
        if (FPainting) {
            Nested = std::make_unique<TBitmap>();
            Buffer = Nested.get();
        } else {
            if (!FPaintBuffer)
                FPaintBuffer = std::make_unique<TBitmap>();
            Buffer = FPaintBuffer.get();
        }
        Buffer->SetSize(Clip.Width(), Clip.Height());
        TCanvas* BufferCanvas = Buffer->Canvas();
        if (!Nested)
            ResetPaintBuffer(BufferCanvas, Clip.Width(), Clip.Height(), Covered);
        const int Saved = BufferCanvas->SaveDC();
        PaintLayers(BufferCanvas);
        BufferCanvas->RestoreDC(Saved);
        Canvas->CopyRect(Clip, BufferCanvas, Bounds(0, 0, Clip.Width(), Clip.Height()));
    }
    if (Failed) {
        Canvas->Font()->SetName("Arial");
        Canvas->Font()->SetSize(10);
        Canvas->Font()->SetColor(0x0000FF);
        Canvas->Font()->SetStyle(TFontStyles());
        Canvas->Brush()->SetColor(0xFFFFFF);
        Canvas->Brush()->SetStyle(bsSolid);
        Canvas->TextOut(0, 0, "Error:" + Error);
    }
    DrawFocusedRect(Canvas);
}
