// The Qt canvas: device, clipping, pen modes and the shape and picture primitives
// with the platform's pixel rules.
#include "platform/graphics/qtcanvas.h"

#include <algorithm>
#include <cstdlib>

#include "platform/core/colors.h"
#include "platform/graphics/pixelbuffer.h"
#include "platform/graphics/qtcanvas_qt.h"
#include "platform/graphics/qtsupport.h"

namespace {

QColor ToQColor(TColor c)
{
    const TColor rgb = ColorToRGB(c);
    return QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}

uint32_t ToRgb(TColor c)
{
    const TColor rgb = ColorToRGB(c);
    return 0xFF000000u | (uint32_t(GetRValue(rgb)) << 16) | (uint32_t(GetGValue(rgb)) << 8) |
           uint32_t(GetBValue(rgb));
}

QRect ToQRect(const TRect& r)
{
    return QRect(r.Left, r.Top, r.Width(), r.Height());
}

Qt::BrushStyle HatchOf(TBrushStyle s)
{
    switch (s) {
    case bsHorizontal:
        return Qt::HorPattern;
    case bsVertical:
        return Qt::VerPattern;
    case bsFDiagonal:
        return Qt::FDiagPattern;
    case bsBDiagonal:
        return Qt::BDiagPattern;
    case bsCross:
        return Qt::CrossPattern;
    case bsDiagCross:
        return Qt::DiagCrossPattern;
    default:
        return Qt::SolidPattern;
    }
}

// Dash patterns of width-1 pens in pixels, on and off in turn.
const std::vector<int>& PatternOf(TPenStyle s)
{
    static const std::vector<int> dash{18, 6}, dot{3, 3}, dashDot{9, 6, 3, 6}, dashDotDot{9, 3, 3, 3, 3, 3},
        none;
    switch (s) {
    case psDash:
        return dash;
    case psDot:
        return dot;
    case psDashDot:
        return dashDot;
    case psDashDotDot:
        return dashDotDot;
    default:
        return none;
    }
}

} // namespace

TQtCanvas::TQtCanvas(QPaintDevice* Device, int PixelsPerInchX, int PixelsPerInchY,
                     std::unique_ptr<QPaintDevice> Owned)
    : FDevice(Device), FOwned(std::move(Owned)), FImage(dynamic_cast<QImage*>(Device)),
      FPixelsPerInchX(PixelsPerInchX > 0 ? PixelsPerInchX : 96),
      FPixelsPerInchY(PixelsPerInchY > 0 ? PixelsPerInchY : 96)
{
    EnsureQtApplication();
    Font()->SetPixelsPerInch(FPixelsPerInchY);
    if (FDevice && FDevice->width() > 0 && FDevice->height() > 0)
        FPainter.begin(FDevice);
}

TQtCanvas::~TQtCanvas()
{
    if (FPainter.isActive())
        FPainter.end();
}

void TQtCanvas::SetDevice(QPaintDevice* Device, std::unique_ptr<QPaintDevice> Owned)
{
    // The painter lets go of the old device while it still exists.
    if (FPainter.isActive())
        FPainter.end();
    FOwned = std::move(Owned);
    FDevice = Device;
    FImage = dynamic_cast<QImage*>(Device);
    SelectClipRect(nullptr);
    if (FDevice && FDevice->width() > 0 && FDevice->height() > 0)
        FPainter.begin(FDevice);
}

int TQtCanvas::DeviceCaps(int Index) const
{
    const int w = FDevice ? FDevice->width() : 0;
    const int h = FDevice ? FDevice->height() : 0;
    return SurfaceDeviceCaps(Index, w, h, FPixelsPerInchX, FPixelsPerInchY);
}

TRect TQtCanvas::DeviceBounds() const
{
    return FDevice ? TRect{0, 0, FDevice->width(), FDevice->height()} : TRect{};
}

