// What a live pane's tail layout costs: a pane of 100,000 unwrapped one-item
// lines (the log pane's paragraph style) gets 1,000 more, laid out as the main
// window lays out a poll's text. The layout measures the new text and the last
// paragraph only, keeps the old lines' draw items, and ends exactly where a
// whole layout of the same document ends. Layouts run on recording canvases,
// which count the texts they measure.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "document/rvstyle.h"
#include "platform/controls/forms.h"
#include "platform/graphics/recordingcanvas.h"
#include "tests/support/testrvfdata.h"
#include "view/rollview.h"

namespace {

const int OldLines = 100000;
const int NewLines = 1000;
const int CharWidth = 7; // the recording canvas's fixed advance

// Old line i: 20 to 29 characters, and one of 60 (the widest old line, wider than the pane).
std::string OldLine(int i)
{
    return i == 4321
               ? std::string(60, 'w')
               : "old " + std::to_string(100000 + i) + std::string(static_cast<size_t>(6 + i % 10), '.');
}

// New line i: 25 to 29 characters, and one of 80 that widens the document.
std::string NewLine(int i)
{
    return i == 517
               ? std::string(80, 'W')
               : "new line " + std::to_string(1000 + i) + std::string(static_cast<size_t>(12 + i % 5), '-');
}

class TailCostTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Form = new TForm(nullptr);
        Form->SetBounds(0, 0, 700, 300);
        // The log pane's style sheet: one text style, paragraph 0 unwrapped.
        Style = new TRVStyle(Form);
        TFontInfos* texts = Style->TextStyles();
        while (texts->Count() > 1)
            texts->Delete(texts->Count() - 1);
        Style->ParaStyles()->Clear();
        Style->ParaStyles()->Add()->SetOptions(TRVParaOptions{rvpaoNoWrap});
        Tail = NewPane(0);
        Whole = NewPane(350);
        Form->Show();
        for (TRollView* view : {Tail, Whole})
            for (int i = 0; i < OldLines; ++i)
                view->AddTextNL(OldLine(i), 0, 0, 0);
        LayOutWhole(Tail, &TailCanvas);
        ASSERT_EQ(Tail->RVData->DrawItems.Count(), OldLines);
        EXPECT_EQ(Tail->RVData->TextWidth, 60 * CharWidth);
        for (int i = 0; i < OldLines; ++i)
            Before.push_back({Tail->RVData->DrawItems[i], DrawItemFields(Tail->RVData->DrawItems[i])});
        TailCanvas.ResetTextsMeasured();
        TailCanvas.CharsMeasured = 0;
    }
    void TearDown() override { Form->Free(); }

    TRollView* NewPane(int left)
    {
        auto* view = new TRollView(Form);
        view->SetStyle(Style);
        view->SetBounds(left, 0, 300, 200);
        view->SetParent(Form);
        return view;
    }

    // What TRollView::Format does, on the given canvas.
    static void LayOutWhole(TRollView* view, TRecordingCanvas* canvas)
    {
        view->Format_(false, true, canvas, false, true);
        view->SetVScrollPos(view->GetVScrollMax());
    }

    // Lays out the tail as TRollView::FormatTail does (the window's layout of a
    // poll's text, on the counting canvas instead of the view's own bitmap),
    // then checks that the first kept old lines kept their draw items
    // unchanged, and that the result is the whole layout, scroll ranges and
    // positions included.
    void LayOutTailAndCompare(int kept)
    {
        Tail->RVData->FormatTailKeepingState(&TailCanvas);
        Tail->SetVScrollPos(Tail->GetVScrollMax());
        ASSERT_EQ(Tail->RVData->DrawItems.Count(), OldLines + NewLines);
        int changed = 0;
        for (size_t i = 0; i < static_cast<size_t>(kept); ++i) {
            const TRVDrawLineInfo* dli = Tail->RVData->DrawItems[static_cast<int>(i)];
            if ((dli != Before[i].first || DrawItemFields(dli) != Before[i].second) && ++changed <= 5)
                ADD_FAILURE() << "old draw item " << i << " was replaced or moved";
        }
        EXPECT_EQ(changed, 0);
        LayOutWhole(Whole, &WholeCanvas);
        ExpectSameLayout(*Tail->RVData, *Whole->RVData);
        EXPECT_EQ(Tail->GetVScrollMax(), Whole->GetVScrollMax());
        EXPECT_EQ(Tail->GetHScrollMax(), Whole->GetHScrollMax());
        EXPECT_EQ(Tail->VRange(), Whole->VRange());
        EXPECT_EQ(Tail->HRange(), Whole->HRange());
        EXPECT_EQ(Tail->VPos(), Whole->VPos());
    }

    TForm* Form = nullptr;
    TRVStyle* Style = nullptr;
    TRollView* Tail = nullptr;
    TRollView* Whole = nullptr;
    TCountingCanvas TailCanvas{1000, 1000, 96};
    TCountingCanvas WholeCanvas{1000, 1000, 96};
    std::vector<std::pair<const TRVDrawLineInfo*, std::vector<int>>> Before;
};

