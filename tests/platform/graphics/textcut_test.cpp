// Places where a line may be cut into pieces shown alone: where they lie in
// text of several scripts, marks, embeddings and bytes that are no UTF-8, and
// pieces drawn side by side on the Qt canvas giving the pixels of the whole.
#include "platform/graphics/textcut.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "platform/core/codepages.h"
#include "platform/graphics/canvas.h"
#include "platform/graphics/gdiobjects.h"
#include "platform/graphics/pixelbuffer.h"
#include "platform/graphics/qtcanvas.h"
#include "tests/support/inkmatch.h"

namespace {

struct TCutCase {
    const char* Name;
    std::string Text;
    size_t Limit;
    unsigned CodePage;
    size_t Cut;
};

} // namespace

TEST(TextCutTest, CutsFallBetweenTwoCharactersThatReadLeftToRightOutsideEmbeddings)
{
    const TCutCase cases[] = {
        {"the last place at the limit", "abcdef", 3, CP_UTF8, 3},
        {"the first place after a limit before every place", "abcdef", 0, CP_UTF8, 1},
        {"none at a space", "ab cd", 3, CP_UTF8, 1},
        {"a limit past the end cuts nothing", "abcdef", 6, CP_UTF8, 6},
        {"none before a combining mark, nor after it",
         "a\xCC\x81"
         "bc",
         1, CP_UTF8, 4},
        {"none in right-to-left text", "\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D", 2, CP_UTF8, 8},
        {"after the right-to-left text", "\xD7\xA9\xD7\x9C \xD7\x9D abc", 2, CP_UTF8, 9},
        {"none in an embedding",
         "ab\xE2\x80\xAB"
         "cd\xE2\x80\xAC"
         "ef",
         3, CP_UTF8, 1},
        {"after the embedding's end",
         "a\xE2\x80\xAB"
         "cd\xE2\x80\xAC"
         "ef",
         3, CP_UTF8, 10},
        {"none in an isolate left open",
         "a\xE2\x81\xA7"
         "cdef",
         3, CP_UTF8, 8},
        {"an isolate is not ended by the end of an embedding",
         "\xE2\x81\xA7"
         "cd\xE2\x80\xAC"
         "ef",
         3, CP_UTF8, 10},
        {"after the isolate's end",
         "\xE2\x81\xA7"
         "cd\xE2\x81\xA9"
         "ef",
         3, CP_UTF8, 9},
        {"a paragraph separator ends an embedding",
         "\xE2\x80\xAE"
         "ab\xC2\x85"
         "cd",
         3, CP_UTF8, 8},
        {"after a spacing mark, never before it", "\xE0\xA4\x95\xE0\xA4\xBE\xE0\xA4\x96", 3, CP_UTF8, 6},
        {"bytes that are no UTF-8 as their own letters", "\xC3\xC3\xC3", 1, CP_UTF8, 1},
        {"inside brackets in text of one direction", "(abc)", 2, CP_UTF8, 2},
        {"none inside brackets in reordered text", "\xD7\xA9 (abc) de", 4, CP_UTF8, 10},
        {"a closing bracket ends those opened inside its pair", "\xD7\xA9 ([ab) cd", 4, CP_UTF8, 10},
        {"a single-byte code page", "\xE9\xE9\xE9", 2, 1252, 2},
        {"right to left in a single-byte code page", "\xE0\xE1\xE2", 1, 1255, 3},
    };
    for (const TCutCase& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(TextCutNear(c.Text, c.Limit, c.CodePage), c.Cut);
    }
}

TEST(TextCutTest, PiecesDrawnSideBySideShowWhatTheWholeShows)
{
    // Random lines of Latin letters, spaces, digits, brackets, Hebrew and
    // Arabic words, combining and spacing marks, direction embeddings and
    // isolates with and without their ends, paragraph separators and bytes
    // that are no UTF-8, cut at random limits: the two pieces, measured and
    // drawn one after the other, give the whole line's width and pixels.
    const std::string family = InstalledFamilyFor(":lang=ar");
    if (family.empty())
        GTEST_SKIP() << "no installed font covers Arabic";
    SetACP(CP_UTF8);
    const std::vector<std::string> pool = {"a",
                                           "b",
                                           "Kelvor",
                                           " ",
                                           "42",
                                           "(",
                                           ")",
                                           "\xC3\xA9",
                                           "\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D",
                                           "\xD8\xB3\xD9\x84\xD8\xA7\xD9\x85",
                                           "\xCC\x81",
                                           "\xE0\xA4\x95\xE0\xA4\xBE",
                                           "\xE2\x80\xAB",
                                           "\xE2\x80\xAC",
                                           "\xE2\x81\xA7",
                                           "\xE2\x81\xA9",
                                           "\xC2\x85",
                                           "\xC3",
                                           "\xFF",
                                           "\xE4\xB8\x80"};
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
