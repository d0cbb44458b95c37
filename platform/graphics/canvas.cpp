// TCanvas: drawing objects, origins, clipping, saved states and the shape and
// picture primitives, passed to the backend in device coordinates.
#include "platform/graphics/canvas.h"

#include <algorithm>

#include "platform/graphics/pixelbuffer.h"

struct TCanvas::TSavedState {
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

TPoint TCanvas::ToDevice(const TPoint& P) const
{
    return {P.X - FWindowOrg.X + FViewportOrg.X, P.Y - FWindowOrg.Y + FViewportOrg.Y};
}

TRect TCanvas::ToDevice(const TRect& R) const
{
    const int dx = FViewportOrg.X - FWindowOrg.X;
    const int dy = FViewportOrg.Y - FWindowOrg.Y;
    return {R.Left + dx, R.Top + dy, R.Right + dx, R.Bottom + dy};
}

std::vector<TPoint> TCanvas::ToDevice(const std::vector<TPoint>& Points) const
{
    std::vector<TPoint> device;
    device.reserve(Points.size());
    for (const TPoint& p : Points)
        device.push_back(ToDevice(p));
    return device;
}

void TCanvas::SetWindowOrgEx(int X, int Y, TPoint* Old)
{
    if (Old)
        *Old = FWindowOrg;
    FWindowOrg = {X, Y};
}

void TCanvas::SetViewportOrgEx(int X, int Y, TPoint* Old)
{
    if (Old)
        *Old = FViewportOrg;
    FViewportOrg = {X, Y};
}

TRect TCanvas::ClipRect() const
{
    TRect r = DeviceClip();
    const int dx = FWindowOrg.X - FViewportOrg.X;
    const int dy = FWindowOrg.Y - FViewportOrg.Y;
    return {r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy};
}

void TCanvas::IntersectClipRect(int Left, int Top, int Right, int Bottom)
{
    TRect wanted = ToDevice(TRect{Left, Top, Right, Bottom});
    TRect result;
    if (!IntersectRect(result, DeviceClip(), wanted))
        result = TRect{};
    FClip = result;
    FHasClip = true;
}

void TCanvas::SelectClipRect(const TRect* Rect)
{
    if (!Rect) {
        FHasClip = false;
        FClip = TRect{};
        return;
    }
    TRect result;
    if (!IntersectRect(result, DeviceBounds(), ToDevice(*Rect)))
        result = TRect{};
    FClip = result;
    FHasClip = true;
}

int TCanvas::SaveDC()
{
    FSaved.push_back({FWindowOrg, FViewportOrg, FClip, FHasClip, FTextAlign, FCharExtra});
    return static_cast<int>(FSaved.size());
}

bool TCanvas::RestoreDC(int Level)
{
    const int count = static_cast<int>(FSaved.size());
    if (Level < 0)
        Level = count + 1 + Level;
    if (Level < 1 || Level > count)
        return false;
    const TSavedState s = FSaved[static_cast<size_t>(Level - 1)];
    FSaved.resize(static_cast<size_t>(Level - 1));
    FWindowOrg = s.WindowOrg;
    FViewportOrg = s.ViewportOrg;
    FClip = s.Clip;
    FHasClip = s.HasClip;
    FTextAlign = s.TextAlign;
    FCharExtra = s.CharExtra;
    return true;
}

void TCanvas::Drawn(bool ClassMethod)
{
    if (FDrawDepth > 0)
        return;
    if (OnDrawn)
        OnDrawn(this);
    if (ClassMethod && OnChange)
        OnChange(this);
}

void TCanvas::MoveTo(int X, int Y)
{
    FPenPos = {X, Y};
}

void TCanvas::LineTo(int X, int Y)
{
    DoLine(ToDevice(FPenPos), ToDevice(TPoint{X, Y}));
    FPenPos = {X, Y};
    Drawn(true);
}

void TCanvas::Polyline(const std::vector<TPoint>& Points)
{
    if (Points.size() < 2)
        return;
    DoPolyline(ToDevice(Points));
    Drawn(true);
}

void TCanvas::Polygon(const std::vector<TPoint>& Points)
{
    if (Points.size() < 2)
        return;
    DoPolygon(ToDevice(Points));
    Drawn(true);
}

// Shapes accept their corners in any order, as the platform does.
static TRect Normalized(int X1, int Y1, int X2, int Y2)
{
    return {std::min(X1, X2), std::min(Y1, Y2), std::max(X1, X2), std::max(Y1, Y2)};
}

void TCanvas::Rectangle(int X1, int Y1, int X2, int Y2)
{
    DoRectangle(ToDevice(Normalized(X1, Y1, X2, Y2)));
    Drawn(true);
}

void TCanvas::Ellipse(int X1, int Y1, int X2, int Y2)
{
    DoEllipse(ToDevice(Normalized(X1, Y1, X2, Y2)));
    Drawn(true);
}

void TCanvas::FillRect(const TRect& R)
{
    // FillRect does not reorder: an inverted rectangle fills nothing.
    if (R.IsEmpty())
        return;
    DoFillRect(ToDevice(R));
    Drawn(true);
}

void TCanvas::FrameRect(const TRect& R)
{
    if (R.IsEmpty())
        return;
    DoFrameRect(ToDevice(R));
    Drawn(true);
}

void TCanvas::DrawFocusRect(const TRect& R)
{
    if (R.IsEmpty())
        return;
    DoFocusRect(ToDevice(R));
    Drawn(true);
}

void TCanvas::DrawPixels(const TRect& Dest, const TPixelBuffer& Pixels, const TRect& Source)
{
    // The source must lie inside the pixels; what lies outside is not drawn.
    TRect src;
    if (Dest.IsEmpty() || Pixels.Empty() ||
        !IntersectRect(src, Source, TRect{0, 0, Pixels.Width, Pixels.Height}))
        return;
    if (static_cast<size_t>(Pixels.Width) * static_cast<size_t>(Pixels.Height) > Pixels.Pixels.size())
        return;
    TRect dest = Dest;
    if (src != Source) {
        // Keep the scale: the part of Dest that shows the part of Source that exists.
        const double sx = double(Dest.Width()) / Source.Width();
        const double sy = double(Dest.Height()) / Source.Height();
        dest.Left = Dest.Left + int((src.Left - Source.Left) * sx);
        dest.Top = Dest.Top + int((src.Top - Source.Top) * sy);
        dest.Right = Dest.Left + int((src.Right - Source.Left) * sx);
        dest.Bottom = Dest.Top + int((src.Bottom - Source.Top) * sy);
        if (dest.IsEmpty())
            return;
    }
    DoDrawPixels(ToDevice(dest), Pixels, src);
    Drawn(false);
}

void TCanvas::CopyRect(const TRect& Dest, TCanvas* Source, const TRect& SourceRect)
{
    if (!Source || Dest.IsEmpty() || SourceRect.IsEmpty())
        return;
    DoCopyRect(ToDevice(Dest), Source, Source->ToDevice(SourceRect));
    Drawn(true);
}

int GetDeviceCaps(TCanvas* Canvas, int Index)
{
    return Canvas ? Canvas->DeviceCaps(Index) : 0;
}

int SurfaceDeviceCaps(int Index, int Width, int Height, int PixelsPerInchX, int PixelsPerInchY)
{
    switch (Index) {
    case LOGPIXELSX:
        return PixelsPerInchX;
    case LOGPIXELSY:
        return PixelsPerInchY;
    case HORZRES:
    case PHYSICALWIDTH:
        return Width;
    case VERTRES:
    case PHYSICALHEIGHT:
        return Height;
    case HORZSIZE:
        return Width * 254 / (PixelsPerInchX * 10);
    case VERTSIZE:
        return Height * 254 / (PixelsPerInchY * 10);
    case BITSPIXEL:
        return 32;
    case PLANES:
        return 1;
    default:
        return 0;
    }
}
