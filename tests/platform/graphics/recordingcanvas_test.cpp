// The canvas's shared logic on the recording backend: ANSI text in a multi-byte
// code page, combining marks and bidirectional placement.
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

// A fixed-pitch font as a backend that keeps its ASCII advances at hand
// gives it: printable ASCII 7 pixels wide, every other character 3.
class TFixedPitchCanvas : public TRecordingCanvas {
public:
    TFixedPitchCanvas() : TRecordingCanvas(200, 100)
    {
        for (int c = 0; c < 0x80; ++c)
            FAscii[c] = Advance(static_cast<WideChar>(c));
    }
    static int Advance(WideChar c) { return c >= 0x20 && c < 0x7F ? 7 : 3; }

protected:
    int CharAdvance(const WideChar* c, int) override { return Advance(*c); }
    const int* AsciiAdvances() override { return FAscii; }
    int PrintableAsciiAdvance() override { return 7; }

private:
    int FAscii[0x80];
};

} // namespace

TEST_F(RecordingCanvasTest, FixedPitchAsciiIsAProductOnlyWhenEveryByteIsPrintable)
{
    // Bytes are tested eight at a time, then one by one: an odd byte at any
    // place of texts of several lengths leaves the text to its characters'
    // own advances.
    SetACP(65001);
    TFixedPitchCanvas fixed;
    fixed.SetTextCharacterExtra(1);
    const AnsiString base = "2024-05-01 [worker-07] id=42 ok {}~ ";
    for (size_t length : {1u, 7u, 8u, 9u, 16u, 17u, 36u}) {
        for (size_t at = 0; at <= length; ++at) {
            for (const char* odd : {"\x01", "\x1F", "\x7F", "\xC3\xA9"}) {
                AnsiString text = base.substr(0, length);
                if (at < length)
                    text.replace(at, 1, odd); // at == length: the text as it is
                SCOPED_TRACE(testing::PrintToString(text));
                int expected = 0;
                for (size_t i = 0; i < text.size(); ++i) {
                    const auto c = static_cast<unsigned char>(text[i]);
                    if (c == 0xC3) {
                        expected += TFixedPitchCanvas::Advance(0xE9) + 1;
                        ++i;
                    } else {
                        expected += TFixedPitchCanvas::Advance(c) + 1;
                    }
                }
                TSize size;
                ASSERT_TRUE(fixed.GetTextExtentPoint32A(text.data(), static_cast<int>(text.size()), size));
                EXPECT_EQ(size.cx, expected);
            }
        }
    }
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

// A long run draws only the characters that reach into the clip (with a
// margin for glyphs that overhang their cells), each where the whole run
// would place it; the clip is the canvas (200 px) unless narrowed.
TEST_F(RecordingCanvasTest, LongRunDrawsOnlyWhatTheClipShows)
{
    SetACP(65001);
    AnsiString ascii;
    for (int i = 0; i < 100000; ++i)
        ascii += static_cast<char>('a' + i % 26);
    struct TCase {
        const char* Name;
        int X;
        int ClipLeft;
        int ClipRight;
    };
    const TCase cases[] = {
        {"from its start", 0, 0, 200},
        {"scrolled to its middle", -350003, 0, 200},
        {"narrow clip", -7000, 60, 90},
        {"scrolled near its end", -699900, 0, 200},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TRecordingCanvas clipped{200, 100};
        clipped.IntersectClipRect(c.ClipLeft, 0, c.ClipRight, 100);
        clipped.TextOutA(c.X, 5, ascii.data(), static_cast<int>(ascii.size()));
        ASSERT_EQ(clipped.Count(), 1);
        const TCanvasRecord& r = clipped[0];
        // Cut where a character begins, and placed where the whole run has it.
        ASSERT_EQ((r.X - c.X) % 7, 0);
        const size_t first = static_cast<size_t>((r.X - c.X) / 7);
        EXPECT_EQ(r.Ansi, ascii.substr(first, r.Ansi.size()));
        EXPECT_EQ(r.Y, 5);
        EXPECT_LT(r.Ansi.size(), 100u);
        // Every pixel of the clip is covered.
        EXPECT_LE(r.X, c.ClipLeft);
        EXPECT_GE(r.X + r.Width, std::min(c.ClipRight, c.X + 700000));
    }

    // Wholly left or right of the canvas: nothing of it is drawn.
    canvas.TextOutA(-800000, 0, ascii.data(), static_cast<int>(ascii.size()));
    canvas.TextOutA(500, 0, ascii.data(), static_cast<int>(ascii.size()));
    ASSERT_EQ(canvas.Count(), 2);
    EXPECT_TRUE(canvas[0].Text.empty());
    EXPECT_TRUE(canvas[1].Text.empty());
}

TEST_F(RecordingCanvasTest, LongRunCutsBetweenWholeCharacters)
{
    SetACP(65001);
    // Two-byte letters: a cut never falls inside one.
    AnsiString accented;
    for (int i = 0; i < 20000; ++i)
        accented += "\xC3\xA9";
    canvas.TextOutA(-7001, 0, accented.data(), static_cast<int>(accented.size()));
    const TCanvasRecord& a = canvas[0];
    EXPECT_EQ((a.X + 7001) % 7, 0);
    ASSERT_FALSE(a.Ansi.empty());
    EXPECT_EQ(static_cast<unsigned char>(a.Ansi[0]), 0xC3u);
    EXPECT_EQ(a.Ansi.size() % 2, 0u);
    EXPECT_LT(a.Text.size(), 100u);

    // Wide text: a letter and its combining mark stay together and measure as one.
    WideString marked;
    for (int i = 0; i < 10000; ++i)
        marked += u"e\u0301";
    canvas.TextOutW(-7000, 0, marked.data(), static_cast<int>(marked.size()));
    const TCanvasRecord& w = canvas[1];
    EXPECT_EQ((w.X + 7000) % 7, 0);
    ASSERT_FALSE(w.Text.empty());
    EXPECT_EQ(w.Text[0], u'e');
    EXPECT_EQ(w.Text.size() % 2, 0u);
    EXPECT_EQ(w.Width, static_cast<int>(w.Text.size() / 2) * 7);
}

TEST_F(RecordingCanvasTest, LongRunIsDrawnWholeWhereItsPartsDependOnTheWhole)
{
    SetACP(65001);
    AnsiString text(10000, 'x');
    const int n = static_cast<int>(text.size());
    // A right-to-left letter anywhere reorders the run.
    AnsiString hebrew = text + "\xD7\x90";
    canvas.TextOutA(0, 0, hebrew.data(), n + 2);
    // Centred or right-aligned text is placed by its whole width.
    canvas.SetTextAlign(TA_RIGHT);
    canvas.TextOutA(100, 0, text.data(), n);
    canvas.SetTextAlign(TA_LEFT);
    // Explicit advances are drawn as given.
    std::vector<int> dx(text.size(), 3);
    canvas.ExtTextOutA(0, 0, 0, nullptr, text.data(), n, dx.data());
    ASSERT_EQ(canvas.Count(), 3);
    EXPECT_EQ(canvas[0].Text.size(), text.size() + 1);
    EXPECT_EQ(canvas[1].Text.size(), text.size());
    EXPECT_EQ(canvas[1].X, 100 - 7 * n);
    EXPECT_EQ(canvas[2].Text.size(), text.size());
}
