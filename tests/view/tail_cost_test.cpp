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
    if (i == 4321)
        return std::string(60, 'w');
    return "old " + std::to_string(100000 + i) + std::string(static_cast<size_t>(6 + i % 10), '.');
}

// New line i: 25 to 29 characters, and one of 80 that widens the document.
std::string NewLine(int i)
{
    if (i == 517)
        return std::string(80, 'W');
    return "new line " + std::to_string(1000 + i) + std::string(static_cast<size_t>(12 + i % 5), '-');
}

// A draw item's place and what it shows.
struct TDrawItemState {
    const TRVDrawLineInfo* Object;
    std::vector<int> Fields;
};

std::vector<int> FieldsOf(const TRVDrawLineInfo* d)
{
    return {d->Left,
            d->Top,
            d->Width,
            d->Height,
            d->ItemNo,
            d->Offs,
            d->Length,
            d->SpaceBefore,
            d->ExtraSpaceBelow,
            d->FromNewLine ? 1 : 0,
            static_cast<int>(d->MarkerOffset)};
}

std::vector<TDrawItemState> Snapshot(const TRollView* View, int Count)
{
    std::vector<TDrawItemState> s;
    s.reserve(static_cast<size_t>(Count));
    for (int i = 0; i < Count; ++i) {
        const TRVDrawLineInfo* d = View->RVData->DrawItems[i];
        s.push_back({d, FieldsOf(d)});
    }
    return s;
}

// How many of the snapshot's draw items are now other objects or hold other
// values (the first few are reported).
int ChangedSince(const TRollView* View, const std::vector<TDrawItemState>& Before)
{
    int Changed = 0;
    for (size_t i = 0; i < Before.size(); ++i) {
        const TRVDrawLineInfo* d = View->RVData->DrawItems[static_cast<int>(i)];
        if ((d != Before[i].Object || FieldsOf(d) != Before[i].Fields) && ++Changed <= 5)
            ADD_FAILURE() << "old draw item " << i << " was replaced or moved";
    }
    return Changed;
}

class TailCostTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Form = new TForm(nullptr);
        Form->SetBounds(0, 0, 700, 300);
        // The log pane's style sheet: one text style, paragraph 0 unwrapped.
        Style = new TRVStyle(Form);
        TFontInfos* Texts = Style->TextStyles();
        while (Texts->Count() > 1)
            Texts->Delete(Texts->Count() - 1);
        TParaInfos* Paras = Style->ParaStyles();
        Paras->Clear();
        Paras->Add()->SetOptions(TRVParaOptions{rvpaoNoWrap});
        Tail = NewPane(0);
        Whole = NewPane(350);
        Form->Show();
    }
    void TearDown() override { Form->Free(); }

    TRollView* NewPane(int Left)
    {
        auto* View = new TRollView(Form);
        View->SetStyle(Style);
        View->SetBounds(Left, 0, 300, 200);
        View->SetParent(Form);
        return View;
    }

    // What TRollView::FormatTail does (the window's layout of a poll's text),
    // on the counting canvas instead of the view's own layout bitmap.
    static void LayOutTail(TRollView* View, TRecordingCanvas* Canvas)
    {
        View->RVData->FormatTailKeepingState(Canvas);
        View->SetVScrollPos(View->GetVScrollMax());
    }

    // What TRollView::Format does, on the given canvas.
    static void LayOutWhole(TRollView* View, TRecordingCanvas* Canvas)
    {
        View->Format_(false, true, Canvas, false, true);
        View->SetVScrollPos(View->GetVScrollMax());
    }

    static void AddOld(TRollView* View)
    {
        for (int i = 0; i < OldLines; ++i)
            View->AddTextNL(OldLine(i), 0, 0, 0);
    }

    // The tail pane against the pane laid out whole: every draw item, the
    // document's height and widths, and the scroll ranges and positions.
    void ExpectSameAsWhole()
    {
        const TRollViewRVData* a = Tail->RVData;
        const TRollViewRVData* b = Whole->RVData;
        ASSERT_EQ(a->DrawItems.Count(), b->DrawItems.Count());
        int Differing = 0;
        for (int i = 0; i < a->DrawItems.Count(); ++i)
            if (FieldsOf(a->DrawItems[i]) != FieldsOf(b->DrawItems[i]) && ++Differing <= 5)
                ADD_FAILURE() << "draw item " << i << " differs from the whole layout";
        EXPECT_EQ(Differing, 0);
        ASSERT_EQ(a->GetItemCount(), b->GetItemCount());
        int Misplaced = 0;
        for (int i = 0; i < a->GetItemCount(); ++i)
            if (a->GetItem(i)->DrawItemNo != b->GetItem(i)->DrawItemNo && ++Misplaced <= 5)
                ADD_FAILURE() << "item " << i << " points to another draw item";
        EXPECT_EQ(Misplaced, 0);
        EXPECT_EQ(a->LastFormattedItem, b->LastFormattedItem);
        EXPECT_EQ(a->DocumentHeight, b->DocumentHeight);
        EXPECT_EQ(a->TextWidth, b->TextWidth);
        EXPECT_EQ(a->DocumentWidth, b->DocumentWidth);
        EXPECT_EQ(Tail->GetVScrollMax(), Whole->GetVScrollMax());
        EXPECT_EQ(Tail->GetHScrollMax(), Whole->GetHScrollMax());
        EXPECT_EQ(Tail->VRange(), Whole->VRange());
        EXPECT_EQ(Tail->HRange(), Whole->HRange());
        EXPECT_EQ(Tail->VSmallStep(), Whole->VSmallStep());
        EXPECT_EQ(Tail->VPos(), Whole->VPos());
    }

    TForm* Form = nullptr;
    TRVStyle* Style = nullptr;
    TRollView* Tail = nullptr;
    TRollView* Whole = nullptr;
    TCountingCanvas TailCanvas{1000, 1000, 96};
    TCountingCanvas WholeCanvas{1000, 1000, 96};
};

