// Colour constants and identifiers with the class library's names, and the
// system colours, resolved from a fixed table of classic values.
#pragma once

#include <cstdint>

#include "platform/core/types.h"

// System colour indexes (COLOR_...) and their TColor values (0x80000000 + index).
enum : int {
    COLOR_SCROLLBAR = 0,
    COLOR_BACKGROUND = 1,
    COLOR_ACTIVECAPTION = 2,
    COLOR_INACTIVECAPTION = 3,
    COLOR_MENU = 4,
    COLOR_WINDOW = 5,
    COLOR_WINDOWFRAME = 6,
    COLOR_MENUTEXT = 7,
    COLOR_WINDOWTEXT = 8,
    COLOR_CAPTIONTEXT = 9,
    COLOR_ACTIVEBORDER = 10,
    COLOR_INACTIVEBORDER = 11,
    COLOR_APPWORKSPACE = 12,
    COLOR_HIGHLIGHT = 13,
    COLOR_HIGHLIGHTTEXT = 14,
    COLOR_BTNFACE = 15,
    COLOR_BTNSHADOW = 16,
    COLOR_GRAYTEXT = 17,
    COLOR_BTNTEXT = 18,
    COLOR_INACTIVECAPTIONTEXT = 19,
    COLOR_BTNHIGHLIGHT = 20,
    COLOR_3DDKSHADOW = 21,
    COLOR_3DLIGHT = 22,
    COLOR_INFOTEXT = 23,
    COLOR_INFOBK = 24,
    COLOR_HOTLIGHT = 26,
    COLOR_GRADIENTACTIVECAPTION = 27,
    COLOR_GRADIENTINACTIVECAPTION = 28,
    COLOR_MENUHILIGHT = 29,
    COLOR_MENUBAR = 30,
};

inline constexpr TColor clSystemColor = TColorOf(0x80000000u);

inline constexpr TColor clScrollBar = TColorOf(0x80000000u);
inline constexpr TColor clBackground = TColorOf(0x80000001u);
inline constexpr TColor clActiveCaption = TColorOf(0x80000002u);
inline constexpr TColor clInactiveCaption = TColorOf(0x80000003u);
inline constexpr TColor clMenu = TColorOf(0x80000004u);
inline constexpr TColor clWindow = TColorOf(0x80000005u);
inline constexpr TColor clWindowFrame = TColorOf(0x80000006u);
inline constexpr TColor clMenuText = TColorOf(0x80000007u);
inline constexpr TColor clWindowText = TColorOf(0x80000008u);
inline constexpr TColor clCaptionText = TColorOf(0x80000009u);
inline constexpr TColor clActiveBorder = TColorOf(0x8000000Au);
inline constexpr TColor clInactiveBorder = TColorOf(0x8000000Bu);
inline constexpr TColor clAppWorkSpace = TColorOf(0x8000000Cu);
inline constexpr TColor clHighlight = TColorOf(0x8000000Du);
inline constexpr TColor clHighlightText = TColorOf(0x8000000Eu);
inline constexpr TColor clBtnFace = TColorOf(0x8000000Fu);
inline constexpr TColor clBtnShadow = TColorOf(0x80000010u);
inline constexpr TColor clGrayText = TColorOf(0x80000011u);
inline constexpr TColor clBtnText = TColorOf(0x80000012u);
inline constexpr TColor clInactiveCaptionText = TColorOf(0x80000013u);
inline constexpr TColor clBtnHighlight = TColorOf(0x80000014u);
inline constexpr TColor cl3DDkShadow = TColorOf(0x80000015u);
inline constexpr TColor cl3DLight = TColorOf(0x80000016u);
inline constexpr TColor clInfoText = TColorOf(0x80000017u);
inline constexpr TColor clInfoBk = TColorOf(0x80000018u);
inline constexpr TColor clHotLight = TColorOf(0x8000001Au);
inline constexpr TColor clGradientActiveCaption = TColorOf(0x8000001Bu);
inline constexpr TColor clGradientInactiveCaption = TColorOf(0x8000001Cu);
inline constexpr TColor clMenuHighlight = TColorOf(0x8000001Du);
inline constexpr TColor clMenuBar = TColorOf(0x8000001Eu);

inline constexpr TColor clBlack = TColorOf(0x000000u);
inline constexpr TColor clMaroon = TColorOf(0x000080u);
inline constexpr TColor clGreen = TColorOf(0x008000u);
inline constexpr TColor clOlive = TColorOf(0x008080u);
inline constexpr TColor clNavy = TColorOf(0x800000u);
inline constexpr TColor clPurple = TColorOf(0x800080u);
inline constexpr TColor clTeal = TColorOf(0x808000u);
inline constexpr TColor clGray = TColorOf(0x808080u);
inline constexpr TColor clSilver = TColorOf(0xC0C0C0u);
inline constexpr TColor clRed = TColorOf(0x0000FFu);
inline constexpr TColor clLime = TColorOf(0x00FF00u);
inline constexpr TColor clYellow = TColorOf(0x00FFFFu);
inline constexpr TColor clBlue = TColorOf(0xFF0000u);
inline constexpr TColor clFuchsia = TColorOf(0xFF00FFu);
inline constexpr TColor clAqua = TColorOf(0xFFFF00u);
inline constexpr TColor clLtGray = TColorOf(0xC0C0C0u);
inline constexpr TColor clDkGray = TColorOf(0x808080u);
inline constexpr TColor clWhite = TColorOf(0xFFFFFFu);
inline constexpr TColor clMoneyGreen = TColorOf(0xC0DCC0u);
inline constexpr TColor clSkyBlue = TColorOf(0xF0CAA6u);
inline constexpr TColor clCream = TColorOf(0xF0FBFFu);
inline constexpr TColor clMedGray = TColorOf(0xA4A0A0u);
inline constexpr TColor clNone = TColorOf(0x1FFFFFFFu);
inline constexpr TColor clDefault = TColorOf(0x20000000u);

// The RGB value of system colour Index (COLOR_...), from the fixed classic table;
// 0 for an index outside it.
TColor GetSysColor(int index);
// A system colour becomes its RGB value; any other colour has its high byte cleared.
TColor ColorToRGB(TColor color);
// The colour as an opaque pixel 0xFFRRGGBB, system colours resolved.
inline uint32_t ColorToPixel(TColor color)
{
    const TColor rgb = ColorToRGB(color);
    return 0xFF000000u | (uint32_t(GetRValue(rgb)) << 16) | (uint32_t(GetGValue(rgb)) << 8) |
           uint32_t(GetBValue(rgb));
}

// "clRed", "clWindowText", ... for colours with a name; otherwise "$" and eight
// hexadecimal digits ("$00FF8040").
AnsiString ColorToString(TColor color);
// A colour name (ignoring case) or an integer in the forms StrToInt reads;
// EConvertError for anything else.
TColor StringToColor(const AnsiString& s);
bool ColorToIdent(TColor color, AnsiString& ident);
bool IdentToColor(const AnsiString& ident, TColor& color);
