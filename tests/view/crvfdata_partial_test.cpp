// Partial re-layout: after inserting or deleting items the touched lines laid
// out again give exactly what a full layout gives, the lines below move and
// are renumbered, the height follows; hyperlink numbering; paragraph bounds.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "document/rvstyle.h"
#include "tests/support/testrvfdata.h"

namespace {

std::vector<std::vector<int>> DrawItemsOf(const TTestRVFData& d)
{
    std::vector<std::vector<int>> r;
    for (int i = 0; i < d.DrawItems.Count(); ++i) {
        const TRVDrawLineInfo* dli = d.DrawItems[i];
        r.push_back({dli->Left, dli->Top, dli->Width, dli->Height, dli->ItemNo, dli->Offs, dli->Length,
                     dli->SpaceBefore, dli->ExtraSpaceBelow, dli->FromNewLine ? 1 : 0});
    }
    return r;
}

std::vector<std::vector<int>> JumpsOf(const TTestRVFData& d)
{
    std::vector<std::vector<int>> r;
    for (int i = 0; i < d.Jumps.Count(); ++i) {
        const auto* j = static_cast<const TRVJumpInfo*>(d.Jumps.Get(i));
        r.push_back({j->Left, j->Top, j->Width, j->Height, j->Id, j->DrawItemNo, j->Cursor});
    }
    return r;
}

std::vector<std::vector<int>> ItemsOf(const TTestRVFData& d)
{
    std::vector<std::vector<int>> r;
    for (int i = 0; i < d.GetItemCount(); ++i)
        r.push_back({d.GetItem(i)->DrawItemNo, d.GetItem(i)->JumpID});
    return r;
}

void ExpectSameLayout(const TTestRVFData& Partial, const TTestRVFData& Full)
{
    const auto a = DrawItemsOf(Partial);
    const auto b = DrawItemsOf(Full);
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i)
        EXPECT_EQ(a[i], b[i]) << "draw item " << i;
    EXPECT_EQ(JumpsOf(Partial), JumpsOf(Full));
    EXPECT_EQ(ItemsOf(Partial), ItemsOf(Full));
    EXPECT_EQ(Partial.DocumentHeight, Full.DocumentHeight);
    EXPECT_EQ(Partial.JumpCount, Full.JumpCount);
    EXPECT_EQ(Partial.LastFormattedItem, Full.LastFormattedItem);
}

// A text item put into the store at Index, as an edit would.
void InsertText(TTestRVFData& d, int Index, const AnsiString& Text, int StyleNo, int ParaNo, bool SameAsPrev)
{
    auto* Item = new TRVTextItemInfo(&d);
    Item->StyleNo = StyleNo;
    Item->ParaNo = ParaNo;
    Item->SetSameAsPrev(SameAsPrev);
    d.Items->InsertObject(Index, Text, Item);
}

int LastDrawItemOf(const TTestRVFData& d, int ItemNo)
{
    int Last = -1;
    for (int i = 0; i < d.DrawItems.Count(); ++i)
        if (d.DrawItems[i]->ItemNo == ItemNo)
            Last = i;
    return Last;
}

class PartialLayout : public ::testing::Test {
protected:
    PartialLayout()
    {
        TParaInfo* Spaced = Style.ParaStyles()->Add(); // 2
        Spaced->SetSpaceBefore(4);
        Spaced->SetSpaceAfter(6);
        Spaced->SetLineSpacing(150);
        TParaInfo* Justified = Style.ParaStyles()->Add(); // 3
        Justified->SetAlignment(rvaJustify);
        Justified->SetFirstIndent(14);
        TParaInfo* Ruled = Style.ParaStyles()->Add(); // 4: space above a rule too
        Ruled->SetSpaceBefore(3);
        Style.ParaStyles()->Items(0)->SetSpaceBefore(2);
        Style.TextStyles()->Add()->SetSize(20); // 6: large
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
        for (TTestRVFData* d : {&A, &B}) {
            d->TopMargin = 5;
            d->BottomMargin = 7;
            for (int i = 0; i < 14; ++i)
                AddPara(*d, i);
        }
        A.FormatAll();
    }

