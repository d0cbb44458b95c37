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
#include "platform/core/callhold.h"

class QKeyEvent;
class QPainter;
class QScrollBar;
class TCanvas;
class TQtCanvas;
struct TLogFont;

// The frame: border and scroll bars around the client area; for a form, the
// top-level window. Control is null once the control has let go of it.
class TFrameWidget : public QWidget {
public:
    TFrameWidget(TWinControl* aControl, QWidget* aParent);
    TWinControl* Control;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};

// The client area: input, focus, timers, posted messages and painting.
class TClientWidget : public QWidget {
public:
    TClientWidget(TWinControl* aControl, QWidget* aParent);
    TWinControl* Control;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
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
    TWindowData(TWinControl* aControl, const TCreateParams& params, QWidget* parentClient);
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
    // outlives the window), and the update region. Buffer views rows of
    // Store from StoreTop on: once the window scrolls, Store is made taller
    // than the client area, and a scroll of the whole area up or down moves
    // the view instead of the pixels (they move only when the view reaches
    // an end of Store).
    QImage Store;
    int StoreTop = 0;
    QImage Buffer;
    TQtCanvas* BufferCanvas = nullptr;
    QRegion Invalid;
    bool EraseNeeded = false;
    bool Painting = false;
    // A whole repaint is painted straight into the toolkit's copy of the
    // window (its top-level window's image) instead of Store and then copied
    // there. Store lags behind it until it is caught up from that copy, as
    // anything that reads or moves Store's pixels first does. The copy's
    // pixels of the client area: their first row, the row length, and the
    // image's serial number (a new image, even at the same address, has
    // another).
    bool StoreBehind = false;
    bool PaintingStraight = false;
    const uchar* ShownBits = nullptr;
    qsizetype ShownBytesPerLine = 0;
    qint64 ShownSerial = 0;

    // Timers of the window: our identifier -> the toolkit's.
    std::map<uintptr_t, int> Timers;
    // The cursor the client area shows.
    HCURSOR AppliedCursor = nullptr;

    // Places the client area, the bars and the corner inside the frame.
    void Layout();
    // Makes the buffer the client area's size, with the control's canvas on it;
    // a new size invalidates it all.
    void ResizeBuffer();
    // Scrolls the whole client area by Dy rows by moving the view of Buffer
    // over Store, the pixels of the uncovered rows kept as they were; false
    // (nothing done) where that cannot be done.
    bool ScrollView(int dy);
    // Paints the update region into the buffer: WM_ERASEBKGND when asked for, then WM_PAINT.
    void PaintInvalid();
    // In a paint of the client area on Device (the toolkit's image being
    // painted, or null) for Region: paints the whole update region straight
    // into that image when the update region and Region are the whole client
    // area and the image is the window's own of Store's format with nothing
    // else drawn over the area. False, painting nothing, otherwise.
    bool PaintStraight(QPaintDevice* device, const QRegion& region);
    // Brings Store up to the pixels painted straight into the toolkit's copy,
    // or, where that copy is gone or moved, marks the client area to be
    // painted again.
    void CatchUpStore();
    // Hands the frame over to the toolkit for deletion (at once, or after the
    // event being handled when a widget of it is inside one).
    void ReleaseWidgets();
    QScrollBar* EnsureBar(int which);
    // ScrollWindowEx on the buffer and the update region.
    int Scroll(int dx, int dy, const TRect* scrollRect, const TRect* clipRect, TRect* update, UINT flags);
};

