// Shared text, scaling, colour and HTML-fragment functions of the document library.
#include "document/rvfuncs.h"

#include <cstdint>
#include <vector>

#include "platform/core/colors.h"
#include "platform/core/numbers.h"

// ---------------------------------------------------------------------------
// Text

AnsiString RV_ReplaceTabsA(const AnsiString& s, int spacesInTab)
{
    if (s.find('\t') == AnsiString::npos)
        return s;
    const size_t spaces = spacesInTab > 0 ? static_cast<size_t>(spacesInTab) : 0;
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

AnsiString RV_ReplaceTabsW(const AnsiString& s, int spacesInTab)
{
    const int spaces = spacesInTab > 0 ? spacesInTab : 0;
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

void RV_ReplaceStr(AnsiString& str, const AnsiString& subStr, const AnsiString& newStr)
{
    const size_t m = subStr.size();
    if (m == 0 || str.find(subStr) == AnsiString::npos)
        return;

    // A string-matching automaton (Knuth-Morris-Pratt) runs over the text as it
    // is produced; states[i] is its state after out[i], so that after a
    // replacement the state before the replaced occurrence is at hand. A state
    // never rises by more than one per byte and a replacement only lowers it,
    // which keeps the whole pass linear.
    std::vector<size_t> fail(m, 0);
    for (size_t i = 1, k = 0; i < m; ++i) {
        while (k > 0 && subStr[i] != subStr[k])
            k = fail[k - 1];
        if (subStr[i] == subStr[k])
            ++k;
        fail[i] = k;
    }
    auto next = [&](size_t state, char c) {
        // State m (an occurrence that ended inside a replacement) continues as
        // its longest proper border.
        size_t k = state == m ? fail[m - 1] : state;
        while (k > 0 && c != subStr[k])
            k = fail[k - 1];
        return c == subStr[k] ? k + 1 : k;
    };

    AnsiString out;
    out.reserve(str.size());
    std::vector<size_t> states;
    states.reserve(str.size());
    size_t state = 0;
    for (char c : str) {
        state = next(state, c);
        out.push_back(c);
        states.push_back(state);
        if (state != m)
            continue;
        out.resize(out.size() - m);
        states.resize(states.size() - m);
        state = states.empty() ? 0 : states.back();
        for (char r : newStr) {
            state = next(state, r);
            out.push_back(r);
            states.push_back(state);
        }
    }
    str.swap(out);
}

int RV_CharPos(const char* str, char chr, int length)
{
    if (!str)
        return 0;
    for (int i = 0; i < length; ++i)
        if (str[i] == chr)
            return i + 1;
    return 0;
}

bool RV_PointInRect(int x, int y, int left, int top, int width, int height)
{
    return x >= left && int64_t(x) < int64_t(left) + width && y >= top && int64_t(y) < int64_t(top) + height;
}

// ---------------------------------------------------------------------------
// Screen and device

int RV_XToDevice(int x, const TRVScreenAndDevice& sad)
{
    return MulDiv(x, sad.DevicePpiX, sad.ScreenPpiX);
}

int RV_YToDevice(int y, const TRVScreenAndDevice& sad)
{
    return MulDiv(y, sad.DevicePpiY, sad.ScreenPpiY);
}

int RV_XToScreen(int x, const TRVScreenAndDevice& sad)
{
    return MulDiv(x, sad.ScreenPpiX, sad.DevicePpiX);
}

int RV_YToScreen(int y, const TRVScreenAndDevice& sad)
{
    return MulDiv(y, sad.ScreenPpiY, sad.DevicePpiY);
}

void RV_RectToScreen(TRect& r, const TRVScreenAndDevice& sad)
{
    r.Left = RV_XToScreen(r.Left, sad);
    r.Top = RV_YToScreen(r.Top, sad);
    r.Right = RV_XToScreen(r.Right, sad);
    r.Bottom = RV_YToScreen(r.Bottom, sad);
}

// ---------------------------------------------------------------------------
// Colours

namespace {

// The weighted sum of the channels in extended precision, as every grey and
// luminance of the library is computed.
int64_t Luminance(TColor color)
{
    const TColor rgb = ColorToRGB(color);
    return Round(0.30L * GetRValue(rgb) + 0.59L * GetGValue(rgb) + 0.11L * GetBValue(rgb));
}

} // namespace

int RV_GetLuminance(TColor color)
{
    return static_cast<int>(Luminance(color));
}

TColor RV_GetGray(TColor color)
{
    if (color == clNone)
        return clNone;
    int64_t g = Luminance(color);
    if (g > 255)
        g = 255;
    return RGB(static_cast<int>(g), static_cast<int>(g), static_cast<int>(g));
}

TColor RV_GetPrnColor(TColor color)
{
    if (color == clWindowText)
        return clBlack;
    if (color == clWindow)
        return clWhite;
    return color;
}

TColor RV_GetColor(TColor color, TRVColorMode colorMode)
{
    if (color == clNone)
        return clNone;
    switch (colorMode) {
    case rvcmColor:
        return color;
    case rvcmPrinterColor:
        return RV_GetPrnColor(color);
    case rvcmGrayScale:
        return RV_GetGray(RV_GetPrnColor(color));
    case rvcmBlackAndWhite:
    case rvcmBlackOnWhite:
        return color == clWhite ? clWhite : clBlack;
    }
    return color;
}

TColor RV_GetBackColor(TColor color, TRVColorMode colorMode)
{
    if (color != clNone && (colorMode == rvcmBlackAndWhite || colorMode == rvcmBlackOnWhite))
        return clWhite;
    return RV_GetColor(color, colorMode);
}

// ---------------------------------------------------------------------------
// HTML fragments

AnsiString RV_GetHTMLRGBStr(TColor color)
{
    if (color == clNone)
        return AnsiString();
    if (color == clWindowText)
        color = clBlack;
    const TColor rgb = ColorToRGB(color);
    static const char digits[] = "0123456789ABCDEF";
    AnsiString result = "#";
    for (int channel : {GetRValue(rgb), GetGValue(rgb), GetBValue(rgb)}) {
        result.push_back(digits[channel >> 4]);
        result.push_back(digits[channel & 15]);
    }
    return result;
}

AnsiString RV_GetHTMLPath(const AnsiString& path)
{
    AnsiString result = path;
    for (char& c : result)
        if (c == '\\')
            c = '/';
    return result;
}

int RV_HTMLGetFontSize(int pointSize)
{
    if (pointSize <= 8)
        return 1;
    if (pointSize <= 10)
        return 2;
    if (pointSize <= 12)
        return 3;
    if (pointSize <= 14)
        return 4;
    if (pointSize <= 18)
        return 5;
    if (pointSize <= 24)
        return 6;
    return 7;
}