    static void AddPara(TTestRVFData& d, int i)
    {
        const std::string n = std::to_string(i);
        switch (i % 6) {
        case 0:
            d.AddNL("line " + n + " of some text that is long enough to wrap over a few lines here", 0, 0);
            break;
        case 1:
            d.AddNL("spaced " + n + " paragraph with words", 0, 2);
            d.AddNL(" and a big tail", 6, -1);
            break;
        case 2:
            d.AddNL("see ", 0, 0);
            d.AddNL("the hyperlink number " + n + " that wraps over the end of its line", 4, -1);
            break;
        case 3:
            d.AddBreakEx(1, rvbsLine, clNone);
            d.GetItem(d.GetItemCount() - 1)->ParaNo = 4;
            break;
        case 4:
            d.AddNL("justified " + n + " text of a paragraph that fills several lines of it", 0, 3);
            break;
        default:
            d.AddNL("short " + n, 5, 0);
            break;
        }
    }

    // The same edit on both documents.
    template <class F> void Edit(F f)
    {
        f(A);
        f(B);
    }

    TRVStyle Style{nullptr};
    TTestRVFData A{&Style};
    TTestRVFData B{&Style};
};

TEST_F(PartialLayout, InsertingAParagraphGivesWhatAFullLayoutGives)
{
    // A paragraph and a hyperlink continuing it, after item 4 (the spaced
    // paragraph's big tail is item 2; item 4 is "the hyperlink ..." of para 2).
    const int Touched = 4;
    const int StartDI = A.GetItem(Touched)->DrawItemNo;
    const int EndDI = LastDrawItemOf(A, Touched);
    Edit([](TTestRVFData& d) {
        InsertText(d, 5, "a new paragraph in the middle that wraps once or twice here", 0, 2, false);
        InsertText(d, 6, "and its link", 5, 2, true);
    });
    A.FormatParas(StartDI, EndDI, 2);
    B.FormatAll();
    ExpectSameLayout(A, B);
    EXPECT_FALSE(A.State.Contains(rvstFormatParas));
}

TEST_F(PartialLayout, ALastLineThatGrowsInPlaceMovesTheDocumentsEnd)
{
    // The last item takes the large style: no draw item is added or moved,
    // only the last line is taller.
    const int Last = A.GetItemCount() - 1;
    Edit([&](TTestRVFData& d) {
        d.AddNL("x", 0, 0);
        d.FormatAll();
    });
    const int DI = A.DrawItems.Count() - 1;
    Edit([&](TTestRVFData& d) { d.GetItem(Last + 1)->StyleNo = 6; });
    A.FormatParasExact(DI, DI, 0, false);
    B.FormatAll();
    ExpectSameLayout(A, B);
}

TEST_F(PartialLayout, InsertingAtTheStartAndAtTheEnd)
{
    Edit([](TTestRVFData& d) { InsertText(d, 0, "first ", 6, 0, false); });
    Edit([](TTestRVFData& d) { d.GetItem(1)->SetSameAsPrev(true); });
    A.FormatParas(0, 0, 1);
    B.FormatAll();
    ExpectSameLayout(A, B);

    const int Last = A.GetItemCount() - 1;
    const int StartDI = A.GetItem(Last)->DrawItemNo;
    Edit([Last](TTestRVFData& d) { InsertText(d, Last + 1, "a last paragraph", 0, 2, false); });
    A.FormatParas(StartDI, A.DrawItems.Count() - 1, 1);
    B.FormatAll();
    ExpectSameLayout(A, B);
    EXPECT_EQ(A.AreaSizes.back().Height, A.DocumentHeight);
}

TEST_F(PartialLayout, AnEditThatAddsALineMovesAndRenumbersEverythingBelow)
{
    const int Touched = 0; // the first paragraph, three lines
    const int EndDI = LastDrawItemOf(A, Touched);
    const int Below = A.DrawItems.Count() - EndDI - 1;
    std::vector<int> TopsBelow;
    for (int i = EndDI + 1; i < A.DrawItems.Count(); ++i)
        TopsBelow.push_back(A.DI(i)->Top);
    const int OldHeight = A.DocumentHeight;
    Edit([](TTestRVFData& d) {
        d.SetItemText(0, d.GetItemText(0) + " and more words that need a line of their own");
        InsertText(d, 1, "and a new item", 0, 0, true);
    });
    A.FormatParas(0, EndDI, 1);
    B.FormatAll();
    ExpectSameLayout(A, B);
    const int Added = A.DrawItems.Count() - Below;
    const int Moved = A.DI(Added)->Top - TopsBelow[0];
    EXPECT_GT(Moved, 0);
    for (int i = 0; i < Below; ++i)
        ASSERT_EQ(A.DI(Added + i)->Top, TopsBelow[static_cast<size_t>(i)] + Moved);
    EXPECT_EQ(A.DocumentHeight, OldHeight + Moved);
    EXPECT_EQ(A.AreaSizes.back().Height, A.DocumentHeight);
}

