// Synthetic input: the toolkit's events built and sent to our widgets.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEnterEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPixmap>
#include <QPointer>
#include <QScrollBar>
#include <QTimer>
#include <QWheelEvent>
#include <QWindow>

#include <algorithm>
#include <utility>

#include "platform/controls/controls_qt.h"
#include "platform/controls/scrollbars.h"
#include "platform/controls/syntheticinput.h"
#include "platform/controls/winapi.h"
#include "platform/graphics/pixelbuffer.h"
#include "platform/graphics/pixelbuffer_qt.h"

namespace {

// The toolkit's flags of the members of Shift that Map names.
template <typename TFlags, typename TFlag, size_t N>
TFlags FlagsOf(TShiftState Shift, const std::pair<TShiftStateItem, TFlag> (&Map)[N])
{
    TFlags flags;
    for (const auto& item : Map)
        if (Shift.Contains(item.first))
            flags |= item.second;
    return flags;
}

Qt::KeyboardModifiers Modifiers(TShiftState Shift)
{
    static const std::pair<TShiftStateItem, Qt::KeyboardModifier> map[] = {
        {ssShift, Qt::ShiftModifier}, {ssCtrl, Qt::ControlModifier}, {ssAlt, Qt::AltModifier}};
    return FlagsOf<Qt::KeyboardModifiers>(Shift, map);
}

Qt::MouseButtons Buttons(TShiftState Shift)
{
    static const std::pair<TShiftStateItem, Qt::MouseButton> map[] = {
        {ssLeft, Qt::LeftButton}, {ssRight, Qt::RightButton}, {ssMiddle, Qt::MiddleButton}};
    return FlagsOf<Qt::MouseButtons>(Shift, map);
}

Qt::MouseButton QtButton(TMouseButton Button)
{
    switch (Button) {
    case mbRight:
        return Qt::RightButton;
    case mbMiddle:
        return Qt::MiddleButton;
    default:
        return Qt::LeftButton;
    }
}

QString ToQString(const WideString& Text)
{
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(Text.data()), Text.size());
}

// The widget that takes pointer input at client point Local of Control (its
// window made when missing); Local on the screen becomes the pointer's position.
QWidget* PointerTarget(TWinControl* Control, const QPointF& Local, QPointF& Global)
{
    QWidget* client = ClientWidgetOf(Control);
    if (!client) {
        Control->HandleNeeded();
        client = ClientWidgetOf(Control);
    }
    Global = client->mapToGlobal(Local);
    NoteSimulatedCursorPos(TPoint{static_cast<int>(Global.x()), static_cast<int>(Global.y())});
    return client;
}

void SendMouse(TWinControl* Control, QEvent::Type Type, Qt::MouseButton Button, Qt::MouseButtons Held, int X,
               int Y, TShiftState Shift)
{
    const QPointF local(X, Y);
    QPointF global;
    QWidget* client = PointerTarget(Control, local, global);
    QMouseEvent event(Type, local, global, Button, Held, Modifiers(Shift));
    QCoreApplication::sendEvent(client, &event);
}

// What a US keyboard types for a key.
QString DefaultText(WORD Key, TShiftState Shift)
{
    if (Shift.Contains(ssAlt))
        return QString();
    if (Key >= 'A' && Key <= 'Z') {
        if (Shift.Contains(ssCtrl))
            return QString(QChar(Key - 'A' + 1));
        return QString(QChar(Shift.Contains(ssShift) ? Key : Key - 'A' + 'a'));
    }
    if (Shift.Contains(ssCtrl))
        return QString();
    if (Key >= '0' && Key <= '9' && !Shift.Contains(ssShift))
        return QString(QChar(Key));
    switch (Key) {
    case VK_SPACE:
        return QStringLiteral(" ");
    case VK_RETURN:
        return QStringLiteral("\r");
    case VK_TAB:
        return QStringLiteral("\t");
    case VK_BACK:
        return QStringLiteral("\b");
    case VK_ESCAPE:
        return QString(QChar(0x1B));
    default:
        return QString();
    }
}

QWidget* KeyTarget(TWinControl* Control)
{
    if (QWidget* focused = ClientWidgetOf(FindControl(GetFocus())))
        return focused;
    Control->HandleNeeded();
    return ClientWidgetOf(Control);
}

} // namespace

void SimulateMouseMove(TWinControl* Control, int X, int Y, TShiftState Shift)
{
    SendMouse(Control, QEvent::MouseMove, Qt::NoButton, Buttons(Shift), X, Y, Shift);
}

void SimulateMouseDown(TWinControl* Control, TMouseButton Button, int X, int Y, TShiftState Shift)
{
    SendMouse(Control, QEvent::MouseButtonPress, QtButton(Button), Buttons(Shift) | QtButton(Button), X, Y,
              Shift);
}

void SimulateMouseUp(TWinControl* Control, TMouseButton Button, int X, int Y, TShiftState Shift)
{
    SendMouse(Control, QEvent::MouseButtonRelease, QtButton(Button), Buttons(Shift) & ~QtButton(Button), X, Y,
              Shift);
}

void SimulateMouseDblClick(TWinControl* Control, TMouseButton Button, int X, int Y, TShiftState Shift)
{
    SendMouse(Control, QEvent::MouseButtonDblClick, QtButton(Button), Buttons(Shift) | QtButton(Button), X, Y,
              Shift);
}

void SimulateClick(TWinControl* Control, TMouseButton Button, int X, int Y, TShiftState Shift)
{
    const HWND wnd = Control->Handle();
    SimulateMouseDown(Control, Button, X, Y, Shift);
    if (FindControl(wnd) == Control)
        SimulateMouseUp(Control, Button, X, Y, Shift);
}

