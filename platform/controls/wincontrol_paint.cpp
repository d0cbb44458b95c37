// TWinControl painting: invalidation, immediate updates, WM_ERASEBKGND and
// WM_PAINT, painting into another canvas (PaintTo), scrolling the window's
// pixels; and TCustomControl, which paints itself in Paint.
#include <QWidget>

#include <algorithm>
#include <cstring>

#include "platform/controls/controls_qt.h"
#include "platform/controls/winapi.h"
#include "platform/core/colors.h"
#include "platform/graphics/qtcanvas_qt.h"

void TWinControl::Invalidate()
{
    if (FHandle)
        ::InvalidateRect(FHandle, nullptr, !(ControlStyle() & csOpaque));
}

void TWinControl::InvalidateRect(const TRect& Rect, bool Erase)
{
    if (FHandle)
        ::InvalidateRect(FHandle, &Rect, Erase);
}

void TWinControl::Update()
{
    if (FHandle)
        UpdateWindow(FHandle);
}

void TWinControl::Repaint()
{
    Invalidate();
    Update();
}

void TWinControl::PaintTo(TCanvas* Canvas, int X, int Y)
{
    if (!Canvas)
        return;
    const TRect client = ClientRect();
    const int saved = Canvas->SaveDC();
    const TPoint viewport = Canvas->ViewportOrg();
    Canvas->SetViewportOrgEx(viewport.X + X, viewport.Y + Y);
    Canvas->IntersectClipRect(0, 0, client.Right, client.Bottom);
    Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(Canvas), 0);
    Perform(WM_PAINT, reinterpret_cast<WPARAM>(Canvas), 0);
    Canvas->RestoreDC(saved);
    // Children over the client area, each at its own client origin.
    for (TControl* child : std::vector<TControl*>(FControls)) {
        auto* win = dynamic_cast<TWinControl*>(child);
        if (!win || !win->Visible())
            continue;
        TWindowData* data = win->FWindow.get();
        const int dx = data ? data->ClientInFrame.Left : win->BorderWidthForParams();
        const int dy = data ? data->ClientInFrame.Top : win->BorderWidthForParams();
        const int childSaved = Canvas->SaveDC();
        const TPoint childViewport = Canvas->ViewportOrg();
        Canvas->SetViewportOrgEx(childViewport.X + X, childViewport.Y + Y);
        Canvas->IntersectClipRect(0, 0, client.Right, client.Bottom);
        Canvas->SetViewportOrgEx(childViewport.X, childViewport.Y);
        win->PaintTo(Canvas, X + win->Left() + dx, Y + win->Top() + dy);
        Canvas->RestoreDC(childSaved);
    }
}

TCanvas* TWinControl::WindowCanvas()
{
    if (FPaintCanvas)
        return FPaintCanvas;
    HandleNeeded();
    // Drawing outside a paint goes straight into the window's pixels: show them.
    if (FWindow->Client)
        FWindow->Client->update();
    return FWindow->BufferCanvas;
}

void TWinControl::PaintWindow(TCanvas*) {}

void TWinControl::WMPaint(TMessage& Message)
{
    TCanvas* canvas = Message.WParam ? reinterpret_cast<TCanvas*>(Message.WParam) : FPaintCanvas;
    if (!canvas) {
        // Sent outside a paint cycle: paint what is invalid now.
        if (FWindow)
            FWindow->PaintInvalid();
        return;
    }
    PaintWindow(canvas);
}

void TWinControl::WMEraseBkgnd(TMessage& Message)
{
    auto* canvas = reinterpret_cast<TCanvas*>(Message.WParam);
    if (canvas && Color() != clNone) {
        canvas->Brush()->SetColor(Color());
        canvas->Brush()->SetStyle(bsSolid);
        canvas->FillRect(canvas->ClipRect());
    }
    Message.Result = 1;
}

// ---------------------------------------------------------------------------
// Scrolling the pixels of a window

int TWindowData::Scroll(int Dx, int Dy, const TRect* ScrollRect, const TRect* ClipRect, TRect* Update,
                        UINT Flags)
{
    const QRect client(0, 0, ClientInFrame.Width(), ClientInFrame.Height());
    const QRect source =
        ScrollRect
            ? QRect(ScrollRect->Left, ScrollRect->Top, ScrollRect->Width(), ScrollRect->Height()) & client
            : client;
    const QRect clip =
        ClipRect ? QRect(ClipRect->Left, ClipRect->Top, ClipRect->Width(), ClipRect->Height()) & client
                 : client;
    const QRect area = source & clip;
    // Where the moved pixels land, within the scrolled area and the clip.
    const QRect target = source.translated(Dx, Dy) & area;
    if (!target.isEmpty() && !Buffer.isNull()) {
        const QImage moved = Buffer.copy(source);
        const int bytesPerLine = Buffer.bytesPerLine();
        uchar* bits = Buffer.bits();
        for (int y = target.top(); y <= target.bottom(); ++y) {
            const uchar* from =
                moved.constScanLine(y - Dy - source.top()) + (target.left() - Dx - source.left()) * 4;
            std::memcpy(bits + static_cast<size_t>(y) * bytesPerLine + target.left() * 4, from,
                        static_cast<size_t>(target.width()) * 4);
        }
    }
    // What was waiting to be painted there moves with the pixels.
    const QRegion waiting = Invalid & area;
    Invalid = (Invalid - area) + (waiting.translated(Dx, Dy) & area);
    const QRegion uncovered = QRegion(area) - target;
    if ((Flags & SW_INVALIDATE) && !uncovered.isEmpty()) {
        Invalid += uncovered;
        if (Flags & SW_ERASE)
            EraseNeeded = true;
    }
    if (Update) {
        const QRect bounds = uncovered.boundingRect();
        *Update =
            uncovered.isEmpty() ? TRect{} : Bounds(bounds.x(), bounds.y(), bounds.width(), bounds.height());
    }
    const HWND wnd = TWindowAdapter::HandleOf(Control);
    CaretScrolled(wnd, Bounds(area.x(), area.y(), area.width(), area.height()), Dx, Dy);
    if (Flags & SW_SCROLLCHILDREN) {
        for (int i = 0; i < Control->ControlCount(); ++i) {
            TControl* child = Control->Controls(i);
            if (!ScrollRect ||
                QRect(child->Left(), child->Top(), child->Width(), child->Height()).intersects(source))
                child->SetBounds(child->Left() + Dx, child->Top() + Dy, child->Width(), child->Height());
        }
    }
    if (Client)
        Client->update(area);
    return uncovered.isEmpty() ? NULLREGION : SIMPLEREGION;
}

// ---------------------------------------------------------------------------
// TCustomControl

TCustomControl::TCustomControl(TComponent* AOwner) : TWinControl(AOwner) {}

TCanvas* TCustomControl::Canvas()
{
    return WindowCanvas();
}

void TCustomControl::Paint() {}

void TCustomControl::PaintWindow(TCanvas* Canvas)
{
    // Paint draws on Canvas() whatever canvas this paint is for.
    TCanvas* previous = FPaintCanvas;
    FPaintCanvas = Canvas;
    try {
        Paint();
    } catch (...) {
        FPaintCanvas = previous;
        throw;
    }
    FPaintCanvas = previous;
}
