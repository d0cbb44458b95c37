// The scrolling control base: ranges and clamping, vertical units, child
// controls following the view, scroll-bar messages, keys and wheel, 32-bit
// positions, repainting on scroll, window parameters, palette, visual styles
// and the chosen sub-document.
#include <gtest/gtest.h>

#include <vector>

#include "platform/controls/forms.h"
#include "platform/controls/syntheticinput.h"
#include "platform/controls/winapi.h"
#include "platform/graphics/canvas.h"
#include "tests/support/testrvdata.h"
#include "view/rvscroll.h"

namespace {

// A scroller as a viewer uses it: it logs what it paints and answers the
// chosen-data hooks the way the viewer does.
class TTestScroller : public TRVScroller {
public:
    explicit TTestScroller(TComponent* AOwner) : TRVScroller(AOwner) {}

    std::vector<TRect> Paints;
    int VScrolls = 0;
    int HScrolls = 0;
    bool PaletteScreen = false;
    // The cell editor, while EditorData is the chosen data.
    TWinControl* Editor = nullptr;
    TCustomRVData* EditorData = nullptr;
    std::vector<TCustomRVData*> Deselected;

    using TRVScroller::GenerateLogPalette;

protected:
    void Paint() override { Paints.push_back(Canvas()->ClipRect()); }
    void AfterVScroll() override
    {
        ++VScrolls;
        TRVScroller::AfterVScroll();
    }
    void AfterHScroll() override
    {
        ++HScrolls;
        TRVScroller::AfterHScroll();
    }
    bool ScreenIsPaletteBased() const override { return PaletteScreen; }
    void DeselectChosenData(TCustomRVData* RVData) override { Deselected.push_back(RVData); }
    TWinControl* GetChosenDataEditor(TCustomRVData* RVData) override
    {
        return RVData == EditorData ? Editor : nullptr;
    }
};

// An item that counts how often it was told its sub-document is no longer chosen.
class TChosenItem : public TCustomRVItemInfo {
public:
    explicit TChosenItem(TCustomRVData* RVData) : TCustomRVItemInfo(RVData) {}
    void CleanUpChosen() override { ++CleanUps; }
    int CleanUps = 0;
};

class RVScrollerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Form = new TForm(nullptr);
        Form->SetBounds(0, 0, 400, 300);
        View = new TTestScroller(Form);
        View->SetBounds(0, 0, 200, 100);
        View->SetParent(Form);
        Form->Show();
    }
    void TearDown() override { Form->Free(); }

    // A document Height pixels high (in units of the current step) and Width wide.
    void SetDocument(int Width, int HeightPx)
    {
        const int step = View->VSmallStep();
        View->UpdateScrollBars(Width, HeightPx / step + (HeightPx % step ? 1 : 0), true, true);
    }
    bool VBarShown() { return (GetWindowLong(View->Handle(), GWL_STYLE) & WS_VSCROLL) != 0; }
    void Scroll(UINT Msg, int Code, int Pos = 0) { View->Perform(Msg, MAKEWPARAM(Code, Pos), 0); }
    void FlushPaints()
    {
        View->Update();
        View->Paints.clear();
    }

    TForm* Form = nullptr;
    TTestScroller* View = nullptr;
};

// Installs fake visual-style functions for one test and takes them away again.
struct TFakeThemes {
    static inline int Opened = 0;
    static inline int Closed = 0;
    static inline std::u16string ClassName;
    static inline int Dummy = 0;

    TFakeThemes()
    {
        Opened = Closed = 0;
        RV_IsAppThemed = [] { return true; };
        RV_IsThemeActive = [] { return true; };
        RV_OpenThemeData = [](HWND, const WideChar* Class) -> HTHEME {
            ++Opened;
            ClassName = Class;
            return &Dummy;
        };
        RV_CloseThemeData = [](HTHEME) {
            ++Closed;
            return 0;
        };
    }
    ~TFakeThemes()
    {
        RV_IsAppThemed = nullptr;
        RV_IsThemeActive = nullptr;
        RV_OpenThemeData = nullptr;
        RV_CloseThemeData = nullptr;
    }
};

} // namespace

