// The Qt canvas: the platform's pixel rules, opaque text cells, drawn glyph
// positions against measured prefix widths, and the font's own flags in its metrics.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <utility>

#include "platform/core/codepages.h"
#include "platform/core/colors.h"
#include "platform/graphics/pixelbuffer.h"
#include "platform/graphics/qtcanvas.h"

namespace {

constexpr uint32_t kWhite = 0xFFFFFFFFu;
constexpr uint32_t kBlack = 0xFF000000u;
constexpr uint32_t kRed = 0xFFFF0000u;
constexpr uint32_t kBlue = 0xFF0000FFu;

class QtCanvasTest : public ::testing::Test {
protected:
    TPixelBuffer buffer{40, 30};
    std::unique_ptr<TCanvas> canvas = CreateBufferCanvas(buffer);

    uint32_t At(int x, int y) const { return buffer.At(x, y); }
    // Pixels other than white inside r.
    int Inked(const TRect& r) const
    {
        int n = 0;
        for (int y = r.Top; y < r.Bottom; ++y)
            for (int x = r.Left; x < r.Right; ++x)
                n += buffer.At(x, y) != kWhite;
        return n;
    }
    int InkedOutside(const TRect& r) const
    {
        return Inked(Rect(0, 0, buffer.Width, buffer.Height)) - Inked(r);
    }
};

// The first column with ink in a buffer, or -1.
int FirstInkedColumn(const TPixelBuffer& b, const TPixelBuffer* except = nullptr)
{
    for (int x = 0; x < b.Width; ++x)
        for (int y = 0; y < b.Height; ++y)
            if (b.At(x, y) != (except ? except->At(x, y) : kWhite))
                return x;
    return -1;
}

} // namespace

TEST_F(QtCanvasTest, LinesLeaveOutTheirLastPixel)
{
    canvas->MoveTo(2, 5);
    canvas->LineTo(8, 5);
    for (int x = 2; x < 8; ++x)
        EXPECT_EQ(At(x, 5), kBlack) << x;
    EXPECT_EQ(At(8, 5), kWhite);
    EXPECT_EQ(At(1, 5), kWhite);

    canvas->MoveTo(10, 10);
    canvas->LineTo(10, 4); // upward
    EXPECT_EQ(At(10, 10), kBlack);
    EXPECT_EQ(At(10, 5), kBlack);
    EXPECT_EQ(At(10, 4), kWhite);

    canvas->MoveTo(20, 0);
    canvas->LineTo(25, 5);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(At(20 + i, i), kBlack);
    EXPECT_EQ(At(25, 5), kWhite);
    EXPECT_EQ(Inked(Rect(0, 0, 40, 30)), 6 + 6 + 5);

    // Drawn there and back, both ends are painted (as borders rely on).
    canvas->Pen()->SetColor(clRed);
    canvas->MoveTo(2, 20);
    canvas->LineTo(6, 20);
    canvas->LineTo(2, 20);
    for (int x = 2; x <= 6; ++x)
        EXPECT_EQ(At(x, 20), kRed) << x;
}

TEST_F(QtCanvasTest, RectanglesCoverLeftTopToRightBottomExclusive)
{
    canvas->Brush()->SetColor(clRed);
    canvas->Rectangle(2, 3, 9, 8);
    const TRect r = Rect(2, 3, 9, 8);
    EXPECT_EQ(InkedOutside(r), 0);
    for (int x = 2; x < 9; ++x) {
        EXPECT_EQ(At(x, 3), kBlack);
        EXPECT_EQ(At(x, 7), kBlack);
    }
    for (int y = 3; y < 8; ++y) {
        EXPECT_EQ(At(2, y), kBlack);
        EXPECT_EQ(At(8, y), kBlack);
    }
    EXPECT_EQ(At(3, 4), kRed);
    EXPECT_EQ(At(7, 6), kRed);

    // FillRect: exactly the rectangle, in the brush.
    canvas->Brush()->SetColor(clBlue);
    canvas->FillRect(Rect(20, 20, 25, 23));
    EXPECT_EQ(Inked(Rect(20, 20, 25, 23)), 15);
    EXPECT_EQ(At(20, 20), kBlue);
    EXPECT_EQ(At(24, 22), kBlue);
    EXPECT_EQ(At(25, 22), kWhite);
    EXPECT_EQ(At(24, 23), kWhite);

    // FrameRect: a 1-pixel frame in the brush colour.
    canvas->FrameRect(Rect(30, 0, 34, 4));
    EXPECT_EQ(Inked(Rect(30, 0, 34, 4)), 12);
    EXPECT_EQ(At(31, 1), kWhite);

    // Without a pen the fill is one pixel smaller.
    canvas->Pen()->SetStyle(psClear);
    canvas->Rectangle(10, 20, 15, 25);
    EXPECT_EQ(Inked(Rect(10, 20, 15, 25)), 16);
    EXPECT_EQ(At(14, 24), kWhite);
}

