// The realised fonts of the Qt canvas: held within fixed bounds however many
// sizes a document names, shared by the names that resolve to one face, each
// font's glyph map (with its glyph masks) bounded, text the same before and
// after its font was let go of, the font's own glyphs blended by the canvas
// at every size.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>
#include <utility>
#include <vector>

#include "platform/graphics/gdiobjects.h"
#include "platform/graphics/pixelbuffer.h"
#include "platform/graphics/qtcanvas.h"
#include "platform/graphics/qtfont_qt.h"

namespace {

// Text drawn on a canvas of its own, as pixels.
TPixelBuffer Drawn(const TFont& font, const WideString& text)
{
    TPixelBuffer buffer(160, 60);
    std::unique_ptr<TCanvas> canvas = CreateBufferCanvas(buffer);
    canvas->SetFont(&font);
    canvas->TextOutW(2, 2, text.data(), static_cast<int>(text.size()));
    // Twice over the same background: the masks keep their blended pixels too.
    canvas->TextOutW(2, 2, text.data(), static_cast<int>(text.size()));
    return buffer;
}

// A font of the given size that the tests' machines have.
std::unique_ptr<TFont> Sized(int height, int width = 0)
{
    auto font = std::make_unique<TFont>();
    font->SetName("DejaVu Sans");
    font->SetHeight(height);
    font->SetWidth(width);
    return font;
}

} // namespace

TEST(QtFontCacheTest, FiveThousandSizesStayWithinTheBounds)
{
    const TPixelBuffer first = Drawn(*Sized(-12), u"Kelvor");
    TPixelBuffer buffer(200, 80);
    std::unique_ptr<TCanvas> canvas = CreateBufferCanvas(buffer);
    for (int i = 1; i <= 5000; ++i) {
        // 5,000 sizes (those past 2000 pixels drawn at 2000), measured, and
        // drawn now and then: masks and their pixels count too.
        canvas->Font()->SetHeight(-i);
        if (i % 64 == 0)
            canvas->TextOut(0, 0, "Kelvor");
        else
            canvas->TextWidth("K");
        const qtfontcache::TUsage usage = qtfontcache::Usage();
        ASSERT_LE(usage.Fonts, qtfontcache::MaxFonts) << i;
        ASSERT_LE(usage.Bytes, qtfontcache::MaxBytes) << i;
    }
    // The first font was let go of long ago: realised again, it draws the same.
    const TPixelBuffer again = Drawn(*Sized(-12), u"Kelvor");
    EXPECT_EQ(again.Pixels, first.Pixels);
}

TEST(QtFontCacheTest, NamesThatResolveToOneFaceShareItsFonts)
{
    const std::shared_ptr<TQtFontData> font = qtfontcache::FontFor(*Sized(-17));
    for (const char* name : {"No Such Face 1", "No Such Face 2", "dejavu sans", ""}) {
        SCOPED_TRACE(name);
        if (ResolveFontFace(name, fpDefault) != ResolveFontFace("DejaVu Sans", fpDefault))
            continue;
        const std::unique_ptr<TFont> other = Sized(-17);
        other->SetName(name);
        other->SetPitch(fpVariable);
        EXPECT_EQ(qtfontcache::FontFor(*other).get(), font.get());
    }
    // Another size, width, weight or slant is another font.
    const std::unique_ptr<TFont> larger = Sized(-18), wider = Sized(-17, 9), bold = Sized(-17),
                                 italic = Sized(-17);
    bold->SetStyle(TFontStyles{fsBold});
    italic->SetStyle(TFontStyles{fsItalic});
    for (const TFont* other : {larger.get(), wider.get(), bold.get(), italic.get()})
        EXPECT_NE(qtfontcache::FontFor(*other).get(), font.get());
}

TEST(QtFontCacheTest, AFontsGlyphMapAndMasksStayWithinItsBound)
{
    const std::unique_ptr<TFont> owned = Sized(-40);
    const TFont& font = *owned;
    const TPixelBuffer first = Drawn(font, u"Kelvor");
    TPixelBuffer buffer(400, 80);
    std::unique_ptr<TCanvas> canvas = CreateBufferCanvas(buffer);
    canvas->SetFont(&font);
    const std::shared_ptr<TQtFontData> data = qtfontcache::FontFor(font);
    size_t largest = 0;
    // Letters of many scripts, each drawn twice: a mask and its blended pixels each.
    for (char16_t c = 0x21; c < 0x2000; ++c) {
        if (c >= 0x7F && c < 0xA0)
            continue;
        const WideString text(4, c);
        canvas->TextOutW(0, 0, text.data(), 4);
        largest = std::max(largest, data->GlyphBytes());
        ASSERT_LE(qtfontcache::Usage().Bytes, qtfontcache::MaxBytes) << int(c);
    }
    EXPECT_GT(largest, TQtFontData::MaxGlyphBytes / 2) << "the bound was reached";
    // Beyond the bound by one entry at most, while it is added.
    EXPECT_LE(largest, TQtFontData::MaxGlyphBytes + 512 * 1024);
    EXPECT_EQ(Drawn(font, u"Kelvor").Pixels, first.Pixels);
}

