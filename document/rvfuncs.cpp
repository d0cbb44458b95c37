// Shared text, scaling, colour and HTML-fragment functions of the document library.
#include "document/rvfuncs.h"

#include <cstdint>
#include <vector>

#include "platform/core/colors.h"
#include "platform/core/numbers.h"

// ---------------------------------------------------------------------------
// Text

AnsiString RV_ReplaceTabsA(const AnsiString& s, int SpacesInTab)
{
    if (s.find('\t') == AnsiString::npos)
        return s;
    const size_t spaces = SpacesInTab > 0 ? static_cast<size_t>(SpacesInTab) : 0;
    AnsiString result;
    result.reserve(s.size());
    for (char c : s) {
        if (c == '\t')
            result.append(spaces, ' ');
        else
            result.push_back(c);
    }
    return result;
}

AnsiString RV_ReplaceTabsW(const AnsiString& s, int SpacesInTab)
{
    const int spaces = SpacesInTab > 0 ? SpacesInTab : 0;
    AnsiString result;
    result.reserve(s.size());
    size_t i = 0;
    // Whole code units only: the bytes 09 00 count as a tab only at an even offset.
    for (; i + 1 < s.size(); i += 2) {
        if (s[i] == '\t' && s[i + 1] == '\0') {
            for (int n = 0; n < spaces; ++n)
                result.append(" \0", 2);
        } else {
            result.append(s, i, 2);
        }
    }
    if (i < s.size())
        result.push_back(s[i]);
    return result;
}

void RV_ReplaceStr(AnsiString& Str, const AnsiString& SubStr, const AnsiString& NewStr)
{
    const size_t m = SubStr.size();
    if (m == 0 || Str.find(SubStr) == AnsiString::npos)
        return;

    // A string-matching automaton (Knuth-Morris-Pratt) runs over the text as it
    // is produced; states[i] is its state after out[i], so that after a
    // replacement the state before the replaced occurrence is at hand. A state
    // never rises by more than one per byte and a replacement only lowers it,
    // which keeps the whole pass linear.
    std::vector<size_t> fail(m, 0);
    for (size_t i = 1, k = 0; i < m; ++i) {
        while (k > 0 && SubStr[i] != SubStr[k])
            k = fail[k - 1];
        if (SubStr[i] == SubStr[k])
            ++k;
        fail[i] = k;
    }
    auto next = [&](size_t state, char c) {
        // State m (an occurrence that ended inside a replacement) continues as
        // its longest proper border.
        size_t k = state == m ? fail[m - 1] : state;
        while (k > 0 && c != SubStr[k])
            k = fail[k - 1];
        return c == SubStr[k] ? k + 1 : k;
    };

    AnsiString out;
    out.reserve(Str.size());
    std::vector<size_t> states;
    states.reserve(Str.size());
    size_t state = 0;
    for (char c : Str) {
        state = next(state, c);
        out.push_back(c);
        states.push_back(state);
        if (state != m)
            continue;
        out.resize(out.size() - m);
        states.resize(states.size() - m);
        state = states.empty() ? 0 : states.back();
        for (char r : NewStr) {
            state = next(state, r);
            out.push_back(r);
            states.push_back(state);
        }
    }
    Str.swap(out);
}

int RV_CharPos(const char* Str, char Chr, int Length)
{
    if (!Str)
        return 0;
    for (int i = 0; i < Length; ++i)
        if (Str[i] == Chr)
            return i + 1;
    return 0;
}

bool RV_PointInRect(int X, int Y, int Left, int Top, int Width, int Height)
{
    return X >= Left && int64_t(X) < int64_t(Left) + Width && Y >= Top && int64_t(Y) < int64_t(Top) + Height;
}

// ---------------------------------------------------------------------------
// Screen and device

int RV_XToDevice(int X, const TRVScreenAndDevice& sad)
{
    return MulDiv(X, sad.DevicePpiX, sad.ScreenPpiX);
}

