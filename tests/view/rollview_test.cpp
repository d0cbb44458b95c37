// The viewer control: a style sheet that goes, the paragraph numbers of the
// add operations, no layout before the window, the vertical scroll unit,
// painting (an exception drawn as text, the message without a style sheet,
// direct and buffered painting alike, a tail layout's partial repaint),
// deferred events and their records, shortcuts, Tab navigation among
// hyperlinks and out of the document, auto-scroll, a tail layout that keeps
// the focused item, and a resize that keeps the line at the top. The layouts
// for a new size on fixed metrics are in rollview_resize_test.cpp.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "document/rvstyle.h"
#include "platform/controls/forms.h"
#include "platform/controls/syntheticinput.h"
#include "platform/controls/winapi.h"
#include "platform/core/streams.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/pixelbuffer.h"
#include "platform/graphics/recordingcanvas.h"
#include "tests/support/pumpevents.h"
#include "tests/view/crvfdata_test_helpers.h"
#include "view/rollview.h"

namespace {

// The viewer with its protected handlers reachable.
class TTestRollView : public TRollView {
public:
    explicit TTestRollView(TComponent* owner) : TRollView(owner) {}
    using TCustomRollView::MouseMove;
};

// A focusable window that is not a viewer, for the tab order.
class TBox : public TCustomControl {
public:
    explicit TBox(TComponent* owner) : TCustomControl(owner) { SetTabStop(true); }
};

// An inline item of a fixed size whose painting fails.
class TFailingItem : public TTestBoxItem {
public:
    explicit TFailingItem(TCustomRVData* rvData) : TTestBoxItem(rvData, 20, 20) {}
    void Paint(int, int, TCanvas*, TRVItemDrawStates, TRVStyle*, TRVDrawLineInfo*) override
    {
        throw ERollViewError("the picture is broken");
    }
};

class RollViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Form = new TForm(nullptr);
        Form->SetBounds(0, 0, 400, 300);
        Style = new TRVStyle(Form);
        View = new TTestRollView(Form);
        View->SetName("RollView1");
        View->SetBounds(0, 0, 300, 200);
        View->SetStyle(Style);
        View->SetParent(Form);
        Form->Show();
    }
    void TearDown() override { Form->Free(); }

    // Lines "line 0" ... in paragraphs of their own.
    void AddLines(int count, int from = 0)
    {
        for (int i = from; i < from + count; ++i)
            View->AddNL("line " + std::to_string(i), 0, 0);
    }
    TBox* AddBox(int left)
    {
        auto* box = new TBox(Form);
        box->SetBounds(left, 210, 50, 20);
        box->SetParent(Form);
        return box;
    }
    std::vector<std::string> Texts(const TRecordingCanvas& canvas)
    {
        std::vector<std::string> texts;
        for (const TCanvasRecord* t : canvas.RecordsOf(TCanvasOp::Text))
            texts.push_back(t->TextUtf8());
        return texts;
    }

    TForm* Form = nullptr;
    TRVStyle* Style = nullptr;
    TTestRollView* View = nullptr;
};

// ---------------------------------------------------------------------------
// The root data

TEST(RollViewDataTest, AStyleSheetThatGoesIsForgotten)
{
    TRollView view(nullptr);
    auto* style = new TRVStyle(nullptr);
    view.SetStyle(style);
    delete style;
    EXPECT_EQ(view.Style(), nullptr);
    EXPECT_EQ(view.RVData->GetRVStyle(), nullptr);
}

// ---------------------------------------------------------------------------
// Adding items