QPainter& TQtCanvas::Painter(const TRect* ExtraClip)
{
    TRect clip = DeviceClip();
    if (ExtraClip && !IntersectRect(clip, clip, *ExtraClip))
        clip = TRect{};
    if (FPainter.isActive()) {
        FPainter.setRenderHint(QPainter::Antialiasing, false);
        FPainter.setRenderHint(QPainter::SmoothPixmapTransform, false);
        FPainter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        FPainter.setBackgroundMode(Qt::TransparentMode);
        FPainter.setClipRect(ToQRect(clip));
    }
    return FPainter;
}

void TQtCanvas::SetPenMode()
{
    switch (Pen()->Mode()) {
    case pmNot:
        FPainter.setCompositionMode(QPainter::RasterOp_NotDestination);
        break;
    case pmXor:
        FPainter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        break;
    case pmNotXor:
        FPainter.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
        break;
    default:
        break;
    }
}

void TQtCanvas::FillDevice(const TRect& R, TColor Color)
{
    if (R.IsEmpty())
        return;
    QPainter& p = Painter();
    if (p.isActive())
        p.fillRect(ToQRect(R), ToQColor(Color));
}

void TQtCanvas::FillWithBrush(const TRect& R)
{
    if (R.IsEmpty() || Brush()->Style() == bsClear)
        return;
    QPainter& p = Painter();
    if (!p.isActive())
        return;
    SetPenMode();
    // Hatches are aligned to the device origin and leave the space between their lines untouched.
    p.fillRect(ToQRect(R), QBrush(ToQColor(Brush()->Color()), HatchOf(Brush()->Style())));
}

// ---- Width-1 pixels

void TQtCanvas::PlotPixel(int X, int Y, uint32_t Rgb, TPenMode Mode)
{
    uint32_t& d = reinterpret_cast<uint32_t*>(FImage->scanLine(Y))[X];
    const uint32_t a = d >> 24;
    auto combine = [&](uint32_t value) {
        // Keep every colour channel within the pixel's alpha (premultiplied pixels).
        uint32_t out = d & 0xFF000000u;
        for (int shift = 0; shift < 24; shift += 8) {
            const uint32_t c = std::min<uint32_t>((value >> shift) & 0xFF, a);
            out |= c << shift;
        }
        d = out;
    };
    switch (Mode) {
    case pmCopy:
        d = Rgb;
        break;
    case pmNot:
        combine(~d);
        break;
    case pmXor:
        combine(d ^ Rgb);
        break;
    case pmNotXor:
        combine(d ^ ~Rgb);
        break;
    }
}

void TQtCanvas::PlotPixels(const std::vector<TPoint>& Pixels, bool Patterned)
{
    const std::vector<int>& pattern = Patterned ? PatternOf(Pen()->Style()) : PatternOf(psSolid);
    const TRect clip = DeviceClip();
    const uint32_t rgb = ToRgb(Pen()->Color());
    const TPenMode mode = Pen()->Mode();
    std::vector<QPoint> points;
    size_t part = 0;
    int left = pattern.empty() ? 0 : pattern[0];
    for (const TPoint& px : Pixels) {
        bool on = true;
        if (!pattern.empty()) {
            on = part % 2 == 0;
            if (--left == 0) {
                part = (part + 1) % pattern.size();
                left = pattern[part];
            }
        }
        if (!on || !clip.Contains(px))
            continue;
        if (FImage && FImage->format() == QImage::Format_ARGB32_Premultiplied)
            PlotPixel(px.X, px.Y, rgb, mode);
        else
            points.push_back(QPoint(px.X, px.Y));
    }
    if (!points.empty())
        FillPixelRuns(points);
}

// Pixels in the order drawn, filled as strips: the pixels that follow each
// other in one row or one column make one rectangle of exactly those pixels.
void TQtCanvas::FillPixelRuns(const std::vector<QPoint>& Points)
{
    QPainter& p = Painter();
    if (!p.isActive())
        return;
    SetPenMode();
    const QColor color = ToQColor(Pen()->Color());
    size_t i = 0;
    while (i < Points.size()) {
        size_t j = i + 1;
        if (j < Points.size()) {
            const QPoint step = Points[j] - Points[i];
            if (step.manhattanLength() == 1)
                while (j < Points.size() && Points[j] - Points[j - 1] == step)
                    ++j;
        }
        const QPoint& a = Points[i];
        const QPoint& b = Points[j - 1];
        p.fillRect(QRect(QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
                         QPoint(std::max(a.x(), b.x()), std::max(a.y(), b.y()))),
                   color);
        i = j;
    }
}

