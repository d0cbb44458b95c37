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
// alive as long as itself). The painter stays active for the canvas's life.
// Pixel rules are kept in our own code where the toolkit's differ: lines of width
// 1, rectangle outlines and fills are drawn as spans and pixels; wider lines,
// ellipses and polygon fills go to the toolkit without antialiasing.
class TQtCanvas : public TCanvas
{
public:
    TQtCanvas(QPaintDevice* Device, int PixelsPerInchX, int PixelsPerInchY,
              std::unique_ptr<QPaintDevice> Owned = nullptr);
    ~TQtCanvas() override;
    const char* ClassName() const override { return "TQtCanvas"; }

    int DeviceCaps(int Index) const override;
    // The image painted on, when the device is one (CopyRect reads from it).
    QImage* Image() const { return FImage; }

protected:
    TRect DeviceBounds() const override;
    int CharAdvance(const WideChar* Char, int Count) override;
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

private:
    QPainter& Painter(const TRect* ExtraClip = nullptr);
    TQtFontData& CurrentFont();
    void SetPenMode();
    void FillDevice(const TRect& R, TColor Color);
    void FillWithBrush(const TRect& R);
    // Width-1 pixels of the pen, with its dash pattern and mode.
    void PlotPixels(const std::vector<TPoint>& Pixels, bool Patterned);
    void PlotPixel(int X, int Y, uint32_t Rgb, TPenMode Mode);
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
