// The screens of the desktop, read from the toolkit.
#include "platform/controls/monitors.h"

#include <QGuiApplication>
#include <QScreen>

#include "platform/graphics/qtsupport.h"

namespace {

// Every screen's whole area, or the part windows may use, the primary first.
std::vector<TRect> ScreenRects(bool available)
{
    EnsureQtApplication();
    std::vector<TRect> result;
    const auto add = [&](const QScreen* screen) {
        const QRect g = available ? screen->availableGeometry() : screen->geometry();
        result.push_back(Bounds(g.x(), g.y(), g.width(), g.height()));
    };
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (primary)
        add(primary);
    for (const QScreen* screen : QGuiApplication::screens())
        if (screen != primary)
            add(screen);
    return result;
}

} // namespace

std::vector<TRect> MonitorBoundsList()
{
    return ScreenRects(false);
}

std::vector<TRect> MonitorWorkAreaList()
{
    return ScreenRects(true);
}

bool RectOnAnyMonitor(const TRect& rect)
{
    const std::vector<TRect> monitors = MonitorBoundsList();
    if (monitors.empty())
        return true;
    for (const TRect& m : monitors)
        if (rect.Left < m.Right && m.Left < rect.Right && rect.Top < m.Bottom && m.Top < rect.Bottom)
            return true;
    return false;
}
