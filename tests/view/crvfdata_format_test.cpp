// Format_: a tail layout gives exactly what a full layout gives (new
// paragraphs, a first item that continues the last line, every kind of
// reopened paragraph, after Clear, at a new width, after text changes), the
// widths of the document (the client text width among them), the pass after a
// scroll bar appears, and the top line kept across a resize.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "document/rvstyle.h"
#include "tests/support/testrvfdata.h"

namespace {

// The style sheet of the layout tests: paragraph 2 spaced (4 before, 6 after,
// 150 % lines, to catch offsets lost at the seam), 3 unwrapped, 4 justified
// with a first indent, 5 right to left and centred; text style 6 large.
void AddLayoutStyles(TRVStyle& style)
{
    TParaInfo* spaced = style.ParaStyles()->Add();
    spaced->SetSpaceBefore(4);
    spaced->SetSpaceAfter(6);
    spaced->SetLineSpacing(150);
    style.ParaStyles()->Add()->SetOptions({rvpaoNoWrap});
    TParaInfo* justified = style.ParaStyles()->Add();
    justified->SetAlignment(rvaJustify);
    justified->SetFirstIndent(14);
    TParaInfo* rtl = style.ParaStyles()->Add();
    rtl->SetBiDiMode(rvbdRightToLeft);
    rtl->SetAlignment(rvaCenter);
    style.TextStyles()->Add()->SetSize(20);
}

// Paragraph i of a mixed document: wrapped and spaced text, hyperlinks,
// mixed sizes in one line, rules, right to left with a line break.
void AddPara(TTestRVFData& d, int i)
{
    const std::string n = std::to_string(i);
    switch (i % 7) {
    case 0:
        d.AddNL("line " + n + " of some text that is long enough to wrap over a few lines here", 0, 0);
        break;
    case 1:
        d.AddNL("spaced " + n + " paragraph with words", 0, 2);
        d.AddNL(" and a big tail", 6, -1);
        break;
    case 2:
        d.AddNL("see ", 0, 0);
        d.AddNL("the hyperlink number " + n + " that wraps", 4, -1);
        break;
    case 3:
        d.AddBreak();
        break;
    case 4:
        d.AddNL("justified " + n + " text of a paragraph that fills several lines of it", 0, 4);
        break;
    case 5:
        d.AddNL("right " + n, 0, 5);
        d.AddNL(" to left", 1, -1);
        d.AddNL("with a break inside", 0, -1);
        d.GetItem(d.GetItemCount() - 1)->SetBR(true);
        break;
    default:
        d.AddNL("", 0, 0);
        break;
    }
}

void AddParas(TTestRVFData& d, int from, int to)
{
    for (int i = from; i < to; ++i)
        AddPara(d, i);
}

class DocumentLayout : public ::testing::Test {
protected:
    DocumentLayout()
    {
        AddLayoutStyles(Style);
        UseLargeFontMetrics(A.Canvas);
        UseLargeFontMetrics(B.Canvas);
    }

