// TRecordingCanvas: the test backend. It paints nothing: it measures text with
// fixed metrics and keeps a log of every primitive with the pen, brush and font
// in force, so that layout and painting can be tested headless on numbers.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/graphics/canvas.h"

// The fixed metrics. By default every font measures the same, whatever its name,
// size or style:
//   every character (a code point with the combining marks after it) is CharWidth = 7 px
//   wide, or the font's Width when that is not 0 (so a horizontally scaled font is
//   as wide as asked); the canvas's character extra is added as usual;
//   tmAscent 10, tmDescent 3, tmHeight 13, no internal or external leading;
//   tmAveCharWidth = tmMaxCharWidth = the character width;
//   underline 1 px thick at 1 px below the baseline (the row 11 px below the top of
//   the text), strike-out 1 px thick at 4 px above the baseline.
// A test that needs fonts of different heights sets MetricsForFont.
// The canvas also counts the texts it measured (TextsMeasured), so that tests
// can hold layout to a cost.
struct TRecordingMetrics {
    int CharWidth = 7;
    int Ascent = 10;
    int Descent = 3;
    int InternalLeading = 0;
    int ExternalLeading = 0;
    int UnderscorePosition = -1; // relative to the baseline, upward positive
    int UnderscoreSize = 1;
    int StrikeoutPosition = 4;
    int StrikeoutSize = 1;
};

enum class TCanvasOp {
    Line, // Points[0] -> Points[1] (LineTo)
    Polyline,
    Polygon,
    Rectangle,
    Ellipse,
    FillRect,
    FrameRect,
    FocusRect,
    Text,     // TextOut, ExtTextOut, DrawText lines, TextRect
    Pixels,   // DrawPixels: Rect is the destination, SourceRect the part of the pixels
    CopyRect, // Rect the destination, SourceRect in the source's device coordinates
    Graphic,  // Draw / StretchDraw: Rect, GraphicClass (the picture's own drawing follows)
};

// The state of the drawing objects when a primitive was drawn.
struct TPenState {
    TColor Color;
    int Width;
    TPenStyle Style;
    TPenMode Mode;
};
struct TBrushState {
    TColor Color;
    TBrushStyle Style;
};
struct TFontState {
    AnsiString Name;
    int Height;
    int Size;
    int Width;
    TFontStyles Style;
    TColor Color;
    TFontCharset Charset;
};

// One logged primitive. Coordinates are device coordinates (origins applied).
struct TCanvasRecord {
    TCanvasOp Op;
    TRect Rect;                 // shapes, fills, text rectangle (HasRect), pictures
    std::vector<TPoint> Points; // lines, polylines, polygons
    TPenState Pen;
    TBrushState Brush;
    TFontState Font;
    TRect Clip; // the clip in force (the device bounds when none)
    // Text
    int X = 0; // left and top of the text (alignment applied)
    int Y = 0;
    WideString Text; // logical order
    AnsiString Ansi; // the bytes given to an ANSI call (FromAnsi)
    bool FromAnsi = false;
    std::vector<int> Advances; // per code unit
    std::vector<int> CharX;    // per code unit: left of its character relative to X
    int Width = 0;             // the text's width
    unsigned Options = 0;      // ETO_...
    bool HasRect = false;
    bool RightToLeft = false;
    bool Opaque = false; // text cells painted in the brush colour
    int PrefixUnit = -1; // DrawText: the code unit whose character is underlined, or -1
    // Pictures
    TRect SourceRect;
    int SourceWidth = 0; // size of the pixel buffer drawn
    int SourceHeight = 0;
    AnsiString GraphicClass;

    // The text as UTF-8, for assertions.
    AnsiString TextUtf8() const;
};

// Owns its log. Device size and resolution are fixed at construction.
class TRecordingCanvas : public TCanvas {
public:
    explicit TRecordingCanvas(int width = 1000, int height = 1000, int pixelsPerInch = 96);
    const char* ClassName() const override { return "TRecordingCanvas"; }

    int DeviceCaps(int index) const override;

    // The metrics of a font: Metrics unless MetricsForFont is set.
    TRecordingMetrics Metrics;
    std::function<TRecordingMetrics(const TFont& font)> MetricsForFont;
    // When set, shapes the words of joining scripts as ShapeJoiningText does
    // (a test gives the joined widths it wants); unset, their letters measure
    // like any other character.
    std::function<bool(const WideChar* str, int count, int* advances, uint8_t* starts)> Shaper;

    const std::vector<TCanvasRecord>& Records() const { return FRecords; }
    int Count() const { return static_cast<int>(FRecords.size()); }
    const TCanvasRecord& operator[](int index) const { return FRecords.at(static_cast<size_t>(index)); }
    // The records of one kind, in order.
    std::vector<const TCanvasRecord*> RecordsOf(TCanvasOp op) const;
    void Clear() { FRecords.clear(); }

    // The texts measured since construction or the last ResetTextsMeasured: every
    // text of at least one character that a text call measured (the extents, the
    // character placements, DrawText, and the drawing calls, which measure what they
    // draw unless given the advances). Each of these asks for the advances of the
    // text's characters and then for the font's metrics once, so a run of advances
    // that a metrics query closes is one text; a metrics query alone is none.
    int64_t TextsMeasured() const { return FTextsMeasured; }
    void ResetTextsMeasured() { FTextsMeasured = 0; }

protected:
    TRect DeviceBounds() const override { return {0, 0, FWidth, FHeight}; }
    int CharAdvance(const WideChar* Char, int count) override;
    // Fixed metrics: every character is known.
    int KnownCharacters(const WideChar*, int count) override { return count; }
    int KnownUnits(const WideChar*, int count) override { return count; }
    void FontMetrics(TOutlineTextMetric& metrics) override;
    bool ShapeJoiningText(const WideChar* str, int count, int* advances, uint8_t* starts) override;
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
    void DoDrawGraphic(const TRect& rect, TGraphic* graphic) override;

private:
    TRecordingMetrics CurrentMetrics() const;
    TCanvasRecord& Add(TCanvasOp op);

    int FWidth;
    int FHeight;
    int FPixelsPerInch;
    std::vector<TCanvasRecord> FRecords;
    bool FAdvancesAsked = false; // advances were asked for since the last metrics query
    int64_t FTextsMeasured = 0;
};
