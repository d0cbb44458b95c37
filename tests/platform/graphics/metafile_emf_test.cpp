// Enhanced metafiles played: the frame mapped onto the picture through the
// reference device, mapping modes, window and viewport, world transforms,
// saved states, pens (extended ones too; plain ones' caps and joins), brushes, fonts, polygons and
// polylines of both point sizes, beziers, paths filled, outlined and made
// the clip, shapes and arcs, text with its advances, bitmaps, clipping by
// rectangles and regions, text given as glyph numbers of the font the file
// names (an old-format file's too), comments of the extended format skipped; EMFs
// that LibreOffice writes look as LibreOffice draws them (skipped without
// it); damaged records stop the playing without harm.
#include <gtest/gtest.h>

#include <QFont>
#include <QRawFont>

#include <cmath>
#include <cstdlib>
#include <cstring>
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
#include "platform/graphics/qtsupport.h"
#include "tests/support/headlessbrowser.h"
#include "tests/support/metafilebuilder.h"
#include "tests/support/picturecompare.h"
#include "tests/support/tempdir.h"

namespace {

using metafilebuilder::LoadMetafile;
using metafilebuilder::TEmfBuilder;

constexpr int Side = 200;
constexpr uint32_t Red = 0xFFFF0000u, Green = 0xFF00FF00u, Blue = 0xFF0000FFu, Black = 0xFF000000u,
                   White = 0xFFFFFFFFu;

// The picture shown at Width x Height on a white bitmap.
TPixelBuffer Shown(const std::string& bytes, int width = Side, int height = Side)
{
    return metafilebuilder::ShownMetafile(*LoadMetafile(bytes), width, height);
}

bool Near(uint32_t a, uint32_t b, int tolerance = 40)
{
    return picturecompare::Near(a, b, tolerance);
}

// A frame of Side x Side pixels with a black pen (1) and a red brush (2) selected.
TEmfBuilder Picture()
{
    TEmfBuilder b(Side, Side);
    b.Record(38, {1, 0, 1, 0, 0});     // CREATEPEN: solid, 1 wide, black
    b.Record(39, {2, 0, 0x0000FF, 0}); // CREATEBRUSHINDIRECT: solid red
    b.Record(37, {1}).Record(37, {2}); // SELECTOBJECT
    return b;
}

std::string Points16(const std::vector<int>& xy)
{
    std::string out;
    for (int v : xy)
        metafilebuilder::Put16(out, static_cast<uint16_t>(v));
    return out;
}

struct TProbe {
    int X, Y;
    uint32_t Colour;
};

void ExpectProbes(const TPixelBuffer& px, const std::vector<TProbe>& probes)
{
    for (const TProbe& p : probes)
        EXPECT_TRUE(Near(px.At(p.X, p.Y), p.Colour))
            << "at (" << p.X << ", " << p.Y << "): " << std::hex << px.At(p.X, p.Y) << " for " << p.Colour;
}

} // namespace

TEST(EnhancedMetafile, ShapesMapFromTheFrameOntoThePicture)
{
    TEmfBuilder b = Picture();
    b.Record(43, {20, 20, 100, 100});                                     // RECTANGLE
    b.Record(42, {100, 100, 180, 180});                                   // ELLIPSE
    b.Record(86, {0, 0, 0, 0, 3}, Points16({100, 20, 180, 20, 180, 80})); // POLYGON16
    const std::string bytes = b.Bytes();
    auto Metafile = LoadMetafile(bytes);
    ASSERT_TRUE(Metafile->Enhanced());
    EXPECT_EQ(Metafile->Width(), Side);
    // Shown at twice its size, every shape twice as large.
    const TPixelBuffer Px = Shown(bytes, 2 * Side, 2 * Side);
    ExpectProbes(Px, {{120, 120, Red},
                      {40, 100, Black},
                      {280, 280, Red},
                      {210, 390, White},
                      {340, 60, Red},
                      {220, 140, White}});
}

