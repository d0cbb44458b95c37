// Words of joining scripts on the Qt canvas: drawn as the toolkit draws the same
// string in the same font (an offscreen reference, compared with a tolerance),
// and measured as drawn. Skipped for a script no installed font covers.
#include <gtest/gtest.h>

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include <cstdio>
#include <ostream>
#include <string>

#include "platform/core/codepages.h"
#include "platform/graphics/pixelbuffer.h"
#include "platform/graphics/qtcanvas.h"
#include "tests/support/inkmatch.h"

namespace {

constexpr int kPixelSize = 24;
constexpr int kWidth = 400;
constexpr int kHeight = 48;

struct TScript {
    const char* Name;
    const char* Pattern;
    WideString Word;
};

void PrintTo(const TScript& script, std::ostream* os)
{
    *os << script.Name;
}

const std::vector<TScript>& Scripts()
{
    static const std::vector<TScript> scripts = {
        // Three words, the last with the lam-alef ligature.
        {"Arabic", ":lang=ar", u"\u0628\u0633\u0645 \u0627\u0644\u0644\u0647 \u0633\u0644\u0627\u0645"},
        {"Syriac", ":charset=0712", u"\u0710\u0712\u0713\u0715"},
        {"NKo", ":charset=07CA", u"\u07CA\u07CC\u07D3\u07CE"},
    };
    return scripts;
}

class QtShapingTest : public ::testing::TestWithParam<TScript> {
protected:
    void SetUp() override
    {
        Family = InstalledFamilyFor(GetParam().Pattern);
        if (Family.empty())
            GTEST_SKIP() << "no installed font covers " << GetParam().Name;
        Canvas = CreateBufferCanvas(Buffer);
        Canvas->Font()->SetName(Family);
        Canvas->Font()->SetHeight(-kPixelSize);
    }
    std::string Family;
    TPixelBuffer Buffer{kWidth, kHeight};
    std::unique_ptr<TCanvas> Canvas;
};

} // namespace

TEST_P(QtShapingTest, DrawnAsTheToolkitDrawsTheSameString)
{
    const WideString& word = GetParam().Word;
    ASSERT_TRUE(Canvas->TextOutW(10, 8, word.data(), static_cast<int>(word.size())));

    QImage reference(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
    reference.fill(Qt::white);
    QFont font(QString::fromStdString(Family));
    font.setPixelSize(kPixelSize);
    font.setKerning(false);
    font.setStyleStrategy(QFont::NoSubpixelAntialias);
    {
        QPainter p(&reference);
        p.setFont(font);
        p.setPen(Qt::black);
        p.drawText(QPointF(10, 8 + QFontMetrics(font).ascent()),
                   QString::fromUtf16(word.data(), static_cast<qsizetype>(word.size())));
    }
    const TInk ours(kWidth, kHeight, [&](int x, int y) { return Buffer.At(x, y); });
    const TInk theirs(kWidth, kHeight,
                      [&](int x, int y) { return static_cast<uint32_t>(reference.pixel(x, y)); });
    ASSERT_GT(theirs.Count, 0);
    ASSERT_GT(ours.Count, 0);
    // Whole pixels per cluster against the toolkit's own rounding: a pixel or
    // two over a word, no more.
    EXPECT_NEAR(ours.Right - ours.Left, theirs.Right - theirs.Left, 3);
    EXPECT_NEAR(ours.Top, theirs.Top, 1);
    EXPECT_NEAR(ours.Bottom, theirs.Bottom, 1);
    // The same letter forms in the same places: nearly all ink of each lies
    // within a pixel of the other's.
    EXPECT_LT(InkMismatch(ours, theirs), 0.04) << "unmatched share of ink";
}

TEST_P(QtShapingTest, MeasuredAsDrawnAndPiecesLineUp)
{
    // Latin, the word, Latin: the measured width of the whole is where the
    // last piece, drawn on its own, lands; the word's ink lies within its extent.
    const WideString word = GetParam().Word;
    const WideString whole = u"ab " + word + u" cd";
    const int n = static_cast<int>(whole.size());
    std::vector<int> dx(static_cast<size_t>(n));
    TSize size;
    ASSERT_TRUE(Canvas->GetTextExtentExPointW(whole.data(), n, 0, nullptr, dx.data(), size));
    TSize wordSize;
    ASSERT_TRUE(Canvas->GetTextExtentPoint32W(word.data(), static_cast<int>(word.size()), wordSize));
    const int wordStart = dx[2];
    EXPECT_EQ(dx[2 + word.size()] - wordStart, wordSize.cx);

    ASSERT_TRUE(Canvas->TextOutW(4, 8, whole.data(), n));
    TPixelBuffer pieces(kWidth, kHeight);
    auto other = CreateBufferCanvas(pieces);
    other->Font()->Assign(Canvas->Font());
    ASSERT_TRUE(other->TextOutW(4, 8, whole.data(), 3));
    ASSERT_TRUE(other->TextOutW(4 + wordStart, 8, word.data(), static_cast<int>(word.size())));
    const int tail = static_cast<int>(2 + word.size());
    ASSERT_TRUE(other->TextOutW(4 + dx[static_cast<size_t>(tail)], 8, whole.data() + tail + 1, n - tail - 1));
    EXPECT_EQ(Buffer.Pixels, pieces.Pixels);

    // The word's ink starts and ends within its measured extent (a pixel of
    // antialiasing either side).
    TPixelBuffer alone(kWidth, kHeight);
    auto single = CreateBufferCanvas(alone);
    single->Font()->Assign(Canvas->Font());
    ASSERT_TRUE(single->TextOutW(20, 8, word.data(), static_cast<int>(word.size())));
    const TInk ink(kWidth, kHeight, [&](int x, int y) { return alone.At(x, y); });
    EXPECT_GE(ink.Left, 20 - 2);
    EXPECT_LE(ink.Right, 20 + wordSize.cx + 1);
}

INSTANTIATE_TEST_SUITE_P(Scripts, QtShapingTest, ::testing::ValuesIn(Scripts()),
                         [](const ::testing::TestParamInfo<TScript>& info) { return info.param.Name; });

TEST(QtShapingLigatureTest, ALigatureIsOneClusterForCaretsAndFits)
{
    const std::string family = InstalledFamilyFor(":lang=ar");
    if (family.empty())
        GTEST_SKIP() << "no installed font covers Arabic";
    TPixelBuffer buffer(kWidth, kHeight);
    auto canvas = CreateBufferCanvas(buffer);
    canvas->Font()->SetName(family);
    canvas->Font()->SetHeight(-kPixelSize);
    // Lam followed by alef: the fonts that cover Arabic draw them as one ligature.
    const WideString text = u"\u0633\u0644\u0627\u0645";
    std::vector<int> dx;
    std::vector<uint8_t> starts;
    TSize size;
    ASSERT_TRUE(canvas->GetTextPrefixExtentsW(text.data(), 4, dx, starts, size));
    EXPECT_EQ(starts, (std::vector<uint8_t>{1, 1, 0, 1, 1}));
    EXPECT_EQ(dx[1], dx[2]); // the alef adds nothing: the ligature's advance lies on the lam
    int fit = -1;
    std::vector<int> ex(4);
    ASSERT_TRUE(canvas->GetTextExtentExPointW(text.data(), 4, dx[1] - 1, &fit, ex.data(), size));
    EXPECT_EQ(fit, 1);
    ASSERT_TRUE(canvas->GetTextExtentExPointW(text.data(), 4, dx[1], &fit, ex.data(), size));
    EXPECT_EQ(fit, 3);
}
