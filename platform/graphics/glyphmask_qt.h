// Internal to platform/graphics: glyphs drawn by the canvas itself into 32-bit
// images, from the coverage the toolkit gives them, with the toolkit's own
// blending, so that a line of text costs a table lookup and a blend per pixel
// rather than the toolkit's set-up per glyph.
#pragma once

#include <QGlyphRun>
#include <QImage>
#include <QRawFont>

#include <cstdint>
#include <vector>

#include "platform/core/types.h"

// A glyph's ink as the toolkit draws it with its pen at a whole pixel: the
// coverage of every pixel of the box that holds the ink, and the box's place
// from the pen. Taken once (State leaves Unknown); Toolkit: the glyph is left
// to the toolkit (its pixels do not follow from a coverage, or it is placed
// between pixels); Ready with an empty box: a glyph without ink (a space).
struct TGlyphMask {
    enum TState : uint8_t { Unknown, Ready, Toolkit };
    TState State = Unknown;
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    // Rows top to bottom, Stride apart: Width values, then 0 up to a multiple
    // of four, so that a row is blended four pixels at a time.
    int Stride = 0;
    std::vector<uint8_t> Coverage; // Stride * Height
    // Where in Coverage the glyph leaves a pixel of its box blank (0), or -1.
    int Blank = -1;
    // The box's pixels blended in Color over pixels of Background (Made), or
    // the colours last asked for (Asked).
    struct TOver {
        bool Asked = false;
        bool Made = false;
        uint32_t Color = 0;
        uint32_t Background = 0;
        std::vector<uint32_t> Pixels; // as Coverage
    };
    TOver Over;
};

// A pen colour's blend for every coverage, as the toolkit blends an opaque pen
// through a glyph's coverage: source = colour * coverage, destination *
// (255 - coverage) added, each channel rounded as x / 255.
struct TCoverageBlend {
    uint32_t Color = 0; // 0xFFRRGGBB; 0: not made yet (an opaque colour is never 0)
    uint32_t Source[256] = {};
    void MakeFor(uint32_t color);
};

// The images a glyph mask is blended into: 32-bit, a device pixel to a pixel
// (on others the toolkit scales what it draws).
inline bool TakesGlyphMasks(const QImage* image)
{
    return image && image->devicePixelRatio() == 1.0 &&
           (image->format() == QImage::Format_RGB32 ||
            image->format() == QImage::Format_ARGB32_Premultiplied);
}

// Fills Mask for glyph Index of Font (with the run flags Flags) drawn with
// its origin At from the pen. Only a glyph At a whole pixel across and
// within a fraction of one down is taken, and only when the toolkit's drawing
// of it over varied pixels is what the mask blends; else it is left to the
// toolkit.
void TakeGlyphMask(const QRawFont& font, QGlyphRun::GlyphRunFlags flags, quint32 index, const QPointF& at,
                   TGlyphMask& mask);

// The pixels of an image that glyph masks are blended into (a format that
// TakesGlyphMasks), and the part of them drawn on (within the image).
struct TGlyphTarget {
    uchar* Bits = nullptr;
    qsizetype BytesPerLine = 0;
    TRect Clip;
};

// Blends Blend's colour through Mask with the pen at (X, Y) into Target; the
// mask keeps its pixels blended over the background it met, for next time.
void BlendGlyphMask(TGlyphMask& mask, const TCoverageBlend& blend, const TGlyphTarget& target, int x, int y);