// Access to the window side of a control for the widgets and the window functions.
class TWindowAdapter {
public:
    static TWindowData* Data(const TWinControl* control) { return control->FWindow.get(); }
    static HWND HandleOf(const TWinControl* control) { return control->FHandle; }
    static TCanvas* PaintCanvas(const TWinControl* control) { return control->FPaintCanvas; }
    static void SetPaintCanvas(TWinControl* control, TCanvas* canvas) { control->FPaintCanvas = canvas; }
    static void ClientSizeMayHaveChanged(TWinControl* control) { control->ClientSizeMayHaveChanged(); }
    // Whether the control's windows accept dropped files (DragAcceptFiles).
    static void SetAcceptsFiles(TWinControl* control, bool value) { control->FAcceptsFiles = value; }
    // The user (or the window manager) moved or resized a top-level window.
    static void FrameMoved(TWinControl* control, int left, int top);
    static void FrameResized(TWinControl* control, int width, int height);
};

// WM_MOUSEWHEEL for the window from a wheel turn over it or its scroll bars.
class QWheelEvent;
void DeliverWheelEvent(TWinControl* control, QWheelEvent* event);
// True while the toolkit paints one of our windows.
bool InToolkitPaint();

// Widgets of the controls for the rest of platform/ (menus, drag and drop, tray,
// dialogs): the client widget and the frame of a control's window (null without one).
QWidget* ClientWidgetOf(TWinControl* control);
QWidget* FrameWidgetOf(TWinControl* control);
TWindowData* WindowDataOf(TWinControl* control);
// The control whose client or frame widget this is (or that holds it), or null.
TWinControl* ControlOfWidget(QWidget* widget);

// Runs Fn as a handler called from the toolkit: an exception that escapes it goes
// to Application->HandleException, never into the toolkit.
void HandleEventException(TObject* sender);
template <typename F> void RunGuarded(TObject* sender, F&& fn)
{
    // What the toolkit delivers runs the library's code, under which a
    // program's may run (callhold.h).
    const TCallHold hold;
    try {
        fn();
    } catch (...) {
        HandleEventException(sender);
    }
}

// Marks a widget as handling an event while the guard lives, so that a window
// destroyed from inside its own event is deleted only afterwards.
class TEventScope {
public:
    explicit TEventScope(QObject* object);
    ~TEventScope();
    TEventScope(const TEventScope&) = delete;
    TEventScope& operator=(const TEventScope&) = delete;
    // True when Object or one of its children is handling an event now.
    static bool Busy(const QObject* object);
};

// Makes the application object and the input-state tracking once.
void EnsureControlsRuntime();

// ---- Drag and drop between controls (controls_drag.cpp)
class QMimeData;
// The toolkit's data is that of a drag between the program's controls.
bool IsControlDrag(const QMimeData* data);
// A mouse message of a control whose drag waits for the pointer to move;
// true when the drag used it up.
bool DragMouseMessage(TControl* control, TMessage& message);
// The control goes: a drag from it ends, a drag over it forgets it.
void DragControlGone(TControl* control);
// For its lifetime, the screen point where the left button went down, in the
// press a control handles: a drag begun meanwhile measures the pointer's way
// from there, not from where the pointer is when the press is handled (on a
// busy program the pointer is further on by then, and the moves that took it
// there may come as one). Nests.
class TDragPressPoint {
public:
    explicit TDragPressPoint(const TPoint& screenPos);
    ~TDragPressPoint();
    TDragPressPoint(const TDragPressPoint&) = delete;
    TDragPressPoint& operator=(const TDragPressPoint&) = delete;
    const TPoint& Pos() const { return FPos; }

private:
    const TDragPressPoint* FOuter;
    TPoint FPos;
};
// A toolkit drag event on a window's client area; true when it was a drag
// between controls (answered here).
bool DeliverControlDrag(TWinControl* control, QWidget* client, QEvent* event);

// ---- Window handles (winapi.cpp)
HWND AllocateWindowHandle(TWinControl* control);
void FreeWindowHandle(HWND wnd);

// ---- Input state (winapi.cpp): every input event of the application updates it.
void NoteInputEvent(QEvent* event);
// The position of the last simulated mouse event replaces the pointer's own
// position from then on (tests, where the pointer does not move).
void NoteSimulatedCursorPos(const TPoint& pos);

