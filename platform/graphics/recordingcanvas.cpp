// TRecordingCanvas: fixed metrics and the log of primitives.
#include "platform/graphics/recordingcanvas.h"

#include "platform/core/codepages.h"
#include "platform/graphics/graphic.h"
#include "platform/graphics/pixelbuffer.h"

AnsiString TCanvasRecord::TextUtf8() const
{
    return UTF8Encode(Text);
}

TRecordingCanvas::TRecordingCanvas(int width, int height, int pixelsPerInch)
    : FWidth(width > 0 ? width : 0), FHeight(height > 0 ? height : 0),
      FPixelsPerInch(pixelsPerInch > 0 ? pixelsPerInch : 96)
{
    Font()->SetPixelsPerInch(FPixelsPerInch);
}

int TRecordingCanvas::DeviceCaps(int index) const
{
    return SurfaceDeviceCaps(index, FWidth, FHeight, FPixelsPerInch, FPixelsPerInch);
}

std::vector<const TCanvasRecord*> TRecordingCanvas::RecordsOf(TCanvasOp op) const
{
    std::vector<const TCanvasRecord*> result;
    for (const TCanvasRecord& r : FRecords)
        if (r.Op == op)
            result.push_back(&r);
    return result;
}

TRecordingMetrics TRecordingCanvas::CurrentMetrics() const
{
    TRecordingMetrics m = MetricsForFont ? MetricsForFont(*Font()) : Metrics;
    if (Font()->Width() > 0)
        m.CharWidth = Font()->Width();
    return m;
}

int TRecordingCanvas::CharAdvance(const WideChar*, int)
{
    FAdvancesAsked = true;
    return CurrentMetrics().CharWidth;
}

bool TRecordingCanvas::ShapeJoiningText(const WideChar* str, int count, int* advances, uint8_t* starts)
{
    if (!Shaper)
        return false;
    FAdvancesAsked = true;
    return Shaper(str, count, advances, starts);
}

void TRecordingCanvas::FontMetrics(TOutlineTextMetric& otm)
{
    // The metrics query that ends a text call closes the text's run of advances.
    if (FAdvancesAsked) {
        ++FTextsMeasured;
        FAdvancesAsked = false;
    }
    const TRecordingMetrics m = CurrentMetrics();
    otm = TOutlineTextMetric{};
    TTextMetric& tm = otm.otmTextMetrics;
    tm.tmAscent = m.Ascent;
    tm.tmDescent = m.Descent;
    tm.tmHeight = m.Ascent + m.Descent;
    tm.tmInternalLeading = m.InternalLeading;
    tm.tmExternalLeading = m.ExternalLeading;
    tm.tmAveCharWidth = m.CharWidth;
    tm.tmMaxCharWidth = m.CharWidth;
    tm.tmWeight = Font()->Style().Contains(fsBold) ? FW_BOLD : FW_NORMAL;
    tm.tmItalic = Font()->Style().Contains(fsItalic);
    tm.tmUnderlined = Font()->Style().Contains(fsUnderline);
    tm.tmStruckOut = Font()->Style().Contains(fsStrikeOut);
    tm.tmCharSet = Font()->Charset();
    tm.tmDigitizedAspectX = tm.tmDigitizedAspectY = FPixelsPerInch;
    otm.otmAscent = m.Ascent;
    otm.otmDescent = -m.Descent;
    otm.otmEMSquare = static_cast<unsigned>(tm.tmHeight - m.InternalLeading);
    otm.otmsUnderscorePosition = m.UnderscorePosition;
    otm.otmsUnderscoreSize = m.UnderscoreSize;
    otm.otmsStrikeoutPosition = m.StrikeoutPosition;
    otm.otmsStrikeoutSize = m.StrikeoutSize;
}

TCanvasRecord& TRecordingCanvas::Add(TCanvasOp op)
{
    TCanvasRecord r;
    r.Op = op;
    r.Pen = {Pen()->Color(), DevicePenWidth(), Pen()->Style(), Pen()->Mode()};
    r.Brush = {Brush()->Color(), Brush()->Style()};
    const TFont* f = Font();
    r.Font = {f->Name(), f->Height(), f->Size(), f->Width(), f->Style(), f->Color(), f->Charset()};
    r.Clip = DeviceClip();
    FRecords.push_back(std::move(r));
    return FRecords.back();
}

void TRecordingCanvas::DoLine(const TPoint& from, const TPoint& to)
{
    Add(TCanvasOp::Line).Points = {from, to};
}

void TRecordingCanvas::DoPolyline(const std::vector<TPoint>& points)
{
    Add(TCanvasOp::Polyline).Points = points;
}

void TRecordingCanvas::DoPolygon(const std::vector<TPoint>& points)
{
    Add(TCanvasOp::Polygon).Points = points;
}

void TRecordingCanvas::DoRectangle(const TRect& r)
{
    Add(TCanvasOp::Rectangle).Rect = r;
}

void TRecordingCanvas::DoEllipse(const TRect& r)
{
    Add(TCanvasOp::Ellipse).Rect = r;
}

void TRecordingCanvas::DoFillRect(const TRect& r)
{
    Add(TCanvasOp::FillRect).Rect = r;
}

void TRecordingCanvas::DoFrameRect(const TRect& r)
{
    Add(TCanvasOp::FrameRect).Rect = r;
}

void TRecordingCanvas::DoFocusRect(const TRect& r)
{
    Add(TCanvasOp::FocusRect).Rect = r;
}

void TRecordingCanvas::DoTextRun(const TTextRun& run)
{
    TCanvasRecord& r = Add(TCanvasOp::Text);
    r.X = run.X;
    r.Y = run.Y;
    r.Text = run.Text;
    r.Ansi = run.Ansi;
    r.FromAnsi = run.FromAnsi;
    r.Advances = run.Advances;
    r.CharX.assign(run.Text.size(), 0);
    for (const TTextRun::TCluster& c : run.Clusters)
        for (int u = c.Start; u < c.Start + c.Count; ++u)
            r.CharX[static_cast<size_t>(u)] = c.Offset;
    r.Width = run.Width;
    r.Options = run.Options;
    r.HasRect = run.HasRect;
    if (run.HasRect)
        r.Rect = run.Rect;
    r.RightToLeft = run.RightToLeft;
    r.Opaque = Brush()->Style() == bsSolid;
    r.PrefixUnit = run.PrefixUnit;
}

void TRecordingCanvas::DoDrawPixels(const TRect& dest, const TPixelBuffer& pixels, const TRect& source)
{
    TCanvasRecord& r = Add(TCanvasOp::Pixels);
    r.Rect = dest;
    r.SourceRect = source;
    r.SourceWidth = pixels.Width;
    r.SourceHeight = pixels.Height;
}

void TRecordingCanvas::DoCopyRect(const TRect& dest, TCanvas*, const TRect& sourceRect)
{
    TCanvasRecord& r = Add(TCanvasOp::CopyRect);
    r.Rect = dest;
    r.SourceRect = sourceRect;
}

// The picture is noted, then draws itself (its pixels are logged in turn).
void TRecordingCanvas::DoDrawGraphic(const TRect& rect, TGraphic* graphic)
{
    TCanvasRecord& r = Add(TCanvasOp::Graphic);
    r.Rect = ToDevice(rect);
    r.GraphicClass = graphic->ClassName();
    TCanvas::DoDrawGraphic(rect, graphic);
}
