// Shift states of message flags and of the keyboard, and points in message parameters.
#include "platform/controls/messages.h"

#include "platform/controls/winapi.h"

TShiftState KeysToShiftState(WPARAM Keys)
{
    TShiftState shift;
    if (Keys & MK_SHIFT)
        shift.Include(ssShift);
    if (Keys & MK_CONTROL)
        shift.Include(ssCtrl);
    if (Keys & MK_LBUTTON)
        shift.Include(ssLeft);
    if (Keys & MK_RBUTTON)
        shift.Include(ssRight);
    if (Keys & MK_MBUTTON)
        shift.Include(ssMiddle);
    if (GetKeyState(VK_MENU) < 0)
        shift.Include(ssAlt);
    return shift;
}

TShiftState KeyboardStateToShiftState()
{
    TShiftState shift;
    if (GetKeyState(VK_SHIFT) < 0)
        shift.Include(ssShift);
    if (GetKeyState(VK_CONTROL) < 0)
        shift.Include(ssCtrl);
    if (GetKeyState(VK_MENU) < 0)
        shift.Include(ssAlt);
    return shift;
}

WPARAM ShiftStateToKeys(TShiftState Shift)
{
    WPARAM keys = 0;
    if (Shift.Contains(ssShift))
        keys |= MK_SHIFT;
    if (Shift.Contains(ssCtrl))
        keys |= MK_CONTROL;
    if (Shift.Contains(ssLeft))
        keys |= MK_LBUTTON;
    if (Shift.Contains(ssRight))
        keys |= MK_RBUTTON;
    if (Shift.Contains(ssMiddle))
        keys |= MK_MBUTTON;
    return keys;
}

TPoint PointFromLParam(LPARAM LParam)
{
    return TPoint{GET_X_LPARAM(LParam), GET_Y_LPARAM(LParam)};
}

LPARAM PointToLParam(int X, int Y)
{
    return MAKELPARAM(X, Y);
}
