// Internal to platform/graphics: the QPainter canvas over any paint device, for
// the buffer canvas now and window and printer canvases later.
#pragma once

#include <QImage>
#include <QPainter>

#include <memory>
#include <vector>

#include "platform/graphics/canvas.h"

struct TQtFontData;

// Paints on a paint device it does not own (unless given Owned, which it keeps
// alive while it paints on it). The painter stays active while the canvas paints
// on the device; SetDevice moves the canvas to another device (or to none), so
// that a canvas can outlive the pixels it paints on.
// Pixel rules are kept in our own code where the toolkit's differ: lines of width
// 1, rectangle outlines and fills are drawn as spans and pixels; wider lines,
// ellipses and polygon fills go to the toolkit without antialiasing. Width-1
// pixels are written straight into a 32-bit image; on any other device (a PDF
// page) they go as filled strips, one per straight run of pixels in a row or a
// column, so that a ruled line is one mark and not one per pixel.
class TQtCanvas : public TCanvas {
public:
    TQtCanvas(QPaintDevice* Device, int PixelsPerInchX, int PixelsPerInchY,
              std::unique_ptr<QPaintDevice> Owned = nullptr);
    ~TQtCanvas() override;
    const char* ClassName() const override { return "TQtCanvas"; }

    int DeviceCaps(int Index) const override;
    // The image painted on, when the device is one (CopyRect reads from it).
    QImage* Image() const { return FImage; }
    // Paints on Device from now on (none: draws nothing), owning Owned when
    // given; the device painted on before is let go first. The font, pen, brush,
    // origins and saved states stay; a clip is removed (it was the old device's).
    void SetDevice(QPaintDevice* Device, std::unique_ptr<QPaintDevice> Owned = nullptr);

protected:
    TRect DeviceBounds() const override;
    int CharAdvance(const WideChar* Char, int Count) override;
    void UnitAdvances(const WideChar* Str, int Count, int* Advances) override;
    void FontMetrics(TOutlineTextMetric& Metrics) override;
    void DoLine(const TPoint& From, const TPoint& To) override;
    void DoPolyline(const std::vector<TPoint>& Points) override;
    void DoPolygon(const std::vector<TPoint>& Points) override;
    void DoRectangle(const TRect& R) override;
    void DoEllipse(const TRect& R) override;
    void DoFillRect(const TRect& R) override;
    void DoFrameRect(const TRect& R) override;
    void DoFocusRect(const TRect& R) override;
    void DoTextRun(const TTextRun& Run) override;
    void DoDrawPixels(const TRect& Dest, const TPixelBuffer& Pixels, const TRect& Source) override;
    void DoCopyRect(const TRect& Dest, TCanvas* Source, const TRect& SourceRect) override;
    // Fills R (device coordinates) with Color inside the clip, whatever the brush and pen.
    void FillDevice(const TRect& R, TColor Color);

private:
    QPainter& Painter(const TRect* ExtraClip = nullptr);
    TQtFontData& CurrentFont();
    void SetPenMode();
    void FillWithBrush(const TRect& R);
    // Width-1 pixels of the pen, with its dash pattern and mode.
    void PlotPixels(const std::vector<TPoint>& Pixels, bool Patterned);
    void PlotPixel(int X, int Y, uint32_t Rgb, TPenMode Mode);
    void FillPixelRuns(const std::vector<QPoint>& Points);
    void SegmentPixels(const TPoint& From, const TPoint& To, std::vector<TPoint>& Out);
    void WideLines(const std::vector<TPoint>& Points, bool Closed);

    QPaintDevice* FDevice;
    std::unique_ptr<QPaintDevice> FOwned;
    QImage* FImage;
    QPainter FPainter;
    int FPixelsPerInchX;
    int FPixelsPerInchY;
    TQtFontData* FFontData = nullptr;
    uint64_t FFontVersion = ~0ull;
};
