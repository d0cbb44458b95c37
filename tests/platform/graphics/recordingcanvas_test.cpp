// The canvas's shared logic on the recording backend: the log, origins and clips,
// extents with fixed metrics, ANSI text in a multi-byte code page, bidirectional
// placement and DrawText.
#include <gtest/gtest.h>

#include "platform/core/codepages.h"
#include "platform/core/colors.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/pixelbuffer.h"
#include "platform/graphics/recordingcanvas.h"

namespace {

class RecordingCanvasTest : public ::testing::Test {
protected:
    void TearDown() override { SetACP(0); }
    TRecordingCanvas canvas{200, 100};
};

// Logical "abc אבג def": Latin, a space, three Hebrew letters, a space, Latin.
const WideString kMixed = u"abc \u05D0\u05D1\u05D2 def";

} // namespace

TEST_F(RecordingCanvasTest, LogsEveryPrimitiveWithItsState)
{
    canvas.Pen()->SetColor(clRed);
    canvas.Pen()->SetWidth(2);
    canvas.MoveTo(1, 2);
    canvas.LineTo(10, 2);
    EXPECT_EQ(canvas.PenPos(), Point(10, 2));
    canvas.Brush()->SetStyle(bsClear);
    canvas.Rectangle(8, 9, 3, 4); // corners in any order
    canvas.Font()->SetName("Arial");
    canvas.Font()->SetStyle({fsBold});
    canvas.Font()->SetColor(clBlue);
    canvas.Brush()->SetColor(clYellow);
    canvas.TextOut(5, 6, "ab");
    canvas.FillRect(Rect(0, 0, 5, 5));
    canvas.FillRect(Rect(5, 5, 0, 0)); // inverted: nothing

    ASSERT_EQ(canvas.Count(), 4);
    const TCanvasRecord& line = canvas[0];
    EXPECT_EQ(line.Op, TCanvasOp::Line);
    EXPECT_EQ(line.Points, (std::vector<TPoint>{{1, 2}, {10, 2}}));
    EXPECT_EQ(line.Pen.Color, clRed);
    EXPECT_EQ(line.Pen.Width, 2);
    EXPECT_EQ(line.Clip, Rect(0, 0, 200, 100));

    const TCanvasRecord& rect = canvas[1];
    EXPECT_EQ(rect.Op, TCanvasOp::Rectangle);
    EXPECT_EQ(rect.Rect, Rect(3, 4, 8, 9));
    EXPECT_EQ(rect.Brush.Style, bsClear);

    const TCanvasRecord& text = canvas[2];
    EXPECT_EQ(text.Op, TCanvasOp::Text);
    EXPECT_EQ(text.X, 5);
    EXPECT_EQ(text.Y, 6);
    EXPECT_EQ(text.Text, u"ab");
    EXPECT_TRUE(text.FromAnsi);
    EXPECT_EQ(text.Ansi, "ab");
    EXPECT_EQ(text.Advances, (std::vector<int>{7, 7}));
    EXPECT_EQ(text.CharX, (std::vector<int>{0, 7}));
    EXPECT_EQ(text.Width, 14);
    EXPECT_EQ(text.Font.Name, "Arial");
    EXPECT_EQ(text.Font.Style, TFontStyles{fsBold});
    EXPECT_EQ(text.Font.Color, clBlue);
    EXPECT_TRUE(text.Opaque); // the brush became solid with its colour
    EXPECT_EQ(text.Brush.Color, clYellow);
    EXPECT_EQ(canvas.PenPos(), Point(19, 6)); // TextOut moves to the end of the text

    EXPECT_EQ(canvas[3].Op, TCanvasOp::FillRect);
    EXPECT_EQ(canvas.RecordsOf(TCanvasOp::Text).size(), 1u);
}

