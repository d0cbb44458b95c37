// Words of joining scripts: where they lie in a text, and how the canvas's
// extents, fits, character starts, placements and output runs take their
// shaped clusters (the recording canvas with a shaper of fixed widths).
#include <gtest/gtest.h>

#include "platform/graphics/recordingcanvas.h"
#include "platform/graphics/textshaping.h"

namespace {

// A shaper of fixed widths: every cluster 4 pixels, lam + alef one cluster
// (a ligature) of 6; it notes the words it was given.
struct TFixedShaper {
    std::vector<WideString> Words;
    bool operator()(const WideChar* str, int count, int* advances, uint8_t* starts)
    {
        Words.emplace_back(str, static_cast<size_t>(count));
        for (int i = 0; i < count; ++i) {
            const bool ligature = i > 0 && str[i - 1] == 0x0644 && str[i] == 0x0627;
            const bool mark = str[i] >= 0x064B && str[i] <= 0x065F;
            starts[i] = !ligature && !mark;
            advances[i] = ligature || mark ? 0 : 4;
            if (ligature)
                advances[i - 1] = 6;
        }
        return true;
    }
};

class ShapedMeasureTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        canvas.Shaper = [this](const WideChar* s, int n, int* a, uint8_t* st) { return shaper(s, n, a, st); };
    }
    TRecordingCanvas canvas{400, 100};
    TFixedShaper shaper;
};

// "ab " + seen-lam-alef-meem (4 letters, 3 clusters: 4 + 6 + 4) + " cd".
const WideString kMixed = u"ab \u0633\u0644\u0627\u0645 cd";

std::vector<int> Prefixes(TCanvas& c, const WideString& s, int maxExtent = 0, int* fit = nullptr)
{
    std::vector<int> dx(s.size());
    TSize size;
    EXPECT_TRUE(
        c.GetTextExtentExPointW(s.data(), static_cast<int>(s.size()), maxExtent, fit, dx.data(), size));
    EXPECT_EQ(size.cx, dx.empty() ? 0 : dx.back());
    return dx;
}

} // namespace

