// The widgets behind a control's window: the frame (border, scroll bars, the
// top-level window of a form) and the client area, and the translation of the
// toolkit's events into messages: one event, one delivery through WndProc.
#include <QApplication>
#include <QBackingStore>
#include <QFont>
#include <QMouseEvent>
#include <QPaintEngine>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/controls/controls_qt.h"
#include "platform/controls/forms.h"
#include "platform/controls/winapi.h"
#include "platform/core/colors.h"
#include "platform/graphics/gdiobjects.h"
#include "platform/graphics/qtcanvas_qt.h"
#include "platform/graphics/qtcolor_qt.h"

namespace {

std::vector<QObject*>& EventStack()
{
    static std::vector<QObject*> stack;
    return stack;
}

WPARAM MouseKeys(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers)
{
    WPARAM keys = 0;
    if (buttons & Qt::LeftButton)
        keys |= MK_LBUTTON;
    if (buttons & Qt::RightButton)
        keys |= MK_RBUTTON;
    if (buttons & Qt::MiddleButton)
        keys |= MK_MBUTTON;
    if (modifiers & Qt::ShiftModifier)
        keys |= MK_SHIFT;
    if (modifiers & Qt::ControlModifier)
        keys |= MK_CONTROL;
    return keys;
}

// The control that gets mouse input aimed at Control: the one holding the capture.
TWinControl* MouseTarget(TWinControl* control)
{
    if (TWinControl* captured = FindControl(GetCapture()))
        return captured;
    return control;
}

void DeliverMouseEvent(TWinControl* control, QMouseEvent* event)
{
    TWinControl* target = MouseTarget(control);
    const QPoint global = event->globalPosition().toPoint();
    TPoint point{event->position().toPoint().x(), event->position().toPoint().y()};
    if (target != control)
        point = target->ScreenToClient(TPoint{global.x(), global.y()});
    UINT msg = WM_MOUSEMOVE;
    if (event->type() != QEvent::MouseMove) {
        UINT base;
        switch (event->button()) {
        case Qt::LeftButton:
            base = WM_LBUTTONDOWN;
            break;
        case Qt::RightButton:
            base = WM_RBUTTONDOWN;
            break;
        case Qt::MiddleButton:
            base = WM_MBUTTONDOWN;
            break;
        default:
            return;
        }
        if (event->type() == QEvent::MouseButtonRelease)
            msg = base + 1;
        else if (event->type() == QEvent::MouseButtonDblClick && (target->ControlStyle() & csDoubleClicks))
            msg = base + 2;
        else
            msg = base;
    }
    const HWND wnd = target->Handle();
    const WPARAM keys = MouseKeys(event->buttons(), event->modifiers());
    if (msg == WM_MOUSEMOVE && !GetCapture())
        SendMessage(wnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(wnd), MAKELONG(HTCLIENT, WM_MOUSEMOVE));
    SendMessage(wnd, msg, keys, MAKELPARAM(point.X, point.Y));
}

int GPaintDepth = 0;

} // namespace

// ---------------------------------------------------------------------------
// Event scopes

TEventScope::TEventScope(QObject* object)
{
    EventStack().push_back(object);
}

TEventScope::~TEventScope()
{
    EventStack().pop_back();
}

bool TEventScope::Busy(const QObject* object)
{
    for (const QObject* busy : EventStack())
        for (const QObject* o = busy; o; o = o->parent())
            if (o == object)
                return true;
    return false;
}

bool InToolkitPaint()
{
    return GPaintDepth > 0;
}

// Wheel turns over a window (or its scroll bars) become WM_MOUSEWHEEL for it.
void DeliverWheelEvent(TWinControl* control, QWheelEvent* event)
{
    int delta = event->angleDelta().y();
    if (delta == 0)
        return;
    delta = std::clamp(delta, -32768, 32767);
    TWinControl* target = MouseTarget(control);
    const QPoint global = event->globalPosition().toPoint();
    const WPARAM keys = MouseKeys(event->buttons(), event->modifiers());
    SendMessage(target->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(static_cast<int>(keys), delta),
                MAKELPARAM(global.x(), global.y()));
}