TEST_F(RecordingCanvasTest, OriginsClipsAndSavedStates)
{
    canvas.SetWindowOrgEx(10, 20);
    canvas.SetViewportOrgEx(1, 1);
    canvas.FillRect(Rect(10, 20, 15, 25));
    EXPECT_EQ(canvas[0].Rect, Rect(1, 1, 6, 6));

    const int level = canvas.SaveDC();
    EXPECT_EQ(level, 1);
    canvas.IntersectClipRect(10, 20, 50, 40);
    EXPECT_EQ(canvas.ClipRect(), Rect(10, 20, 50, 40));
    canvas.SetWindowOrgEx(0, 0);
    canvas.SetTextCharacterExtra(3);
    canvas.TextOutW(0, 0, u"x", 1);
    EXPECT_EQ(canvas[1].Clip, Rect(1, 1, 41, 21));
    EXPECT_EQ(canvas[1].Advances, std::vector<int>{10});
    EXPECT_TRUE(canvas.RestoreDC(-1));
    EXPECT_FALSE(canvas.RestoreDC(1)); // already restored
    EXPECT_EQ(canvas.WindowOrg(), Point(10, 20));
    EXPECT_EQ(canvas.GetTextCharacterExtra(), 0);
    EXPECT_EQ(canvas.ClipRect(), Rect(9, 19, 209, 119)); // the device in logical coordinates

    // A clip outside the device leaves nothing.
    canvas.IntersectClipRect(1000, 1000, 1010, 1010);
    EXPECT_TRUE(canvas.ClipRect().IsEmpty());
    canvas.SelectClipRect(nullptr);
    EXPECT_EQ(canvas.ClipRect(), Rect(9, 19, 209, 119));
}

TEST_F(RecordingCanvasTest, ExtentsWithFitAddUpTheAdvances)
{
    WideString text;
    for (int i = 0; i < 1000; ++i)
        text.push_back(static_cast<WideChar>(u'a' + i % 26));
    std::vector<int> dx(text.size());
    int fit = -1;
    TSize size;
    ASSERT_TRUE(canvas.GetTextExtentExPointW(text.data(), 1000, 100, &fit, dx.data(), size));
    EXPECT_EQ(size, (TSize{7000, 13}));
    EXPECT_EQ(fit, 14); // 14 * 7 = 98 <= 100 < 105
    for (int i = 0; i < 1000; ++i)
        ASSERT_EQ(dx[static_cast<size_t>(i)], 7 * (i + 1));

    canvas.SetTextCharacterExtra(2);
    ASSERT_TRUE(canvas.GetTextExtentExPointW(text.data(), 1000, 99, &fit, dx.data(), size));
    EXPECT_EQ(size.cx, 9000);
    EXPECT_EQ(fit, 11);
    canvas.SetTextCharacterExtra(0);

    // A scaled font measures at its width; an empty text is 0 wide and a line high.
    canvas.Font()->SetWidth(4);
    EXPECT_EQ(canvas.TextExtent("abc"), (TSize{12, 13}));
    EXPECT_EQ(canvas.TextExtent(""), (TSize{0, 13}));
    EXPECT_FALSE(canvas.GetTextExtentPoint32W(nullptr, 3, size));
    EXPECT_FALSE(canvas.GetTextExtentPoint32A("abc", -1, size));

    // Metrics per font, set by the test.
    canvas.MetricsForFont = [](const TFont& f) {
        TRecordingMetrics m;
        m.Ascent = -f.Height();
        return m;
    };
    canvas.Font()->SetHeight(-20);
    TTextMetric tm;
    ASSERT_TRUE(canvas.GetTextMetrics(tm));
    EXPECT_EQ(tm.tmAscent, 20);
    EXPECT_EQ(tm.tmHeight, 23);
}

