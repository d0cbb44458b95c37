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
using TOpenThemeData = HTHEME (*)(HWND Wnd, const WideChar* ClassList);
using TCloseThemeData = int (*)(HTHEME Theme);
using TDrawThemeParentBackground = int (*)(HWND Wnd, TCanvas* DC, const TRect* Rect);
using TDrawThemeText = int (*)(HTHEME Theme, TCanvas* DC, int PartId, int StateId, const WideChar* Text,
                               int CharCount, DWORD TextFlags, DWORD TextFlags2, const TRect* Rect);
using TDrawThemeEdge = int (*)(HTHEME Theme, TCanvas* DC, int PartId, int StateId, const TRect* DestRect,
                               UINT Edge, UINT Flags, TRect* ContentRect);
using TDrawThemeBackground = int (*)(HTHEME Theme, TCanvas* DC, int PartId, int StateId, const TRect* Rect,
                                     const TRect* ClipRect);
using TIsThemeBackgroundPartiallyTransparent = bool (*)(HTHEME Theme, int PartId, int StateId);

extern TIsThemeActive RV_IsThemeActive;
extern TIsAppThemed RV_IsAppThemed;
extern TOpenThemeData RV_OpenThemeData;
extern TCloseThemeData RV_CloseThemeData;
extern TDrawThemeParentBackground RV_DrawThemeParentBackground;
extern TDrawThemeText RV_DrawThemeText;
extern TDrawThemeEdge RV_DrawThemeEdge;
extern TDrawThemeBackground RV_DrawThemeBackground;
extern TIsThemeBackgroundPartiallyTransparent RV_IsThemeBackgroundPartiallyTransparent;