// ---------------------------------------------------------------------------
// The frame

TFrameWidget::TFrameWidget(TWinControl* aControl, QWidget* aParent)
    : QWidget(aParent, aParent ? Qt::Widget : Qt::Window), Control(aControl)
{
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_NoSystemBackground);
}

bool TFrameWidget::event(QEvent* event)
{
    if (!Control)
        return QWidget::event(event);
    TEventScope scope(this);
    TWinControl* control = Control;
    switch (event->type()) {
    case QEvent::Close:
        // The window manager asks: the form decides (WM_CLOSE).
        event->ignore();
        RunGuarded(control, [&] { SendMessage(control->Handle(), WM_CLOSE, 0, 0); });
        return true;
    case QEvent::Resize:
        if (isWindow() && event->spontaneous())
            RunGuarded(control, [&] { TWindowAdapter::FrameResized(control, width(), height()); });
        break;
    case QEvent::Move:
        if (isWindow() && event->spontaneous())
            RunGuarded(control, [&] { TWindowAdapter::FrameMoved(control, x(), y()); });
        break;
    case QEvent::WindowActivate:
    case QEvent::WindowDeactivate:
        if (auto* form = dynamic_cast<TCustomForm*>(control)) {
            const bool activate = event->type() == QEvent::WindowActivate;
            RunGuarded(control, [&] {
                if (activate)
                    form->Activate();
                else
                    form->Deactivate();
            });
        }
        break;
    case QEvent::WindowStateChange:
        if (auto* form = dynamic_cast<TCustomForm*>(control)) {
            const Qt::WindowStates state = windowState();
            const TWindowState now = state & Qt::WindowMinimized   ? wsMinimized
                                     : state & Qt::WindowMaximized ? wsMaximized
                                                                   : wsNormal;
            RunGuarded(control, [&] {
                // The user minimised the window: the form hears it as the system
                // command, which it may handle otherwise (hiding instead).
                if (now == wsMinimized && form->WindowState() != wsMinimized)
                    SendMessage(form->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
                else
                    form->SetWindowState(now);
            });
        }
        break;
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        event->accept();
        RunGuarded(control, [&] { DeliverKeyEvent(control, event); });
        return true;
    case QEvent::Wheel:
        event->accept();
        RunGuarded(control, [&] { DeliverWheelEvent(control, static_cast<QWheelEvent*>(event)); });
        return true;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
        // The border: no client input, and none for the parent either.
        event->accept();
        return true;
    default:
        break;
    }
    return QWidget::event(event);
}

void TFrameWidget::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), ToQColor(clBtnFace));
    TWindowData* data = Control ? TWindowAdapter::Data(Control) : nullptr;
    if (!data)
        return;
    const int w = width();
    const int h = height();
    if (data->ExStyle & WS_EX_CLIENTEDGE) {
        // A sunken edge: shadow above and left, light below and right, twice.
        painter.setPen(ToQColor(clBtnShadow));
        painter.drawLine(0, 0, w - 2, 0);
        painter.drawLine(0, 0, 0, h - 2);
        painter.setPen(ToQColor(clBtnHighlight));
        painter.drawLine(0, h - 1, w - 1, h - 1);
        painter.drawLine(w - 1, 0, w - 1, h - 1);
        painter.setPen(ToQColor(cl3DDkShadow));
        painter.drawLine(1, 1, w - 3, 1);
        painter.drawLine(1, 1, 1, h - 3);
        painter.setPen(ToQColor(cl3DLight));
        painter.drawLine(1, h - 2, w - 2, h - 2);
        painter.drawLine(w - 2, 1, w - 2, h - 2);
    } else if (data->Style & WS_BORDER) {
        painter.setPen(ToQColor(clWindowFrame));
        painter.drawRect(0, 0, w - 1, h - 1);
    }
}

