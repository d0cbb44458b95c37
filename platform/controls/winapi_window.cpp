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

TWindowData* DataOf(HWND Wnd)
{
    return WindowDataOf(FindControl(Wnd));
}

} // namespace

// ---------------------------------------------------------------------------
// Coordinates

bool GetClientRect(HWND Wnd, TRect& Rect)
{
    TWinControl* control = FindControl(Wnd);
    if (!control)
        return false;
    Rect = control->ClientRect();
    return true;
}

bool GetWindowRect(HWND Wnd, TRect& Rect)
{
    TWindowData* data = DataOf(Wnd);
    if (!data)
        return false;
    const QPoint origin = data->Frame->mapToGlobal(QPoint(0, 0));
    Rect = Bounds(origin.x(), origin.y(), data->Frame->width(), data->Frame->height());
    return true;
}

bool ClientToScreen(HWND Wnd, TPoint& Point)
{
    TWinControl* control = FindControl(Wnd);
    if (!control)
        return false;
    Point = control->ClientToScreen(Point);
    return true;
}

bool ScreenToClient(HWND Wnd, TPoint& Point)
{
    TWinControl* control = FindControl(Wnd);
    if (!control)
        return false;
    Point = control->ScreenToClient(Point);
    return true;
}

// ---------------------------------------------------------------------------
// Painting

bool InvalidateRect(HWND Wnd, const TRect* Rect, bool Erase)
{
    TWindowData* data = DataOf(Wnd);
    if (!data || !data->Client)
        return false;
    const QRect client(0, 0, data->ClientInFrame.Width(), data->ClientInFrame.Height());
    const QRect area = Rect ? QRect(Rect->Left, Rect->Top, Rect->Width(), Rect->Height()) & client : client;
    if (area.isEmpty())
        return true;
    data->Invalid += area;
    data->EraseNeeded = data->EraseNeeded || Erase;
    data->Client->update(area);
    return true;
}

bool ValidateRect(HWND Wnd, const TRect* Rect)
{
    TWindowData* data = DataOf(Wnd);
    if (!data)
        return false;
    if (Rect)
        data->Invalid -= QRect(Rect->Left, Rect->Top, Rect->Width(), Rect->Height());
    else
        data->Invalid = QRegion();
    return true;
}

bool GetUpdateRect(HWND Wnd, TRect* Rect, bool)
{
    TWindowData* data = DataOf(Wnd);
    if (!data || data->Invalid.isEmpty()) {
        if (Rect)
            *Rect = TRect{};
        return false;
    }
    const QRect r = data->Invalid.boundingRect();
    if (Rect)
        *Rect = Bounds(r.x(), r.y(), r.width(), r.height());
    return true;
}

bool UpdateWindow(HWND Wnd)
{
    TWinControl* control = FindControl(Wnd);
    TWindowData* data = WindowDataOf(control);
    if (!data)
        return false;
    if (!control->Showing() || data->Invalid.isEmpty())
        return true;
    const QRect area = data->Invalid.boundingRect();
    data->PaintInvalid();
    // The window may be gone after its paint handler.
    data = FindControl(Wnd) == control ? WindowDataOf(control) : nullptr;
    if (!data || !data->Client)
        return true;
    // Show the new pixels now, unless the toolkit is painting already.
    if (InToolkitPaint() || !data->Client->isVisible())
        data->Client->update(area);
    else
        data->Client->repaint(area);
    return true;
}

bool RedrawWindow(HWND Wnd, const TRect* Rect, void* UpdateRegion, UINT Flags)
{
    TWinControl* control = FindControl(Wnd);
    TWindowData* data = WindowDataOf(control);
    if (!data || UpdateRegion)
        return false;
    if (Flags & RDW_INVALIDATE)
        InvalidateRect(Wnd, Rect, (Flags & RDW_ERASE) != 0);
    if (Flags & RDW_VALIDATE)
        ValidateRect(Wnd, Rect);
    if ((Flags & RDW_FRAME) && data->Frame)
        data->Frame->update();
    if (Flags & RDW_ALLCHILDREN)
        for (int i = 0; i < control->ControlCount(); ++i)
            if (auto* child = dynamic_cast<TWinControl*>(control->Controls(i));
                child && child->HandleAllocated())
                RedrawWindow(child->Handle(), nullptr, nullptr, Flags & ~RDW_UPDATENOW);
    if (Flags & RDW_UPDATENOW)
        UpdateWindow(Wnd);
    return true;
}

int ScrollWindowEx(HWND Wnd, int Dx, int Dy, const TRect* Scroll, const TRect* Clip, void* UpdateRegion,
                   TRect* Update, UINT Flags)
{
    TWindowData* data = DataOf(Wnd);
    if (!data || UpdateRegion)
        return ERROR;
    return data->Scroll(Dx, Dy, Scroll, Clip, Update, Flags);
}