TEST_F(RecordingCanvasTest, Utf8AnsiTextMeasuresAndDrawsWholeCharacters)
{
    SetACP(65001);
    // 'a' (1 byte), e acute (2), euro (3), a face outside the BMP (4), 'b' (1).
    const AnsiString text = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"
                            "b";
    ASSERT_EQ(text.size(), 11u);
    std::vector<int> dx(11);
    int fit = -1;
    TSize size;
    ASSERT_TRUE(canvas.GetTextExtentExPointA(text.data(), 11, 20, &fit, dx.data(), size));
    // Every byte but a character's last reports where the character starts.
    EXPECT_EQ(dx, (std::vector<int>{7, 7, 14, 14, 14, 21, 21, 21, 21, 28, 35}));
    EXPECT_EQ(size.cx, 35);
    EXPECT_EQ(fit, 3); // "a" and e acute; the euro sign ends at 21
    ASSERT_TRUE(canvas.GetTextExtentExPointA(text.data(), 11, 27, &fit, nullptr, size));
    EXPECT_EQ(fit, 6); // never inside the four-byte character

    canvas.TextOutA(0, 0, text.data(), 11);
    const TCanvasRecord& r = canvas[0];
    EXPECT_EQ(r.Text, u"a\u00E9\u20AC\U0001F600b");
    EXPECT_EQ(r.CharX, (std::vector<int>{0, 7, 14, 21, 21, 28}));
    EXPECT_EQ(r.Width, 35);

    // Advances per byte as the extents give them place the characters.
    const int byteDx[11] = {7, 0, 9, 0, 0, 9, 0, 0, 0, 9, 7};
    canvas.ExtTextOutA(0, 0, 0, nullptr, text.data(), 11, byteDx);
    EXPECT_EQ(canvas[1].CharX, (std::vector<int>{0, 7, 16, 25, 25, 34}));
    EXPECT_EQ(canvas[1].Width, 41);

    // A cut-off character at the end is measured as a character of its own.
    ASSERT_TRUE(canvas.GetTextExtentExPointA(text.data(), 2, 100, &fit, dx.data(), size));
    EXPECT_EQ(fit, 2);
    EXPECT_EQ(size.cx, 14);
}

TEST_F(RecordingCanvasTest, CombiningMarksBelongToTheirCharacter)
{
    const WideString text = u"e\u0301x";
    std::vector<int> dx(3);
    int fit = 0;
    TSize size;
    ASSERT_TRUE(canvas.GetTextExtentExPointW(text.data(), 3, 7, &fit, dx.data(), size));
    EXPECT_EQ(dx, (std::vector<int>{7, 7, 14}));
    EXPECT_EQ(fit, 2);
}

TEST_F(RecordingCanvasTest, BidiPlacementOfMixedHebrewAndLatin)
{
    const int n = static_cast<int>(kMixed.size());
    std::vector<unsigned> order(static_cast<size_t>(n));
    std::vector<int> dx(static_cast<size_t>(n));
    std::vector<char> classes(static_cast<size_t>(n));
    TGCPResults results;
    results.lpOrder = order.data();
    results.lpDx = dx.data();
    results.lpClass = classes.data();
    results.nGlyphs = static_cast<unsigned>(n);
    const unsigned size = canvas.GetCharacterPlacementW(kMixed.data(), n, 0, results, 0x11A);
    EXPECT_EQ(size, 77u | (13u << 16));
    // Left to right: "abc " then the Hebrew letters reversed, then " def".
    EXPECT_EQ(order, (std::vector<unsigned>{0, 1, 2, 3, 6, 5, 4, 7, 8, 9, 10}));
    EXPECT_EQ(dx, std::vector<int>(11, 7));
    EXPECT_EQ(classes, (std::vector<char>{1, 1, 1, 3, 2, 2, 2, 3, 1, 1, 1}));

    // Right-to-left reading: the runs swap sides.
    canvas.SetTextAlign(TA_RTLREADING);
    ASSERT_NE(canvas.GetCharacterPlacementW(kMixed.data(), n, 0, results, 0x11A), 0u);
    EXPECT_EQ(order, (std::vector<unsigned>{8, 9, 10, 7, 6, 5, 4, 3, 0, 1, 2}));

    // Drawn text follows the same order.
    canvas.SetTextAlign(TA_LEFT);
    canvas.TextOutW(0, 0, kMixed.data(), n);
    EXPECT_EQ(canvas[0].CharX, (std::vector<int>{0, 7, 14, 21, 42, 35, 28, 49, 56, 63, 70}));

    // Bad arguments fail without touching the results.
    results.nGlyphs = 2;
    EXPECT_EQ(canvas.GetCharacterPlacementW(kMixed.data(), n, 0, results, 0), 0u);
    EXPECT_EQ(canvas.GetCharacterPlacementW(kMixed.data(), 0, 0, results, 0), 0u);
}