// The instrument first: one text call is one text, metrics alone are none.
TEST(RecordingCanvasCountTest, EveryTextCallCountsOneTextAndMetricsAloneNone)
{
    TRecordingCanvas C;
    TSize Size;
    ASSERT_TRUE(C.GetTextExtentPoint32A("abc", 3, Size));
    EXPECT_EQ(C.TextsMeasured(), 1);
    int Fit = 0;
    std::vector<int> Dx(5);
    ASSERT_TRUE(C.GetTextExtentExPointW(u"abcde", 5, 20, &Fit, Dx.data(), Size));
    EXPECT_EQ(C.TextsMeasured(), 2);
    TTextMetric Metrics;
    ASSERT_TRUE(C.GetTextMetrics(Metrics));
    EXPECT_EQ(C.TextWidth("wide text"), 63);
    EXPECT_EQ(C.TextsMeasured(), 3);
    // Drawing measures what it draws; TextOut measures once more to move the pen.
    ASSERT_TRUE(C.TextOutA(0, 0, "drawn", 5));
    EXPECT_EQ(C.TextsMeasured(), 4);
    C.TextOut(0, 0, "drawn");
    EXPECT_EQ(C.TextsMeasured(), 6);
    // Nothing measured: an empty text, or a drawing given its advances.
    ASSERT_TRUE(C.GetTextExtentPoint32A("", 0, Size));
    const int Advances[2] = {7, 7};
    ASSERT_TRUE(C.ExtTextOutA(0, 0, 0, nullptr, "ab", 2, Advances));
    EXPECT_EQ(C.TextsMeasured(), 6);
    C.ResetTextsMeasured();
    EXPECT_EQ(C.TextsMeasured(), 0);
    ASSERT_TRUE(C.GetTextMetrics(Metrics));
    EXPECT_EQ(C.TextsMeasured(), 0);
}