    TRVStyle Style{nullptr};
    TTestRVFData A{&Style};
    TTestRVFData B{&Style};
};

// A document laid out whole, grown, laid out by a tail layout: the same as
// the grown document laid out whole.
struct TTailCase {
    const char* Name;
    std::function<void(TTestRVFData&)> Before; // the document laid out first
    std::function<void(TTestRVFData&)> After;  // what comes to it before the tail layout
};

class TailLayout : public DocumentLayout, public ::testing::WithParamInterface<TTailCase> {};

TEST_P(TailLayout, EqualsAFullLayout)
{
    GetParam().Before(A);
    GetParam().Before(B);
    A.FormatAll();
    GetParam().After(A);
    GetParam().After(B);
    A.FormatTail();
    B.FormatAll();
    ExpectSameLayout(A, B);
}

// The paragraph before the tail in each paragraph style, grown by a hyperlink
// and large text on its lines.
TTailCase Reopened(const char* name, int paraNo)
{
    return {name,
            [paraNo](TTestRVFData& d) {
                AddPara(d, 2);
                d.AddNL("the last paragraph before the tail", 0, paraNo);
            },
            [](TTestRVFData& d) {
                d.AddNL(" grows by a hyperlink", 4, -1);
                d.AddNL(" and more words on its lines", 6, -1);
                AddPara(d, 4);
            }};
}

const TTailCase TailCases[] = {
    {"NewParagraphs", [](TTestRVFData& d) { AddParas(d, 0, 12); },
     [](TTestRVFData& d) { AddParas(d, 12, 27); }},
    {"NothingNew", [](TTestRVFData& d) { AddParas(d, 0, 7); }, [](TTestRVFData&) {}},
    {"FirstItemContinuesTheLastLine",
     [](TTestRVFData& d) {
         AddParas(d, 0, 2);
         d.AddNL("short start", 0, 2);
     },
     [](TTestRVFData& d) {
         d.AddNL(" continued on the same line and wrapped further", 6, -1);
         d.AddNL("see ", 0, -1);
         d.AddNL("link", 4, -1);
         AddPara(d, 5);
     }},
    Reopened("ReopenedPlain", 0),
    Reopened("ReopenedSpaced", 2),
    Reopened("ReopenedUnwrapped", 3),
    Reopened("ReopenedJustified", 4),
    Reopened("ReopenedRightToLeft", 5),
    {"ALineBreakInsideTheParagraph", [](TTestRVFData& d) { d.AddNL("spaced start", 0, 2); },
     [](TTestRVFData& d) {
         d.AddNL("broken line", 0, -1);
         d.GetItem(1)->SetBR(true);
         AddPara(d, 4);
     }},
    {"AWiderUnwrappedLine",
     [](TTestRVFData& d) {
         for (int i = 0; i < 5; ++i)
             d.AddNL("log line " + std::to_string(i), 0, 3);
     },
     [](TTestRVFData& d) { d.AddNL(std::string(80, 'x'), 0, 3); }},
    {"ANewWidthOfWrappedText",
     [](TTestRVFData& d) {
         AddPara(d, 0);
         d.AddNL("short", 0, 0);
     },
     [](TTestRVFData& d) { d.AddNL(std::string(60, 'w'), 0, 3); }},
    {"ChangedItemText", [](TTestRVFData& d) { AddParas(d, 0, 3); },
     [](TTestRVFData& d) { d.SetItemText(0, "x"); }},
    {"TextChangedThroughTheStore", [](TTestRVFData& d) { AddParas(d, 0, 3); },
     [](TTestRVFData& d) {
         // The store's own calls, through a pointer to the store, reach the layout.
         TCustomRVData& store = d;
         store.SetItemTextW(0, u"wide");
         store.SetItemTextA(1, "narrow but longer than it was before, so that it wraps differently");
         store.SetItemText(2, "plain");
     }},
    {"AfterClear",
     [](TTestRVFData& d) {
         AddParas(d, 0, 6);
         d.FormatAll();
         d.Clear();
     },
     [](TTestRVFData& d) { AddParas(d, 0, 4); }},
};

INSTANTIATE_TEST_SUITE_P(Growth, TailLayout, ::testing::ValuesIn(TailCases),
                         [](const ::testing::TestParamInfo<TTailCase>& info) { return info.param.Name; });

TEST_F(DocumentLayout, TailRepeatedOneParagraphAtATime)
{
    for (int i = 0; i < 20; ++i) {
        AddPara(A, i);
        A.FormatTail();
        AddPara(B, i);
    }
    B.FormatAll();
    ExpectSameLayout(A, B);
}

// A long paragraph that grows by appended pieces, laid out by a tail layout
// after every piece, against a whole layout of the same document each time;
// in every paragraph style, at three widths, after a paragraph and a rule.
struct TGrowthCase {
    const char* Name;
    bool Unicode;
    std::vector<std::u16string> Pieces;
};

std::vector<std::u16string> Repeated(const std::u16string& piece, int count)
{
    std::vector<std::u16string> pieces;
    for (int i = 0; i < count; ++i)
        pieces.push_back(piece + std::u16string(1, static_cast<char16_t>(u'a' + i % 26)));
    return pieces;
}

const TGrowthCase GrowthCases[] = {
    {"Words", false, Repeated(u"some words of a long paragraph ", 12)},
    {"NoSpaces", false, Repeated(u"abcdefghijklmnopqrstuvwxyz0123456789", 12)},
    {"CjkAndRightToLeft", true,
     Repeated(u"漢字、かな漢字 שלום עולם "
              u"and latin ",
              12)},
    {"AWordLongerThanTheLine",
     false,
     {u"short ", u"words ", std::u16string(90, u'w'), u" then ", std::u16string(50, u'v'), u"more", u" end"}},
    // 10 characters are 70 px, the narrowest width: lines end exactly there.
    {"LinesExactlyAtTheWidth",
     false,
     {u"abcdefghij", u"klmnopqrst", u" uvwxyzabc", u"defghijklm ", u"nopqrstuvw", u"xyzabcdefg"}},
    // The space after "abcd" overflows a line of 4: whether an item follows decides the break.
    {"ASpaceRightAtTheOverflow", false, {u"abcd ", u"efgh ", u"ijkl", u" mnop ", u"qrst ", u"uvwx"}},
};

class ParagraphGrowth : public DocumentLayout, public ::testing::WithParamInterface<TGrowthCase> {};

TEST_P(ParagraphGrowth, EachTailLayoutEqualsAWholeLayout)
{
    Style.TextStyles()->Add()->SetUnicode(true); // 7
    TFontInfo* largeUnicode = Style.TextStyles()->Add();
    largeUnicode->SetUnicode(true);
    largeUnicode->SetSize(20); // 8
    const TGrowthCase& c = GetParam();
    for (int width : {70, 133, 300})
        for (int paraNo : {0, 2, 3, 4, 5}) {
            SCOPED_TRACE(testing::Message() << "width " << width << ", paragraph style " << paraNo);
            for (TTestRVFData* d : {&A, &B}) {
                d->Clear();
                d->Width = width;
                AddPara(*d, 0);
                d->AddBreak();
            }
            A.FormatAll();
            for (size_t k = 0; k < c.Pieces.size(); ++k) {
                SCOPED_TRACE(k);
                // Every third piece in large text.
                const bool large = k % 3 == 2;
                for (TTestRVFData* d : {&A, &B}) {
                    const int para = k == 0 ? paraNo : -1;
                    if (c.Unicode)
                        d->AddNLWTag(WideString(c.Pieces[k]), large ? 8 : 7, para, TRVTag());
                    else
                        d->AddNL(std::string(c.Pieces[k].begin(), c.Pieces[k].end()), large ? 6 : 0, para);
                }
                A.FormatTail();
                B.FormatAll();
                ExpectSameLayout(A, B);
                if (HasFailure())
                    return;
            }
        }
}

INSTANTIATE_TEST_SUITE_P(Pieces, ParagraphGrowth, ::testing::ValuesIn(GrowthCases),
                         [](const ::testing::TestParamInfo<TGrowthCase>& info) { return info.param.Name; });

TEST_F(DocumentLayout, APieceAppendedToALongParagraphCostsItsOwnTextAndTheLastLine)
{
    // 40 pieces of 2,500 characters into one paragraph, wrapped, and
    // unwrapped after a rule as in a log pane (the rule widens as the line
    // grows): each tail layout measures what the piece adds and the line it
    // joins, not the paragraph so far, so that the whole growth costs a small
    // multiple of the text.
    for (int paraNo : {0, 3}) {
        SCOPED_TRACE(paraNo);
        A.Clear();
        A.AddNL("first", 0, paraNo);
        A.AddBreak();
        A.FormatAll();
        int64_t total = 0;
        A.Canvas.CharsMeasured = 0;
        for (int k = 0; k < 40; ++k) {
            std::string piece;
            while (piece.size() < 2500)
                piece += "word" + std::to_string(k) + ' ';
            piece.resize(2500);
            total += static_cast<int64_t>(piece.size());
            A.AddNL(piece, 0, k == 0 ? paraNo : -1);
            A.FormatTail();
        }
        EXPECT_LT(A.Canvas.CharsMeasured, 6 * total);
        B.Clear();
        B.AddNL("first", 0, paraNo);
        B.AddBreak();
        for (int k = 2; k < A.GetItemCount(); ++k)
            B.AddNL(A.GetItemTextA(k), 0, k == 2 ? paraNo : -1);
        B.FormatAll();
        ExpectSameLayout(A, B);
    }
}

TEST_F(DocumentLayout, TheDocumentsWidthsAndWhereTextWraps)
{
    A.LeftMargin = 10;
    A.RightMargin = 20;
    A.AddNL("one", 0, 2);
    // A 350 px unwrapped line, then a paragraph that wraps.
    A.AddNL(std::string(50, 'w'), 0, 3);
    A.AddNL("words that wrap at the text width, or at the client width when the text is wider", 0, 0);
    struct TCase {
        int MinWidth, MaxWidth;
        TRVOptions Options;
        int TextWidth, DocumentWidth, WrapRight; // where the wrapped paragraph's longest line ends
    };
    const TCase cases[] = {
        {0, 0, {}, 350, 350, 360},
        {0, 100, {}, 350, 100, 110},
        {400, 0, {}, 400, 400, 410},
        // The client text width: the text wraps at the client width, the
        // document is no wider than the client.
        {0, 0, {rvoClientTextWidth}, 350, 270, 280},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.MinWidth << " " << c.MaxWidth << " " << c.Options.Bits);
        A.MinTextWidth = c.MinWidth;
        A.MaxTextWidth = c.MaxWidth;
        A.Options = c.Options;
        A.FormatAll();
        EXPECT_EQ(A.TextWidth, c.TextWidth);
        EXPECT_EQ(A.DocumentWidth, c.DocumentWidth);
        int right = 0;
        for (int i = 0; i < A.DrawItems.Count(); ++i)
            if (A.DI(i)->ItemNo == 2)
                right = std::max(right, A.DI(i)->Left + A.DI(i)->Width);
        EXPECT_LE(right, c.WrapRight);
        EXPECT_GT(right, c.WrapRight - 60) << "a word is at most 56 px";
    }
}

