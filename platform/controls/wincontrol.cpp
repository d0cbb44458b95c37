// TWinControl: the window's life (creation when needed, destruction,
// recreation), children, showing, bounds and the client area, and the message
// map shared by all windows. Keys and focus are in wincontrol_keys.cpp, painting
// in wincontrol_paint.cpp, alignment in wincontrol_align.cpp.
#include <QApplication>
#include <QScrollBar>

#include <algorithm>
#include <iterator>

#include "platform/controls/controls_qt.h"
#include "platform/controls/dragdrop.h"
#include "platform/controls/forms.h"
#include "platform/controls/winapi.h"
#include "platform/core/sysutils.h"
#include "platform/graphics/canvas.h"

TWinControl::TWinControl(TComponent* aOwner) : TControl(aOwner) {}

TWinControl::~TWinControl()
{
    Destroying();
    // Children go with their parent, the last first; each leaves the list itself.
    while (!FControls.empty()) {
        TControl* child = FControls.back();
        delete child;
        if (!FControls.empty() && FControls.back() == child)
            FControls.pop_back();
    }
    DestroyHandle();
    if (FParent)
        FParent->RemoveControl(this);
}

// ---------------------------------------------------------------------------
// The window

HWND TWinControl::Handle()
{
    if (!FHandle)
        CreateHandle();
    return FHandle;
}

void TWinControl::CreateHandle()
{
    if (FHandle)
        return;
    if (!FParent && !IsTopLevel())
        throw EInvalidOperation(Format("Control '%s' has no parent window", {Name()}));
    if (FParent)
        FParent->HandleNeeded();
    if (FHandle)
        return;
    FControlState |= csCreating;
    try {
        CreateWnd();
    } catch (...) {
        FControlState &= ~csCreating;
        throw;
    }
    FControlState &= ~csCreating;
}

void TWinControl::CreateParams(TCreateParams& params)
{
    params.Caption = Caption();
    params.X = FLeft;
    params.Y = FTop;
    params.Width = FWidth;
    params.Height = FHeight;
    params.Style = FParent ? (WS_CHILD | WS_CLIPSIBLINGS) : WS_POPUP;
    params.ExStyle = 0;
    if (FTabStop)
        params.Style |= WS_TABSTOP;
}

int TWinControl::BorderWidthForParams()
{
    TCreateParams params;
    CreateParams(params);
    return (params.ExStyle & WS_EX_CLIENTEDGE) ? 2 : (params.Style & WS_BORDER) ? 1 : 0;
}

void TWinControl::CreateWnd()
{
    EnsureControlsRuntime();
    TCreateParams params;
    CreateParams(params);
    QWidget* parentClient = FParent ? ClientWidgetOf(FParent) : nullptr;
    FWindow = std::make_unique<TWindowData>(this, params, parentClient);
    FHandle = AllocateWindowHandle(this);
    FWindow->Frame->setEnabled(Enabled());
    // Stack the new window under the later siblings that have windows already
    // (a new window is on top of its siblings: nothing to do when none has).
    if (FParent) {
        if (!FNoLaterWindowedSibling) {
            auto self = std::find(FParent->FControls.begin(), FParent->FControls.end(), this);
            for (auto it = self == FParent->FControls.end() ? self : self + 1; it != FParent->FControls.end();
                 ++it)
                if (QWidget* frame = FrameWidgetOf(dynamic_cast<TWinControl*>(*it))) {
                    FWindow->Frame->stackUnder(frame);
                    break;
                }
        }
        FWindow->Frame->setVisible(Visible());
    }
    Perform(CM_CURSORCHANGED, 0, 0);
    // A window made again accepts files as the one before did.
    if (FAcceptsFiles)
        DragAcceptFiles(FHandle, true);
    FLastClientSize = TSize{-1, -1};
    ClientSizeMayHaveChanged();
}

void TWinControl::DestroyHandle()
{
    if (!FHandle)
        return;
    for (TControl* child : FControls)
        if (auto* win = dynamic_cast<TWinControl*>(child))
            win->DestroyHandle();
    FControlState |= csDestroyingHandle;
    DestroyWnd();
    FControlState &= ~csDestroyingHandle;
}

