// Synthetic input for tests and tools: the toolkit's own input events, built and
// delivered to a control's window as the window system's would arrive, so that
// they take the same road into messages. Mouse events give their point as the
// pointer's position (GetCursorPos answers it from then on). Also: the pixels a
// window shows, working its scroll bars, and handling messages until a
// condition holds.
#pragma once

#include <functional>

#include "platform/controls/controls.h"

struct TPixelBuffer;

// Mouse input at a client point of Control. Shift gives the modifier keys and
// the buttons held besides the one pressed or released.
void SimulateMouseMove(TWinControl* control, int x, int y, TShiftState shift = TShiftState());
void SimulateMouseDown(TWinControl* control, TMouseButton button, int x, int y,
                       TShiftState shift = TShiftState());
void SimulateMouseUp(TWinControl* control, TMouseButton button, int x, int y,
                     TShiftState shift = TShiftState());
// The second press of a double click, as the toolkit reports it.
void SimulateMouseDblClick(TWinControl* control, TMouseButton button, int x, int y,
                           TShiftState shift = TShiftState());
// Press and release.
void SimulateClick(TWinControl* control, TMouseButton button, int x, int y,
                   TShiftState shift = TShiftState());
// Press, release, double-click press, release.
void SimulateDoubleClick(TWinControl* control, TMouseButton button, int x, int y,
                         TShiftState shift = TShiftState());
// The pointer enters or leaves the client area.
void SimulateMouseEnter(TWinControl* control);
void SimulateMouseLeave(TWinControl* control);
// A wheel turn of Delta (120 a notch, positive away from the user) over a client point.
void SimulateWheel(TWinControl* control, int delta, int x, int y, TShiftState shift = TShiftState());

// A key goes to the window with the focus, or to Control when none has it.
// Text is what the key types; an empty Text types what a US keyboard types for
// the key (letters, digits, space, Enter, Tab, Backspace, Escape; Ctrl with a
// letter its control character).
void SimulateKeyDown(TWinControl* control, WORD key, TShiftState shift = TShiftState(),
                     const WideString& text = WideString(), bool autoRepeat = false);
void SimulateKeyUp(TWinControl* control, WORD key, TShiftState shift = TShiftState());
// Down and up.
void SimulateKey(TWinControl* control, WORD key, TShiftState shift = TShiftState());

// An input method commits Text to the window with the focus (or Control).
void SimulateInputMethodCommit(TWinControl* control, const WideString& text);
// An input method shows Text as the text being composed (the pre-edit text),
// its cursor after Cursor code units (-1: at its end); an empty Text ends the
// composition without committing anything.
void SimulateInputMethodPreedit(TWinControl* control, const WideString& text, int cursor = -1);
// What the window answers an input method that asks where its cursor is
// (client coordinates) and which font it writes in (family, pixel size; empty
// and 0 when the window names none).
struct TInputMethodAnswer {
    TRect Cursor;
    AnsiString FontFamily;
    int FontPixelSize = 0;
};
TInputMethodAnswer QueryInputMethod(TWinControl* control);

// Works a scroll bar of the window (SB_HORZ, SB_VERT) as the user would:
// SB_LINEUP/DOWN, SB_PAGEUP/DOWN, SB_TOP/BOTTOM click the bar; SB_THUMBTRACK
// drags the thumb to Pos; SB_THUMBPOSITION drags it to Pos and lets it go.
// False when the bar is not shown.
bool SimulateScrollBar(TWinControl* control, int bar, int action, int pos = 0);

// The pixels the window shows (border, bars, client area, children, caret),
// after painting what is invalid. False without a window.
bool GrabWindow(TWinControl* control, TPixelBuffer& pixels);
// The pixels of the window's client area as the toolkit holds them for the
// screen now (its copy of the top-level window), painting nothing. False
// until the window system has exposed the window.
bool GrabShownClient(TWinControl* control, TPixelBuffer& pixels);
// Handles messages until Done answers true or TimeoutMs milliseconds have
// passed; returns Done's last answer.
bool ProcessMessagesUntil(const std::function<bool()>& done, int timeoutMs);
// The window system shows the control's top-level window now.
bool WindowExposed(TWinControl* control);