TEST_F(TailCostTest, NewLinesCostTheirOwnTextAndEqualAWholeLayout)
{
    AddOld(Tail);
    AddOld(Whole);
    LayOutWhole(Tail, &TailCanvas);
    ASSERT_EQ(Tail->RVData->DrawItems.Count(), OldLines);
    EXPECT_EQ(Tail->RVData->TextWidth, 60 * CharWidth);
    const std::vector<TDrawItemState> Before = Snapshot(Tail, OldLines);

    TailCanvas.ResetTextsMeasured();
    TailCanvas.CharsMeasured = 0;
    int64_t NewChars = 0;
    for (int i = 0; i < NewLines; ++i) {
        Tail->AddTextNL(NewLine(i), 0, 0, 0);
        Whole->AddTextNL(NewLine(i), 0, 0, 0);
        NewChars += static_cast<int64_t>(NewLine(i).size());
    }
    LayOutTail(Tail, &TailCanvas);

    // Each new line is measured for its place and for the minimum width; the
    // last old paragraph (one piece) once more, where the width search resumes.
    const int LastParaPieces = 1;
    const int64_t Texts = TailCanvas.TextsMeasured();
    const int64_t Chars = TailCanvas.CharsMeasured;
    EXPECT_LE(Texts, 2 * (NewLines + LastParaPieces));
    EXPECT_GE(Texts, NewLines) << "every new line is measured";
    EXPECT_LE(Chars, 2 * (NewChars + static_cast<int64_t>(OldLine(OldLines - 1).size())));
    RecordProperty("TextsMeasured", std::to_string(Texts));
    RecordProperty("CharsMeasured", std::to_string(Chars));
    std::printf("tail of %d lines after %d: %lld texts, %lld characters measured\n", NewLines, OldLines,
                static_cast<long long>(Texts), static_cast<long long>(Chars));

    // The old lines keep their draw items, unchanged; one new draw item per new line.
    ASSERT_EQ(Tail->RVData->DrawItems.Count(), OldLines + NewLines);
    EXPECT_EQ(ChangedSince(Tail, Before), 0);
    for (int i = 0; i < NewLines; ++i)
        EXPECT_EQ(Tail->RVData->DrawItems[OldLines + i]->ItemNo, OldLines + i);
    // The 80-character line widened the document.
    EXPECT_EQ(Tail->RVData->TextWidth, 80 * CharWidth);

    LayOutWhole(Whole, &WholeCanvas);
    ExpectSameAsWhole();
}

// A chunk that begins with the rest of the last line (the window adds it to
// the last paragraph): that paragraph is laid out again, nothing before it.
TEST_F(TailCostTest, AChunkContinuingTheLastLineReopensOnlyTheLastParagraph)
{
    AddOld(Tail);
    AddOld(Whole);
    LayOutWhole(Tail, &TailCanvas);
    const std::vector<TDrawItemState> Before = Snapshot(Tail, OldLines - 1);

    TailCanvas.ResetTextsMeasured();
    for (TRollView* View : {Tail, Whole}) {
        View->AddTextNL(" and the rest of the line", 0, -1, 0);
        for (int i = 1; i < NewLines; ++i)
            View->AddTextNL(NewLine(i), 0, 0, 0);
    }
    LayOutTail(Tail, &TailCanvas);

    // The reopened paragraph now has two pieces; 999 new lines.
    const int LastParaPieces = 2;
    const int64_t Texts = TailCanvas.TextsMeasured();
    EXPECT_LE(Texts, 2 * ((NewLines - 1) + LastParaPieces));
    std::printf("tail reopening the last line: %lld texts measured\n", static_cast<long long>(Texts));

    ASSERT_EQ(Tail->RVData->DrawItems.Count(), OldLines + NewLines);
    EXPECT_EQ(ChangedSince(Tail, Before), 0);
    // The continuation sits on the old last line, after its text.
    const TRVDrawLineInfo* Start = Tail->RVData->DrawItems[OldLines - 1];
    const TRVDrawLineInfo* Rest = Tail->RVData->DrawItems[OldLines];
    EXPECT_FALSE(Rest->FromNewLine);
    EXPECT_EQ(Rest->Top, Start->Top);
    EXPECT_EQ(Rest->Left, Start->Left + Start->Width);

    LayOutWhole(Whole, &WholeCanvas);
    ExpectSameAsWhole();
}

} // namespace
