// TRecordingCanvas: fixed metrics and the log of primitives.
#include "platform/graphics/recordingcanvas.h"

#include "platform/core/codepages.h"
#include "platform/graphics/graphic.h"
#include "platform/graphics/pixelbuffer.h"

AnsiString TCanvasRecord::TextUtf8() const
{
    return UTF8Encode(Text);
}

TRecordingCanvas::TRecordingCanvas(int Width, int Height, int PixelsPerInch)
    : FWidth(Width > 0 ? Width : 0), FHeight(Height > 0 ? Height : 0),
      FPixelsPerInch(PixelsPerInch > 0 ? PixelsPerInch : 96)
{
    Font()->SetPixelsPerInch(FPixelsPerInch);
}

int TRecordingCanvas::DeviceCaps(int Index) const
{
    return SurfaceDeviceCaps(Index, FWidth, FHeight, FPixelsPerInch, FPixelsPerInch);
}

std::vector<const TCanvasRecord*> TRecordingCanvas::RecordsOf(TCanvasOp Op) const
{
    std::vector<const TCanvasRecord*> result;
    for (const TCanvasRecord& r : FRecords)
        if (r.Op == Op)
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

TCanvasRecord& TRecordingCanvas::Add(TCanvasOp Op)
{
    TCanvasRecord r;
    r.Op = Op;
    r.Pen = {Pen()->Color(), Pen()->Width(), Pen()->Style(), Pen()->Mode()};
    r.Brush = {Brush()->Color(), Brush()->Style()};
    const TFont* f = Font();
    r.Font = {f->Name(), f->Height(), f->Size(), f->Width(), f->Style(), f->Color(), f->Charset()};
    r.Clip = DeviceClip();
    FRecords.push_back(std::move(r));
    return FRecords.back();
}

void TRecordingCanvas::DoLine(const TPoint& From, const TPoint& To)
{
    Add(TCanvasOp::Line).Points = {From, To};
}

void TRecordingCanvas::DoPolyline(const std::vector<TPoint>& Points)
{
    Add(TCanvasOp::Polyline).Points = Points;
}

void TRecordingCanvas::DoPolygon(const std::vector<TPoint>& Points)
{
    Add(TCanvasOp::Polygon).Points = Points;
}

void TRecordingCanvas::DoRectangle(const TRect& R)
{
    Add(TCanvasOp::Rectangle).Rect = R;
}

void TRecordingCanvas::DoEllipse(const TRect& R)
{
    Add(TCanvasOp::Ellipse).Rect = R;
}

void TRecordingCanvas::DoFillRect(const TRect& R)
{
    Add(TCanvasOp::FillRect).Rect = R;
}

void TRecordingCanvas::DoFrameRect(const TRect& R)
{
    Add(TCanvasOp::FrameRect).Rect = R;
}

void TRecordingCanvas::DoFocusRect(const TRect& R)
{
    Add(TCanvasOp::FocusRect).Rect = R;
}

void TRecordingCanvas::DoTextRun(const TTextRun& Run)
{
    TCanvasRecord& r = Add(TCanvasOp::Text);
    r.X = Run.X;
    r.Y = Run.Y;
    r.Text = Run.Text;
    r.Ansi = Run.Ansi;
    r.FromAnsi = Run.FromAnsi;
    r.Advances = Run.Advances;
    r.CharX.assign(Run.Text.size(), 0);
    for (const TTextRun::TCluster& c : Run.Clusters)
        for (int u = c.Start; u < c.Start + c.Count; ++u)
            r.CharX[static_cast<size_t>(u)] = c.Offset;
    r.Width = Run.Width;
    r.Options = Run.Options;
    r.HasRect = Run.HasRect;
    if (Run.HasRect)
        r.Rect = Run.Rect;
    r.RightToLeft = Run.RightToLeft;
    r.Opaque = Brush()->Style() == bsSolid;
    r.PrefixUnit = Run.PrefixUnit;
}

void TRecordingCanvas::DoDrawPixels(const TRect& Dest, const TPixelBuffer& Pixels, const TRect& Source)
{
    TCanvasRecord& r = Add(TCanvasOp::Pixels);
    r.Rect = Dest;
    r.SourceRect = Source;
    r.SourceWidth = Pixels.Width;
    r.SourceHeight = Pixels.Height;
}

void TRecordingCanvas::DoCopyRect(const TRect& Dest, TCanvas*, const TRect& SourceRect)
{
    TCanvasRecord& r = Add(TCanvasOp::CopyRect);
    r.Rect = Dest;
    r.SourceRect = SourceRect;
}

// The picture is noted, then draws itself (its pixels are logged in turn).
void TRecordingCanvas::DoDrawGraphic(const TRect& Rect, TGraphic* Graphic)
{
    TCanvasRecord& r = Add(TCanvasOp::Graphic);
    r.Rect = ToDevice(Rect);
    r.GraphicClass = Graphic->ClassName();
    TCanvas::DoDrawGraphic(Rect, Graphic);
}
