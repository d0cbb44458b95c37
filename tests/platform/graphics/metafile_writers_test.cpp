// Metafiles as other programs write them (gradients of thousands of bands,
// right-to-left text at its advances, paths, device bitmaps, pattern brushes,
// monochrome ones without colours, old-format files carrying enhanced ones) and files that Inkscape and
// gnuplot wrote play whole and look as they should.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "platform/core/streams.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/canvas.h"
#include "platform/graphics/gdiobjects.h"
#include "platform/graphics/metafile.h"
#include "tests/support/headlessbrowser.h"
#include "tests/support/inkmatch.h"
#include "tests/support/metafilebuilder.h"
#include "tests/support/picturecompare.h"
#include "tests/support/testdata.h"

namespace {

using metafilebuilder::LoadMetafile;
using metafilebuilder::ShownMetafile;
using metafilebuilder::TEmfBuilder;
using metafilebuilder::TWmfBuilder;
using picturecompare::Near;

constexpr uint32_t Red = 0xFFFF0000u, Blue = 0xFF0000FFu, White = 0xFFFFFFFFu, Black = 0xFF000000u,
                   Green = 0xFF00FF00u;

// The pixels of Box within Tolerance of Colour.
int CountNear(const TPixelBuffer& px, const TRect& box, uint32_t colour, int tolerance)
{
    int count = 0;
    for (int y = box.Top; y < box.Bottom; ++y)
        for (int x = box.Left; x < box.Right; ++x)
            count += Near(px.At(x, y), colour, tolerance);
    return count;
}

// Values as 32-bit words, or as 16-bit ones with Bytes 2.
std::string Ints(const std::vector<int>& values, int bytes = 4)
{
    std::string out;
    for (int v : values)
        (bytes == 4 ? metafilebuilder::Put32 : metafilebuilder::Put16)(out, static_cast<uint32_t>(v));
    return out;
}

// A gradient as LibreOffice writes one: a solid brush made, selected and
// deleted for every band, each band a polygon (a band turned by Angle
// degrees across the frame) or a ring (a polypolygon of an ellipse and the
// next one inside it), Steps of them from blue to yellow, under a clip.
std::string GradientEmf(int width, int height, bool rings, int steps, double angle)
{
    TEmfBuilder b(width, height);
    b.Record(38, {1, 5, 0, 0, 0}).Record(37, {1}); // no pen
    b.Record(30, {0, 0, width, height});           // INTERSECTCLIPRECT
    const double cx = width / 2.0, cy = height / 2.0, reach = std::hypot(width, height);
    const double a = angle * 3.14159265358979 / 180, ux = std::cos(a), uy = std::sin(a);
    for (int i = 0; i < steps; ++i) {
        const int level = 255 * i / std::max(steps - 1, 1);
        b.Record(39, {2, 0, (255 - level) << 16 | level << 8 | level, 0}).Record(37, {2});
        std::vector<int> points;
        if (rings) {
            for (int k : {i, i + 1}) {
                const double rx = reach * (steps - k) / steps, ry = rx * height / width;
                for (int p = 0; p < 128; ++p) {
                    const double t = p * 2 * 3.14159265358979 / 128;
                    points.push_back(int(cx + rx * std::cos(t)));
                    points.push_back(int(cy + ry * std::sin(t)));
                }
            }
            b.Record(8, {-1, -1, width + 1, height + 1, 2, 256}, Ints({128, 128}) + Ints(points));
        } else {
            // A band of the gradient's axis from -Reach to Reach, as long as the reach across.
            const double from = -reach + 2 * reach * i / steps, to = -reach + 2 * reach * (i + 1) / steps;
            for (const auto& [s, t] : {std::pair{from, -reach}, {to, -reach}, {to, reach}, {from, reach}}) {
                points.push_back(int(cx + s * ux - t * uy));
                points.push_back(int(cy + s * uy + t * ux));
            }
            b.Record(3, {-1, -1, width + 1, height + 1, 4}, Ints(points));
        }
        b.Record(37, {int(0x80000000u)}).Record(40, {2}); // the stock brush back, the band's deleted
    }
    return b.Bytes();
}

// A font record of Family at Height pixels (negative: the characters' height).
std::string FontRecordBytes(const std::string& family, int height)
{
    std::string font = Ints({height, 0, 0, 0, 400}) + std::string(8, '\0');
    for (unsigned char c : family)
        font += metafilebuilder::Word(c);
    font.resize(92, '\0');
    return font;
}

// EXTTEXTOUTW of Text at (X, Y) with one advance a code unit.
void ExtTextOutW(TEmfBuilder& b, int x, int y, unsigned options, const std::u16string& text,
                 const std::vector<int>& dx)
{
    const int32_t offString = 76, offDx = offString + static_cast<int32_t>((text.size() * 2 + 3) / 4 * 4);
    std::string body = Ints(std::vector<int>(text.begin(), text.end()), 2);
    body.resize(static_cast<size_t>(offDx - offString), '\0');
    b.Record(84,
             {0, 0, 0, 0, 1, 0, 0, x, y, static_cast<int32_t>(text.size()), offString,
              static_cast<int32_t>(options), 0, 0, 0, 0, offDx},
             body + Ints(dx));
}

TInk InkOf(const TPixelBuffer& px)
{
    return TInk(px.Width, px.Height, [&](int x, int y) { return px.At(x, y); });
}

// A DIB of Width x Height: 24-bit rows of one colour, or, with Rle, an
// 8-bit run-length one that ends at once (its pixels black).
std::string PatternDib(int width, int height, bool rle, uint32_t bgr = 0x00FF00)
{
    std::string dib = Ints({40, width, height}) + std::string("\x01\0", 2) +
                      (rle ? std::string("\x08\0", 2) : std::string("\x18\0", 2)) +
                      Ints({rle ? 1 : 0, 0, 0, 0, rle ? 2 : 0, 0});
    if (rle)
        return dib + Ints({0, 0xFFFFFF}) + std::string("\x00\x01", 2);
    const int stride = (width * 3 + 3) / 4 * 4;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < stride; ++x)
            dib += static_cast<char>(x < width * 3 ? (bgr >> (8 * (x % 3))) & 0xFF : 0);
    return dib;
}