TEST_F(TailCostTest, NewLinesCostTheirOwnTextAndEqualAWholeLayout)
{
    int64_t newChars = 0;
    for (int i = 0; i < NewLines; ++i) {
        Tail->AddTextNL(NewLine(i), 0, 0, 0);
        Whole->AddTextNL(NewLine(i), 0, 0, 0);
        newChars += static_cast<int64_t>(NewLine(i).size());
    }
    LayOutTailAndCompare(OldLines);
    // Each new line is measured once: the minimum width's measurement serves
    // its place too; the last old paragraph (one piece) at most once more.
    const int64_t texts = TailCanvas.TextsMeasured();
    EXPECT_LE(texts, NewLines + 1);
    EXPECT_GE(texts, NewLines) << "every new line is measured";
    EXPECT_LE(TailCanvas.CharsMeasured, newChars + static_cast<int64_t>(OldLine(OldLines - 1).size()));
    std::printf("tail of %d lines after %d: %lld texts, %lld characters measured\n", NewLines, OldLines,
                static_cast<long long>(texts), static_cast<long long>(TailCanvas.CharsMeasured));
    EXPECT_EQ(Tail->RVData->TextWidth, 80 * CharWidth) << "the 80-character line widened the document";
}

// A style hook may lay text out in another font than the minimum width
// measures it in: then the layout measures each line itself, and every line
// gets the width of the font it is drawn in.
TEST_F(TailCostTest, AStyleHookFontIsMeasuredByTheLayoutItself)
{
    constexpr int boldWidth = 9;
    for (TCountingCanvas* canvas : {&TailCanvas, &WholeCanvas})
        canvas->MetricsForFont = [](const TFont& font) {
            TRecordingMetrics metrics;
            if (font.Style().Contains(fsBold))
                metrics.CharWidth = boldWidth;
            return metrics;
        };
    Style->OnApplyStyle = [](TRVStyle* sender, TCanvas* canvas, int styleNo, bool& doDefault) {
        sender->TextStyles()->Items(styleNo)->Apply(canvas, rvbdUnspecified);
        canvas->Font()->SetStyle(TFontStyles{fsBold});
        doDefault = false;
    };
    for (int i = 0; i < NewLines; ++i)
        Tail->AddTextNL(NewLine(i), 0, 0, 0);
    Tail->RVData->FormatTailKeepingState(&TailCanvas);
    ASSERT_EQ(Tail->RVData->DrawItems.Count(), OldLines + NewLines);
    for (int i = 0; i < NewLines; ++i) {
        const TRVDrawLineInfo* dli = Tail->RVData->DrawItems[OldLines + i];
        ASSERT_EQ(dli->Width, static_cast<int>(NewLine(i).size()) * boldWidth) << "new line " << i;
    }
}

// A chunk that begins with the rest of the last line (the window adds it to
// the last paragraph): that paragraph is laid out again, nothing before it.
TEST_F(TailCostTest, AChunkContinuingTheLastLineReopensOnlyTheLastParagraph)
{
    for (TRollView* view : {Tail, Whole}) {
        view->AddTextNL(" and the rest of the line", 0, -1, 0);
        for (int i = 1; i < NewLines; ++i)
            view->AddTextNL(NewLine(i), 0, 0, 0);
    }
    LayOutTailAndCompare(OldLines - 1);
    // The reopened paragraph now has two pieces, measured for the minimum
    // width and for their places; 999 new lines, each measured once.
    EXPECT_LE(TailCanvas.TextsMeasured(), (NewLines - 1) + 2 * 2);
    // The continuation sits on the old last line, after its text.
    const TRVDrawLineInfo* start = Tail->RVData->DrawItems[OldLines - 1];
    const TRVDrawLineInfo* rest = Tail->RVData->DrawItems[OldLines];
    EXPECT_FALSE(rest->FromNewLine);
    EXPECT_EQ(rest->Top, start->Top);
    EXPECT_EQ(rest->Left, start->Left + start->Width);
}

} // namespace
