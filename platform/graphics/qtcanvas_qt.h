// Internal to platform/graphics: the QPainter canvas over any paint device, for
// the buffer canvas now and window and printer canvases later.
#pragma once

#include <QGlyphRun>
#include <QImage>
#include <QPainter>

#include <functional>
#include <memory>
#include <vector>

#include "platform/graphics/canvas.h"
#include "platform/graphics/glyphmask_qt.h"

class TLinePixels;
struct TQtFontData;
struct TQtGlyph;

// The glyphs of one face that a text run draws at a time, handed to the
// painter in one call, so that a line is a few draw calls rather than one per
// character. Kept by the canvas, so that drawing text allocates nothing once
// its vectors have grown.
class TQtGlyphBatch {
public:
    // Starts a run's glyphs, drawn on Painter in Font's faces and in Color (the
    // pen is set when the first glyphs are drawn).
    void Start(QPainter& painter, TQtFontData& font, const QColor& color);
    // Adds glyph Index of Face at At; the glyphs of another face gathered
    // before are drawn first.
    void Add(int face, quint32 index, const QPointF& at)
    {
        if (face != FFace) {
            Flush();
            FFace = face;
        }
        FIndexes.push_back(index);
        FPositions.push_back(at);
    }
    // Draws the glyphs gathered.
    void Flush()
    {
        if (!FIndexes.empty())
            DrawGathered();
    }

private:
    void DrawGathered();
    QPainter* FPainter = nullptr;
    TQtFontData* FFont = nullptr;
    QColor FColor;
    bool FPenSet = false;
    int FFace = -1;
    std::vector<quint32> FIndexes;
    std::vector<QPointF> FPositions;
    QGlyphRun FRun;
};

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
    TQtCanvas(QPaintDevice* device, int pixelsPerInchX, int pixelsPerInchY,
              std::unique_ptr<QPaintDevice> owned = nullptr);
    ~TQtCanvas() override;
    const char* ClassName() const override { return "TQtCanvas"; }

    int DeviceCaps(int index) const override;
    // The image painted on, when the device is one (CopyRect reads from it).
    QImage* Image() const { return FImage; }
    // Paints on Device from now on (none: draws nothing), owning Owned when
    // given; the device painted on before is let go first. The font, pen, brush,
    // origins and saved states stay; a clip is removed (it was the old device's).
    void SetDevice(QPaintDevice* device, std::unique_ptr<QPaintDevice> owned = nullptr);
    // Lets go of the device while the image object it is points at other
    // pixels of the same size, and takes it up again after (Change makes the
    // change); the canvas keeps its clip and all its state.
    template <class F> void RepointImage(F change)
    {
        const bool active = FPainter.isActive();
        if (active)
            FPainter.end();
        change();
        if (active && FDevice && FDevice->width() > 0 && FDevice->height() > 0)
            FPainter.begin(FDevice);
    }

    // Called before the canvas reads or writes the pixels of its device, so
    // that whoever keeps them elsewhere as well can bring them up to date.
    void SetBeforePixels(std::function<void()> before) { FBeforePixels = std::move(before); }

protected:
    TRect DeviceBounds() const override;
    int CharAdvance(const WideChar* Char, int count) override;
    int KnownCharacters(const WideChar* str, int count) override;
    int KnownUnits(const WideChar* str, int count) override;
    void UnitAdvances(const WideChar* str, int count, int* advances) override;
    const int* AsciiAdvances() override;
    int PrintableAsciiAdvance() override;
    bool ShapeJoiningText(const WideChar* str, int count, int* advances, uint8_t* starts) override;
    void FontMetrics(TOutlineTextMetric& metrics) override;
    void DoLine(const TPoint& from, const TPoint& to) override;
    void DoPolyline(const std::vector<TPoint>& points) override;
    void DoPolygon(const std::vector<TPoint>& points) override;
    void DoRectangle(const TRect& r) override;
    void DoEllipse(const TRect& r) override;
    void DoFillRect(const TRect& r) override;
    void DoFrameRect(const TRect& r) override;
    void DoFocusRect(const TRect& r) override;
    void DoTextRun(const TTextRun& run) override;
    void DoDrawPixels(const TRect& dest, const TPixelBuffer& pixels, const TRect& source) override;
    void DoCopyRect(const TRect& dest, TCanvas* source, const TRect& sourceRect) override;
    // Fills R (device coordinates) with Color inside the clip, whatever the brush and pen.
    void FillDevice(const TRect& r, TColor color);

private:
    QPainter& Painter(const TRect* extraClip = nullptr);
    TQtFontData& CurrentFont();
    // The steps of DoTextRun: the glyphs of a run whose cells start at (X0, Y0)
    // on the painter (Scaled: under a scaling mapping), inside ClipRect when
    // given; the pixels that glyph masks are blended into for Rgb.
    void DrawRunGlyphs(QPainter& p, TQtFontData& font, const TTextRun& run, int x0, int y0, bool scaled,
                       const QColor& color, const TRect* clipRect);
    TGlyphTarget GlyphTarget(uint32_t rgb, const TRect* clipRect);
    void SetPenMode();
    void FillWithBrush(const TRect& r);
    // The pixels of a width-1 walk, with the pen's dash pattern and mode.
    void PlotPixels(const TLinePixels& walk);
    void PlotPixel(int x, int y, uint32_t rgb, TPenMode mode);
    void FillPixelRuns(const std::vector<QPoint>& points);
    void WideLines(const std::vector<TPoint>& points, bool closed);

    QPaintDevice* FDevice;
    std::unique_ptr<QPaintDevice> FOwned;
    QImage* FImage;
    QPainter FPainter;
    int FPixelsPerInchX;
    int FPixelsPerInchY;
    // The font drawn with, kept alive while the canvas uses it, and what of
    // the canvas's font it was realised for (a font assigned again, or changed
    // only in its colour, underline or character set, needs no lookup).
    std::shared_ptr<TQtFontData> FFontData;
    uint64_t FFontVersion = ~0ull;
    struct TRealisedFor {
        AnsiString Name;
        int Height = 0;
        int Width = 0;
        bool Bold = false;
        bool Italic = false;
        TFontPitch Pitch = fpDefault;
    } FRealisedFor;
    std::function<void()> FBeforePixels;
    void BeforePixels()
    {
        if (FBeforePixels)
            FBeforePixels();
    }
    TQtGlyphBatch FGlyphBatch;
    // The blend of the last text colour that glyph masks were blended in.
    TCoverageBlend FBlend;
};