// An enhanced metafile that makes and selects a pattern brush of each of
// Dibs in turn, fills the left half with the last but one and the right half
// with the last, played into Px.
std::unique_ptr<TMetafile> PlayPatterns(const std::vector<std::string>& dibs, TPixelBuffer& px)
{
    TEmfBuilder b(100, 100);
    b.Record(38, {1, 5, 0, 0, 0}).Record(37, {1}); // no pen
    for (size_t i = 0; i < dibs.size(); ++i) {
        const int header = dibs[i][14] == 8 ? 48 : 40; // an 8-bit one's two colours follow its header
        b.Record(94, {2, 0, 32, header, 32 + header, int(dibs[i].size()) - header}, dibs[i]).Record(37, {2});
        if (i + 2 >= dibs.size())
            b.Record(43, {i + 2 == dibs.size() ? 0 : 50, 0, i + 2 == dibs.size() ? 50 : 100, 100});
    }
    auto metafile = LoadMetafile(b.Bytes());
    px = ShownMetafile(*metafile, 100, 100);
    return metafile;
}

} // namespace

// Gradients of hundreds of bands or rings across the picture, shown at
// sizes from a thumbnail to twice a slide's, draw whole and look as they
// should: blue where they start, yellow where they end.
TEST(MetafileWriters, GradientsOfManyBandsDrawWholeAtAnySize)
{
    std::mt19937 random(20261208);
    for (int round = 0; round < 12; ++round) {
        const bool rings = round % 2;
        const int steps = std::uniform_int_distribution<int>(64, 512)(random);
        const double angle = std::uniform_real_distribution<double>(0, 180)(random);
        const int width = std::uniform_int_distribution<int>(100, 2200)(random);
        const int height = width * std::uniform_int_distribution<int>(40, 100)(random) / 100;
        SCOPED_TRACE(testing::Message() << (rings ? "rings " : "bands ") << steps << " at " << angle << "°, "
                                        << width << " x " << height);
        const std::string emf = GradientEmf(1058, 595, rings, steps, angle);
        auto metafile = LoadMetafile(emf);
        const TPixelBuffer Px = ShownMetafile(*metafile, width, height);
        EXPECT_FALSE(metafile->LastPlay().Stopped);
        EXPECT_EQ(metafile->LastPlay().Records, metafilebuilder::EmfRecords(emf)) << "every record played";
        if (rings) {
            EXPECT_TRUE(Near(Px.At(width / 2, height / 2), 0xFFFFFF00u, 40)) << "yellow in the middle";
            EXPECT_TRUE(Near(Px.At(1, 1), Blue, 100)) << "blue in the corner";
        } else {
            EXPECT_FALSE(Near(Px.At(width / 2, height / 2), White, 20)) << "drawn in the middle";
        }
    }
}