TEST(EnhancedMetafile, MappingModesWindowsViewportsAndWorldTransforms)
{
    struct TCase {
        const char* Name;
        std::function<void(TEmfBuilder&)> Setup;
        std::vector<int32_t> Box; // a rectangle in logical units
    };
    // Each case puts the rectangle on (50, 50) - (150, 150) of the picture.
    const TCase Cases[] = {
        {"text mode", [](TEmfBuilder&) {}, {50, 50, 150, 150}},
        {"window and viewport",
         [](TEmfBuilder& b) {
             b.Record(17, {8});          // SETMAPMODE anisotropic
             b.Record(10, {1000, 1000}); // SETWINDOWORGEX
             b.Record(9, {2000, 2000});  // SETWINDOWEXTEX
             b.Record(12, {0, 0});       // SETVIEWPORTORGEX
             b.Record(11, {Side, Side}); // SETVIEWPORTEXTEX
         },
         {1500, 1500, 2500, 2500}},
        {"metric mode (0.01 mm, y upward)",
         [](TEmfBuilder& b) {
             b.Record(17, {3}); // MM_HIMETRIC
             b.Record(10, {0, 0});
         },
         {1323, -1323, 3969, -3969}},
        {"world transform",
         [](TEmfBuilder& b) {
             // Scale by 2 and move by (50, 50): x' = 2x + 50.
             std::string xform;
             for (float f : {2.0f, 0.0f, 0.0f, 2.0f, 50.0f, 50.0f}) {
                 uint32_t bits;
                 std::memcpy(&bits, &f, 4);
                 metafilebuilder::Put32(xform, bits);
             }
             b.Record(35, {}, xform); // SETWORLDTRANSFORM
         },
         {0, 0, 50, 50}},
        {"saved and restored",
         [](TEmfBuilder& b) {
             b.Record(33, {}); // SAVEDC
             b.Record(17, {8});
             b.Record(9, {1, 1});
             b.Record(11, {1000, 1000});
             b.Record(34, {-1}); // RESTOREDC
         },
         {50, 50, 150, 150}},
    };
    for (const TCase& c : Cases) {
        SCOPED_TRACE(c.Name);
        TEmfBuilder b = Picture();
        c.Setup(b);
        b.Record(38, {3, 5, 0, 0, 0}).Record(37, {3}); // no pen
        b.Record(43, c.Box);
        const TPixelBuffer Px = Shown(b.Bytes());
        ExpectProbes(Px, {{51, 51, Red},
                          {148, 148, Red},
                          {100, 100, Red},
                          {47, 100, White},
                          {152, 100, White},
                          {100, 47, White},
                          {100, 153, White}});
    }
}

TEST(EnhancedMetafile, PathsAreFilledOutlinedAndClipped)
{
    TEmfBuilder b = Picture();
    // A closed figure of a line and a bezier, filled red with a green
    // outline 6 wide.
    b.Record(95, {4, 0, 0, 0, 0, 0x12200, 6, 0, 0x00FF00, 0, 0}); // EXTCREATEPEN geometric, flat, miter
    b.Record(37, {4});
    b.Record(59, {});                                                       // BEGINPATH
    b.Record(27, {20, 100});                                                // MOVETOEX
    b.Record(54, {100, 20});                                                // LINETO
    b.Record(88, {0, 0, 0, 0, 3}, Points16({150, 60, 150, 140, 100, 180})); // POLYBEZIERTO16
    b.Record(61, {});                                                       // CLOSEFIGURE
    b.Record(60, {});                                                       // ENDPATH
    b.Record(63, {0, 0, 0, 0});                                             // STROKEANDFILLPATH
    // A path made the clip: only the square's left half keeps a blue fill.
    b.Record(39, {5, 0, 0xFF0000, 0}).Record(37, {5});
    b.Record(38, {6, 5, 0, 0, 0}).Record(37, {6});
    b.Record(59, {});
    b.Record(43, {0, 150, 100, 200});
    b.Record(60, {});
    b.Record(67, {5}); // SELECTCLIPPATH copy
    b.Record(43, {0, 150, 200, 200});
    const TPixelBuffer Px = Shown(b.Bytes());
    ExpectProbes(Px, {{80, 100, Red},
                      {60, 60, Green},
                      {30, 30, White},
                      {137, 100, Green},
                      {146, 100, White},
                      {50, 175, Blue},
                      {150, 175, White}});
}