TEST(RVScrollerNoWindow, DefaultsAndNothingHappensWithoutAWindow)
{
    TTestScroller view(nullptr);
    EXPECT_EQ(view.VSmallStep(), 1);
    EXPECT_EQ(view.VPos(), 0);
    EXPECT_EQ(view.HPos(), 0);
    EXPECT_TRUE(view.Tracking());
    EXPECT_TRUE(view.VScrollVisible());
    EXPECT_TRUE(view.HScrollVisible());
    EXPECT_TRUE(view.KeyboardScroll());
    EXPECT_EQ(view.WheelStep(), 2);
    EXPECT_EQ(view.BorderStyle(), bsNone);
    EXPECT_EQ(view.DoInPaletteMode(), rvpaCreateCopies);
    EXPECT_EQ(view.BiDiMode(), rvbdUnspecified);
    EXPECT_TRUE(view.UseXPThemes());
    EXPECT_FALSE(view.FullRedrawOnScroll());
    EXPECT_TRUE(view.TabStop());
    EXPECT_EQ(view.GetPalette(), 0u);
    // No window: no store, no range, no event.
    view.SetVPos(5, true);
    view.SetHPos(7);
    view.UpdateScrollBars(1000, 1000, true, true);
    EXPECT_EQ(view.VPos(), 0);
    EXPECT_EQ(view.HPos(), 0);
    EXPECT_EQ(view.VRange(), 0);
    EXPECT_EQ(view.VScrolls, 0);
}