// Text of right-to-left scripts given with one advance a character, in a
// right-to-left reading order, comes out as the canvas draws it: its
// characters in visual order, Arabic letters joined, Hebrew read from the
// right, a Latin word and digits left to right among them.
TEST(MetafileWriters, RightToLeftTextAtItsAdvancesLooksAsTheCanvasDrawsIt)
{
    const std::string Family = InstalledFamilyFor(":lang=ar");
    if (Family.empty() || InstalledFamilyFor(":lang=he").empty())
        GTEST_SKIP() << "no font for Arabic and Hebrew";
    const std::u16string Texts[] = {
        u"\u0645\u0631\u062D\u0628\u0627 \u0628\u0627\u0644\u0639\u0627\u0644\u0645",
        u"\u05E9\u05DC\u05D5\u05DD \u05E2\u05D5\u05DC\u05DD abc 123",
        u"\u0644\u0627 (\u0643\u062A\u0627\u0628) \u0633\u0644\u0627\u0645"};
    constexpr int W = 400, H = 60;
    for (const std::u16string& Text : Texts)
        for (unsigned Options : {0u, 0x80u}) { // TA_RTLREADING, then ETO_RTLREADING
            SCOPED_TRACE(testing::Message() << Text.size() << " units, options " << Options);
            // The canvas's drawing, and the advance it gives each code unit.
            TBitmap Canvas;
            Canvas.SetSize(W, H);
            TCanvas* c = Canvas.Canvas();
            c->Font()->SetName(Family);
            c->Font()->SetHeight(-24);
            c->Brush()->SetStyle(bsClear);
            c->SetTextAlign(TA_RTLREADING);
            const auto* Chars = reinterpret_cast<const WideChar*>(Text.data());
            const int n = static_cast<int>(Text.size());
            c->TextOutW(10, 10, Chars, n);
            std::vector<int> Extents(Text.size()), Dx(Text.size());
            int Fit = 0;
            TSize Size{};
            ASSERT_TRUE(c->GetTextExtentExPointW(Chars, n, 1 << 30, &Fit, Extents.data(), Size));
            std::adjacent_difference(Extents.begin(), Extents.end(), Dx.begin());

            TEmfBuilder b(W, H);
            b.Record(82, {3}, FontRecordBytes(Family, -24)).Record(37, {3});
            b.Record(22, {Options ? 0 : 256}); // SETTEXTALIGN
            b.Record(18, {1});                 // SETBKMODE transparent
            ExtTextOutW(b, 10, 10, Options, Text, Dx);
            const TPinnedPixels Theirs = Canvas.Pixels();
            const TInk Reference = InkOf(*Theirs),
                       Ours = InkOf(ShownMetafile(*LoadMetafile(b.Bytes()), W, H));
            ASSERT_GT(Reference.Count, 50);
            EXPECT_LT(InkMismatch(Ours, Reference), 0.12);
            EXPECT_NEAR(Ours.Left, Reference.Left, 3);
            EXPECT_NEAR(Ours.Right, Reference.Right, 3);
        }
}