// A plain pen keeps the end caps and joins its style gives (as gnuplot sets
// flat caps and miter joins on every pen), and a miter longer than the miter
// limit (10) times the pen's width, measured from the inner corner to the
// tip, becomes a bevel, outlined and widened alike: a V 10 wide, its tip at
// (100, 100), its arms ending flat 90 down and spread 11 (a miter 8.2 times
// the width, 41 above the tip) or 6 (15 times).
TEST(EnhancedMetafile, PlainPensKeepTheirCapsAndJoinsAndALongMiterBecomesABevel)
{
    for (bool Widened : {false, true})
        for (int Spread : {11, 6}) {
            SCOPED_TRACE(testing::Message() << (Widened ? "widened" : "outlined") << ", spread " << Spread);
            TEmfBuilder b = Picture();
            b.Record(38, {4, 0x2200, 10, 0, 0xFF0000}).Record(37, {4}); // CREATEPEN: blue, flat, miter
            const std::string V = Points16({100 - Spread, 190, 100, 100, 100 + Spread, 190});
            if (Widened) { // POLYLINE16 in a path, winding WIDENPATH, FILLPATH
                b.Record(59, {}).Record(87, {0, 0, 0, 0, 3}, V).Record(60, {});
                b.Record(19, {2}).Record(66, {}).Record(62, {0, 0, 0, 0});
            } else {
                b.Record(87, {0, 0, 0, 0, 3}, V);
            }
            const uint32_t Ink = Widened ? Red : Blue;
            ExpectProbes(
                Shown(b.Bytes()),
                {{100, 105, Ink}, {100, 70, Spread == 11 ? Ink : White}, {100 - Spread, 194, White}});
        }
}

TEST(EnhancedMetafile, ClippingByRectanglesAndRegions)
{
    TEmfBuilder b = Picture();
    b.Record(30, {20, 20, 180, 180}); // INTERSECTCLIPRECT
    b.Record(29, {80, 80, 120, 120}); // EXCLUDECLIPRECT
    b.Record(43, {0, 0, 100, 200});
    // A region of two rectangles in the device's units, made the clip.
    std::string region;
    for (int32_t v : {32, 1, 2, 32, 100, 0, 200, 200, 100, 0, 150, 50, 150, 150, 200, 200})
        metafilebuilder::Put32(region, static_cast<uint32_t>(v));
    b.Record(75, {64, 5}, region); // EXTSELECTCLIPRGN copy
    b.Record(39, {3, 0, 0xFF0000, 0}).Record(37, {3});
    b.Record(43, {100, 0, 200, 200});
    const TPixelBuffer Px = Shown(b.Bytes());
    ExpectProbes(Px, {{10, 10, White},
                      {30, 30, Red},
                      {90, 100, White},
                      {60, 100, Red},
                      {120, 25, Blue},
                      {120, 100, White},
                      {175, 175, Blue},
                      {125, 175, White}});
}

TEST(EnhancedMetafile, TextIsPlacedByItsAdvancesAndAlignment)
{
    // "HI" in a bold 40-pixel font at (100, 100), centred on its baseline,
    // its characters 60 apart; then a second text turned a quarter round.
    TEmfBuilder b = Picture();
    std::string font;
    for (int32_t v : {-40, 0, 0, 0, 700})
        metafilebuilder::Put32(font, static_cast<uint32_t>(v));
    font += std::string(8, '\0');
    for (char16_t c : std::u16string(u"Arial"))
        metafilebuilder::Put16(font, c);
    font.resize(92, '\0');
    b.Record(82, {3}, font); // EXTCREATEFONTINDIRECTW
    b.Record(37, {3});
    b.Record(22, {6 | 24});   // SETTEXTALIGN centre, baseline
    b.Record(24, {0xFF0000}); // SETTEXTCOLOR blue
    b.Record(18, {1});        // SETBKMODE transparent
    // EXTTEXTOUTW: bounds, mode, scales, reference, count, offsets, options,
    // rectangle, advances offset; then the text and its advances.
    const int32_t offString = 76, offDx = 80;
    std::string text;
    metafilebuilder::Put16(text, 'H');
    metafilebuilder::Put16(text, 'I');
    metafilebuilder::Put32(text, 60);
    metafilebuilder::Put32(text, 60);
    b.Record(84, {0, 0, 0, 0, 1, 0, 0, 100, 100, 2, offString, 0, 0, 0, 0, 0, offDx}, text);
    const TPixelBuffer Px = Shown(b.Bytes());
    int Left = Side, Right = 0, Top = Side, Bottom = 0;
    for (int y = 0; y < Side; ++y)
        for (int x = 0; x < Side; ++x)
            if (Near(Px.At(x, y), Blue, 90)) {
                Left = std::min(Left, x), Right = std::max(Right, x);
                Top = std::min(Top, y), Bottom = std::max(Bottom, y);
            }
    // The two letters 60 apart, centred on 100: H from 40, I from 100.
    EXPECT_NEAR(Left, 43, 5);
    EXPECT_NEAR(Right, 112, 6);
    EXPECT_NEAR(Bottom, 100, 2) << "on the baseline";
    EXPECT_NEAR(Top, 71, 4);
    EXPECT_TRUE(Near(Px.At(85, 90), White)) << "nothing between the letters";
}