TEST_F(DocumentLayout, AScrollBarThatAppearsCausesExactlyOneMorePass)
{
    A.ScrollBarWidth = 20;
    A.Height = 50;
    for (int i = 0; i < 10; ++i)
        A.AddNL("paragraph " + std::to_string(i) + " with a few words in it", 0, 0);
    A.FormatAll();
    EXPECT_EQ(A.LayoutPasses, 2);
    EXPECT_EQ(A.TextWidth, 280) << "laid out for the narrower area";
    A.LayoutPasses = 0;
    A.FormatAll();
    EXPECT_EQ(A.LayoutPasses, 1) << "nothing appears the next time";
}

TEST_F(DocumentLayout, ResizeKeepsTheTopLineAndSkipsUnchangedWidths)
{
    for (int i = 0; i < 30; ++i)
        A.AddNL("paragraph " + std::to_string(i) + " with a few words in it", 0, 0);
    A.FormatAll();
    A.VOffs = A.DI(20)->Top + 5; // 5 px into a line in the middle
    const int topItem = A.DI(20)->ItemNo;
    A.Width = 150;
    A.Format_(true, false, false, 0, nullptr, false, false);
    ASSERT_FALSE(A.ScrollPositions.empty());
    // The item that was at the top is there again.
    int found = -1;
    for (int i = 0; i < A.DrawItems.Count() && found < 0; ++i)
        if (A.DI(i)->Top <= A.VOffs && A.VOffs < A.DI(i)->Top + A.DI(i)->Height)
            found = i;
    ASSERT_GE(found, 0);
    EXPECT_LE(std::abs(A.DI(found)->ItemNo - topItem), 1);
    const int passes = A.LayoutPasses;
    A.Format_(true, false, false, 0, nullptr, false, false);
    EXPECT_EQ(A.LayoutPasses, passes) << "same width again: nothing is laid out";
}

} // namespace

