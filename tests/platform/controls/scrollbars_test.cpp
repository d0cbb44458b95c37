// Scroll bars: the platform's clamping, showing and hiding with the client area
// and WM_SIZE following at once, disable-no-scroll, 32-bit positions, the bar
// on the left, and the messages that using a bar sends.
#include <gtest/gtest.h>

#include <vector>

#include "platform/controls/controls.h"
#include "platform/controls/forms.h"
#include "platform/controls/scrollbars.h"
#include "platform/controls/syntheticinput.h"
#include "platform/controls/winapi.h"

namespace {

struct TScrollRecord {
    UINT Msg;
    int Code;
    int Pos;
    int TrackPos; // what SIF_TRACKPOS gave while the message was handled
};

// A window that shows a document Height units high, a page at a time, and
// answers scroll requests the way the viewers do.
class TScroller : public TCustomControl {
public:
    explicit TScroller(TComponent* AOwner) : TCustomControl(AOwner) {}

    std::vector<TScrollRecord> Scrolls;
    std::vector<TSize> Sizes; // client sizes seen in WM_SIZE
    bool Respond = true;
    bool LeftBar = false;
    int DocumentHeight = 0; // 0: the window does not set its bars on WM_SIZE

    int Pos() { return GetScrollPos(Handle(), SB_VERT); }
    void UpdateBars()
    {
        // Setting the bar shows or hides it, which sends WM_SIZE, which comes back here.
        if (FUpdating || !HandleAllocated() || DocumentHeight == 0)
            return;
        FUpdating = true;
        SCROLLINFO info;
        info.fMask = SIF_RANGE | SIF_PAGE;
        info.nMin = 0;
        info.nMax = DocumentHeight - 1;
        info.nPage = static_cast<UINT>(ClientHeight());
        SetScrollInfo(Handle(), SB_VERT, &info, true);
        FUpdating = false;
    }

protected:
    void CreateParams(TCreateParams& Params) override
    {
        TCustomControl::CreateParams(Params);
        Params.Style |= WS_VSCROLL | WS_HSCROLL;
        if (LeftBar)
            Params.ExStyle |= WS_EX_LEFTSCROLLBAR;
    }
    void Dispatch(TMessage& Message) override
    {
        switch (Message.Msg) {
        case WM_VSCROLL:
        case WM_HSCROLL:
            OnScroll(Message);
            return;
        case WM_SIZE:
            Sizes.push_back(TSize{LOWORD(Message.LParam), HIWORD(Message.LParam)});
            UpdateBars();
            break;
        default:
            break;
        }
        TCustomControl::Dispatch(Message);
    }

private:
    void OnScroll(TMessage& Message)
    {
        const int code = LOWORD(Message.WParam);
        const int pos = static_cast<int16_t>(HIWORD(Message.WParam));
        SCROLLINFO track;
        track.fMask = SIF_TRACKPOS;
        GetScrollInfo(Handle(), Message.Msg == WM_VSCROLL ? SB_VERT : SB_HORZ, &track);
        Scrolls.push_back({Message.Msg, code, pos, track.nTrackPos});
        if (!Respond || Message.Msg != WM_VSCROLL)
            return;
        int target = Pos();
        switch (code) {
        case SB_LINEDOWN:
            ++target;
            break;
        case SB_LINEUP:
            --target;
            break;
        case SB_PAGEDOWN:
            target += ClientHeight();
            break;
        case SB_PAGEUP:
            target -= ClientHeight();
            break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: {
            SCROLLINFO info;
            info.fMask = SIF_TRACKPOS;
            GetScrollInfo(Handle(), SB_VERT, &info);
            target = info.nTrackPos;
            break;
        }
        case SB_TOP:
            target = 0;
            break;
        case SB_BOTTOM:
            target = DocumentHeight;
            break;
        default:
            return;
        }
        SetScrollPos(Handle(), SB_VERT, target, true);
    }
    bool FUpdating = false;
};

class ScrollBarsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Form = new TForm(nullptr);
        Form->SetBounds(0, 0, 400, 300);
        View = new TScroller(Form);
        View->SetBounds(0, 0, 200, 100);
        View->SetParent(Form);
        Form->Show();
        Bar = GetSystemMetrics(SM_CXVSCROLL);
    }
    void TearDown() override { Form->Free(); }

    SCROLLINFO Info(HWND Wnd, int Which = SB_VERT)
    {
        SCROLLINFO info;
        info.fMask = SIF_ALL;
        GetScrollInfo(Wnd, Which, &info);
        return info;
    }
    void SetRange(int Min, int Max, int Page, UINT Extra = 0)
    {
        SCROLLINFO info;
        info.fMask = SIF_RANGE | SIF_PAGE | Extra;
        info.nMin = Min;
        info.nMax = Max;
        info.nPage = static_cast<UINT>(Page);
        SetScrollInfo(View->Handle(), SB_VERT, &info, true);
    }
    bool VBarShown() { return (GetWindowLong(View->Handle(), GWL_STYLE) & WS_VSCROLL) != 0; }

    TForm* Form = nullptr;
    TScroller* View = nullptr;
    int Bar = 0;
};

} // namespace