TEST_F(PartialLayout, TypingThatKeepsTheLineHeightLeavesEverythingBelowUntouched)
{
    const int Touched = 5; // "the hyperlink number 2 ..." wrapped
    const int StartDI = A.GetItem(Touched)->DrawItemNo;
    const int EndDI = LastDrawItemOf(A, Touched);
    std::vector<const TRVDrawLineInfo*> Below;
    std::vector<int> TopsBelow;
    for (int i = EndDI + 1; i < A.DrawItems.Count(); ++i) {
        Below.push_back(A.DI(i));
        TopsBelow.push_back(A.DI(i)->Top);
    }
    const size_t Reports = A.AreaSizes.size();
    Edit([](TTestRVFData& d) {
        AnsiString s = d.GetItemText(5);
        s[4] = 'X';
        d.SetItemText(5, s);
    });
    A.FormatParas(StartDI, StartDI, 0);
    B.FormatAll();
    ExpectSameLayout(A, B);
    // The same draw item objects below, not moved; the size is not reported again.
    for (size_t i = 0; i < Below.size(); ++i) {
        ASSERT_EQ(A.DI(EndDI + 1 + static_cast<int>(i)), Below[i]);
        ASSERT_EQ(Below[i]->Top, TopsBelow[i]);
    }
    EXPECT_EQ(A.AreaSizes.size(), Reports);
}

TEST_F(PartialLayout, DeletingParagraphsLaysOutWhatIsLeftAsAFullLayout)
{
    // Items 3..6: the second paragraph's tail through the hyperlink paragraph
    // (widened to whole paragraphs).
    A.DeleteParas(3, 5);
    int First, Last;
    B.ExpandToPara(3, 5, First, Last);
    B.DeleteItems(First, Last - First + 1);
    B.FormatAll();
    ExpectSameLayout(A, B);
}

TEST_F(PartialLayout, DeletingTheLastParagraphsEndsTheDocumentBelowTheNewLastLine)
{
    const int Count = A.GetItemCount();
    A.DeleteParas(Count - 4, Count - 1);
    int First, Last;
    B.ExpandToPara(Count - 4, Count - 1, First, Last);
    B.DeleteItems(First, Last - First + 1);
    B.FormatAll();
    ExpectSameLayout(A, B);
    EXPECT_EQ(A.AreaSizes.back().Height, B.DocumentHeight);
}

TEST_F(PartialLayout, DeletingEverythingLeavesAnEmptyLayout)
{
    A.DeleteParas(0, A.GetItemCount() - 1);
    EXPECT_EQ(A.GetItemCount(), 0);
    EXPECT_EQ(A.DrawItems.Count(), 0);
    EXPECT_EQ(A.Jumps.Count(), 0);
}

TEST_F(PartialLayout, ASelectionInTheRangeGoesAndOneBelowFollows)
{
    // Below the edit: kept on the same text.
    const int Last = A.GetItemCount() - 1;
    A.SetSelectionBounds(Last, 1, Last, 3);
    const int Touched = 0;
    A.FormatParas(0, LastDrawItemOf(A, Touched), 0);
    int s1, o1, s2, o2;
    A.GetSelectionBounds(s1, o1, s2, o2, false);
    EXPECT_EQ(s1, Last);
    EXPECT_EQ(o2, 3);
    // Inside the range: dropped.
    A.SetSelectionBounds(0, 2, 0, 5);
    A.FormatParas(0, 0, 0);
    EXPECT_EQ(A.SelStartNo, -1);
    EXPECT_EQ(A.SelEndNo, -1);
}

