// The window functions of a window's place and looks: coordinates, painting
// requests, showing, placing and styles, and system metrics.
#include <QApplication>
#include <QScreen>
#include <QStyle>
#include <QStyleHints>

#include "platform/controls/controls_qt.h"
#include "platform/controls/forms.h"
#include "platform/controls/uiservices.h"
#include "platform/controls/winapi.h"
#include "platform/graphics/qtsupport.h"

namespace {

TWindowData* DataOf(HWND wnd)
{
    return WindowDataOf(FindControl(wnd));
}

// A child control goes to the top of its parent's children; a top-level
// window is raised on the desktop as it stands (its flags unchanged, so that
// the toolkit keeps its native window).
void BringWindowToFront(TWinControl* control)
{
    if (control->Parent())
        control->BringToFront();
    else
        UIServices().BringToFront(control->Handle());
}

} // namespace

// ---------------------------------------------------------------------------
// Coordinates

bool GetClientRect(HWND wnd, TRect& rect)
{
    TWinControl* control = FindControl(wnd);
    if (!control)
        return false;
    rect = control->ClientRect();
    return true;
}

bool GetWindowRect(HWND wnd, TRect& rect)
{
    TWindowData* data = DataOf(wnd);
    if (!data)
        return false;
    const QPoint origin = data->Frame->mapToGlobal(QPoint(0, 0));
    rect = Bounds(origin.x(), origin.y(), data->Frame->width(), data->Frame->height());
    return true;
}

bool ClientToScreen(HWND wnd, TPoint& point)
{
    TWinControl* control = FindControl(wnd);
    if (!control)
        return false;
    point = control->ClientToScreen(point);
    return true;
}

bool ScreenToClient(HWND wnd, TPoint& point)
{
    TWinControl* control = FindControl(wnd);
    if (!control)
        return false;
    point = control->ScreenToClient(point);
    return true;
}

// ---------------------------------------------------------------------------
// Painting

bool InvalidateRect(HWND wnd, const TRect* rect, bool erase)
{
    TWindowData* data = DataOf(wnd);
    if (!data || !data->Client)
        return false;
    const QRect client(0, 0, data->ClientInFrame.Width(), data->ClientInFrame.Height());
    const QRect area = rect ? QRect(rect->Left, rect->Top, rect->Width(), rect->Height()) & client : client;
    if (area.isEmpty())
        return true;
    data->Invalid += area;
    data->EraseNeeded = data->EraseNeeded || erase;
    data->Client->update(area);
    return true;
}

bool ValidateRect(HWND wnd, const TRect* rect)
{
    TWindowData* data = DataOf(wnd);
    if (!data)
        return false;
    if (rect)
        data->Invalid -= QRect(rect->Left, rect->Top, rect->Width(), rect->Height());
    else
        data->Invalid = QRegion();
    return true;
}

bool GetUpdateRect(HWND wnd, TRect* rect, bool)
{
    TWindowData* data = DataOf(wnd);
    if (!data || data->Invalid.isEmpty()) {
        if (rect)
            *rect = TRect{};
        return false;
    }
    const QRect r = data->Invalid.boundingRect();
    if (rect)
        *rect = Bounds(r.x(), r.y(), r.width(), r.height());
    return true;
}

bool UpdateWindow(HWND wnd)
{
    TWinControl* control = FindControl(wnd);
    TWindowData* data = WindowDataOf(control);
    if (!data)
        return false;
    if (!control->Showing() || data->Invalid.isEmpty())
        return true;
    const QRect area = data->Invalid.boundingRect();
    // A window to be painted whole is painted in the toolkit's paint that
    // shows it, straight into the toolkit's copy of the window when it can
    // be; a toolkit that does not paint it now (a window not shown yet)
    // leaves it to be painted below.
    if (data->Client && data->Client->isVisible() && !InToolkitPaint() &&
        (QRegion(data->Client->rect()) - data->Invalid).isEmpty()) {
        data->Client->repaint(area);
        data = FindControl(wnd) == control ? WindowDataOf(control) : nullptr;
        if (!data || data->Invalid.isEmpty())
            return true;
    }
    data->PaintInvalid();
    // The window may be gone after its paint handler.
    data = FindControl(wnd) == control ? WindowDataOf(control) : nullptr;
    if (!data || !data->Client)
        return true;
    // Show the new pixels now, unless the toolkit is painting already.
    if (InToolkitPaint() || !data->Client->isVisible())
        data->Client->update(area);
    else
        data->Client->repaint(area);
    return true;
}

