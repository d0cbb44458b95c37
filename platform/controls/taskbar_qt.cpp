// The taskbar hint of a top-level window: on X the desktop's skip-taskbar
// state, kept through every hide and show of the window; on other platforms a
// tool window.
#include <QEvent>
#include <QGuiApplication>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <QtGui/qguiapplication_platform.h>

#ifdef KELVOR_HAVE_XCB
#include <xcb/xcb.h>
#endif

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/controls/controls_qt.h"

namespace {

// The widget property that holds whether a window is to be left out.
const char* const SkipTaskbarProperty = "kelvorSkipTaskbar";

#ifdef KELVOR_HAVE_XCB

template <typename T> using TXcbReply = std::unique_ptr<T, decltype(&std::free)>;

xcb_connection_t* X11Connection()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

xcb_atom_t InternAtom(xcb_connection_t* c, const char* name)
{
    TXcbReply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<uint16_t>(strlen(name)), name), nullptr),
        &std::free);
    return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

// Writes the state into the _NET_WM_STATE property of a window that is not
// mapped, keeping the other states there: the window manager reads it when it
// maps the window (and the toolkit adds its own states to it then).
void WriteUnmappedState(xcb_connection_t* c, xcb_window_t window, xcb_atom_t property, xcb_atom_t state,
                        bool on)
{
    std::vector<xcb_atom_t> atoms;
    TXcbReply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(c, xcb_get_property(c, 0, window, property, XCB_ATOM_ATOM, 0, 1024), nullptr),
        &std::free);
    if (reply && reply->format == 32 && reply->type == XCB_ATOM_ATOM) {
        const auto* data = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
        atoms.assign(data, data + xcb_get_property_value_length(reply.get()) / 4);
    }
    std::vector<xcb_atom_t> kept;
    for (xcb_atom_t atom : atoms)
        if (atom != state)
            kept.push_back(atom);
    if (on)
        kept.push_back(state);
    if (kept == atoms)
        return;
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, property, XCB_ATOM_ATOM, 32,
                        static_cast<uint32_t>(kept.size()), kept.data());
}

// Asks the window manager to add or remove the state of a mapped window, as
// the desktop's window-manager rules have a client do it.
void RequestMappedState(xcb_connection_t* c, xcb_window_t window, xcb_atom_t property, xcb_atom_t state,
                        bool on)
{
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    if (!screen)
        return;
    xcb_client_message_event_t event = {};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = property;
    event.data.data32[0] = on ? 1 : 0; // _NET_WM_STATE_ADD, _NET_WM_STATE_REMOVE
    event.data.data32[1] = state;
    event.data.data32[2] = 0;
    event.data.data32[3] = 1; // asked by a normal application
    xcb_send_event(c, 0, screen->root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                   reinterpret_cast<const char*>(&event));
}

// Gives the X window of a top-level widget the state its property asks for;
// Mapped: the window is on the screen (or iconic), so the window manager owns
// the state.
void ApplyX11SkipTaskbar(QWidget* window, bool mapped)
{
    xcb_connection_t* c = X11Connection();
    // The toolkit's own window, whose X window is the current one: the widget
    // keeps the id its window had when it was made.
    const QWindow* handle = window->windowHandle();
    if (!c || !handle || !handle->handle())
        return; // written when the window is made and shown
    const bool on = window->property(SkipTaskbarProperty).toBool();
    const xcb_atom_t property = InternAtom(c, "_NET_WM_STATE");
    const xcb_atom_t state = InternAtom(c, "_NET_WM_STATE_SKIP_TASKBAR");
    if (property == XCB_ATOM_NONE || state == XCB_ATOM_NONE)
        return;
    const auto id = static_cast<xcb_window_t>(handle->winId());
    if (mapped)
        RequestMappedState(c, id, property, state, on);
    else
        WriteUnmappedState(c, id, property, state, on);
    xcb_flush(c);
}

// Writes the state of a window about to be shown (the toolkit sends the show
// event before it maps the window), and asks it of the window manager again
// once the window is mapped: the toolkit makes a new X window as it maps one
// whose stay-on-top hint changed, and that one has none of what was written.
class TSkipTaskbarFilter : public QObject {
protected:
    bool eventFilter(QObject* object, QEvent* event) override
    {
        if (event->type() != QEvent::Show)
            return false;
        auto* widget = qobject_cast<QWidget*>(object);
        if (!widget || !widget->isWindow())
            return false;
        ApplyX11SkipTaskbar(widget, false);
        QTimer::singleShot(0, widget, [widget] {
            if (widget->isVisible())
                ApplyX11SkipTaskbar(widget, true);
        });
        return false;
    }
};

#endif

// Changing a window's flags takes it off the screen; a shown window comes back.
void SetToolWindow(QWidget* window, bool on)
{
    if (window->windowFlags().testFlag(Qt::Tool) == on)
        return;
    const bool visible = window->isVisible();
    window->setWindowFlag(Qt::Tool, on);
    if (visible)
        window->show();
}

} // namespace

void SetSkipTaskbarHint(QWidget* window, bool on)
{
    if (!window)
        return;
#ifdef KELVOR_HAVE_XCB
    if (X11Connection()) {
        static TSkipTaskbarFilter* filter = new TSkipTaskbarFilter;
        window->setProperty(SkipTaskbarProperty, on);
        window->installEventFilter(filter);
        ApplyX11SkipTaskbar(window, window->isVisible());
        return;
    }
#endif
    SetToolWindow(window, on);
}
