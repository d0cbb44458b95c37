// Old-format metafile records beyond lines and plain shapes, each drawn
// headless and checked at the pixels it must and must not cover: arcs,
// chords, pies, rounded rectangles, wide pens' caps and joins, regions (filled, framed, inverted,
// painted, made the clip), hatched and pattern brushes, raster operations
// other than a copy (of pattern fills, of mixing modes and of bitmaps),
// rotated text, flood fills and device-dependent bitmaps. The same pictures
// drawn by LibreOffice agree with ours cell by cell (skipped without it).
#include <gtest/gtest.h>

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
#include "platform/graphics/png.h"
#include "tests/support/headlessbrowser.h"
#include "tests/support/metafilebuilder.h"
#include "tests/support/tempdir.h"

namespace {

using metafilebuilder::LoadMetafile;
using metafilebuilder::TWmfBuilder;
using metafilebuilder::Word;

constexpr int Side = 200;
constexpr uint32_t Red = 0xFFFF0000u, Green = 0xFF00FF00u, Blue = 0xFF0000FFu, Black = 0xFF000000u,
                   White = 0xFFFFFFFFu, Cyan = 0xFF00FFFFu, Yellow = 0xFFFFFF00u, None = White;

// Objects the pictures select: 0 a black pen, 1 a red brush, then their own.
TWmfBuilder Picture(int objects = 6)
{
    TWmfBuilder b(Side, Side, 96, objects);
    b.Record(0x020B, {0, 0}).Record(0x020C, {Side, Side});
    b.Record(0x02FA, {0, 1, 0, 0, 0}).Record(0x02FC, {0, 0x00FF, 0, 0});
    b.Record(0x012D, {0}).Record(0x012D, {1});
    return b;
}

// A COLORREF as two words.
std::vector<int> ColourWords(uint32_t rgb)
{
    return {int(((rgb >> 16) & 0xFF) | (rgb & 0xFF00)), int(rgb & 0xFF)};
}

std::vector<int> Concat(std::vector<int> a, const std::vector<int>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// A packed DIB of 24 bits a pixel.
std::string Dib(const TPixelBuffer& pixels)
{
    const graphicio::Bytes bytes = dib::EncodePacked(pixels, 24);
    return std::string(bytes.begin(), bytes.end());
}

// Rows x Cols squares of Size pixels, A and B in turn.
TPixelBuffer Checker(int size, int cells, uint32_t a, uint32_t b)
{
    TPixelBuffer px(size * cells, size * cells);
    for (int y = 0; y < px.Height; ++y)
        for (int x = 0; x < px.Width; ++x)
            px.At(x, y) = (x / size + y / size) % 2 ? b : a;
    return px;
}

struct TProbe {
    int X, Y;
    uint32_t Colour;
};

struct TPictureCase {
    const char* Name;
    std::string Bytes;
    std::vector<TProbe> Probes;
    bool LibreOffice; // LibreOffice draws it as the platform does
};

// Arcs, chords and pies of one quarter, and a rounded rectangle.
std::vector<TPictureCase> CurveCases()
{
    std::vector<TPictureCase> cases;
    // Box (20, 20) - (180, 180); from three o'clock counterclockwise to twelve.
    const std::vector<int> quarter{20, 100, 100, 180, 180, 180, 20, 20};
    {
        TWmfBuilder b = Picture();
        b.Record(0x02FA, {0, 6, 0, 0x00FF, 0}).Record(0x012D, {2}); // red pen 6 wide
        b.Record(0x0817, quarter);                                  // ARC
        cases.push_back(
            {"arc", b.Bytes(), {{157, 43, Red}, {43, 157, None}, {100, 100, None}, {100, 21, Red}}, true});
    }
    {
        TWmfBuilder b = Picture();
        b.Record(0x02FC, {0, 0, 0xFF, 0}).Record(0x012D, {2}); // blue brush
        b.Record(0x0830, quarter);                             // CHORD
        cases.push_back({"chord", b.Bytes(), {{160, 50, Blue}, {120, 80, None}, {60, 140, None}}, true});
    }
    {
        TWmfBuilder b = Picture();
        b.Record(0x081A, quarter); // PIE
        cases.push_back(
            {"pie", b.Bytes(), {{130, 70, Red}, {150, 95, Red}, {70, 130, None}, {70, 70, None}}, true});
    }
    {
        TWmfBuilder b = Picture();
        b.Record(0x061C, {80, 80, 180, 180, 20, 20}); // ROUNDRECT, corners of 80
        cases.push_back({"rounded rectangle",
                         b.Bytes(),
                         {{23, 23, None}, {100, 100, Red}, {22, 100, Red}, {100, 22, Red}},
                         true});
    }
    return cases;
}

// Regions filled, framed, painted, inverted and made the clip.
std::vector<TPictureCase> RegionCases()
{
    std::vector<TPictureCase> cases;
    {
        // A region of two squares touching at a corner, filled green and
        // framed black four units wide.
        TWmfBuilder b = Picture();
        b.Record(0x02FC, {0, 0xFF00, 0, 0});                             // 2: green brush
        b.Record(0x02FC, {0, 0, 0, 0});                                  // 3: black brush
        b.Record(0x06FF, Concat({0, 6, 0, 0, 0, 2, 0, 20, 20, 180, 180}, // region 4: header
                                {2, 20, 100, 20, 100, 2, 2, 100, 180, 100, 180, 2}));
        b.Record(0x0228, {4, 2});       // FILLREGION
        b.Record(0x0429, {4, 3, 4, 4}); // FRAMEREGION, 4 x 4
        // LibreOffice leaves region fills out.
        cases.push_back({"filled and framed region",
                         b.Bytes(),
                         {{60, 60, Green},
                          {140, 140, Green},
                          {140, 60, None},
                          {21, 60, Black},
                          {60, 22, Black},
                          {25, 60, Green}},
                         false});
    }
    {
        // The clip made a region, then a rectangle over everything.
        TWmfBuilder b = Picture();
        b.Record(0x06FF, Concat({0, 6, 0, 0, 0, 1, 0, 50, 50, 150, 150}, {2, 50, 150, 50, 150, 2}));
        b.Record(0x012C, {2});                                 // SELECTCLIPREGION
        b.Record(0x02FA, {5, 0, 0, 0, 0}).Record(0x012D, {3}); // no pen
        b.Record(0x041B, {Side, Side, 0, 0});
        // LibreOffice does not clip to a region.
        cases.push_back({"clip region",
                         b.Bytes(),
                         {{100, 100, Red}, {52, 148, Red}, {20, 20, None}, {160, 100, None}},
                         false});
    }
    {
        // Painted with the brush selected, inverted where it is.
        TWmfBuilder b = Picture();
        b.Record(0x06FF, Concat({0, 6, 0, 0, 0, 1, 0, 20, 20, 120, 120}, {2, 20, 120, 20, 120, 2}));
        b.Record(0x012B, {2}); // PAINTREGION (red)
        b.Record(0x06FF, Concat({0, 6, 0, 0, 0, 1, 0, 80, 80, 180, 180}, {2, 80, 180, 80, 180, 2}));
        b.Record(0x012A, {3}); // INVERTREGION
        cases.push_back({"painted and inverted regions",
                         b.Bytes(),
                         {{50, 50, Red}, {100, 100, Cyan}, {150, 150, Black}, {150, 50, White}},
                         false});
    }
    return cases;
}

// Pattern brushes, colour and monochrome, and flood fills.
std::vector<TPictureCase> FillCases()
{
    std::vector<TPictureCase> cases;
    {
        // A pattern brush of red and white squares of four pixels.
        TWmfBuilder b = Picture();
        b.Record(0x0142, {3, 0}, Dib(Checker(4, 2, 0xFFFF0000u, 0xFFFFFFFFu))); // DIBCREATEPATTERNBRUSH
        b.Record(0x012D, {2});
        b.Record(0x02FA, {5, 0, 0, 0, 0}).Record(0x012D, {3}); // no pen
        b.Record(0x041B, {180, 180, 20, 20});
        // LibreOffice fills a pattern brush with one colour.
        cases.push_back({"pattern brush",
                         b.Bytes(),
                         {{21, 21, Red}, {25, 21, White}, {25, 25, Red}, {10, 10, None}},
                         false});
    }
    {
        // A one-bit pattern of stripes: clear bits in the text colour
        // (blue), set ones in the background colour (yellow).
        std::string bits;
        for (int y = 0; y < 8; ++y) {
            bits += static_cast<char>(y < 4 ? 0x00 : 0xFF);
            bits += std::string(1, '\0');
        }
        TWmfBuilder b = Picture();
        b.Record(0x0209, ColourWords(0x0000FF)).Record(0x0201, ColourWords(0xFFFF00));
        b.Record(0x01F9, {0, 8, 8, 2, 0x0101, 0, 0}, std::string(18, '\0') + bits); // CREATEPATTERNBRUSH
        b.Record(0x012D, {2});
        b.Record(0x041B, {180, 180, 20, 20});
        cases.push_back({"monochrome pattern brush", b.Bytes(), {{30, 33, Blue}, {30, 37, Yellow}}, false});
    }
    {
        // A black outline filled from inside, by surface and by border.
        TWmfBuilder b = Picture();
        b.Record(0x02FC, {1, 0, 0, 0}).Record(0x012D, {2}); // no brush
        b.Record(0x041B, {180, 180, 20, 20});
        b.Record(0x02FC, {0, 0xFF00, 0, 0}).Record(0x012D, {3});
        b.Record(0x0548, Concat({1}, Concat(ColourWords(0xFFFFFF), {50, 50}))); // EXTFLOODFILL surface
        b.Record(0x02FC, {0, 0, 0xFF, 0}).Record(0x012D, {4});
        b.Record(0x0419, Concat(ColourWords(0), {10, 10})); // FLOODFILL to the black border
        cases.push_back(
            {"flood fills",
             b.Bytes(),
             {{50, 50, Green}, {178, 100, Green}, {10, 10, Blue}, {20, 100, Black}, {179, 100, Black}},
             false});
    }
    return cases;
}

// Wide pens with the end caps and joins their style gives: a blue line 16
// wide from (40, 160) to (160, 160) and up to (160, 40), probed beyond its
// start (a square cap's corner, the line's axis) and at its turn (the outer
// corner, the diagonal just past a bevel).
std::vector<TPictureCase> PenCases()
{
    std::vector<TPictureCase> cases;
    for (const auto& [Name, Style] : {std::pair{"flat caps, miter joins", 0x2200},
                                      {"square caps, bevel joins", 0x1100},
                                      {"round caps and joins", 0}}) {
        TWmfBuilder b = Picture();
        b.Record(0x02FA, {Style, 16, 0, 0, 0xFF}).Record(0x012D, {2});
        b.Record(0x0325, {3, 40, 160, 160, 160, 160, 40}); // POLYLINE
        const auto ink = [](bool on) { return on ? Blue : None; };
        const int Cap = Style & 0xF00, Join = Style & 0xF000;
        cases.push_back({Name,
                         b.Bytes(),
                         {{100, 160, Blue},
                          {34, 153, ink(Cap == 0x100)},
                          {36, 160, ink(Cap != 0x200)},
                          {167, 167, ink(Join == 0x2000)},
                          {165, 165, ink(Join != 0x1000)}},
                         true});
    }
    return cases;
}

// Raster operations other than a copy, of fills, of mixing modes and of
// bitmaps.
std::vector<TPictureCase> RasterOperationCases()
{
    std::vector<TPictureCase> cases;
    {
        // Over white: a red square, pattern fills that invert it and xor it
        // with a blue brush, and a rectangle xored with a green pen mode.
        TWmfBuilder b = Picture();
        b.Record(0x061D, {0x0062, 0x00FF, Side, Side, 0, 0});    // PATBLT WHITENESS
        b.Record(0x02FA, {5, 0, 0, 0, 0}).Record(0x012D, {2});   // no pen
        b.Record(0x041B, {100, 100, 0, 0});                      // red square
        b.Record(0x061D, {0x0009, 0x0055, 40, 200, 20, 0});      // DSTINVERT y 20..60
        b.Record(0x02FC, {0, 0, 0xFF, 0}).Record(0x012D, {3});   // blue brush
        b.Record(0x061D, {0x0049, 0x005A, 40, 200, 140, 0});     // PATINVERT y 140..180
        b.Record(0x02FC, {0, 0xFF00, 0, 0}).Record(0x012D, {4}); // green brush
        b.Record(0x0104, {7});                                   // R2_XORPEN
        b.Record(0x041B, {120, 200, 80, 0});                     // y 80..120
        cases.push_back({"raster operations of fills",
                         b.Bytes(),
                         {{50, 40, Cyan},
                          {150, 40, Black},
                          {50, 160, Yellow},
                          {150, 160, Yellow},
                          {50, 90, Yellow},
                          {150, 90, 0xFFFF00FFu},
                          {150, 190, White}},
                         false});
    }
    {
        // Bitmaps of red and green halves combined with a blue square over
        // white: and, or, xor, and the inverted source.
        TPixelBuffer halves(2, 1);
        halves.At(0, 0) = 0xFFFF0000u;
        halves.At(1, 0) = 0xFF00FF00u;
        const std::string dib = Dib(halves);
        TWmfBuilder b = Picture();
        b.Record(0x061D, {0x0062, 0x00FF, Side, Side, 0, 0});  // WHITENESS
        b.Record(0x02FC, {0, 0, 0xFF, 0}).Record(0x012D, {2}); // blue brush
        b.Record(0x02FA, {5, 0, 0, 0, 0}).Record(0x012D, {3}); // no pen
        b.Record(0x041B, {Side, Side, 0, 100});                // the right half blue
        const int rops[][2] = {{0x00C6, 0x0088}, {0x0086, 0x00EE}, {0x0046, 0x0066}, {0x0008, 0x0033}};
        for (int i = 0; i < 4; ++i) // DIBSTRETCHBLT: rop, source h, w, y, x, destination h, w, y, x
            b.Record(0x0B41, {rops[i][0], rops[i][1], 1, 2, 0, 0, 40, Side, 10 + 50 * i, 0}, dib);
        cases.push_back({"raster operations of bitmaps",
                         b.Bytes(),
                         {{50, 30, Red},
                          {150, 30, Black},
                          {50, 80, White},
                          {150, 80, Cyan},
                          {50, 130, Cyan},
                          {150, 130, Cyan},
                          {50, 180, Cyan},
                          {150, 180, 0xFFFF00FFu},
                          {150, 5, Blue}},
                         false});
    }
    return cases;
}

// Rotated text.
std::vector<TPictureCase> TextCases()
{
    std::vector<TPictureCase> cases;
    {
        // Text turned a quarter counterclockwise runs upward from its reference.
        TWmfBuilder b = Picture();
        b.Record(0x02FB, {uint16_t(-40), 0, 900, 900, 700, 0, 0, 0}, "Arial");
        b.Record(0x012D, {2});
        b.Record(0x0102, {1});
        b.Record(0x012E, {24}); // TA_BASELINE
        b.Record(0x0A32, {170, 100, 5, 0}, "HELLO");
        cases.push_back({"rotated text", b.Bytes(), {{130, 160, None}, {100, 190, None}}, true});
    }
    return cases;
}

// Device-dependent bitmaps, and a bitmap whose table indexes the palette.
std::vector<TPictureCase> BitmapCases()
{
    std::vector<TPictureCase> cases;
    {
        // A one-bit device bitmap of 16 x 2: clear bits in the text
        // colour (red), set ones in the background colour (blue).
        TWmfBuilder b = Picture();
        b.Record(0x0209, ColourWords(0xFF0000)).Record(0x0201, ColourWords(0x0000FF));
        const std::string bits = std::string("\x00\xFF", 2) + std::string("\x00\xFF", 2);
        // BITBLT: rop, source y and x, height, width, destination y and x,
        // then the bitmap: type, width, height, bytes a row, planes and bits.
        b.Record(0x0922, {0x0020, 0x00CC, 0, 0, 2, 16, 0, 0, 0, 16, 2, 2, 0x0101, 0, 0}, bits);
        // SETDIBTODEV of a 2 x 1 bitmap at (100, 100).
        TPixelBuffer halves(2, 1);
        halves.At(0, 0) = 0xFF00FF00u;
        halves.At(1, 0) = 0xFFFFFF00u;
        b.Record(0x0D33, {0, 1, 0, 0, 0, 1, 2, 100, 100}, Dib(halves));
        cases.push_back({"device bitmaps",
                         b.Bytes(),
                         {{3, 0, Red}, {12, 1, Blue}, {100, 100, Green}, {101, 100, Yellow}},
                         false});
    }
    {
        // A bitmap of two pixels whose table indexes the palette selected:
        // entry 1 (blue) on the left, entry 0 (green) on the right.
        std::string palette;
        for (uint32_t rgb : {0x00FF00u, 0x0000FFu}) {
            palette += static_cast<char>(rgb >> 16);
            palette += static_cast<char>(rgb >> 8);
            palette += static_cast<char>(rgb);
            palette += '\0';
        }
        TWmfBuilder b = Picture();
        b.Record(0x00F7, {0x300, 2}, palette); // CREATEPALETTE: 2
        b.Record(0x0234, {2});                 // SELECTPALETTE
        // A header of 1 bit a pixel and 2 colours, a table of two indexes,
        // one row: the bits 01.
        std::string dib;
        for (uint32_t v : {40u, 2u, 1u})
            metafilebuilder::Put32(dib, v);
        metafilebuilder::Put16(dib, 1);
        metafilebuilder::Put16(dib, 1);
        for (uint32_t v : {0u, 4u, 0u, 0u, 2u, 0u})
            metafilebuilder::Put32(dib, v);
        metafilebuilder::Put16(dib, 1);
        metafilebuilder::Put16(dib, 0);
        dib += std::string("\x40\0\0\0", 4);
        // STRETCHDIB: rop, colour use (palette), source h, w, y, x, destination h, w, y, x.
        b.Record(0x0F43, {0x0020, 0x00CC, 1, 1, 2, 0, 0, 100, 200, 0, 0}, dib);
        cases.push_back({"palette-indexed bitmap", b.Bytes(), {{50, 50, Blue}, {150, 50, Green}}, false});
    }
    return cases;
}

// Every case, its groups one after the other.
std::vector<TPictureCase> Cases()
{
    std::vector<TPictureCase> cases;
    for (const auto group :
         {CurveCases, PenCases, RegionCases, FillCases, RasterOperationCases, TextCases, BitmapCases})
        for (TPictureCase& c : group())
            cases.push_back(std::move(c));
    return cases;
}

// The picture shown at its own size on a white bitmap.
TPixelBuffer Shown(const std::string& bytes)
{
    return metafilebuilder::ShownMetafile(*LoadMetafile(bytes), Side, Side);
}

bool Dark(uint32_t p)
{
    return ((p >> 16 & 0xFF) + (p >> 8 & 0xFF) + (p & 0xFF)) / 3 < 128;
}

// Channels within Tolerance of each other (alpha too).
bool Near(uint32_t a, uint32_t b, int tolerance = 40)
{
    for (int shift = 0; shift < 32; shift += 8)
        if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > tolerance)
            return false;
    return true;
}

// Premultiplied pixels over white.
uint32_t OverWhite(uint32_t p)
{
    const uint32_t a = p >> 24;
    uint32_t out = 0xFF000000u;
    for (int shift : {0, 8, 16})
        out |= std::min<uint32_t>(255, ((p >> shift) & 0xFF) + 255 - a) << shift;
    return out;
}

} // namespace