// ---------------------------------------------------------------------------
// The client area

TClientWidget::TClientWidget(TWinControl* aControl, QWidget* aParent) : QWidget(aParent), Control(aControl)
{
    setFocusPolicy(Qt::NoFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setAutoFillBackground(false);
}

bool TClientWidget::event(QEvent* event)
{
    if (!Control) {
        // The control has let go of this window; what is still queued for it is dropped.
        if (event->type() == PostedMessageEventType())
            return true;
        return QWidget::event(event);
    }
    TEventScope scope(this);
    TWinControl* control = Control;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
        // Handled here: the toolkit must not pass it on to the parent's widgets.
        event->accept();
        RunGuarded(control, [&] { DeliverMouseEvent(control, static_cast<QMouseEvent*>(event)); });
        return true;
    case QEvent::Wheel:
        event->accept();
        RunGuarded(control, [&] { DeliverWheelEvent(control, static_cast<QWheelEvent*>(event)); });
        return true;
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        event->accept();
        RunGuarded(control, [&] { DeliverKeyEvent(control, event); });
        return true;
    case QEvent::InputMethod:
        event->accept();
        RunGuarded(control, [&] { DeliverInputMethodEvent(control, event); });
        return true;
    case QEvent::ShortcutOverride:
        return QWidget::event(event);
    case QEvent::FocusIn:
        RunGuarded(control, [&] { FocusGainedFromToolkit(control); });
        return true;
    case QEvent::FocusOut: {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason == Qt::ActiveWindowFocusReason)
            RunGuarded(control, [&] { FocusLostFromToolkit(control, true); });
        return true;
    }
    case QEvent::Enter:
        RunGuarded(control, [&] { control->Perform(CM_MOUSEENTER, 0, 0); });
        return true;
    case QEvent::Leave:
        RunGuarded(control, [&] { control->Perform(CM_MOUSELEAVE, 0, 0); });
        return true;
    case QEvent::Timer:
        if (DeliverTimer(control, static_cast<QTimerEvent*>(event)->timerId()))
            return true;
        break;
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::DragLeave:
    case QEvent::Drop:
        if (DeliverControlDrag(control, this, event))
            return true;
        break;
    case QEvent::ContextMenu:
        // Menus come from WM_RBUTTONUP; only the keyboard's menu key asks here.
        if (static_cast<QContextMenuEvent*>(event)->reason() == QContextMenuEvent::Keyboard)
            RunGuarded(control, [&] {
                SendMessage(control->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(control->Handle()),
                            MAKELPARAM(-1, -1));
            });
        return true;
    default:
        if (event->type() == PostedMessageEventType()) {
            DeliverPostedMessage(control, event);
            return true;
        }
        break;
    }
    return QWidget::event(event);
}

QVariant TClientWidget::inputMethodQuery(Qt::InputMethodQuery query) const
{
    if (query == Qt::ImEnabled)
        return testAttribute(Qt::WA_InputMethodEnabled);
    if (query == Qt::ImCursorRectangle || query == Qt::ImAnchorRectangle) {
        TRect cursor;
        if (Control && InputMethodCursor(Control, cursor))
            return QRect(cursor.Left, cursor.Top, cursor.Width(), cursor.Height());
        TPoint caret;
        if (Control && CaretOwnedBy(TWindowAdapter::HandleOf(Control), caret))
            return QRect(caret.X, caret.Y, 1, CaretHeight());
        return QRect(0, 0, 1, height());
    }
    if (query == Qt::ImFont) {
        TLogFont logFont;
        if (Control && InputMethodFont(Control, logFont)) {
            QFont font(QString::fromStdString(logFont.lfFaceName));
            if (logFont.lfHeight != 0)
                font.setPixelSize(std::max(1, std::abs(logFont.lfHeight)));
            font.setBold(logFont.lfWeight >= FW_BOLD);
            font.setItalic(logFont.lfItalic != 0);
            return font;
        }
    }
    return QWidget::inputMethodQuery(query);
}

