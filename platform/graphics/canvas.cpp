// TCanvas: drawing objects, origins, clipping, saved states and the shape and
// picture primitives, passed to the backend in device coordinates.
#include "platform/graphics/canvas.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/core/numbers.h"
#include "platform/graphics/pixelbuffer.h"

struct TCanvas::TSavedState {
    int MapMode;
    TSize WindowExt;
    TSize ViewportExt;
    TPoint WindowOrg;
    TPoint ViewportOrg;
    TRect Clip;
    bool HasClip;
    unsigned TextAlign;
    int CharExtra;
};

TCanvas::TCanvas()
    : FFont(std::make_unique<TFont>()), FPen(std::make_unique<TPen>()), FBrush(std::make_unique<TBrush>())
{}

TCanvas::~TCanvas() = default;

bool TCanvas::Scaled() const
{
    return FMapMode == MM_ANISOTROPIC &&
           (FWindowExt.cx != FViewportExt.cx || FWindowExt.cy != FViewportExt.cy);
}

int TCanvas::DevicePenWidth() const
{
    const int width = FPen->Width();
    if (width <= 1 || !Scaled())
        return width;
    const double scale = (std::abs(static_cast<double>(FViewportExt.cx) / FWindowExt.cx) +
                          std::abs(static_cast<double>(FViewportExt.cy) / FWindowExt.cy)) /
                         2;
    return std::max(1, static_cast<int>(std::lround(width * scale)));
}

TPoint TCanvas::ToDevice(const TPoint& p) const
{
    if (!Scaled())
        return {p.X - FWindowOrg.X + FViewportOrg.X, p.Y - FWindowOrg.Y + FViewportOrg.Y};
    return {MulDiv(p.X - FWindowOrg.X, FViewportExt.cx, FWindowExt.cx) + FViewportOrg.X,
            MulDiv(p.Y - FWindowOrg.Y, FViewportExt.cy, FWindowExt.cy) + FViewportOrg.Y};
}

TRect TCanvas::ToDevice(const TRect& r) const
{
    if (Scaled()) {
        const TPoint a = ToDevice(TPoint{r.Left, r.Top});
        const TPoint b = ToDevice(TPoint{r.Right, r.Bottom});
        // A negative extent mirrors: the rectangle keeps its corners in order.
        return {std::min(a.X, b.X), std::min(a.Y, b.Y), std::max(a.X, b.X), std::max(a.Y, b.Y)};
    }
    const int dx = FViewportOrg.X - FWindowOrg.X;
    const int dy = FViewportOrg.Y - FWindowOrg.Y;
    return {r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy};
}

std::vector<TPoint> TCanvas::ToDevice(const std::vector<TPoint>& points) const
{
    std::vector<TPoint> device;
    device.reserve(points.size());
    for (const TPoint& p : points)
        device.push_back(ToDevice(p));
    return device;
}

void TCanvas::SetWindowOrgEx(int x, int y, TPoint* old)
{
    if (old)
        *old = FWindowOrg;
    FWindowOrg = {x, y};
}

void TCanvas::SetViewportOrgEx(int x, int y, TPoint* old)
{
    if (old)
        *old = FViewportOrg;
    FViewportOrg = {x, y};
}

int TCanvas::SetMapMode(int mode)
{
    if (mode != MM_TEXT && mode != MM_ANISOTROPIC)
        return 0;
    const int old = FMapMode;
    FMapMode = mode;
    return old;
}

bool TCanvas::SetWindowExtEx(int x, int y, TSize* old)
{
    if (old)
        *old = FWindowExt;
    if (FMapMode != MM_ANISOTROPIC || x == 0 || y == 0)
        return false;
    FWindowExt = {x, y};
    return true;
}

bool TCanvas::SetViewportExtEx(int x, int y, TSize* old)
{
    if (old)
        *old = FViewportExt;
    if (FMapMode != MM_ANISOTROPIC || x == 0 || y == 0)
        return false;
    FViewportExt = {x, y};
    return true;
}

TRect TCanvas::ClipRect() const
{
    TRect r = DeviceClip();
    if (Scaled()) {
        // Back to logical units: the device clip divided by the scale.
        auto back = [](int v, int org, int from, int to, int worg) {
            return MulDiv(v - org, to, from) + worg;
        };
        const int l = back(r.Left, FViewportOrg.X, FViewportExt.cx, FWindowExt.cx, FWindowOrg.X);
        const int t = back(r.Top, FViewportOrg.Y, FViewportExt.cy, FWindowExt.cy, FWindowOrg.Y);
        const int rr = back(r.Right, FViewportOrg.X, FViewportExt.cx, FWindowExt.cx, FWindowOrg.X);
        const int b = back(r.Bottom, FViewportOrg.Y, FViewportExt.cy, FWindowExt.cy, FWindowOrg.Y);
        return {std::min(l, rr), std::min(t, b), std::max(l, rr), std::max(t, b)};
    }
    const int dx = FWindowOrg.X - FViewportOrg.X;
    const int dy = FWindowOrg.Y - FViewportOrg.Y;
    return {r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy};
}

void TCanvas::IntersectClipRect(int left, int top, int right, int bottom)
{
    TRect wanted = ToDevice(TRect{left, top, right, bottom});
    TRect result;
    if (!IntersectRect(result, DeviceClip(), wanted))
        result = TRect{};
    FClip = result;
    FHasClip = true;
}