TEST(PartialLayoutLeading, FontsWithExternalLeadingContinueWhereAFullLayoutWould)
{
    // The text of a line stands lower than its draw items' height says by the
    // external leading: the lines after a re-laid range must not move up by it.
    TRVStyle Style(nullptr);
    TTestRVFData A(&Style), B(&Style);
    for (TTestRVFData* d : {&A, &B}) {
        d->Canvas.MetricsForFont = [](const TFont&) {
            TRecordingMetrics m;
            m.ExternalLeading = 3;
            return m;
        };
        for (int i = 0; i < 6; ++i)
            d->AddNL("paragraph " + std::to_string(i) + " with a few words", i % 2, 0);
    }
    A.FormatAll();
    const int StartDI = A.GetItem(3)->DrawItemNo;
    for (TTestRVFData* d : {&A, &B})
        InsertText(*d, 4, "inserted", 0, 0, false);
    A.FormatParas(StartDI, StartDI, 1);
    B.FormatAll();
    ExpectSameLayout(A, B);
}

TEST_F(PartialLayout, ACountOfInsertedItemsThatDoesNotFitLaysOutEverything)
{
    Edit([](TTestRVFData& d) { InsertText(d, 1, "new", 0, 0, false); });
    // One item was inserted, three are claimed: the items below would be
    // renumbered past the end of the store.
    A.FormatParas(0, 0, 3);
    B.FormatAll();
    ExpectSameLayout(A, B);
}

TEST_F(PartialLayout, ParagraphBoundsTakeOneMoreParagraphOnEachSide)
{
    // Paragraphs: 0 [item 0], 1 [items 1, 2], 2 [items 3, 4], 3 [item 5: rule], ...
    int Start, End;
    A.GetParaBounds(A.GetItem(3)->DrawItemNo, A.GetItem(3)->DrawItemNo, Start, End);
    EXPECT_EQ(Start, A.GetItem(1)->DrawItemNo);
    EXPECT_EQ(End, A.GetItem(5)->DrawItemNo);
    A.GetParaBounds(0, 0, Start, End);
    EXPECT_EQ(Start, 0);
    EXPECT_EQ(End, LastDrawItemOf(A, 2));
    const int LastDI = A.DrawItems.Count() - 1;
    A.GetParaBounds(LastDI, LastDI, Start, End);
    EXPECT_EQ(End, LastDI);
}

TEST_F(PartialLayout, AWrappedHyperlinkHasOneNumberForAllItsRectangles)
{
    // Item 4 wraps: several rectangles with id 0; item 11 (the next hyperlink) has id 1.
    std::vector<int> Ids;
    for (int i = 0; i < A.Jumps.Count(); ++i) {
        const auto* j = static_cast<const TRVJumpInfo*>(A.Jumps.Get(i));
        if (A.DI(j->DrawItemNo)->ItemNo == 4)
            Ids.push_back(j->Id);
    }
    ASSERT_GE(Ids.size(), 2u);
    for (int Id : Ids)
        EXPECT_EQ(Id, 0);
    const auto Before = JumpsOf(A);
    // Numbering again from another start gives the same rectangles shifted in number.
    int Start = 5;
    A.ClearJumps();
    A.BuildJumpsCoords(Start, nullptr);
    const auto After = JumpsOf(A);
    ASSERT_EQ(Before.size(), After.size());
    for (size_t i = 0; i < Before.size(); ++i) {
        std::vector<int> Expected = Before[i];
        Expected[4] += 5;
        EXPECT_EQ(After[i], Expected);
    }
    EXPECT_EQ(Start, 5 + A.JumpCount);
    EXPECT_EQ(A.GetItem(4)->JumpID, 5);
    // Without a style sheet nothing is built and the start stays.
    TTestRVFData NoStyle(nullptr);
    int Same = 3;
    NoStyle.BuildJumpsCoords(Same, nullptr);
    EXPECT_EQ(Same, 3);
}

TEST_F(PartialLayout, LineNumbersCountFromOne)
{
    EXPECT_EQ(A.GetLineNo(0, 1), 1);
    const int Lines0 = A.GetLineNo(0, A.ItemLength(0));
    EXPECT_GT(Lines0, 1);
    EXPECT_EQ(A.GetLineNo(1, 1), Lines0 + 1);
}

} // namespace