void TWinControl::DestroyWnd()
{
    RunGuarded(this, [&] { Perform(WM_DESTROY, 0, 0); });
    const HWND wnd = FHandle;
    FHandle = nullptr;
    FreeWindowHandle(wnd);
    FWindow.reset();
    FLastClientSize = TSize{-1, -1};
}

void TWinControl::RecreateWnd()
{
    if (!FHandle)
        return;
    const bool wasFocused = Focused();
    DestroyHandle();
    UpdateControlState();
    if (!FHandle)
        HandleNeeded();
    if (wasFocused && FHandle)
        ::SetFocus(FHandle);
}

void TWinControl::UpdateControlState()
{
    const bool parentShowing = FParent ? FParent->FShowing : IsTopLevel();
    const bool showing = Visible() && parentShowing && !(ComponentState() & csDestroying);
    if (showing != FShowing || (showing && !FHandle))
        SetShowing(showing);
    // Which children come before a sibling with a window: only a window made
    // for one of those has to be stacked, so that showing many children at
    // once does not look through their siblings for each.
    const size_t count = FControls.size();
    std::vector<bool> laterWindow(count, false);
    for (size_t i = count; i-- > 1;)
        laterWindow[i - 1] = laterWindow[i] || FrameWidgetOf(dynamic_cast<TWinControl*>(FControls[i]));
    for (size_t i = 0; i < FControls.size(); ++i)
        if (auto* win = dynamic_cast<TWinControl*>(FControls[i])) {
            win->FNoLaterWindowedSibling = FControls.size() == count && !laterWindow[i];
            win->UpdateControlState();
            win->FNoLaterWindowedSibling = false;
        }
}

void TWinControl::SetShowing(bool value)
{
    FShowing = value;
    if (value && !FHandle)
        CreateHandle();
    UpdateShowing();
}

void TWinControl::UpdateShowing()
{
    if (FWindow && FParent)
        FWindow->Frame->setVisible(Visible());
}

// ---------------------------------------------------------------------------
// Children

TControl* TWinControl::Controls(int index) const
{
    if (index < 0 || index >= ControlCount())
        throw EListError(Format(SysConst::SListIndexError, {index}));
    return FControls[static_cast<size_t>(index)];
}

void TWinControl::InsertControl(TControl* aControl)
{
    if (!aControl || aControl->FParent == this)
        return;
    if (aControl == this)
        throw EInvalidOperation("A control cannot have itself as its parent");
    FControls.push_back(aControl);
    aControl->FParent = this;
    aControl->UpdateAnchorRules();
    auto* win = dynamic_cast<TWinControl*>(aControl);
    if (win) {
        InsertTabOrder(win);
        if (win->FPendingTabOrder >= 0) {
            const int order = win->FPendingTabOrder;
            win->FPendingTabOrder = -1;
            win->SetTabOrder(order);
        }
    }
    aControl->Perform(CM_PARENTCOLORCHANGED, 0, 0);
    aControl->Perform(CM_PARENTFONTCHANGED, 0, 0);
    aControl->Perform(CM_PARENTCTL3DCHANGED, 0, 0);
    if (win)
        win->UpdateControlState();
    AlignControl(aControl);
}

void TWinControl::RemoveControl(TControl* aControl)
{
    if (!aControl || aControl->FParent != this)
        return;
    if (auto* win = dynamic_cast<TWinControl*>(aControl)) {
        win->RemoveFocus(true);
        win->DestroyHandle();
        RemoveTabOrder(win);
        win->FShowing = false;
    }
    // A control is in the list once; looked for from the end, since a window
    // frees its controls last-first.
    const auto found = std::find(FControls.rbegin(), FControls.rend(), aControl);
    if (found != FControls.rend())
        FControls.erase(std::next(found).base());
    aControl->FParent = nullptr;
    Realign();
}

bool TWinControl::ContainsControl(const TControl* control) const
{
    for (const TControl* c = control; c; c = c->Parent())
        if (c == this)
            return true;
    return false;
}

TControl* TWinControl::ControlAtPos(const TPoint& pos, bool allowDisabled) const
{
    for (auto it = FControls.rbegin(); it != FControls.rend(); ++it) {
        TControl* child = *it;
        if (child->Visible() && (allowDisabled || child->Enabled()) && child->BoundsRect().Contains(pos))
            return child;
    }
    return nullptr;
}