// The glyph numbers of "HI" in DejaVu Sans at 40 pixels, and H's own advance;
// none when that face is not installed.
struct TGlyphsHI {
    QList<quint32> Glyphs;
    int HWidth = 0;
};
TGlyphsHI GlyphsHI()
{
    EnsureQtApplication();
    const QString installed = "DejaVu Sans";
    QFont probe(installed);
    probe.setPixelSize(40);
    const QRawFont face = QRawFont::fromFont(probe);
    if (face.familyName() != installed)
        return {};
    TGlyphsHI hi{face.glyphIndexesForString("HI"), 0};
    if (hi.Glyphs.size() == 2)
        hi.HWidth = static_cast<int>(face.advancesForGlyphIndexes(hi.Glyphs)[0].x());
    return hi;
}

// A picture of "HI" in blue from (40, 100) on the baseline: no ink when
// IAt is 0, else H from the reference and I from IAt.
void ExpectHI(const TPixelBuffer& Px, int iAt)
{
    int Left = Side, Right = 0, ink = 0;
    for (int y = 0; y < Side; ++y)
        for (int x = 0; x < Side; ++x)
            if (Near(Px.At(x, y), Blue, 90)) {
                ++ink;
                Left = std::min(Left, x), Right = std::max(Right, x);
            }
    if (iAt == 0) {
        EXPECT_EQ(ink, 0);
        return;
    }
    EXPECT_GT(ink, 100);
    EXPECT_NEAR(Left, 43, 4) << "H from the reference";
    EXPECT_NEAR(Right, iAt + 8, 5);
    EXPECT_TRUE(Near(Px.At(iAt + 1, 85), White)) << "nothing between the letters";
}

// Text given as glyph numbers ("HI" in the face the file names): drawn in
// that face when it is installed under its name, at the record's advances or
// the face's own; a face that stands in for one not installed has other
// numbers, and nothing is drawn.
TEST(EnhancedMetafile, GlyphNumbersAreDrawnOnlyInTheFaceTheFileNames)
{
    const TGlyphsHI hi = GlyphsHI();
    if (hi.Glyphs.size() != 2)
        GTEST_SKIP() << "DejaVu Sans is not installed";
    struct Case {
        const char16_t* Face;
        bool Advances;
        bool Ink;
    };
    for (const Case& c : {Case{u"DejaVu Sans", true, true}, Case{u"dejavu sans", false, true},
                          Case{u"Arial", true, false}, Case{u"", true, false}}) {
        SCOPED_TRACE(std::string(c.Face, c.Face + std::char_traits<char16_t>::length(c.Face)));
        TEmfBuilder b = Picture();
        std::string font;
        for (int32_t v : {-40, 0, 0, 0, 400})
            metafilebuilder::Put32(font, static_cast<uint32_t>(v));
        font += std::string(8, '\0');
        for (const char16_t* p = c.Face; *p; ++p)
            metafilebuilder::Put16(font, *p);
        font.resize(92, '\0');
        b.Record(82, {3}, font).Record(37, {3});
        b.Record(24, {0xFF0000}).Record(18, {1}); // blue text, transparent
        std::string text;
        for (quint32 g : hi.Glyphs)
            metafilebuilder::Put16(text, static_cast<uint16_t>(g));
        metafilebuilder::Put32(text, 60);
        metafilebuilder::Put32(text, 60);
        // EXTTEXTOUTW with ETO_GLYPH_INDEX, from (40, 100) on the baseline.
        b.Record(22, {24});
        b.Record(84, {0, 0, 0, 0, 1, 0, 0, 40, 100, 2, 76, 0x10, 0, 0, 0, 0, c.Advances ? 80 : 0}, text);
        ExpectHI(Shown(b.Bytes()), !c.Ink ? 0 : 40 + (c.Advances ? 60 : hi.HWidth));
    }
}

