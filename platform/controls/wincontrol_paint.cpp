// TWinControl painting: invalidation, immediate updates, WM_ERASEBKGND and
// WM_PAINT, painting into another canvas (PaintTo, which is also the window's
// picture), scrolling the window's pixels; and TCustomControl, which paints
// itself in Paint.
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

void TWinControl::InvalidateRect(const TRect& rect, bool erase)
{
    if (FHandle)
        ::InvalidateRect(FHandle, &rect, erase);
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

void TWinControl::PaintTo(TCanvas* canvas, int x, int y)
{
    if (!canvas)
        return;
    const TRect client = ClientRect();
    const int saved = canvas->SaveDC();
    const TPoint viewport = canvas->ViewportOrg();
    canvas->SetViewportOrgEx(viewport.X + x, viewport.Y + y);
    canvas->IntersectClipRect(0, 0, client.Right, client.Bottom);
    Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(canvas), 0);
    Perform(WM_PAINT, reinterpret_cast<WPARAM>(canvas), 0);
    canvas->RestoreDC(saved);
    // Children over the client area, each at its own client origin.
    for (TControl* child : std::vector<TControl*>(FControls)) {
        auto* win = dynamic_cast<TWinControl*>(child);
        if (!win || !win->Visible())
            continue;
        TWindowData* data = win->FWindow.get();
        const int dx = data ? data->ClientInFrame.Left : win->BorderWidthForParams();
        const int dy = data ? data->ClientInFrame.Top : win->BorderWidthForParams();
        const int childSaved = canvas->SaveDC();
        const TPoint childViewport = canvas->ViewportOrg();
        canvas->SetViewportOrgEx(childViewport.X + x, childViewport.Y + y);
        canvas->IntersectClipRect(0, 0, client.Right, client.Bottom);
        canvas->SetViewportOrgEx(childViewport.X, childViewport.Y);
        win->PaintTo(canvas, x + win->Left() + dx, y + win->Top() + dy);
        canvas->RestoreDC(childSaved);
    }
}

void TWinControl::PaintImage(TCanvas* canvas, int x, int y)
{
    PaintTo(canvas, x, y);
}

TCanvas* TWinControl::WindowCanvas()
{
    if (FPaintCanvas)
        return FPaintCanvas;
    HandleNeeded();
    FWindow->CatchUpStore();
    // Drawing outside a paint goes straight into the window's pixels: show them.
    if (FWindow->Client)
        FWindow->Client->update();
    return FWindow->BufferCanvas;
}

void TWinControl::PaintWindow(TCanvas*) {}

void TWinControl::WMPaint(TMessage& message)
{
    TCanvas* canvas = message.WParam ? reinterpret_cast<TCanvas*>(message.WParam) : FPaintCanvas;
    if (!canvas) {
        // Sent outside a paint cycle: paint what is invalid now.
        if (FWindow)
            FWindow->PaintInvalid();
        return;
    }
    PaintWindow(canvas);
}

void TWinControl::WMEraseBkgnd(TMessage& message)
{
    auto* canvas = reinterpret_cast<TCanvas*>(message.WParam);
    if (canvas && Color() != clNone) {
        canvas->Brush()->SetColor(Color());
        canvas->Brush()->SetStyle(bsSolid);
        canvas->FillRect(canvas->ClipRect());
    }
    message.Result = 1;
}

// ---------------------------------------------------------------------------
// Scrolling the pixels of a window

