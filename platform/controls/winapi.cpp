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

void SetKey(int vk, bool down)
{
    if (vk <= 0 || vk > 255)
        return;
    BYTE& key = Input().Keys[vk];
    if (down && !(key & 0x80) && (vk == VK_CAPITAL || vk == VK_NUMLOCK || vk == VK_SCROLL))
        key ^= 0x01;
    key = static_cast<BYTE>(down ? (key | 0x80) : (key & ~0x80));
}

void SetModifiers(Qt::KeyboardModifiers modifiers)
{
    SetKey(VK_SHIFT, modifiers & Qt::ShiftModifier);
    SetKey(VK_CONTROL, modifiers & Qt::ControlModifier);
    SetKey(VK_MENU, modifiers & Qt::AltModifier);
}

// Follows every input event of the application, ours or the toolkit's (menus).
class TInputTracker : public QObject {
protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        NoteInputEvent(event);
        return false;
    }
};

// ---- Focus and capture
HWND GFocus = nullptr;
HWND GCapture = nullptr;
bool GSyncingToolkitFocus = false;

// Gives the toolkit's keyboard focus to the window's client area.
void SyncToolkitFocus(HWND wnd)
{
    GSyncingToolkitFocus = true;
    TWinControl* control = FindControl(wnd);
    if (QWidget* client = ClientWidgetOf(control)) {
        // Input methods serve the windows that take characters.
        const bool wantsChars = (control->Perform(WM_GETDLGCODE, 0, 0) & DLGC_WANTCHARS) != 0;
        if (FindControl(wnd) == control && (client = ClientWidgetOf(control)) != nullptr) {
            client->setAttribute(Qt::WA_InputMethodEnabled, wantsChars);
            client->setFocus(Qt::OtherFocusReason);
        }
    } else if (QWidget* focused = QApplication::focusWidget())
        if (ControlOfWidget(focused))
            focused->clearFocus();
    GSyncingToolkitFocus = false;
}

// ---- Posted messages
// How many messages of each number are queued: posted, and neither delivered
// nor dropped yet.
// (Never freed: the toolkit drops the messages still queued as the program ends.)
std::unordered_map<UINT, int>& QueuedCounts()
{
    static auto* queued = new std::unordered_map<UINT, int>;
    return *queued;
}

class TPostedMessage : public QEvent {
public:
    TPostedMessage(HWND aWnd, const TMessage& aMessage, std::unique_ptr<TObject> aPayload)
        : QEvent(static_cast<QEvent::Type>(PostedMessageEventType())), Wnd(aWnd), Message(aMessage),
          Payload(std::move(aPayload))
    {
        ++QueuedCounts()[Message.Msg];
    }
    ~TPostedMessage() override
    {
        if (--QueuedCounts()[Message.Msg] == 0)
            QueuedCounts().erase(Message.Msg);
    }
    TPostedMessage(const TPostedMessage&) = delete;
    TPostedMessage& operator=(const TPostedMessage&) = delete;
    HWND Wnd;
    TMessage Message;
    std::unique_ptr<TObject> Payload;
};