// Text drawn in the transparent background mode after a shape was filled
// in the opaque one keeps the shape around its letters.
TEST(MetafileWriters, TransparentTextAfterAFilledShapeHasNoBox)
{
    TWmfBuilder b(200, 100, 96, 2);
    b.Record(0x02FC, {0, 0x00FF, 0, 0}).Record(0x012D, {0}); // red brush
    b.Record(0x041B, {90, 190, 10, 10});                     // RECTANGLE
    b.Record(0x0102, {1});                                   // SETBKMODE transparent
    b.Record(0x0521, {4},
             "Text" + metafilebuilder::Word(40) + metafilebuilder::Word(60)); // TEXTOUT at (60, 40)
    const std::string Bytes = b.Bytes();
    ASSERT_LT(Bytes.size(), 200u);
    const TPixelBuffer Px = ShownMetafile(*LoadMetafile(Bytes), 200, 100);
    EXPECT_GT(CountNear(Px, {12, 12, 188, 88}, Black, 100), 10) << "the text is drawn";
    EXPECT_EQ(CountNear(Px, {12, 12, 188, 88}, White, 30), 0) << "with no box of the background colour";
}

// A move inside a path starts a new figure: two curves drawn one after
// the other, as Inkscape writes "M ... C ... M ... C", stay two.
TEST(MetafileWriters, AMoveInAPathStartsANewFigure)
{
    for (uint32_t SecondType : {88u, 89u}) { // POLYBEZIERTO16, POLYLINETO16
        SCOPED_TRACE(SecondType);
        const std::vector<int> Second = SecondType == 88u ? std::vector<int>{130, 80, 150, 80, 160, 20}
                                                          : std::vector<int>{140, 80, 160, 20};
        TEmfBuilder b(200, 100);
        b.Record(38, {1, 0, 3, 0, 0}).Record(37, {1}); // black pen 3 wide
        b.Record(59, {}).Record(27, {20, 20});         // BEGINPATH, MOVETOEX
        b.Record(88, {0, 0, 0, 0, 3}, Ints({30, 80, 50, 80, 60, 20}, 2));
        b.Record(27, {120, 20}).Record(SecondType, {0, 0, 0, 0, int(Second.size()) / 2}, Ints(Second, 2));
        b.Record(60, {}).Record(64, {0, 0, 200, 100}); // ENDPATH, STROKEPATH
        const TPixelBuffer Px = ShownMetafile(*LoadMetafile(b.Bytes()), 200, 100);
        for (int x = 70; x <= 110; x += 10)
            EXPECT_TRUE(Near(Px.At(x, 20), White, 30)) << "no line joins the figures at x " << x;
        EXPECT_GT(CountNear(Px, {125, 50, 155, 80}, Black, 100), 20) << "the second figure is drawn";
    }
}

// An old-format file whose metafile header counts the placeable header in
// its length (as Inkscape writes it) is read as other readers read it.
TEST(MetafileWriters, AnOldFormatFileWhoseLengthCountsItsPlaceableHeaderIsRead)
{
    // A red rectangle; the length words 11 too many.
    TWmfBuilder b(100, 100, 96, 1);
    b.Record(0x02FC, {0, 0x00FF, 0, 0}).Record(0x012D, {0}).Record(0x041B, {80, 80, 20, 20});
    std::string Long = b.Bytes();
    Long.replace(28, 2, metafilebuilder::Word(uint8_t(Long[28]) + (uint8_t(Long[29]) << 8) + 11));
    auto Metafile = LoadMetafile(Long);
    EXPECT_EQ(Metafile->Width(), 100);
    EXPECT_EQ(ShownMetafile(*Metafile, 100, 100).At(50, 50), Red);
}

