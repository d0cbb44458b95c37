// The Qt canvas: device, clipping, pen modes and the shape and picture primitives
// with the platform's pixel rules.
#include "platform/graphics/qtcanvas.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "platform/core/colors.h"
#include "platform/graphics/linepixels.h"
#include "platform/graphics/pixelbuffer.h"
#include "platform/graphics/qtcanvas_qt.h"
#include "platform/graphics/qtcolor_qt.h"
#include "platform/graphics/qtsupport.h"

namespace {

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

// Dash patterns of width-1 pens in pixels, on and off in turn, starting on.
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

// Whether the pixel Step pixels along a line is drawn with Pattern, whose
// parts add up to Period (every pixel when the pattern is empty): the pattern
// repeats from the line's start.
bool PatternOn(const std::vector<int>& pattern, int64_t period, int64_t step)
{
    if (pattern.empty())
        return true;
    int64_t at = step % period;
    for (size_t part = 0;; ++part) {
        if (at < pattern[part])
            return part % 2 == 0;
        at -= pattern[part];
    }
}

} // namespace

TQtCanvas::TQtCanvas(QPaintDevice* device, int pixelsPerInchX, int pixelsPerInchY,
                     std::unique_ptr<QPaintDevice> owned)
    : FDevice(device), FOwned(std::move(owned)), FImage(dynamic_cast<QImage*>(device)),
      FPixelsPerInchX(pixelsPerInchX > 0 ? pixelsPerInchX : 96),
      FPixelsPerInchY(pixelsPerInchY > 0 ? pixelsPerInchY : 96)
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

void TQtCanvas::SetDevice(QPaintDevice* device, std::unique_ptr<QPaintDevice> owned)
{
    // The painter lets go of the old device while it still exists.
    if (FPainter.isActive())
        FPainter.end();
    FOwned = std::move(owned);
    FDevice = device;
    FImage = dynamic_cast<QImage*>(device);
    SelectClipRect(nullptr);
    if (FDevice && FDevice->width() > 0 && FDevice->height() > 0)
        FPainter.begin(FDevice);
}

int TQtCanvas::DeviceCaps(int index) const
{
    const int w = FDevice ? FDevice->width() : 0;
    const int h = FDevice ? FDevice->height() : 0;
    return SurfaceDeviceCaps(index, w, h, FPixelsPerInchX, FPixelsPerInchY);
}

TRect TQtCanvas::DeviceBounds() const
{
    return FDevice ? TRect{0, 0, FDevice->width(), FDevice->height()} : TRect{};
}