TEST_F(RollViewTest, TheAddOperationsUseTheirParagraphNumbers)
{
    View->AddFromNewLine("first", 0);     // 0: a paragraph of style 0
    View->Add("more", 1);                 // 1: continues the line
    View->AddTag("tagged", 0, TRVTag(5)); // 2: continues
    View->AddCenterLine("centred", 2);    // 3: paragraph style 1
    View->AddText("a\r\nb", 0);           // 4: continues, 5: a new paragraph of style 0
    View->AddTextFromNewLine("c\nd", 0);  // 6, 7: paragraphs of style 0
    View->AddTextNL("e\rf", 0, 1, 0);     // 8: style 1, 9: style 0
    View->AddTextBlockNL("g\nh", 0, 1);   // 10: a paragraph of style 1, 11: a line break in it
    auto* picture = new TBitmap();
    picture->SetSize(4, 4);
    View->AddPicture(picture);                  // 12: paragraph style 1
    View->AddControl(new TBox(nullptr), true);  // 13: centred: style 1
    View->AddControl(new TBox(nullptr), false); // 14: style 0
    View->AddBullet(0, nullptr, true);          // 15: a new paragraph
    View->AddHotspot(1, nullptr, false);        // 16: continues the line
    View->AddBreak();                           // 17

    ASSERT_EQ(View->GetLineCount(), 18);
    const int paras[] = {0, 0, 0, 1, 1, 0, 0, 0, 1, 0, 1, 1, 1, 1, 0, 0, 0, 0};
    const bool fromNewLine[] = {true, false, false, true, false, true, true, true,  true,
                                true, true,  true,  true, true,  true, true, false, true};
    for (int i = 0; i < 18; ++i) {
        EXPECT_EQ(View->GetItemPara(i), paras[i]) << "item " << i;
        EXPECT_EQ(View->IsFromNewLine(i), fromNewLine[i]) << "item " << i;
    }
    EXPECT_FALSE(View->IsParaStart(11)); // a line break inside the block
    // The document's controls belong to the viewer.
    AnsiString name;
    TControl* control = nullptr;
    TRVVAlign vAlign;
    TRVTag tag;
    View->GetControlInfo(13, name, control, vAlign, tag);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->Parent(), View);
}

// ---------------------------------------------------------------------------
// Layout and scroll units

TEST(RollViewLayoutTest, NothingIsLaidOutBeforeTheWindowExists)
{
    TForm form(nullptr);
    form.SetBounds(0, 0, 400, 300);
    TRVStyle style(&form);
    auto* view = new TRollView(&form);
    view->SetStyle(&style);
    view->AddNL("one", 0, 0);
    view->AddNL("two", 0, 0);
    view->Format();
    view->FormatTail();
    EXPECT_EQ(view->RVData->GetCanvas(), nullptr);
    EXPECT_EQ(view->RVData->DrawItems.Count(), 0);
    // Making the window lays out the document it already holds.
    view->SetBounds(0, 0, 200, 100);
    view->SetParent(&form);
    form.Show();
    EXPECT_EQ(view->RVData->DrawItems.Count(), 2);
    EXPECT_GT(view->GetDocumentHeight(), 0);
}

TEST_F(RollViewTest, FormatRepaintsOnlyUnderFormatInvalidate)
{
    AddLines(3);
    View->Format();
    View->Update();
    TRVOptions options = View->Options();
    for (bool invalidate : {false, true}) {
        if (invalidate)
            options.Include(rvoFormatInvalidate);
        else
            options.Exclude(rvoFormatInvalidate);
        View->SetOptions(options);
        View->Format();
        TRect dirty;
        EXPECT_EQ(GetUpdateRect(View->Handle(), &dirty, false), invalidate);
    }
}

