// The standard scroll bars of a window, with the platform's functions: a window
// has a horizontal and a vertical bar (SB_HORZ, SB_VERT), each with a range
// [nMin, nMax], a page and a position. The position is kept within
// [nMin, nMax - (nPage - 1)]; a bar shows while its page is smaller than its range
// and hides otherwise, unless SIF_DISABLENOSCROLL asks to keep it shown,
// disabled; this is decided when a range or a page is set (or
// SIF_DISABLENOSCROLL given), never by a position alone. Showing or hiding a bar
// changes the client area at once: WM_SIZE arrives before the function returns.
// Using a bar sends WM_VSCROLL or WM_HSCROLL (SB_LINEUP ... SB_THUMBTRACK,
// SB_THUMBPOSITION, SB_ENDSCROLL) with a 16-bit position; while SB_THUMBTRACK
// and SB_THUMBPOSITION are handled, GetScrollInfo with SIF_TRACKPOS gives the
// full 32-bit one (afterwards, the position).
// A window's bars start hidden with an empty range. WS_EX_LEFTSCROLLBAR puts the
// vertical bar on the left.
#pragma once

#include "platform/controls/messages.h"

enum : int { SB_HORZ = 0, SB_VERT = 1, SB_CTL = 2, SB_BOTH = 3 };
enum : UINT {
    SIF_RANGE = 0x0001,
    SIF_PAGE = 0x0002,
    SIF_POS = 0x0004,
    SIF_DISABLENOSCROLL = 0x0008,
    SIF_TRACKPOS = 0x0010,
    SIF_ALL = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS,
};
enum : UINT { ESB_ENABLE_BOTH = 0, ESB_DISABLE_LTUP = 1, ESB_DISABLE_RTDN = 2, ESB_DISABLE_BOTH = 3 };

struct SCROLLINFO {
    UINT cbSize = sizeof(SCROLLINFO);
    UINT fMask = 0;
    int nMin = 0;
    int nMax = 0;
    UINT nPage = 0;
    int nPos = 0;
    int nTrackPos = 0;
};

// Sets what fMask names and returns the position after clamping; 0 for a bad
// handle or bar. Redraw is accepted (bars always show their state at once).
int SetScrollInfo(HWND wnd, int bar, const SCROLLINFO* info, bool redraw);
// Fills what fMask names; false for a bad handle or bar.
bool GetScrollInfo(HWND wnd, int bar, SCROLLINFO* info);
// Returns the previous position.
int SetScrollPos(HWND wnd, int bar, int pos, bool redraw);
int GetScrollPos(HWND wnd, int bar);
bool SetScrollRange(HWND wnd, int bar, int minPos, int maxPos, bool redraw);
bool GetScrollRange(HWND wnd, int bar, int* minPos, int* maxPos);
// Shows or hides SB_HORZ, SB_VERT or SB_BOTH whatever their ranges.
bool ShowScrollBar(HWND wnd, int bar, bool show);
// ESB_DISABLE_BOTH disables the bar (SB_HORZ, SB_VERT or SB_BOTH),
// ESB_ENABLE_BOTH enables it; disabling one arrow only leaves the bar enabled.
bool EnableScrollBar(HWND wnd, UINT bar, UINT arrows);