// Device bitmaps of old-format files come with or without the pointer
// field before their rows.
TEST(MetafileWriters, DeviceBitmapsComeWithOrWithoutThePointerField)
{
    // A 2 x 2 bitmap of 24 bits (red and blue) stretched over the frame by
    // BITBLT at its own size and by STRETCHBLT.
    const std::string Rows = std::string("\0\0\xFF\xFF\0\0", 6) + std::string("\xFF\0\0\0\0\xFF", 6);
    for (bool Pointer : {false, true})
        for (bool Stretch : {false, true}) {
            SCOPED_TRACE(testing::Message()
                         << (Stretch ? "STRETCHBLT" : "BITBLT") << (Pointer ? ", pointer" : ""));
            std::vector<int> Words = Stretch ? std::vector<int>{0x0020, 0x00CC, 2, 2, 0, 0, 100, 100, 0, 0}
                                             : std::vector<int>{0x0020, 0x00CC, 0, 0, 2, 2, 0, 0};
            Words.insert(Words.end(), {0, 2, 2, 6, 0x1801});
            if (Pointer)
                Words.insert(Words.end(), {0, 0});
            TWmfBuilder d(100, 100, 96, 1);
            d.Record(Stretch ? 0x0B23 : 0x0922, Words, Rows);
            const TPixelBuffer Px = ShownMetafile(*LoadMetafile(d.Bytes()), 100, 100);
            // The first pixel of the bitmap's top row and the pixels beside and below it.
            const int At = Stretch ? 25 : 0, Pixel = Stretch ? 50 : 1;
            EXPECT_EQ(Px.At(At, At), Red);
            EXPECT_EQ(Px.At(At + Pixel, At), Blue);
            EXPECT_EQ(Px.At(At, At + Pixel), Blue);
        }
}

// Pattern brushes: their bitmaps are charged to the playing's bitmap
// pixels, one that claims more than a brush shows is left out before it is
// decoded, and once the playing has decoded its share the next pattern is
// left out (its brush fills white).
TEST(MetafileWriters, PatternBrushesAreChargedAndCheckedBeforeTheyAreDecoded)
{
    std::vector<std::string> Dibs(5, PatternDib(8, 8, false));
    Dibs.push_back(PatternDib(4096, 4096, true));
    Dibs.push_back(PatternDib(8, 8, false));
    TPixelBuffer Px;
    EXPECT_EQ(PlayPatterns(Dibs, Px)->LastPlay().BitmapPixels, 6 * 64)
        << "the claim of 4096 x 4096 is not decoded";
    EXPECT_EQ(Px.At(25, 50), White) << "a brush of a pattern left out";
    EXPECT_EQ(Px.At(75, 50), Green);
    // 256 patterns of 256 x 256 pixels fill the share; the next is left out.
    EXPECT_EQ(
        PlayPatterns(std::vector<std::string>(257, PatternDib(256, 256, true)), Px)->LastPlay().BitmapPixels,
        int64_t(1) << 24);
    EXPECT_EQ(Px.At(25, 50), Black);
    EXPECT_EQ(Px.At(75, 50), White);
    // The old format's pattern brush is charged the same way.
    TWmfBuilder w(100, 100, 96, 2);
    w.Record(0x0142, {5, 0}, PatternDib(8, 8, false)).Record(0x012D, {0});
    w.Record(0x02FA, {5, 0, 0, 0, 0}).Record(0x012D, {1});
    w.Record(0x041B, {100, 100, 0, 0});
    auto Old = LoadMetafile(w.Bytes());
    EXPECT_EQ(ShownMetafile(*Old, 100, 100).At(50, 50), Green);
    EXPECT_EQ(Old->LastPlay().BitmapPixels, 64);
}