TEST_F(QtCanvasTest, ClipAndOriginApplyToDrawing)
{
    canvas->Brush()->SetColor(clBlack);
    canvas->SetWindowOrgEx(-5, -5);
    canvas->IntersectClipRect(0, 0, 4, 4);
    canvas->FillRect(Rect(0, 0, 20, 20));
    EXPECT_EQ(Inked(Rect(5, 5, 9, 9)), 16);
    EXPECT_EQ(InkedOutside(Rect(5, 5, 9, 9)), 0);
}

TEST_F(QtCanvasTest, ExtentsWithFitEqualTheSumOfCharacterAdvances)
{
    canvas->Font()->SetName("Arial");
    canvas->Font()->SetSize(10);
    const WideString text =
        u"The quick brown fox jumps over the lazy dog; AVAVA Tea WAVE fi fl ffi 0123456789.";
    int sum = 0;
    for (WideChar c : text) {
        TSize one;
        ASSERT_TRUE(canvas->GetTextExtentPoint32W(&c, 1, one));
        EXPECT_GT(one.cx, 0);
        sum += one.cx;
    }
    const int n = static_cast<int>(text.size());
    std::vector<int> dx(text.size());
    int fit = 0;
    TSize size;
    ASSERT_TRUE(canvas->GetTextExtentExPointW(text.data(), n, sum / 2, &fit, dx.data(), size));
    EXPECT_EQ(size.cx, sum); // no kerning ("AV", "Te", "WA") or ligatures ("fi") between characters
    EXPECT_EQ(dx.back(), sum);
    EXPECT_LE(dx[static_cast<size_t>(fit) - 1], sum / 2);
    EXPECT_GT(dx[static_cast<size_t>(fit)], sum / 2);
}

TEST_F(QtCanvasTest, DrawnGlyphsStartAtMeasuredPrefixWidths)
{
    TPixelBuffer whole(200, 30), before(200, 30), alone(200, 30);
    auto cw = CreateBufferCanvas(whole);
    auto cb = CreateBufferCanvas(before);
    auto ca = CreateBufferCanvas(alone);
    for (TCanvas* c : {cw.get(), cb.get(), ca.get()}) {
        c->Font()->SetName("Arial");
        c->Font()->SetSize(12);
        c->Font()->SetColor(clBlack);
        c->Brush()->SetStyle(bsClear);
    }
    const WideString text = u"AVWi.jT";
    std::vector<int> dx(text.size());
    TSize size;
    ASSERT_TRUE(
        cw->GetTextExtentExPointW(text.data(), static_cast<int>(text.size()), 0, nullptr, dx.data(), size));
    for (int k = 1; k < static_cast<int>(text.size()); ++k) {
        // The ink that character k adds to the text drawn up to it ...
        std::fill(whole.Pixels.begin(), whole.Pixels.end(), kWhite);
        std::fill(before.Pixels.begin(), before.Pixels.end(), kWhite);
        std::fill(alone.Pixels.begin(), alone.Pixels.end(), kWhite);
        cw->TextOutW(10, 5, text.data(), k + 1);
        cb->TextOutW(10, 5, text.data(), k);
        // ... starts where the character starts when drawn alone at the measured prefix width.
        ca->TextOutW(10 + dx[static_cast<size_t>(k) - 1], 5, text.data() + k, 1);
        const int alone0 = FirstInkedColumn(alone);
        ASSERT_GE(alone0, 0) << k;
        int added = -1;
        for (int x = 0; x < whole.Width && added < 0; ++x)
            for (int y = 0; y < whole.Height; ++y)
                if (whole.At(x, y) != before.At(x, y) && alone.At(x, y) != kWhite) {
                    added = x;
                    break;
                }
        EXPECT_EQ(added, alone0) << "character " << k;
    }
}