TEST_F(ScrollBarsTest, PositionIsClampedToTheLastPage)
{
    SetRange(0, 99, 10);
    const HWND wnd = View->Handle();
    EXPECT_EQ(SetScrollPos(wnd, SB_VERT, 95, true), 0);
    EXPECT_EQ(GetScrollPos(wnd, SB_VERT), 90);
    SetScrollPos(wnd, SB_VERT, -5, true);
    EXPECT_EQ(GetScrollPos(wnd, SB_VERT), 0);
    // A page of 0 counts as 1.
    SetRange(0, 99, 0);
    SetScrollPos(wnd, SB_VERT, 500, true);
    EXPECT_EQ(GetScrollPos(wnd, SB_VERT), 99);
    // Shrinking the range pulls the position back in.
    SetRange(10, 50, 20);
    EXPECT_EQ(GetScrollPos(wnd, SB_VERT), 31);
    const SCROLLINFO info = Info(wnd);
    EXPECT_EQ(info.nMin, 10);
    EXPECT_EQ(info.nMax, 50);
    EXPECT_EQ(info.nPage, 20u);
    EXPECT_EQ(info.nTrackPos, 31);
    // A page beyond the range is cut to it.
    SetRange(0, 9, 50);
    EXPECT_EQ(Info(wnd).nPage, 10u);
}

TEST_F(ScrollBarsTest, BarShowsAndHidesAtOnceWithWmSize)
{
    EXPECT_FALSE(VBarShown());
    EXPECT_EQ(View->ClientWidth(), 200);
    View->Sizes.clear();
    SetRange(0, 499, 100);
    // Before SetScrollInfo returned, the client area shrank and WM_SIZE told so.
    EXPECT_TRUE(VBarShown());
    EXPECT_EQ(View->ClientWidth(), 200 - Bar);
    ASSERT_EQ(View->Sizes.size(), 1u);
    EXPECT_EQ(View->Sizes[0].cx, 200 - Bar);
    // Setting the same state again sends nothing.
    SetRange(0, 499, 100);
    EXPECT_EQ(View->Sizes.size(), 1u);
    // The page covers the range: hidden again.
    SetRange(0, 1, 2);
    EXPECT_FALSE(VBarShown());
    EXPECT_EQ(View->ClientWidth(), 200);
    ASSERT_EQ(View->Sizes.size(), 2u);
    EXPECT_EQ(View->Sizes[1].cx, 200);
}

TEST_F(ScrollBarsTest, DisableNoScrollKeepsTheBarShownButDisabled)
{
    SetRange(0, 49, 100, SIF_DISABLENOSCROLL);
    EXPECT_TRUE(VBarShown());
    EXPECT_EQ(View->ClientWidth(), 200 - Bar);
    // Using a disabled bar is not possible, but the state reads as set.
    EXPECT_EQ(Info(View->Handle()).nMax, 49);
    // Without the flag the same range hides it.
    SetRange(0, 49, 100);
    EXPECT_FALSE(VBarShown());
}