TEST(JoiningStretchTest, WordsOfOneJoiningScriptWithTheirMarksAndJoiners)
{
    struct TCase {
        const char* Name;
        WideString Text;
        std::vector<TJoiningStretch> Expected;
    };
    const std::vector<TCase> cases = {
        {"latin and hebrew", u"abc \u05D0\u05D1", {}},
        {"one word among latin", u"ab \u0633\u0644\u0627\u0645 cd", {{3, 4}}},
        {"marks and a joiner stay in the word", u"\u0628\u064E\u200D\u0628\u0651.", {{0, 5}}},
        {"two words", u"\u0628\u0628 \u0628", {{0, 2}, {3, 1}}},
        {"a mark after latin is not a word", u"a\u064E", {}},
        {"arabic then syriac then nko", u"\u0628\u0712\u07CA\u07CB", {{0, 1}, {1, 1}, {2, 2}}},
        {"a digit of another script ends it",
         u"\u0628"
         u"1\u0628",
         {{0, 1}, {2, 1}}},
        {"a lone surrogate ends it", u"\u0628\xD800\u0628", {{0, 1}, {2, 1}}},
        {"presentation forms stand alone", u"\uFE8F\uFE91", {}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const auto found = FindJoiningStretches(c.Text.data(), static_cast<int>(c.Text.size()));
        ASSERT_EQ(found.size(), c.Expected.size());
        for (size_t i = 0; i < found.size(); ++i) {
            EXPECT_EQ(found[i].Start, c.Expected[i].Start) << i;
            EXPECT_EQ(found[i].Count, c.Expected[i].Count) << i;
        }
    }
    EXPECT_TRUE(FindJoiningStretches(nullptr, 3).empty());
}

TEST_F(ShapedMeasureTest, ExtentsFitsAndStartsFollowTheClusters)
{
    const std::vector<int> dx = Prefixes(canvas, kMixed);
    // a b space (7 each), seen 4, lam-alef 6 (alef adds 0), meem 4, space c d (7 each).
    EXPECT_EQ(dx, (std::vector<int>{7, 14, 21, 25, 31, 31, 35, 42, 49, 56}));
    ASSERT_EQ(shaper.Words.size(), 1u);
    EXPECT_EQ(shaper.Words[0], WideString(u"\u0633\u0644\u0627\u0645"));

    // A fit never ends inside the ligature.
    int fit = -1;
    Prefixes(canvas, kMixed, 30, &fit);
    EXPECT_EQ(fit, 4);
    Prefixes(canvas, kMixed, 31, &fit);
    EXPECT_EQ(fit, 6);

    std::vector<int> prefix;
    std::vector<uint8_t> starts;
    TSize size;
    ASSERT_TRUE(
        canvas.GetTextPrefixExtentsW(kMixed.data(), static_cast<int>(kMixed.size()), prefix, starts, size));
    EXPECT_EQ(prefix, dx);
    EXPECT_EQ(starts, (std::vector<uint8_t>{1, 1, 1, 1, 1, 0, 1, 1, 1, 1, 1}));

    // The character extra widens each cluster once.
    canvas.SetTextCharacterExtra(2);
    EXPECT_EQ(Prefixes(canvas, kMixed), (std::vector<int>{9, 18, 27, 33, 41, 41, 47, 56, 65, 74}));
}

TEST_F(ShapedMeasureTest, OutputAndPlacementUseTheMeasuredClusters)
{
    const int n = static_cast<int>(kMixed.size());
    ASSERT_TRUE(canvas.TextOutW(10, 5, kMixed.data(), n));
    const auto texts = canvas.RecordsOf(TCanvasOp::Text);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0]->Width, 56);
    EXPECT_EQ(texts[0]->Advances, (std::vector<int>{7, 7, 7, 4, 6, 0, 4, 7, 7, 7}));
    // Shown right to left: meem at 21, the ligature at 25 (both its letters), seen at 31.
    EXPECT_EQ(texts[0]->CharX[6], 21);
    EXPECT_EQ(texts[0]->CharX[4], 25);
    EXPECT_EQ(texts[0]->CharX[5], 25);
    EXPECT_EQ(texts[0]->CharX[3], 31);

    std::vector<int> dx(static_cast<size_t>(n));
    TGCPResults results;
    results.lpDx = dx.data();
    results.nGlyphs = static_cast<unsigned>(n);
    const unsigned size = canvas.GetCharacterPlacementW(kMixed.data(), n, 0, results, GCP_REORDER);
    EXPECT_EQ(size & 0xFFFF, 56u);
    int sum = 0;
    for (int d : dx)
        sum += d;
    EXPECT_EQ(sum, 56);
}

TEST_F(ShapedMeasureTest, ABackendThatCannotShapeKeepsTheLetters)
{
    canvas.Shaper = [](const WideChar*, int, int*, uint8_t*) { return false; };
    EXPECT_EQ(Prefixes(canvas, kMixed), (std::vector<int>{7, 14, 21, 28, 35, 42, 49, 56, 63, 70}));
    canvas.Shaper = nullptr;
    EXPECT_EQ(Prefixes(canvas, kMixed).back(), 70);
}

TEST_F(ShapedMeasureTest, AClusterNeverBeginsInsideACharacter)
{
    // A shaper that starts a cluster on a combining mark: the mark stays with
    // its letter, and its advance with it.
    canvas.Shaper = [](const WideChar*, int count, int* advances, uint8_t* starts) {
        for (int i = 0; i < count; ++i) {
            advances[i] = 5;
            starts[i] = 1;
        }
        return true;
    };
    const WideString text = u"\u0628\u064E\u0628";
    EXPECT_EQ(Prefixes(canvas, text), (std::vector<int>{10, 10, 15}));
}
