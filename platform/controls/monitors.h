// The screens (monitors) of the desktop: where each one lies, so that a window
// placed from saved coordinates can be kept where the user can reach it.
#pragma once

#include <vector>

#include "platform/core/types.h"

// The bounds of every screen in desktop coordinates, the primary screen first;
// empty when the toolkit knows of no screen.
std::vector<TRect> MonitorBoundsList();

// Whether some part of Rect lies on a screen. True when no screen is known, as
// nothing can be said then.
bool RectOnAnyMonitor(const TRect& rect);