void TClientWidget::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    if (!Control) {
        painter.fillRect(event->rect(), Qt::white);
        return;
    }
    TEventScope scope(this);
    ++GPaintDepth;
    TWinControl* control = Control;
    const HWND wnd = TWindowAdapter::HandleOf(control);
    TWindowData* data = TWindowAdapter::Data(control);
    bool straight = false;
    if (control->Showing()) {
        QPaintEngine* engine = painter.paintEngine();
        straight = data->PaintStraight(engine ? engine->paintDevice() : nullptr, event->region());
        if (!straight)
            data->PaintInvalid();
    }
    --GPaintDepth;
    // A handler may have destroyed the window while painting.
    if (!Control || FindControl(wnd) != control)
        return;
    data = TWindowAdapter::Data(control);
    if (!straight) {
        data->CatchUpStore();
        for (const QRect& r : event->region())
            painter.drawImage(r, data->Buffer, r);
    }
    DrawCaretOverlay(control, painter);
}

// ---------------------------------------------------------------------------
// Window data

TWindowData::TWindowData(TWinControl* aControl, const TCreateParams& params, QWidget* parentClient)
    : Control(aControl), Style(params.Style), ExStyle(params.ExStyle)
{
    BorderWidth = (ExStyle & WS_EX_CLIENTEDGE) ? 2 : (Style & WS_BORDER) ? 1 : 0;
    Frame = new TFrameWidget(aControl, parentClient);
    Client = new TClientWidget(aControl, Frame);
    if (parentClient)
        Frame->setGeometry(params.X, params.Y, std::max(params.Width, 0), std::max(params.Height, 0));
    else {
        Frame->setWindowTitle(QString::fromUtf8(params.Caption.c_str()));
        Frame->move(params.X, params.Y);
        Frame->resize(std::max(params.Width, 1), std::max(params.Height, 1));
    }
    Layout();
}

TWindowData::~TWindowData()
{
    ReleaseWidgets();
}

void TWindowData::Layout()
{
    const int w = std::max(Control->Width(), 0);
    const int h = std::max(Control->Height(), 0);
    const int b = std::min({BorderWidth, w / 2, h / 2});
    TRect inner{b, b, w - b, h - b};
    TRect client = inner;
    const int cx = GetSystemMetrics(SM_CXVSCROLL);
    const int cy = GetSystemMetrics(SM_CYHSCROLL);
    const bool vShown = Bars[1].Shown;
    const bool hShown = Bars[0].Shown;
    const bool leftBar = (ExStyle & WS_EX_LEFTSCROLLBAR) != 0;
    if (vShown) {
        if (leftBar)
            client.Left = std::min(client.Left + cx, client.Right);
        else
            client.Right = std::max(client.Right - cx, client.Left);
    }
    if (hShown)
        client.Bottom = std::max(client.Bottom - cy, client.Top);
    ClientInFrame = client;
    Client->setGeometry(client.Left, client.Top, client.Width(), client.Height());
    if (Bars[1].Bar) {
        const int x = leftBar ? inner.Left : client.Right;
        Bars[1].Bar->setGeometry(x, inner.Top, std::min(cx, inner.Width()), client.Height());
        Bars[1].Bar->setVisible(vShown);
    }
    if (Bars[0].Bar) {
        Bars[0].Bar->setGeometry(client.Left, client.Bottom, client.Width(), std::min(cy, inner.Height()));
        Bars[0].Bar->setVisible(hShown);
    }
    if (vShown && hShown) {
        if (!Corner) {
            Corner = new QWidget(Frame);
            Corner->setAutoFillBackground(true);
            QPalette palette = Corner->palette();
            palette.setColor(QPalette::Window, ToQColor(clBtnFace));
            Corner->setPalette(palette);
        }
        Corner->setGeometry(leftBar ? inner.Left : client.Right, client.Bottom, cx, cy);
        Corner->show();
    } else if (Corner)
        Corner->hide();
    ResizeBuffer();
}