void TCanvas::SelectClipRect(const TRect* rect)
{
    if (!rect) {
        FHasClip = false;
        FClip = TRect{};
        return;
    }
    TRect result;
    if (!IntersectRect(result, DeviceBounds(), ToDevice(*rect)))
        result = TRect{};
    FClip = result;
    FHasClip = true;
}

int TCanvas::SaveDC()
{
    FSaved.push_back({FMapMode, FWindowExt, FViewportExt, FWindowOrg, FViewportOrg, FClip, FHasClip,
                      FTextAlign, FCharExtra});
    return static_cast<int>(FSaved.size());
}

bool TCanvas::RestoreDC(int level)
{
    const int count = static_cast<int>(FSaved.size());
    if (level < 0)
        level = count + 1 + level;
    if (level < 1 || level > count)
        return false;
    const TSavedState s = FSaved[static_cast<size_t>(level - 1)];
    FSaved.resize(static_cast<size_t>(level - 1));
    FMapMode = s.MapMode;
    FWindowExt = s.WindowExt;
    FViewportExt = s.ViewportExt;
    FWindowOrg = s.WindowOrg;
    FViewportOrg = s.ViewportOrg;
    FClip = s.Clip;
    FHasClip = s.HasClip;
    FTextAlign = s.TextAlign;
    FCharExtra = s.CharExtra;
    return true;
}

void TCanvas::Drawn(bool classMethod)
{
    if (FDrawDepth > 0)
        return;
    if (OnDrawn)
        OnDrawn(this);
    if (classMethod && OnChange)
        OnChange(this);
}

void TCanvas::MoveTo(int x, int y)
{
    FPenPos = {x, y};
}

void TCanvas::LineTo(int x, int y)
{
    DoLine(ToDevice(FPenPos), ToDevice(TPoint{x, y}));
    FPenPos = {x, y};
    Drawn(true);
}

void TCanvas::Polyline(const std::vector<TPoint>& points)
{
    if (points.size() < 2)
        return;
    DoPolyline(ToDevice(points));
    Drawn(true);
}

void TCanvas::Polygon(const std::vector<TPoint>& points)
{
    if (points.size() < 2)
        return;
    DoPolygon(ToDevice(points));
    Drawn(true);
}

// Shapes accept their corners in any order, as the platform does.
static TRect Normalized(int x1, int y1, int x2, int y2)
{
    return {std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)};
}

void TCanvas::Rectangle(int x1, int y1, int x2, int y2)
{
    DoRectangle(ToDevice(Normalized(x1, y1, x2, y2)));
    Drawn(true);
}

void TCanvas::Ellipse(int x1, int y1, int x2, int y2)
{
    DoEllipse(ToDevice(Normalized(x1, y1, x2, y2)));
    Drawn(true);
}

void TCanvas::FillRect(const TRect& r)
{
    // FillRect does not reorder: an inverted rectangle fills nothing.
    if (r.IsEmpty())
        return;
    DoFillRect(ToDevice(r));
    Drawn(true);
}

void TCanvas::FrameRect(const TRect& r)
{
    if (r.IsEmpty())
        return;
    DoFrameRect(ToDevice(r));
    Drawn(true);
}

void TCanvas::DrawFocusRect(const TRect& r)
{
    if (r.IsEmpty())
        return;
    DoFocusRect(ToDevice(r));
    Drawn(true);
}

void TCanvas::DrawPixels(const TRect& dest, const TPixelBuffer& pixels, const TRect& source)
{
    // The source must lie inside the pixels; what lies outside is not drawn.
    TRect src;
    if (dest.IsEmpty() || pixels.Empty() ||
        !IntersectRect(src, source, TRect{0, 0, pixels.Width, pixels.Height}))
        return;
    if (static_cast<size_t>(pixels.Width) * static_cast<size_t>(pixels.Height) > pixels.Pixels.size())
        return;
    TRect target = dest;
    if (src != source) {
        // Keep the scale: the part of Dest that shows the part of Source that exists.
        const double sx = double(dest.Width()) / source.Width();
        const double sy = double(dest.Height()) / source.Height();
        target.Left = dest.Left + int((src.Left - source.Left) * sx);
        target.Top = dest.Top + int((src.Top - source.Top) * sy);
        target.Right = dest.Left + int((src.Right - source.Left) * sx);
        target.Bottom = dest.Top + int((src.Bottom - source.Top) * sy);
        if (target.IsEmpty())
            return;
    }
    DoDrawPixels(ToDevice(target), pixels, src);
    Drawn(false);
}

void TCanvas::CopyRect(const TRect& dest, TCanvas* source, const TRect& sourceRect)
{
    if (!source || dest.IsEmpty() || sourceRect.IsEmpty())
        return;
    DoCopyRect(ToDevice(dest), source, source->ToDevice(sourceRect));
    Drawn(true);
}

int GetDeviceCaps(TCanvas* canvas, int index)
{
    return canvas ? canvas->DeviceCaps(index) : 0;
}

int SurfaceDeviceCaps(int index, int width, int height, int pixelsPerInchX, int pixelsPerInchY)
{
    switch (index) {
    case LOGPIXELSX:
        return pixelsPerInchX;
    case LOGPIXELSY:
        return pixelsPerInchY;
    case HORZRES:
    case PHYSICALWIDTH:
        return width;
    case VERTRES:
    case PHYSICALHEIGHT:
        return height;
    case HORZSIZE:
        return width * 254 / (pixelsPerInchX * 10);
    case VERTSIZE:
        return height * 254 / (pixelsPerInchY * 10);
    case BITSPIXEL:
        return 32;
    case PLANES:
        return 1;
    default:
        return 0;
    }
}