TEST_F(ScrollBarsTest, AWindowThatResizesWithItsBarsSettles)
{
    View->DocumentHeight = 150;
    View->UpdateBars();
    // The bar showed, the client area narrowed, the window set its bar again: one
    // WM_SIZE, and the state matches the final client area.
    EXPECT_TRUE(VBarShown());
    EXPECT_EQ(Info(View->Handle()).nPage, 100u);
    View->SetBounds(0, 0, 200, 200);
    EXPECT_FALSE(VBarShown());
    EXPECT_EQ(View->ClientWidth(), 200);
    View->SetBounds(0, 0, 200, 120);
    EXPECT_TRUE(VBarShown());
    EXPECT_EQ(Info(View->Handle()).nPage, 120u);
}

TEST_F(ScrollBarsTest, PositionsAreThirtyTwoBit)
{
    const HWND wnd = View->Handle();
    SetRange(0, 100000000, 1000);
    SetScrollPos(wnd, SB_VERT, 70000000, true);
    EXPECT_EQ(GetScrollPos(wnd, SB_VERT), 70000000);
    View->Respond = false;
    ASSERT_TRUE(SimulateScrollBar(View, SB_VERT, SB_THUMBTRACK, 80000123));
    ASSERT_FALSE(View->Scrolls.empty());
    // The message carries 16 bits; the track position all of them.
    EXPECT_EQ(View->Scrolls.back().Pos, static_cast<int16_t>(80000123 & 0xFFFF));
    SCROLLINFO info;
    info.fMask = SIF_TRACKPOS;
    GetScrollInfo(wnd, SB_VERT, &info);
    EXPECT_EQ(info.nTrackPos, 80000123);
    EXPECT_EQ(GetScrollPos(wnd, SB_VERT), 70000000) << "the window did not move";
}

TEST_F(ScrollBarsTest, TheTrackPositionHoldsUntilTheThumbPositionIsHandled)
{
    const HWND wnd = View->Handle();
    SetRange(0, 100000000, 1000);
    SetScrollPos(wnd, SB_VERT, 70000000, true);
    // A window that moves only when the thumb is let go.
    View->Respond = false;
    ASSERT_TRUE(SimulateScrollBar(View, SB_VERT, SB_THUMBTRACK, 80000123));
    ASSERT_TRUE(SimulateScrollBar(View, SB_VERT, SB_THUMBPOSITION, 80000500));
    ASSERT_EQ(View->Scrolls.size(), 4u);
    EXPECT_EQ(View->Scrolls[0].TrackPos, 80000123);
    EXPECT_EQ(View->Scrolls[1].TrackPos, 80000500);
    EXPECT_EQ(View->Scrolls[2].Code, SB_THUMBPOSITION);
    EXPECT_EQ(View->Scrolls[2].TrackPos, 80000500) << "the full position the thumb was let go at";
    // The drag is over when SB_ENDSCROLL comes: the track position is the position again.
    EXPECT_EQ(View->Scrolls[3].Code, SB_ENDSCROLL);
    EXPECT_EQ(View->Scrolls[3].TrackPos, 70000000);
    EXPECT_EQ(Info(wnd).nTrackPos, 70000000);
}

TEST_F(ScrollBarsTest, APositionAloneNeitherShowsNorHidesABar)
{
    const HWND wnd = View->Handle();
    SetRange(0, 49, 100, SIF_DISABLENOSCROLL);
    ASSERT_TRUE(VBarShown());
    const size_t sizes = View->Sizes.size();
    SetScrollPos(wnd, SB_VERT, 10, true);
    EXPECT_TRUE(VBarShown()) << "kept shown, disabled";
    EXPECT_EQ(View->Sizes.size(), sizes) << "no WM_SIZE";
    EXPECT_EQ(GetScrollPos(wnd, SB_VERT), 0) << "clamped to the range";
    // Shown by ShowScrollBar without a range: a position keeps it.
    EXPECT_TRUE(ShowScrollBar(wnd, SB_HORZ, true));
    SetScrollPos(wnd, SB_HORZ, 5, true);
    EXPECT_TRUE(GetWindowLong(wnd, GWL_STYLE) & WS_HSCROLL);
    // A hidden bar stays hidden; a range decides again.
    SetRange(0, 49, 100);
    ASSERT_FALSE(VBarShown());
    SetScrollPos(wnd, SB_VERT, 3, true);
    EXPECT_FALSE(VBarShown());
    SetRange(0, 499, 100);
    EXPECT_TRUE(VBarShown());
}

