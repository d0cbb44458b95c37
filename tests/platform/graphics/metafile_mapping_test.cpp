// How a metafile's mapping records and layout place what it draws: an
// old-format file's frame (its bounding box at its units per inch) fills the
// picture and the file's mapping mode, window and viewport map onto it; a
// right-to-left layout mirrors the picture in either format, bitmaps too
// unless their orientation is kept, text at its mirrored reference point
// with unmirrored glyphs, along its baseline's mirror image.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/core/streams.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/canvas.h"
#include "platform/graphics/dibcodec.h"
#include "platform/graphics/metafile.h"
#include "tests/support/metafilebuilder.h"

namespace {

using metafilebuilder::TEmfBuilder;
using metafilebuilder::TWmfBuilder;
using metafilebuilder::Word;

constexpr uint32_t Red = 0xFFFF0000u, Green = 0xFF00FF00u, Blue = 0xFF0000FFu, White = 0xFFFFFFFFu;

// The file shown at Width x Height on a white bitmap.
TPixelBuffer Shown(const std::string& bytes, int width, int height)
{
    return metafilebuilder::ShownMetafile(*metafilebuilder::LoadMetafile(bytes), width, height);
}

struct TProbe {
    int X, Y;
    uint32_t Colour;
};

void ExpectProbes(const TPixelBuffer& px, const std::vector<TProbe>& probes)
{
    for (const TProbe& p : probes)
        EXPECT_EQ(px.At(p.X, p.Y), p.Colour) << "at (" << p.X << ", " << p.Y << ")";
}

// An old-format file of frame (0, 0) - (Right, Bottom) at Inch units an inch,
// with no pen (object 0) and a red brush (object 1) selected.
TWmfBuilder Wmf(int right, int bottom, int inch)
{
    TWmfBuilder b(right, bottom, inch, 4);
    b.Record(0x02FA, {5, 0, 0, 0, 0}).Record(0x02FC, {0, 0x00FF, 0, 0});
    b.Record(0x012D, {0}).Record(0x012D, {1});
    return b;
}

// A packed DIB of 2 x 1 pixels, green at the left and blue at the right.
std::string GreenBlueDib()
{
    TPixelBuffer pixels(2, 1);
    pixels.At(0, 0) = Green;
    pixels.At(1, 0) = Blue;
    const graphicio::Bytes bytes = dib::EncodePacked(pixels, 24);
    return std::string(bytes.begin(), bytes.end());
}

// Wmf() with the records (function and words) added.
std::string Mapped(int right, int bottom, int inch,
                   const std::vector<std::pair<int, std::vector<int>>>& records)
{
    TWmfBuilder b = Wmf(right, bottom, inch);
    for (const auto& [function, words] : records)
        b.Record(static_cast<uint16_t>(function), words);
    return b.Bytes();
}

TEST(MetafileMapping, AnOldFormatFilesMappingModeAndViewportPlaceItsShapes)
{
    struct TCase {
        const char* Name;
        std::string File;
        int Width, Height; // the picture's
        std::vector<TProbe> Probes;
    };
    // (Records: SETMAPMODE 0x0103, SETWINDOWEXT 0x020C, SETVIEWPORTORG
    // 0x020D, SETVIEWPORTEXT 0x020E, OFFSETVIEWPORTORG 0x0211,
    // SCALEVIEWPORTEXT 0x0412, ELLIPSE 0x0418 and RECTANGLE 0x041B; words
    // y before x, boxes bottom, right, top, left.)
    const TCase Cases[] = {
        // A circle in an isotropic window of 100 x 100 drawn 400 x 200:
        // round (200 across) and in the middle, nothing at the sides.
        {"isotropic",
         Mapped(200, 100, 96, {{0x0103, {7}}, {0x020C, {100, 100}}, {0x0418, {100, 100, 0, 0}}}),
         400,
         200,
         {{200, 100, Red},
          {110, 100, Red},
          {140, 40, Red},
          {50, 100, White},
          {350, 100, White},
          {115, 15, White}}},
        // Tenths of a millimetre, y upward, on a device of the same units:
        // (100, -100) - (300, -400) is (20, 20) - (60, 80) of 200 pixels for 1000 units.
        {"lometric",
         Mapped(1000, 1000, 254, {{0x0103, {2}}, {0x041B, {-400, 300, -100, 100}}}),
         200,
         200,
         {{40, 50, Red}, {58, 78, Red}, {70, 50, White}, {40, 90, White}}},
        // Twips on a device of 720 units an inch, the viewport's origin at
        // the frame's bottom left: 720 twips square is the lower left quarter.
        {"twips",
         Mapped(720, 720, 720, {{0x0103, {6}}, {0x020D, {720, 0}}, {0x041B, {720, 720, 0, 0}}}),
         200,
         200,
         {{50, 150, Red}, {95, 105, Red}, {150, 150, White}, {50, 50, White}}},
        // Device units: the window's extent counts for nothing.
        {"text mode",
         Mapped(400, 400, 96, {{0x0103, {1}}, {0x020C, {10, 10}}, {0x041B, {200, 200, 0, 0}}}),
         200,
         200,
         {{50, 50, Red}, {150, 150, White}, {50, 150, White}}},
        // An anisotropic window onto a viewport of its own: extent 200
        // scaled by a quarter, origin (50, 50) moved by (50, 50).
        {"anisotropic viewport",
         Mapped(200, 200, 96,
                {{0x0103, {8}},
                 {0x020C, {10, 10}},
                 {0x020E, {200, 200}},
                 {0x0412, {4, 1, 4, 1}},
                 {0x020D, {50, 50}},
                 {0x0211, {50, 50}},
                 {0x041B, {10, 10, 0, 0}}}),
         200,
         200,
         {{125, 125, Red}, {102, 148, Red}, {175, 175, White}, {90, 125, White}}},
    };
    for (const TCase& c : Cases) {
        SCOPED_TRACE(c.Name);
        ExpectProbes(Shown(c.File, c.Width, c.Height), c.Probes);
    }
}

TEST(MetafileMapping, ARightToLeftLayoutMirrorsShapesAndBitmaps)
{
    // A square at the left drawn mirrored to the right; after layout 0 a
    // second one stays at the left.
    TWmfBuilder wmf = Wmf(200, 200, 96);
    wmf.Record(0x0149, {1}).Record(0x041B, {60, 60, 10, 10});
    wmf.Record(0x0149, {0}).Record(0x041B, {150, 60, 100, 10});
    TEmfBuilder emf(200, 200);
    emf.Record(38, {1, 5, 0, 0, 0}).Record(39, {2, 0, 0x0000FF, 0}).Record(37, {1}).Record(37, {2});
    emf.Record(115, {1}).Record(43, {10, 10, 60, 60});
    emf.Record(115, {0}).Record(43, {10, 100, 60, 150});
    for (const auto& [name, bytes] : {std::pair<const char*, std::string>{"old format", wmf.Bytes()},
                                      std::pair<const char*, std::string>{"enhanced", emf.Bytes()}}) {
        SCOPED_TRACE(name);
        ExpectProbes(Shown(bytes, 200, 200),
                     {{165, 35, Red}, {35, 35, White}, {35, 125, Red}, {165, 125, White}});
    }

    // A bitmap of green and blue drawn over the left half: in the right
    // half, turned round unless its orientation is kept (layout 9).
    const std::string dib = GreenBlueDib();
    const std::string header = dib.substr(0, 40), bits = dib.substr(40);
    for (int layout : {1, 9}) {
        SCOPED_TRACE(layout);
        const uint32_t left = layout == 1 ? Blue : Green, right = layout == 1 ? Green : Blue;
        TWmfBuilder w = Wmf(200, 200, 96);
        // STRETCHDIB: rop, colour use, source h, w, y, x, destination h, w, y, x.
        w.Record(0x0149, {layout}).Record(0x0F43, {0x0020, 0x00CC, 0, 1, 2, 0, 0, 200, 100, 0, 0}, dib);
        TEmfBuilder e(200, 200);
        e.Record(115, {layout});
        e.Record(81,
                 {0, 0, 0, 0, 0, 0, 0, 0, 2, 1, 80, 40, 120, int32_t(bits.size()), 0, 0x00CC0020, 100, 200},
                 header + bits);
        // PLGBLT onto the parallelogram (0, 0), (100, 0), (0, 200).
        TEmfBuilder p(200, 200);
        p.Record(115, {layout});
        std::vector<int32_t> plg(33, 0);
        for (const auto& [at, value] : std::vector<std::pair<int, int>>{{6, 100},
                                                                        {9, 200},
                                                                        {12, 2},
                                                                        {13, 1},
                                                                        {22, 140},
                                                                        {23, 40},
                                                                        {24, 180},
                                                                        {25, int(bits.size())}})
            plg[at] = value;
        p.Record(79, plg, header + bits);
        for (const std::string& bytes : {w.Bytes(), e.Bytes(), p.Bytes()})
            ExpectProbes(Shown(bytes, 200, 200), {{104, 100, left}, {196, 100, right}, {50, 100, White}});
    }
}

TEST(MetafileMapping, MirroredTextRunsLeftwardFromItsMirroredPointWithUnmirroredGlyphs)
{
    // Mirrored, text aligned left at x 20 looks as text aligned right at
    // x 180 does unmirrored: the same glyphs, ending at the same place.
    const auto text = [](int layout, int align, int x) {
        TWmfBuilder b(200, 100, 96, 4);
        b.Record(0x02FB, {-40, 0, 0, 0, 400, 0, 0, 0}, "Arial");               // CREATEFONTINDIRECT, 40 high
        b.Record(0x012D, {0}).Record(0x0102, {1});                             // transparent background
        b.Record(0x0149, {layout}).Record(0x012E, {align});                    // SETLAYOUT, SETTEXTALIGN
        b.Record(0x0521, {3}, std::string("Fgk") + '\0' + Word(30) + Word(x)); // TEXTOUT
        return Shown(b.Bytes(), 200, 100);
    };
    const TPixelBuffer Plain = text(0, 2, 180), Mirrored = text(1, 0, 20);
    int ink = 0, right = 0;
    for (int y = 0; y < Plain.Height; ++y)
        for (int x = 0; x < Plain.Width; ++x) {
            const bool inked = Mirrored.At(x, y) != White;
            ink += inked;
            right += inked && x > 182;
            ASSERT_EQ(Mirrored.At(x, y), Plain.At(x, y)) << x << ", " << y;
        }
    EXPECT_GT(ink, 50);
    EXPECT_EQ(right, 0) << "nothing right of the mirrored reference point";
}

// Where a drawing's ink lies: its bounding box, and the slope of its long
// axis (degrees, y downward), each pixel weighed by how dark it is.
struct TInk {
    int Left = 1 << 20, Top = 1 << 20, Right = -1, Bottom = -1;
    double Angle = 0;
};

TInk InkOf(const TPixelBuffer& px)
{
    TInk ink;
    double w = 0, sx = 0, sy = 0, sxx = 0, syy = 0, sxy = 0;
    for (int y = 0; y < px.Height; ++y)
        for (int x = 0; x < px.Width; ++x) {
            const uint32_t p = px.At(x, y);
            const double dark = 1 - ((p >> 16 & 0xFF) + (p >> 8 & 0xFF) + (p & 0xFF)) / 765.0;
            if (dark < 0.25)
                continue;
            ink.Left = std::min(ink.Left, x), ink.Right = std::max(ink.Right, x);
            ink.Top = std::min(ink.Top, y), ink.Bottom = std::max(ink.Bottom, y);
            w += dark, sx += dark * x, sy += dark * y;
            sxx += dark * x * x, syy += dark * y * y, sxy += dark * x * y;
        }
    if (w > 0) {
        const double cxx = sxx / w - sx * sx / w / w, cyy = syy / w - sy * sy / w / w,
                     cxy = sxy / w - sx * sy / w / w;
        ink.Angle = 0.5 * std::atan2(2 * cxy, cxx - cyy) * 180 / 3.14159265358979;
    }
    return ink;
}

TEST(MetafileMapping, RotatedTextInAMirroredLayoutIsTheMirrorImageOfItsUnmirroredDrawing)
{
    // A row of H (whose glyph is its own mirror image) at an escapement,
    // from a reference on its baseline, in either format: mirrored, its ink
    // lies where the unmirrored ink's mirror image does, at the mirrored slope.
    // (Old-format files also with y upward: an anisotropic window turned over.)
    const auto wmf = [](bool up) {
        return [up](int layout, int escapement, int y) {
            TWmfBuilder b(200, 200, 96, 2);
            b.Record(0x02FB, {-24, 0, escapement, escapement, 400, 0, 0, 0, 0}, "DejaVu Sans");
            b.Record(0x012D, {0}).Record(0x0102, {1}).Record(0x0149, {layout}).Record(0x012E, {24});
            if (up)
                b.Record(0x0103, {8})
                    .Record(0x020C, {-200, 200})
                    .Record(0x020E, {200, 200})
                    .Record(0x020B, {200, 0});
            return b.Record(0x0521, {8}, std::string("HHHHHHHH") + Word(up ? 200 - y : y) + Word(30)).Bytes();
        };
    };
    const auto emf = [](int layout, int escapement, int y) {
        TEmfBuilder b(200, 200);
        std::string font;
        for (int32_t v : {-24, 0, escapement, escapement, 400})
            metafilebuilder::Put32(font, static_cast<uint32_t>(v));
        font += std::string(8, '\0');
        for (char16_t c : std::u16string(u"DejaVu Sans"))
            metafilebuilder::Put16(font, c);
        font.resize(92, '\0');
        b.Record(82, {1}, font).Record(37, {1}).Record(18, {1}).Record(115, {layout}).Record(22, {24});
        std::string text;
        for (int i = 0; i < 8; ++i)
            metafilebuilder::Put16(text, 'H');
        // EXTTEXTOUTW: bounds, mode, scales, reference, count, offset, options, rectangle, no advances.
        return b.Record(84, {0, 0, 0, 0, 1, 0, 0, 30, y, 8, 76, 0, 0, 0, 0, 0, 0}, text).Bytes();
    };
    for (const auto& [name, file] :
         {std::pair<const char*, std::function<std::string(int, int, int)>>{"old format", wmf(false)},
          {"old format, y upward", wmf(true)},
          {"enhanced", emf}})
        for (const auto& [escapement, y] : {std::pair<int, int>{0, 150}, {300, 150}, {-450, 40}}) {
            SCOPED_TRACE(std::string(name) + " at " + std::to_string(escapement / 10) + " degrees");
            const TInk plain = InkOf(Shown(file(0, escapement, y), 200, 200));
            const TInk mirrored = InkOf(Shown(file(1, escapement, y), 200, 200));
            ASSERT_GT(plain.Right - plain.Left, 60) << "the text is drawn";
            EXPECT_NEAR(plain.Angle, -escapement / 10.0, 4) << "rising as its escapement says";
            EXPECT_NEAR(mirrored.Angle, -plain.Angle, 2);
            EXPECT_NEAR(mirrored.Left, 199 - plain.Right, 2);
            EXPECT_NEAR(mirrored.Right, 199 - plain.Left, 2);
            EXPECT_NEAR(mirrored.Top, plain.Top, 2);
            EXPECT_NEAR(mirrored.Bottom, plain.Bottom, 2);
        }
}

} // namespace