TEST_F(RecordingCanvasTest, AnsiCharacterPlacementKeepsBytesTogether)
{
    SetACP(65001);
    // "a", alef (2 bytes), bet (2 bytes), "b"
    const AnsiString text = "a\xD7\x90\xD7\x91"
                            "b";
    std::vector<unsigned> order(6);
    std::vector<int> dx(6);
    std::vector<char> classes(6);
    TGCPResults results;
    results.lpOrder = order.data();
    results.lpDx = dx.data();
    results.lpClass = classes.data();
    ASSERT_NE(canvas.GetCharacterPlacementA(text.data(), 6, 0, results, 0x11A), 0u);
    EXPECT_EQ(order, (std::vector<unsigned>{0, 3, 4, 1, 2, 5}));
    EXPECT_EQ(dx, (std::vector<int>{7, 0, 7, 0, 7, 7}));
    EXPECT_EQ(classes, (std::vector<char>{1, 2, 2, 2, 2, 1}));
}

TEST_F(RecordingCanvasTest, DrawTextWrapsCentresAndMeasures)
{
    TRect r = Rect(0, 0, 50, 100);
    EXPECT_EQ(canvas.DrawTextA("aaa bbb ccc", -1, r, DT_WORDBREAK), 26);
    ASSERT_EQ(canvas.Count(), 2);
    EXPECT_EQ(canvas[0].Text, u"aaa bbb");
    EXPECT_EQ(canvas[1].Text, u"ccc");
    EXPECT_EQ(canvas[1].Y, 13);
    EXPECT_EQ(canvas[0].Options, unsigned(ETO_CLIPPED));
    EXPECT_EQ(canvas[0].Rect, r);

    // A word longer than the line stays whole, unless edit-control rules split it.
    canvas.Clear();
    r = Rect(0, 0, 20, 100);
    canvas.DrawTextA("abcdef gh", -1, r, DT_WORDBREAK);
    ASSERT_EQ(canvas.Count(), 2);
    EXPECT_EQ(canvas[0].Text, u"abcdef");
    canvas.Clear();
    canvas.DrawTextA("abcdef gh", -1, r, DT_WORDBREAK | DT_EDITCONTROL);
    ASSERT_EQ(canvas.Count(), 4); // two characters (14 px) fit in 20
    EXPECT_EQ(canvas[0].Text, u"ab");
    EXPECT_EQ(canvas[1].Text, u"cd");
    EXPECT_EQ(canvas[2].Text, u"ef");
    EXPECT_EQ(canvas[3].Text, u"gh");

    canvas.Clear();
    r = Rect(0, 0, 100, 33);
    canvas.DrawTextA("&Save", -1, r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOCLIP);
    ASSERT_EQ(canvas.Count(), 1);
    EXPECT_EQ(canvas[0].Text, u"Save");
    EXPECT_EQ(canvas[0].PrefixUnit, 0);
    EXPECT_EQ(canvas[0].X, 36); // (100 - 28) / 2
    EXPECT_EQ(canvas[0].Y, 10); // (33 - 13) / 2
    EXPECT_FALSE(canvas[0].HasRect);

    canvas.Clear();
    r = Rect(5, 5, 6, 6);
    EXPECT_EQ(canvas.DrawTextA("ab\r\ncde", -1, r, DT_CALCRECT), 26);
    EXPECT_EQ(r, Rect(5, 5, 26, 31));
    EXPECT_EQ(canvas.Count(), 0);
}