// ---- Focus (winapi.cpp)
// A client widget got the toolkit's focus, or lost it with the window's activation.
void FocusGainedFromToolkit(TWinControl* control);
void FocusLostFromToolkit(TWinControl* control, bool deactivated);
// The window is going: it no longer has the focus or the capture.
void ForgetWindow(HWND wnd);

// ---- The application's handle (application.cpp)
bool IsApplicationHandle(HWND wnd);
LONG ApplicationExStyle();
void SetApplicationExStyle(LONG value);
// ShowWindow on the application's handle; returns whether it was visible.
bool ShowApplicationWindow(int cmd);
bool ApplicationWindowVisible();
// A message posted to the application's handle, delivered to Application->WndProc.
void DeliverApplicationMessage(QEvent* event);
// The object that receives messages posted to the application's handle.
QObject* ApplicationReceiver();

// ---- Posted messages (winapi.cpp)
// The event type of posted messages, and dropping every queued one (application end).
int PostedMessageEventType();
void DeliverPostedMessage(TWinControl* control, QEvent* event);
void DiscardPostedMessages();

// ---- Cursors (cursors.cpp): the client area shows the control's cursor.
void ApplyControlCursor(TWinControl* control);
// The shape of a built-in cursor number (crDefault, crIBeam, ...), null for others.
HCURSOR BuiltInCursor(int index);
class QCursor;
const QCursor* CursorOfHandle(HCURSOR handle);

// ---- Timers and caret (timers.cpp, caret.cpp)
bool DeliverTimer(TWinControl* control, int toolkitTimerId);
void DrawCaretOverlay(TWinControl* control, QPainter& painter);
void CaretWindowGone(HWND wnd);
// The caret's position when Wnd owns it; its height.
bool CaretOwnedBy(HWND wnd, TPoint& pos);
int CaretHeight();
// The window's pixels in Area moved by (Dx, Dy): a caret inside moves with them.
void CaretScrolled(HWND wnd, const TRect& area, int dx, int dy);

// ---- Keys (keys_qt.cpp): virtual key codes of the toolkit's keys and back.
WORD VirtualKeyFromQtKey(int key, bool keypad);
int QtKeyFromVirtualKey(WORD virtualKey);
// Delivers a key event of the toolkit to the focused control (or Fallback):
// CN_KEYDOWN, then WM_KEYDOWN unless the dialog keys used it up, then WM_CHAR
// for each code unit of the text typed; key releases give CN_KEYUP and WM_KEYUP.
void DeliverKeyEvent(TWinControl* fallback, QEvent* event);

// ---- Input methods (imm.cpp)
void DeliverInputMethodEvent(TWinControl* control, QEvent* event);
// What the platform does with WM_IME_COMPOSITION left unhandled: WM_CHAR for each unit.
void DefaultImeComposition(TWinControl* control, TMessage& message);
// What a window's input context tells the input method: the cursor of its
// composition window (client coordinates, as high as the composition font or
// the caret) and its composition font; false when the window set none.
bool InputMethodCursor(TWinControl* control, TRect& rect);
bool InputMethodFont(TWinControl* control, TLogFont& logFont);

// ---- Scroll bars (scrollbars.cpp)
void ConnectScrollBar(TWindowData* data, int which);
void ApplyScrollBarState(TWindowData* data, int which);

// Before a key press is delivered: a switch of the keyboard's XKB group since
// the last press tells the focused window the new language (and the input
// method's locale changes are watched from the first press on).
void NoteKeyboardLanguage(const QKeyEvent* key);

// ---- Window-manager hints (taskbar_qt.cpp)
// Leaves the top-level Window out of the desktop's taskbar, or puts it back.
// On X this is the window's _NET_WM_STATE_SKIP_TASKBAR state, asked of the
// window manager while the window is mapped and written before each time it
// is mapped again (a window manager drops the state of a withdrawn window);
// elsewhere the window becomes a tool window, which desktops leave out.
void SetSkipTaskbarHint(QWidget* window, bool on);