int TWindowData::Scroll(int dx, int dy, const TRect* scrollRect, const TRect* clipRect, TRect* update,
                        UINT flags)
{
    const QRect client(0, 0, ClientInFrame.Width(), ClientInFrame.Height());
    const QRect source =
        scrollRect
            ? QRect(scrollRect->Left, scrollRect->Top, scrollRect->Width(), scrollRect->Height()) & client
            : client;
    const QRect clip =
        clipRect ? QRect(clipRect->Left, clipRect->Top, clipRect->Width(), clipRect->Height()) & client
                 : client;
    const QRect area = source & clip;
    // Where the moved pixels land, within the scrolled area and the clip.
    const QRect target = source.translated(dx, dy) & area;
    CatchUpStore();
    const bool whole = dx == 0 && area == client && !target.isEmpty();
    if (whole && ScrollView(dy)) {
        // The view moved over the pixels.
    } else if (!target.isEmpty() && !Buffer.isNull()) {
        // Moved in place, row by row in the order that reads every row before
        // it is overwritten (memmove takes care of a row moved sideways).
        const int bytesPerLine = Buffer.bytesPerLine();
        uchar* bits = Buffer.bits();
        const size_t rowBytes = static_cast<size_t>(target.width()) * 4;
        const auto moveRow = [&](int y) {
            std::memmove(bits + static_cast<size_t>(y) * bytesPerLine + target.left() * 4,
                         bits + static_cast<size_t>(y - dy) * bytesPerLine + (target.left() - dx) * 4,
                         rowBytes);
        };
        if (dy > 0)
            for (int y = target.bottom(); y >= target.top(); --y)
                moveRow(y);
        else
            for (int y = target.top(); y <= target.bottom(); ++y)
                moveRow(y);
    }
    // What was waiting to be painted there moves with the pixels.
    const QRegion waiting = Invalid & area;
    Invalid = (Invalid - area) + (waiting.translated(dx, dy) & area);
    const QRegion uncovered = QRegion(area) - target;
    if ((flags & SW_INVALIDATE) && !uncovered.isEmpty()) {
        Invalid += uncovered;
        if (flags & SW_ERASE)
            EraseNeeded = true;
    }
    if (update) {
        const QRect bounds = uncovered.boundingRect();
        *update =
            uncovered.isEmpty() ? TRect{} : Bounds(bounds.x(), bounds.y(), bounds.width(), bounds.height());
    }
    const HWND wnd = TWindowAdapter::HandleOf(Control);
    CaretScrolled(wnd, Bounds(area.x(), area.y(), area.width(), area.height()), dx, dy);
    if (flags & SW_SCROLLCHILDREN) {
        for (int i = 0; i < Control->ControlCount(); ++i) {
            TControl* child = Control->Controls(i);
            if (!scrollRect ||
                QRect(child->Left(), child->Top(), child->Width(), child->Height()).intersects(source))
                child->SetBounds(child->Left() + dx, child->Top() + dy, child->Width(), child->Height());
        }
    }
    if (Client) {
        // The toolkit's copy of the window moves the same pixels by itself and
        // repaints from the buffer only what it uncovered (and what was
        // waiting there, moved with them), unless a child window lies on
        // them: its pixels there would move while it stays. Else the area is
        // shown again whole.
        bool childOver = false;
        for (const QObject* object : Client->children())
            if (const auto* child = qobject_cast<const QWidget*>(object);
                child && child->isVisible() && child->geometry().intersects(area))
                childOver = true;
        // Painting straight into the toolkit's copy, the pixels moved there already.
        if (PaintingStraight) {
        } else if (childOver) {
            Client->update(area);
        } else {
            Client->scroll(dx, dy, area);
        }
    }
    return uncovered.isEmpty() ? NULLREGION : SIMPLEREGION;
}

// ---------------------------------------------------------------------------
// TCustomControl

TCustomControl::TCustomControl(TComponent* aOwner) : TWinControl(aOwner) {}

TCanvas* TCustomControl::Canvas()
{
    return WindowCanvas();
}

void TCustomControl::Paint() {}

void TCustomControl::PaintWindow(TCanvas* canvas)
{
    // Paint draws on Canvas() whatever canvas this paint is for.
    TCanvas* previous = FPaintCanvas;
    FPaintCanvas = canvas;
    try {
        Paint();
    } catch (...) {
        FPaintCanvas = previous;
        throw;
    }
    FPaintCanvas = previous;
}
