// The viewer's layouts for a new size, on the recording canvas's fixed metrics
// (7 px a character, ascent 10, descent 3): a document that needs the vertical
// bar only without it settles with it, and a resize keeps the text at the top
// of the view there.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>

#include "document/rvstyle.h"
#include "platform/controls/forms.h"
#include "platform/controls/winapi.h"
#include "platform/graphics/recordingcanvas.h"
#include "tests/view/crvfdata_test_helpers.h"
#include "view/rollview.h"

namespace {

class TFixedMetricsView : public TRollView {
public:
    explicit TFixedMetricsView(TComponent* owner) : TRollView(owner) { SetBorderStyle(bsNone); }
    TCanvas* GetFormattingCanvas() override { return &Measure; }
    TRecordingCanvas Measure{1000, 1000, 96};
};

class RollViewResizeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Form = new TForm(nullptr);
        Form->SetBounds(0, 0, 800, 600);
        Style = new TRVStyle(Form);
        View = NewView();
        // Another viewer without bars: its layouts are the fresh ones.
        Fresh = NewView();
        Fresh->SetVScrollVisible(false);
        Fresh->SetHScrollVisible(false);
        Form->Show();
    }
    void TearDown() override { Form->Free(); }
    TFixedMetricsView* NewView()
    {
        auto* view = new TFixedMetricsView(Form);
        view->SetStyle(Style);
        view->SetParent(Form);
        return view;
    }
    // Builds the same document in both viewers.
    void Build(const std::function<void(TRollView*)>& add)
    {
        add(View);
        add(Fresh);
    }
    // The draw items (place, size, item, offset) and the document's height.
    static std::string Layout(TRollView* view)
    {
        std::string s = "height " + std::to_string(view->RVData->DocumentHeight) + "\n";
        for (int i = 0; i < view->RVData->DrawItems.Count(); ++i) {
            const TRVDrawLineInfo* dli = view->RVData->DrawItems[i];
            s += std::to_string(dli->Left) + "," + std::to_string(dli->Top) + " " +
                 std::to_string(dli->Width) + "x" + std::to_string(dli->Height) + " item " +
                 std::to_string(dli->ItemNo) + ":" + std::to_string(dli->Offs) + "\n";
        }
        return s;
    }
    // The document laid out afresh for a client area Width wide.
    std::string FreshLayout(int width)
    {
        Fresh->SetBounds(0, 0, width, 300);
        Fresh->Format();
        return Layout(Fresh);
    }

    TForm* Form = nullptr;
    TRVStyle* Style = nullptr;
    TFixedMetricsView* View = nullptr;
    TFixedMetricsView* Fresh = nullptr;
};

} // namespace