bool RedrawWindow(HWND wnd, const TRect* rect, void* updateRegion, UINT flags)
{
    TWinControl* control = FindControl(wnd);
    TWindowData* data = WindowDataOf(control);
    if (!data || updateRegion)
        return false;
    if (flags & RDW_INVALIDATE)
        InvalidateRect(wnd, rect, (flags & RDW_ERASE) != 0);
    if (flags & RDW_VALIDATE)
        ValidateRect(wnd, rect);
    if ((flags & RDW_FRAME) && data->Frame)
        data->Frame->update();
    if (flags & RDW_ALLCHILDREN)
        for (int i = 0; i < control->ControlCount(); ++i)
            if (auto* child = dynamic_cast<TWinControl*>(control->Controls(i));
                child && child->HandleAllocated())
                RedrawWindow(child->Handle(), nullptr, nullptr, flags & ~RDW_UPDATENOW);
    if (flags & RDW_UPDATENOW)
        UpdateWindow(wnd);
    return true;
}

int ScrollWindowEx(HWND wnd, int dx, int dy, const TRect* scroll, const TRect* clip, void* updateRegion,
                   TRect* update, UINT flags)
{
    TWindowData* data = DataOf(wnd);
    if (!data || updateRegion)
        return ERROR;
    return data->Scroll(dx, dy, scroll, clip, update, flags);
}

// ---------------------------------------------------------------------------
// Showing, placing, styles

bool ShowWindow(HWND wnd, int cmd)
{
    if (IsApplicationHandle(wnd))
        return ShowApplicationWindow(cmd);
    TWinControl* control = FindControl(wnd);
    if (!control)
        return false;
    const bool wasVisible = control->Visible();
    auto* form = dynamic_cast<TCustomForm*>(control);
    switch (cmd) {
    case SW_HIDE:
        control->SetVisible(false);
        break;
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
        if (form)
            form->SetWindowState(wsMinimized);
        control->SetVisible(true);
        break;
    case SW_MAXIMIZE:
        if (form)
            form->SetWindowState(wsMaximized);
        control->SetVisible(true);
        break;
    case SW_RESTORE:
    case SW_SHOWNORMAL:
        if (form)
            form->SetWindowState(wsNormal);
        control->SetVisible(true);
        break;
    default:
        control->SetVisible(true);
        break;
    }
    return wasVisible;
}

bool SetWindowPos(HWND wnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags)
{
    TWinControl* control = FindControl(wnd);
    if (!control)
        return false;
    if (!(flags & SWP_NOMOVE) || !(flags & SWP_NOSIZE)) {
        const int left = (flags & SWP_NOMOVE) ? control->Left() : x;
        const int top = (flags & SWP_NOMOVE) ? control->Top() : y;
        const int width = (flags & SWP_NOSIZE) ? control->Width() : cx;
        const int height = (flags & SWP_NOSIZE) ? control->Height() : cy;
        control->SetBounds(left, top, width, height);
    }
    if (!(flags & SWP_NOZORDER)) {
        TWindowData* data = WindowDataOf(control);
        if (insertAfter == HWND_TOPMOST || insertAfter == HWND_NOTOPMOST) {
            const bool topmost = insertAfter == HWND_TOPMOST;
            if (data)
                data->ExStyle = topmost ? (data->ExStyle | WS_EX_TOPMOST) : (data->ExStyle & ~WS_EX_TOPMOST);
            UIServices().SetStayOnTop(wnd, topmost);
            if (topmost)
                BringWindowToFront(control);
        } else if (insertAfter == HWND_BOTTOM)
            control->SendToBack();
        else
            BringWindowToFront(control);
    }
    if (flags & SWP_FRAMECHANGED) {
        if (TWindowData* data = WindowDataOf(control)) {
            data->BorderWidth = (data->ExStyle & WS_EX_CLIENTEDGE) ? 2 : (data->Style & WS_BORDER) ? 1 : 0;
            data->Layout();
            data->Frame->update();
            TWindowAdapter::ClientSizeMayHaveChanged(control);
        }
    }
    if (flags & SWP_SHOWWINDOW)
        control->SetVisible(true);
    if (flags & SWP_HIDEWINDOW)
        control->SetVisible(false);
    return true;
}