// The pixels of a line from From to To, without To (Bresenham).
void TQtCanvas::SegmentPixels(const TPoint& From, const TPoint& To, std::vector<TPoint>& Out)
{
    int x = From.X, y = From.Y;
    const int dx = std::abs(To.X - x), dy = -std::abs(To.Y - y);
    const int sx = x < To.X ? 1 : -1, sy = y < To.Y ? 1 : -1;
    int err = dx + dy;
    while (x != To.X || y != To.Y) {
        Out.push_back({x, y});
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
}

void TQtCanvas::WideLines(const std::vector<TPoint>& Points, bool Closed)
{
    QPainter& p = Painter();
    if (!p.isActive())
        return;
    SetPenMode();
    p.setPen(QPen(ToQColor(Pen()->Color()), Pen()->Width(), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    std::vector<QPoint> q;
    for (const TPoint& pt : Points)
        q.push_back(QPoint(pt.X, pt.Y));
    if (Closed)
        p.drawPolygon(q.data(), static_cast<int>(q.size()));
    else
        p.drawPolyline(q.data(), static_cast<int>(q.size()));
}

void TQtCanvas::DoLine(const TPoint& From, const TPoint& To)
{
    DoPolyline({From, To});
}

void TQtCanvas::DoPolyline(const std::vector<TPoint>& Points)
{
    if (Pen()->Style() == psClear)
        return;
    if (Pen()->Width() > 1) {
        WideLines(Points, false);
        return;
    }
    std::vector<TPoint> pixels;
    for (size_t i = 0; i + 1 < Points.size(); ++i)
        SegmentPixels(Points[i], Points[i + 1], pixels);
    PlotPixels(pixels, true);
}

void TQtCanvas::DoPolygon(const std::vector<TPoint>& Points)
{
    QPainter& p = Painter();
    if (p.isActive() && Brush()->Style() != bsClear) {
        SetPenMode();
        p.setPen(Qt::NoPen);
        p.setBrush(QBrush(ToQColor(Brush()->Color()), HatchOf(Brush()->Style())));
        std::vector<QPoint> q;
        for (const TPoint& pt : Points)
            q.push_back(QPoint(pt.X, pt.Y));
        p.drawPolygon(q.data(), static_cast<int>(q.size()), Qt::OddEvenFill);
        p.setBrush(Qt::NoBrush);
    }
    if (Pen()->Style() == psClear)
        return;
    if (Pen()->Width() > 1) {
        WideLines(Points, true);
        return;
    }
    std::vector<TPoint> pixels;
    for (size_t i = 0; i < Points.size(); ++i)
        SegmentPixels(Points[i], Points[(i + 1) % Points.size()], pixels);
    PlotPixels(pixels, true);
}

// The figure's outer bounds: the rectangle itself for thin and inside-frame pens;
// a wider pen is centred on the 1-pixel outline.
static TRect FigureBounds(const TRect& R, int w, TPenStyle style)
{
    if (w <= 1 || style == psInsideFrame)
        return R;
    return {R.Left - (w - 1) / 2, R.Top - (w - 1) / 2, R.Right + w / 2, R.Bottom + w / 2};
}

void TQtCanvas::DoRectangle(const TRect& R)
{
    if (Pen()->Style() == psClear) {
        // Without a pen the platform fills one pixel less to the right and bottom.
        FillWithBrush({R.Left, R.Top, R.Right - 1, R.Bottom - 1});
        return;
    }
    const int w = std::max(1, Pen()->Width());
    const TRect o = FigureBounds(R, w, Pen()->Style());
    if (o.IsEmpty())
        return;
    FillWithBrush({o.Left + w, o.Top + w, o.Right - w, o.Bottom - w});
    const std::vector<int>& pattern = PatternOf(Pen()->Style());
    if (w == 1 && (!pattern.empty() || Pen()->Mode() != pmCopy)) {
        // The outline pixel by pixel, clockwise from the top left, so that the dashes run round.
        std::vector<TPoint> pixels;
        const int r = o.Right - 1, b = o.Bottom - 1;
        SegmentPixels({o.Left, o.Top}, {r, o.Top}, pixels);
        SegmentPixels({r, o.Top}, {r, b}, pixels);
        SegmentPixels({r, b}, {o.Left, b}, pixels);
        SegmentPixels({o.Left, b}, {o.Left, o.Top}, pixels);
        if (pixels.empty())
            pixels.push_back({o.Left, o.Top});
        PlotPixels(pixels, true);
        return;
    }
    QPainter& p = Painter();
    if (!p.isActive())
        return;
    SetPenMode();
    const QColor c = ToQColor(Pen()->Color());
    if (o.Width() <= 2 * w || o.Height() <= 2 * w) {
        p.fillRect(ToQRect(o), c);
        return;
    }
    p.fillRect(QRect(o.Left, o.Top, o.Width(), w), c);
    p.fillRect(QRect(o.Left, o.Bottom - w, o.Width(), w), c);
    p.fillRect(QRect(o.Left, o.Top + w, w, o.Height() - 2 * w), c);
    p.fillRect(QRect(o.Right - w, o.Top + w, w, o.Height() - 2 * w), c);
}

void TQtCanvas::DoEllipse(const TRect& R)
{
    const bool noPen = Pen()->Style() == psClear;
    const int w = noPen ? 0 : std::max(1, Pen()->Width());
    const TRect o = FigureBounds(R, w, Pen()->Style());
    if (o.Width() < 2 || o.Height() < 2)
        return;
    QPainter& p = Painter();
    if (!p.isActive())
        return;
    SetPenMode();
    if (Brush()->Style() != bsClear)
        p.setBrush(QBrush(ToQColor(Brush()->Color()), HatchOf(Brush()->Style())));
    else
        p.setBrush(Qt::NoBrush);
    if (noPen) {
        p.setPen(Qt::NoPen);
        p.drawEllipse(QRect(o.Left, o.Top, o.Width() - 1, o.Height() - 1));
    } else if (w == 1) {
        // An aliased 1-pixel outline of QRect(x, y, w, h) covers x .. x + w.
        p.setPen(QPen(ToQColor(Pen()->Color()), 1));
        p.drawEllipse(QRect(o.Left, o.Top, o.Width() - 1, o.Height() - 1));
    } else {
        p.setPen(QPen(ToQColor(Pen()->Color()), w));
        const double half = w / 2.0;
        p.drawEllipse(QRectF(o.Left + half, o.Top + half, o.Width() - w, o.Height() - w));
    }
    p.setBrush(Qt::NoBrush);
}

void TQtCanvas::DoFillRect(const TRect& R)
{
    FillWithBrush(R);
}

void TQtCanvas::DoFrameRect(const TRect& R)
{
    if (Brush()->Style() == bsClear)
        return;
    const TColor c = Brush()->Color();
    FillDevice({R.Left, R.Top, R.Right, R.Top + 1}, c);
    FillDevice({R.Left, R.Bottom - 1, R.Right, R.Bottom}, c);
    FillDevice({R.Left, R.Top + 1, R.Left + 1, R.Bottom - 1}, c);
    FillDevice({R.Right - 1, R.Top + 1, R.Right, R.Bottom - 1}, c);
}

void TQtCanvas::DoFocusRect(const TRect& R)
{
    // Every other pixel of the frame inverted, so that drawing it twice restores the picture.
    std::vector<TPoint> frame;
    const int r = R.Right - 1, b = R.Bottom - 1;
    SegmentPixels({R.Left, R.Top}, {r, R.Top}, frame);
    SegmentPixels({r, R.Top}, {r, b}, frame);
    SegmentPixels({r, b}, {R.Left, b}, frame);
    SegmentPixels({R.Left, b}, {R.Left, R.Top}, frame);
    std::vector<TPoint> dots;
    for (const TPoint& p : frame)
        if (((p.X + p.Y) & 1) == 0)
            dots.push_back(p);
    const TRect clip = DeviceClip();
    if (FImage && FImage->format() == QImage::Format_ARGB32_Premultiplied) {
        for (const TPoint& p : dots)
            if (clip.Contains(p))
                PlotPixel(p.X, p.Y, 0xFFFFFFFFu, pmNot);
        return;
    }
    QPainter& painter = Painter();
    if (!painter.isActive())
        return;
    painter.setCompositionMode(QPainter::RasterOp_NotDestination);
    painter.setPen(QPen(Qt::black, 1));
    std::vector<QPoint> q;
    for (const TPoint& p : dots)
        q.push_back(QPoint(p.X, p.Y));
    painter.drawPoints(q.data(), static_cast<int>(q.size()));
}

void TQtCanvas::DoDrawPixels(const TRect& Dest, const TPixelBuffer& Pixels, const TRect& Source)
{
    QPainter& p = Painter();
    if (!p.isActive())
        return;
    const QImage image(reinterpret_cast<const uchar*>(Pixels.Pixels.data()), Pixels.Width, Pixels.Height,
                       Pixels.Width * 4, QImage::Format_ARGB32_Premultiplied);
    p.drawImage(ToQRect(Dest), image, ToQRect(Source));
}

void TQtCanvas::DoCopyRect(const TRect& Dest, TCanvas* Source, const TRect& SourceRect)
{
    auto* source = dynamic_cast<TQtCanvas*>(Source);
    if (!source || !source->FImage)
        return; // only pixels held here can be read back
    QPainter& p = Painter();
    if (!p.isActive())
        return;
    p.setCompositionMode(QPainter::CompositionMode_Source);
    const QRect from = ToQRect(SourceRect);
    if (source != this && Dest.Width() == SourceRect.Width() && Dest.Height() == SourceRect.Height() &&
        source->FImage->rect().contains(from)) {
        // Pixel for pixel from another image: straight from it, no copy on the way.
        p.drawImage(QPoint(Dest.Left, Dest.Top), *source->FImage, from);
        return;
    }
    // A copy first: the rectangles may overlap within this very image, and
    // what lies outside the source comes out transparent.
    const QImage part = source->FImage->copy(ToQRect(SourceRect));
    p.drawImage(ToQRect(Dest), part, QRect(0, 0, part.width(), part.height()));
}

// An image over the buffer's pixels (an empty one for an empty or short buffer).
static std::unique_ptr<QPaintDevice> BufferImage(TPixelBuffer& Buffer)
{
    if (!Buffer.Empty() &&
        Buffer.Pixels.size() >= static_cast<size_t>(Buffer.Width) * static_cast<size_t>(Buffer.Height))
        return std::make_unique<QImage>(reinterpret_cast<uchar*>(Buffer.Pixels.data()), Buffer.Width,
                                        Buffer.Height, Buffer.Width * 4, QImage::Format_ARGB32_Premultiplied);
    return std::make_unique<QImage>();
}

std::unique_ptr<TCanvas> CreateBufferCanvas(TPixelBuffer& Buffer)
{
    EnsureQtApplication();
    std::unique_ptr<QPaintDevice> image = BufferImage(Buffer);
    QPaintDevice* device = image.get();
    return std::make_unique<TQtCanvas>(device, 96, 96, std::move(image));
}

void RebindBufferCanvas(TCanvas& Canvas, TPixelBuffer& Buffer)
{
    auto* canvas = dynamic_cast<TQtCanvas*>(&Canvas);
    if (!canvas)
        return;
    std::unique_ptr<QPaintDevice> image = BufferImage(Buffer);
    QPaintDevice* device = image.get();
    canvas->SetDevice(device, std::move(image));
}