TEST(MetafileRecords, EachRecordCoversThePixelsItMust)
{
    for (const TPictureCase& c : Cases()) {
        SCOPED_TRACE(c.Name);
        const TPixelBuffer Px = Shown(c.Bytes);
        for (const TProbe& p : c.Probes)
            EXPECT_TRUE(Near(Px.At(p.X, p.Y), p.Colour)) << "at (" << p.X << ", " << p.Y << "): " << std::hex
                                                         << Px.At(p.X, p.Y) << " for " << p.Colour;
    }
}

TEST(MetafileRecords, RotatedTextRunsAlongItsEscapement)
{
    for (int Escapement : {0, 900, 450}) {
        SCOPED_TRACE(Escapement);
        TWmfBuilder b = Picture();
        b.Record(0x02FB, {uint16_t(-30), 0, Escapement, Escapement, 400, 0, 0, 0}, "Arial");
        b.Record(0x012D, {2}).Record(0x0102, {1}).Record(0x012E, {24});
        b.Record(0x0A32, {150, 50, 8, 0}, "IIIIIIII");
        const TPixelBuffer Px = Shown(b.Bytes());
        int Left = Side, Right = 0, Top = Side, Bottom = 0;
        for (int y = 0; y < Side; ++y)
            for (int x = 0; x < Side; ++x)
                if (Dark(Px.At(x, y))) {
                    Left = std::min(Left, x), Right = std::max(Right, x);
                    Top = std::min(Top, y), Bottom = std::max(Bottom, y);
                }
        ASSERT_LE(Left, Right);
        const int Width = Right - Left, Height = Bottom - Top;
        if (Escapement == 0) {
            EXPECT_GT(Width, 2 * Height);
            EXPECT_LT(Bottom, 152) << "standing on its baseline";
        } else if (Escapement == 900) {
            EXPECT_GT(Height, 2 * Width);
            EXPECT_LT(Right, 52) << "rising from its reference";
            EXPECT_LT(Bottom, 152);
        } else {
            EXPECT_NEAR(Width, Height, Width / 4);
            EXPECT_LT(Top, 150 - Height / 2) << "rising to the right";
            EXPECT_GT(Right, 50 + Width / 2);
        }
    }
}