void TWinControl::SetChildOrder(TControl* child, int order)
{
    auto it = std::find(FControls.begin(), FControls.end(), child);
    if (it == FControls.end())
        return;
    FControls.erase(it);
    order = std::clamp(order, 0, ControlCount());
    FControls.insert(FControls.begin() + order, child);
    if (QWidget* frame = FrameWidgetOf(dynamic_cast<TWinControl*>(child))) {
        if (order == ControlCount() - 1)
            frame->raise();
        else if (order == 0)
            frame->lower();
    }
    AlignControl(child);
}

// ---------------------------------------------------------------------------
// Bounds and the client area

void TWinControl::SetBounds(int aLeft, int aTop, int aWidth, int aHeight)
{
    if (!StoreBounds(aLeft, aTop, aWidth, aHeight))
        return;
    ApplyBounds();
    RequestAlign();
}

void TWinControl::ApplyBounds()
{
    if (FWindow) {
        if (FParent)
            FWindow->Frame->setGeometry(FLeft, FTop, FWidth, FHeight);
        else {
            FWindow->Frame->move(FLeft, FTop);
            FWindow->Frame->resize(std::max(FWidth, 1), std::max(FHeight, 1));
        }
        FWindow->Layout();
    }
    ClientSizeMayHaveChanged();
}

void TWinControl::ClientSizeMayHaveChanged()
{
    const TRect client = ClientRect();
    const TSize size{client.Width(), client.Height()};
    if (size == FLastClientSize)
        return;
    FLastClientSize = size;
    if (FWindow)
        Perform(WM_SIZE, SIZE_RESTORED, MAKELPARAM(size.cx, size.cy));
    else
        Realign();
}

TRect TWinControl::ClientRect() const
{
    if (FWindow)
        return Rect(0, 0, FWindow->ClientInFrame.Width(), FWindow->ClientInFrame.Height());
    const int b = const_cast<TWinControl*>(this)->BorderWidthForParams();
    return Rect(0, 0, std::max(FWidth - 2 * b, 0), std::max(FHeight - 2 * b, 0));
}

TPoint TWinControl::ClientOrigin() const
{
    if (FWindow && FWindow->Client) {
        const QPoint origin = FWindow->Client->mapToGlobal(QPoint(0, 0));
        return TPoint{origin.x(), origin.y()};
    }
    const int b = const_cast<TWinControl*>(this)->BorderWidthForParams();
    TPoint origin{FLeft + b, FTop + b};
    if (FParent) {
        const TPoint parent = FParent->ClientOrigin();
        origin.X += parent.X;
        origin.Y += parent.Y;
    }
    return origin;
}

void TWindowAdapter::FrameMoved(TWinControl* control, int left, int top)
{
    control->FLeft = left;
    control->FTop = top;
}

void TWindowAdapter::FrameResized(TWinControl* control, int width, int height)
{
    if (width == control->FWidth && height == control->FHeight)
        return;
    control->FWidth = width;
    control->FHeight = height;
    if (control->FWindow)
        control->FWindow->Layout();
    control->ClientSizeMayHaveChanged();
}

void TWinControl::SetEnabled(bool value)
{
    TControl::SetEnabled(value);
    if (FWindow)
        FWindow->Frame->setEnabled(value);
}

// ---------------------------------------------------------------------------
// Messages

void TWinControl::WndProc(TMessage& message)
{
    switch (message.Msg) {
    case WM_SETFOCUS:
        if (TCustomForm* form = GetParentForm(this))
            if (!form->SetFocusedControl(this))
                return;
        break;
    case WM_KILLFOCUS:
        if (ControlState() & csFocusing)
            return;
        break;
    default:
        break;
    }
    TControl::WndProc(message);
}

