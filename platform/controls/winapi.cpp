// The window functions of messages and input: handles, sending and posting
// messages, focus and capture, the keyboard and pointer state. The others are
// in winapi_window.cpp.
#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>

#include <unordered_map>

#include "platform/controls/controls_qt.h"
#include "platform/controls/forms.h"
#include "platform/controls/winapi.h"
#include "platform/graphics/qtsupport.h"

namespace {

// ---- Handles: numbers that are never reused; null stands for the application.
std::unordered_map<HWND, TWinControl*>& Handles()
{
    static std::unordered_map<HWND, TWinControl*> handles;
    return handles;
}

uintptr_t& NextHandle()
{
    static uintptr_t next = 0x10000;
    return next;
}

// ---- Keyboard and pointer state
struct TInputState {
    BYTE Keys[256] = {};
    bool SimulatedPos = false;
    TPoint CursorPos;
};

TInputState& Input()
{
    static TInputState state;
    return state;
}

void SetKey(int Vk, bool Down)
{
    if (Vk <= 0 || Vk > 255)
        return;
    BYTE& key = Input().Keys[Vk];
    if (Down && !(key & 0x80) && (Vk == VK_CAPITAL || Vk == VK_NUMLOCK || Vk == VK_SCROLL))
        key ^= 0x01;
    key = static_cast<BYTE>(Down ? (key | 0x80) : (key & ~0x80));
}

void SetModifiers(Qt::KeyboardModifiers Modifiers)
{
    SetKey(VK_SHIFT, Modifiers & Qt::ShiftModifier);
    SetKey(VK_CONTROL, Modifiers & Qt::ControlModifier);
    SetKey(VK_MENU, Modifiers & Qt::AltModifier);
}

// Follows every input event of the application, ours or the toolkit's (menus).
class TInputTracker : public QObject {
protected:
    bool eventFilter(QObject*, QEvent* Event) override
    {
        NoteInputEvent(Event);
        return false;
    }
};

// ---- Focus and capture
HWND GFocus = nullptr;
HWND GCapture = nullptr;
bool GSyncingToolkitFocus = false;

// Gives the toolkit's keyboard focus to the window's client area.
void SyncToolkitFocus(HWND Wnd)
{
    GSyncingToolkitFocus = true;
    TWinControl* control = FindControl(Wnd);
    if (QWidget* client = ClientWidgetOf(control)) {
        // Input methods serve the windows that take characters.
        const bool wantsChars = (control->Perform(WM_GETDLGCODE, 0, 0) & DLGC_WANTCHARS) != 0;
        if (FindControl(Wnd) == control && (client = ClientWidgetOf(control)) != nullptr) {
            client->setAttribute(Qt::WA_InputMethodEnabled, wantsChars);
            client->setFocus(Qt::OtherFocusReason);
        }
    } else if (QWidget* focused = QApplication::focusWidget())
        if (ControlOfWidget(focused))
            focused->clearFocus();
    GSyncingToolkitFocus = false;
}

// ---- Posted messages
class TPostedMessage : public QEvent {
public:
    TPostedMessage(HWND AWnd, const TMessage& AMessage, std::unique_ptr<TObject> APayload)
        : QEvent(static_cast<QEvent::Type>(PostedMessageEventType())), Wnd(AWnd), Message(AMessage),
          Payload(std::move(APayload))
    {}
    HWND Wnd;
    TMessage Message;
    std::unique_ptr<TObject> Payload;
};

bool Post(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam, std::unique_ptr<TObject> Payload)
{
    QObject* receiver = nullptr;
    if (IsApplicationHandle(Wnd))
        receiver = ApplicationReceiver();
    else
        receiver = ClientWidgetOf(FindControl(Wnd));
    if (!receiver)
        return false;
    TMessage message;
    message.Msg = Msg;
    message.WParam = Payload ? reinterpret_cast<WPARAM>(Payload.get()) : WParam;
    message.LParam = LParam;
    QCoreApplication::postEvent(receiver, new TPostedMessage(Wnd, message, std::move(Payload)));
    return true;
}

} // namespace

// ---------------------------------------------------------------------------
// Runtime, handles

void EnsureControlsRuntime()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    EnsureQtApplication();
    // Our forms decide when the program ends, not the last window closing.
    QApplication::setQuitOnLastWindowClosed(false);
    qApp->installEventFilter(new TInputTracker);
}

