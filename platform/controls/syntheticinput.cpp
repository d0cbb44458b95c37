// Synthetic input: the toolkit's events built and sent to our widgets.
#include <QBackingStore>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEnterEvent>
#include <QFont>
#include <QImage>
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
TFlags FlagsOf(TShiftState shift, const std::pair<TShiftStateItem, TFlag> (&map)[N])
{
    TFlags flags;
    for (const auto& item : map)
        if (shift.Contains(item.first))
            flags |= item.second;
    return flags;
}

Qt::KeyboardModifiers Modifiers(TShiftState shift)
{
    static const std::pair<TShiftStateItem, Qt::KeyboardModifier> map[] = {
        {ssShift, Qt::ShiftModifier}, {ssCtrl, Qt::ControlModifier}, {ssAlt, Qt::AltModifier}};
    return FlagsOf<Qt::KeyboardModifiers>(shift, map);
}

Qt::MouseButtons Buttons(TShiftState shift)
{
    static const std::pair<TShiftStateItem, Qt::MouseButton> map[] = {
        {ssLeft, Qt::LeftButton}, {ssRight, Qt::RightButton}, {ssMiddle, Qt::MiddleButton}};
    return FlagsOf<Qt::MouseButtons>(shift, map);
}

Qt::MouseButton QtButton(TMouseButton button)
{
    switch (button) {
    case mbRight:
        return Qt::RightButton;
    case mbMiddle:
        return Qt::MiddleButton;
    default:
        return Qt::LeftButton;
    }
}

QString ToQString(const WideString& text)
{
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(text.data()), text.size());
}

// The widget that takes pointer input at client point Local of Control (its
// window made when missing); Local on the screen becomes the pointer's position.
QWidget* PointerTarget(TWinControl* control, const QPointF& local, QPointF& global)
{
    QWidget* client = ClientWidgetOf(control);
    if (!client) {
        control->HandleNeeded();
        client = ClientWidgetOf(control);
    }
    global = client->mapToGlobal(local);
    NoteSimulatedCursorPos(TPoint{static_cast<int>(global.x()), static_cast<int>(global.y())});
    return client;
}

void SendMouse(TWinControl* control, QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons held, int x,
               int y, TShiftState shift)
{
    const QPointF local(x, y);
    QPointF global;
    QWidget* client = PointerTarget(control, local, global);
    QMouseEvent event(type, local, global, button, held, Modifiers(shift));
    QCoreApplication::sendEvent(client, &event);
}