void TWinControl::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case WM_PAINT:
        WMPaint(message);
        break;
    case WM_ERASEBKGND:
        WMEraseBkgnd(message);
        break;
    case WM_SIZE:
        WMSize(message);
        break;
    case WM_SETFOCUS:
        WMSetFocus(message);
        break;
    case WM_KILLFOCUS:
        WMKillFocus(message);
        break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        WMKeyDown(message);
        break;
    case WM_KEYUP:
    case WM_SYSKEYUP:
        WMKeyUp(message);
        break;
    case WM_CHAR:
        WMChar(message);
        break;
    case WM_SETCURSOR:
        WMSetCursor(message);
        break;
    case CN_KEYDOWN:
    case CN_SYSKEYDOWN:
        CNKeyDown(message);
        break;
    case CM_DIALOGKEY:
        CMDialogKey(message);
        break;
    case CM_CTL3DCHANGED:
        CMCtl3DChanged(message);
        break;
    case CM_VISIBLECHANGED:
        UpdateControlState();
        break;
    case CM_ENABLEDCHANGED:
        if (!Enabled() && Focused())
            RemoveFocus(false);
        Invalidate();
        break;
    case CM_CURSORCHANGED:
        ApplyControlCursor(this);
        break;
    case CM_ENTER:
        DoEnter();
        break;
    case CM_EXIT:
        DoExit();
        break;
    case CM_FONTCHANGED:
        FontChanged();
        NotifyChildrenFontChanged();
        break;
    case CM_COLORCHANGED:
        ColorChanged();
        NotifyChildrenColorChanged();
        break;
    default:
        TControl::Dispatch(message);
        break;
    }
}

void TWinControl::DefaultHandler(TMessage& message)
{
    switch (message.Msg) {
    case WM_RBUTTONUP:
        // The platform asks for the context menu when the right button comes up.
        if (FHandle) {
            const TPoint screen = ClientToScreen(PointFromLParam(message.LParam));
            Perform(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(FHandle), PointToLParam(screen.X, screen.Y));
        }
        break;
    case WM_CONTEXTMENU:
    case WM_MOUSEWHEEL:
        // Unhandled: the parent window's turn.
        if (FParent)
            message.Result = FParent->Perform(message.Msg, message.WParam, message.LParam);
        break;
    case WM_KEYUP:
    case WM_SYSKEYUP:
        // The menu key asks for the context menu when it comes up; Shift+F10 when it goes down.
        if (LOWORD(message.WParam) == VK_APPS && FHandle)
            Perform(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(FHandle), MAKELPARAM(-1, -1));
        break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        if (LOWORD(message.WParam) == VK_F10 && GetKeyState(VK_SHIFT) < 0 && FHandle)
            Perform(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(FHandle), MAKELPARAM(-1, -1));
        break;
    case WM_IME_COMPOSITION:
        DefaultImeComposition(this, message);
        break;
    default:
        break;
    }
}

void TWinControl::WMSize(TMessage&)
{
    Realign();
    if (!(ComponentState() & csLoading))
        Resize();
}

void TWinControl::WMSetCursor(TMessage& message)
{
    ApplyControlCursor(this);
    message.Result = 1;
}

void TWinControl::CMCtl3DChanged(TMessage&)
{
    for (TControl* child : std::vector<TControl*>(FControls))
        child->Perform(CM_PARENTCTL3DCHANGED, 0, 0);
}

void TWinControl::NotifyChildrenFontChanged()
{
    for (TControl* child : std::vector<TControl*>(FControls))
        child->Perform(CM_PARENTFONTCHANGED, 0, 0);
}

void TWinControl::NotifyChildrenColorChanged()
{
    for (TControl* child : std::vector<TControl*>(FControls))
        child->Perform(CM_PARENTCOLORCHANGED, 0, 0);
}

// ---------------------------------------------------------------------------
// Lookups

TWinControl* FindVCLWindow(const TPoint& pos)
{
    QWidget* widget = QApplication::widgetAt(pos.X, pos.Y);
    return widget ? ControlOfWidget(widget) : nullptr;
}

TCustomForm* GetParentForm(const TControl* control)
{
    const TControl* top = control;
    while (top && top->Parent())
        top = top->Parent();
    return const_cast<TCustomForm*>(dynamic_cast<const TCustomForm*>(top));
}

TCustomForm* ValidParentForm(const TControl* control)
{
    TCustomForm* form = GetParentForm(control);
    if (!form)
        throw EInvalidOperation(
            Format("Control '%s' has no parent window", {control ? control->Name() : ""}));
    return form;
}
