// Format_: a tail layout gives exactly what a full layout gives (also when the
// first new item continues the last line, after Clear, at a new width), the
// widths and height of the document, the pass after a scroll bar appears, and
// the scroll position kept across a resize or a tail.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "document/rvstyle.h"
#include "tests/support/testrvfdata.h"

namespace {

// Everything a layout produces, for field-by-field comparison.
struct TLayoutDump {
    std::vector<std::vector<int>> DrawItems;
    std::vector<std::vector<int>> Jumps;
    std::vector<std::vector<int>> Items; // DrawItemNo, JumpID
    int DocumentHeight, DocumentWidth, TextWidth, JumpCount, LastFormattedItem;
};

TLayoutDump Dump(const TTestRVFData& Data)
{
    TLayoutDump d;
    for (int i = 0; i < Data.DrawItems.Count(); ++i) {
        const TRVDrawLineInfo* dli = Data.DrawItems[i];
        d.DrawItems.push_back({dli->Left, dli->Top, dli->Width, dli->Height, dli->ItemNo, dli->Offs,
                               dli->Length, dli->SpaceBefore, dli->ExtraSpaceBelow, dli->FromNewLine ? 1 : 0,
                               static_cast<int>(dli->MarkerOffset)});
    }
    for (int i = 0; i < Data.Jumps.Count(); ++i) {
        const auto* j = static_cast<const TRVJumpInfo*>(Data.Jumps.Get(i));
        d.Jumps.push_back({j->Left, j->Top, j->Width, j->Height, j->Id, j->DrawItemNo, j->Cursor});
    }
    for (int i = 0; i < Data.GetItemCount(); ++i)
        d.Items.push_back({Data.GetItem(i)->DrawItemNo, Data.GetItem(i)->JumpID});
    d.DocumentHeight = Data.DocumentHeight;
    d.DocumentWidth = Data.DocumentWidth;
    d.TextWidth = Data.TextWidth;
    d.JumpCount = Data.JumpCount;
    d.LastFormattedItem = Data.LastFormattedItem;
    return d;
}

void ExpectSameLayout(const TTestRVFData& Tail, const TTestRVFData& Full)
{
    const TLayoutDump a = Dump(Tail);
    const TLayoutDump b = Dump(Full);
    ASSERT_EQ(a.DrawItems.size(), b.DrawItems.size());
    for (size_t i = 0; i < a.DrawItems.size(); ++i)
        EXPECT_EQ(a.DrawItems[i], b.DrawItems[i]) << "draw item " << i;
    EXPECT_EQ(a.Jumps, b.Jumps);
    EXPECT_EQ(a.Items, b.Items);
    EXPECT_EQ(a.DocumentHeight, b.DocumentHeight);
    EXPECT_EQ(a.DocumentWidth, b.DocumentWidth);
    EXPECT_EQ(a.TextWidth, b.TextWidth);
    EXPECT_EQ(a.JumpCount, b.JumpCount);
    EXPECT_EQ(a.LastFormattedItem, b.LastFormattedItem);
}

class DocumentLayout : public ::testing::Test {
protected:
    DocumentLayout() : Style(nullptr)
    {
        // Paragraph 2: spacing around it and 150 % lines, to catch offsets lost at the seam.
        TParaInfo* Spaced = Style.ParaStyles()->Add();
        Spaced->SetSpaceBefore(4);
        Spaced->SetSpaceAfter(6);
        Spaced->SetLineSpacing(150);
        // Paragraph 3: not wrapped.
        Style.ParaStyles()->Add()->SetOptions({rvpaoNoWrap});
        // Paragraph 4: justified, right to left.
        TParaInfo* Justified = Style.ParaStyles()->Add();
        Justified->SetAlignment(rvaJustify);
        Justified->SetFirstIndent(14);
        // Paragraph 5: right to left, centred.
        TParaInfo* Rtl = Style.ParaStyles()->Add();
        Rtl->SetBiDiMode(rvbdRightToLeft);
        Rtl->SetAlignment(rvaCenter);
        // Text style 6: large.
        Style.TextStyles()->Add()->SetSize(20);
        for (TRecordingCanvas* c : {&A.Canvas, &B.Canvas})
            c->MetricsForFont = [](const TFont& Font) {
                TRecordingMetrics m;
                if (Font.Size() >= 20) {
                    m.CharWidth = 12;
                    m.Ascent = 20;
                    m.Descent = 6;
                }
                return m;
            };
    }

    // Paragraph i of a mixed document: wrapped and spaced text, hyperlinks,
    // mixed sizes in one line, rules.
    static void AddPara(TTestRVFData& d, int i)
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

