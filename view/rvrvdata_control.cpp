// TRVControlData: keyboard focus among the focusable items of a document, Tab
// navigation into, through and out of it, the focus rectangle, Enter on the
// focused item, and painting through an off-screen bitmap.
#include <memory>

#include "document/rvset.h"
#include "document/rvstyle.h"
#include "platform/controls/forms.h"
#include "platform/core/lists.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/canvas.h"
#include "view/rvback.h"
#include "view/rvrvdata.h"

namespace {

TCustomRVFormattedData* AsFormatted(TCustomRVData* data)
{
    return dynamic_cast<TCustomRVFormattedData*>(data);
}

// Brings the kept off-screen canvas back to what a new bitmap's canvas is:
// white pixels (unless the background is about to cover them all), the
// default font, pen and brush, the pen at the origin.
void ResetPaintBuffer(TCanvas* canvas, int width, int height, bool covered)
{
    const TFont defaultFont;
    const TPen defaultPen;
    const TBrush defaultBrush;
    if (!covered) {
        canvas->Brush()->SetColor(clWhite);
        canvas->Brush()->SetStyle(bsSolid);
        canvas->FillRect(Bounds(0, 0, width, height));
    }
    canvas->Font()->Assign(&defaultFont);
    canvas->Pen()->Assign(&defaultPen);
    canvas->Brush()->Assign(&defaultBrush);
    canvas->SetPenPos(TPoint{0, 0});
}

// Control is Container or lies inside it.
bool IsInside(const TControl* control, const TControl* container)
{
    for (const TControl* c = control; c; c = c->Parent())
        if (c == container)
            return true;
    return false;
}

} // namespace

TRVControlData::TRVControlData() = default;

TRVControlData::~TRVControlData() = default;

void TRVControlData::AdjustFocus(int newFocusedItemNo, TCustomRVData* aTopFocusedRvData,
                                 int aTopFocusedItemNo)
{
    TCustomRVFormattedData::AdjustFocus(newFocusedItemNo, aTopFocusedRvData, aTopFocusedItemNo);
    TopFocusedItemNo = aTopFocusedItemNo;
    TopFocusedRVData = aTopFocusedRvData;
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

void TRVControlData::Deselect(TCustomRVItemInfo* newPartiallySelected, bool makeEvent)
{
    if (!State.Contains(rvstDeselecting)) {
        TRVFlagGuard deselecting(State, rvstDeselecting);
        const bool hadFocus = FocusedItemNo != -1;
        ClearFocus();
        if (hadFocus)
            Invalidate();
        TopFocusedItemNo = -1;
        TopFocusedRVData = nullptr;
    }
    TCustomRVFormattedData::Deselect(newPartiallySelected, makeEvent);
}

void TRVControlData::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    TCanvas* canvas = GetCanvas();
    if (canvas)
        DrawFocusedRect(canvas);
    TCustomRVFormattedData::MouseUp(button, shift, x, y);
    // The release may have moved the focus: the rectangle goes where it is now.
    canvas = GetCanvas();
    if (canvas)
        DrawFocusedRect(canvas);
}

// ---------------------------------------------------------------------------
// Focus

void TRVControlData::DrawFocusedRect(TCanvas* canvas)
{
    if (TopFocusedItemNo == -1 || !canvas)
        return;
    TCustomRVFormattedData* data = AsFormatted(TopFocusedRVData);
    if (!data || TopFocusedItemNo < 0 || TopFocusedItemNo >= data->GetItemCount())
        return;
    TCustomRVItemInfo* item = data->GetItem(TopFocusedItemNo);
    if (!item->GetBoolValueEx(rvbpXORFocus, GetRVStyle()))
        return;
    int originX = 0;
    int originY = 0;
    data->GetOriginEx(originX, originY);
    canvas->Font()->SetColor(clBlack);
    canvas->Brush()->SetStyle(bsSolid);
    for (int i = data->FindDrawItemByItem(TopFocusedItemNo); i >= 0 && i < data->DrawItems.Count(); ++i) {
        const TRVDrawLineInfo* dli = data->DrawItems[i];
        if (dli->ItemNo != TopFocusedItemNo)
            break;
        canvas->DrawFocusRect(Bounds(originX + dli->Left - GetHOffs() - 1,
                                     originY + dli->Top - GetVOffs() - 1, dli->Width + 2, dli->Height + 2));
    }
}

