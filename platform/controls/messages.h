// Window messages: the message record, window handles, the message numbers of the
// platform (WM_...), of the class library (CM_..., CN_...) and of scroll bars (SB_...),
// virtual key codes (VK_...), and the shift state that mouse and key handlers receive.
#pragma once

#include <cstdint>
#include <initializer_list>

#include "platform/core/types.h"

using UINT = uint32_t;
using WORD = uint16_t;
using DWORD = uint32_t;
using BYTE = uint8_t;
// Parameters and results are pointer-sized, so that a message can carry the
// address of a record (a posted payload, a canvas) or a 64-bit value.
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;

// A window: the handle of a windowed control while its window exists. Handles are
// never reused, so a message sent or posted to a window that has gone fails
// instead of reaching another window. 0 is no window.
struct TWindowHandleTag;
using HWND = TWindowHandleTag*;

// One message: number, two parameters and the handler's result.
struct TMessage {
    UINT Msg = 0;
    WPARAM WParam = 0;
    LPARAM LParam = 0;
    LRESULT Result = 0;
};

// ---- Packing of message parameters
constexpr WORD LOWORD(uintptr_t v)
{
    return static_cast<WORD>(v & 0xFFFF);
}
constexpr WORD HIWORD(uintptr_t v)
{
    return static_cast<WORD>((v >> 16) & 0xFFFF);
}
constexpr int32_t MAKELONG(WORD low, WORD high)
{
    return static_cast<int32_t>(static_cast<uint32_t>(low) | (static_cast<uint32_t>(high) << 16));
}
constexpr WPARAM MAKEWPARAM(int low, int high)
{
    return static_cast<WPARAM>(
        static_cast<uint32_t>(MAKELONG(static_cast<WORD>(low), static_cast<WORD>(high))));
}
constexpr LPARAM MAKELPARAM(int low, int high)
{
    return static_cast<LPARAM>(MAKELONG(static_cast<WORD>(low), static_cast<WORD>(high)));
}
// Signed 16-bit coordinates of a mouse message's LParam.
constexpr int GET_X_LPARAM(LPARAM l)
{
    return static_cast<int16_t>(LOWORD(static_cast<uintptr_t>(l)));
}
constexpr int GET_Y_LPARAM(LPARAM l)
{
    return static_cast<int16_t>(HIWORD(static_cast<uintptr_t>(l)));
}
// The signed wheel distance of WM_MOUSEWHEEL's WParam.
constexpr int GET_WHEEL_DELTA_WPARAM(WPARAM w)
{
    return static_cast<int16_t>(HIWORD(w));
}
constexpr int WHEEL_DELTA = 120;