// An old-format file's glyph numbers take two bytes each of its string, and
// its advances are one a byte (a glyph's two added up) or one a glyph: drawn
// as the enhanced format draws them, only in the face the file names.
TEST(EnhancedMetafile, OldFormatGlyphNumbersAreDrawnAsTheEnhancedFormatDrawsThem)
{
    const TGlyphsHI hi = GlyphsHI();
    if (hi.Glyphs.size() != 2)
        GTEST_SKIP() << "DejaVu Sans is not installed";
    using metafilebuilder::Word;
    struct Case {
        const char* Face;
        std::string Advances;
        int IAt;
    };
    const Case cases[] = {
        {"DejaVu Sans", Word(45) + Word(15) + Word(60) + Word(0), 100},
        {"dejavu sans", Word(60) + Word(60), 100},
        {"DejaVu Sans", "", 40 + hi.HWidth},
        {"No Such Face Installed", Word(60) + Word(60), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.Face) + ", " + std::to_string(c.Advances.size() / 2) + " advances");
        metafilebuilder::TWmfBuilder b(Side, Side, 96, 2);
        b.Record(0x02FB, {-40, 0, 0, 0, 400, 0, 0, 0, 0}, c.Face).Record(0x012D, {0}); // CREATEFONTINDIRECT
        b.Record(0x0209, {0, 0xFF}).Record(0x0102, {1}).Record(0x012E, {24}); // blue, transparent, baseline
        // EXTTEXTOUT with ETO_GLYPH_INDEX at (40, 100): four bytes of string.
        b.Record(0x0A32, {100, 40, 4, 0x10}, Word(int(hi.Glyphs[0])) + Word(int(hi.Glyphs[1])) + c.Advances);
        ExpectHI(Shown(b.Bytes()), c.IAt);
    }
}

TEST(EnhancedMetafile, BitmapsAndCommentsAndDamagedRecords)
{
    TPixelBuffer Halves(2, 1);
    Halves.At(0, 0) = 0xFF00FF00u;
    Halves.At(1, 0) = 0xFF0000FFu;
    const graphicio::Bytes Dib = dib::EncodePacked(Halves, 24);
    const std::string Header(Dib.begin(), Dib.begin() + 40), Bits(Dib.begin() + 40, Dib.end());
    TEmfBuilder b = Picture();
    // A comment of the extended format: skipped.
    b.Record(70, {16, 0x2B464D45, 0x4001, 0, 0});
    // STRETCHDIBITS: bounds, destination, source, offsets of header and
    // bits, colour use, raster operation, destination size.
    b.Record(81, {0, 0, 0, 0, 20, 20, 0, 0, 2, 1, 80, 40, 120, int32_t(Bits.size()), 0, 0x00CC0020, 160, 40},
             Header + Bits);
    // Damaged: a polygon claiming more points than it holds, then a rectangle
    // that is not played.
    b.Record(3, {0, 0, 0, 0, 100000});
    b.Record(43, {0, 150, 200, 200});
    const TPixelBuffer Px = Shown(b.Bytes());
    ExpectProbes(Px, {{50, 40, Green}, {150, 40, Blue}, {100, 170, White}});
}