// Character extra and justification widen text; a bitmap enlarged keeps its
// pixels sharp unless stretched in HALFTONE mode.
TEST(MetafileRecords, TextSpacingAndStretchingModesAreFollowed)
{
    const auto InkWidth = [](const TPixelBuffer& Px) {
        int Left = Side, Right = -1;
        for (int y = 0; y < Side; ++y)
            for (int x = 0; x < Side; ++x)
                if (Dark(Px.At(x, y)))
                    Left = std::min(Left, x), Right = std::max(Right, x);
        return Right - Left;
    };
    int Widths[3];
    for (int Mode = 0; Mode < 3; ++Mode) {
        TWmfBuilder b = Picture();
        b.Record(0x02FB, {uint16_t(-20), 0, 0, 0, 400, 0, 0, 0}, "Arial").Record(0x012D, {2});
        b.Record(0x0102, {1}); // transparent background
        if (Mode == 1)
            b.Record(0x0108, {10}); // SETTEXTCHAREXTRA
        if (Mode == 2)
            b.Record(0x020A, {2, 60}); // SETTEXTJUSTIFICATION: 60 over two breaks
        b.Record(0x0521, {5}, "I I I" + std::string(1, '\0') + Word(100) + Word(10));
        Widths[Mode] = InkWidth(Shown(b.Bytes()));
    }
    EXPECT_NEAR(Widths[1] - Widths[0], 40, 3) << "ten after each of the four characters before the last";
    EXPECT_NEAR(Widths[2] - Widths[0], 60, 3) << "thirty after each space";

    TPixelBuffer Halves(2, 1);
    Halves.At(0, 0) = 0xFFFF0000u;
    Halves.At(1, 0) = 0xFF0000FFu;
    for (bool Halftone : {false, true}) {
        SCOPED_TRACE(Halftone);
        TWmfBuilder b = Picture();
        if (Halftone)
            b.Record(0x0107, {4});
        b.Record(0x0B41, {0x0020, 0x00CC, 1, 2, 0, 0, 20, 200, 0, 0}, Dib(Halves));
        const TPixelBuffer Px = Shown(b.Bytes());
        EXPECT_EQ(Px.At(99, 10), Halftone ? Px.At(99, 10) : Red);
        EXPECT_EQ(Px.At(100, 10), Halftone ? Px.At(100, 10) : Blue);
        EXPECT_EQ(Halftone, !Near(Px.At(99, 10), Red, 8)) << "blended towards its neighbour";
    }
}