// ---- Platform messages
enum : UINT {
    WM_NULL = 0x0000,
    WM_CREATE = 0x0001,
    WM_DESTROY = 0x0002,
    WM_MOVE = 0x0003,
    WM_SIZE = 0x0005,
    WM_ACTIVATE = 0x0006,
    WM_SETFOCUS = 0x0007,  // WParam: the window that lost the focus, or 0
    WM_KILLFOCUS = 0x0008, // WParam: the window that gets the focus, or 0
    WM_ENABLE = 0x000A,
    WM_PAINT = 0x000F, // WParam: the canvas to paint on, or 0 for the window's own
    WM_CLOSE = 0x0010,
    WM_QUIT = 0x0012,
    WM_ERASEBKGND = 0x0014, // WParam: the canvas to erase on; result 1 when erased
    WM_SHOWWINDOW = 0x0018,
    WM_CANCELMODE = 0x001F,
    WM_SETCURSOR = 0x0020,   // WParam: the window; LParam: MAKELONG(hit test, mouse message)
    WM_CONTEXTMENU = 0x007B, // WParam: the window; LParam: screen point, (-1, -1) from the keyboard
    WM_INPUTLANGCHANGE = 0x0051,
    WM_NCPAINT = 0x0085,
    WM_GETDLGCODE = 0x0087,
    WM_KEYDOWN = 0x0100, // WParam: virtual key; LParam: repeat count, bit 30 when repeated
    WM_KEYUP = 0x0101,
    WM_CHAR = 0x0102, // WParam: one UTF-16 code unit of the text typed
    WM_SYSKEYDOWN = 0x0104,
    WM_SYSKEYUP = 0x0105,
    WM_SYSCHAR = 0x0106,
    WM_IME_STARTCOMPOSITION = 0x010D,
    WM_IME_ENDCOMPOSITION = 0x010E,
    WM_IME_COMPOSITION = 0x010F,
    WM_COMMAND = 0x0111,
    WM_SYSCOMMAND = 0x0112,
    WM_TIMER = 0x0113,   // WParam: the timer's identifier
    WM_HSCROLL = 0x0114, // WParam: MAKEWPARAM(SB_ code, 16-bit position)
    WM_VSCROLL = 0x0115,
    WM_MOUSEMOVE = 0x0200, // WParam: MK_ flags; LParam: client point
    WM_LBUTTONDOWN = 0x0201,
    WM_LBUTTONUP = 0x0202,
    WM_LBUTTONDBLCLK = 0x0203,
    WM_RBUTTONDOWN = 0x0204,
    WM_RBUTTONUP = 0x0205,
    WM_RBUTTONDBLCLK = 0x0206,
    WM_MBUTTONDOWN = 0x0207,
    WM_MBUTTONUP = 0x0208,
    WM_MBUTTONDBLCLK = 0x0209,
    WM_MOUSEWHEEL = 0x020A, // WParam: MAKEWPARAM(MK_ flags, delta); LParam: screen point
    WM_MOUSEFIRST = WM_MOUSEMOVE,
    WM_MOUSELAST = WM_MOUSEWHEEL,
    WM_DROPFILES = 0x0233,
    WM_CUT = 0x0300,
    WM_COPY = 0x0301,
    WM_PASTE = 0x0302,
    WM_CLEAR = 0x0303,
    WM_UNDO = 0x0304,
    WM_QUERYNEWPALETTE = 0x030F,
    WM_PALETTECHANGED = 0x0311,
    WM_THEMECHANGED = 0x031A,
    WM_USER = 0x0400,
    WM_APP = 0x8000,
};

// Edit-control messages the editor answers.
enum : UINT {
    EM_CANUNDO = 0x00C6,
    EM_UNDO = 0x00C7,
    EM_CANPASTE = WM_USER + 50,
    EM_REDO = WM_USER + 84,
    EM_CANREDO = WM_USER + 85,
};

// Messages of the class library's controls.
enum : UINT {
    CM_BASE = 0xB000,
    CM_ACTIVATE = CM_BASE + 0,
    CM_DEACTIVATE = CM_BASE + 1,
    CM_CANCELMODE = CM_BASE + 4, // LParam: the control that asks
    CM_DIALOGKEY = CM_BASE + 5,  // WParam: virtual key; result 1 when the form used it
    CM_FOCUSCHANGED = CM_BASE + 7,
    CM_PARENTFONTCHANGED = CM_BASE + 8,
    CM_PARENTCOLORCHANGED = CM_BASE + 9,
    CM_VISIBLECHANGED = CM_BASE + 11,
    CM_ENABLEDCHANGED = CM_BASE + 12,
    CM_COLORCHANGED = CM_BASE + 13,
    CM_FONTCHANGED = CM_BASE + 14,
    CM_CURSORCHANGED = CM_BASE + 15,
    CM_CTL3DCHANGED = CM_BASE + 16,
    CM_PARENTCTL3DCHANGED = CM_BASE + 17,
    CM_TEXTCHANGED = CM_BASE + 18,
    CM_MOUSEENTER = CM_BASE + 19,
    CM_MOUSELEAVE = CM_BASE + 20,
    CM_SHOWINGCHANGED = CM_BASE + 25,
    CM_ENTER = CM_BASE + 26,
    CM_EXIT = CM_BASE + 27,
    CM_WANTSPECIALKEY = CM_BASE + 30, // WParam: virtual key; nonzero: the control takes it itself
    CM_RELEASE = CM_BASE + 33,
    CM_BIDIMODECHANGED = CM_BASE + 60,
};