TEST_F(RecordingCanvasTest, TextAlignmentMovesTheOrigin)
{
    canvas.SetTextAlign(TA_RIGHT | TA_BASELINE);
    canvas.TextOutW(100, 50, u"abcd", 4);
    EXPECT_EQ(canvas[0].X, 72);
    EXPECT_EQ(canvas[0].Y, 40);
    canvas.SetTextAlign(TA_CENTER | TA_BOTTOM);
    canvas.TextOutW(100, 50, u"abcd", 4);
    EXPECT_EQ(canvas[1].X, 86);
    EXPECT_EQ(canvas[1].Y, 37);
}

TEST_F(RecordingCanvasTest, ExtTextOutOptionsAndPixels)
{
    const TRect r = Rect(1, 2, 30, 15);
    canvas.ExtTextOutW(3, 4, ETO_OPAQUE | ETO_CLIPPED, &r, u"ab", 2, nullptr);
    EXPECT_EQ(canvas[0].Options, unsigned(ETO_OPAQUE | ETO_CLIPPED));
    EXPECT_EQ(canvas[0].Rect, r);
    // Without a rectangle the rectangle options mean nothing.
    canvas.ExtTextOutW(3, 4, ETO_OPAQUE, nullptr, u"ab", 2, nullptr);
    EXPECT_EQ(canvas[1].Options, 0u);

    TPixelBuffer pixels(4, 3);
    canvas.DrawPixels(Rect(10, 10, 18, 16), pixels, Rect(0, 0, 4, 3));
    canvas.DrawPixels(Rect(10, 10, 18, 16), pixels, Rect(2, 0, 6, 3)); // half outside: the half inside
    ASSERT_EQ(canvas.Count(), 4);
    EXPECT_EQ(canvas[2].Op, TCanvasOp::Pixels);
    EXPECT_EQ(canvas[2].SourceWidth, 4);
    EXPECT_EQ(canvas[3].Rect, Rect(10, 10, 14, 16));
    EXPECT_EQ(canvas[3].SourceRect, Rect(2, 0, 4, 3));
}

TEST_F(RecordingCanvasTest, PicturesAreNotedThenDrawThemselves)
{
    TBitmap bitmap;
    canvas.Draw(1, 1, &bitmap); // empty: nothing
    EXPECT_EQ(canvas.Count(), 0);
    bitmap.SetSize(4, 3);
    canvas.SetWindowOrgEx(1, 1);
    canvas.Draw(5, 6, &bitmap);
    canvas.StretchDraw(Rect(0, 0, 8, 6), &bitmap);
    const auto graphics = canvas.RecordsOf(TCanvasOp::Graphic);
    ASSERT_EQ(graphics.size(), 2u);
    EXPECT_EQ(graphics[0]->Rect, Rect(4, 5, 8, 8));
    EXPECT_EQ(graphics[0]->GraphicClass, "TBitmap");
    EXPECT_EQ(graphics[1]->Rect, Rect(-1, -1, 7, 5));
    const auto pixels = canvas.RecordsOf(TCanvasOp::Pixels);
    ASSERT_EQ(pixels.size(), 2u);
    EXPECT_EQ(pixels[1]->Rect, Rect(-1, -1, 7, 5));
    EXPECT_EQ(pixels[1]->SourceRect, Rect(0, 0, 4, 3));
}

TEST_F(RecordingCanvasTest, SingleByteCodePageFromFontCharset)
{
    canvas.Font()->SetCharset(RUSSIAN_CHARSET);
    canvas.TextOutA(0, 0, "\xC0\xE1", 2); // Cyrillic A, be in 1251
    EXPECT_EQ(canvas[0].Text, u"\u0410\u0431");
    EXPECT_EQ(canvas[0].CharX, (std::vector<int>{0, 7}));
}