TEST_F(ScrollBarsTest, UsingTheBarSendsTheRequestsAndTheWindowDecides)
{
    View->DocumentHeight = 1000;
    View->UpdateBars();
    ASSERT_TRUE(SimulateScrollBar(View, SB_VERT, SB_LINEDOWN));
    ASSERT_EQ(View->Scrolls.size(), 2u);
    EXPECT_EQ(View->Scrolls[0].Code, SB_LINEDOWN);
    EXPECT_EQ(View->Scrolls[1].Code, SB_ENDSCROLL);
    EXPECT_EQ(View->Pos(), 1);
    ASSERT_TRUE(SimulateScrollBar(View, SB_VERT, SB_PAGEDOWN));
    EXPECT_EQ(View->Pos(), 101);
    ASSERT_TRUE(SimulateScrollBar(View, SB_VERT, SB_BOTTOM));
    EXPECT_EQ(View->Pos(), 900);
    // A window that ignores the request keeps its position.
    View->Respond = false;
    ASSERT_TRUE(SimulateScrollBar(View, SB_VERT, SB_TOP));
    EXPECT_EQ(View->Pos(), 900);
    // Dragging the thumb: track messages, then the position and the end.
    View->Respond = true;
    View->Scrolls.clear();
    ASSERT_TRUE(SimulateScrollBar(View, SB_VERT, SB_THUMBTRACK, 300));
    ASSERT_TRUE(SimulateScrollBar(View, SB_VERT, SB_THUMBPOSITION, 400));
    ASSERT_EQ(View->Scrolls.size(), 4u);
    EXPECT_EQ(View->Scrolls[0].Code, SB_THUMBTRACK);
    EXPECT_EQ(View->Scrolls[0].Pos, 300);
    EXPECT_EQ(View->Scrolls[1].Code, SB_THUMBTRACK);
    EXPECT_EQ(View->Scrolls[1].Pos, 400);
    EXPECT_EQ(View->Scrolls[2].Code, SB_THUMBPOSITION);
    EXPECT_EQ(View->Scrolls[2].Pos, 400);
    EXPECT_EQ(View->Scrolls[3].Code, SB_ENDSCROLL);
    EXPECT_EQ(View->Pos(), 400);
    // A hidden bar cannot be used.
    EXPECT_FALSE(SimulateScrollBar(View, SB_HORZ, SB_LINEDOWN));
}

TEST_F(ScrollBarsTest, RightToLeftWindowsHaveTheBarOnTheLeft)
{
    auto* rtl = new TScroller(Form);
    rtl->LeftBar = true;
    rtl->SetBounds(0, 150, 200, 100);
    rtl->SetParent(Form);
    const TPoint before = rtl->ClientToScreen(TPoint{0, 0});
    SCROLLINFO info;
    info.fMask = SIF_RANGE | SIF_PAGE;
    info.nMax = 999;
    info.nPage = 100;
    SetScrollInfo(rtl->Handle(), SB_VERT, &info, true);
    const TPoint after = rtl->ClientToScreen(TPoint{0, 0});
    EXPECT_EQ(after.X - before.X, Bar);
    EXPECT_EQ(rtl->ClientWidth(), 200 - Bar);
    // Left-to-right: the client area keeps its origin.
    const TPoint ltrBefore = View->ClientToScreen(TPoint{0, 0});
    SetRange(0, 999, 100);
    EXPECT_EQ(View->ClientToScreen(TPoint{0, 0}).X, ltrBefore.X);
}

TEST_F(ScrollBarsTest, BadHandlesAndBarsFail)
{
    SCROLLINFO info;
    info.fMask = SIF_ALL;
    EXPECT_FALSE(GetScrollInfo(nullptr, SB_VERT, &info));
    EXPECT_FALSE(GetScrollInfo(View->Handle(), SB_CTL, &info));
    EXPECT_EQ(SetScrollInfo(View->Handle(), SB_VERT, nullptr, true), 0);
    EXPECT_EQ(GetScrollPos(nullptr, SB_VERT), 0);
}
