// Partial re-layout: after inserting or deleting items the touched lines laid
// out again give exactly what a full layout gives, the lines below move and
// are renumbered, the height follows.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "document/rvstyle.h"
#include "tests/support/testrvfdata.h"

namespace {

// A text item put into the store at index, as an edit would.
void InsertText(TTestRVFData& d, int index, const AnsiString& text, int styleNo, int paraNo, bool sameAsPrev)
{
    auto* item = new TRVTextItemInfo(&d);
    item->StyleNo = styleNo;
    item->ParaNo = paraNo;
    item->SetSameAsPrev(sameAsPrev);
    d.Items->InsertObject(index, text, item);
}

int LastDrawItemOf(const TTestRVFData& d, int itemNo)
{
    int last = -1;
    for (int i = 0; i < d.DrawItems.Count(); ++i)
        if (d.DrawItems[i]->ItemNo == itemNo)
            last = i;
    return last;
}

class PartialLayout : public ::testing::Test {
protected:
    PartialLayout()
    {
        TParaInfo* spaced = Style.ParaStyles()->Add(); // 2
        spaced->SetSpaceBefore(4);
        spaced->SetSpaceAfter(6);
        spaced->SetLineSpacing(150);
        TParaInfo* justified = Style.ParaStyles()->Add(); // 3
        justified->SetAlignment(rvaJustify);
        justified->SetFirstIndent(14);
        TParaInfo* ruled = Style.ParaStyles()->Add(); // 4: space above a rule too
        ruled->SetSpaceBefore(3);
        Style.ParaStyles()->Items(0)->SetSpaceBefore(2);
        Style.TextStyles()->Add()->SetSize(20); // 6: large
        UseLargeFontMetrics(A.Canvas);
        UseLargeFontMetrics(B.Canvas);
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

// An edit on both documents, a partial layout of the first: the same as the
// second laid out whole, the reported height included.
struct TPartialCase {
    const char* Name;
    std::function<void(TTestRVFData& partial, TTestRVFData& full)> Run;
};

class PartialEqualsFull : public PartialLayout, public ::testing::WithParamInterface<TPartialCase> {};

TEST_P(PartialEqualsFull, AsAFullLayout)
{
    GetParam().Run(A, B);
    B.FormatAll();
    ExpectSameLayout(A, B);
    EXPECT_FALSE(A.State.Contains(rvstFormatParas));
    EXPECT_EQ(A.AreaSizes.back().Height, A.DocumentHeight);
}

// Deletes whole paragraphs from first to last in both, the first with its
// partial layout.
void DeleteParas(TTestRVFData& partial, TTestRVFData& full, int first, int last)
{
    partial.DeleteParas(first, last);
    int from, to;
    full.ExpandToPara(first, last, from, to);
    full.DeleteItems(from, to - from + 1);
}

const TPartialCase PartialCases[] = {
    {"AParagraphAndAHyperlinkInTheMiddle",
     [](TTestRVFData& a, TTestRVFData& b) {
         // After item 4, "the hyperlink ..." of paragraph 2.
         const int startDI = a.GetItem(4)->DrawItemNo;
         const int endDI = LastDrawItemOf(a, 4);
         for (TTestRVFData* d : {&a, &b}) {
             InsertText(*d, 5, "a new paragraph in the middle that wraps once or twice here", 0, 2, false);
             InsertText(*d, 6, "and its link", 5, 2, true);
         }
         a.FormatParas(startDI, endDI, 2);
     }},
    {"AnItemAtTheStart",
     [](TTestRVFData& a, TTestRVFData& b) {
         for (TTestRVFData* d : {&a, &b}) {
             InsertText(*d, 0, "first ", 6, 0, false);
             d->GetItem(1)->SetSameAsPrev(true);
         }
         a.FormatParas(0, 0, 1);
     }},
    {"AParagraphAtTheEnd",
     [](TTestRVFData& a, TTestRVFData& b) {
         const int last = a.GetItemCount() - 1;
         const int startDI = a.GetItem(last)->DrawItemNo;
         for (TTestRVFData* d : {&a, &b})
             InsertText(*d, last + 1, "a last paragraph", 0, 2, false);
         a.FormatParas(startDI, a.DrawItems.Count() - 1, 1);
     }},
    // One item inserted, three claimed: the items below would be renumbered
    // past the end of the store.
    {"ACountOfInsertedItemsThatDoesNotFit",
     [](TTestRVFData& a, TTestRVFData& b) {
         for (TTestRVFData* d : {&a, &b})
             InsertText(*d, 1, "new", 0, 0, false);
         a.FormatParas(0, 0, 3);
     }},
    // The last item takes the large style: no draw item is added or moved,
    // only the last line is taller.
    {"ALastLineThatGrowsInPlace",
     [](TTestRVFData& a, TTestRVFData& b) {
         const int last = a.GetItemCount();
         for (TTestRVFData* d : {&a, &b}) {
             d->AddNL("x", 0, 0);
             d->FormatAll();
         }
         const int drawItemNo = a.DrawItems.Count() - 1;
         for (TTestRVFData* d : {&a, &b})
             d->GetItem(last)->StyleNo = 6;
         a.FormatParasExact(drawItemNo, drawItemNo, 0, false);
     }},
    // Items 3..6, widened to whole paragraphs.
    {"ParagraphsDeletedInTheMiddle", [](TTestRVFData& a, TTestRVFData& b) { DeleteParas(a, b, 3, 5); }},
    {"TheLastParagraphsDeleted",
     [](TTestRVFData& a, TTestRVFData& b) {
         const int count = a.GetItemCount();
         DeleteParas(a, b, count - 4, count - 1);
     }},
};

INSTANTIATE_TEST_SUITE_P(Edits, PartialEqualsFull, ::testing::ValuesIn(PartialCases),
                         [](const ::testing::TestParamInfo<TPartialCase>& info) { return info.param.Name; });

TEST_F(PartialLayout, AnEditThatAddsALineMovesAndRenumbersEverythingBelow)
{
    const int touched = 0; // the first paragraph, three lines
    const int endDI = LastDrawItemOf(A, touched);
    const int below = A.DrawItems.Count() - endDI - 1;
    std::vector<int> topsBelow;
    for (int i = endDI + 1; i < A.DrawItems.Count(); ++i)
        topsBelow.push_back(A.DI(i)->Top);
    const int oldHeight = A.DocumentHeight;
    Edit([](TTestRVFData& d) {
        d.SetItemText(0, d.GetItemText(0) + " and more words that need a line of their own");
        InsertText(d, 1, "and a new item", 0, 0, true);
    });
    A.FormatParas(0, endDI, 1);
    B.FormatAll();
    ExpectSameLayout(A, B);
    const int added = A.DrawItems.Count() - below;
    const int moved = A.DI(added)->Top - topsBelow[0];
    EXPECT_GT(moved, 0);
    for (int i = 0; i < below; ++i)
        ASSERT_EQ(A.DI(added + i)->Top, topsBelow[static_cast<size_t>(i)] + moved);
    EXPECT_EQ(A.DocumentHeight, oldHeight + moved);
    EXPECT_EQ(A.AreaSizes.back().Height, A.DocumentHeight);
}

TEST_F(PartialLayout, TypingThatKeepsTheLineHeightLeavesEverythingBelowUntouched)
{
    const int touched = 5; // "the hyperlink number 2 ..." wrapped
    const int startDI = A.GetItem(touched)->DrawItemNo;
    const int endDI = LastDrawItemOf(A, touched);
    std::vector<const TRVDrawLineInfo*> below;
    std::vector<int> topsBelow;
    for (int i = endDI + 1; i < A.DrawItems.Count(); ++i) {
        below.push_back(A.DI(i));
        topsBelow.push_back(A.DI(i)->Top);
    }
    const size_t reports = A.AreaSizes.size();
    Edit([](TTestRVFData& d) {
        AnsiString s = d.GetItemText(5);
        s[4] = 'X';
        d.SetItemText(5, s);
    });
    A.FormatParas(startDI, startDI, 0);
    B.FormatAll();
    ExpectSameLayout(A, B);
    // The same draw item objects below, not moved; the size is not reported again.
    for (size_t i = 0; i < below.size(); ++i) {
        ASSERT_EQ(A.DI(endDI + 1 + static_cast<int>(i)), below[i]);
        ASSERT_EQ(below[i]->Top, topsBelow[i]);
    }
    EXPECT_EQ(A.AreaSizes.size(), reports);
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
    // below the edit: kept on the same text.
    const int last = A.GetItemCount() - 1;
    A.SetSelectionBounds(last, 1, last, 3);
    const int touched = 0;
    A.FormatParas(0, LastDrawItemOf(A, touched), 0);
    int s1, o1, s2, o2;
    A.GetSelectionBounds(s1, o1, s2, o2, false);
    EXPECT_EQ(s1, last);
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
    TRVStyle style(nullptr);
    TTestRVFData partial(&style), full(&style);
    for (TTestRVFData* d : {&partial, &full}) {
        d->Canvas.MetricsForFont = [](const TFont&) {
            TRecordingMetrics m;
            m.ExternalLeading = 3;
            return m;
        };
        for (int i = 0; i < 6; ++i)
            d->AddNL("paragraph " + std::to_string(i) + " with a few words", i % 2, 0);
    }
    partial.FormatAll();
    const int startDI = partial.GetItem(3)->DrawItemNo;
    for (TTestRVFData* d : {&partial, &full})
        InsertText(*d, 4, "inserted", 0, 0, false);
    partial.FormatParas(startDI, startDI, 1);
    full.FormatAll();
    ExpectSameLayout(partial, full);
}

TEST_F(PartialLayout, LineNumbersCountFromOne)
{
    EXPECT_EQ(A.GetLineNo(0, 1), 1);
    const int lines0 = A.GetLineNo(0, A.ItemLength(0));
    EXPECT_GT(lines0, 1);
    EXPECT_EQ(A.GetLineNo(1, 1), lines0 + 1);
}

} // namespace