HWND AllocateWindowHandle(TWinControl* Control)
{
    NextHandle() += 0x10;
    HWND wnd = reinterpret_cast<HWND>(NextHandle());
    Handles()[wnd] = Control;
    return wnd;
}

void FreeWindowHandle(HWND Wnd)
{
    ForgetWindow(Wnd);
    Handles().erase(Wnd);
}

TWinControl* FindControl(HWND Wnd)
{
    if (!Wnd)
        return nullptr;
    auto found = Handles().find(Wnd);
    return found == Handles().end() ? nullptr : found->second;
}

bool IsWindow(HWND Wnd)
{
    return Wnd && Handles().count(Wnd) != 0;
}

bool IsWindowVisible(HWND Wnd)
{
    if (IsApplicationHandle(Wnd))
        return ApplicationWindowVisible();
    TWinControl* control = FindControl(Wnd);
    return control && control->Showing();
}

bool IsWindowEnabled(HWND Wnd)
{
    TWinControl* control = FindControl(Wnd);
    for (TControl* c = control; c; c = c->Parent())
        if (!c->Enabled())
            return false;
    return control != nullptr;
}

HWND GetParent(HWND Wnd)
{
    TWinControl* control = FindControl(Wnd);
    return control && control->Parent() && control->Parent()->HandleAllocated() ? control->Parent()->Handle()
                                                                                : nullptr;
}

HWND WindowFromPoint(const TPoint& Point)
{
    TWinControl* control = FindVCLWindow(Point);
    return control ? control->Handle() : nullptr;
}

// ---------------------------------------------------------------------------
// Messages

LRESULT SendMessage(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam)
{
    if (IsApplicationHandle(Wnd) && Application) {
        TMessage message;
        message.Msg = Msg;
        message.WParam = WParam;
        message.LParam = LParam;
        Application->WndProc(message);
        return message.Result;
    }
    TWinControl* control = FindControl(Wnd);
    return control ? control->Perform(Msg, WParam, LParam) : 0;
}

bool PostMessage(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam)
{
    return Post(Wnd, Msg, WParam, LParam, nullptr);
}

bool PostMessage(HWND Wnd, UINT Msg, std::unique_ptr<TObject> Payload, LPARAM LParam)
{
    return Post(Wnd, Msg, 0, LParam, std::move(Payload));
}

void PostQuitMessage(int)
{
    if (Application)
        Application->Terminate();
}

int PostedMessageEventType()
{
    static const int type = QEvent::registerEventType();
    return type;
}

void DeliverPostedMessage(TWinControl* Control, QEvent* Event)
{
    auto* posted = static_cast<TPostedMessage*>(Event);
    // A message for a window that was made again since is not for this one.
    if (TWindowAdapter::HandleOf(Control) != posted->Wnd)
        return;
    TMessage message = posted->Message;
    RunGuarded(Control, [&] { Control->WndProc(message); });
    // The payload goes with the event, after the handler has returned.
}

void DeliverApplicationMessage(QEvent* Event)
{
    auto* posted = static_cast<TPostedMessage*>(Event);
    if (!Application || !IsApplicationHandle(posted->Wnd))
        return;
    TMessage message = posted->Message;
    RunGuarded(Application, [&] { Application->WndProc(message); });
}

void DiscardPostedMessages()
{
    if (QCoreApplication::instance())
        QCoreApplication::removePostedEvents(nullptr, PostedMessageEventType());
}

// ---------------------------------------------------------------------------
// Focus and capture

HWND GetFocus()
{
    return GFocus;
}

HWND SetFocus(HWND Wnd)
{
    const HWND previous = GFocus;
    if (Wnd == previous)
        return previous;
    TWinControl* target = FindControl(Wnd);
    if (Wnd && !target)
        return nullptr;
    // Focusing a window of a form that is not active activates that form.
    if (TCustomForm* form = target ? GetParentForm(target) : nullptr)
        if (!form->Active() && form->Showing())
            form->Activate(false);
    if (GFocus == Wnd)
        return previous;
    GFocus = Wnd;
    if (TWinControl* old = FindControl(previous))
        old->Perform(WM_KILLFOCUS, reinterpret_cast<WPARAM>(Wnd), 0);
    // The handler of WM_KILLFOCUS may have moved the focus elsewhere.
    if (GFocus != Wnd)
        return previous;
    SyncToolkitFocus(Wnd);
    if (TWinControl* control = FindControl(Wnd))
        control->Perform(WM_SETFOCUS, reinterpret_cast<WPARAM>(previous), 0);
    return previous;
}