TEST_F(QtCanvasTest, SolidBrushPaintsTheTextCellOpaque)
{
    canvas->Font()->SetHeight(-11);
    canvas->Brush()->SetColor(clRed);
    canvas->TextOut(3, 2, "ab");
    TSize size = canvas->TextExtent("ab");
    EXPECT_EQ(At(3, 2), kRed);
    EXPECT_EQ(At(3 + size.cx - 1, 2 + size.cy - 1), kRed);
    EXPECT_EQ(At(3 + size.cx, 2), kWhite);
    EXPECT_EQ(At(3, 2 + size.cy), kWhite);
    EXPECT_EQ(InkedOutside(Bounds(3, 2, size.cx, size.cy)), 0);
    EXPECT_LT(Inked(Bounds(3, 2, size.cx, size.cy)), size.cx * size.cy + 1);

    // A clear brush leaves the background: only glyph pixels change.
    std::fill(buffer.Pixels.begin(), buffer.Pixels.end(), kWhite);
    canvas->Brush()->SetStyle(bsClear);
    canvas->TextOut(3, 2, "ab");
    EXPECT_EQ(At(3, 2), kWhite);
    EXPECT_GT(Inked(Bounds(3, 2, size.cx, size.cy)), 0);
}

TEST_F(QtCanvasTest, UnderlineDrawnAtTheOutlineMetricsPosition)
{
    canvas->Font()->SetHeight(-13);
    canvas->Font()->SetStyle({fsUnderline});
    canvas->Brush()->SetStyle(bsClear);
    TOutlineTextMetric otm;
    ASSERT_TRUE(canvas->GetOutlineTextMetrics(otm));
    EXPECT_LT(otm.otmsUnderscorePosition, 0);
    canvas->TextOut(0, 0, "    "); // spaces: only the underline has ink
    const int row = otm.otmTextMetrics.tmAscent - otm.otmsUnderscorePosition;
    EXPECT_EQ(At(1, row), kBlack);
    EXPECT_EQ(Inked(Rect(0, 0, 40, 30)), canvas->TextWidth("    ") * otm.otmsUnderscoreSize);
}

TEST_F(QtCanvasTest, HugeFontHeightsAreBounded)
{
    canvas->Font()->SetHeight(-10000000);
    TTextMetric tm;
    ASSERT_TRUE(canvas->GetTextMetrics(tm));
    EXPECT_GT(tm.tmHeight, 1000);
    EXPECT_LT(tm.tmHeight, 3000);
    canvas->TextOut(0, 0, "W"); // drawn without exhausting memory
}

TEST(QtTextTest, Utf8AnsiTextDrawsLikeItsCharacters)
{
    SetACP(65001);
    const AnsiString utf8 = "a\xC3\xA9\xE2\x82\xAC\xD7\x90z"; // a, e acute, euro, alef, z
    const WideString wide = u"a\u00E9\u20AC\u05D0z";
    TPixelBuffer a(80, 20), b(80, 20);
    auto ca = CreateBufferCanvas(a);
    auto cb = CreateBufferCanvas(b);
    ca->TextOutA(2, 2, utf8.data(), static_cast<int>(utf8.size()));
    cb->TextOutW(2, 2, wide.data(), static_cast<int>(wide.size()));
    EXPECT_EQ(a.Pixels, b.Pixels);
    EXPECT_NE(FirstInkedColumn(a), -1);
    // Per byte, the extents report whole characters.
    std::vector<int> dx(utf8.size());
    TSize size;
    ASSERT_TRUE(
        ca->GetTextExtentExPointA(utf8.data(), static_cast<int>(utf8.size()), 0, nullptr, dx.data(), size));
    TSize first;
    ASSERT_TRUE(ca->GetTextExtentPoint32W(wide.data(), 2, first));
    EXPECT_EQ(dx[1], dx[0]);    // first byte of e acute: where it starts
    EXPECT_EQ(dx[2], first.cx); // its last byte: where it ends
    EXPECT_EQ(dx.back(), size.cx);
    SetACP(0);
}