TEST(QtFontCacheTest, TheAnswersForCharactersOutliveTheGlyphMapWithinTheirBound)
{
    // Characters of many scripts (most drawn by fallback fonts, some by none)
    // measured until the glyph map starts again: what the toolkit answered for
    // them is remembered, so that they are not laid out anew, and alike.
    const std::unique_ptr<TFont> owned = Sized(-23);
    const std::shared_ptr<TQtFontData> data = qtfontcache::FontFor(*owned);
    struct TSeen {
        char16_t Char;
        int Advance;
        std::vector<std::pair<int, quint32>> Glyphs;
    };
    std::vector<TSeen> seen;
    const auto glyphsOf = [&](char16_t c) {
        const TQtGlyphs& g = data->GlyphsOf(&c, 1);
        TSeen s{c, g.Advance, {}};
        for (const TQtGlyph& glyph : g.Glyphs)
            s.Glyphs.emplace_back(glyph.Face, glyph.Index);
        return s;
    };
    bool restarted = false;
    size_t before = 0;
    for (char16_t c = 0x100; c < 0xD000 && !restarted; c = static_cast<char16_t>(c + 1)) {
        before = data->GlyphBytes();
        if (c % 97 == 0)
            seen.push_back(glyphsOf(c));
        else
            glyphsOf(c);
        restarted = data->GlyphBytes() < before;
        ASSERT_LE(data->AnswerCount(), TQtFontData::MaxAnswers);
        ASSERT_LE(qtfontcache::Usage().Bytes, qtfontcache::MaxBytes);
    }
    ASSERT_TRUE(restarted) << "the glyph map never started again";
    const size_t layouts = data->LayoutCount();
    for (const TSeen& s : seen) {
        SCOPED_TRACE(int(s.Char));
        const TSeen again = glyphsOf(s.Char);
        EXPECT_EQ(again.Advance, s.Advance);
        EXPECT_EQ(again.Glyphs, s.Glyphs);
    }
    EXPECT_EQ(data->LayoutCount(), layouts) << "characters were laid out anew";
}

TEST(QtFontCacheTest, PilesOfCombiningMarksKeepTheFontWithinItsBounds)
{
    // Random piles of up to 32 marks, enough to fill the answers' bytes many
    // times, then piles of 33 to 3,000 accents: the font stays within its
    // bounds, and a long pile is laid out once while the map keeps it and is
    // not remembered among the answers (whose bytes it would not count for).
    const std::unique_ptr<TFont> font = Sized(-13);
    const std::shared_ptr<TQtFontData> data = qtfontcache::FontFor(*font);
    TPixelBuffer buffer(300, 60);
    std::unique_ptr<TCanvas> canvas = CreateBufferCanvas(buffer);
    canvas->SetFont(font.get());
    const auto widthOf = [&](const WideString& text, bool draw) {
        if (draw)
            canvas->TextOutW(0, 0, text.data(), static_cast<int>(text.size()));
        TSize size;
        canvas->GetTextExtentPoint32W(text.data(), static_cast<int>(text.size()), size);
        return size.cx;
    };
    const auto withinBounds = [&] {
        return data->AnswerBytes() <= TQtFontData::MaxAnswerBytes &&
               data->CachedBytes() <= qtfontcache::MaxBytes / 2 &&
               qtfontcache::Usage().Bytes <= qtfontcache::MaxBytes;
    };
    std::mt19937 random(3000);
    std::uniform_int_distribution<int> letter(u'a', u'z'), mark(0x300, 0x36F), count(24, 32);
    size_t answersFilled = 0;
    for (int i = 0; i < 9000; ++i) {
        WideString pile(1, static_cast<WideChar>(letter(random)));
        for (int k = count(random); k > 0; --k)
            pile += static_cast<WideChar>(mark(random));
        const size_t before = data->AnswerBytes();
        widthOf(pile, i % 500 == 0);
        answersFilled += data->AnswerBytes() < before;
        ASSERT_TRUE(withinBounds()) << i;
    }
    EXPECT_GT(answersFilled, 0u) << "the answers never reached their bound";

    const size_t answerBytes = data->AnswerBytes();
    for (size_t marks = 33; marks <= 3000; marks = marks * 9 / 8) {
        SCOPED_TRACE(marks);
        const WideString pile = u"a" + WideString(marks, u'\u0301');
        const size_t layouts = data->LayoutCount();
        const int width = widthOf(pile, marks % 2 == 0);
        EXPECT_EQ(widthOf(pile, true), width);
        EXPECT_EQ(data->LayoutCount(), layouts + 1);
        ASSERT_TRUE(withinBounds());
    }
    EXPECT_EQ(data->AnswerBytes(), answerBytes) << "a long pile was remembered";
}

TEST(QtFontCacheTest, AFontsOwnGlyphsAreBlendedByTheCanvasAtEverySize)
{
    // Each glyph's mask is taken at its place on the line, the baseline shift
    // included: a shift that is a fraction of a pixel puts the glyph on the
    // pixel grid all the same, so the canvas blends it into a 32-bit image
    // itself rather than leaving it to the toolkit.
    int fractional = 0;
    for (int height = -9; height >= -40; --height) {
        SCOPED_TRACE(height);
        const std::unique_ptr<TFont> font = Sized(height);
        Drawn(*font, u"Kg");
        const std::shared_ptr<TQtFontData> data = qtfontcache::FontFor(*font);
        for (const char16_t c : {u'K', u'g'}) {
            const TQtGlyphs& g = data->GlyphsOf(&c, 1);
            ASSERT_EQ(g.Glyphs.size(), 1u);
            EXPECT_EQ(int(g.Glyphs[0].Mask.State), int(TGlyphMask::Ready)) << char(c);
            fractional += g.BaselineShift != std::floor(g.BaselineShift);
        }
    }
    EXPECT_GT(fractional, 0) << "no size has a baseline shift between pixels";
}
