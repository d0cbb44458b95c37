// The visual-style function pointers. The platform offers no visual-style
// library to load, so start-up leaves them all null (the state of a system
// without one) and no theme is ever opened.
#include "view/rvthemes.h"

TIsThemeActive RV_IsThemeActive = nullptr;
TIsAppThemed RV_IsAppThemed = nullptr;
TOpenThemeData RV_OpenThemeData = nullptr;
TCloseThemeData RV_CloseThemeData = nullptr;
TDrawThemeParentBackground RV_DrawThemeParentBackground = nullptr;
TDrawThemeText RV_DrawThemeText = nullptr;
TDrawThemeEdge RV_DrawThemeEdge = nullptr;
TDrawThemeBackground RV_DrawThemeBackground = nullptr;
TIsThemeBackgroundPartiallyTransparent RV_IsThemeBackgroundPartiallyTransparent = nullptr;