void TWindowData::ResizeBuffer()
{
    const QSize size(std::max(ClientInFrame.Width(), 1), std::max(ClientInFrame.Height(), 1));
    if (!Buffer.isNull() && Buffer.size() == size)
        return;
    // One canvas for the control's life: it lets go of the old pixels and
    // paints on the new ones, so that a pointer to it held across a resize (or
    // a new window) stays good, with its font, pen and brush.
    std::unique_ptr<TCanvas>& owned = Control->FCanvas;
    if (!owned) {
        owned = std::make_unique<TQtCanvas>(nullptr, 96, 96);
        owned->SetDrawsOffscreen(true);
    }
    BufferCanvas = static_cast<TQtCanvas*>(owned.get());
    BufferCanvas->SetDevice(nullptr);
    // Drawing on the canvas, even through a pointer to it kept from before,
    // finds Store caught up.
    BufferCanvas->SetBeforePixels([this] { CatchUpStore(); });
    // Opaque, as the window is: the toolkit's copy of a window is opaque too,
    // so showing the buffer copies its rows instead of blending every pixel.
    // Store is as tall as the client area until the window scrolls.
    Store = QImage(size, QImage::Format_RGB32);
    StoreTop = 0;
    StoreBehind = false;
    const TColor color = Control->Color();
    Store.fill(color == clNone ? QColor(Qt::white) : ToQColor(color));
    Buffer = QImage(Store.bits(), size.width(), size.height(), Store.bytesPerLine(), QImage::Format_RGB32);
    BufferCanvas->SetDevice(&Buffer);
    // A new size repaints the whole client area.
    Invalid = QRegion(0, 0, ClientInFrame.Width(), ClientInFrame.Height());
    EraseNeeded = true;
    if (Client)
        Client->update();
}

bool TWindowData::ScrollView(int dy)
{
    CatchUpStore();
    const int width = Buffer.width();
    const int height = Buffer.height();
    if (Buffer.isNull() || Store.isNull() || !BufferCanvas || Painting || dy == 0 || std::abs(dy) >= height)
        return false;
    const qsizetype bytesPerLine = Store.bytesPerLine();
    const auto rows = [&](int top) { return Store.bits() + top * bytesPerLine; };
    BufferCanvas->RepointImage([&] {
        if (Store.height() == height) {
            // The first scroll: room for as many rows again.
            QImage taller(width, 2 * height, QImage::Format_RGB32);
            std::memcpy(taller.bits(), Store.constBits(), static_cast<size_t>(height) * bytesPerLine);
            Buffer = QImage();
            Store = std::move(taller);
            StoreTop = 0;
        }
        // Row y shows what row y - Dy showed; where the view would leave
        // Store, it is first moved to the end it goes away from.
        int top = StoreTop - dy;
        if (top < 0 || top + height > Store.height()) {
            const int at = dy < 0 ? 0 : Store.height() - height;
            std::memmove(rows(at), rows(StoreTop), static_cast<size_t>(height) * bytesPerLine);
            StoreTop = at;
            top = StoreTop - dy;
        }
        // The uncovered rows keep the pixels they had.
        const int count = std::abs(dy);
        if (dy < 0)
            std::memcpy(rows(StoreTop + height), rows(StoreTop + height - count),
                        static_cast<size_t>(count) * bytesPerLine);
        else
            std::memcpy(rows(top), rows(StoreTop), static_cast<size_t>(count) * bytesPerLine);
        StoreTop = top;
        Buffer = QImage(rows(StoreTop), width, height, bytesPerLine, QImage::Format_RGB32);
    });
    return true;
}