QPainter& TQtCanvas::Painter(const TRect* extraClip)
{
    BeforePixels();
    TRect clip = DeviceClip();
    if (extraClip && !IntersectRect(clip, clip, *extraClip))
        clip = TRect{};
    if (FPainter.isActive()) {
        FPainter.setRenderHint(QPainter::Antialiasing, false);
        FPainter.setRenderHint(QPainter::SmoothPixmapTransform, false);
        FPainter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        FPainter.setBackgroundMode(Qt::TransparentMode);
        FPainter.resetTransform();
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

void TQtCanvas::FillDevice(const TRect& r, TColor color)
{
    if (r.IsEmpty())
        return;
    QPainter& p = Painter();
    if (p.isActive())
        p.fillRect(ToQRect(r), ToQColor(color));
}

void TQtCanvas::FillWithBrush(const TRect& r)
{
    if (r.IsEmpty() || Brush()->Style() == bsClear)
        return;
    QPainter& p = Painter();
    if (!p.isActive())
        return;
    SetPenMode();
    // Hatches are aligned to the device origin and leave the space between their lines untouched.
    p.fillRect(ToQRect(r), QBrush(ToQColor(Brush()->Color()), HatchOf(Brush()->Style())));
}

// ---- Width-1 pixels

void TQtCanvas::PlotPixel(int x, int y, uint32_t rgb, TPenMode mode)
{
    uint32_t& d = reinterpret_cast<uint32_t*>(FImage->scanLine(y))[x];
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
    switch (mode) {
    case pmCopy:
        d = rgb;
        break;
    case pmNot:
        combine(~d);
        break;
    case pmXor:
        combine(d ^ rgb);
        break;
    case pmNotXor:
        combine(d ^ ~rgb);
        break;
    }
}

void TQtCanvas::PlotPixels(const TLinePixels& walk)
{
    BeforePixels();
    const std::vector<int>& pattern = PatternOf(Pen()->Style());
    int64_t period = 0;
    for (int part : pattern)
        period += part;
    const uint32_t rgb = ColorToPixel(Pen()->Color());
    const TPenMode mode = Pen()->Mode();
    std::vector<QPoint> points;
    // The walk kept only the pixels within the device's clip.
    const std::vector<TPoint>& pixels = walk.Pixels();
    for (size_t i = 0; i < pixels.size(); ++i) {
        const TPoint& px = pixels[i];
        if (!PatternOn(pattern, period, walk.Steps()[i]))
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
void TQtCanvas::FillPixelRuns(const std::vector<QPoint>& points)
{
    QPainter& p = Painter();
    if (!p.isActive())
        return;
    SetPenMode();
    const QColor color = ToQColor(Pen()->Color());
    size_t i = 0;
    while (i < points.size()) {
        size_t j = i + 1;
        if (j < points.size()) {
            const QPoint step = points[j] - points[i];
            if (step.manhattanLength() == 1)
                while (j < points.size() && points[j] - points[j - 1] == step)
                    ++j;
        }
        const QPoint& a = points[i];
        const QPoint& b = points[j - 1];
        p.fillRect(QRect(QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
                         QPoint(std::max(a.x(), b.x()), std::max(a.y(), b.y()))),
                   color);
        i = j;
    }
}

void TQtCanvas::WideLines(const std::vector<TPoint>& points, bool closed)
{
    QPainter& p = Painter();
    if (!p.isActive())
        return;
    SetPenMode();
    p.setPen(QPen(ToQColor(Pen()->Color()), DevicePenWidth(), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    std::vector<QPoint> q;
    for (const TPoint& pt : points)
        q.push_back(QPoint(pt.X, pt.Y));
    if (closed)
        p.drawPolygon(q.data(), static_cast<int>(q.size()));
    else
        p.drawPolyline(q.data(), static_cast<int>(q.size()));
}

void TQtCanvas::DoLine(const TPoint& from, const TPoint& to)
{
    DoPolyline({from, to});
}

void TQtCanvas::DoPolyline(const std::vector<TPoint>& points)
{
    if (Pen()->Style() == psClear)
        return;
    if (DevicePenWidth() > 1) {
        WideLines(points, false);
        return;
    }
    // Only the pixels the clip holds are made, the dashes running on over
    // those left out: a line reaching far past the device costs what shows.
    TLinePixels walk(DeviceClip());
    for (size_t i = 0; i + 1 < points.size(); ++i)
        walk.AddSegment(points[i], points[i + 1]);
    PlotPixels(walk);
}

void TQtCanvas::DoPolygon(const std::vector<TPoint>& points)
{
    QPainter& p = Painter();
    if (p.isActive() && Brush()->Style() != bsClear) {
        SetPenMode();
        p.setPen(Qt::NoPen);
        p.setBrush(QBrush(ToQColor(Brush()->Color()), HatchOf(Brush()->Style())));
        std::vector<QPoint> q;
        for (const TPoint& pt : points)
            q.push_back(QPoint(pt.X, pt.Y));
        p.drawPolygon(q.data(), static_cast<int>(q.size()), Qt::OddEvenFill);
        p.setBrush(Qt::NoBrush);
    }
    if (Pen()->Style() == psClear)
        return;
    if (DevicePenWidth() > 1) {
        WideLines(points, true);
        return;
    }
    TLinePixels walk(DeviceClip());
    for (size_t i = 0; i < points.size(); ++i)
        walk.AddSegment(points[i], points[(i + 1) % points.size()]);
    PlotPixels(walk);
}

// The outline of R walked clockwise from the top left: the pixels of its
// right and bottom edges are those within it (R.Right - 1, R.Bottom - 1).
static void AddFrame(TLinePixels& walk, const TRect& r)
{
    const int right = r.Right - 1, bottom = r.Bottom - 1;
    walk.AddSegment({r.Left, r.Top}, {right, r.Top});
    walk.AddSegment({right, r.Top}, {right, bottom});
    walk.AddSegment({right, bottom}, {r.Left, bottom});
    walk.AddSegment({r.Left, bottom}, {r.Left, r.Top});
}

// The figure's outer bounds: the rectangle itself for thin and inside-frame pens;
// a wider pen is centred on the 1-pixel outline.
static TRect FigureBounds(const TRect& r, int w, TPenStyle style)
{
    if (w <= 1 || style == psInsideFrame)
        return r;
    return {r.Left - (w - 1) / 2, r.Top - (w - 1) / 2, r.Right + w / 2, r.Bottom + w / 2};
}

void TQtCanvas::DoRectangle(const TRect& r)
{
    if (Pen()->Style() == psClear) {
        // Without a pen the platform fills one pixel less to the right and bottom.
        FillWithBrush({r.Left, r.Top, r.Right - 1, r.Bottom - 1});
        return;
    }
    const int w = std::max(1, DevicePenWidth());
    const TRect o = FigureBounds(r, w, Pen()->Style());
    if (o.IsEmpty())
        return;
    FillWithBrush({o.Left + w, o.Top + w, o.Right - w, o.Bottom - w});
    const std::vector<int>& pattern = PatternOf(Pen()->Style());
    if (w == 1 && (!pattern.empty() || Pen()->Mode() != pmCopy)) {
        // The outline pixel by pixel, clockwise from the top left, so that the dashes run round.
        TLinePixels walk(DeviceClip());
        AddFrame(walk, o);
        if (walk.Walked() == 0)
            walk.AddPoint({o.Left, o.Top});
        PlotPixels(walk);
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

void TQtCanvas::DoEllipse(const TRect& r)
{
    const bool noPen = Pen()->Style() == psClear;
    const int w = noPen ? 0 : std::max(1, DevicePenWidth());
    const TRect o = FigureBounds(r, w, Pen()->Style());
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

void TQtCanvas::DoFillRect(const TRect& r)
{
    FillWithBrush(r);
}

void TQtCanvas::DoFrameRect(const TRect& r)
{
    if (Brush()->Style() == bsClear)
        return;
    const TColor c = Brush()->Color();
    FillDevice({r.Left, r.Top, r.Right, r.Top + 1}, c);
    FillDevice({r.Left, r.Bottom - 1, r.Right, r.Bottom}, c);
    FillDevice({r.Left, r.Top + 1, r.Left + 1, r.Bottom - 1}, c);
    FillDevice({r.Right - 1, r.Top + 1, r.Right, r.Bottom - 1}, c);
}

void TQtCanvas::DoFocusRect(const TRect& r)
{
    BeforePixels();
    // Every other pixel of the frame inverted, so that drawing it twice restores the picture.
    TLinePixels frame(DeviceClip());
    AddFrame(frame, r);
    std::vector<TPoint> dots;
    for (const TPoint& p : frame.Pixels())
        if (((p.X + p.Y) & 1) == 0)
            dots.push_back(p);
    if (FImage && FImage->format() == QImage::Format_ARGB32_Premultiplied) {
        for (const TPoint& p : dots)
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

void TQtCanvas::DoDrawPixels(const TRect& dest, const TPixelBuffer& pixels, const TRect& source)
{
    QPainter& p = Painter();
    if (!p.isActive())
        return;
    const QImage image(reinterpret_cast<const uchar*>(pixels.Pixels.data()), pixels.Width, pixels.Height,
                       pixels.Width * 4, QImage::Format_ARGB32_Premultiplied);
    p.drawImage(ToQRect(dest), image, ToQRect(source));
}

void TQtCanvas::DoCopyRect(const TRect& dest, TCanvas* source, const TRect& sourceRect)
{
    auto* qtSource = dynamic_cast<TQtCanvas*>(source);
    if (!qtSource || !qtSource->FImage)
        return; // only pixels held here can be read back
    qtSource->BeforePixels();
    QPainter& p = Painter();
    if (!p.isActive())
        return;
    p.setCompositionMode(QPainter::CompositionMode_Source);
    const QRect from = ToQRect(sourceRect);
    if (qtSource != this && dest.Width() == sourceRect.Width() && dest.Height() == sourceRect.Height() &&
        qtSource->FImage->rect().contains(from)) {
        // Pixel for pixel from another image: straight from it, no copy on the way.
        p.drawImage(QPoint(dest.Left, dest.Top), *qtSource->FImage, from);
        return;
    }
    // A copy first: the rectangles may overlap within this very image, and
    // what lies outside the qtSource comes out transparent.
    const QImage part = qtSource->FImage->copy(ToQRect(sourceRect));
    p.drawImage(ToQRect(dest), part, QRect(0, 0, part.width(), part.height()));
}

// An image over the buffer's pixels (an empty one for an empty or short buffer).
static std::unique_ptr<QPaintDevice> BufferImage(TPixelBuffer& buffer)
{
    if (!buffer.Empty() &&
        buffer.Pixels.size() >= static_cast<size_t>(buffer.Width) * static_cast<size_t>(buffer.Height))
        return std::make_unique<QImage>(reinterpret_cast<uchar*>(buffer.Pixels.data()), buffer.Width,
                                        buffer.Height, buffer.Width * 4, QImage::Format_ARGB32_Premultiplied);
    return std::make_unique<QImage>();
}

std::unique_ptr<TCanvas> CreateBufferCanvas(TPixelBuffer& buffer)
{
    EnsureQtApplication();
    std::unique_ptr<QPaintDevice> image = BufferImage(buffer);
    QPaintDevice* device = image.get();
    return std::make_unique<TQtCanvas>(device, 96, 96, std::move(image));
}

void RebindBufferCanvas(TCanvas& canvas, TPixelBuffer& buffer)
{
    auto* qtCanvas = dynamic_cast<TQtCanvas*>(&canvas);
    if (!qtCanvas)
        return;
    std::unique_ptr<QPaintDevice> image = BufferImage(buffer);
    QPaintDevice* device = image.get();
    qtCanvas->SetDevice(device, std::move(image));
}
