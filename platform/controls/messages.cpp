// Shift states of message flags and of the keyboard, and points in message parameters.
#include "platform/controls/messages.h"

#include "platform/controls/winapi.h"

TShiftState KeysToShiftState(WPARAM keys)
{
    TShiftState shift;
    if (keys & MK_SHIFT)
        shift.Include(ssShift);
    if (keys & MK_CONTROL)
        shift.Include(ssCtrl);
    if (keys & MK_LBUTTON)
        shift.Include(ssLeft);
    if (keys & MK_RBUTTON)
        shift.Include(ssRight);
    if (keys & MK_MBUTTON)
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

WPARAM ShiftStateToKeys(TShiftState shift)
{
    WPARAM keys = 0;
    if (shift.Contains(ssShift))
        keys |= MK_SHIFT;
    if (shift.Contains(ssCtrl))
        keys |= MK_CONTROL;
    if (shift.Contains(ssLeft))
        keys |= MK_LBUTTON;
    if (shift.Contains(ssRight))
        keys |= MK_RBUTTON;
    if (shift.Contains(ssMiddle))
        keys |= MK_MBUTTON;
    return keys;
}

TPoint PointFromLParam(LPARAM lParam)
{
    return TPoint{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
}

LPARAM PointToLParam(int x, int y)
{
    return MAKELPARAM(x, y);
}