    TRVStyle Style;
    TTestRVFData A{&Style};
    TTestRVFData B{&Style};
};

TEST_F(DocumentLayout, TailOfNewParagraphsEqualsFullLayout)
{
    for (int i = 0; i < 12; ++i) {
        AddPara(A, i);
        AddPara(B, i);
    }
    A.FormatAll();
    for (int i = 12; i < 27; ++i) {
        AddPara(A, i);
        AddPara(B, i);
    }
    A.FormatTail();
    B.FormatAll();
    ExpectSameLayout(A, B);
}

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

TEST_F(DocumentLayout, TailWhoseFirstItemContinuesTheLastLineReopensTheParagraph)
{
    for (TTestRVFData* d : {&A, &B}) {
        AddPara(*d, 0);
        AddPara(*d, 1);
        d->AddNL("short start", 0, 2);
    }
    A.FormatAll();
    const int Before = A.DrawItems.Count();
    for (TTestRVFData* d : {&A, &B}) {
        d->AddNL(" continued on the same line and wrapped further", 6, -1);
        d->AddNL("see ", 0, -1);
        d->AddNL("link", 4, -1);
        AddPara(*d, 5);
    }
    A.FormatTail();
    B.FormatAll();
    ExpectSameLayout(A, B);
    // The continuation sits on the last old line, not over it.
    const TRVDrawLineInfo* Start = A.DI(Before - 1);
    const TRVDrawLineInfo* Next = A.DI(Before);
    EXPECT_FALSE(Next->FromNewLine);
    EXPECT_EQ(Next->Left, Start->Left + Start->Width);
}

TEST_F(DocumentLayout, ReopenedParagraphsOfEveryKind)
{
    for (int ParaNo : {0, 2, 3, 4, 5}) {
        TTestRVFData Tail(&Style), Full(&Style);
        Tail.Canvas.MetricsForFont = A.Canvas.MetricsForFont;
        Full.Canvas.MetricsForFont = A.Canvas.MetricsForFont;
        for (TTestRVFData* d : {&Tail, &Full}) {
            AddPara(*d, 2);
            d->AddNL("the last paragraph before the tail", 0, ParaNo);
        }
        Tail.FormatAll();
        for (TTestRVFData* d : {&Tail, &Full}) {
            d->AddNL(" grows by a hyperlink", 4, -1);
            d->AddNL(" and more words on its lines", 6, -1);
            AddPara(*d, 4);
        }
        Tail.FormatTail();
        Full.FormatAll();
        SCOPED_TRACE(ParaNo);
        ExpectSameLayout(Tail, Full);
    }
}

TEST_F(DocumentLayout, TailStartingWithALineBreakInsideTheParagraph)
{
    for (TTestRVFData* d : {&A, &B})
        d->AddNL("spaced start", 0, 2);
    A.FormatAll();
    for (TTestRVFData* d : {&A, &B}) {
        d->AddNL("broken line", 0, -1);
        d->GetItem(1)->SetBR(true);
        AddPara(*d, 4);
    }
    A.FormatTail();
    B.FormatAll();
    ExpectSameLayout(A, B);
}

TEST_F(DocumentLayout, TailAfterClearLaysOutTheNewDocument)
{
    for (int i = 0; i < 6; ++i)
        AddPara(A, i);
    A.FormatAll();
    A.Clear();
    EXPECT_EQ(A.LastFormattedItem, -1);
    EXPECT_EQ(A.DrawItems.Count(), 0);
    for (int i = 0; i < 4; ++i) {
        AddPara(A, i);
        AddPara(B, i);
    }
    A.FormatTail();
    B.FormatAll();
    ASSERT_GT(A.DrawItems.Count(), 0);
    ExpectSameLayout(A, B);
}

TEST_F(DocumentLayout, TailWithNothingNewChangesNothing)
{
    for (int i = 0; i < 7; ++i) {
        AddPara(A, i);
        AddPara(B, i);
    }
    A.FormatAll();
    A.FormatTail();
    A.FormatTail();
    B.FormatAll();
    ExpectSameLayout(A, B);
}

TEST_F(DocumentLayout, TailOfAWiderUnwrappedLineKeepsOldLinesAndWidens)
{
    for (TTestRVFData* d : {&A, &B})
        for (int i = 0; i < 5; ++i)
            d->AddNL("log line " + std::to_string(i), 0, 3);
    A.FormatAll();
    const TRVDrawLineInfo* Old = A.DI(0);
    for (TTestRVFData* d : {&A, &B})
        d->AddNL(std::string(80, 'x'), 0, 3); // 560 px, wider than the 300 px area
    A.FormatTail();
    B.FormatAll();
    ExpectSameLayout(A, B);
    EXPECT_EQ(A.DI(0), Old); // not laid out again
    EXPECT_EQ(A.TextWidth, 560);
}

TEST_F(DocumentLayout, TailCostsTheNewTextAndTheLastParagraphOnly)
{
    const std::string Line(40, 'l');
    for (int i = 0; i < 2000; ++i)
        A.AddNL(Line + std::to_string(i % 10), 0, 3);
    A.FormatAll();
    const TRVDrawLineInfo* First = A.DI(0);
    const TRVDrawLineInfo* Last = A.DI(1999);

    // New paragraphs: each new text is measured once for its place and once
    // for the minimum width, and the last old paragraph once more for the
    // minimum width; nothing else.
    A.Canvas.CharsMeasured = 0;
    for (int i = 0; i < 10; ++i)
        A.AddNL(Line + "-", 0, 3);
    A.FormatTail();
    EXPECT_LE(A.Canvas.CharsMeasured, 2 * 10 * 41 + 41);
    EXPECT_EQ(A.DI(0), First);
    EXPECT_EQ(A.DI(1999), Last);
    ASSERT_EQ(A.DrawItems.Count(), 2010);

    // A new item that continues the last line: that paragraph is laid out again.
    A.Canvas.CharsMeasured = 0;
    A.AddNL("tail", 0, -1);
    A.FormatTail();
    EXPECT_LE(A.Canvas.CharsMeasured, 2 * (41 + 4));
    EXPECT_EQ(A.DI(1999), Last);
    ASSERT_EQ(A.DrawItems.Count(), 2011);
    EXPECT_EQ(A.DI(2010)->Left, 41 * 7);
    EXPECT_EQ(A.DI(2010)->Top, A.DI(2009)->Top);
}

TEST_F(DocumentLayout, TailAtANewWidthOfWrappedTextLaysOutEverything)
{
    for (TTestRVFData* d : {&A, &B}) {
        AddPara(*d, 0);
        d->AddNL("short", 0, 0);
    }
    A.FormatAll();
    for (TTestRVFData* d : {&A, &B})
        d->AddNL(std::string(60, 'w'), 0, 3); // an unwrapped line wider than the area
    A.FormatTail();
    B.FormatAll();
    ExpectSameLayout(A, B);
    EXPECT_EQ(A.DocumentWidth, 420);
}

TEST_F(DocumentLayout, ChangedItemTextMakesTheTailLayoutEverything)
{
    for (TTestRVFData* d : {&A, &B})
        for (int i = 0; i < 3; ++i)
            AddPara(*d, i);
    A.FormatAll();
    A.SetItemText(0, "x");
    B.SetItemText(0, "x");
    // The old draw items still read only what the text holds.
    EXPECT_EQ(A.DrawItems.GetString(0, A.Items), "x");
    EXPECT_EQ(A.DrawItems.GetString(1, A.Items), "");
    A.FormatTail();
    B.FormatAll();
    ExpectSameLayout(A, B);
}

TEST_F(DocumentLayout, TextChangedThroughTheStoreMakesTheTailLayoutEverything)
{
    for (TTestRVFData* d : {&A, &B})
        for (int i = 0; i < 3; ++i)
            AddPara(*d, i);
    A.FormatAll();
    // The store's own calls, through a pointer to the store, reach the layout.
    for (TCustomRVData* d : {static_cast<TCustomRVData*>(&A), static_cast<TCustomRVData*>(&B)}) {
        d->SetItemTextW(0, u"wide");
        d->SetItemTextA(1, "narrow but longer than it was before, so that it wraps differently");
        d->SetItemText(2, "plain");
    }
    A.FormatTail();
    B.FormatAll();
    ExpectSameLayout(A, B);
    EXPECT_EQ(A.DrawItems.GetString(0, A.Items), "wide");
}

TEST_F(DocumentLayout, DocumentHeightAndWidths)
{
    A.TopMargin = 5;
    A.BottomMargin = 7;
    A.LeftMargin = 10;
    A.RightMargin = 20;
    A.AddNL("one", 0, 2); // space before 4, after 6, 150 %: extra 6 below the line
    A.FormatAll();
    // 5 + 4 (space before) + 13 (line) + 6 (extra) + 6 (space after) + 7.
    EXPECT_EQ(A.DocumentHeight, 41);
    EXPECT_EQ(A.TextWidth, 270);
    EXPECT_EQ(A.DocumentWidth, 270);
    EXPECT_EQ(A.DI(0)->Left, 10);
    EXPECT_EQ(A.DI(0)->Top, 9);
    ASSERT_FALSE(A.AreaSizes.empty());
    EXPECT_EQ(A.AreaSizes.back().Width, 300);
    EXPECT_EQ(A.AreaSizes.back().Height, 41);
    EXPECT_EQ(A.LastFormattedItem, 0);

    A.MaxTextWidth = 100;
    A.FormatAll();
    EXPECT_EQ(A.TextWidth, 270);
    EXPECT_EQ(A.DocumentWidth, 100);
    A.MaxTextWidth = 0;
    A.MinTextWidth = 400;
    A.FormatAll();
    EXPECT_EQ(A.TextWidth, 400);
    A.Options = {rvoClientTextWidth};
    A.MinTextWidth = 0;
    A.AddNL(std::string(50, 'w'), 0, 3); // 350 px, not wrapped
    A.FormatAll();
    EXPECT_EQ(A.TextWidth, 350);
    EXPECT_EQ(A.DocumentWidth, 270);
}

TEST_F(DocumentLayout, AScrollBarThatAppearsCausesExactlyOneMorePass)
{
    A.ScrollBarWidth = 20;
    A.Height = 50;
    for (int i = 0; i < 10; ++i)
        A.AddNL("paragraph " + std::to_string(i) + " with a few words in it", 0, 0);
    A.FormatAll();
    EXPECT_EQ(A.LayoutPasses, 2);
    EXPECT_TRUE(A.BarShown);
    EXPECT_EQ(A.TextWidth, 280); // laid out for the narrower area
    ASSERT_EQ(A.AreaSizes.size(), 2u);

    // Nothing appears the next time: one pass.
    A.LayoutPasses = 0;
    A.FormatAll();
    EXPECT_EQ(A.LayoutPasses, 1);
}

TEST_F(DocumentLayout, NothingWithoutStyleSheetOrWhileFormatting)
{
    TTestRVFData NoStyle(nullptr);
    NoStyle.AddNL("x", 0, 0);
    NoStyle.FormatAll();
    EXPECT_EQ(NoStyle.DrawItems.Count(), 0);
    EXPECT_EQ(NoStyle.LastFormattedItem, -1);

    A.AddNL("x", 0, 0);
    A.StartFormatting();
    A.FormatAll();
    EXPECT_EQ(A.DrawItems.Count(), 0);
    A.EndFormatting();
    A.FormatAll();
    EXPECT_EQ(A.DrawItems.Count(), 1);
    EXPECT_FALSE(A.State.Contains(rvstSkipFormatting));
}

TEST_F(DocumentLayout, ResizeKeepsTheTopLineAndSkipsUnchangedWidths)
{
    for (int i = 0; i < 30; ++i)
        A.AddNL("paragraph " + std::to_string(i) + " with a few words in it", 0, 0);
    A.FormatAll();
    // The view starts 5 px into a line in the middle.
    const int Line = 20;
    A.VOffs = A.DI(Line)->Top + 5;
    const int TopItem = A.DI(Line)->ItemNo;
    A.Width = 150;
    A.Format_(true, false, false, 0, nullptr, false, false);
    ASSERT_FALSE(A.ScrollPositions.empty());
    // The item that was at the top is there again, at the same offset
    // within the draw item found for it.
    bool Found = false;
    for (int i = 0; i < A.DrawItems.Count(); ++i)
        if (A.DI(i)->Top <= A.VOffs && A.VOffs < A.DI(i)->Top + A.DI(i)->Height) {
            EXPECT_LE(std::abs(A.DI(i)->ItemNo - TopItem), 1);
            Found = true;
            break;
        }
    EXPECT_TRUE(Found);

    // Same width again: nothing is laid out.
    const int Passes = A.LayoutPasses;
    A.Format_(true, false, false, 0, nullptr, false, false);
    EXPECT_EQ(A.LayoutPasses, Passes);
}

TEST_F(DocumentLayout, TailScrollsToTheEndOrBack)
{
    A.AddNL("a", 0, 0);
    A.FormatAll();
    A.VOffs = 3;
    A.AddNL("b", 0, 0);
    A.FormatTail();
    ASSERT_FALSE(A.ScrollPositions.empty());
    EXPECT_EQ(A.ScrollPositions.back(), 3);
    A.Options = {rvoScrollToEnd};
    A.AddNL("c", 0, 0);
    A.FormatTail();
    EXPECT_EQ(A.ScrollPositions.back(), A.DocumentHeight);
}

} // namespace