void FocusGainedFromToolkit(TWinControl* Control)
{
    if (GSyncingToolkitFocus)
        return;
    const HWND wnd = TWindowAdapter::HandleOf(Control);
    if (wnd && wnd != GFocus)
        SetFocus(wnd);
}

void FocusLostFromToolkit(TWinControl* Control, bool Deactivated)
{
    if (GSyncingToolkitFocus || !Deactivated)
        return;
    const HWND wnd = TWindowAdapter::HandleOf(Control);
    if (wnd && wnd == GFocus) {
        GFocus = nullptr;
        Control->Perform(WM_KILLFOCUS, 0, 0);
    }
}

void ForgetWindow(HWND Wnd)
{
    if (GFocus == Wnd)
        GFocus = nullptr;
    if (GCapture == Wnd)
        GCapture = nullptr;
    CaretWindowGone(Wnd);
}

HWND GetCapture()
{
    return GCapture;
}

HWND SetCapture(HWND Wnd)
{
    const HWND previous = GCapture;
    if (FindControl(Wnd))
        GCapture = Wnd;
    return previous;
}

bool ReleaseCapture()
{
    GCapture = nullptr;
    return true;
}

// ---------------------------------------------------------------------------
// Keyboard and pointer

void NoteInputEvent(QEvent* Event)
{
    switch (Event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        auto* key = static_cast<QKeyEvent*>(Event);
        SetModifiers(key->modifiers());
        const WORD vk = VirtualKeyFromQtKey(key->key(), key->modifiers().testFlag(Qt::KeypadModifier));
        SetKey(vk, Event->type() == QEvent::KeyPress);
        break;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove: {
        auto* mouse = static_cast<QMouseEvent*>(Event);
        SetModifiers(mouse->modifiers());
        SetKey(VK_LBUTTON, mouse->buttons() & Qt::LeftButton);
        SetKey(VK_RBUTTON, mouse->buttons() & Qt::RightButton);
        SetKey(VK_MBUTTON, mouse->buttons() & Qt::MiddleButton);
        if (Input().SimulatedPos) {
            const QPoint global = mouse->globalPosition().toPoint();
            Input().CursorPos = TPoint{global.x(), global.y()};
        }
        break;
    }
    case QEvent::ApplicationStateChange:
        // Keys released while another program had the keyboard were never seen:
        // nothing counts as held once the application is left.
        if (static_cast<QApplicationStateChangeEvent*>(Event)->applicationState() != Qt::ApplicationActive)
            for (BYTE& key : Input().Keys)
                key &= 0x01;
        break;
    default:
        break;
    }
}

void NoteSimulatedCursorPos(const TPoint& Pos)
{
    Input().SimulatedPos = true;
    Input().CursorPos = Pos;
}

short GetKeyState(int VirtKey)
{
    if (VirtKey <= 0 || VirtKey > 255)
        return 0;
    const BYTE key = Input().Keys[VirtKey];
    return static_cast<short>(((key & 0x80) ? 0x8000 : 0) | (key & 0x01));
}

bool GetKeyboardState(BYTE* KeyState)
{
    if (!KeyState)
        return false;
    for (int i = 0; i < 256; ++i)
        KeyState[i] = Input().Keys[i];
    return true;
}

bool GetCursorPos(TPoint& Point)
{
    if (Input().SimulatedPos || !QCoreApplication::instance()) {
        Point = Input().CursorPos;
        return true;
    }
    const QPoint pos = QCursor::pos();
    Point = TPoint{pos.x(), pos.y()};
    return true;
}

bool SetCursorPos(int X, int Y)
{
    if (Input().SimulatedPos || !QCoreApplication::instance()) {
        Input().CursorPos = TPoint{X, Y};
        return true;
    }
    QCursor::setPos(X, Y);
    return true;
}

TMouse* Mouse = new TMouse;

TPoint TMouse::CursorPos() const
{
    TPoint pos;
    GetCursorPos(pos);
    return pos;
}

void TMouse::SetCursorPos(const TPoint& Pos)
{
    ::SetCursorPos(Pos.X, Pos.Y);
}

int TMouse::WheelScrollLines() const
{
    EnsureQtApplication();
    return QApplication::wheelScrollLines();
}