TEST(QtTextTest, AsciiInUtf8MeasuresAndDrawsAsTheGeneralRoadDoes)
{
    // Plain ASCII in UTF-8 takes a shorter road through measuring and drawing;
    // it must give what the general road gives for the same characters, with
    // the character extra, next to a combining mark and a non-ASCII character.
    SetACP(65001);
    TPixelBuffer a(200, 20), b(200, 20);
    auto ca = CreateBufferCanvas(a);
    auto cb = CreateBufferCanvas(b);
    for (TCanvas* c : {ca.get(), cb.get()}) {
        c->Font()->SetName("DejaVu Sans");
        c->Font()->SetSize(9);
        c->SetTextCharacterExtra(1);
    }
    const AnsiString ascii = "[worker-07] id=42 ok";
    const WideString wide = u"[worker-07] id=42 ok";
    TSize fast, general;
    ASSERT_TRUE(ca->GetTextExtentPoint32A(ascii.data(), static_cast<int>(ascii.size()), fast));
    std::vector<int> dx(ascii.size());
    ASSERT_TRUE(cb->GetTextExtentExPointA(ascii.data(), static_cast<int>(ascii.size()), 1000, nullptr,
                                          dx.data(), general));
    EXPECT_EQ(fast.cx, general.cx);
    EXPECT_EQ(fast.cx, dx.back());
    EXPECT_EQ(fast.cy, general.cy);
    TSize widened;
    ASSERT_TRUE(cb->GetTextExtentPoint32W(wide.data(), static_cast<int>(wide.size()), widened));
    EXPECT_EQ(fast.cx, widened.cx);
    ca->TextOutA(2, 2, ascii.data(), static_cast<int>(ascii.size()));
    cb->TextOutW(2, 2, wide.data(), static_cast<int>(wide.size()));
    EXPECT_EQ(a.Pixels, b.Pixels);

    // A combining acute after "e" adds nothing to the width: the advance of
    // the pair lies on the "e".
    const AnsiString combining = "e\xCC\x81x";
    std::vector<int> cdx(combining.size());
    TSize csize;
    ASSERT_TRUE(ca->GetTextExtentExPointA(combining.data(), static_cast<int>(combining.size()), 1000, nullptr,
                                          cdx.data(), csize));
    EXPECT_GT(cdx[0], 1);      // the "e" with its extra
    EXPECT_EQ(cdx[1], cdx[0]); // first byte of the mark: where it starts
    EXPECT_EQ(cdx[2], cdx[0]); // its last byte: it adds nothing
    EXPECT_GT(cdx[3], cdx[2]); // then the "x"

    // A log line that turns out not to be ASCII only at its last character
    // measures as its characters, in total and by prefixes.
    const AnsiString late = "[worker-07] id=42 ok \xE2\x82\xAC";
    const WideString lateWide = u"[worker-07] id=42 ok \u20AC";
    TSize lateSize, lateWidened;
    ASSERT_TRUE(ca->GetTextExtentPoint32A(late.data(), static_cast<int>(late.size()), lateSize));
    ASSERT_TRUE(cb->GetTextExtentPoint32W(lateWide.data(), static_cast<int>(lateWide.size()), lateWidened));
    EXPECT_EQ(lateSize.cx, lateWidened.cx);
    std::vector<int> lateDx;
    std::vector<uint8_t> lateStarts;
    ASSERT_TRUE(
        ca->GetTextPrefixExtentsA(late.data(), static_cast<int>(late.size()), lateDx, lateStarts, lateSize));
    EXPECT_EQ(lateDx.back(), lateWidened.cx);
    EXPECT_EQ(lateStarts[late.size() - 1], 0); // the euro's last byte begins nothing
    SetACP(0);
}

TEST(QtTextTest, FixedPitchAsciiMeasuresAsItsCharacters)
{
    // In a fixed-pitch font the width of printable ASCII is a product of its
    // length; it must give what the characters' own advances give.
    SetACP(65001);
    TPixelBuffer pixels(20, 20);
    auto canvas = CreateBufferCanvas(pixels);
    canvas->Font()->SetName("DejaVu Sans Mono");
    canvas->Font()->SetSize(9);
    canvas->SetTextCharacterExtra(1);
    const AnsiString base = "2024-05-01 [worker-07] id=42 ok {}~ ";
    for (size_t length : {1u, 8u, 9u, 36u}) {
        const AnsiString text = base.substr(0, length);
        SCOPED_TRACE(text);
        TSize total, prefixed;
        std::vector<int> dx(text.size());
        ASSERT_TRUE(canvas->GetTextExtentPoint32A(text.data(), static_cast<int>(text.size()), total));
        ASSERT_TRUE(canvas->GetTextExtentExPointA(text.data(), static_cast<int>(text.size()), 100000, nullptr,
                                                  dx.data(), prefixed));
        EXPECT_EQ(total.cx, prefixed.cx);
        EXPECT_EQ(total.cx, dx.back());
        EXPECT_GT(total.cx, static_cast<int>(length));
    }
    SetACP(0);
}

