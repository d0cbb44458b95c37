// TControl's mouse handling: buttons in the class library's order (a double
// click gives MouseDown, Click, MouseUp, DblClick, MouseDown with ssDouble,
// MouseUp), capture while the left button is down, the wheel in whole notches,
// and the context menu.
#include <cstdlib>

#include "platform/controls/controls.h"
#include "platform/controls/forms.h"
#include "platform/controls/menus.h"
#include "platform/controls/winapi.h"

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    if (OnMouseDown)
        OnMouseDown(this, button, shift, x, y);
}

void TControl::MouseMove(TShiftState shift, int x, int y)
{
    if (OnMouseMove)
        OnMouseMove(this, shift, x, y);
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    if (OnMouseUp)
        OnMouseUp(this, button, shift, x, y);
}

void TControl::DoMouseDown(const TMessage& message, TMouseButton button, TShiftState shift)
{
    if (FControlStyle & csNoStdEvents)
        return;
    MouseDown(button, KeysToShiftState(message.WParam) + shift, GET_X_LPARAM(message.LParam),
              GET_Y_LPARAM(message.LParam));
}

void TControl::DoMouseUp(const TMessage& message, TMouseButton button)
{
    if (FControlStyle & csNoStdEvents)
        return;
    MouseUp(button, KeysToShiftState(message.WParam), GET_X_LPARAM(message.LParam),
            GET_Y_LPARAM(message.LParam));
}

bool TControl::MouseCapture() const
{
    auto* self = dynamic_cast<const TWinControl*>(this);
    return self && self->HandleAllocated() && GetCapture() == const_cast<TWinControl*>(self)->Handle();
}

void TControl::SetMouseCapture(bool value)
{
    auto* self = dynamic_cast<TWinControl*>(this);
    if (!self || MouseCapture() == value)
        return;
    if (value)
        SetCapture(self->Handle());
    else
        ReleaseCapture();
}

void TControl::SendCancelMode(TControl* sender)
{
    for (TControl* control = this; control; control = control->Parent()) {
        auto* form = dynamic_cast<TCustomForm*>(control);
        if (form && form->Active() && form->ActiveControl() && form->ActiveControl() != sender)
            form->ActiveControl()->Perform(CM_CANCELMODE, 0, reinterpret_cast<LPARAM>(sender));
    }
}

void TControl::WMMouseButton(TMessage& message)
{
    switch (message.Msg) {
    case WM_LBUTTONDOWN:
        SendCancelMode(this);
        DefaultHandler(message);
        if (FControlStyle & csCaptureMouse)
            SetMouseCapture(true);
        if (FControlStyle & csClickEvents)
            FControlState |= csClicked;
        DoMouseDown(message, mbLeft, TShiftState());
        break;
    case WM_LBUTTONDBLCLK:
        SendCancelMode(this);
        DefaultHandler(message);
        if (FControlStyle & csCaptureMouse)
            SetMouseCapture(true);
        if (FControlStyle & csClickEvents)
            DblClick();
        DoMouseDown(message, mbLeft, TShiftState{ssDouble});
        break;
    case WM_LBUTTONUP: {
        DefaultHandler(message);
        if (FControlStyle & csCaptureMouse)
            SetMouseCapture(false);
        if (FControlState & csClicked) {
            FControlState &= ~csClicked;
            // A release outside the control is no click.
            if (ClientRect().Contains(PointFromLParam(message.LParam)))
                Click();
        }
        DoMouseUp(message, mbLeft);
        break;
    }
    case WM_RBUTTONDOWN:
        DefaultHandler(message);
        DoMouseDown(message, mbRight, TShiftState());
        break;
    case WM_RBUTTONDBLCLK:
        DefaultHandler(message);
        DoMouseDown(message, mbRight, TShiftState{ssDouble});
        break;
    case WM_RBUTTONUP:
        // The default handling asks for the context menu first.
        DefaultHandler(message);
        DoMouseUp(message, mbRight);
        break;
    case WM_MBUTTONDOWN:
        DefaultHandler(message);
        DoMouseDown(message, mbMiddle, TShiftState());
        break;
    case WM_MBUTTONDBLCLK:
        DefaultHandler(message);
        DoMouseDown(message, mbMiddle, TShiftState{ssDouble});
        break;
    case WM_MBUTTONUP:
        DefaultHandler(message);
        DoMouseUp(message, mbMiddle);
        break;
    default:
        break;
    }
}

void TControl::WMMouseMove(TMessage& message)
{
    DefaultHandler(message);
    if (!(FControlStyle & csNoStdEvents))
        MouseMove(KeysToShiftState(message.WParam), GET_X_LPARAM(message.LParam),
                  GET_Y_LPARAM(message.LParam));
}

void TControl::WMMouseWheel(TMessage& message)
{
    const TPoint pos = PointFromLParam(message.LParam);
    message.Result = 0;
    if (DoMouseWheel(KeysToShiftState(LOWORD(message.WParam)), GET_WHEEL_DELTA_WPARAM(message.WParam), pos))
        message.Result = 1;
    else
        DefaultHandler(message);
}

bool TControl::DoMouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos)
{
    bool handled = false;
    if (OnMouseWheel)
        OnMouseWheel(this, shift, wheelDelta, mousePos, handled);
    if (handled)
        return true;
    // Partial turns (fine-grained wheels) add up until a whole notch is reached.
    FWheelAccumulator += wheelDelta;
    while (std::abs(FWheelAccumulator) >= WHEEL_DELTA) {
        const bool down = FWheelAccumulator < 0;
        FWheelAccumulator += down ? WHEEL_DELTA : -WHEEL_DELTA;
        handled = down ? DoMouseWheelDown(shift, mousePos) : DoMouseWheelUp(shift, mousePos);
    }
    return handled;
}

bool TControl::DoMouseWheelDown(TShiftState shift, TPoint mousePos)
{
    bool handled = false;
    if (OnMouseWheelDown)
        OnMouseWheelDown(this, shift, mousePos, handled);
    return handled;
}

bool TControl::DoMouseWheelUp(TShiftState shift, TPoint mousePos)
{
    bool handled = false;
    if (OnMouseWheelUp)
        OnMouseWheelUp(this, shift, mousePos, handled);
    return handled;
}

void TControl::DoContextPopup(TPoint mousePos, bool& handled)
{
    if (OnContextPopup)
        OnContextPopup(this, mousePos, handled);
}

void TControl::WMContextMenu(TMessage& message)
{
    if (message.Result != 0)
        return;
    TPoint screen = PointFromLParam(message.LParam);
    const bool fromKeyboard = screen.X == -1 && screen.Y == -1;
    const TPoint client = fromKeyboard ? TPoint{-1, -1} : ScreenToClient(screen);
    bool handled = false;
    DoContextPopup(client, handled);
    if (handled) {
        message.Result = 1;
        return;
    }
    if (FPopupMenu && FPopupMenu->AutoPopup()) {
        SendCancelMode(nullptr);
        FPopupMenu->SetPopupComponent(this);
        if (fromKeyboard)
            screen = ClientToScreen(TPoint{0, 0});
        FPopupMenu->Popup(screen.X, screen.Y);
        message.Result = 1;
        return;
    }
    // No menu of its own: the parent's.
    DefaultHandler(message);
}

void TControl::WMCancelMode(TMessage& message)
{
    DefaultHandler(message);
    if (MouseCapture()) {
        SetMouseCapture(false);
        if (FControlState & csLButtonDown)
            Perform(WM_LBUTTONUP, 0, static_cast<LPARAM>(-1));
    } else
        FControlState &= ~csLButtonDown;
}
