// TControl's mouse handling: buttons in the class library's order (a double
// click gives MouseDown, Click, MouseUp, DblClick, MouseDown with ssDouble,
// MouseUp), capture while the left button is down, the wheel in whole notches,
// and the context menu.
#include <cstdlib>

#include "platform/controls/controls.h"
#include "platform/controls/forms.h"
#include "platform/controls/menus.h"
#include "platform/controls/winapi.h"

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (OnMouseDown)
        OnMouseDown(this, Button, Shift, X, Y);
}

void TControl::MouseMove(TShiftState Shift, int X, int Y)
{
    if (OnMouseMove)
        OnMouseMove(this, Shift, X, Y);
}

void TControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (OnMouseUp)
        OnMouseUp(this, Button, Shift, X, Y);
}

void TControl::DoMouseDown(const TMessage& Message, TMouseButton Button, TShiftState Shift)
{
    if (FControlStyle & csNoStdEvents)
        return;
    MouseDown(Button, KeysToShiftState(Message.WParam) + Shift, GET_X_LPARAM(Message.LParam),
              GET_Y_LPARAM(Message.LParam));
}

void TControl::DoMouseUp(const TMessage& Message, TMouseButton Button)
{
    if (FControlStyle & csNoStdEvents)
        return;
    MouseUp(Button, KeysToShiftState(Message.WParam), GET_X_LPARAM(Message.LParam),
            GET_Y_LPARAM(Message.LParam));
}

bool TControl::MouseCapture() const
{
    auto* self = dynamic_cast<const TWinControl*>(this);
    return self && self->HandleAllocated() && GetCapture() == const_cast<TWinControl*>(self)->Handle();
}

void TControl::SetMouseCapture(bool Value)
{
    auto* self = dynamic_cast<TWinControl*>(this);
    if (!self || MouseCapture() == Value)
        return;
    if (Value)
        SetCapture(self->Handle());
    else
        ReleaseCapture();
}

void TControl::SendCancelMode(TControl* Sender)
{
    for (TControl* control = this; control; control = control->Parent()) {
        auto* form = dynamic_cast<TCustomForm*>(control);
        if (form && form->Active() && form->ActiveControl() && form->ActiveControl() != Sender)
            form->ActiveControl()->Perform(CM_CANCELMODE, 0, reinterpret_cast<LPARAM>(Sender));
    }
}

void TControl::WMMouseButton(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_LBUTTONDOWN:
        SendCancelMode(this);
        DefaultHandler(Message);
        if (FControlStyle & csCaptureMouse)
            SetMouseCapture(true);
        if (FControlStyle & csClickEvents)
            FControlState |= csClicked;
        DoMouseDown(Message, mbLeft, TShiftState());
        break;
    case WM_LBUTTONDBLCLK:
        SendCancelMode(this);
        DefaultHandler(Message);
        if (FControlStyle & csCaptureMouse)
            SetMouseCapture(true);
        if (FControlStyle & csClickEvents)
            DblClick();
        DoMouseDown(Message, mbLeft, TShiftState{ssDouble});
        break;
    case WM_LBUTTONUP: {
        DefaultHandler(Message);
        if (FControlStyle & csCaptureMouse)
            SetMouseCapture(false);
        if (FControlState & csClicked) {
            FControlState &= ~csClicked;
            // A release outside the control is no click.
            if (ClientRect().Contains(PointFromLParam(Message.LParam)))
                Click();
        }
        DoMouseUp(Message, mbLeft);
        break;
    }
    case WM_RBUTTONDOWN:
        DefaultHandler(Message);
        DoMouseDown(Message, mbRight, TShiftState());
        break;
    case WM_RBUTTONDBLCLK:
        DefaultHandler(Message);
        DoMouseDown(Message, mbRight, TShiftState{ssDouble});
        break;
    case WM_RBUTTONUP:
        // The default handling asks for the context menu first.
        DefaultHandler(Message);
        DoMouseUp(Message, mbRight);
        break;
    case WM_MBUTTONDOWN:
        DefaultHandler(Message);
        DoMouseDown(Message, mbMiddle, TShiftState());
        break;
    case WM_MBUTTONDBLCLK:
        DefaultHandler(Message);
        DoMouseDown(Message, mbMiddle, TShiftState{ssDouble});
        break;
    case WM_MBUTTONUP:
        DefaultHandler(Message);
        DoMouseUp(Message, mbMiddle);
        break;
    default:
        break;
    }
}