TEST(QtTextTest, TextWhoseInkReachesIntoTheClipFromOutsideItIsDrawnThere)
{
    // Acute accents stacked on a letter reach far over its cell: drawn with a
    // clip that leaves out the whole cell, the clip must show what a drawing
    // without a clip shows there; a line whose ink stays away shows nothing.
    SetACP(65001);
    const WideString stacked = u"x\u0301\u0301\u0301\u0301\u0301\u0301 ok";
    const TRect clip = Rect(0, 0, 80, 54);
    TPixelBuffer clipped(80, 80), whole(80, 80);
    auto cc = CreateBufferCanvas(clipped);
    auto cw = CreateBufferCanvas(whole);
    for (TCanvas* canvas : {cc.get(), cw.get()}) {
        canvas->Font()->SetName("DejaVu Sans");
        canvas->Font()->SetSize(10);
    }
    cc->IntersectClipRect(clip.Left, clip.Top, clip.Right, clip.Bottom);
    for (TCanvas* canvas : {cc.get(), cw.get()})
        canvas->TextOutW(4, 56, stacked.data(), static_cast<int>(stacked.size()));
    int inked = 0;
    for (int y = clip.Top; y < clip.Bottom; ++y)
        for (int x = clip.Left; x < clip.Right; ++x) {
            ASSERT_EQ(clipped.At(x, y), whole.At(x, y)) << x << "," << y;
            inked += whole.At(x, y) != kWhite;
        }
    EXPECT_GT(inked, 0) << "the accents reach into the clip";
    // Plain text a line below the clip leaves it as it was.
    const std::vector<uint32_t> before = clipped.Pixels;
    const WideString plain = u"plain text";
    cc->TextOutW(4, 66, plain.data(), static_cast<int>(plain.size()));
    EXPECT_EQ(clipped.Pixels, before);
    SetACP(0);
}

TEST(QtTextTest, PrefixExtentsGiveWhatEveryPartMeasuresAlone)
{
    // Any part that begins and ends where a character begins measures alone
    // the difference of its prefix extents; a part that begins or ends inside
    // a character (a mark, the second half of a pair) is not marked as such.
    TPixelBuffer b(40, 20);
    auto c = CreateBufferCanvas(b);
    c->Font()->SetName("DejaVu Sans");
    c->Font()->SetSize(11);
    c->SetTextCharacterExtra(1);
    const WideString wide = u"Wa c\u0301\u0327d \u6F22\u5B57\u3002 \u05D0\u05D1 \xD83D\xDE00x\u200By\u00A0z-";
    const int n = static_cast<int>(wide.size());
    std::vector<int> dx;
    std::vector<uint8_t> starts;
    TSize size;
    ASSERT_TRUE(c->GetTextPrefixExtentsW(wide.data(), n, dx, starts, size));
    ASSERT_EQ(dx.size(), wide.size());
    ASSERT_EQ(starts.size(), wide.size() + 1);
    EXPECT_EQ(starts[4], 0); // the marks after "c"
    EXPECT_EQ(starts[5], 0);
    EXPECT_EQ(starts[16], 0); // the second half of the pair
    auto prefix = [&](int i) { return i == 0 ? 0 : dx[static_cast<size_t>(i) - 1]; };
    for (int a = 0; a < n; ++a)
        for (int e = a; e <= n; ++e) {
            if (!starts[static_cast<size_t>(a)] || !starts[static_cast<size_t>(e)])
                continue;
            TSize part;
            ASSERT_TRUE(c->GetTextExtentPoint32W(wide.data() + a, e - a, part));
            EXPECT_EQ(part.cx, prefix(e) - prefix(a)) << a << ".." << e;
            EXPECT_EQ(part.cy, size.cy);
        }

    // ANSI text in UTF-8 (with a combining mark) and in a single-byte code page.
    struct TAnsiCase {
        unsigned CodePage;
        AnsiString Text;
    };
    const TAnsiCase cases[] = {
        {65001, "a\xC3\xA9 e\xCC\x81\xE6\xBC\xA2\xE5\xAD\x97 \xD7\x90\xF0\x9F\x98\x80z"},
        {1252, "caf\xE9 \x80 na\xEFve"},
    };
    for (const TAnsiCase& t : cases) {
        SCOPED_TRACE(t.CodePage);
        SetACP(t.CodePage);
        const int bytes = static_cast<int>(t.Text.size());
        ASSERT_TRUE(c->GetTextPrefixExtentsA(t.Text.data(), bytes, dx, starts, size));
        ASSERT_EQ(starts.size(), t.Text.size() + 1);
        int marked = 0;
        for (int a = 0; a < bytes; ++a)
            for (int e = a; e <= bytes; ++e) {
                if (!starts[static_cast<size_t>(a)] || !starts[static_cast<size_t>(e)])
                    continue;
                ++marked;
                TSize part;
                ASSERT_TRUE(c->GetTextExtentPoint32A(t.Text.data() + a, e - a, part));
                EXPECT_EQ(part.cx, prefix(e) - prefix(a)) << a << ".." << e;
            }
        EXPECT_GT(marked, bytes);
        EXPECT_EQ(starts[1], 1);
        EXPECT_EQ(starts[2], t.CodePage == 65001 ? 0 : 1); // inside the e acute in UTF-8
        if (t.CodePage == 65001) {
            EXPECT_EQ(starts[5], 0); // the combining acute after "e"
        }
    }
    SetACP(0);
}

