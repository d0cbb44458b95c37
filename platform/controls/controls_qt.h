// Internal to platform/: the toolkit side of a control's window. A window is a
// frame widget (border, scroll bars; the top-level window of a form) holding a
// client widget (the client area: painting and input). The client area's pixels
// are kept in a buffer of ours, so that the window's contents persist between
// paints as the platform's do: only the update region is painted (WM_PAINT into
// the buffer), the buffer is then shown, and scrolling moves its pixels.
#pragma once

#include <QImage>
#include <QRegion>
#include <QWidget>

#include <map>
#include <memory>
#include <vector>

#include "platform/controls/controls.h"
#include "platform/controls/winapi.h"

class QPainter;
class QScrollBar;
class TCanvas;
class TQtCanvas;

// The frame: border and scroll bars around the client area; for a form, the
// top-level window. Control is null once the control has let go of it.
class TFrameWidget : public QWidget {
public:
    TFrameWidget(TWinControl* AControl, QWidget* AParent);
    TWinControl* Control;

protected:
    bool event(QEvent* Event) override;
    void paintEvent(QPaintEvent* Event) override;
};

// The client area: input, focus, timers, posted messages and painting.
class TClientWidget : public QWidget {
public:
    TClientWidget(TWinControl* AControl, QWidget* AParent);
    TWinControl* Control;
    QVariant inputMethodQuery(Qt::InputMethodQuery Query) const override;

protected:
    bool event(QEvent* Event) override;
    void paintEvent(QPaintEvent* Event) override;
};

// One standard scroll bar of a window, as the platform's functions see it.
struct TScrollBarData {
    int Min = 0;
    int Max = 0;
    int Page = 0;
    int Pos = 0;
    int TrackPos = 0;
    bool Shown = false;        // takes room beside the client area
    bool Disabled = false;     // shown without a range (disable-no-scroll) or disabled
    bool Tracking = false;     // the thumb is being dragged
    QScrollBar* Bar = nullptr; // made when first shown
};

// Everything of a window that lives on the toolkit's side.
struct TWindowData {
    TWindowData(TWinControl* AControl, const TCreateParams& Params, QWidget* ParentClient);
    ~TWindowData();

    TWinControl* Control;
    TFrameWidget* Frame = nullptr;
    TClientWidget* Client = nullptr;
    QWidget* Corner = nullptr; // fills the corner between two scroll bars
    DWORD Style = 0;
    DWORD ExStyle = 0;
    int BorderWidth = 0;
    TScrollBarData Bars[2]; // SB_HORZ, SB_VERT
    TRect ClientInFrame;    // the client area in the frame's coordinates

    // The client area's pixels, the canvas over them (the control's, which
    // outlives the window), and the update region.
    QImage Buffer;
    TQtCanvas* BufferCanvas = nullptr;
    QRegion Invalid;
    bool EraseNeeded = false;
    bool Painting = false;

    // Timers of the window: our identifier -> the toolkit's.
    std::map<uintptr_t, int> Timers;
    // The cursor the client area shows.
    HCURSOR AppliedCursor = nullptr;

    // Places the client area, the bars and the corner inside the frame.
    void Layout();
    // Makes the buffer the client area's size, with the control's canvas on it;
    // a new size invalidates it all.
    void ResizeBuffer();
    // Paints the update region into the buffer: WM_ERASEBKGND when asked for, then WM_PAINT.
    void PaintInvalid();
    // Hands the frame over to the toolkit for deletion (at once, or after the
    // event being handled when a widget of it is inside one).
    void ReleaseWidgets();
    QScrollBar* EnsureBar(int Which);
    // ScrollWindowEx on the buffer and the update region.
    int Scroll(int Dx, int Dy, const TRect* ScrollRect, const TRect* ClipRect, TRect* Update, UINT Flags);
};

// Access to the window side of a control for the widgets and the window functions.
class TWindowAdapter {
public:
    static TWindowData* Data(const TWinControl* Control) { return Control->FWindow.get(); }
    static HWND HandleOf(const TWinControl* Control) { return Control->FHandle; }
    static TCanvas* PaintCanvas(const TWinControl* Control) { return Control->FPaintCanvas; }
    static void SetPaintCanvas(TWinControl* Control, TCanvas* Canvas) { Control->FPaintCanvas = Canvas; }
    static void ClientSizeMayHaveChanged(TWinControl* Control) { Control->ClientSizeMayHaveChanged(); }
    // Whether the control's windows accept dropped files (DragAcceptFiles).
    static void SetAcceptsFiles(TWinControl* Control, bool Value) { Control->FAcceptsFiles = Value; }
    // The user (or the window manager) moved or resized a top-level window.
    static void FrameMoved(TWinControl* Control, int Left, int Top);
    static void FrameResized(TWinControl* Control, int Width, int Height);
};

// WM_MOUSEWHEEL for the window from a wheel turn over it or its scroll bars.
class QWheelEvent;
void DeliverWheelEvent(TWinControl* Control, QWheelEvent* Event);
// True while the toolkit paints one of our windows.
bool InToolkitPaint();