namespace {

// A DIB's header (40 bytes) and its bits, of 24 bits a pixel.
std::pair<std::string, std::string> DibParts(const TPixelBuffer& pixels)
{
    const graphicio::Bytes dib = dib::EncodePacked(pixels, 24);
    return {std::string(dib.begin(), dib.begin() + 40), std::string(dib.begin() + 40, dib.end())};
}

// A record's 32-bit values, then a DIB's header and bits whose offsets and
// sizes go at the value positions OffAt (offset of the header, its size,
// offset of the bits, their size), counted from the record's start.
void DibRecord(TEmfBuilder& b, uint32_t type, std::vector<int32_t> values, size_t offAt,
               const std::pair<std::string, std::string>& dib, size_t maskAt = 0,
               const std::pair<std::string, std::string>* mask = nullptr)
{
    const int32_t start = 8 + 4 * int32_t(values.size());
    values[offAt] = start;
    values[offAt + 1] = int32_t(dib.first.size());
    values[offAt + 2] = start + int32_t(dib.first.size());
    values[offAt + 3] = int32_t(dib.second.size());
    std::string data = dib.first + dib.second;
    if (mask) {
        values[maskAt] = start + int32_t(data.size());
        values[maskAt + 1] = int32_t(mask->first.size());
        values[maskAt + 2] = start + int32_t(data.size() + mask->first.size());
        values[maskAt + 3] = int32_t(mask->second.size());
        data += mask->first + mask->second;
    }
    b.Record(type, values, data);
}

TPixelBuffer Filled(int width, int height, uint32_t colour)
{
    return TPixelBuffer(width, height, colour);
}

struct TWriterCase {
    const char* Name;
    std::function<void(TEmfBuilder&)> Records;
    std::vector<TProbe> Probes;
};

// 2 x 2 pixels: the left column green, the right one magenta, the
// transparent colour.
TPixelBuffer Keyed()
{
    TPixelBuffer keyed = Filled(2, 2, 0xFF00FF00u);
    keyed.At(1, 0) = keyed.At(1, 1) = 0xFFFF00FFu;
    return keyed;
}

// Rectangles and triangles filled with gradients.
std::vector<TWriterCase> GradientCases()
{
    return {
        {"horizontal gradient",
         [](TEmfBuilder& b) {
             // Two vertices: (0, 0) red and (200, 100) blue; one rectangle.
             std::string v;
             for (int32_t x : {0, 0})
                 metafilebuilder::Put32(v, uint32_t(x));
             for (int c : {0xFF00, 0, 0, 0})
                 metafilebuilder::Put16(v, uint16_t(c));
             for (int32_t x : {200, 100})
                 metafilebuilder::Put32(v, uint32_t(x));
             for (int c : {0, 0, 0xFF00, 0})
                 metafilebuilder::Put16(v, uint16_t(c));
             metafilebuilder::Put32(v, 0);
             metafilebuilder::Put32(v, 1);
             b.Record(118, {0, 0, 200, 100, 2, 1, 0}, v);
         },
         {{2, 50, Red}, {197, 50, Blue}, {100, 50, 0xFF800080u}, {100, 150, White}}},
        {"triangle gradient",
         [](TEmfBuilder& b) {
             std::string v;
             const int corners[3][5] = {
                 {0, 100, 0xFF00, 0, 0}, {200, 100, 0, 0xFF00, 0}, {100, 0, 0, 0, 0xFF00}};
             for (const auto& c : corners) {
                 metafilebuilder::Put32(v, uint32_t(c[0]));
                 metafilebuilder::Put32(v, uint32_t(c[1]));
                 for (int k = 2; k < 5; ++k)
                     metafilebuilder::Put16(v, uint16_t(c[k]));
                 metafilebuilder::Put16(v, 0);
             }
             for (uint32_t i : {0u, 1u, 2u})
                 metafilebuilder::Put32(v, i);
             b.Record(118, {0, 0, 200, 100, 3, 1, 2}, v);
         },
         {{5, 98, Red}, {194, 98, Green}, {100, 4, Blue}, {20, 20, White}, {100, 150, White}}},
    };
}

// Bitmaps with a transparent colour, a mask, a parallelogram, an alpha or a
// table that indexes the palette.
std::vector<TWriterCase> BitmapCases()
{
    return {
        {"transparent colour",
         [](TEmfBuilder& b) {
             b.Record(43, {0, 0, 200, 200});
             // TRANSPARENTBLT: bounds, destination, colour, source, transform,
             // background, colour use, bitmap, source size.
             DibRecord(b, 116, {0, 0, 0, 0, 20, 20, 160, 160, 0xFF00FF, 0, 0, 0, 0,
                                0, 0, 0, 0, 0,  0,  0,   0,   0,        0, 2, 2},
                       19, DibParts(Keyed()));
         },
         {{50, 100, Green}, {150, 100, Red}}},
        {"mask",
         [](TEmfBuilder& b) {
             b.Record(43, {0, 0, 200, 200});
             TPixelBuffer maskPixels = Filled(2, 2, 0xFFFFFFFFu);
             maskPixels.At(0, 0) = maskPixels.At(0, 1) = 0xFF000000u; // the left column clear
             const auto maskParts = DibParts(maskPixels);
             // MASKBLT: copy where the mask is set, keep what is there elsewhere.
             std::vector<int32_t> values{
                 0, 0, 0, 0, 20, 20, 160, 160, int32_t(0xAACC0020u), 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                 0, 0, 0, 0, 0,  0,  0,   0};
             DibRecord(b, 78, values, 19, DibParts(Filled(2, 2, 0xFF00FF00u)), 26, &maskParts);
         },
         {{50, 100, Red}, {150, 100, Green}}},
        {"parallelogram",
         [](TEmfBuilder& b) {
             // PLGBLT onto (100, 20), (180, 100), (20, 100): a diamond.
             std::vector<int32_t> values{0, 0, 0, 0, 100, 20, 180, 100, 20, 100, 0, 0, 2, 2, 0, 0, 0,
                                         0, 0, 0, 0, 0,   0,  0,   0,   0,  0,   0, 0, 0, 0, 0, 0};
             DibRecord(b, 79, values, 22, DibParts(Filled(2, 2, 0xFF00FF00u)));
         },
         {{100, 100, Green}, {30, 30, White}, {170, 170, White}, {100, 170, Green}}},
        {"alpha",
         [](TEmfBuilder& b) {
             b.Record(39, {3, 0, 0xFFFFFF, 0}).Record(37, {3});
             b.Record(43, {0, 0, 200, 200});
             // ALPHABLEND at half the source's strength.
             std::vector<int32_t> values{0, 0, 0, 0, 20, 20, 160, 160, 0x00800000, 0, 0, 0, 0,
                                         0, 0, 0, 0, 0,  0,  0,   0,   0,          0, 2, 2};
             DibRecord(b, 114, values, 19, DibParts(Filled(2, 2, 0xFF0000FFu)));
         },
         {{100, 100, 0xFF7F7FFFu}, {10, 10, White}}},
        {"palette-indexed bitmap",
         [](TEmfBuilder& b) {
             // CREATEPALETTE 3 of green and blue, selected; a bitmap of two
             // pixels whose table indexes it: blue, then green.
             std::string palette;
             metafilebuilder::Put16(palette, 0x300);
             metafilebuilder::Put16(palette, 2);
             palette += std::string("\0\xFF\0\0\0\0\xFF\0", 8);
             b.Record(49, {3}, palette);
             b.Record(48, {3});
             std::string header;
             for (uint32_t v : {40u, 2u, 1u})
                 metafilebuilder::Put32(header, v);
             metafilebuilder::Put16(header, 1);
             metafilebuilder::Put16(header, 1);
             for (uint32_t v : {0u, 4u, 0u, 0u, 2u, 0u})
                 metafilebuilder::Put32(header, v);
             metafilebuilder::Put16(header, 1);
             metafilebuilder::Put16(header, 0);
             DibRecord(b, 81, {0, 0, 0, 0, 20, 20, 0, 0, 2, 1, 0, 0, 0, 0, 1, 0x00CC0020, 160, 40}, 10,
                       {header, std::string("\x40\0\0\0", 4)});
         },
         {{50, 40, Blue}, {150, 40, Green}}},
    };
}

// Lines and beziers by point types, and a flood fill.
std::vector<TWriterCase> LineAndFillCases()
{
    return {
        {"lines and beziers by point types",
         [](TEmfBuilder& b) {
             b.Record(38, {3, 0, 6, 0, 0xFF0000}).Record(37, {3}); // blue pen 6 wide
             std::string points = Points16({20, 20, 180, 20, 180, 100, 100, 180, 20, 100});
             points += std::string("", 5);     // move, line, bezier (3)
             b.Record(92, {0, 0, 0, 0, 5}, points); // POLYDRAW16
         },
         {{100, 20, Blue}, {20, 60, Blue}, {60, 60, White}, {180, 22, Blue}}},
        {"flood fill from inside an outline",
         [](TEmfBuilder& b) {
             b.Record(39, {3, 1, 0, 0}).Record(37, {3}); // no brush
             b.Record(43, {20, 20, 180, 180});
             b.Record(39, {4, 0, 0x00FF00, 0}).Record(37, {4}); // green
             b.Record(53, {100, 100, 0xFFFFFF, 1});             // EXTFLOODFILL surface of white
         },
         {{100, 100, Green}, {21, 100, Green}, {20, 100, Black}, {10, 10, White}}},
    };
}

} // namespace