// What a US keyboard types for a key.
QString DefaultText(WORD key, TShiftState shift)
{
    if (shift.Contains(ssAlt))
        return QString();
    if (key >= 'A' && key <= 'Z') {
        if (shift.Contains(ssCtrl))
            return QString(QChar(key - 'A' + 1));
        return QString(QChar(shift.Contains(ssShift) ? key : key - 'A' + 'a'));
    }
    if (shift.Contains(ssCtrl))
        return QString();
    if (key >= '0' && key <= '9' && !shift.Contains(ssShift))
        return QString(QChar(key));
    switch (key) {
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

QWidget* KeyTarget(TWinControl* control)
{
    if (QWidget* focused = ClientWidgetOf(FindControl(GetFocus())))
        return focused;
    control->HandleNeeded();
    return ClientWidgetOf(control);
}

} // namespace

void SimulateMouseMove(TWinControl* control, int x, int y, TShiftState shift)
{
    SendMouse(control, QEvent::MouseMove, Qt::NoButton, Buttons(shift), x, y, shift);
}

void SimulateMouseDown(TWinControl* control, TMouseButton button, int x, int y, TShiftState shift)
{
    SendMouse(control, QEvent::MouseButtonPress, QtButton(button), Buttons(shift) | QtButton(button), x, y,
              shift);
}

void SimulateMouseUp(TWinControl* control, TMouseButton button, int x, int y, TShiftState shift)
{
    SendMouse(control, QEvent::MouseButtonRelease, QtButton(button), Buttons(shift) & ~QtButton(button), x, y,
              shift);
}

void SimulateMouseDblClick(TWinControl* control, TMouseButton button, int x, int y, TShiftState shift)
{
    SendMouse(control, QEvent::MouseButtonDblClick, QtButton(button), Buttons(shift) | QtButton(button), x, y,
              shift);
}

void SimulateClick(TWinControl* control, TMouseButton button, int x, int y, TShiftState shift)
{
    const HWND wnd = control->Handle();
    SimulateMouseDown(control, button, x, y, shift);
    if (FindControl(wnd) == control)
        SimulateMouseUp(control, button, x, y, shift);
}

void SimulateDoubleClick(TWinControl* control, TMouseButton button, int x, int y, TShiftState shift)
{
    // Each step only while the control lives: a handler may free it.
    const HWND wnd = control->Handle();
    SimulateClick(control, button, x, y, shift);
    if (FindControl(wnd) == control)
        SimulateMouseDblClick(control, button, x, y, shift);
    if (FindControl(wnd) == control)
        SimulateMouseUp(control, button, x, y, shift);
}

void SimulateMouseEnter(TWinControl* control)
{
    control->HandleNeeded();
    QWidget* client = ClientWidgetOf(control);
    QEnterEvent event(QPointF(0, 0), QPointF(0, 0), client->mapToGlobal(QPointF(0, 0)));
    QCoreApplication::sendEvent(client, &event);
}

void SimulateMouseLeave(TWinControl* control)
{
    control->HandleNeeded();
    QEvent event(QEvent::Leave);
    QCoreApplication::sendEvent(ClientWidgetOf(control), &event);
}

void SimulateInputMethodCommit(TWinControl* control, const WideString& text)
{
    QInputMethodEvent event;
    event.setCommitString(ToQString(text));
    QCoreApplication::sendEvent(KeyTarget(control), &event);
}

void SimulateInputMethodPreedit(TWinControl* control, const WideString& text, int cursor)
{
    const int length = static_cast<int>(text.size());
    QList<QInputMethodEvent::Attribute> attributes;
    attributes.append(QInputMethodEvent::Attribute(QInputMethodEvent::Cursor,
                                                   cursor < 0 ? length : std::min(cursor, length), 1));
    QInputMethodEvent event(ToQString(text), attributes);
    QCoreApplication::sendEvent(KeyTarget(control), &event);
}

TInputMethodAnswer QueryInputMethod(TWinControl* control)
{
    control->HandleNeeded();
    QWidget* client = ClientWidgetOf(control);
    TInputMethodAnswer answer;
    const QRect r = client->inputMethodQuery(Qt::ImCursorRectangle).toRect();
    answer.Cursor = Rect(r.left(), r.top(), r.left() + r.width(), r.top() + r.height());
    const QVariant font = client->inputMethodQuery(Qt::ImFont);
    if (font.canConvert<QFont>() && !font.isNull()) {
        const QFont f = font.value<QFont>();
        answer.FontFamily = f.family().toStdString();
        answer.FontPixelSize = std::max(f.pixelSize(), 0);
    }
    return answer;
}

void SimulateWheel(TWinControl* control, int delta, int x, int y, TShiftState shift)
{
    const QPointF local(x, y);
    QPointF global;
    QWidget* client = PointerTarget(control, local, global);
    QWheelEvent event(local, global, QPoint(), QPoint(0, delta), Buttons(shift), Modifiers(shift),
                      Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(client, &event);
}

void SimulateKeyDown(TWinControl* control, WORD key, TShiftState shift, const WideString& text,
                     bool autoRepeat)
{
    QWidget* target = KeyTarget(control);
    const QString qtText = text.empty() ? DefaultText(key, shift) : ToQString(text);
    Qt::KeyboardModifiers modifiers = Modifiers(shift);
    if (key >= VK_NUMPAD0 && key <= VK_DIVIDE)
        modifiers |= Qt::KeypadModifier;
    QKeyEvent event(QEvent::KeyPress, QtKeyFromVirtualKey(key), modifiers, qtText, autoRepeat);
    QCoreApplication::sendEvent(target, &event);
}

void SimulateKeyUp(TWinControl* control, WORD key, TShiftState shift)
{
    QWidget* target = KeyTarget(control);
    QKeyEvent event(QEvent::KeyRelease, QtKeyFromVirtualKey(key), Modifiers(shift));
    QCoreApplication::sendEvent(target, &event);
}

void SimulateKey(TWinControl* control, WORD key, TShiftState shift)
{
    SimulateKeyDown(control, key, shift);
    SimulateKeyUp(control, key, shift);
}

bool SimulateScrollBar(TWinControl* control, int bar, int action, int pos)
{
    TWindowData* data = WindowDataOf(control);
    if (!data || (bar != SB_HORZ && bar != SB_VERT) || !data->Bars[bar].Shown || !data->Bars[bar].Bar)
        return false;
    QScrollBar* qtBar = data->Bars[bar].Bar;
    switch (action) {
    case SB_LINEDOWN:
        qtBar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        return true;
    case SB_LINEUP:
        qtBar->triggerAction(QAbstractSlider::SliderSingleStepSub);
        return true;
    case SB_PAGEDOWN:
        qtBar->triggerAction(QAbstractSlider::SliderPageStepAdd);
        return true;
    case SB_PAGEUP:
        qtBar->triggerAction(QAbstractSlider::SliderPageStepSub);
        return true;
    case SB_TOP:
        qtBar->triggerAction(QAbstractSlider::SliderToMinimum);
        return true;
    case SB_BOTTOM:
        qtBar->triggerAction(QAbstractSlider::SliderToMaximum);
        return true;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
        const QPointer<QScrollBar> guard(qtBar);
        if (!qtBar->isSliderDown())
            qtBar->setSliderDown(true);
        if (guard)
            qtBar->setSliderPosition(pos);
        if (guard && action == SB_THUMBPOSITION)
            qtBar->setSliderDown(false);
        return true;
    }
    default:
        return false;
    }
}

bool GrabWindow(TWinControl* control, TPixelBuffer& pixels)
{
    QWidget* frame = FrameWidgetOf(control);
    if (!frame)
        return false;
    if (TWindowData* data = WindowDataOf(control); data && control->Showing())
        data->PaintInvalid();
    frame = FrameWidgetOf(control);
    if (!frame)
        return false;
    pixels = PixelsOfImage(frame->grab().toImage());
    return true;
}

bool GrabShownClient(TWinControl* control, TPixelBuffer& pixels)
{
    QWidget* client = ClientWidgetOf(control);
    if (!client || !client->isVisible())
        return false;
    // The top-level window's backing store holds what the window system is
    // given to show, laid out as the window.
    QWidget* top = client->window();
    QBackingStore* store = top->backingStore();
    QPaintDevice* device = store ? store->paintDevice() : nullptr;
    if (!device || device->devType() != QInternal::Image)
        return false;
    const QImage& image = *static_cast<QImage*>(device);
    const QRect area(client->mapTo(top, QPoint(0, 0)), client->size());
    if (!image.rect().contains(area))
        return false;
    pixels = PixelsOfImage(image.copy(area));
    return true;
}

bool ProcessMessagesUntil(const std::function<bool()>& done, int timeoutMs)
{
    EnsureControlsRuntime();
    QElapsedTimer clock;
    clock.start();
    QTimer wake;
    wake.setSingleShot(true);
    while (!done()) {
        const qint64 left = timeoutMs - clock.elapsed();
        if (left <= 0)
            return done();
        // Wake up by the deadline at the latest, however quiet it is.
        wake.start(static_cast<int>(std::min<qint64>(left, 50)));
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    return true;
}

bool WindowExposed(TWinControl* control)
{
    QWidget* frame = FrameWidgetOf(control);
    if (!frame)
        return false;
    QWidget* window = frame->window();
    return window->isVisible() && window->windowHandle() && window->windowHandle()->isExposed();
}