// ---------------------------------------------------------------------------
// Showing, placing, styles

bool ShowWindow(HWND Wnd, int Cmd)
{
    if (IsApplicationHandle(Wnd))
        return ShowApplicationWindow(Cmd);
    TWinControl* control = FindControl(Wnd);
    if (!control)
        return false;
    const bool wasVisible = control->Visible();
    auto* form = dynamic_cast<TCustomForm*>(control);
    switch (Cmd) {
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

bool SetWindowPos(HWND Wnd, HWND InsertAfter, int X, int Y, int Cx, int Cy, UINT Flags)
{
    TWinControl* control = FindControl(Wnd);
    if (!control)
        return false;
    if (!(Flags & SWP_NOMOVE) || !(Flags & SWP_NOSIZE)) {
        const int left = (Flags & SWP_NOMOVE) ? control->Left() : X;
        const int top = (Flags & SWP_NOMOVE) ? control->Top() : Y;
        const int width = (Flags & SWP_NOSIZE) ? control->Width() : Cx;
        const int height = (Flags & SWP_NOSIZE) ? control->Height() : Cy;
        control->SetBounds(left, top, width, height);
    }
    if (!(Flags & SWP_NOZORDER)) {
        TWindowData* data = WindowDataOf(control);
        if (InsertAfter == HWND_TOPMOST || InsertAfter == HWND_NOTOPMOST) {
            const bool topmost = InsertAfter == HWND_TOPMOST;
            if (data)
                data->ExStyle = topmost ? (data->ExStyle | WS_EX_TOPMOST) : (data->ExStyle & ~WS_EX_TOPMOST);
            UIServices().SetStayOnTop(Wnd, topmost);
            if (topmost)
                control->BringToFront();
        } else if (InsertAfter == HWND_BOTTOM)
            control->SendToBack();
        else
            control->BringToFront();
    }
    if (Flags & SWP_FRAMECHANGED) {
        if (TWindowData* data = WindowDataOf(control)) {
            data->BorderWidth = (data->ExStyle & WS_EX_CLIENTEDGE) ? 2 : (data->Style & WS_BORDER) ? 1 : 0;
            data->Layout();
            data->Frame->update();
            TWindowAdapter::ClientSizeMayHaveChanged(control);
        }
    }
    if (Flags & SWP_SHOWWINDOW)
        control->SetVisible(true);
    if (Flags & SWP_HIDEWINDOW)
        control->SetVisible(false);
    return true;
}

LONG GetWindowLong(HWND Wnd, int Index)
{
    if (IsApplicationHandle(Wnd))
        return Index == GWL_EXSTYLE ? ApplicationExStyle() : static_cast<LONG>(WS_POPUP | WS_VISIBLE);
    TWinControl* control = FindControl(Wnd);
    TWindowData* data = WindowDataOf(control);
    if (!data)
        return 0;
    if (Index == GWL_EXSTYLE)
        return static_cast<LONG>(data->ExStyle);
    if (Index != GWL_STYLE)
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

LONG SetWindowLong(HWND Wnd, int Index, LONG NewLong)
{
    const LONG previous = GetWindowLong(Wnd, Index);
    if (IsApplicationHandle(Wnd)) {
        if (Index == GWL_EXSTYLE)
            SetApplicationExStyle(NewLong);
        return previous;
    }
    TWinControl* control = FindControl(Wnd);
    TWindowData* data = WindowDataOf(control);
    if (!data)
        return 0;
    if (Index == GWL_STYLE) {
        data->Style = static_cast<DWORD>(NewLong);
        return previous;
    }
    if (Index != GWL_EXSTYLE)
        return 0;
    const DWORD changed = static_cast<DWORD>(previous ^ NewLong);
    data->ExStyle = static_cast<DWORD>(NewLong);
    if (control->Parent() == nullptr) {
        if (changed & WS_EX_TOOLWINDOW)
            UIServices().SetSkipTaskbar(Wnd, (NewLong & WS_EX_TOOLWINDOW) != 0);
        if (changed & WS_EX_TOPMOST)
            UIServices().SetStayOnTop(Wnd, (NewLong & WS_EX_TOPMOST) != 0);
    }
    if (changed & WS_EX_LEFTSCROLLBAR)
        data->Layout();
    return previous;
}

// ---------------------------------------------------------------------------
// Metrics

int GetSystemMetrics(int Index)
{
    EnsureQtApplication();
    switch (Index) {
    case SM_CXSCREEN:
    case SM_CYSCREEN: {
        const QScreen* screen = QGuiApplication::primaryScreen();
        if (!screen)
            return 0;
        return Index == SM_CXSCREEN ? screen->geometry().width() : screen->geometry().height();
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
