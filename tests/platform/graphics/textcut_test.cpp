// Places where a line may be cut into pieces shown alone, in text of several
// scripts, marks, embeddings and bytes that are no UTF-8.
#include "platform/graphics/textcut.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/codepages.h"
#include "platform/graphics/canvas.h"
#include "platform/graphics/gdiobjects.h"
#include "platform/graphics/pixelbuffer.h"
#include "platform/graphics/qtcanvas.h"
#include "tests/support/inkmatch.h"

// Where the cut lands (beside the limit, after what ends an embedding, an
// isolate or a bracket, in other code pages), which the random test below
// does not look at.
TEST(TextCutTest, TheCutIsTheLastPlaceAtTheLimitElseTheFirstAfterIt)
{
    const struct {
        const char* Name;
        std::string Text;
        size_t Limit;
        unsigned CodePage;
        size_t Cut;
    } cases[] = {
        {"the last place at the limit", "abcdef", 3, CP_UTF8, 3},
        {"the first place after a limit before every place", "abcdef", 0, CP_UTF8, 1},
        {"a limit past the end cuts nothing", "abcdef", 6, CP_UTF8, 6},
        {"after the right-to-left text", "\u05E9\u05DC \u05DD abc", 2, CP_UTF8, 9},
        {"after the embedding's end", "a\u202Bcd\u202Cef", 3, CP_UTF8, 10},
        {"after the isolate's end", "\u2067cd\u2069ef", 3, CP_UTF8, 9},
        {"a paragraph separator ends an embedding", "\u202Eab\u0085cd", 3, CP_UTF8, 8},
        {"after a spacing mark, never before it", "\u0915\u093E\u0916", 3, CP_UTF8, 6},
        {"bytes that are no UTF-8 as their own letters", "\xC3\xC3\xC3", 1, CP_UTF8, 1},
        {"inside brackets in text of one direction", "(abc)", 2, CP_UTF8, 2},
        {"a closing bracket ends those opened inside its pair", "\u05E9 ([ab) cd", 4, CP_UTF8, 10},
        {"a single-byte code page", "\xE9\xE9\xE9", 2, 1252, 2},
        {"right to left in a single-byte code page", "\xE0\xE1\xE2", 1, 1255, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(TextCutNear(c.Text, c.Limit, c.CodePage), c.Cut);
    }
}

TEST(TextCutTest, PiecesDrawnSideBySideShowWhatTheWholeShows)
{
    // Random lines of the tokens below cut at random limits: the two pieces,
    // measured and drawn one after the other, give the whole's width and pixels.
    const std::string family = InstalledFamilyFor(":lang=ar");
    if (family.empty())
        GTEST_SKIP() << "no installed font covers Arabic";
    SetACP(CP_UTF8);
    std::vector<std::string> pool(1);
    for (const char c :
         std::string("a|b|Kelvor| |42|(|)|\u00E9|\u05E9\u05DC\u05D5\u05DD|\u0633\u0644\u0627\u0645|"
                     "\u0301|\u0915\u093E|\u202B|\u202C|\u2067|\u2069|\u0085|\xC3|\xFF|\u4E00"))
        if (c == '|')
            pool.emplace_back();
        else
            pool.back() += c;
    constexpr int width = 900, height = 40;
    TPixelBuffer whole(width, height), pieces(width, height);
    std::unique_ptr<TCanvas> wholeCanvas = CreateBufferCanvas(whole),
                             piecesCanvas = CreateBufferCanvas(pieces);
    for (TCanvas* canvas : {wholeCanvas.get(), piecesCanvas.get()}) {
        canvas->Font()->SetName(family);
        canvas->Font()->SetHeight(-16);
        canvas->Brush()->SetStyle(bsClear);
    }
    std::mt19937 random(2024);
    int cutsTried = 0;
    for (int round = 0; round < 400; ++round) {
        std::string line;
        for (int n = 8 + static_cast<int>(random() % 16); n > 0; --n)
            line += pool[random() % pool.size()];
        const size_t cut = TextCutNear(line, random() % line.size(), CP_UTF8);
        if (cut >= line.size())
            continue;
        ++cutsTried;
        SCOPED_TRACE(line + " cut at " + std::to_string(cut));
        ASSERT_GT(cut, 0u);
        whole.Pixels.assign(whole.Pixels.size(), 0xFFFFFFFFu);
        pieces.Pixels.assign(pieces.Pixels.size(), 0xFFFFFFFFu);
        wholeCanvas->TextOutA(4, 8, line.data(), static_cast<int>(line.size()));
        const std::string first = line.substr(0, cut), second = line.substr(cut);
        const int firstWidth = piecesCanvas->TextWidth(first);
        piecesCanvas->TextOutA(4, 8, first.data(), static_cast<int>(first.size()));
        piecesCanvas->TextOutA(4 + firstWidth, 8, second.data(), static_cast<int>(second.size()));
        EXPECT_EQ(firstWidth + piecesCanvas->TextWidth(second), wholeCanvas->TextWidth(line));
        ASSERT_TRUE(pieces.Pixels == whole.Pixels);
    }
    SetACP(0);
    EXPECT_GT(cutsTried, 200);
}

TEST(TextCutTest, CutsThatShareAMemoCutWhereCutsWithoutOneDo)
{
    // A line cut piece after piece, each time what the last cut left, with
    // one memo and without: brackets open and close throughout, and what has
    // the text reordered stands before the rest, inside it, at its end or
    // nowhere.
    const std::vector<std::string> marks = {"", "\u05E9", "x\u202Bz\u202C", "\u0663"};
    std::mt19937 random(7);
    int cuts = 0;
    for (const std::string& early : marks)
        for (const std::string& late : marks) {
            std::string line = early;
            for (int k = 0; k < 400; ++k) {
                const int r = static_cast<int>(random() % 10);
                line += r == 0 ? '(' : r == 1 ? ')' : r == 2 ? ' ' : static_cast<char>('a' + random() % 26);
            }
            line += late + "(ef gh";
            SCOPED_TRACE(line);
            TTextCutMemo memo;
            for (std::string_view rest = line; !rest.empty(); ++cuts) {
                const size_t limit = random() % 40;
                const size_t cut = TextCutNear(rest, limit, CP_UTF8, &memo);
                ASSERT_EQ(cut, TextCutNear(rest, limit, CP_UTF8)) << "at " << line.size() - rest.size();
                ASSERT_GT(cut, 0u);
                rest.remove_prefix(cut);
            }
        }
    EXPECT_GT(cuts, 100);
}