// A hatched brush draws its lines in the brush's colour, one row or column
// of eight, leaving the rest to what lies under them.
TEST(MetafileRecords, AHatchedBrushDrawsLinesOfItsColour)
{
    for (int Hatch : {0, 1, 4}) {
        SCOPED_TRACE(Hatch);
        TWmfBuilder b = Picture();
        b.Record(0x02FC, {2, 0, 0xFF, Hatch}).Record(0x012D, {2}); // blue hatch
        b.Record(0x0102, {1});                                     // transparent background
        b.Record(0x041B, {180, 180, 20, 20});
        const TPixelBuffer Px = Shown(b.Bytes());
        int BlueCount = 0, Empty = 0, Rows = 0, Columns = 0;
        for (int y = 40; y < 72; ++y) {
            int InRow = 0;
            for (int x = 40; x < 72; ++x) {
                BlueCount += Px.At(x, y) == Blue;
                Empty += Px.At(x, y) == None;
                InRow += Px.At(x, y) == Blue;
            }
            Rows += InRow == 32;
        }
        for (int x = 40; x < 72; ++x) {
            int InColumn = 0;
            for (int y = 40; y < 72; ++y)
                InColumn += Px.At(x, y) == Blue;
            Columns += InColumn == 32;
        }
        EXPECT_EQ(BlueCount + Empty, 32 * 32) << "nothing but the lines is drawn";
        EXPECT_EQ(Rows, Hatch == 1 ? 0 : 4) << "full rows of the hatch";
        EXPECT_EQ(Columns, Hatch == 0 ? 0 : 4) << "full columns of the hatch";
    }
}

