// The platform's visual-style functions, reached through global function
// pointers that are null when the platform has no visual-style library. This
// platform has none, so every pointer stays null and the controls draw their
// plain borders.
#pragma once

#include "platform/controls/messages.h"
#include "platform/core/types.h"

class TCanvas;

// An open theme of a window class; 0 is none.
using HTHEME = void*;

// The device context of the platform's functions is a canvas here.
using TIsThemeActive = bool (*)();
using TIsAppThemed = bool (*)();
using TOpenThemeData = HTHEME (*)(HWND wnd, const WideChar* classList);
using TCloseThemeData = int (*)(HTHEME theme);
using TDrawThemeParentBackground = int (*)(HWND wnd, TCanvas* dc, const TRect* rect);
using TDrawThemeText = int (*)(HTHEME theme, TCanvas* dc, int partId, int stateId, const WideChar* text,
                               int charCount, DWORD textFlags, DWORD textFlags2, const TRect* rect);
using TDrawThemeEdge = int (*)(HTHEME theme, TCanvas* dc, int partId, int stateId, const TRect* destRect,
                               UINT edge, UINT flags, TRect* contentRect);
using TDrawThemeBackground = int (*)(HTHEME theme, TCanvas* dc, int partId, int stateId, const TRect* rect,
                                     const TRect* clipRect);
using TIsThemeBackgroundPartiallyTransparent = bool (*)(HTHEME theme, int partId, int stateId);

extern TIsThemeActive RV_IsThemeActive;
extern TIsAppThemed RV_IsAppThemed;
extern TOpenThemeData RV_OpenThemeData;
extern TCloseThemeData RV_CloseThemeData;
extern TDrawThemeParentBackground RV_DrawThemeParentBackground;
extern TDrawThemeText RV_DrawThemeText;
extern TDrawThemeEdge RV_DrawThemeEdge;
extern TDrawThemeBackground RV_DrawThemeBackground;
extern TIsThemeBackgroundPartiallyTransparent RV_IsThemeBackgroundPartiallyTransparent;