LONG GetWindowLong(HWND wnd, int index)
{
    if (IsApplicationHandle(wnd))
        return index == GWL_EXSTYLE ? ApplicationExStyle() : static_cast<LONG>(WS_POPUP | WS_VISIBLE);
    TWinControl* control = FindControl(wnd);
    TWindowData* data = WindowDataOf(control);
    if (!data)
        return 0;
    if (index == GWL_EXSTYLE)
        return static_cast<LONG>(data->ExStyle);
    if (index != GWL_STYLE)
        return 0;
    DWORD style =
        data->Style & ~(WS_VISIBLE | WS_DISABLED | WS_VSCROLL | WS_HSCROLL | WS_MINIMIZE | WS_MAXIMIZE);
    if (control->Visible())
        style |= WS_VISIBLE;
    if (!control->Enabled())
        style |= WS_DISABLED;
    if (data->Bars[1].Shown)
        style |= WS_VSCROLL;
    if (data->Bars[0].Shown)
        style |= WS_HSCROLL;
    if (auto* form = dynamic_cast<TCustomForm*>(control)) {
        if (form->WindowState() == wsMinimized)
            style |= WS_MINIMIZE;
        if (form->WindowState() == wsMaximized)
            style |= WS_MAXIMIZE;
    }
    return static_cast<LONG>(style);
}

LONG SetWindowLong(HWND wnd, int index, LONG newLong)
{
    const LONG previous = GetWindowLong(wnd, index);
    if (IsApplicationHandle(wnd)) {
        if (index == GWL_EXSTYLE)
            SetApplicationExStyle(newLong);
        return previous;
    }
    TWinControl* control = FindControl(wnd);
    TWindowData* data = WindowDataOf(control);
    if (!data)
        return 0;
    if (index == GWL_STYLE) {
        data->Style = static_cast<DWORD>(newLong);
        return previous;
    }
    if (index != GWL_EXSTYLE)
        return 0;
    const DWORD changed = static_cast<DWORD>(previous ^ newLong);
    data->ExStyle = static_cast<DWORD>(newLong);
    if (control->Parent() == nullptr) {
        if (changed & WS_EX_TOOLWINDOW)
            UIServices().SetSkipTaskbar(wnd, (newLong & WS_EX_TOOLWINDOW) != 0);
        if (changed & WS_EX_TOPMOST)
            UIServices().SetStayOnTop(wnd, (newLong & WS_EX_TOPMOST) != 0);
    }
    if (changed & WS_EX_LEFTSCROLLBAR)
        data->Layout();
    return previous;
}

// ---------------------------------------------------------------------------
// Metrics

int GetSystemMetrics(int index)
{
    EnsureQtApplication();
    switch (index) {
    case SM_CXSCREEN:
    case SM_CYSCREEN: {
        const QScreen* screen = QGuiApplication::primaryScreen();
        if (!screen)
            return 0;
        return index == SM_CXSCREEN ? screen->geometry().width() : screen->geometry().height();
    }
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
        return QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    case SM_CXBORDER:
    case SM_CYBORDER:
        return 1;
    case SM_CXEDGE:
    case SM_CYEDGE:
        return 2;
    case SM_CXDOUBLECLK:
    case SM_CYDOUBLECLK:
        return 2 * QGuiApplication::styleHints()->startDragDistance() / 3 + 1;
    default:
        return 0;
    }
}

UINT GetDoubleClickTime()
{
    EnsureQtApplication();
    return static_cast<UINT>(QGuiApplication::styleHints()->mouseDoubleClickInterval());
}