TEST_F(QtCanvasTest, LevelAndUprightLinesReachingFarOutsideDrawWhatTheDeviceHolds)
{
    // From, To (the last pixel left out), the row or column drawn and the
    // range of it that shows on the 40 x 30 buffer.
    struct TCase {
        TPoint From, To;
        bool Level;
        int Line, First, Last; // pixels First..Last of row or column Line
    };
    const TCase cases[] = {
        {{-2000000000, 5}, {2000000000, 5}, true, 5, 0, 39},
        {{30, 6}, {-70000000, 6}, true, 6, 0, 30},
        {{-3, 7}, {12, 7}, true, 7, 0, 11},
        {{12, 8}, {-3, 8}, true, 8, 0, 12},
        {{7, -100000000}, {7, 100000000}, false, 7, 0, 29},
        {{9, 25}, {9, -4}, false, 9, 0, 25},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.From.X << "," << c.From.Y << " to " << c.To.X << "," << c.To.Y);
        std::fill(buffer.Pixels.begin(), buffer.Pixels.end(), kWhite);
        canvas->MoveTo(c.From.X, c.From.Y);
        canvas->LineTo(c.To.X, c.To.Y);
        const int length = c.Level ? buffer.Width : buffer.Height;
        for (int i = 0; i < length; ++i) {
            const uint32_t pixel = c.Level ? At(i, c.Line) : At(c.Line, i);
            EXPECT_EQ(pixel, i >= c.First && i <= c.Last ? kBlack : kWhite) << i;
        }
        EXPECT_EQ(Inked(Rect(0, 0, buffer.Width, buffer.Height)), c.Last - c.First + 1);
    }
    // Off the device altogether: nothing.
    std::fill(buffer.Pixels.begin(), buffer.Pixels.end(), kWhite);
    canvas->MoveTo(-50, 40);
    canvas->LineTo(90, 40);
    EXPECT_EQ(Inked(Rect(0, 0, buffer.Width, buffer.Height)), 0);
}

// Lines, outlines and figures reaching far past a 100 x 100 image, their
// ends up to twice the int range apart, draw there what the same figures
// drawn near it on the same lines draw, dashed and in XOR modes as well: the
// pixels of a line depend only on its direction, and the far figures are a
// whole number of dash patterns longer.
TEST(QtCanvasLines, FiguresReachingFarPastTheDeviceDrawWhatTheirNearPartsDraw)
{
    // A multiple of 24 (every dash pattern's length divides it) and of 4.
    const int far = 24 * (1 << 26), nearby = 240;
    using TFigure = std::function<void(TCanvas&, int)>;
    const std::pair<const char*, TFigure> figures[] = {
        {"a line through the image",
         [](TCanvas& c, int d) {
             c.MoveTo(50 - d, 50 - d / 2);
             c.LineTo(50 + d, 50 + d / 2);
         }},
        {"a line from inside",
         [](TCanvas& c, int d) {
             c.MoveTo(10, 20);
             c.LineTo(10 + d, 20 + d / 4);
         }},
        {"a polyline",
         [](TCanvas& c, int d) {
             c.Polyline({{90, 5}, {90 - d, 5 + d}, {90 - d, 5}});
         }},
        {"a rectangle outline", [](TCanvas& c, int d) { c.Rectangle(10, 10, 10 + d, 10 + d); }},
        {"a polygon outline",
         [](TCanvas& c, int d) {
             c.Polygon({{20, 30}, {20 + d, 30 + d / 2}, {20, 30 + d}});
         }},
        {"a focus rectangle", [](TCanvas& c, int d) { c.DrawFocusRect(Rect(5 - d, 5, 5 + d, 95 + d)); }},
    };
    const std::pair<TPenStyle, TPenMode> pens[] = {
        {psSolid, pmCopy}, {psDash, pmCopy}, {psDot, pmXor}, {psDashDotDot, pmNotXor}};
    for (const auto& [name, draw] : figures)
        for (const auto& [style, mode] : pens) {
            SCOPED_TRACE(testing::Message() << name << ", pen style " << style << ", mode " << mode);
            TPixelBuffer images[2] = {TPixelBuffer(100, 100), TPixelBuffer(100, 100)};
            for (int i = 0; i < 2; ++i) {
                std::fill(images[i].Pixels.begin(), images[i].Pixels.end(), 0xFF336699u);
                std::unique_ptr<TCanvas> canvas = CreateBufferCanvas(images[i]);
                canvas->Pen()->SetStyle(style);
                canvas->Pen()->SetMode(mode);
                canvas->Pen()->SetColor(clRed);
                canvas->Brush()->SetStyle(bsClear);
                draw(*canvas, i == 0 ? nearby : far);
            }
            EXPECT_TRUE(images[0].Pixels == images[1].Pixels);
            EXPECT_FALSE(std::all_of(images[1].Pixels.begin(), images[1].Pixels.end(), [](uint32_t p) {
                return p == 0xFF336699u;
            })) << "something was drawn";
        }
}