// Widgets of the controls for the rest of platform/ (menus, drag and drop, tray,
// dialogs): the client widget and the frame of a control's window (null without one).
QWidget* ClientWidgetOf(TWinControl* Control);
QWidget* FrameWidgetOf(TWinControl* Control);
TWindowData* WindowDataOf(TWinControl* Control);
// The control whose client or frame widget this is (or that holds it), or null.
TWinControl* ControlOfWidget(QWidget* Widget);

// Runs Fn as a handler called from the toolkit: an exception that escapes it goes
// to Application->HandleException, never into the toolkit.
void HandleEventException(TObject* Sender);
template <typename F> void RunGuarded(TObject* Sender, F&& Fn)
{
    try {
        Fn();
    } catch (...) {
        HandleEventException(Sender);
    }
}

// Marks a widget as handling an event while the guard lives, so that a window
// destroyed from inside its own event is deleted only afterwards.
class TEventScope {
public:
    explicit TEventScope(QObject* Object);
    ~TEventScope();
    TEventScope(const TEventScope&) = delete;
    TEventScope& operator=(const TEventScope&) = delete;
    // True when Object or one of its children is handling an event now.
    static bool Busy(const QObject* Object);
};

// Makes the application object and the input-state tracking once.
void EnsureControlsRuntime();

// ---- Window handles (winapi.cpp)
HWND AllocateWindowHandle(TWinControl* Control);
void FreeWindowHandle(HWND Wnd);

// ---- Input state (winapi.cpp): every input event of the application updates it.
void NoteInputEvent(QEvent* Event);
// The position of the last simulated mouse event replaces the pointer's own
// position from then on (tests, where the pointer does not move).
void NoteSimulatedCursorPos(const TPoint& Pos);

// ---- Focus (winapi.cpp)
// A client widget got the toolkit's focus, or lost it with the window's activation.
void FocusGainedFromToolkit(TWinControl* Control);
void FocusLostFromToolkit(TWinControl* Control, bool Deactivated);
// The window is going: it no longer has the focus or the capture.
void ForgetWindow(HWND Wnd);

// ---- The application's handle (application.cpp)
bool IsApplicationHandle(HWND Wnd);
LONG ApplicationExStyle();
void SetApplicationExStyle(LONG Value);
// ShowWindow on the application's handle; returns whether it was visible.
bool ShowApplicationWindow(int Cmd);
bool ApplicationWindowVisible();
// A message posted to the application's handle, delivered to Application->WndProc.
void DeliverApplicationMessage(QEvent* Event);
// The object that receives messages posted to the application's handle.
QObject* ApplicationReceiver();

// ---- Posted messages (winapi.cpp)
// The event type of posted messages, and dropping every queued one (application end).
int PostedMessageEventType();
void DeliverPostedMessage(TWinControl* Control, QEvent* Event);
void DiscardPostedMessages();

// ---- Cursors (cursors.cpp): the client area shows the control's cursor.
void ApplyControlCursor(TWinControl* Control);
// The shape of a built-in cursor number (crDefault, crIBeam, ...), null for others.
HCURSOR BuiltInCursor(int Index);
class QCursor;
const QCursor* CursorOfHandle(HCURSOR Handle);

// ---- Timers and caret (timers.cpp, caret.cpp)
bool DeliverTimer(TWinControl* Control, int ToolkitTimerId);
void DrawCaretOverlay(TWinControl* Control, QPainter& Painter);
void CaretWindowGone(HWND Wnd);
// The caret's position when Wnd owns it; its height.
bool CaretOwnedBy(HWND Wnd, TPoint& Pos);
int CaretHeight();
// The window's pixels in Area moved by (Dx, Dy): a caret inside moves with them.
void CaretScrolled(HWND Wnd, const TRect& Area, int Dx, int Dy);

// ---- Keys (keys_qt.cpp): virtual key codes of the toolkit's keys and back.
WORD VirtualKeyFromQtKey(int Key, bool Keypad);
int QtKeyFromVirtualKey(WORD VirtualKey);
// Delivers a key event of the toolkit to the focused control (or Fallback):
// CN_KEYDOWN, then WM_KEYDOWN unless the dialog keys used it up, then WM_CHAR
// for each code unit of the text typed; key releases give CN_KEYUP and WM_KEYUP.
void DeliverKeyEvent(TWinControl* Fallback, QEvent* Event);

// ---- Input methods (imm.cpp)
void DeliverInputMethodEvent(TWinControl* Control, QEvent* Event);
// What the platform does with WM_IME_COMPOSITION left unhandled: WM_CHAR for each unit.
void DefaultImeComposition(TWinControl* Control, TMessage& Message);

// ---- Scroll bars (scrollbars.cpp)
void ConnectScrollBar(TWindowData* Data, int Which);
void ApplyScrollBarState(TWindowData* Data, int Which);