TEST(RollViewScrollUnitTest, TheStepGrowsOnlyWhenTheHeightInUnitsWouldNotFit)
{
    const int64_t maxUnits = TRollViewRVData::MaxVScrollUnits;
    struct TCase {
        int64_t Height;
        int Step, Limit, Expected;
    };
    const TCase cases[] = {
        {400000, 10, 32000, 13}, // 400000 div 12 is still above the limit
        {200000, 13, 32000, 10},
        {320000, 10, 32000, 10},
        {320010, 10, 32000, 11},
        {30000, 1, 32000, 1},    // a smaller step that fits is kept
        {350000, 13, 32000, 13}, // a larger one returns to 10 only when 10 fits
        {0, 0, 32000, 1},
        // The viewer's positions are 32-bit: every 32-bit document height keeps 10.
        {400000, 10, int(maxUnits), 10},
        {INT32_MAX, 10, int(maxUnits), 10},
        {int64_t(INT32_MAX) * 20, 10, int(maxUnits), 20},
        {int64_t(INT32_MAX) * 5, 20, int(maxUnits), 10},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(RV_AdjustedVSmallStep(c.Height, c.Step, c.Limit), c.Expected) << c.Height << " " << c.Step;
}

TEST_F(RollViewTest, ATallDocumentKeepsTheNormalStepAndAFullRange)
{
    TRollViewRVData* data = View->RVData;
    data->DocumentHeight = 400000;
    data->AdjustVScrollUnits();
    EXPECT_EQ(View->VSmallStep(), 10);
    data->SetDocumentAreaSize(300, 400005, true);
    EXPECT_EQ(View->VRange(), 40001) << "rounded up";
    View->SetVScrollPos(0);
    View->Perform(WM_VSCROLL, MAKEWPARAM(SB_PAGEDOWN, 0), 0);
    EXPECT_EQ(View->VPos(), View->VPage());
    EXPECT_GT(View->VPage(), 1);
    EXPECT_EQ(data->GetVOffs(), View->VPos() * 10);
    View->SetVScrollPos(View->GetVScrollMax());
    EXPECT_EQ(View->VPos(), 40001 - View->VPage()) << "the end is reachable";
}

TEST_F(RollViewTest, AnyStepThatFitsIsTakenAndTheViewStaysInPlace)
{
    AddLines(200);
    View->Format();
    View->ScrollTo(1000);
    View->SetVSmallStep(1); // the document's height in 1-pixel units fits 32 bits
    EXPECT_EQ(View->VSmallStep(), 1);
    EXPECT_EQ(View->RVData->GetVOffs(), 1000);
    View->SetVSmallStep(0);
    View->SetVSmallStep(-5);
    EXPECT_EQ(View->VSmallStep(), 1);
    // A layout goes back to the normal step only when the step is larger.
    View->Format();
    EXPECT_EQ(View->VSmallStep(), 1);
    View->SetVSmallStep(40);
    View->Format();
    EXPECT_EQ(View->VSmallStep(), 10);
}

// ---------------------------------------------------------------------------
// Painting

TEST_F(RollViewTest, APaintingExceptionIsDrawnAsTextAndDoesNotEscape)
{
    AddLines(3);
    View->Format();
    TRecordingCanvas canvas(300, 200);
    View->RVData->PaintBuffered(&canvas);
    EXPECT_EQ(canvas.RecordsOf(TCanvasOp::CopyRect).size(), 1u);
    EXPECT_TRUE(canvas.RecordsOf(TCanvasOp::Text).empty()) << "a sound document paints no error";

    View->AddItem("broken", new TFailingItem(View->RVData));
    View->Format();
    canvas.Clear();
    canvas.SelectClipRect(nullptr);
    ASSERT_NO_THROW(View->RVData->PaintBuffered(&canvas));
    // The bitmap is copied whole, then the message is drawn over it.
    const auto copies = canvas.RecordsOf(TCanvasOp::CopyRect);
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(copies[0]->Rect, Rect(0, 0, 300, 200));
    EXPECT_EQ(Texts(canvas), std::vector<std::string>{"Error:the picture is broken"});
    EXPECT_TRUE(canvas.RecordsOf(TCanvasOp::Text)[0]->Opaque);
    View->Invalidate();
    EXPECT_NO_THROW(View->Update()) << "the window's own paint survives it too";
}

TEST_F(RollViewTest, PaintingStraightOnAnOffscreenCanvasGivesTheBitmapCopysPixels)
{
    // A window's canvas is painted on directly; any other through a bitmap.
    // Both must show the same, wherever the clip lies, and the direct paint
    // must leave the canvas's state as it found it.
    Style->TextStyles()->Items(0)->SetColor(clRed);
    Style->TextStyles()->Items(0)->SetBackColor(clYellow);
    AddLines(40);
    View->Format();
    View->ScrollTo(View->RVData->DrawItems[5]->Top + 3);
    auto paint = [&](bool offscreen, TBitmap& target) {
        target.SetSize(300, 200);
        TCanvas* canvas = target.Canvas();
        canvas->SetDrawsOffscreen(offscreen);
        canvas->Brush()->SetColor(clBlue);
        canvas->FillRect(Rect(0, 0, 300, 200));
        canvas->Font()->SetName("Arial");
        canvas->Pen()->SetColor(clLime);
        canvas->SetPenPos(TPoint{7, 9});
        const TRect clip = Rect(30, 25, 260, 170);
        canvas->SelectClipRect(&clip);
        View->RVData->PaintBuffered(canvas);
        EXPECT_EQ(canvas->ClipRect(), clip);
        EXPECT_EQ(canvas->ViewportOrg(), (TPoint{0, 0}));
        EXPECT_EQ(canvas->Font()->Name(), "Arial");
        EXPECT_EQ(canvas->Pen()->Color(), clLime);
        EXPECT_EQ(canvas->Brush()->Color(), clBlue);
        EXPECT_EQ(canvas->PenPos(), (TPoint{7, 9}));
    };
    TBitmap direct;
    TBitmap copied;
    paint(true, direct);
    paint(false, copied);
    const TPinnedPixels directPixels = direct.Pixels(), copiedPixels = copied.Pixels();
    EXPECT_TRUE(directPixels->Pixels == copiedPixels->Pixels);
    // Something was painted inside the clip, nothing outside it.
    const TPinnedPixels pixelsPin = direct.Pixels();
    const TPixelBuffer& pixels = *pixelsPin;
    EXPECT_NE(pixels.At(100, 100), pixels.At(0, 0));
    EXPECT_EQ(pixels.At(280, 180), pixels.At(0, 0));
}

TEST_F(RollViewTest, ATailLayoutPaintsOnlyTheNewLinesAndShowsWhatAWholePaintShows)
{
    // After a tail layout the window moves the pixels of the kept lines and
    // paints from the first new draw item down; what it then shows must be
    // what painting the whole window shows, in every way a log grows.
    Style->TextStyles()->Add()->SetColor(clRed);
    const int red = Style->TextStyles()->Count() - 1;
    ASSERT_TRUE(WaitUntil([&] { return WindowExposed(View); }, WaitDeadlineMs, PumpEvents));
    AddLines(30);
    View->Format();
    View->SetVScrollPos(View->GetVScrollMax());
    View->Update();
    auto shown = [&] {
        TPixelBuffer pixels;
        EXPECT_TRUE(GrabWindow(View, pixels));
        return pixels;
    };
    struct TGrowth {
        const char* Name;
        std::function<void()> Add;
        bool Partial;
        bool FromTop = false;
        // Only the new last line waits: the line above it was laid out again as it was.
        bool OnlyTheNewLine = false;
    };
    const TGrowth growths[] = {
        {"a new line at the end", [&] { View->AddNL("line 30", 0, 0); }, true, false, true},
        {"the last line continued", [&] { View->AddTextNL(" continued", red, -1, 0); }, true},
        {"three lines, one coloured",
         [&] {
             View->AddNL("line 31", red, 0);
             AddLines(2, 32);
         },
         true},
        {"a line wider than the window", [&] { View->AddNL(std::string(120, 'w'), 0, 0); }, false},
        {"lines below the view", [&] { View->AddNL("line 34", 0, 0); }, false, true},
        {"a screenful at once", [&] { AddLines(40, 100); }, false},
    };
    for (const TGrowth& growth : growths) {
        SCOPED_TRACE(growth.Name);
        if (growth.FromTop) {
            View->SetVScrollPos(0);
            View->Update();
        }
        growth.Add();
        View->FormatTail();
        View->SetVScrollPos(View->GetVScrollMax());
        TRect waiting;
        const bool any = GetUpdateRect(View->Handle(), &waiting, false);
        if (growth.Partial) {
            EXPECT_TRUE(any);
            EXPECT_GT(waiting.Top, View->ClientHeight() / 2) << "more than the new lines waits to be painted";
        }
        if (growth.OnlyTheNewLine) {
            const TRVDrawLines& drawItems = View->RVData->DrawItems;
            EXPECT_EQ(waiting.Top, drawItems[drawItems.Count() - 1]->Top - View->RVData->GetZVOffs());
        }
        View->Update();
        const TPixelBuffer afterTail = shown();
        // The toolkit moved its own copy of the window's pixels: it shows the same.
        TPixelBuffer toolkitAfterTail;
        ASSERT_TRUE(GrabShownClient(View, toolkitAfterTail));
        View->Invalidate();
        View->Update();
        EXPECT_TRUE(afterTail.Pixels == shown().Pixels);
        TPixelBuffer toolkitWhole;
        ASSERT_TRUE(GrabShownClient(View, toolkitWhole));
        EXPECT_TRUE(toolkitAfterTail.Pixels == toolkitWhole.Pixels);
    }
}

TEST_F(RollViewTest, WithoutAStyleSheetTheWindowShowsTheMessage)
{
    View->SetStyle(nullptr);
    View->AddNL("never shown", 0, 0);
    View->Format();
    EXPECT_EQ(View->RVData->DrawItems.Count(), 0);
    TRecordingCanvas canvas(400, 300);
    View->PaintTo(&canvas, 0, 0);
    std::string joined; // the message may wrap over several lines
    for (const std::string& text : Texts(canvas))
        for (char c : text)
            if (c != ' ')
                joined += c;
    EXPECT_NE(joined.find("Styleisnotdefined"), std::string::npos) << joined;
    EXPECT_NE(joined.find("CreateaTRVStyleobjectandassignittoRollView1.Style"), std::string::npos) << joined;
}

// ---------------------------------------------------------------------------
// Deferred events

TEST_F(RollViewTest, DeferredEventRecordsAreFreedWhateverHappens)
{
    // No handler: the record is freed after dispatch (the leak checker watches).
    // A viewer that goes before its messages are delivered gets none of them.
    auto* other = new TRollView(Form);
    other->SetParent(Form);
    other->HandleNeeded();
    int jumps = 0;
    other->OnJump = [&](TObject*, int) { ++jumps; };
    EXPECT_TRUE(other->PostRVEvent(std::make_unique<TRVJumpMessageData>()));
    delete other;
    View->PostRVEvent(std::make_unique<TRVJumpMessageData>());
    View->PostRVEvent(std::make_unique<TRVDblClickMessageData>());
    // Messages are delivered in order: a click posted last tells when all went.
    bool clicked = false;
    View->OnClick = [&](TObject*) { clicked = true; };
    View->PostRVEvent(std::make_unique<TRVClickMessageData>());
    ASSERT_TRUE(WaitUntil([&] { return clicked; }, WaitDeadlineMs, PumpEvents));
    EXPECT_EQ(jumps, 0);
    // Without a window nothing is posted and the record is freed at once.
    TRollView orphan(nullptr);
    EXPECT_FALSE(orphan.PostRVEvent(std::make_unique<TRVJumpMessageData>()));
    EXPECT_FALSE(orphan.PostRVEvent(nullptr));
}

// ---------------------------------------------------------------------------
// Keys and small services

TEST(RollViewShortcutTest, CopyCutAndPasteShortcutsNeedCtrlWithoutAlt)
{
    using F = bool (*)(TShiftState, WORD);
    struct TCase {
        F Test;
        TShiftState Shift;
        WORD Key;
        bool Expected;
    };
    const TShiftState ctrl{ssCtrl}, shift{ssShift}, ctrlAlt{ssCtrl, ssAlt};
    const TCase cases[] = {
        {TCustomRollView::IsCopyShortcut, ctrl, 'C', true},
        {TCustomRollView::IsCopyShortcut, ctrlAlt, 'C', false},
        {TCustomRollView::IsCopyShortcut, TShiftState(), 'C', false},
        {TCustomRollView::IsCutShortcut, ctrl, 'X', true},
        {TCustomRollView::IsCutShortcut, shift, VK_DELETE, true},
        {TCustomRollView::IsCutShortcut, ctrlAlt, 'X', false},
        {TCustomRollView::IsPasteShortcut, shift, VK_INSERT, true},
        {TCustomRollView::IsPasteShortcut, ctrlAlt, 'V', false},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(c.Test(c.Shift, c.Key), c.Expected) << c.Key << " " << c.Shift.Bits;
}

TEST_F(RollViewTest, TheAutoScrollStepsFollowThePointer)
{
    const int w = View->ClientWidth();
    const int h = View->ClientHeight();
    // x, y, horizontal step, vertical step
    const int cases[][4] = {{10, -25, 0, -10},  {10, -21, 0, -10},   {10, -20, 0, -1},     {10, -1, 0, -1},
                            {10, 0, 0, 0},      {10, 100, 0, 0},     {10, h, 0, 0},        {10, h + 1, 0, 1},
                            {10, h + 20, 0, 1}, {10, h + 21, 0, 10}, {10, h + 500, 0, 10}, {-15, 50, -1, 0},
                            {w + 30, 50, 10, 0}};
    for (const auto& c : cases) {
        View->MouseMove(TShiftState(), c[0], c[1]);
        EXPECT_EQ(View->ScrollDeltaX, c[2]) << c[0] << "," << c[1];
        EXPECT_EQ(View->ScrollDeltaY, c[3]) << c[0] << "," << c[1];
    }
}

// ---------------------------------------------------------------------------
// Tab navigation

class RollViewTabTest : public RollViewTest {
protected:
    void SetUp() override
    {
        RollViewTest::SetUp();
        Before = AddBox(0);
        Before->SetTabOrder(0);
        After = AddBox(60);
        // Text, a hyperlink (style 4), text, a hyperlink, text.
        View->AddNL("see ", 0, 0);
        View->AddNL("first", 4, -1);
        View->AddNL(" and ", 0, -1);
        View->AddNL("second", 4, -1);
        View->AddNL(" here", 0, -1);
        View->Format();
        Refocus();
    }
    // The focus arrives without Tab.
    void Refocus()
    {
        View->SetFocus();
        View->RVData->State.Exclude(rvstDoNotTab);
        View->RVData->FocusedItemNo = -1;
    }
    int Focused() const { return View->RVData->FocusedItemNo; }

    TBox* Before = nullptr;
    TBox* After = nullptr;
};

TEST_F(RollViewTabTest, TabMovesAmongTheHyperlinksAndOutOfTheDocument)
{
    struct TCase {
        const char* Name;
        TRVTabNavigationType Navigation;
        TShiftState Shift;
        std::vector<int> Focus; // the focused item after each key
        int Leaves;             // the focus ends on the next control (1), the one before (-1), the viewer (0)
    };
    const TShiftState none, shift{ssShift}, ctrl{ssCtrl}, ctrlShift{ssCtrl, ssShift};
    const TCase cases[] = {
        {"Tab", rvtnTab, none, {1, 3, -1}, 1},
        {"Shift+Tab", rvtnTab, shift, {3, 1, -1}, -1},
        {"Ctrl+Tab", rvtnCtrlTab, ctrl, {1, 3, -1}, 1},
        {"Ctrl+Shift+Tab", rvtnCtrlTab, ctrlShift, {3, 1, -1}, -1},
        {"Ctrl+Tab not asked for", rvtnTab, ctrl, {-1}, 0},
        {"Tab without navigation", rvtnNone, none, {-1}, 1},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        View->SetTabNavigation(c.Navigation);
        Refocus();
        for (size_t i = 0; i < c.Focus.size(); ++i) {
            SimulateKey(View, VK_TAB, c.Shift);
            EXPECT_EQ(Focused(), c.Focus[i]) << "key " << i;
        }
        EXPECT_TRUE((c.Leaves > 0   ? After
                     : c.Leaves < 0 ? static_cast<TWinControl*>(Before)
                                    : View)
                        ->Focused());
    }
    // Plain Tab leaves the items alone under Ctrl+Tab navigation; Ctrl+Alt+Tab too.
    View->SetTabNavigation(rvtnCtrlTab);
    for (TShiftState s : {none, TShiftState{ssCtrl, ssAlt}}) {
        Refocus();
        SimulateKey(View, VK_TAB, s);
        EXPECT_EQ(Focused(), -1);
    }
}

TEST_F(RollViewTabTest, TabIntoTheViewerFocusesTheFirstOrLastHyperlinkAndAClickNone)
{
    Before->SetFocus();
    SimulateKey(Before, VK_TAB);
    EXPECT_TRUE(View->Focused());
    EXPECT_EQ(Focused(), 1);
    After->SetFocus();
    View->RVData->Deselect(nullptr, false);
    SimulateKey(After, VK_TAB, TShiftState{ssShift});
    EXPECT_EQ(Focused(), 3);
    Before->SetFocus();
    View->RVData->Deselect(nullptr, false);
    SimulateClick(View, mbLeft, 250, 150); // below the text
    EXPECT_TRUE(View->Focused());
    EXPECT_EQ(Focused(), -1);
    // Without tab navigation Shift+Tab comes back to the viewer, no item focused.
    View->SetTabNavigation(rvtnNone);
    After->SetFocus();
    SimulateKey(After, VK_TAB, TShiftState{ssShift});
    EXPECT_TRUE(View->Focused());
    EXPECT_EQ(Focused(), -1);
}

TEST_F(RollViewTabTest, EnterRunsTheFocusedHyperlinkWhichGetsADottedRectangle)
{
    std::vector<int> jumps;
    View->OnJump = [&](TObject*, int id) { jumps.push_back(id); };
    View->SetFirstJumpNo(100);
    SimulateKey(View, VK_TAB);
    SimulateKey(View, VK_TAB);
    SimulateKey(View, VK_RETURN);
    EXPECT_EQ(jumps, (std::vector<int>{101}));
    TRecordingCanvas canvas(300, 200);
    View->RVData->DrawFocusedRect(&canvas);
    ASSERT_EQ(canvas.RecordsOf(TCanvasOp::FocusRect).size(), 1u);
    View->Deselect(); // takes the focus away
    EXPECT_EQ(Focused(), -1);
    EXPECT_EQ(View->RVData->TopFocusedItemNo, -1);
    canvas.Clear();
    View->RVData->DrawFocusedRect(&canvas);
    EXPECT_TRUE(canvas.RecordsOf(TCanvasOp::FocusRect).empty());
}

TEST_F(RollViewTest, TabGoesThroughAControlInTheDocumentAndComesBack)
{
    TBox* before = AddBox(0);
    auto* inside = new TBox(nullptr);
    inside->SetBounds(0, 0, 40, 16);
    View->AddNL("see ", 0, 0);
    View->AddNL("first", 4, -1);
    View->AddControl(inside, false); // item 2, a paragraph of its own
    View->AddNL("second", 4, 0);     // item 3
    View->Format();
    before->SetFocus();
    SimulateKey(before, VK_TAB);
    ASSERT_TRUE(View->Focused());
    EXPECT_EQ(View->RVData->FocusedItemNo, 1);
    SimulateKey(View, VK_TAB);
    EXPECT_EQ(View->RVData->FocusedItemNo, 2);
    EXPECT_TRUE(inside->Focused());
    SimulateKey(inside, VK_TAB); // back to the viewer, which goes on after the control
    EXPECT_TRUE(View->Focused());
    EXPECT_EQ(View->RVData->FocusedItemNo, 3);
}

// ---------------------------------------------------------------------------
// A tail layout that lays everything out again (the scroll bar came) keeps the
// focused item.

TEST_F(RollViewTest, ATailLayoutKeepsTheFocusedItem)
{
    View->AddNL("see ", 0, 0);
    View->AddNL("link", 4, -1);
    View->Format();
    View->SetFocus();
    View->RVData->State.Exclude(rvstDoNotTab);
    SimulateKey(View, VK_TAB);
    ASSERT_EQ(View->RVData->FocusedItemNo, 1);
    AddLines(40);
    View->RVData->InvalidateTailLayout();
    View->FormatTail();
    EXPECT_EQ(View->RVData->FocusedItemNo, 1);
    EXPECT_EQ(View->RVData->TopFocusedItemNo, 1);
    View->Format(); // a full layout starts without a focused item
    EXPECT_EQ(View->RVData->TopFocusedItemNo, -1);
}

} // namespace

TEST_F(RollViewTest, AResizeLeavesTheLineAtTheTopWhereItWas)
{
    for (int i = 0; i < 100; ++i)
        View->AddNL("paragraph " + std::to_string(i) + " holds words enough to wrap over three lines", 0, 0);
    View->Format();
    TRollViewRVData* data = View->RVData;
    const int first = data->FindDrawItemByItem(16);
    ASSERT_TRUE(data->DrawItems[first + 1]->FromNewLine && data->DrawItems[first + 1]->ItemNo == 16);
    const int lineOffs = data->DrawItems[first + 1]->Top - data->DrawItems[first]->Top;
    View->SetVPos(data->DrawItems[first + 1]->Top / View->VSmallStep(), true);
    const int start = data->GetVOffs();
    ASSERT_EQ(start, data->DrawItems[first + 1]->Top) << "the top of item 16's second line";

    View->SetHeight(View->Height() - 20);
    EXPECT_EQ(data->GetVOffs(), start) << "only the height changed";

    View->SetWidth(View->Width() - 60);
    const int top = data->FindDrawItemByItem(16);
    ASSERT_GE(top, 0);
    EXPECT_EQ(data->GetVOffs() - data->DrawItems[top]->Top, lineOffs) << "item 16's second line is on top";
}

// Lines appended until the vertical bar comes: the bar narrows the view, and
// the text, as wide as the view, follows it without a horizontal bar coming
// and going on the way; a line wider than the view brings one.
TEST_F(RollViewTest, TheVerticalBarComingBringsNoHorizontalOneForShortLines)
{
    static std::vector<bool> horizontalShown;
    horizontalShown.clear();
    const TRVScrollBarFunctions saved = RVScrollBarFunctions;
    RVScrollBarFunctions.SetScrollInfo = [](HWND wnd, int bar, const SCROLLINFO* info, bool redraw) {
        if (bar == SB_HORZ)
            horizontalShown.push_back(info->nMax - info->nMin + 1 > static_cast<int>(info->nPage));
        return SetScrollInfo(wnd, bar, info, redraw);
    };
    struct TRestore {
        TRVScrollBarFunctions Saved;
        ~TRestore() { RVScrollBarFunctions = Saved; }
    } restore{saved};

    const int clientWidth = View->ClientWidth();
    for (int i = 0; i < 40; ++i) {
        AddLines(1, i);
        View->FormatTail();
    }
    EXPECT_LT(View->ClientWidth(), clientWidth) << "the vertical bar came";
    EXPECT_EQ(std::count(horizontalShown.begin(), horizontalShown.end(), true), 0);
    EXPECT_EQ(View->RVData->TextWidth, View->ClientWidth() - View->LeftMargin() - View->RightMargin())
        << "laid out again at the narrower width";

    Style->ParaStyles()->Add()->SetOptions({rvpaoNoWrap});
    View->AddNL(std::string(200, 'w'), 0, Style->ParaStyles()->Count() - 1);
    View->FormatTail();
    ASSERT_FALSE(horizontalShown.empty());
    EXPECT_TRUE(horizontalShown.back()) << "a line wider than the view";
}

// ---------------------------------------------------------------------------
// Events

TEST_F(RollViewTest, AssignEventsCopiesTheClassLibrarysEventsToo)
{
    TRollView source(Form);
    std::vector<std::string> calls;
    auto note = [&](const char* name) { calls.push_back(name); };
    source.OnClick = [&](TObject*) { note("Click"); };
    source.OnDblClick = [&](TObject*) { note("DblClick"); };
    source.OnResize = [&](TObject*) { note("Resize"); };
    source.OnKeyDown = [&](TObject*, WORD&, TShiftState) { note("KeyDown"); };
    source.OnKeyUp = [&](TObject*, WORD&, TShiftState) { note("KeyUp"); };
    source.OnKeyPress = [&](TObject*, char&) { note("KeyPress"); };
    source.OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { note("MouseDown"); };
    source.OnMouseUp = [&](TObject*, TMouseButton, TShiftState, int, int) { note("MouseUp"); };
    source.OnMouseMove = [&](TObject*, TShiftState, int, int) { note("MouseMove"); };
    source.OnMouseWheel = [&](TObject*, TShiftState, int, TPoint, bool&) { note("MouseWheel"); };
    source.OnMouseWheelDown = [&](TObject*, TShiftState, TPoint, bool&) { note("MouseWheelDown"); };
    source.OnMouseWheelUp = [&](TObject*, TShiftState, TPoint, bool&) { note("MouseWheelUp"); };
    source.OnContextPopup = [&](TObject*, TPoint, bool&) { note("ContextPopup"); };
    source.OnEnter = [&](TObject*) { note("Enter"); };
    source.OnExit = [&](TObject*) { note("Exit"); };
    source.OnStartDrag = [&](TObject*, TDragObject*&) { note("StartDrag"); };
    source.OnDragOver = [&](TObject*, TObject*, int, int, TDragState, bool&) { note("DragOver"); };
    source.OnDragDrop = [&](TObject*, TObject*, int, int) { note("DragDrop"); };
    source.OnEndDrag = [&](TObject*, TObject*, int, int) { note("EndDrag"); };
    source.OnJump = [&](TObject*, int) { note("Jump"); };
    View->AssignEvents(&source);

    WORD key = 0;
    char ch = 'a';
    bool handled = false;
    TDragObject* object = nullptr;
    View->OnClick(View);
    View->OnDblClick(View);
    View->OnResize(View);
    View->OnKeyDown(View, key, TShiftState());
    View->OnKeyUp(View, key, TShiftState());
    View->OnKeyPress(View, ch);
    View->OnMouseDown(View, mbLeft, TShiftState(), 0, 0);
    View->OnMouseUp(View, mbLeft, TShiftState(), 0, 0);
    View->OnMouseMove(View, TShiftState(), 0, 0);
    View->OnMouseWheel(View, TShiftState(), 120, TPoint{}, handled);
    View->OnMouseWheelDown(View, TShiftState(), TPoint{}, handled);
    View->OnMouseWheelUp(View, TShiftState(), TPoint{}, handled);
    View->OnContextPopup(View, TPoint{}, handled);
    View->OnEnter(View);
    View->OnExit(View);
    View->OnStartDrag(View, object);
    View->OnDragOver(View, nullptr, 0, 0, dsDragMove, handled);
    View->OnDragDrop(View, nullptr, 0, 0);
    View->OnEndDrag(View, nullptr, 0, 0);
    View->OnJump(View, 0);
    EXPECT_EQ(calls, (std::vector<std::string>{"Click",        "DblClick",   "Resize",         "KeyDown",
                                               "KeyUp",        "KeyPress",   "MouseDown",      "MouseUp",
                                               "MouseMove",    "MouseWheel", "MouseWheelDown", "MouseWheelUp",
                                               "ContextPopup", "Enter",      "Exit",           "StartDrag",
                                               "DragOver",     "DragDrop",   "EndDrag",        "Jump"}));
}