namespace {

// The draw item whose line holds the view's top.
int LineAtTop(TTestRVFData& d)
{
    for (int i = 0; i < d.DrawItems.Count(); ++i)
        if (d.DI(i)->Top + d.DI(i)->Height > d.VOffs)
            return i;
    return -1;
}

} // namespace

TEST_F(DocumentLayout, AResizeKeepsTheLineAtTheTopInPlace)
{
    // The view moves by single pixels, so that a line can be exactly at the top.
    A.VSmallStep = 1;
    for (int i = 0; i < 100; ++i)
        A.AddNL("paragraph " + std::to_string(i) + " of words enough to wrap over three lines or more here",
                0, 0);
    A.FormatAll();
    const int first = A.FindDrawItemByItem(16);
    ASSERT_GE(first, 0);
    ASSERT_TRUE(A.DI(first + 1)->FromNewLine);
    ASSERT_EQ(A.DI(first + 1)->ItemNo, 16) << "item 16 wraps";
    const int lineOffs = A.DI(first + 1)->Top - A.DI(first)->Top;
    A.VOffs = A.DI(first + 1)->Top; // the top of item 16's second line
    const int start = A.VOffs;

    // Only the height changes: nothing is laid out, and the view stays.
    A.Height = 150;
    A.Format_(true, false, false, 0, nullptr, false, false);
    EXPECT_EQ(A.VOffs, start);

    // Narrower: the paragraphs wrap anew, and item 16's second line is on top again.
    A.Width = 240;
    A.Format_(true, false, false, 0, nullptr, false, false);
    const int top = LineAtTop(A);
    ASSERT_GE(top, 0);
    EXPECT_EQ(A.DI(top)->ItemNo, 16);
    EXPECT_EQ(top, A.FindDrawItemByItem(16) + 1) << "its second line";
    EXPECT_EQ(A.VOffs, A.DI(top)->Top);
    EXPECT_EQ(A.VOffs - A.DI(A.FindDrawItemByItem(16))->Top, lineOffs);
}