// The pictures LibreOffice draws as the platform does, drawn by it and by us:
// cut to what they cover, their colours agree cell by cell.
TEST(MetafileRecords, LibreOfficeDrawsThemAsWeDo)
{
    if (!LibreOfficeAvailable())
        GTEST_SKIP() << "LibreOffice is not installed";
    TempDir Dir;
    std::vector<TPictureCase> Compared;
    std::vector<std::string> Files;
    for (const TPictureCase& c : Cases())
        if (c.LibreOffice) {
            Files.push_back("p" + std::to_string(Compared.size()) + ".wmf");
            Dir.Write(Files.back(), c.Bytes);
            Compared.push_back(c);
        }
    const std::string Out = Dir.Path() + "/png";
    if (!LibreOfficeConvert(Dir.Path(), "png", Out, Files))
        GTEST_SKIP() << "LibreOffice cannot convert metafiles here";
    for (size_t i = 0; i < Compared.size(); ++i) {
        SCOPED_TRACE(Compared[i].Name);
        TPNGImage Png;
        ASSERT_NO_THROW(Png.LoadFromFile(Out + "/p" + std::to_string(i) + ".png"));
        const TPinnedPixels TheirsPin = Png.Pixels();
        const TPixelBuffer& Theirs = *TheirsPin;
        const TPixelBuffer Ours = Shown(Compared[i].Bytes);
        const auto Covered = [](const TPixelBuffer& px) {
            TRect box{px.Width, px.Height, 0, 0};
            for (int y = 0; y < px.Height; ++y)
                for (int x = 0; x < px.Width; ++x)
                    if ((OverWhite(px.At(x, y)) & 0xFFFFFF) < 0xF0F0F0 ||
                        !Near(OverWhite(px.At(x, y)), White, 15)) {
                        box.Left = std::min(box.Left, x), box.Top = std::min(box.Top, y);
                        box.Right = std::max(box.Right, x + 1), box.Bottom = std::max(box.Bottom, y + 1);
                    }
            return box;
        };
        const TRect A = Covered(Ours), B = Covered(Theirs);
        if (A.IsEmpty() || B.IsEmpty()) {
            ADD_FAILURE() << "a drawing is empty";
            continue;
        }
        EXPECT_NEAR(A.Width(), B.Width(), 4);
        EXPECT_NEAR(A.Height(), B.Height(), 4);
        // Mean colours of 10 x 10 cells of the covered boxes.
        constexpr int Cells = 10;
        const auto Mean = [&](const TPixelBuffer& px, const TRect& box, int cx, int cy) {
            const int x0 = box.Left + box.Width() * cx / Cells,
                      x1 = box.Left + box.Width() * (cx + 1) / Cells;
            const int y0 = box.Top + box.Height() * cy / Cells,
                      y1 = box.Top + box.Height() * (cy + 1) / Cells;
            int64_t sum[3] = {0, 0, 0}, n = 0;
            for (int y = y0; y < std::max(y1, y0 + 1); ++y)
                for (int x = x0; x < std::max(x1, x0 + 1); ++x, ++n)
                    for (int ch = 0; ch < 3; ++ch)
                        sum[ch] += (OverWhite(px.At(x, y)) >> (8 * ch)) & 0xFF;
            return 0xFF000000u | uint32_t(sum[2] / n) << 16 | uint32_t(sum[1] / n) << 8 |
                   uint32_t(sum[0] / n);
        };
        int Differ = 0;
        for (int cy = 0; cy < Cells; ++cy)
            for (int cx = 0; cx < Cells; ++cx)
                Differ += !Near(Mean(Ours, A, cx, cy), Mean(Theirs, B, cx, cy), 70);
        EXPECT_LE(Differ, Cells * Cells / 10) << Differ << " cells differ";
    }
}