void TRVControlData::ExecuteFocused()
{
    if (!TopFocusedRVData || TopFocusedItemNo < 0 || TopFocusedItemNo >= TopFocusedRVData->GetItemCount())
        return;
    TopFocusedRVData->GetItem(TopFocusedItemNo)->Execute(this);
}

TWinControl* TRVControlData::FindNextFormControl(TWinControl* control, bool goForward)
{
    TWinControl* viewer = GetParentControl();
    TCustomForm* form = GetParentForm(viewer);
    if (!form)
        return nullptr;
    TList list;
    form->GetTabOrderList(&list);
    const int count = list.Count();
    if (count == 0)
        return nullptr;
    int start = list.IndexOf(control);
    if (start < 0)
        start = goForward ? count - 1 : 0;
    int i = start;
    do {
        i = goForward ? (i + 1) % count : (i + count - 1) % count;
        auto* candidate = static_cast<TWinControl*>(list.Get(i));
        if (!IsInside(candidate, viewer) && candidate->CanFocus() && candidate->TabStop())
            return candidate;
    } while (i != start);
    return nullptr;
}

void TRVControlData::DoTabNavigation(bool goForward, TWinControl* prevControl)
{
    if (State.Contains(rvstDoNotTab)) {
        // The focus came with a click: the clicked place decides, not Tab.
        State.Exclude(rvstDoNotTab);
        return;
    }
    TWinControl* viewer = GetParentControl();
    if (!viewer)
        return;
    if (prevControl && GetParentForm(prevControl) != GetParentForm(viewer))
        return;
    if (FocusedItemNo != -1 && !prevControl)
        return;
    TCanvas* canvas = viewer->HandleAllocated() ? GetCanvas() : nullptr;
    if (prevControl && prevControl != viewer) {
        // The focus comes back from a control inside the document: its item
        // becomes the focused one, so that Tab goes on from there.
        int itemNo = -1;
        if (FocusedItemNo >= 0 && FocusedItemNo < GetItemCount() &&
            GetItem(FocusedItemNo)->OwnsControl(prevControl))
            itemNo = FocusedItemNo;
        else
            itemNo = FindControlItemNo(prevControl);
        if (itemNo >= 0) {
            DrawFocusedRect(canvas);
            ClearFocus();
            FocusedItemNo = itemNo;
            TCustomRVData* topData = nullptr;
            int topItem = -1;
            if (GetItem(itemNo)->AdjustFocusToControl(prevControl, topData, topItem)) {
                TopFocusedRVData = topData;
                TopFocusedItemNo = topItem;
            }
            DrawFocusedRect(canvas);
        }
    }
    DrawFocusedRect(canvas);
    const bool hadFocus = FocusedItemNo != -1;
    TCustomRVData* topData = nullptr;
    int topItem = -1;
    const int next = GetNextFocusedItem(FocusedItemNo, goForward, topData, topItem);
    if (next == -1) {
        topData = nullptr;
        topItem = -1;
    }
    TopFocusedRVData = topData;
    TopFocusedItemNo = topItem;
    if (prevControl == viewer || next != -1 || hadFocus) {
        FocusedItemNo = next;
        if (TopFocusedRVData && TopFocusedItemNo >= 0 && TopFocusedItemNo < TopFocusedRVData->GetItemCount())
            TopFocusedRVData->GetItem(TopFocusedItemNo)->Focusing();
        DrawFocusedRect(canvas);
        if (FocusedItemNo != -1) {
            const int drawItemNo = FindDrawItemByItem(FocusedItemNo);
            if (drawItemNo >= 0 && drawItemNo < DrawItems.Count()) {
                const TRVDrawLineInfo* dli = DrawItems[drawItemNo];
                ShowRectangle(dli->Left, dli->Top, dli->Width, dli->Height);
            }
            return;
        }
        // Past the last (or the first) item: out of the document.
        if (TWinControl* nextControl = FindNextFormControl(viewer, goForward)) {
            nextControl->SetFocus();
            return;
        }
        if (hadFocus)
            DoTabNavigation(goForward, viewer);
        return;
    }
    if (viewer->CanFocus() && !viewer->Focused())
        viewer->SetFocus();
}

