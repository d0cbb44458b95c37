// The notification-area (tray) icon: the shell's add, modify and delete calls
// over the UI services, with mouse clicks reported to the icon's window as its
// callback message.
#pragma once

#include "platform/controls/messages.h"
#include "platform/core/types.h"

class TIcon;

inline constexpr UINT NIM_ADD = 0x0;
inline constexpr UINT NIM_MODIFY = 0x1;
inline constexpr UINT NIM_DELETE = 0x2;

inline constexpr UINT NIF_MESSAGE = 0x1;
inline constexpr UINT NIF_ICON = 0x2;
inline constexpr UINT NIF_TIP = 0x4;

// The longest tip shown, in bytes; a longer one is cut at a whole character.
inline constexpr size_t NotifyIconTipMax = 63;

// An icon's record. hWnd and uID name the icon; uFlags says which of the other
// fields count. The icon's picture is copied, so hIcon need not outlive the call.
struct NOTIFYICONDATA {
    DWORD cbSize = 0; // not checked
    HWND hWnd = nullptr;
    UINT uID = 0;
    UINT uFlags = 0;
    UINT uCallbackMessage = 0;    // NIF_MESSAGE
    const TIcon* hIcon = nullptr; // NIF_ICON
    AnsiString szTip;             // NIF_TIP
};

// NIM_ADD shows a new icon (false when the window already has one of this
// number, when hWnd is no window, or when the desktop has no notification
// area); NIM_MODIFY changes the fields of uFlags of a shown icon; NIM_DELETE
// removes it. False for an icon that is not shown and for a null record.
//
// Mouse clicks on the icon reach its window as the callback message with
// WParam = uID and LParam = the mouse message: WM_LBUTTONDOWN then WM_LBUTTONUP
// for a click, WM_LBUTTONDBLCLK for a double click, WM_RBUTTONDOWN then
// WM_RBUTTONUP for a right click (the desktop's context request),
// WM_MBUTTONDOWN then WM_MBUTTONUP for the middle button.
bool Shell_NotifyIcon(UINT message, const NOTIFYICONDATA* data);
using NOTIFYICONDATAA = NOTIFYICONDATA;
inline bool Shell_NotifyIconA(UINT message, const NOTIFYICONDATA* data)
{
    return Shell_NotifyIcon(message, data);
}
// Whether the desktop has a notification area now.
bool IsSystemTrayAvailable();

// Reports a mouse message on the icon (Window, ID) to its window; the UI services
// call it. Nothing happens for an icon that is not shown or has no callback
// message; an icon whose window has gone is removed.
void TrayIconNotify(HWND window, UINT id, UINT mouseMessage);