void SimulateDoubleClick(TWinControl* Control, TMouseButton Button, int X, int Y, TShiftState Shift)
{
    // Each step only while the control lives: a handler may free it.
    const HWND wnd = Control->Handle();
    SimulateClick(Control, Button, X, Y, Shift);
    if (FindControl(wnd) == Control)
        SimulateMouseDblClick(Control, Button, X, Y, Shift);
    if (FindControl(wnd) == Control)
        SimulateMouseUp(Control, Button, X, Y, Shift);
}

void SimulateMouseEnter(TWinControl* Control)
{
    Control->HandleNeeded();
    QWidget* client = ClientWidgetOf(Control);
    QEnterEvent event(QPointF(0, 0), QPointF(0, 0), client->mapToGlobal(QPointF(0, 0)));
    QCoreApplication::sendEvent(client, &event);
}

void SimulateMouseLeave(TWinControl* Control)
{
    Control->HandleNeeded();
    QEvent event(QEvent::Leave);
    QCoreApplication::sendEvent(ClientWidgetOf(Control), &event);
}

void SimulateInputMethodCommit(TWinControl* Control, const WideString& Text)
{
    QInputMethodEvent event;
    event.setCommitString(ToQString(Text));
    QCoreApplication::sendEvent(KeyTarget(Control), &event);
}

void SimulateWheel(TWinControl* Control, int Delta, int X, int Y, TShiftState Shift)
{
    const QPointF local(X, Y);
    QPointF global;
    QWidget* client = PointerTarget(Control, local, global);
    QWheelEvent event(local, global, QPoint(), QPoint(0, Delta), Buttons(Shift), Modifiers(Shift),
                      Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(client, &event);
}

void SimulateKeyDown(TWinControl* Control, WORD Key, TShiftState Shift, const WideString& Text,
                     bool AutoRepeat)
{
    QWidget* target = KeyTarget(Control);
    const QString text = Text.empty() ? DefaultText(Key, Shift) : ToQString(Text);
    Qt::KeyboardModifiers modifiers = Modifiers(Shift);
    if (Key >= VK_NUMPAD0 && Key <= VK_DIVIDE)
        modifiers |= Qt::KeypadModifier;
    QKeyEvent event(QEvent::KeyPress, QtKeyFromVirtualKey(Key), modifiers, text, AutoRepeat);
    QCoreApplication::sendEvent(target, &event);
}

void SimulateKeyUp(TWinControl* Control, WORD Key, TShiftState Shift)
{
    QWidget* target = KeyTarget(Control);
    QKeyEvent event(QEvent::KeyRelease, QtKeyFromVirtualKey(Key), Modifiers(Shift));
    QCoreApplication::sendEvent(target, &event);
}

void SimulateKey(TWinControl* Control, WORD Key, TShiftState Shift)
{
    SimulateKeyDown(Control, Key, Shift);
    SimulateKeyUp(Control, Key, Shift);
}

bool SimulateScrollBar(TWinControl* Control, int Bar, int Action, int Pos)
{
    TWindowData* data = WindowDataOf(Control);
    if (!data || (Bar != SB_HORZ && Bar != SB_VERT) || !data->Bars[Bar].Shown || !data->Bars[Bar].Bar)
        return false;
    QScrollBar* bar = data->Bars[Bar].Bar;
    switch (Action) {
    case SB_LINEDOWN:
        bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        return true;
    case SB_LINEUP:
        bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
        return true;
    case SB_PAGEDOWN:
        bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
        return true;
    case SB_PAGEUP:
        bar->triggerAction(QAbstractSlider::SliderPageStepSub);
        return true;
    case SB_TOP:
        bar->triggerAction(QAbstractSlider::SliderToMinimum);
        return true;
    case SB_BOTTOM:
        bar->triggerAction(QAbstractSlider::SliderToMaximum);
        return true;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
        const QPointer<QScrollBar> guard(bar);
        if (!bar->isSliderDown())
            bar->setSliderDown(true);
        if (guard)
            bar->setSliderPosition(Pos);
        if (guard && Action == SB_THUMBPOSITION)
            bar->setSliderDown(false);
        return true;
    }
    default:
        return false;
    }
}

bool GrabWindow(TWinControl* Control, TPixelBuffer& Pixels)
{
    QWidget* frame = FrameWidgetOf(Control);
    if (!frame)
        return false;
    if (TWindowData* data = WindowDataOf(Control); data && Control->Showing())
        data->PaintInvalid();
    frame = FrameWidgetOf(Control);
    if (!frame)
        return false;
    Pixels = PixelsOfImage(frame->grab().toImage());
    return true;
}

bool ProcessMessagesUntil(const std::function<bool()>& Done, int TimeoutMs)
{
    EnsureControlsRuntime();
    QElapsedTimer clock;
    clock.start();
    QTimer wake;
    wake.setSingleShot(true);
    while (!Done()) {
        const qint64 left = TimeoutMs - clock.elapsed();
        if (left <= 0)
            return Done();
        // Wake up by the deadline at the latest, however quiet it is.
        wake.start(static_cast<int>(std::min<qint64>(left, 50)));
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    return true;
}

bool WindowExposed(TWinControl* Control)
{
    QWidget* frame = FrameWidgetOf(Control);
    if (!frame)
        return false;
    QWidget* window = frame->window();
    return window->isVisible() && window->windowHandle() && window->windowHandle()->isExposed();
}