int RV_YToDevice(int Y, const TRVScreenAndDevice& sad)
{
    return MulDiv(Y, sad.DevicePpiY, sad.ScreenPpiY);
}

int RV_XToScreen(int X, const TRVScreenAndDevice& sad)
{
    return MulDiv(X, sad.ScreenPpiX, sad.DevicePpiX);
}

int RV_YToScreen(int Y, const TRVScreenAndDevice& sad)
{
    return MulDiv(Y, sad.ScreenPpiY, sad.DevicePpiY);
}

void RV_RectToScreen(TRect& R, const TRVScreenAndDevice& sad)
{
    R.Left = RV_XToScreen(R.Left, sad);
    R.Top = RV_YToScreen(R.Top, sad);
    R.Right = RV_XToScreen(R.Right, sad);
    R.Bottom = RV_YToScreen(R.Bottom, sad);
}

// ---------------------------------------------------------------------------
// Colours

namespace {

// The weighted sum of the channels in extended precision, as every grey and
// luminance of the library is computed.
int64_t Luminance(TColor Color)
{
    const TColor rgb = ColorToRGB(Color);
    return Round(0.30L * GetRValue(rgb) + 0.59L * GetGValue(rgb) + 0.11L * GetBValue(rgb));
}

} // namespace

int RV_GetLuminance(TColor Color)
{
    return static_cast<int>(Luminance(Color));
}

TColor RV_GetGray(TColor Color)
{
    if (Color == clNone)
        return clNone;
    int64_t g = Luminance(Color);
    if (g > 255)
        g = 255;
    return RGB(static_cast<int>(g), static_cast<int>(g), static_cast<int>(g));
}

TColor RV_GetPrnColor(TColor Color)
{
    if (Color == clWindowText)
        return clBlack;
    if (Color == clWindow)
        return clWhite;
    return Color;
}

TColor RV_GetColor(TColor Color, TRVColorMode ColorMode)
{
    if (Color == clNone)
        return clNone;
    switch (ColorMode) {
    case rvcmColor:
        return Color;
    case rvcmPrinterColor:
        return RV_GetPrnColor(Color);
    case rvcmGrayScale:
        return RV_GetGray(RV_GetPrnColor(Color));
    case rvcmBlackAndWhite:
    case rvcmBlackOnWhite:
        return Color == clWhite ? clWhite : clBlack;
    }
    return Color;
}

TColor RV_GetBackColor(TColor Color, TRVColorMode ColorMode)
{
    if (Color != clNone && (ColorMode == rvcmBlackAndWhite || ColorMode == rvcmBlackOnWhite))
        return clWhite;
    return RV_GetColor(Color, ColorMode);
}

// ---------------------------------------------------------------------------
// HTML fragments

AnsiString RV_GetHTMLRGBStr(TColor Color)
{
    if (Color == clNone)
        return AnsiString();
    if (Color == clWindowText)
        Color = clBlack;
    const TColor rgb = ColorToRGB(Color);
    static const char digits[] = "0123456789ABCDEF";
    AnsiString result = "#";
    for (int channel : {GetRValue(rgb), GetGValue(rgb), GetBValue(rgb)}) {
        result.push_back(digits[channel >> 4]);
        result.push_back(digits[channel & 15]);
    }
    return result;
}

AnsiString RV_GetHTMLPath(const AnsiString& Path)
{
    AnsiString result = Path;
    for (char& c : result)
        if (c == '\\')
            c = '/';
    return result;
}

int RV_HTMLGetFontSize(int PointSize)
{
    if (PointSize <= 8)
        return 1;
    if (PointSize <= 10)
        return 2;
    if (PointSize <= 12)
        return 3;
    if (PointSize <= 14)
        return 4;
    if (PointSize <= 18)
        return 5;
    if (PointSize <= 24)
        return 6;
    return 7;
}