// A centred line of a 200 x 97 box and "ab cd": 230 pixels wide, "ab"
// stands beside the box and "cd" below it; narrowed by the vertical bar,
// both words go below, and the document comes out shorter. With a window
// whose height lies between, the document needs the bar only while the bar
// is hidden (the heights counted in scroll units). Whichever state the view comes from, and however it is
// laid out (the resize, Format, Format again), it settles with the bar, laid out as a fresh layout at the
// narrower width lays it out.
TEST_F(RollViewResizeTest, ADocumentThatNeedsTheBarOnlyWithoutItSettlesWithIt)
{
    Style->ParaStyles()->Add()->SetAlignment(rvaCenter);
    Build([](TRollView* view) {
        auto* box = new TTestBoxItem(view->RVData, 200, 97);
        box->ParaNo = 1;
        view->AddItem("", box);
        view->AddNL("ab cd", 0, -1);
    });
    const int bar = GetSystemMetrics(SM_CXVSCROLL);
    const int wide = 230;
    // The heights in whole scroll units, as the bar counts them.
    const int step = View->VSmallStep();
    const std::string narrowLayout = FreshLayout(wide - bar);
    const int narrowUnits = (Fresh->RVData->DocumentHeight + step - 1) / step;
    FreshLayout(wide);
    const int wideUnits = (Fresh->RVData->DocumentHeight + step - 1) / step;
    ASSERT_LT(narrowUnits, wideUnits) << "narrower is shorter";
    const int height = narrowUnits * step;

    struct TCase {
        const char* Name;
        int StartHeight; // the bar hidden (tall) or shown (short) before
    };
    for (const TCase& c : {TCase{"from a tall window", 1000}, TCase{"from a short window", 40}}) {
        SCOPED_TRACE(c.Name);
        View->SetBounds(0, 0, wide, c.StartHeight);
        View->Format();
        View->SetBounds(0, 0, wide, height);
        EXPECT_EQ(View->ClientWidth(), wide - bar) << "resized";
        EXPECT_EQ(Layout(View), narrowLayout) << "resized";
        for (int i = 0; i < 2; ++i) {
            View->Format();
            EXPECT_EQ(View->ClientWidth(), wide - bar) << "laid out " << i + 1;
            EXPECT_EQ(Layout(View), narrowLayout) << "laid out " << i + 1;
        }
    }
    // Tall enough for the wider layout, the bar goes.
    View->SetBounds(0, 0, wide, wideUnits * step);
    EXPECT_EQ(View->ClientWidth(), wide);
    EXPECT_EQ(Layout(View), FreshLayout(wide));
}

// A resize keeps the text at the top of the view there, in the line that
// holds it now, as far into that line as before: also when the item has
// fewer lines than the view was into it.
TEST_F(RollViewResizeTest, AResizeKeepsTheTextAtTheTopOfTheViewThere)
{
    // 54 characters: four lines 126 pixels wide, one line 576 wide.
    const std::string words = "qqqq wwww eeee rrrr tttt yyyy uuuu iiii oooo pppp aaaa";
    Build([&](TRollView* view) {
        for (int i = 0; i < 60; ++i)
            view->AddNL(std::to_string(100 + i) + " " + words, 0, 0);
    });
    TRollViewRVData* data = View->RVData;
    struct TCase {
        const char* Name;
        int Line;   // of item 40 at the top, counted from 0
        int Pixels; // into it
        int Width;  // after
    };
    for (const TCase& c :
         {TCase{"wider, third line", 2, 0, 600}, TCase{"wider, fourth line, 6 px in", 3, 6, 600},
          TCase{"narrower, second line", 1, 0, 120}}) {
        SCOPED_TRACE(c.Name);
        View->SetBounds(0, 0, 150, 210);
        View->Format();
        const int first = data->FindDrawItemByItem(40);
        ASSERT_GE(first, 0);
        ASSERT_TRUE(data->DrawItems[first + 3]->ItemNo == 40 && data->DrawItems[first + 4]->ItemNo == 41)
            << "four lines";
        const TRVDrawLineInfo* line = data->DrawItems[first + c.Line];
        const int offs = line->Offs;
        View->SetVPos((line->Top + c.Pixels + View->VSmallStep() - 1) / View->VSmallStep(), true);
        const int before = data->GetVOffs() - line->Top;
        ASSERT_LT(before, line->Height);

        View->SetBounds(0, 0, c.Width, 210);
        // The line at the top: the first draw item reaching below the view's top.
        const int y = data->GetVOffs();
        int top = 0;
        while (data->DrawItems[top]->Top + data->DrawItems[top]->Height <= y)
            ++top;
        const TRVDrawLineInfo* now = data->DrawItems[top];
        EXPECT_EQ(now->ItemNo, 40);
        EXPECT_LE(now->Offs, offs) << "the line holds the text that was at the top";
        EXPECT_TRUE(top + 1 == data->DrawItems.Count() || data->DrawItems[top + 1]->ItemNo != 40 ||
                    data->DrawItems[top + 1]->Offs > offs)
            << "the line holds the text that was at the top";
        EXPECT_LT(std::abs(y - now->Top - before), View->VSmallStep()) << "as far into it as before";
    }
}

