// The screens of the desktop, read from the toolkit.
#include "platform/controls/monitors.h"

#include <QGuiApplication>
#include <QScreen>

#include "platform/graphics/qtsupport.h"

std::vector<TRect> MonitorBoundsList()
{
    EnsureQtApplication();
    std::vector<TRect> result;
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (primary) {
        const QRect g = primary->geometry();
        result.push_back(Bounds(g.x(), g.y(), g.width(), g.height()));
    }
    for (const QScreen* screen : QGuiApplication::screens()) {
        if (screen == primary)
            continue;
        const QRect g = screen->geometry();
        result.push_back(Bounds(g.x(), g.y(), g.width(), g.height()));
    }
    return result;
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