namespace {

// The image a top-level window's pixels are painted into, when it is one
// that lays them out one row after another, and where Widget's pixels lie in it.
QImage* ShownImage(QWidget* widget, QRect& area)
{
    QWidget* top = widget ? widget->window() : nullptr;
    QBackingStore* store = top ? top->backingStore() : nullptr;
    QPaintDevice* device = store ? store->paintDevice() : nullptr;
    if (!device || device->devType() != QInternal::Image)
        return nullptr;
    auto* image = static_cast<QImage*>(device);
    area = QRect(widget->mapTo(top, QPoint(0, 0)), widget->size());
    if (image->format() != QImage::Format_RGB32 || image->devicePixelRatio() != 1.0 ||
        !image->rect().contains(area))
        return nullptr;
    return image;
}

const uchar* FirstPixel(const QImage& image, const QRect& area)
{
    return image.constBits() + area.top() * image.bytesPerLine() + area.left() * 4;
}

} // namespace

bool TWindowData::PaintStraight(QPaintDevice* device, const QRegion& region)
{
    const QRect client(QPoint(0, 0), Buffer.size());
    if (Painting || !BufferCanvas || !Client || Buffer.isNull() || !(QRegion(client) - Invalid).isEmpty() ||
        !(QRegion(client) - region).isEmpty() || Store.format() != QImage::Format_RGB32)
        return false;
    // A caret or a child window would be drawn over the pixels in the
    // toolkit's copy: they could not be taken back into Store.
    TPoint caret;
    if (CaretOwnedBy(TWindowAdapter::HandleOf(Control), caret))
        return false;
    for (const QObject* object : Client->children())
        if (const auto* child = qobject_cast<const QWidget*>(object); child && child->isVisible())
            return false;
    QRect area;
    QImage* shown = ShownImage(Client, area);
    if (!shown || shown != device || area.size() != Buffer.size())
        return false;
    const qsizetype bytesPerLine = shown->bytesPerLine();
    // The toolkit's painter holds that image for this paint already: its
    // pixels are written where they lie, without a detach of the image.
    uchar* first = const_cast<uchar*>(FirstPixel(*shown, area));
    // Store's pixels are all painted over: nothing is caught up from before.
    StoreBehind = false;
    BufferCanvas->RepointImage(
        [&] { Buffer = QImage(first, area.width(), area.height(), bytesPerLine, QImage::Format_RGB32); });
    PaintingStraight = true;
    const HWND wnd = TWindowAdapter::HandleOf(Control);
    TWinControl* control = Control;
    PaintInvalid();
    // The handler may have destroyed the window (and this data with it).
    if (FindControl(wnd) != control)
        return true;
    PaintingStraight = false;
    BufferCanvas->RepointImage([&] {
        Buffer = QImage(Store.bits() + StoreTop * Store.bytesPerLine(), client.width(), client.height(),
                        Store.bytesPerLine(), QImage::Format_RGB32);
    });
    StoreBehind = true;
    ShownBits = first;
    ShownBytesPerLine = bytesPerLine;
    ShownSerial = shown->cacheKey() >> 32;
    return true;
}

void TWindowData::CatchUpStore()
{
    if (!StoreBehind || PaintingStraight)
        return;
    StoreBehind = false;
    QRect area;
    const QImage* shown = ShownImage(Client, area);
    if (shown && area.size() == Buffer.size() && FirstPixel(*shown, area) == ShownBits &&
        shown->bytesPerLine() == ShownBytesPerLine && (shown->cacheKey() >> 32) == ShownSerial) {
        const size_t rowBytes = static_cast<size_t>(Buffer.width()) * 4;
        uchar* rows = Buffer.bits();
        for (int y = 0; y < Buffer.height(); ++y)
            std::memcpy(rows + y * Buffer.bytesPerLine(), ShownBits + y * ShownBytesPerLine, rowBytes);
        return;
    }
    // The toolkit let go of that copy or moved the window in it: what Store
    // lacks is painted again.
    Invalid = QRegion(0, 0, Buffer.width(), Buffer.height());
    if (Client)
        Client->update();
}