// A monochrome brush draws its clear bits in the text colour and its set
// ones in the background colour: one whose bitmap comes without its table of
// colours (as gnuplot writes every fill pattern) as one with a table of black
// and white; a table of other colours picks each bit's side by brightness.
// One that claims more than a brush shows is left out before it is decoded.
TEST(MetafileWriters, MonochromeBrushesTakeTheTextAndBackgroundColours)
{
    const std::vector<int> Rows = {0x96, 0x3C, 0xA5, 0x0F, 0xF0, 0x5A, 0xC3, 0x69}; // the bottom one first
    const std::string Bits = Ints(Rows); // each row padded to four bytes
    const auto Bit = [&](int x, int y) { return (Rows[7 - y] >> (7 - x) & 1) != 0; };
    const struct {
        const char* Name;
        int Usage; // DIB_RGB_COLORS, or DIB_PAL_INDICES (no table)
        std::string Table;
        int Side;     // claimed
        int Inverted; // set bits take the text colour; -1: left out
    } Cases[] = {
        {"no table, colour use of indexes", 2, "", 8, 0},
        {"no table, colour use of colours", 0, "", 8, 0},
        {"a table where the colour use says there is none", 2, Ints({0x00FF00, 0x00FF00}), 8, 0},
        {"a table of black and white", 0, Ints({0, 0xFFFFFF}), 8, 0},
        {"a table of light and dark colours", 0, Ints({0xF0E0F0, 0x200010}), 8, 1},
        {"no table, claiming 4096 pixels a side", 2, "", 4096, -1},
    };
    for (const auto& c : Cases) {
        SCOPED_TRACE(c.Name);
        const std::string Info = Ints({40, c.Side, c.Side, 0x00010001, 0, 32, 0, 0, 0, 0}) + c.Table;
        TEmfBuilder b(100, 100);
        b.Record(38, {1, 5, 0, 0, 0}).Record(37, {1}); // no pen
        b.Record(93, {2, c.Usage, 32, int(Info.size()), 32 + int(Info.size()), int(Bits.size())},
                 Info + Bits);
        b.Record(24, {0xFF0000}).Record(25, {0x00FFFF}).Record(18, {1}); // blue text, yellow background
        b.Record(37, {2}).Record(43, {0, 0, 100, 100});
        auto Metafile = LoadMetafile(b.Bytes());
        const TPixelBuffer Px = ShownMetafile(*Metafile, 100, 100);
        EXPECT_EQ(Metafile->LastPlay().BitmapPixels, c.Inverted < 0 ? 0 : 64);
        int Wrong = 0;
        for (int y = 8; y < 40; ++y)
            for (int x = 8; x < 40; ++x)
                Wrong += Px.At(x, y) != (c.Inverted < 0                             ? White
                                         : (Bit(x % 8, y % 8) != (c.Inverted == 1)) ? 0xFFFFFF00u
                                                                                    : Blue);
        EXPECT_EQ(Wrong, 0) << "pixels not of their bit's colour";
    }
}