bool Post(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam, std::unique_ptr<TObject> payload)
{
    QObject* receiver = nullptr;
    if (IsApplicationHandle(wnd))
        receiver = ApplicationReceiver();
    else
        receiver = ClientWidgetOf(FindControl(wnd));
    if (!receiver)
        return false;
    TMessage message;
    message.Msg = msg;
    message.WParam = payload ? reinterpret_cast<WPARAM>(payload.get()) : wParam;
    message.LParam = lParam;
    QCoreApplication::postEvent(receiver, new TPostedMessage(wnd, message, std::move(payload)));
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

HWND AllocateWindowHandle(TWinControl* control)
{
    NextHandle() += 0x10;
    HWND wnd = reinterpret_cast<HWND>(NextHandle());
    Handles()[wnd] = control;
    return wnd;
}

void FreeWindowHandle(HWND wnd)
{
    ForgetWindow(wnd);
    Handles().erase(wnd);
}

TWinControl* FindControl(HWND wnd)
{
    if (!wnd)
        return nullptr;
    auto found = Handles().find(wnd);
    return found == Handles().end() ? nullptr : found->second;
}

bool IsWindow(HWND wnd)
{
    return wnd && Handles().count(wnd) != 0;
}

bool IsWindowVisible(HWND wnd)
{
    if (IsApplicationHandle(wnd))
        return ApplicationWindowVisible();
    TWinControl* control = FindControl(wnd);
    return control && control->Showing();
}

bool IsWindowEnabled(HWND wnd)
{
    TWinControl* control = FindControl(wnd);
    for (TControl* c = control; c; c = c->Parent())
        if (!c->Enabled())
            return false;
    return control != nullptr;
}

HWND GetParent(HWND wnd)
{
    TWinControl* control = FindControl(wnd);
    return control && control->Parent() && control->Parent()->HandleAllocated() ? control->Parent()->Handle()
                                                                                : nullptr;
}

HWND WindowFromPoint(const TPoint& point)
{
    TWinControl* control = FindVCLWindow(point);
    return control ? control->Handle() : nullptr;
}

// ---------------------------------------------------------------------------
// Messages

LRESULT SendMessage(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (IsApplicationHandle(wnd) && Application) {
        TMessage message;
        message.Msg = msg;
        message.WParam = wParam;
        message.LParam = lParam;
        Application->WndProc(message);
        return message.Result;
    }
    TWinControl* control = FindControl(wnd);
    return control ? control->Perform(msg, wParam, lParam) : 0;
}

bool PostMessage(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return Post(wnd, msg, wParam, lParam, nullptr);
}

bool PostMessage(HWND wnd, UINT msg, std::unique_ptr<TObject> payload, LPARAM lParam)
{
    return Post(wnd, msg, 0, lParam, std::move(payload));
}

bool MessageQueued(UINT first, UINT last)
{
    for (const auto& [msg, count] : QueuedCounts())
        if (msg >= first && msg <= last && count > 0)
            return true;
    return false;
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

void DeliverPostedMessage(TWinControl* control, QEvent* event)
{
    auto* posted = static_cast<TPostedMessage*>(event);
    // A message for a window that was made again since is not for this one.
    if (TWindowAdapter::HandleOf(control) != posted->Wnd)
        return;
    TMessage message = posted->Message;
    RunGuarded(control, [&] { control->WndProc(message); });
    // The payload goes with the event, after the handler has returned.
}

void DeliverApplicationMessage(QEvent* event)
{
    auto* posted = static_cast<TPostedMessage*>(event);
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

HWND SetFocus(HWND wnd)
{
    const HWND previous = GFocus;
    if (wnd == previous)
        return previous;
    TWinControl* target = FindControl(wnd);
    if (wnd && !target)
        return nullptr;
    // Focusing a window of a form that is not active activates that form.
    if (TCustomForm* form = target ? GetParentForm(target) : nullptr)
        if (!form->Active() && form->Showing())
            form->Activate(false);
    if (GFocus == wnd)
        return previous;
    GFocus = wnd;
    if (TWinControl* old = FindControl(previous))
        old->Perform(WM_KILLFOCUS, reinterpret_cast<WPARAM>(wnd), 0);
    // The handler of WM_KILLFOCUS may have moved the focus elsewhere.
    if (GFocus != wnd)
        return previous;
    SyncToolkitFocus(wnd);
    if (TWinControl* control = FindControl(wnd))
        control->Perform(WM_SETFOCUS, reinterpret_cast<WPARAM>(previous), 0);
    return previous;
}

void FocusGainedFromToolkit(TWinControl* control)
{
    if (GSyncingToolkitFocus)
        return;
    const HWND wnd = TWindowAdapter::HandleOf(control);
    if (wnd && wnd != GFocus)
        SetFocus(wnd);
}

void FocusLostFromToolkit(TWinControl* control, bool deactivated)
{
    if (GSyncingToolkitFocus || !deactivated)
        return;
    const HWND wnd = TWindowAdapter::HandleOf(control);
    if (wnd && wnd == GFocus) {
        GFocus = nullptr;
        control->Perform(WM_KILLFOCUS, 0, 0);
    }
}

void ForgetWindow(HWND wnd)
{
    if (GFocus == wnd)
        GFocus = nullptr;
    if (GCapture == wnd)
        GCapture = nullptr;
    CaretWindowGone(wnd);
}

HWND GetCapture()
{
    return GCapture;
}

HWND SetCapture(HWND wnd)
{
    const HWND previous = GCapture;
    if (FindControl(wnd))
        GCapture = wnd;
    return previous;
}

bool ReleaseCapture()
{
    GCapture = nullptr;
    return true;
}

// ---------------------------------------------------------------------------
// Keyboard and pointer

void NoteInputEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        auto* key = static_cast<QKeyEvent*>(event);
        SetModifiers(key->modifiers());
        const WORD vk = VirtualKeyFromQtKey(key->key(), key->modifiers().testFlag(Qt::KeypadModifier));
        SetKey(vk, event->type() == QEvent::KeyPress);
        break;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove: {
        auto* mouse = static_cast<QMouseEvent*>(event);
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
        if (static_cast<QApplicationStateChangeEvent*>(event)->applicationState() != Qt::ApplicationActive)
            for (BYTE& key : Input().Keys)
                key &= 0x01;
        break;
    default:
        break;
    }
}

void NoteSimulatedCursorPos(const TPoint& pos)
{
    Input().SimulatedPos = true;
    Input().CursorPos = pos;
}

short GetKeyState(int virtKey)
{
    if (virtKey <= 0 || virtKey > 255)
        return 0;
    const BYTE key = Input().Keys[virtKey];
    return static_cast<short>(((key & 0x80) ? 0x8000 : 0) | (key & 0x01));
}

bool GetKeyboardState(BYTE* keyState)
{
    if (!keyState)
        return false;
    for (int i = 0; i < 256; ++i)
        keyState[i] = Input().Keys[i];
    return true;
}

bool GetCursorPos(TPoint& point)
{
    if (Input().SimulatedPos || !QCoreApplication::instance()) {
        point = Input().CursorPos;
        return true;
    }
    const QPoint pos = QCursor::pos();
    point = TPoint{pos.x(), pos.y()};
    return true;
}

bool SetCursorPos(int x, int y)
{
    if (Input().SimulatedPos || !QCoreApplication::instance()) {
        Input().CursorPos = TPoint{x, y};
        return true;
    }
    QCursor::setPos(x, y);
    return true;
}

TMouse* Mouse = new TMouse;

TPoint TMouse::CursorPos() const
{
    TPoint pos;
    GetCursorPos(pos);
    return pos;
}

void TMouse::SetCursorPos(const TPoint& pos)
{
    ::SetCursorPos(pos.X, pos.Y);
}

int TMouse::WheelScrollLines() const
{
    EnsureQtApplication();
    return QApplication::wheelScrollLines();
}