TEST(QtTextTest, ALongRunDrawsOnTheDeviceWhatItsVisiblePartDraws)
{
    // A run of 3,000 characters that starts far left of a 120 px buffer and
    // reaches far beyond it, against the characters that show, drawn where
    // the long run places them on a buffer wide enough to hold them all.
    const int pad = 200;
    TPixelBuffer whole(120, 24), part(120 + 2 * pad, 24);
    auto cw = CreateBufferCanvas(whole);
    auto cp = CreateBufferCanvas(part);
    for (TCanvas* c : {cw.get(), cp.get()}) {
        c->Font()->SetName("DejaVu Serif");
        c->Font()->SetSize(11);
        c->Font()->SetStyle(TFontStyles{fsItalic});
        c->Brush()->SetStyle(bsClear);
    }
    WideString text;
    for (int i = 0; text.size() < 3000; ++i)
        text += u"fjW/\\ Tagy\u00C5 ";
    text.resize(3000);
    const int n = static_cast<int>(text.size());
    std::vector<int> dx(text.size());
    TSize size;
    ASSERT_TRUE(cw->GetTextExtentExPointW(text.data(), n, 0, nullptr, dx.data(), size));
    const int x0 = -size.cx / 2;
    cw->TextOutW(x0, 2, text.data(), n);
    // The characters from well before the left edge to well after the right one.
    int first = 0;
    while (first < n && x0 + dx[static_cast<size_t>(first)] < -60)
        ++first;
    int last = first;
    while (last < n && x0 + dx[static_cast<size_t>(last)] < 180)
        ++last;
    cp->TextOutW(pad + x0 + (first == 0 ? 0 : dx[static_cast<size_t>(first) - 1]), 2, text.data() + first,
                 last - first);
    int differing = 0;
    for (int y = 0; y < whole.Height; ++y)
        for (int x = 0; x < whole.Width; ++x)
            differing += whole.At(x, y) != part.At(x + pad, y);
    EXPECT_EQ(differing, 0);
    EXPECT_NE(FirstInkedColumn(whole), -1);
}

