// The platform's window functions over window handles: sending and posting
// messages, focus and mouse capture, keyboard and pointer state, painting and
// scrolling of window contents, showing and placing windows, window styles,
// per-window timers, the caret and system metrics. They act on the windows of
// our controls (platform/controls/controls.h); a handle that names no window
// makes them fail as the platform's do (false, 0).
#pragma once

#include <cstdint>
#include <memory>

#include "platform/controls/messages.h"
#include "platform/core/types.h"

class TObject;
using LONG = int32_t;

// ---- Windows
bool IsWindow(HWND wnd);
// The window and all its parents are shown (a window never shown on screen, or
// hidden, is not visible).
bool IsWindowVisible(HWND wnd);
bool IsWindowEnabled(HWND wnd);
HWND GetParent(HWND wnd);
// The window of ours under a screen point, or 0.
HWND WindowFromPoint(const TPoint& point);

// ---- Messages
// Delivers the message now, through the control's WndProc; 0 for a bad handle.
LRESULT SendMessage(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Queues the message for the window; it is delivered from the message loop,
// after the handler that posted it has returned. False for a bad handle.
bool PostMessage(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Queues a message that owns Payload: it is delivered with WParam = the payload's
// address, and the payload is freed after the handler returns. A message that is
// never delivered (the window goes away first, or the application ends with it
// still queued) frees its payload too. Handlers must not free it themselves.
// False (and the payload freed at once) for a bad handle.
bool PostMessage(HWND wnd, UINT msg, std::unique_ptr<TObject> payload, LPARAM lParam);
// Whether a message numbered First to Last is queued: posted, to any window or
// the application, and neither delivered nor dropped yet.
bool MessageQueued(UINT first, UINT last);
inline LRESULT SendMessageA(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return SendMessage(wnd, msg, wParam, lParam);
}
inline bool PostMessageA(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return PostMessage(wnd, msg, wParam, lParam);
}
// Ends the application's message loop (Application->Terminate).
void PostQuitMessage(int exitCode);

// ---- Focus and mouse capture
HWND GetFocus();
// Moves the keyboard focus: WM_KILLFOCUS to the window that had it (WParam: Wnd),
// then WM_SETFOCUS to Wnd (WParam: the previous window). Returns the previous
// window. 0 takes the focus away from every window.
HWND SetFocus(HWND wnd);
HWND GetCapture();
// Mouse input goes to Wnd, wherever the pointer is, until ReleaseCapture.
HWND SetCapture(HWND wnd);
bool ReleaseCapture();

// ---- Keyboard and pointer
// Negative while the key or mouse button is down; the low bit is the toggle
// state of Caps Lock, Num Lock and Scroll Lock. VK_SHIFT, VK_CONTROL and VK_MENU
// answer for either key of their pair. The state is that of the input received so
// far (it follows every key and mouse event the application receives).
short GetKeyState(int virtKey);
// 256 bytes: bit 7 set for keys that are down, bit 0 for toggled keys.
bool GetKeyboardState(BYTE* keyState);
// The pointer's position on the screen.
bool GetCursorPos(TPoint& point);
bool SetCursorPos(int x, int y);

// ---- Coordinates
bool GetClientRect(HWND wnd, TRect& rect);
// The window's rectangle on the screen, border and scroll bars included.
bool GetWindowRect(HWND wnd, TRect& rect);
bool ClientToScreen(HWND wnd, TPoint& point);
bool ScreenToClient(HWND wnd, TPoint& point);

// ---- Painting
// Adds a client rectangle (null: the whole client area) to the window's update
// region; Erase asks for WM_ERASEBKGND before the next WM_PAINT.
bool InvalidateRect(HWND wnd, const TRect* rect, bool erase);
bool ValidateRect(HWND wnd, const TRect* rect);
// The bounding rectangle of the update region; false when it is empty.
bool GetUpdateRect(HWND wnd, TRect* rect, bool erase);
// Paints the update region now (WM_ERASEBKGND when asked for, then WM_PAINT) and
// shows the result, when the window is visible and the region is not empty.
bool UpdateWindow(HWND wnd);

enum : UINT {
    RDW_INVALIDATE = 0x0001,
    RDW_ERASE = 0x0004,
    RDW_VALIDATE = 0x0008,
    RDW_FRAME = 0x0400,
    RDW_UPDATENOW = 0x0100,
    RDW_ALLCHILDREN = 0x0080,
};
// Invalidates (RDW_INVALIDATE, with RDW_ERASE), validates (RDW_VALIDATE) or
// repaints at once (RDW_UPDATENOW) a client rectangle (null: all of it);
// RDW_FRAME repaints the border and bars, RDW_ALLCHILDREN does the same for the
// child windows. UpdateRegion must be null.
bool RedrawWindow(HWND wnd, const TRect* rect, void* updateRegion, UINT flags);

enum : UINT { SW_SCROLLCHILDREN = 0x0001, SW_INVALIDATE = 0x0002, SW_ERASE = 0x0004 };
enum : int { ERROR = 0, NULLREGION = 1, SIMPLEREGION = 2, COMPLEXREGION = 3 };
// Moves the pixels of Scroll (null: the client area) by (Dx, Dy), keeping to Clip
// (null: the client area). The part of the update region inside the scrolled
// area moves with the pixels; with SW_INVALIDATE the uncovered area joins the
// update region (with SW_ERASE it is also to be erased) and Update, when given,
// receives its bounds. SW_SCROLLCHILDREN moves the child windows by (Dx, Dy).
// UpdateRegion must be null (regions are not supported). Returns SIMPLEREGION
// or NULLREGION for the uncovered area, ERROR for a bad handle.
int ScrollWindowEx(HWND wnd, int dx, int dy, const TRect* scroll, const TRect* clip, void* updateRegion,
                   TRect* update, UINT flags);

// ---- Showing and placing
enum : int {
    SW_HIDE = 0,
    SW_SHOWNORMAL = 1,
    SW_NORMAL = 1,
    SW_SHOWMINIMIZED = 2,
    SW_SHOWMAXIMIZED = 3,
    SW_MAXIMIZE = 3,
    SW_SHOWNOACTIVATE = 4,
    SW_SHOW = 5,
    SW_MINIMIZE = 6,
    SW_SHOWNA = 8,
    SW_RESTORE = 9,
};
// Shows, hides, minimises, maximises or restores a window; the application's
// handle (Application->Handle) stands for the program's task-bar presence:
// hiding it hides the program from the task bar, showing it restores a minimised
// program. Returns whether the window was visible before.
bool ShowWindow(HWND wnd, int cmd);

enum : UINT {
    SWP_NOSIZE = 0x0001,
    SWP_NOMOVE = 0x0002,
    SWP_NOZORDER = 0x0004,
    SWP_NOREDRAW = 0x0008,
    SWP_NOACTIVATE = 0x0010,
    SWP_FRAMECHANGED = 0x0020,
    SWP_SHOWWINDOW = 0x0040,
    SWP_HIDEWINDOW = 0x0080,
};
inline const HWND HWND_TOP = nullptr;
inline const HWND HWND_BOTTOM = reinterpret_cast<HWND>(intptr_t(1));
inline const HWND HWND_TOPMOST = reinterpret_cast<HWND>(intptr_t(-1));
inline const HWND HWND_NOTOPMOST = reinterpret_cast<HWND>(intptr_t(-2));
// Moves, sizes and orders a window. For a top-level window HWND_TOPMOST puts it
// in the stay-on-top band (and in front), HWND_NOTOPMOST takes it out of it,
// and HWND_TOP raises it in its band; a window already in the band asked for
// keeps its native window.
// SWP_FRAMECHANGED applies a border style changed with SetWindowLong.
bool SetWindowPos(HWND wnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);

// ---- Window styles
enum : int { GWL_STYLE = -16, GWL_EXSTYLE = -20 };
enum : DWORD {
    WS_OVERLAPPED = 0x00000000,
    WS_POPUP = 0x80000000,
    WS_CHILD = 0x40000000,
    WS_MINIMIZE = 0x20000000,
    WS_VISIBLE = 0x10000000,
    WS_DISABLED = 0x08000000,
    WS_CLIPSIBLINGS = 0x04000000,
    WS_CLIPCHILDREN = 0x02000000,
    WS_MAXIMIZE = 0x01000000,
    WS_BORDER = 0x00800000,
    WS_VSCROLL = 0x00200000,
    WS_HSCROLL = 0x00100000,
    WS_TABSTOP = 0x00010000,
};
enum : DWORD {
    WS_EX_TOPMOST = 0x00000008,
    WS_EX_ACCEPTFILES = 0x00000010,
    WS_EX_TOOLWINDOW = 0x00000080,
    WS_EX_CLIENTEDGE = 0x00000200,
    WS_EX_LEFTSCROLLBAR = 0x00004000,
    WS_EX_APPWINDOW = 0x00040000,
};
// GWL_STYLE reflects visibility, enabled state and the scroll bars shown;
// GWL_EXSTYLE the extended style. Setting GWL_EXSTYLE with WS_EX_TOOLWINDOW on a
// top-level window (or on the application's handle, for the main form) keeps it
// off the task bar; WS_EX_TOPMOST keeps it on top. Other bits are stored only.
LONG GetWindowLong(HWND wnd, int index);
// Returns the previous value, 0 for a bad handle.
LONG SetWindowLong(HWND wnd, int index, LONG newLong);
inline LONG GetWindowLongA(HWND wnd, int index)
{
    return GetWindowLong(wnd, index);
}
inline LONG SetWindowLongA(HWND wnd, int index, LONG newLong)
{
    return SetWindowLong(wnd, index, newLong);
}

// ---- Timers
// Starts (or restarts, for an identifier already in use on the window) a timer
// that sends WM_TIMER with IDEvent to the window every Elapse milliseconds
// (at least 10). Timers end with their window. Returns IDEvent, or 0 for a bad
// handle or a null window (thread timers are not supported).
uintptr_t SetTimer(HWND wnd, uintptr_t idEvent, UINT elapse, void* timerFunc = nullptr);
bool KillTimer(HWND wnd, uintptr_t idEvent);

// ---- Caret: one per application, owned by a window, drawn by us as an inverted
// rectangle that blinks. It starts hidden: ShowCaret and HideCaret count, and the
// caret shows while the shows outnumber the hides.
bool CreateCaret(HWND wnd, void* bitmap, int width, int height);
bool DestroyCaret();
bool SetCaretPos(int x, int y);
bool GetCaretPos(TPoint& point);
bool ShowCaret(HWND wnd);
bool HideCaret(HWND wnd);
UINT GetCaretBlinkTime();
UINT GetDoubleClickTime();

// ---- System metrics
enum : int {
    SM_CXSCREEN = 0,
    SM_CYSCREEN = 1,
    SM_CXVSCROLL = 2,
    SM_CYHSCROLL = 3,
    SM_CXBORDER = 5,
    SM_CYBORDER = 6,
    SM_CXDOUBLECLK = 36,
    SM_CYDOUBLECLK = 37,
    SM_CXEDGE = 45,
    SM_CYEDGE = 46,
};
int GetSystemMetrics(int index);