void TControl::WMMouseMove(TMessage& Message)
{
    DefaultHandler(Message);
    if (!(FControlStyle & csNoStdEvents))
        MouseMove(KeysToShiftState(Message.WParam), GET_X_LPARAM(Message.LParam),
                  GET_Y_LPARAM(Message.LParam));
}

void TControl::WMMouseWheel(TMessage& Message)
{
    const TPoint pos = PointFromLParam(Message.LParam);
    Message.Result = 0;
    if (DoMouseWheel(KeysToShiftState(LOWORD(Message.WParam)), GET_WHEEL_DELTA_WPARAM(Message.WParam), pos))
        Message.Result = 1;
    else
        DefaultHandler(Message);
}

bool TControl::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos)
{
    bool handled = false;
    if (OnMouseWheel)
        OnMouseWheel(this, Shift, WheelDelta, MousePos, handled);
    if (handled)
        return true;
    // Partial turns (fine-grained wheels) add up until a whole notch is reached.
    FWheelAccumulator += WheelDelta;
    while (std::abs(FWheelAccumulator) >= WHEEL_DELTA) {
        const bool down = FWheelAccumulator < 0;
        FWheelAccumulator += down ? WHEEL_DELTA : -WHEEL_DELTA;
        handled = down ? DoMouseWheelDown(Shift, MousePos) : DoMouseWheelUp(Shift, MousePos);
    }
    return handled;
}

bool TControl::DoMouseWheelDown(TShiftState Shift, TPoint MousePos)
{
    bool handled = false;
    if (OnMouseWheelDown)
        OnMouseWheelDown(this, Shift, MousePos, handled);
    return handled;
}

bool TControl::DoMouseWheelUp(TShiftState Shift, TPoint MousePos)
{
    bool handled = false;
    if (OnMouseWheelUp)
        OnMouseWheelUp(this, Shift, MousePos, handled);
    return handled;
}

void TControl::DoContextPopup(TPoint MousePos, bool& Handled)
{
    if (OnContextPopup)
        OnContextPopup(this, MousePos, Handled);
}

void TControl::WMContextMenu(TMessage& Message)
{
    if (Message.Result != 0)
        return;
    TPoint screen = PointFromLParam(Message.LParam);
    const bool fromKeyboard = screen.X == -1 && screen.Y == -1;
    const TPoint client = fromKeyboard ? TPoint{-1, -1} : ScreenToClient(screen);
    bool handled = false;
    DoContextPopup(client, handled);
    if (handled) {
        Message.Result = 1;
        return;
    }
    if (FPopupMenu && FPopupMenu->AutoPopup()) {
        SendCancelMode(nullptr);
        FPopupMenu->SetPopupComponent(this);
        if (fromKeyboard)
            screen = ClientToScreen(TPoint{0, 0});
        FPopupMenu->Popup(screen.X, screen.Y);
        Message.Result = 1;
        return;
    }
    // No menu of its own: the parent's.
    DefaultHandler(Message);
}

void TControl::WMCancelMode(TMessage& Message)
{
    DefaultHandler(Message);
    if (MouseCapture()) {
        SetMouseCapture(false);
        if (FControlState & csLButtonDown)
            Perform(WM_LBUTTONUP, 0, static_cast<LPARAM>(-1));
    } else
        FControlState &= ~csLButtonDown;
}