// A line whose text sits below the top of a taller picture beside it (40 x 60,
// on the baseline): a resize keeps the view as far into the line as it was,
// counted from the line's top (the picture's), not from the text's.
TEST_F(RollViewResizeTest, AResizeKeepsTheOffsetFromTheTopOfALineWithATallItem)
{
    Build([](TRollView* view) {
        view->AddNL("alpha beta", 0, 0);
        auto* box = new TTestBoxItem(view->RVData, 40, 60);
        box->ParaNo = -1;
        view->AddItem("", box);
        for (int i = 0; i < 40; ++i)
            view->AddNL("filler " + std::to_string(i), 0, 0);
    });
    TRollViewRVData* data = View->RVData;
    struct TCase {
        int Units; // the view's position, in scroll units
        int Width; // after
    };
    for (const TCase& c : {TCase{1, 299}, TCase{1, 200}, TCase{3, 299}, TCase{5, 150}}) {
        SCOPED_TRACE(testing::Message() << c.Units << " units, " << c.Width << " wide");
        View->SetBounds(0, 0, 300, 210);
        View->Format();
        ASSERT_EQ(data->DrawItems[1]->ItemNo, 1);
        const int lineTop = data->DrawItems[1]->Top;
        ASSERT_GT(data->DrawItems[0]->Top, lineTop) << "the text sits lower";
        View->SetVPos(c.Units, true);
        const int before = data->GetVOffs();
        ASSERT_GT(before, lineTop);
        ASSERT_LT(before, data->DrawItems[0]->Top) << "inside the line, above the text";

        View->SetBounds(0, 0, c.Width, 210);
        ASSERT_EQ(data->DrawItems[1]->Top, lineTop) << "the line stays where it was";
        EXPECT_EQ(data->GetVOffs(), before);
    }
}

// Unwrapped lines wider than the window: a new size changes no text's width,
// so a resize measures none of them again and lays them out as a fresh layout
// at the new size does; a line that changed since is measured again, and so is
// every line once a style changed (without a layout in between).
TEST_F(RollViewResizeTest, AResizeMeasuresNoTextThatDidNotChange)
{
    Style->ParaStyles()->Add()->SetOptions(TRVParaOptions{rvpaoNoWrap});
    const int unwrapped = Style->ParaStyles()->Count() - 1;
    const std::string words = "qqqq wwww eeee rrrr tttt yyyy uuuu iiii oooo pppp aaaa ";
    Build([&](TRollView* view) {
        for (int i = 0; i < 30; ++i)
            view->AddNL(std::to_string(i) + " " + words + (i == 12 ? words + words : ""), 0, unwrapped);
    });
    View->SetBounds(0, 0, 300, 200);
    View->Format();
    enum { Nothing, ALine, AStyle };
    for (const auto& [width, height, changed] : {std::tuple{500, 200, Nothing},
                                                 {250, 120, Nothing},
                                                 {320, 400, Nothing},
                                                 {280, 200, ALine},
                                                 {300, 200, AStyle}}) {
        SCOPED_TRACE(testing::Message() << width << " x " << height);
        if (changed == ALine) // a line that became the widest by far
            Build([&](TRollView* view) { view->SetItemText(3, words + words + words + words); });
        if (changed == AStyle) // every unwrapped line wider by its indent
            Style->ParaStyles()->Items(unwrapped)->SetLeftIndent(400);
        View->Measure.ResetTextsMeasured();
        View->SetBounds(0, 0, width, height);
        EXPECT_EQ(View->Measure.TextsMeasured() > 0, changed != Nothing);
        Fresh->SetBounds(0, 0, View->Width(), View->Height());
        Fresh->Format();
        EXPECT_EQ(Layout(View), Layout(Fresh));
        EXPECT_EQ(View->RVData->TextWidth, Fresh->RVData->TextWidth);
    }
}