void TWindowData::PaintInvalid()
{
    CatchUpStore();
    if (Painting || Invalid.isEmpty() || !BufferCanvas)
        return;
    const QRect bounds = Invalid.boundingRect() & QRect(QPoint(0, 0), Buffer.size());
    const bool erase = EraseNeeded;
    Invalid = QRegion();
    EraseNeeded = false;
    if (bounds.isEmpty())
        return;
    TWinControl* control = Control;
    const HWND wnd = TWindowAdapter::HandleOf(control);
    TCanvas* canvas = BufferCanvas;
    canvas->SetWindowOrgEx(0, 0);
    canvas->SetViewportOrgEx(0, 0);
    const TRect clip{bounds.left(), bounds.top(), bounds.right() + 1, bounds.bottom() + 1};
    canvas->SelectClipRect(&clip);
    Painting = true;
    TWindowAdapter::SetPaintCanvas(control, canvas);
    RunGuarded(control, [&] {
        if (erase)
            control->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(canvas), 0);
        if (FindControl(wnd) == control)
            control->Perform(WM_PAINT, 0, 0);
    });
    // The handler may have destroyed the window (and this data with it).
    if (FindControl(wnd) != control)
        return;
    TWindowAdapter::SetPaintCanvas(control, nullptr);
    canvas->SelectClipRect(nullptr);
    Painting = false;
}

void TWindowData::ReleaseWidgets()
{
    StoreBehind = false;
    // The control keeps its canvas; it paints on nothing until the next window.
    if (BufferCanvas) {
        BufferCanvas->SetBeforePixels(nullptr);
        BufferCanvas->SetDevice(nullptr);
        BufferCanvas = nullptr;
    }
    if (!Frame)
        return;
    for (auto& timer : Timers)
        Client->killTimer(timer.second);
    Timers.clear();
    Frame->Control = nullptr;
    Client->Control = nullptr;
    TFrameWidget* frame = Frame;
    Frame = nullptr;
    Client = nullptr;
    Corner = nullptr;
    Bars[0].Bar = nullptr;
    Bars[1].Bar = nullptr;
    if (InToolkitPaint()) {
        // The toolkit is painting the window it lies in (a program's paint
        // handler closed it): taken out of the window once the paint is done.
        QMetaObject::invokeMethod(
            frame,
            [frame] {
                frame->hide();
                frame->setParent(nullptr);
                frame->deleteLater();
            },
            Qt::QueuedConnection);
    } else if (TEventScope::Busy(frame)) {
        // Deleting a widget inside its own event would pull it from under the toolkit.
        frame->hide();
        frame->setParent(nullptr);
        frame->deleteLater();
    } else
        delete frame;
}

// ---------------------------------------------------------------------------
// Access for the rest of platform/

QWidget* ClientWidgetOf(TWinControl* control)
{
    TWindowData* data = control ? TWindowAdapter::Data(control) : nullptr;
    return data ? data->Client : nullptr;
}

QWidget* FrameWidgetOf(TWinControl* control)
{
    TWindowData* data = control ? TWindowAdapter::Data(control) : nullptr;
    return data ? data->Frame : nullptr;
}

TWindowData* WindowDataOf(TWinControl* control)
{
    return control ? TWindowAdapter::Data(control) : nullptr;
}

TWinControl* ControlOfWidget(QWidget* widget)
{
    for (QWidget* w = widget; w; w = w->parentWidget()) {
        if (auto* client = dynamic_cast<TClientWidget*>(w))
            return client->Control;
        if (auto* frame = dynamic_cast<TFrameWidget*>(w))
            return frame->Control;
    }
    return nullptr;
}