// The records other common writers emit beyond LibreOffice's: gradients,
// bitmaps with a transparent colour, a mask, a parallelogram or an alpha,
// lines and beziers by point types, short texts and lists of texts, flood
// fills, the brush origin.
TEST(EnhancedMetafile, RecordsOfOtherWriters)
{
    for (const auto group : {GradientCases, BitmapCases, LineAndFillCases})
        for (const TWriterCase& c : group()) {
            SCOPED_TRACE(c.Name);
            TEmfBuilder b = Picture();
            c.Records(b);
            ExpectProbes(Shown(b.Bytes()), c.Probes);
        }
}

// A short text of single bytes, and each text of a list.
TEST(EnhancedMetafile, ShortTextsAndListsOfTexts)
{
    TEmfBuilder b = Picture();
    b.Record(24, {0xFF0000}).Record(18, {1}); // blue text, transparent
    // SMALLTEXTOUT of single bytes, no rectangle: "III" at (20, 20).
    b.Record(108, {20, 20, 3, 0x300, 1, 0, 0}, "III");
    // POLYTEXTOUTW of two texts: "I" at (20, 120) and "I" at (120, 120).
    std::vector<int32_t> values{0, 0, 0, 0, 1, 0, 0, 2};
    for (int32_t x : {20, 120}) {
        const int32_t offString = 8 + 4 * (8 + 20) + (x == 20 ? 0 : 4);
        for (int32_t v : {x, 120, 1, offString, 0, 0, 0, 0, 0, 0})
            values.push_back(v);
    }
    std::string texts;
    for (int i = 0; i < 2; ++i) {
        metafilebuilder::Put16(texts, 'I');
        metafilebuilder::Put16(texts, 0);
    }
    b.Record(97, values, texts);
    const TPixelBuffer Px = Shown(b.Bytes());
    const auto Ink = [&](int x0, int y0, int x1, int y1) {
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                n += Near(Px.At(x, y), Blue, 100);
        return n;
    };
    EXPECT_GT(Ink(20, 20, 60, 40), 10);
    EXPECT_GT(Ink(20, 120, 40, 140), 3);
    EXPECT_GT(Ink(120, 120, 140, 140), 3);
    EXPECT_EQ(Ink(60, 40, 120, 120), 0);
}