// Files that Inkscape and gnuplot wrote (kept as fixtures) play whole: the
// old-format one is read at all, Inkscape's two curves stay two, and the
// plot's lines, points and labels are drawn.
TEST(MetafileWriters, FilesOfInkscapeAndGnuplotPlayWhole)
{
    for (const char* Name : {"inkscape_curves.wmf", "inkscape_curves.emf"}) {
        SCOPED_TRACE(Name);
        TMetafile Metafile;
        ASSERT_NO_THROW(Metafile.LoadFromFile(TestDataPath("fixtures/metafile/" + std::string(Name))));
        ASSERT_NEAR(Metafile.Width(), 120, 1);
        const TPixelBuffer Px = ShownMetafile(Metafile, 360, 180);
        EXPECT_FALSE(Metafile.LastPlay().Stopped);
        // The curves from (10, 10) and (60, 10), the red rectangle, the blue word.
        EXPECT_TRUE(Near(Px.At(165, 32), White, 30)) << "no line from one curve to the next";
        EXPECT_GT(CountNear(Px, {75, 105, 105, 125}, Black, 100), 20) << "the first curve";
        EXPECT_TRUE(Near(Px.At(75, 140), Red, 30));
        EXPECT_GT(CountNear(Px, {180, 120, 260, 170}, Blue, 110), 40);
    }
    TMetafile Plot;
    Plot.LoadFromFile(TestDataPath("fixtures/metafile/gnuplot_plot.emf"));
    const TPixelBuffer Px = ShownMetafile(Plot, Plot.Width(), Plot.Height());
    EXPECT_FALSE(Plot.LastPlay().Stopped);
    EXPECT_GT(Plot.LastPlay().Records, 1000);
    const TRect All{0, 0, Px.Width, Px.Height};
    EXPECT_GT(CountNear(Px, All, 0xFF9400D3u, 60), 300) << "the sine's line";
    EXPECT_GT(CountNear(Px, All, 0xFF009E73u, 60), 40) << "the cosine's points";
    EXPECT_GT(CountNear(Px, All, Black, 60), 400) << "the frame and its labels";
}

// gnuplot's histogram and boxes in fill patterns (kept as a fixture) draw
// each plot's patterns in its colour (the bits of each colour are checked
// above).
TEST(MetafileWriters, FillPatternsOfGnuplotAreDrawnInTheirPlotsColours)
{
    TMetafile Plot;
    Plot.LoadFromFile(TestDataPath("fixtures/metafile/gnuplot_patterns.emf"));
    const TPixelBuffer Px = ShownMetafile(Plot, Plot.Width(), Plot.Height());
    EXPECT_FALSE(Plot.LastPlay().Stopped);
    for (const uint32_t Colour : {0xFF9400D3u, 0xFF009E73u, 0xFF56B4E9u})
        EXPECT_GT(CountNear(Px, {0, 0, Px.Width, Px.Height}, Colour, 30), 300) << std::hex << Colour;
}

// An old-format file that carries an enhanced one in its comments, whole,
// is drawn from that one; one whose chunks do not make it whole is drawn
// from its own records.
TEST(MetafileWriters, AnOldFormatFileIsDrawnFromTheEnhancedOneItCarries)
{
    TEmfBuilder e(100, 100);
    e.Record(39, {1, 0, 0x0000FF, 0}).Record(37, {1}).Record(43, {0, 0, 100, 100}); // red
    const std::string Emf = e.Bytes();
    const size_t Half = Emf.size() / 2 / 4 * 4;
    const std::vector<std::string> Chunks = {Emf.substr(0, Half), Emf.substr(Half)};
    for (int Broken : {0, 1, 2}) { // whole, a chunk missing, a size that does not add up
        SCOPED_TRACE(Broken);
        TWmfBuilder b(100, 100, 96, 1);
        const uint32_t Total = static_cast<uint32_t>(Emf.size()) + (Broken == 2 ? 4 : 0);
        size_t Done = 0;
        for (size_t i = 0; i < Chunks.size(); ++i) {
            Done += Chunks[i].size();
            if (Broken == 1 && i == 1)
                continue;
            std::string Comment = "WMFC" + Ints({1, 0x10000}) + std::string(2, '\0') +
                                  Ints({0, 2, int(Chunks[i].size()), int(Total - Done), int(Total)}) +
                                  Chunks[i];
            b.Record(0x0626, {0x000F, int(Comment.size())}, Comment);
        }
        b.Record(0x02FC, {0, 0, 0x00FF, 0}).Record(0x012D, {0}).Record(0x041B, {100, 100, 0, 0}); // blue
        EXPECT_EQ(ShownMetafile(*LoadMetafile(b.Bytes()), 100, 100).At(50, 50), Broken ? Blue : Red);
    }
}