// Notifications a control receives before the message itself, when a key reaches it.
enum : UINT {
    CN_BASE = 0xBC00,
    CN_KEYDOWN = CN_BASE + WM_KEYDOWN, // nonzero result: the key was used up (dialog keys)
    CN_KEYUP = CN_BASE + WM_KEYUP,
    CN_CHAR = CN_BASE + WM_CHAR,
    CN_SYSKEYDOWN = CN_BASE + WM_SYSKEYDOWN,
    CN_SYSKEYUP = CN_BASE + WM_SYSKEYUP,
    CN_SYSCHAR = CN_BASE + WM_SYSCHAR,
};

// WM_SIZE kinds.
enum : WPARAM { SIZE_RESTORED = 0, SIZE_MINIMIZED = 1, SIZE_MAXIMIZED = 2 };

// WM_SYSCOMMAND commands.
enum : WPARAM { SC_MINIMIZE = 0xF020, SC_MAXIMIZE = 0xF030, SC_CLOSE = 0xF060, SC_RESTORE = 0xF120 };

// WM_SETCURSOR hit-test codes.
enum : int { HTNOWHERE = 0, HTCLIENT = 1 };

// WM_GETDLGCODE answers.
enum : LRESULT {
    DLGC_WANTARROWS = 0x0001,
    DLGC_WANTTAB = 0x0002,
    DLGC_WANTALLKEYS = 0x0004,
    DLGC_WANTMESSAGE = 0x0004,
    DLGC_HASSETSEL = 0x0008,
    DLGC_WANTCHARS = 0x0080,
};

// Mouse message key flags (WParam).
enum : WPARAM {
    MK_LBUTTON = 0x0001,
    MK_RBUTTON = 0x0002,
    MK_SHIFT = 0x0004,
    MK_CONTROL = 0x0008,
    MK_MBUTTON = 0x0010,
};

// Scroll-bar request codes (low word of WM_HSCROLL/WM_VSCROLL's WParam).
enum : int {
    SB_LINEUP = 0,
    SB_LINELEFT = 0,
    SB_LINEDOWN = 1,
    SB_LINERIGHT = 1,
    SB_PAGEUP = 2,
    SB_PAGELEFT = 2,
    SB_PAGEDOWN = 3,
    SB_PAGERIGHT = 3,
    SB_THUMBPOSITION = 4,
    SB_THUMBTRACK = 5,
    SB_TOP = 6,
    SB_LEFT = 6,
    SB_BOTTOM = 7,
    SB_RIGHT = 7,
    SB_ENDSCROLL = 8,
};