// LibreOffice's own enhanced metafile of shapes, dashes, a bezier, a
// polygon, a gradient and rotated text, drawn by us and by
// LibreOffice: cut to what they cover, they agree cell by cell.
TEST(EnhancedMetafile, LibreOfficesMetafileLooksAsLibreOfficeDrawsIt)
{
    if (!LibreOfficeAvailable())
        GTEST_SKIP() << "LibreOffice is not installed";
    TempDir Dir;
    Dir.Write(
        "shapes.svg",
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"400\" height=\"300\" viewBox=\"0 0 400 300\">"
        "<defs><linearGradient id=\"g\"><stop offset=\"0\" stop-color=\"#fff\"/>"
        "<stop offset=\"1\" stop-color=\"#0a0\"/></linearGradient></defs>"
        "<rect x=\"20\" y=\"20\" width=\"150\" height=\"100\" fill=\"#ff0000\" stroke=\"#000000\" "
        "stroke-width=\"2\"/>"
        "<ellipse cx=\"280\" cy=\"70\" rx=\"80\" ry=\"50\" fill=\"#0000ff\" stroke=\"#008000\" "
        "stroke-width=\"6\" stroke-dasharray=\"12,6\"/>"
        "<path d=\"M 20 200 C 80 140 140 260 200 200\" fill=\"none\" stroke=\"#800080\" stroke-width=\"4\"/>"
        "<polygon points=\"250,150 380,180 300,280\" fill=\"#ffa500\"/>"
        "<rect x=\"220\" y=\"200\" width=\"60\" height=\"60\" fill=\"url(#g)\"/>"
        "<text x=\"30\" y=\"270\" font-family=\"DejaVu Sans\" font-size=\"28\" "
        "transform=\"rotate(-10 30 270)\">Hello EMF</text></svg>");
    if (!LibreOfficeConvert(Dir.Path(), "emf", Dir.Path(), {"shapes.svg"}) || Dir.Read("shapes.emf").empty())
        GTEST_SKIP() << "LibreOffice cannot write metafiles here (no drawing component)";
    const std::string Out = Dir.Path() + "/png";
    ASSERT_TRUE(LibreOfficeConvert(Dir.Path(), "png", Out, {"shapes.emf"}));
    auto Metafile = LoadMetafile(Dir.Read("shapes.emf"));
    ASSERT_TRUE(Metafile->Enhanced());
    TPNGImage Png;
    Png.LoadFromFile(Out + "/shapes.png");
    const TPinnedPixels TheirsPin = Png.Pixels();
    const TPixelBuffer& Theirs = *TheirsPin;
    const TPixelBuffer Ours = Shown(Dir.Read("shapes.emf"), Metafile->Width(), Metafile->Height());

    const TRect A = picturecompare::Covered(Ours), B = picturecompare::Covered(Theirs);
    ASSERT_FALSE(A.IsEmpty());
    ASSERT_FALSE(B.IsEmpty());
    EXPECT_NEAR(A.Width(), B.Width(), 6);
    EXPECT_NEAR(A.Height(), B.Height(), 6);
    const picturecompare::TCellComparison Cells = picturecompare::CompareCells(Ours, Theirs);
    EXPECT_GT(Cells.Coloured, Cells.Cells / 5) << "the drawing covers a good part of the picture";
    EXPECT_LT(Cells.Differ, Cells.Cells / 25) << Cells.Differ << " of " << Cells.Cells << " cells differ";
}