TEST(QtTextTest, AsciiRunsDrawAsTheirWideCharactersUnderEveryOption)
{
    // ASCII text in UTF-8 fills its run in one pass and reuses the buffers of
    // the run before: every run, whatever came before it, must draw what the
    // same characters drawn as wide text draw.
    SetACP(65001);
    TPixelBuffer a(240, 60), b(240, 60);
    auto ca = CreateBufferCanvas(a);
    auto cb = CreateBufferCanvas(b);
    struct TCase {
        const char* Text;
        unsigned Align;
        unsigned Options;
        int Extra;
        bool Opaque;
        bool Styled;
    };
    const TCase cases[] = {
        {"2024-05-01 [worker-07] id=42 ok", TA_LEFT | TA_TOP, 0, 0, false, false},
        {"short", TA_LEFT | TA_TOP, ETO_OPAQUE | ETO_CLIPPED, 0, true, false},
        {"tab\there, {}~", TA_RIGHT | TA_TOP, 0, 2, false, true},
        {"centred on the baseline", TA_CENTER | TA_BASELINE, ETO_CLIPPED, 0, true, false},
        {"caf\xC3\xA9 after ASCII", TA_LEFT | TA_TOP, 0, 1, false, true},
        {"x", TA_LEFT | TA_BOTTOM, ETO_OPAQUE, 0, true, false},
    };
    const TRect rect = Rect(30, 10, 150, 40);
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Text);
        const AnsiString text = c.Text;
        std::vector<WideChar> wide(text.size() + 1);
        const int units = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                              wide.data(), static_cast<int>(wide.size()));
        ASSERT_GT(units, 0);
        for (TCanvas* canvas : {ca.get(), cb.get()}) {
            canvas->Font()->SetName("DejaVu Sans");
            canvas->Font()->SetSize(10);
            canvas->Font()->SetStyle(c.Styled ? TFontStyles{fsUnderline, fsStrikeOut} : TFontStyles{});
            canvas->Font()->SetColor(c.Styled ? clBlue : clBlack);
            canvas->Brush()->SetColor(clYellow);
            canvas->Brush()->SetStyle(c.Opaque ? bsSolid : bsClear);
            canvas->SetTextAlign(c.Align);
            canvas->SetTextCharacterExtra(c.Extra);
        }
        ASSERT_TRUE(
            ca->ExtTextOutA(120, 30, c.Options, &rect, text.data(), static_cast<int>(text.size()), nullptr));
        ASSERT_TRUE(cb->ExtTextOutW(120, 30, c.Options, &rect, wide.data(), units, nullptr));
        ASSERT_EQ(a.Pixels, b.Pixels);
        EXPECT_NE(FirstInkedColumn(a), -1);
    }
    SetACP(0);
}

TEST(QtTextTest, ARunOverSeveralFacesDrawsAsItsCharactersOneByOne)
{
    // A run whose characters need a fallback face is drawn a face at a time
    // from the same buffers: it must draw what its characters drawn alone at
    // their measured places draw, twice over.
    SetACP(65001);
    const WideString text = u"ab\u4E2D\u6587cd\u4E2De";
    TPixelBuffer whole(160, 24), single(160, 24);
    auto cw = CreateBufferCanvas(whole);
    auto cs = CreateBufferCanvas(single);
    for (TCanvas* canvas : {cw.get(), cs.get()}) {
        canvas->Font()->SetName("DejaVu Sans");
        canvas->Font()->SetSize(10);
        canvas->Brush()->SetStyle(bsClear);
    }
    std::vector<int> dx(text.size());
    TSize size;
    ASSERT_TRUE(cs->GetTextExtentExPointW(text.data(), static_cast<int>(text.size()), 100000, nullptr,
                                          dx.data(), size));
    for (int round = 0; round < 2; ++round) {
        cw->TextOutW(2, 2 + round * 10, text.data(), static_cast<int>(text.size()));
        for (size_t i = 0; i < text.size(); ++i)
            cs->TextOutW(2 + (i ? dx[i - 1] : 0), 2 + round * 10, text.data() + i, 1);
    }
    EXPECT_EQ(whole.Pixels, single.Pixels);
    EXPECT_NE(FirstInkedColumn(whole), -1);
    SetACP(0);
}

TEST(QtTextTest, UnderlineStrikeOutAndCharacterSetInTheMetricsAreTheFonts)
{
    TPixelBuffer buffer(10, 10);
    std::unique_ptr<TCanvas> canvas = CreateBufferCanvas(buffer);
    // Fonts of one face and size share what is realised for them, not these.
    struct TCase {
        TFontStyles Style;
        TFontCharset Charset;
    };
    const TCase cases[] = {{TFontStyles{fsUnderline}, 0},
                           {TFontStyles{}, 204},
                           {TFontStyles{fsStrikeOut}, 161},
                           {TFontStyles{}, 0}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(int(c.Charset));
        canvas->Font()->SetName("DejaVu Sans");
        canvas->Font()->SetHeight(-21);
        canvas->Font()->SetStyle(c.Style);
        canvas->Font()->SetCharset(c.Charset);
        TTextMetric tm;
        ASSERT_TRUE(canvas->GetTextMetrics(tm));
        EXPECT_EQ(tm.tmUnderlined != 0, c.Style.Contains(fsUnderline));
        EXPECT_EQ(tm.tmStruckOut != 0, c.Style.Contains(fsStrikeOut));
        EXPECT_EQ(tm.tmCharSet, c.Charset);
    }
}
