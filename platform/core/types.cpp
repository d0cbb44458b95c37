// Rectangle arithmetic with the Windows rules (right and bottom edges excluded).
#include "platform/core/types.h"

#include <algorithm>

bool IntersectRect(TRect& result, const TRect& a, const TRect& b)
{
    result.Left = std::max(a.Left, b.Left);
    result.Top = std::max(a.Top, b.Top);
    result.Right = std::min(a.Right, b.Right);
    result.Bottom = std::min(a.Bottom, b.Bottom);
    if (result.IsEmpty()) {
        result = TRect{};
        return false;
    }
    return true;
}

bool UnionRect(TRect& result, const TRect& a, const TRect& b)
{
    if (a.IsEmpty()) {
        result = b.IsEmpty() ? TRect{} : b;
    } else if (b.IsEmpty()) {
        result = a;
    } else {
        result.Left = std::min(a.Left, b.Left);
        result.Top = std::min(a.Top, b.Top);
        result.Right = std::max(a.Right, b.Right);
        result.Bottom = std::max(a.Bottom, b.Bottom);
    }
    return !result.IsEmpty();
}

void OffsetRect(TRect& r, int dx, int dy)
{
    r.Left = WrapAdd(r.Left, dx);
    r.Right = WrapAdd(r.Right, dx);
    r.Top = WrapAdd(r.Top, dy);
    r.Bottom = WrapAdd(r.Bottom, dy);
}

void InflateRect(TRect& r, int dx, int dy)
{
    r.Left = WrapSub(r.Left, dx);
    r.Right = WrapAdd(r.Right, dx);
    r.Top = WrapSub(r.Top, dy);
    r.Bottom = WrapAdd(r.Bottom, dy);
}