TEST_F(RVScrollerTest, WindowCreationSetsTheStepAndTheBars)
{
    EXPECT_EQ(View->VSmallStep(), 10);
    EXPECT_EQ(View->HRange(), View->ClientWidth());
    EXPECT_EQ(View->VRange(), View->ClientHeight() / 10);
    EXPECT_EQ(View->GetAreaWidth(), View->ClientWidth());
    EXPECT_FALSE(VBarShown());
    EXPECT_EQ(View->Perform(WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS);
}

TEST_F(RVScrollerTest, PositionsAreClampedPastTheEndAndBelowZero)
{
    SetDocument(150, 1000);
    ASSERT_TRUE(VBarShown());
    const int page = View->ClientHeight() / 10;
    EXPECT_EQ(View->VPage(), page);
    EXPECT_EQ(View->VMax(), 99);
    EXPECT_EQ(View->GetVScrollMax(), 100 - page);
    View->SetVPos(5000, true);
    EXPECT_EQ(View->VPos(), 100 - page);
    View->SetVPos(-7, true);
    EXPECT_EQ(View->VPos(), 0);
    // The document width is the area width; no horizontal room to scroll.
    EXPECT_EQ(View->GetAreaWidth(), 150);
    View->SetHPos(80);
    EXPECT_EQ(View->HPos(), 0);
    // With the bar kept hidden, the scroller's own clamping gives the same.
    View->SetVScrollVisible(false);
    EXPECT_FALSE(VBarShown());
    View->SetVPos(5000, true);
    EXPECT_EQ(View->VPos(), View->VMax() - (View->VPage() - 1));
    View->SetVPos(-1, true);
    EXPECT_EQ(View->VPos(), 0);
}

TEST_F(RVScrollerTest, ShrinkingDocumentPullsThePositionBack)
{
    SetDocument(100, 2000);
    View->SetVPos(150, true);
    ASSERT_EQ(View->VPos(), 150);
    SetDocument(100, 1000);
    EXPECT_EQ(View->VPos(), 100 - View->VPage());
    // Shorter than the page: positions stay 0 and the bar hides.
    SetDocument(100, 30);
    EXPECT_EQ(View->VPos(), 0);
    EXPECT_FALSE(VBarShown());
    View->VScrolls = 0;
    View->SetVPos(3, true);
    EXPECT_EQ(View->VPos(), 0);
    EXPECT_EQ(View->VScrolls, 0) << "no event without a change";
}

TEST_F(RVScrollerTest, VerticalPositionsCountSmallSteps)
{
    SetDocument(100, 1000);
    View->ScrollTo(255);
    EXPECT_EQ(View->VPos(), 25);
    View->ScrollToNoRedraw(99);
    EXPECT_EQ(View->VPos(), 9);
    // A horizontal line is one small step of pixels.
    SetDocument(1000, 1000);
    Scroll(WM_HSCROLL, SB_LINERIGHT);
    EXPECT_EQ(View->HPos(), 10);
    Scroll(WM_HSCROLL, SB_LINELEFT);
    EXPECT_EQ(View->HPos(), 0);
}

TEST_F(RVScrollerTest, ChildControlsFollowTheView)
{
    SetDocument(100, 1000);
    auto* near = new TWinControl(View);
    near->SetParent(View);
    near->SetBounds(5, 50, 20, 10);
    near->SetTag(50);
    auto* far = new TWinControl(View);
    far->SetParent(View);
    far->SetTag(10020);
    RV_Tag2Y(far);
    EXPECT_EQ(far->Top(), 10000);
    View->SetVPos(3, true);
    // Three units of 10 pixels: 30 pixels up.
    EXPECT_EQ(near->Tag(), 20);
    EXPECT_EQ(near->Top(), 20);
    EXPECT_EQ(far->Tag(), 9990);
    EXPECT_EQ(far->Top(), 9990);
    // Without repainting the children still move.
    View->SetVPos(0, false);
    EXPECT_EQ(near->Top(), 50);
    // Horizontal scrolling moves them sideways.
    SetDocument(1000, 1000);
    View->SetHPos(15);
    EXPECT_EQ(near->Left(), -10);
    EXPECT_EQ(View->HScrolls, 1);
}

TEST_F(RVScrollerTest, ScrollBarMessages)
{
    SetDocument(100, 1000);
    const int page = View->ClientHeight() / 10;
    Scroll(WM_VSCROLL, SB_LINEDOWN);
    EXPECT_EQ(View->VPos(), 1);
    Scroll(WM_VSCROLL, SB_PAGEDOWN);
    EXPECT_EQ(View->VPos(), 1 + page);
    Scroll(WM_VSCROLL, SB_PAGEUP);
    Scroll(WM_VSCROLL, SB_LINEUP);
    EXPECT_EQ(View->VPos(), 0);
    Scroll(WM_VSCROLL, SB_BOTTOM);
    EXPECT_EQ(View->VPos(), View->GetVScrollMax());
    Scroll(WM_VSCROLL, SB_TOP);
    EXPECT_EQ(View->VPos(), 0);
    Scroll(WM_VSCROLL, SB_ENDSCROLL);
    EXPECT_EQ(View->VPos(), 0);
    // Without tracking the thumb moves nothing until it is let go.
    View->SetTracking(false);
    Scroll(WM_VSCROLL, SB_THUMBTRACK, 40);
    EXPECT_EQ(View->VPos(), 0);
    Scroll(WM_VSCROLL, SB_THUMBPOSITION, 40);
    EXPECT_EQ(View->VPos(), 40);
    View->SetTracking(true);
    Scroll(WM_VSCROLL, SB_THUMBTRACK, 20);
    EXPECT_EQ(View->VPos(), 20);
}

TEST_F(RVScrollerTest, UsingTheBarsScrolls)
{
    SetDocument(100, 1000);
    ASSERT_TRUE(SimulateScrollBar(View, SB_VERT, SB_LINEDOWN));
    EXPECT_EQ(View->VPos(), 1);
    ASSERT_TRUE(SimulateScrollBar(View, SB_VERT, SB_THUMBTRACK, 30));
    EXPECT_EQ(View->VPos(), 30);
    ASSERT_TRUE(SimulateScrollBar(View, SB_VERT, SB_THUMBPOSITION, 35));
    EXPECT_EQ(View->VPos(), 35);
    ASSERT_TRUE(SimulateScrollBar(View, SB_VERT, SB_BOTTOM));
    EXPECT_EQ(View->VPos(), View->GetVScrollMax());
}

TEST_F(RVScrollerTest, HorizontalPositionsBeyondSixteenBits)
{
    SetDocument(200000, 1000);
    View->SetHPos(40000);
    EXPECT_EQ(View->HPos(), 40000);
    // A thumb position between 32768 and 65535 in the message's 16 bits is not negative.
    Scroll(WM_HSCROLL, SB_THUMBPOSITION, 50000);
    EXPECT_EQ(View->HPos(), 50000);
    // Dragging the thumb beyond 16 bits: the bar's own 32-bit track position counts.
    ASSERT_TRUE(SimulateScrollBar(View, SB_HORZ, SB_THUMBTRACK, 150000));
    EXPECT_EQ(View->HPos(), 150000);
    // Without tracking, the position of the drag counts when the thumb is let go.
    View->SetTracking(false);
    ASSERT_TRUE(SimulateScrollBar(View, SB_HORZ, SB_THUMBTRACK, 180000));
    EXPECT_EQ(View->HPos(), 150000);
    ASSERT_TRUE(SimulateScrollBar(View, SB_HORZ, SB_THUMBPOSITION, 170000));
    EXPECT_EQ(View->HPos(), 170000);
    Scroll(WM_HSCROLL, SB_RIGHT);
    EXPECT_EQ(View->HPos(), 200000 - View->ClientWidth());
    EXPECT_EQ(View->GetHScrollMax(), 200000 - View->ClientWidth());
}

TEST_F(RVScrollerTest, MillionsOfLinesKeepTheNormalStepAndPaging)
{
    // Thirteen million pixels (a million lines of 13) in units of 10.
    SetDocument(100, 13000000);
    EXPECT_EQ(View->VSmallStep(), 10);
    EXPECT_EQ(View->VRange(), 1300000);
    const int page = View->VPage();
    ASSERT_GT(page, 1);
    View->SetVPos(1000000, true);
    EXPECT_EQ(View->VPos(), 1000000);
    Scroll(WM_VSCROLL, SB_PAGEDOWN);
    EXPECT_EQ(View->VPos(), 1000000 + page);
    Scroll(WM_VSCROLL, SB_PAGEUP);
    Scroll(WM_VSCROLL, SB_PAGEUP);
    EXPECT_EQ(View->VPos(), 1000000 - page);
    ASSERT_TRUE(SimulateScrollBar(View, SB_VERT, SB_THUMBTRACK, 1234567));
    EXPECT_EQ(View->VPos(), 1234567);
    Scroll(WM_VSCROLL, SB_BOTTOM);
    EXPECT_EQ(View->VPos(), 1300000 - page);
}

TEST_F(RVScrollerTest, PageIsAtLeastOneUnit)
{
    SetDocument(100, 1000);
    // A step larger than the client area still pages by one unit.
    View->SetVSmallStep(500);
    View->UpdateScrollBars(100, 2, true, true);
    EXPECT_EQ(View->VPage(), 1);
    View->SetVPos(0, true);
    Scroll(WM_VSCROLL, SB_PAGEDOWN);
    EXPECT_EQ(View->VPos(), 1);
    Scroll(WM_VSCROLL, SB_PAGEUP);
    EXPECT_EQ(View->VPos(), 0);
}

TEST_F(RVScrollerTest, StepChangeKeepsTheViewInPlace)
{
    SetDocument(100, 10000);
    auto* child = new TWinControl(View);
    child->SetParent(View);
    child->SetTag(100);
    View->SetVPos(500, true); // pixel 5000
    EXPECT_EQ(child->Tag(), -4900);
    View->SetVSmallStep(13);
    // 5000 / 13 = 384 units = pixel 4992: the document moved 8 pixels down.
    EXPECT_EQ(View->VPos(), 384);
    EXPECT_EQ(child->Tag(), -4892);
    SetDocument(100, 10000);
    EXPECT_EQ(View->VPos(), 384);
    EXPECT_EQ(View->VRange(), 770);
    // Back to the normal step.
    View->SetVSmallStep(10);
    EXPECT_EQ(View->VPos(), 499);
    // Steps below 1 are never taken.
    View->SetVSmallStep(0);
    View->SetVSmallStep(-3);
    EXPECT_EQ(View->VSmallStep(), 10);
}

TEST_F(RVScrollerTest, KeysScroll)
{
    SetDocument(1000, 1000);
    View->SetFocus();
    const int page = View->ClientHeight() / 10;
    SimulateKey(View, VK_DOWN);
    EXPECT_EQ(View->VPos(), 1);
    SimulateKey(View, VK_NEXT);
    EXPECT_EQ(View->VPos(), 1 + page);
    SimulateKey(View, VK_PRIOR);
    EXPECT_EQ(View->VPos(), 1);
    SimulateKey(View, VK_UP);
    EXPECT_EQ(View->VPos(), 0);
    SimulateKey(View, VK_END);
    EXPECT_EQ(View->VPos(), View->GetVScrollMax());
    SimulateKey(View, VK_HOME);
    EXPECT_EQ(View->VPos(), 0);
    SimulateKey(View, VK_RIGHT, {ssShift});
    EXPECT_EQ(View->HPos(), 10);
    SimulateKey(View, VK_LEFT);
    EXPECT_EQ(View->HPos(), 0);
    // A key the handler took away does not scroll.
    View->OnKeyDown = [](TObject*, WORD& Key, TShiftState) { Key = 0; };
    SimulateKey(View, VK_NEXT);
    EXPECT_EQ(View->VPos(), 0);
    // Nor does any key when keyboard scrolling is off.
    View->OnKeyDown = nullptr;
    View->SetKeyboardScroll(false);
    SimulateKey(View, VK_NEXT);
    EXPECT_EQ(View->VPos(), 0);
}

TEST_F(RVScrollerTest, WheelScrollsWheelStepUnits)
{
    SetDocument(100, 1000);
    int formWheels = 0;
    Form->OnMouseWheel = [&](TObject*, TShiftState, int, TPoint, bool&) { ++formWheels; };
    SimulateWheel(View, -WHEEL_DELTA, 10, 10);
    EXPECT_EQ(View->VPos(), 2);
    SimulateWheel(View, -2 * WHEEL_DELTA, 10, 10);
    EXPECT_EQ(View->VPos(), 6);
    SimulateWheel(View, WHEEL_DELTA, 10, 10);
    EXPECT_EQ(View->VPos(), 4);
    EXPECT_EQ(formWheels, 0);
    // A step of 0 neither scrolls nor takes the wheel: it goes on to the parent.
    View->SetWheelStep(0);
    SimulateWheel(View, -WHEEL_DELTA, 10, 10);
    EXPECT_EQ(View->VPos(), 4);
    EXPECT_EQ(formWheels, 1);
}

TEST_F(RVScrollerTest, ScrollingRepaintsTheUncoveredStripOrEverything)
{
    SetDocument(100, 1000);
    FlushPaints();
    const int w = View->ClientWidth();
    const int h = View->ClientHeight();
    View->SetVPos(3, true);
    ASSERT_EQ(View->Paints.size(), 1u) << "painted before SetVPos returned";
    EXPECT_EQ(View->Paints[0], Rect(0, h - 30, w, h));
    View->Paints.clear();
    View->SetVPos(0, false);
    View->Update();
    EXPECT_TRUE(View->Paints.empty()) << "the caller repaints";
    View->SetFullRedrawOnScroll(true);
    View->SetVPos(2, true);
    ASSERT_EQ(View->Paints.size(), 1u);
    EXPECT_EQ(View->Paints[0], Rect(0, 0, w, h));
}

TEST_F(RVScrollerTest, ScrollEventsFireOnlyOnChange)
{
    SetDocument(1000, 1000);
    int v = 0;
    int hz = 0;
    View->OnVScrolled = [&](TObject* Sender) {
        EXPECT_EQ(Sender, View);
        ++v;
    };
    View->OnHScrolled = [&](TObject*) { ++hz; };
    View->SetVPos(4, true);
    View->SetVPos(4, true);
    View->SetHPos(30);
    View->SetHPos(30);
    EXPECT_EQ(v, 1);
    EXPECT_EQ(hz, 1);
}

TEST_F(RVScrollerTest, HiddenBarsStayHidden)
{
    View->SetHScrollVisible(false);
    View->SetVScrollVisible(false);
    SetDocument(5000, 5000);
    EXPECT_FALSE(VBarShown());
    EXPECT_EQ(GetWindowLong(View->Handle(), GWL_STYLE) & WS_HSCROLL, 0);
    // Positions still move within the document.
    View->SetVPos(20, true);
    EXPECT_EQ(View->VPos(), 20);
    View->SetHPos(10000);
    EXPECT_EQ(View->HPos(), 5000 - View->ClientWidth());
    // Shown again at once.
    View->SetVScrollVisible(true);
    EXPECT_TRUE(VBarShown());
}

TEST_F(RVScrollerTest, DisableNoScrollKeepsTheVerticalBar)
{
    View->SetDisableNoScroll(true);
    SetDocument(100, 20);
    EXPECT_TRUE(VBarShown());
    View->SetDisableNoScroll(false);
    SetDocument(100, 20);
    EXPECT_FALSE(VBarShown());
}

TEST_F(RVScrollerTest, WindowParametersAndRecreation)
{
    SetDocument(100, 1000);
    View->SetVPos(10, true);
    View->SetBorderStyle(bsSingle);
    EXPECT_NE(GetWindowLong(View->Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE, 0);
    // The new window starts at the top.
    EXPECT_EQ(View->VPos(), 0);
    EXPECT_EQ(View->VSmallStep(), 10);
    EXPECT_EQ(View->ClientWidth(), 200 - 4);
    View->SetCtl3D(false);
    EXPECT_EQ(GetWindowLong(View->Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE, 0);
    EXPECT_EQ(View->ClientWidth(), 200 - 2);
    View->SetBiDiModeRV(rvbdRightToLeft);
    EXPECT_NE(GetWindowLong(View->Handle(), GWL_EXSTYLE) & WS_EX_LEFTSCROLLBAR, 0);
}

TEST_F(RVScrollerTest, VisualStylesOpenAndCloseTheEditTheme)
{
    EXPECT_EQ(View->ThemeHandle(), nullptr) << "no visual-style library on this platform";
    TFakeThemes themes;
    View->SetBorderStyle(bsSingle); // recreates the window, which opens the theme
    EXPECT_NE(View->ThemeHandle(), nullptr);
    EXPECT_EQ(TFakeThemes::ClassName, u"Edit");
    EXPECT_EQ(TFakeThemes::Closed, 0);
    View->SetUseXPThemes(false);
    EXPECT_EQ(View->ThemeHandle(), nullptr);
    EXPECT_EQ(TFakeThemes::Closed, 1);
    View->SetUseXPThemes(true);
    EXPECT_NE(View->ThemeHandle(), nullptr);
    EXPECT_EQ(View->Perform(WM_THEMECHANGED, 0, 0), 1);
    EXPECT_EQ(TFakeThemes::Opened, 3);
    EXPECT_EQ(TFakeThemes::Closed, 2);
    View->DestroyHandle();
    EXPECT_EQ(TFakeThemes::Closed, 3);
    EXPECT_EQ(View->ThemeHandle(), nullptr);
}

TEST_F(RVScrollerTest, PaletteIsTheColourCube)
{
    std::unique_ptr<TLogPalette> palette = View->GenerateLogPalette();
    ASSERT_EQ(palette->palNumEntries(), 216);
    EXPECT_EQ(palette->palVersion, 0x300);
    auto rgb = [&](int i) {
        const TPaletteEntry& e = palette->palPalEntry[static_cast<size_t>(i)];
        EXPECT_EQ(e.peFlags, 0);
        return RGB(e.peRed, e.peGreen, e.peBlue);
    };
    EXPECT_EQ(rgb(0), RGB(0, 0, 0));
    EXPECT_EQ(rgb(1), RGB(51, 0, 0));
    EXPECT_EQ(rgb(6), RGB(0, 51, 0));
    EXPECT_EQ(rgb(36), RGB(0, 0, 51));
    EXPECT_EQ(rgb(2 * 36 + 3 * 6 + 4), RGB(204, 153, 102));
    EXPECT_EQ(rgb(215), RGB(255, 255, 255));

    // A true-colour screen gets no palette.
    View->UpdatePaletteInfo();
    EXPECT_EQ(View->GetPalette(), 0u);
    // A palette-based one does, kept until the mode says otherwise.
    View->PaletteScreen = true;
    View->UpdatePaletteInfo();
    const HPALETTE handle = View->GetPalette();
    ASSERT_NE(handle, 0u);
    ASSERT_NE(GetPaletteEntries(handle), nullptr);
    EXPECT_EQ(GetPaletteEntries(handle)->palNumEntries(), 216);
    EXPECT_EQ(View->GetLogPalette()->palNumEntries(), 216);
    View->UpdatePaletteInfo();
    EXPECT_EQ(View->GetPalette(), handle);
    View->SetDoInPaletteMode(rvpaDoNothing);
    EXPECT_EQ(View->GetPalette(), 0u);
    EXPECT_EQ(View->GetLogPalette(), nullptr);
    EXPECT_EQ(GetPaletteEntries(handle), nullptr) << "the handle was deleted";
    View->SetDoInPaletteMode(rvpaCreateCopiesEx);
    EXPECT_NE(View->GetPalette(), 0u) << "freed with the control";
}

TEST_F(RVScrollerTest, ChosenDataAndItsEditor)
{
    TTestRVData root;
    TTestSubRVData cell(&root);
    TTestSubRVData other(&root);
    TChosenItem item(&root);
    auto* editor = new TTestScroller(View);
    editor->SetParent(View);
    editor->SetBounds(10, 40, 50, 20);

    View->Editor = editor;
    View->EditorData = &cell;
    View->AssignChosenRVData(&cell, &item);
    EXPECT_EQ(View->ChosenRVData(), &cell);
    EXPECT_EQ(View->ChosenItem(), &item);
    EXPECT_EQ(View->GetChosenRVData(), &cell);
    EXPECT_EQ(View->GetInplaceEditor(), editor);
    EXPECT_EQ(editor->Tag(), 40) << "the editor's Y is kept in its Tag";

    // Unassigning other data does nothing.
    View->UnassignChosenRVData(&other);
    EXPECT_EQ(View->ChosenRVData(), &cell);
    View->UnassignChosenRVData(&cell);
    EXPECT_EQ(View->ChosenRVData(), nullptr);
    EXPECT_EQ(View->ChosenItem(), nullptr);
    ASSERT_EQ(View->Deselected.size(), 1u);
    EXPECT_EQ(View->Deselected[0], &cell);
    EXPECT_EQ(item.CleanUps, 1);
    EXPECT_EQ(View->GetInplaceEditor(), nullptr);

    // Choosing another sub-document frees the editor of the one before.
    View->AssignChosenRVData(&cell, &item);
    View->AssignChosenRVData(&other, nullptr);
    View->Editor = nullptr;
    EXPECT_EQ(View->ControlCount(), 0) << "the in-place editor was freed";
    EXPECT_EQ(View->ChosenRVData(), &other);
    EXPECT_EQ(item.CleanUps, 2);
    View->SilentReplaceChosenRVData(nullptr);
    EXPECT_EQ(View->ChosenRVData(), nullptr);
    EXPECT_EQ(View->ChosenItem(), nullptr);
    EXPECT_EQ(View->Deselected.size(), 2u);
}

TEST_F(RVScrollerTest, FocusGoesOnToTheInplaceEditor)
{
    TTestRVData root;
    TTestSubRVData cell(&root);
    auto* editor = new TTestScroller(View);
    editor->SetParent(View);
    editor->SetBounds(10, 10, 50, 20);
    auto* other = new TTestScroller(Form);
    other->SetParent(Form);
    other->SetBounds(0, 150, 100, 50);

    other->SetFocus();
    EXPECT_FALSE(View->FocusedEx());
    View->Editor = editor;
    View->EditorData = &cell;
    View->AssignChosenRVData(&cell, nullptr);
    View->SetFocus();
    EXPECT_TRUE(editor->Focused());
    EXPECT_TRUE(View->FocusedEx());
    View->Editor = nullptr;
    View->SetFocus();
    EXPECT_TRUE(View->Focused());
    EXPECT_TRUE(View->FocusedEx());
    View->SilentReplaceChosenRVData(nullptr);

    other->SetFocusSilent();
    EXPECT_EQ(Form->ActiveControl(), other);
}
