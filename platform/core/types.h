// Basic value types of the class library: byte and wide strings, points,
// rectangles and sizes, colours.
#pragma once

#include <cstdint>
#include <string>

// Byte strings: text in a code page, or raw bytes. Positions that the system
// counts from 1 keep counting from 1 in the functions that take them.
using AnsiString = std::string;
// UTF-16 text, one element per code unit.
using WideChar = char16_t;
using WideString = std::u16string;

// Integer sum and difference that wrap around in 32 bits, as the platform's
// rectangle arithmetic does, instead of overflowing.
constexpr int WrapAdd(int a, int b)
{
    return static_cast<int>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}
constexpr int WrapSub(int a, int b)
{
    return static_cast<int>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}

struct TPoint {
    int X = 0;
    int Y = 0;
    bool operator==(const TPoint& o) const { return X == o.X && Y == o.Y; }
    bool operator!=(const TPoint& o) const { return !(*this == o); }
};

struct TSize {
    int cx = 0;
    int cy = 0;
    bool operator==(const TSize& o) const { return cx == o.cx && cy == o.cy; }
    bool operator!=(const TSize& o) const { return !(*this == o); }
};

// A rectangle whose right and bottom edges lie outside it, as on Windows.
struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    int Width() const { return WrapSub(Right, Left); }
    int Height() const { return WrapSub(Bottom, Top); }
    TPoint TopLeft() const { return {Left, Top}; }
    TPoint BottomRight() const { return {Right, Bottom}; }
    bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    bool Contains(const TPoint& p) const { return p.X >= Left && p.X < Right && p.Y >= Top && p.Y < Bottom; }
    bool operator==(const TRect& o) const
    {
        return Left == o.Left && Top == o.Top && Right == o.Right && Bottom == o.Bottom;
    }
    bool operator!=(const TRect& o) const { return !(*this == o); }
};

inline TPoint Point(int x, int y)
{
    return {x, y};
}
inline TRect Rect(int left, int top, int right, int bottom)
{
    return {left, top, right, bottom};
}
inline TRect Bounds(int left, int top, int width, int height)
{
    return {left, top, WrapAdd(left, width), WrapAdd(top, height)};
}

// The intersection of two rectangles; false (and an empty result) when they do not meet.
bool IntersectRect(TRect& result, const TRect& a, const TRect& b);
// The smallest rectangle holding both; an empty rectangle does not count.
bool UnionRect(TRect& result, const TRect& a, const TRect& b);
void OffsetRect(TRect& r, int dx, int dy);
void InflateRect(TRect& r, int dx, int dy);

// A mouse cursor: 0 the default, negative numbers the standard shapes, positive
// numbers cursors a program registers (the hyperlink cursor is 101).
using TCursor = int16_t;

// 0x00BBGGRR. 0x1FFFFFFF (clNone) is no colour; 0x80000000 + n is system colour n.
using TColor = int32_t;

constexpr TColor TColorOf(uint32_t v)
{
    return static_cast<TColor>(v);
}
constexpr TColor RGB(int r, int g, int b)
{
    return static_cast<TColor>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int GetRValue(TColor c)
{
    return c & 0xFF;
}
constexpr int GetGValue(TColor c)
{
    return (c >> 8) & 0xFF;
}
constexpr int GetBValue(TColor c)
{
    return (c >> 16) & 0xFF;
}
