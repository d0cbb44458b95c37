// Old-format metafiles played onto a canvas: the records map from the file's
// window onto the rectangle drawn into (shapes, polygons with holes, text with
// its font and advances, bitmaps); our own metafiles show their bitmap; files
// that LibreOffice writes look as LibreOffice draws them; damaged records stop
// the playing without harm.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/colors.h"
#include "platform/core/streams.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/canvas.h"
#include "platform/graphics/dibcodec.h"
#include "platform/graphics/metafile.h"
#include "platform/graphics/png.h"
#include "platform/graphics/recordingcanvas.h"
#include "tests/support/headlessbrowser.h"
#include "tests/support/metafilebuilder.h"
#include "tests/support/tempdir.h"

namespace {

using metafilebuilder::LoadMetafile;
using metafilebuilder::TWmfBuilder;

uint32_t Argb(TColor c)
{
    return 0xFF000000u | (uint32_t(GetRValue(c)) << 16) | (uint32_t(GetGValue(c)) << 8) |
           uint32_t(GetBValue(c));
}

using metafilebuilder::Word;

TEST(MetafilePlayerTest, RecordsMapFromTheWindowOntoTheBitmap)
{
    // Window (100, 200) of 1000 x 500 units, drawn into 100 x 50 pixels: a
    // tenth of a unit per pixel.
    TWmfBuilder b(1000, 500, 1440, 4);
    b.Record(0x020B, {200, 100})                    // SETWINDOWORG y, x
        .Record(0x020C, {500, 1000})                // SETWINDOWEXT y, x
        .Record(0x02FA, {0, 30, 0, 0x00FF, 0x0000}) // pen: solid, 30 wide, red
        .Record(0x02FC, {0, 0xFF00, 0x0000, 0})     // brush: solid green (0x00FF00)
        .Record(0x012D, {0})
        .Record(0x012D, {1})
        .Record(0x041B, {600, 700, 300, 200}) // RECTANGLE bottom, right, top, left
        .Record(0x02FB, {uint16_t(-200), 0, 0, 0, 700, 0x0100, 0, 0}, "Arial")
        .Record(0x012D, {2})
        .Record(0x0209, {0, 0xFF}) // SETTEXTCOLOR blue
        .Record(0x0102, {1})       // SETBKMODE transparent
        .Record(0x0A32, {250, 750, 2, 0}, std::string("Hi") + Word(50) + Word(70));
    auto Metafile = LoadMetafile(b.Bytes());
    ASSERT_FALSE(Metafile->Enhanced());
    const TPinnedPixels PxPin = Metafile->Render(100, 50);
    const TPixelBuffer& Px = *PxPin;
    ASSERT_EQ(Px.Width, 100);
    // The rectangle (10, 10) - (60, 40) filled green inside its outline of
    // three pixels, nothing drawn around it.
    EXPECT_EQ(Px.At(35, 25), Argb(0x00FF00));
    for (int y : {9, 10, 11})
        EXPECT_EQ(Px.At(35, y), Argb(0x0000FF)) << y;
    EXPECT_EQ(Px.At(35, 12), Argb(0x00FF00));
    EXPECT_EQ(Px.At(35, 8), 0u) << "transparent where nothing is drawn";
    EXPECT_EQ(Px.At(5, 45), 0u);
    // The text, bold and 20 pixels tall, at (65, 5): blue ink there only.
    int Ink = 0, Stray = 0;
    for (int y = 0; y < 50; ++y)
        for (int x = 61; x < 100; ++x) {
            const bool Blue = (Px.At(x, y) & 0xFF) > 0x80 && ((Px.At(x, y) >> 16) & 0xFF) < 0x40;
            (x >= 64 && x < 90 && y >= 4 && y < 27 ? Ink : Stray) += Blue;
        }
    EXPECT_GT(Ink, 20);
    EXPECT_EQ(Stray, 0);
}

TEST(MetafilePlayerTest, APolyPolygonLeavesItsHoleOpen)
{
    TWmfBuilder b(100, 100, 96, 2);
    b.Record(0x02FC, {0, 0x00FF, 0, 0}) // red brush
        .Record(0x012D, {0})
        .Record(0x02FA, {5, 0, 0, 0, 0}) // no pen
        .Record(0x012D, {1})
        .Record(0x0538, {2, 4, 4, 0, 0, 100, 0, 100, 100, 0, 100, 25, 25, 75, 25, 75, 75, 25, 75});
    auto Metafile = LoadMetafile(b.Bytes());
    TBitmap Bitmap;
    Bitmap.SetSize(100, 100);
    Bitmap.Canvas()->StretchDraw(TRect{0, 0, 100, 100}, Metafile.get());
    EXPECT_EQ(Bitmap.Pixels().At(10, 10), Argb(0x0000FF));
    EXPECT_EQ(Bitmap.Pixels().At(50, 50), 0xFFFFFFFFu) << "the hole";
    EXPECT_EQ(Bitmap.Pixels().At(90, 50), Argb(0x0000FF));
}

TEST(MetafilePlayerTest, OurOwnMetafileShowsItsBitmapInEitherFormat)
{
    for (bool Enhanced : {false, true}) {
        SCOPED_TRACE(Enhanced);
        TMetafile Metafile;
        Metafile.SetEnhanced(Enhanced);
        Metafile.SetWidth(40);
        Metafile.SetHeight(30);
        {
            TMetafileCanvas Canvas(&Metafile);
            Canvas.Canvas()->Brush()->SetColor(clRed);
            Canvas.Canvas()->FillRect(TRect{0, 0, 20, 30});
            Canvas.Canvas()->Brush()->SetColor(clBlue);
            Canvas.Canvas()->FillRect(TRect{20, 0, 40, 30});
        }
        TBitmap Bitmap;
        Bitmap.SetSize(80, 60);
        Bitmap.Canvas()->StretchDraw(TRect{0, 0, 80, 60}, &Metafile);
        const TPinnedPixels PxPin = Bitmap.Pixels();
        const TPixelBuffer& Px = *PxPin;
        EXPECT_EQ(Px.At(5, 5), Argb(clRed));
        EXPECT_EQ(Px.At(35, 55), Argb(clRed));
        EXPECT_EQ(Px.At(45, 5), Argb(clBlue));
        EXPECT_EQ(Px.At(79, 59), Argb(clBlue));
    }
}

TEST(MetafilePlayerTest, DamagedRecordsStopThePlayingWithoutHarm)
{
    const std::string Pen = std::string("\x08\0\0\0\xFA\x02", 6) + std::string(10, '\0');
    const std::vector<std::string> Damaged = {
        std::string("\x05\0\0\0\x24\x03\xFF\x7F\0\0", 10),         // a polygon of 32767 points in 2 words
        std::string("\x06\0\0\0\x38\x05\x02\0\xFF\x7F\x01\0", 12), // polypolygon counts past the record
        std::string("\x00\x00\x00\x80\x13\x02", 6),                // a record larger than the file
        std::string("\x02\0\0\0\x13\x02", 6),                      // a record smaller than its header
        std::string("\x04\0\0\0\x2D\x01\xFF\xFF", 8),              // an object that is not there
        std::string("\x04\0\0\0\x27\x01\x10\0", 8),                // restoring a state never saved
        std::string("\x0A\0\0\0\x32\x0A\0\0\0\0\xFF\x7F\0\0", 14), // text longer than its record
        std::string("\x10\0\0\0\x43\x0F", 6) + std::string(26, '\x7F'), // a bitmap that is no bitmap
    };
    for (const std::string& Bad : Damaged) {
        SCOPED_TRACE(Bad.size());
        TWmfBuilder b(100, 100, 96, 1);
        b.Raw(Pen).Raw(Bad).Record(0x041B, {50, 50, 10, 10});
        auto Metafile = LoadMetafile(b.Bytes());
        TRecordingCanvas Canvas(100, 100);
        Canvas.Draw(0, 0, Metafile.get());
        for (const TCanvasRecord& r : Canvas.Records())
            for (const TPoint& p : r.Points)
                EXPECT_TRUE(p.X >= -40000 && p.X <= 40000 && p.Y >= -40000 && p.Y <= 40000);
        EXPECT_EQ(Canvas.ClipRect(), (TRect{0, 0, 100, 100}));
    }
}

// LibreOffice's own metafile of shapes, text and a bitmap, drawn by us and by
// LibreOffice: the drawings, cut to what they cover, agree cell by cell.
TEST(MetafilePlayerTest, LibreOfficesMetafileLooksAsLibreOfficeDrawsIt)
{
    if (!LibreOfficeAvailable())
        GTEST_SKIP() << "LibreOffice is not installed";
    TempDir Dir;
    // An 8 x 8 picture of four squares, yellow and green.
    TPixelBuffer Checker(8, 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            Checker.At(x, y) = (x / 4 + y / 4) % 2 ? 0xFF00A000u : 0xFFFFFF00u;
    const graphicio::Bytes Bmp = dib::EncodeFile(Checker, 24);
    static const char Base64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string Encoded;
    for (size_t i = 0; i < Bmp.size(); i += 3) {
        const uint32_t n = uint32_t(Bmp[i]) << 16 | (i + 1 < Bmp.size() ? uint32_t(Bmp[i + 1]) << 8 : 0) |
                           (i + 2 < Bmp.size() ? Bmp[i + 2] : 0);
        Encoded += Base64[n >> 18];
        Encoded += Base64[(n >> 12) & 63];
        Encoded += i + 1 < Bmp.size() ? Base64[(n >> 6) & 63] : '=';
        Encoded += i + 2 < Bmp.size() ? Base64[n & 63] : '=';
    }
    Dir.Write("shapes.svg",
              "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" "
              "width=\"400\" height=\"300\" viewBox=\"0 0 400 300\">"
              "<rect x=\"20\" y=\"20\" width=\"150\" height=\"100\" fill=\"#ff0000\" stroke=\"#000000\" "
              "stroke-width=\"2\"/>"
              "<polygon points=\"250,30 380,60 300,140\" fill=\"#0000ff\"/>"
              "<line x1=\"20\" y1=\"200\" x2=\"380\" y2=\"280\" stroke=\"#008000\" stroke-width=\"4\"/>"
              "<text x=\"30\" y=\"180\" font-family=\"DejaVu Sans\" font-size=\"28\" fill=\"#000000\">Hello "
              "WMF</text>"
              "<image x=\"250\" y=\"170\" width=\"120\" height=\"100\" xlink:href=\"data:image/bmp;base64," +
                  Encoded + "\"/></svg>");
    if (!LibreOfficeConvert(Dir.Path(), "wmf", Dir.Path(), {"shapes.svg"}) || Dir.Read("shapes.wmf").empty())
        GTEST_SKIP() << "LibreOffice cannot write metafiles here (no drawing component)";
    const std::string Out = Dir.Path() + "/png";
    ASSERT_TRUE(LibreOfficeConvert(Dir.Path(), "png", Out, {"shapes.wmf"}));
    auto Metafile = LoadMetafile(Dir.Read("shapes.wmf"));
    ASSERT_FALSE(Metafile->Enhanced());
    TPNGImage Png;
    Png.LoadFromFile(Out + "/shapes.png");
    const TPinnedPixels TheirsPin = Png.Pixels();
    const TPixelBuffer& Theirs = *TheirsPin;
    TBitmap Ours;
    Ours.SetSize(Metafile->Width(), Metafile->Height());
    Ours.Canvas()->StretchDraw(TRect{0, 0, Metafile->Width(), Metafile->Height()}, Metafile.get());

    // What each drawing covers (LibreOffice puts the picture on a page).
    auto Covered = [](const TPixelBuffer& px) {
        TRect box{px.Width, px.Height, 0, 0};
        for (int y = 0; y < px.Height; ++y)
            for (int x = 0; x < px.Width; ++x)
                if ((px.At(x, y) & 0xFFFFFF) != 0xFFFFFF) {
                    box.Left = std::min(box.Left, x);
                    box.Top = std::min(box.Top, y);
                    box.Right = std::max(box.Right, x + 1);
                    box.Bottom = std::max(box.Bottom, y + 1);
                }
        return box;
    };
    const TPinnedPixels OursPin = Ours.Pixels();
    const TRect A = Covered(*OursPin), B = Covered(Theirs);
    ASSERT_FALSE(A.IsEmpty());
    ASSERT_FALSE(B.IsEmpty());
    EXPECT_NEAR(double(A.Width()) / A.Height(), double(B.Width()) / B.Height(), 0.05);
    // The mean colour of each of 40 x 30 cells.
    constexpr int Cols = 40, Rows = 30;
    auto Cell = [](const TPixelBuffer& px, const TRect& box, int c, int r, int channel) {
        const int x0 = box.Left + box.Width() * c / Cols, x1 = box.Left + box.Width() * (c + 1) / Cols;
        const int y0 = box.Top + box.Height() * r / Rows, y1 = box.Top + box.Height() * (r + 1) / Rows;
        int64_t sum = 0, n = 0;
        for (int y = y0; y < std::max(y1, y0 + 1); ++y)
            for (int x = x0; x < std::max(x1, x0 + 1); ++x, ++n)
                sum += (px.At(x, y) >> (8 * channel)) & 0xFF;
        return int(sum / n);
    };
    int Differ = 0, Coloured = 0;
    for (int r = 0; r < Rows; ++r)
        for (int c = 0; c < Cols; ++c) {
            int Diff = 0;
            bool White = true;
            for (int ch = 0; ch < 3; ++ch) {
                Diff = std::max(Diff, std::abs(Cell(*OursPin, A, c, r, ch) - Cell(Theirs, B, c, r, ch)));
                White = White && Cell(Theirs, B, c, r, ch) > 240;
            }
            Differ += Diff > 80;
            Coloured += !White;
        }
    EXPECT_GT(Coloured, Cols * Rows / 5) << "the drawing covers a good part of the picture";
    EXPECT_LT(Differ, Cols * Rows / 25) << Differ << " of " << Cols * Rows << " cells differ";
}

} // namespace
