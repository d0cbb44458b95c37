// The toolkit's side of keyboard-language notices: an XKB group switch seen
// in the state of a key press (the layout of the new group read from the X
// server's rules names), and a locale change of the input method.
#include <QGuiApplication>
#include <QInputMethod>
#include <QKeyEvent>
#include <QLocale>
#include <QtGui/qguiapplication_platform.h>

#ifdef KELVOR_HAVE_XCB
#include <xcb/xcb.h>
#endif

#include <cstdlib>
#include <memory>

#include "platform/controls/controls_qt.h"
#include "platform/controls/inputlang.h"

namespace {

int LastGroup = -1;
bool WatchingInputMethod = false;

// The comma-separated layouts of the X server's keyboard ("us,ru"); empty
// when the display is not X or names none.
AnsiString ServerLayouts()
{
#ifdef KELVOR_HAVE_XCB
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* c = x11 ? x11->connection() : nullptr;
    if (!c)
        return AnsiString();
    static const char name[] = "_XKB_RULES_NAMES";
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> atom(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 1, sizeof name - 1, name), nullptr), &std::free);
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    if (!atom || atom->atom == XCB_ATOM_NONE || !screen)
        return AnsiString();
    std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> prop(
        xcb_get_property_reply(c, xcb_get_property(c, 0, screen->root, atom->atom, XCB_ATOM_STRING, 0, 1024),
                               nullptr),
        &std::free);
    if (!prop || prop->format != 8)
        return AnsiString();
    // Rules, model, layouts, variants and options, each ended by a zero byte.
    const auto* data = static_cast<const char*>(xcb_get_property_value(prop.get()));
    const AnsiString names(data, static_cast<size_t>(xcb_get_property_value_length(prop.get())));
    size_t start = 0;
    for (int field = 0; field < 2; ++field) {
        start = names.find('\0', start);
        if (start == AnsiString::npos)
            return AnsiString();
        ++start;
    }
    return names.substr(start, names.find('\0', start) - start);
#else
    return AnsiString();
#endif
}

void WatchInputMethod()
{
    if (WatchingInputMethod || !qGuiApp)
        return;
    WatchingInputMethod = true;
    QObject::connect(QGuiApplication::inputMethod(), &QInputMethod::localeChanged, [] {
        const QLocale locale = QGuiApplication::inputMethod()->locale();
        InputLanguageChanged(CharsetOfLanguage(QLocale::languageToCode(locale.language()).toStdString()));
    });
}

} // namespace

void NoteKeyboardLanguage(const QKeyEvent* key)
{
    WatchInputMethod();
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return;
    // The core state of an X key event holds the XKB group in bits 13 and 14.
    const int group = static_cast<int>((key->nativeModifiers() >> 13) & 3);
    if (group == LastGroup)
        return;
    const bool first = LastGroup < 0;
    LastGroup = group;
    // The group the keyboard starts in is no change.
    if (!first)
        InputLanguageChanged(CharsetOfXkbLayout(XkbLayoutOfGroup(ServerLayouts(), group)));
}