// ---- Virtual key codes
enum : WORD {
    VK_LBUTTON = 0x01,
    VK_RBUTTON = 0x02,
    VK_CANCEL = 0x03,
    VK_MBUTTON = 0x04,
    VK_BACK = 0x08,
    VK_TAB = 0x09,
    VK_CLEAR = 0x0C,
    VK_RETURN = 0x0D,
    VK_SHIFT = 0x10,
    VK_CONTROL = 0x11,
    VK_MENU = 0x12,
    VK_PAUSE = 0x13,
    VK_CAPITAL = 0x14,
    VK_ESCAPE = 0x1B,
    VK_SPACE = 0x20,
    VK_PRIOR = 0x21,
    VK_NEXT = 0x22,
    VK_END = 0x23,
    VK_HOME = 0x24,
    VK_LEFT = 0x25,
    VK_UP = 0x26,
    VK_RIGHT = 0x27,
    VK_DOWN = 0x28,
    VK_SELECT = 0x29,
    VK_PRINT = 0x2A,
    VK_EXECUTE = 0x2B,
    VK_SNAPSHOT = 0x2C,
    VK_INSERT = 0x2D,
    VK_DELETE = 0x2E,
    VK_HELP = 0x2F,
    // '0'..'9' and 'A'..'Z' are their characters' codes.
    VK_LWIN = 0x5B,
    VK_RWIN = 0x5C,
    VK_APPS = 0x5D,
    VK_NUMPAD0 = 0x60,
    VK_NUMPAD9 = 0x69,
    VK_MULTIPLY = 0x6A,
    VK_ADD = 0x6B,
    VK_SEPARATOR = 0x6C,
    VK_SUBTRACT = 0x6D,
    VK_DECIMAL = 0x6E,
    VK_DIVIDE = 0x6F,
    VK_F1 = 0x70,
    VK_F2 = 0x71,
    VK_F3 = 0x72,
    VK_F4 = 0x73,
    VK_F5 = 0x74,
    VK_F6 = 0x75,
    VK_F7 = 0x76,
    VK_F8 = 0x77,
    VK_F9 = 0x78,
    VK_F10 = 0x79,
    VK_F11 = 0x7A,
    VK_F12 = 0x7B,
    VK_F13 = 0x7C,
    VK_F14 = 0x7D,
    VK_F15 = 0x7E,
    VK_F16 = 0x7F,
    VK_F17 = 0x80,
    VK_F18 = 0x81,
    VK_F19 = 0x82,
    VK_F20 = 0x83,
    VK_F21 = 0x84,
    VK_F22 = 0x85,
    VK_F23 = 0x86,
    VK_F24 = 0x87,
    VK_NUMLOCK = 0x90,
    VK_SCROLL = 0x91,
    VK_LSHIFT = 0xA0,
    VK_RSHIFT = 0xA1,
    VK_LCONTROL = 0xA2,
    VK_RCONTROL = 0xA3,
    VK_LMENU = 0xA4,
    VK_RMENU = 0xA5,
    VK_OEM_1 = 0xBA,      // ';:'
    VK_OEM_PLUS = 0xBB,   // '=+'
    VK_OEM_COMMA = 0xBC,  // ',<'
    VK_OEM_MINUS = 0xBD,  // '-_'
    VK_OEM_PERIOD = 0xBE, // '.>'
    VK_OEM_2 = 0xBF,      // '/?'
    VK_OEM_3 = 0xC0,      // '`~'
    VK_OEM_4 = 0xDB,      // '[{'
    VK_OEM_5 = 0xDC,      // '\|'
    VK_OEM_6 = 0xDD,      // ']}'
    VK_OEM_7 = 0xDE,      // '\'"'
};

// ---- Shift state: the modifier keys and mouse buttons held, and the
// double-click mark of the second press of a double click.
enum TShiftStateItem { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };

struct TShiftState {
    uint8_t Bits = 0;

    TShiftState() = default;
    TShiftState(std::initializer_list<TShiftStateItem> items)
    {
        for (TShiftStateItem i : items)
            Include(i);
    }
    bool Contains(TShiftStateItem i) const { return (Bits >> i) & 1; }
    TShiftState& Include(TShiftStateItem i)
    {
        Bits = static_cast<uint8_t>(Bits | (1u << i));
        return *this;
    }
    TShiftState& Exclude(TShiftStateItem i)
    {
        Bits = static_cast<uint8_t>(Bits & ~(1u << i));
        return *this;
    }
    bool Empty() const { return Bits == 0; }
    TShiftState operator+(const TShiftState& o) const
    {
        TShiftState r;
        r.Bits = static_cast<uint8_t>(Bits | o.Bits);
        return r;
    }
    bool operator==(const TShiftState& o) const { return Bits == o.Bits; }
    bool operator!=(const TShiftState& o) const { return Bits != o.Bits; }
};

enum TMouseButton { mbLeft, mbRight, mbMiddle };

// The shift state of a mouse message's MK_ flags; Alt is read from the keyboard
// state (GetKeyState), as the flags do not carry it.
TShiftState KeysToShiftState(WPARAM keys);
// The shift state of the keyboard now: Shift, Ctrl and Alt (GetKeyState).
TShiftState KeyboardStateToShiftState();
// The MK_ flags of a shift state (Alt has none).
WPARAM ShiftStateToKeys(TShiftState shift);

// The message's parameters as a point: LParam's signed 16-bit halves.
TPoint PointFromLParam(LPARAM lParam);
LPARAM PointToLParam(int x, int y);