// ---------------------------------------------------------------------------
// Buffered painting

void TRVControlData::PaintBuffered(TCanvas* canvas)
{
    if (!canvas)
        canvas = GetCanvas();
    if (!canvas)
        return;
    const TRect clip = canvas->ClipRect();
    if (clip.Width() <= 0 || clip.Height() <= 0)
        return;
    DrawFocusedRect(canvas);
    AnsiString Error;
    bool Failed = false;
    const TRVBackground* background = GetBackground();
    const bool covered = background && background->FillsWithColor(GetColor());
    // Background and document on Target, whose origin is the clip's top-left;
    // an exception stops the painting and is reported below.
    auto paintLayers = [&](TCanvas* target) {
        const bool wasPainting = FPainting;
        FPainting = true;
        try {
            DrawBackground(target, clip);
            ApplyZoom(target);
            try {
                PaintTo(target, clip);
            } catch (...) {
                RestoreZoom(target);
                throw;
            }
            RestoreZoom(target);
        } catch (const std::exception& e) {
            // What was drawn is shown; the message follows.
            Failed = true;
            Error = e.what();
        } catch (...) {
            Failed = true;
        }
        FPainting = wasPainting;
    };
    if (canvas->DrawsOffscreen() && !FPainting) {
        // The window's canvas is off-screen already: painting on it directly
        // gives what the copy of a bitmap would, without the bitmap. Its
        // origin moves to the clip's top-left and it starts from a new
        // bitmap's state; everything is put back afterwards.
        TFont savedFont;
        TPen savedPen;
        TBrush savedBrush;
        savedFont.Assign(canvas->Font());
        savedPen.Assign(canvas->Pen());
        savedBrush.Assign(canvas->Brush());
        const TPoint savedPenPos = canvas->PenPos();
        const int saved = canvas->SaveDC();
        const TPoint org = canvas->ViewportOrg();
        const TPoint windowOrg = canvas->WindowOrg();
        canvas->SetViewportOrgEx(org.X + clip.Left - windowOrg.X, org.Y + clip.Top - windowOrg.Y);
        canvas->SetWindowOrgEx(0, 0);
        canvas->IntersectClipRect(0, 0, clip.Width(), clip.Height());
        ResetPaintBuffer(canvas, clip.Width(), clip.Height(), covered);
        paintLayers(canvas);
        canvas->RestoreDC(saved);
        canvas->Font()->Assign(&savedFont);
        canvas->Pen()->Assign(&savedPen);
        canvas->Brush()->Assign(&savedBrush);
        canvas->SetPenPos(savedPenPos);
    } else {
        // The bitmap is kept from paint to paint: making a new one for every
        // paint costs more than the painting. Each paint gets it as a new one
        // would be (ResetPaintBuffer).
        std::unique_ptr<TBitmap> nested;
        TBitmap* buffer;
        if (FPainting) {
            nested = std::make_unique<TBitmap>();
            buffer = nested.get();
        } else {
            if (!FPaintBuffer)
                FPaintBuffer = std::make_unique<TBitmap>();
            buffer = FPaintBuffer.get();
        }
        buffer->SetSize(clip.Width(), clip.Height());
        TCanvas* bufferCanvas = buffer->Canvas();
        if (!nested)
            ResetPaintBuffer(bufferCanvas, clip.Width(), clip.Height(), covered);
        const int saved = bufferCanvas->SaveDC();
        paintLayers(bufferCanvas);
        bufferCanvas->RestoreDC(saved);
        canvas->CopyRect(clip, bufferCanvas, Bounds(0, 0, clip.Width(), clip.Height()));
    }
    if (Failed) {
        canvas->Font()->SetName("Arial");
        canvas->Font()->SetSize(10);
        canvas->Font()->SetColor(0x0000FF);
        canvas->Font()->SetStyle(TFontStyles());
        canvas->Brush()->SetColor(0xFFFFFF);
        canvas->Brush()->SetStyle(bsSolid);
        canvas->TextOut(0, 0, "Error:" + Error);
    }
    DrawFocusedRect(canvas);
}
