// TRVScroller: scroll ranges and bars, positions, moving the window's contents
// and children, and the scroll-bar messages, keys and wheel that change them.
// Window creation, palette, theme, focus and the chosen sub-document are in
// rvscroll_window.cpp.
#include "view/rvscroll.h"

#include <algorithm>
#include <climits>

#include "platform/controls/winapi.h"
#include "platform/core/numbers.h"

TRVScrollBarFunctions RVScrollBarFunctions = {
    ::ShowScrollBar, ::GetScrollInfo, ::GetScrollPos, ::SetScrollPos, ::SetScrollInfo, ::EnableScrollBar,
};

namespace {

// Pos kept at most at the last position of a bar (Max less the page) and at least at 0.
int ClampPos(int pos, int max, int page)
{
    const int64_t last = static_cast<int64_t>(max) - (page - 1);
    return RV_Clamp32(std::max<int64_t>(std::min<int64_t>(pos, last), 0));
}

} // namespace

// ---------------------------------------------------------------------------
// Ranges and bars

void TRVScroller::UpdateScrollBars(int width, int height, bool updateH, bool allowDisableNoScroll)
{
    if (FUpdatingScrollBars || !HandleAllocated())
        return;
    FUpdatingScrollBars = true;
    struct TGuard {
        bool& Flag;
        ~TGuard() { Flag = false; }
    } guard{FUpdatingScrollBars};

    // A bar that shows or hides changes the client area, and with it the other
    // bar's page: the pages are set again until they match the client area (a
    // bar can change the other at most once each way).
    for (int round = 0; round < 3 && HandleAllocated(); ++round) {
        const TRect client = ClientRect();
        SetBars(width, height, updateH, allowDisableNoScroll);
        if (!HandleAllocated() || ClientRect() == client)
            break;
    }
}

void TRVScroller::SetBars(int width, int height, bool updateH, bool allowDisableNoScroll)
{
    const UINT mask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS;
    if (updateH) {
        FHRange = width;
        // A page of at least one pixel, so that page scrolling always moves.
        FHPage = std::max(ClientWidth(), 1);
        FHMax = RV_Clamp32(static_cast<int64_t>(width) - 1);
        if (FHScrollVisible) {
            FHPos = ClampPos(FHPos, FHMax, FHPage);
            SCROLLINFO info;
            info.fMask = mask;
            info.nMin = 0;
            info.nMax = FHMax;
            info.nPage = static_cast<UINT>(FHPage);
            info.nPos = FHPos;
            RVScrollBarFunctions.SetScrollInfo(Handle(), SB_HORZ, &info, true);
        } else {
            HideBar(SB_HORZ);
        }
        // Showing or hiding the bar may have taken the window with it (WM_SIZE).
        if (!HandleAllocated())
            return;
    }

    FVRange = height;
    // The page is at least one unit, whatever the client height and the step, so
    // that Page Up and Page Down always move.
    FVPage = std::max(ClientHeight() / FVSmallStep, 1);
    FVMax = RV_Clamp32(static_cast<int64_t>(height) - 1);
    FVPos = ClampPos(FVPos, FVMax, FVPage);
    if (FVScrollVisible) {
        SCROLLINFO info;
        info.fMask = mask;
        if ((allowDisableNoScroll && FDisableNoScroll) || FVScrollKept)
            info.fMask |= SIF_DISABLENOSCROLL;
        info.nMin = 0;
        info.nMax = FVMax;
        info.nPage = static_cast<UINT>(FVPage);
        info.nPos = FVPos;
        RVScrollBarFunctions.SetScrollInfo(Handle(), SB_VERT, &info, true);
    } else {
        HideBar(SB_VERT);
    }
}

void TRVScroller::HideBar(int bar)
{
    SCROLLINFO info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS;
    RVScrollBarFunctions.GetScrollInfo(Handle(), bar, &info);
    if (info.nMin == 0 && info.nMax == 1 && info.nPage == 0 && info.nPos == 0)
        return;
    // A page larger than the range hides the bar.
    info.nMin = 0;
    info.nMax = 1;
    info.nPage = 2;
    info.nPos = 0;
    RVScrollBarFunctions.SetScrollInfo(Handle(), bar, &info, true);
}

int TRVScroller::GetVScrollMax()
{
    if (FVScrollVisible && HandleAllocated()) {
        SCROLLINFO info;
        info.fMask = SIF_RANGE | SIF_PAGE;
        if (RVScrollBarFunctions.GetScrollInfo(Handle(), SB_VERT, &info))
            return ClampPos(INT_MAX, info.nMax, std::max(static_cast<int>(info.nPage), 1));
    }
    return ClampPos(INT_MAX, FVMax, FVPage);
}

int TRVScroller::GetHScrollMax()
{
    if (FHScrollVisible && HandleAllocated()) {
        SCROLLINFO info;
        info.fMask = SIF_RANGE | SIF_PAGE;
        if (RVScrollBarFunctions.GetScrollInfo(Handle(), SB_HORZ, &info))
            return ClampPos(INT_MAX, info.nMax, std::max(static_cast<int>(info.nPage), 1));
    }
    return ClampPos(INT_MAX, FHMax, FHPage);
}

void TRVScroller::SetVScrollVisible(bool value)
{
    if (FVScrollVisible == value)
        return;
    FVScrollVisible = value;
    UpdateScrollBars(FHRange, FVRange, true, true);
}

void TRVScroller::SetHScrollVisible(bool value)
{
    if (FHScrollVisible == value)
        return;
    FHScrollVisible = value;
    UpdateScrollBars(FHRange, FVRange, true, true);
}

void TRVScroller::SetVSmallStep(int value)
{
    if (value < 1 || value == FVSmallStep)
        return;
    // The same document pixel stays at the top of the view (as nearly as the new
    // unit allows); what the rounding moves, the child controls follow.
    const int64_t pixels = static_cast<int64_t>(FVPos) * FVSmallStep;
    FVSmallStep = value;
    FVPos = RV_Clamp32(pixels / value);
    ScrollChildren(0, RV_Clamp32(pixels - static_cast<int64_t>(FVPos) * value));
}

// ---------------------------------------------------------------------------
// Positions

void TRVScroller::SetVPos(int pos, bool redraw)
{
    if (!HandleAllocated())
        return;
    const int old = FVPos;
    FVPos = pos;
    if (FVScrollVisible) {
        // The platform's clamping to the bar's range and page applies.
        SCROLLINFO info;
        info.fMask = SIF_POS;
        info.nPos = FVPos;
        RVScrollBarFunctions.SetScrollInfo(Handle(), SB_VERT, &info, true);
        info.fMask = SIF_POS;
        if (HandleAllocated() && RVScrollBarFunctions.GetScrollInfo(Handle(), SB_VERT, &info))
            FVPos = info.nPos;
    } else {
        FVPos = ClampPos(FVPos, FVMax, FVPage);
    }
    if (FVPos == old)
        return;
    ScrollContents(0, (static_cast<int64_t>(old) - FVPos) * FVSmallStep, redraw);
    AfterVScroll();
}

void TRVScroller::SetHPos(int pos)
{
    if (!HandleAllocated())
        return;
    const int old = FHPos;
    FHPos = pos;
    if (FHScrollVisible) {
        SCROLLINFO info;
        info.fMask = SIF_POS;
        info.nPos = FHPos;
        RVScrollBarFunctions.SetScrollInfo(Handle(), SB_HORZ, &info, true);
        info.fMask = SIF_POS;
        if (HandleAllocated() && RVScrollBarFunctions.GetScrollInfo(Handle(), SB_HORZ, &info))
            FHPos = info.nPos;
    } else {
        FHPos = ClampPos(FHPos, FHMax, FHPage);
    }
    if (FHPos == old)
        return;
    ScrollContents(static_cast<int64_t>(old) - FHPos, 0, true);
    AfterHScroll();
}

void TRVScroller::ScrollContents(int64_t dx, int64_t dy, bool redraw)
{
    const int x = RV_Clamp32(dx);
    const int y = RV_Clamp32(dy);
    if (!redraw) {
        ScrollChildren(x, y);
        return;
    }
    if (FFullRedrawOnScroll || !HandleAllocated()) {
        ScrollChildren(x, y);
        Refresh();
        return;
    }
    // Move the pixels that stay visible; only the uncovered strip is painted,
    // before this returns.
    const TRect client = ClientRect();
    ScrollWindowEx(Handle(), x, y, nullptr, &client, nullptr, nullptr, SW_INVALIDATE);
    ScrollChildren(x, y);
    Update();
}

void TRVScroller::ScrollChildren(int dx, int dy)
{
    if (dx == 0 && dy == 0)
        return;
    for (int i = 0; i < ControlCount(); ++i) {
        TControl* child = Controls(i);
        if (dy != 0) {
            child->SetTag(RV_Clamp32(static_cast<int64_t>(child->Tag()) + dy));
            RV_Tag2Y(child);
        }
        if (dx != 0)
            child->SetLeft(RV_Clamp32(static_cast<int64_t>(child->Left()) + dx));
    }
}

void TRVScroller::AfterVScroll()
{
    if (OnVScrolled)
        OnVScrolled(this);
}

void TRVScroller::AfterHScroll()
{
    if (OnHScrolled)
        OnHScrolled(this);
}

int RV_GetYByTag(const TControl* control)
{
    return std::clamp(control->Tag(), -10000, 10000);
}

void RV_Tag2Y(TControl* control)
{
    control->SetTop(RV_GetYByTag(control));
}

// ---------------------------------------------------------------------------
// Scroll-bar messages, keys and the wheel

int TRVScroller::ThumbPosition(int bar, WPARAM wParam)
{
    // The message carries only the low 16 bits of the thumb's position; the bar
    // knows all of them while the thumb is dragged. Its track position is taken
    // when it agrees with the message, else the last one seen during the drag,
    // else the message's bits as an unsigned number (a position is never negative).
    const WORD low = HIWORD(wParam);
    int& lastTrack = FLastThumbTrack[bar == SB_VERT ? 1 : 0];
    SCROLLINFO info;
    info.fMask = SIF_TRACKPOS;
    if (HandleAllocated() && RVScrollBarFunctions.GetScrollInfo(Handle(), bar, &info) &&
        LOWORD(static_cast<uint32_t>(info.nTrackPos)) == low) {
        lastTrack = info.nTrackPos;
        return info.nTrackPos;
    }
    if (LOWORD(static_cast<uint32_t>(lastTrack)) == low)
        return lastTrack;
    return low;
}

void TRVScroller::WMVScroll(TMessage& message)
{
    WMScroll(true, message);
}

void TRVScroller::WMHScroll(TMessage& message)
{
    WMScroll(false, message);
}

// One scroll request on either bar. The two differ only in their units: the
// vertical position counts steps of FVSmallStep pixels, so a line is 1 and a
// page the client height in steps; the horizontal one counts pixels, so a line
// is FVSmallStep and a page the client width. The codes of the two bars share
// their values (SB_LINEUP is SB_LINELEFT, SB_TOP is SB_LEFT, ...).
void TRVScroller::WMScroll(bool vertical, TMessage& message)
{
    const int line = vertical ? 1 : FVSmallStep;
    const int page = vertical ? std::max(ClientHeight() / FVSmallStep, 1) : std::max(ClientWidth(), 1);
    const int64_t pos = vertical ? FVPos : FHPos;
    const auto setPos = [this, vertical](int value) {
        if (vertical)
            SetVScrollPos(value);
        else
            SetHPos(value);
    };
    switch (LOWORD(message.WParam)) {
    case SB_LINEUP:
        setPos(RV_Clamp32(pos - line));
        break;
    case SB_LINEDOWN:
        setPos(RV_Clamp32(pos + line));
        break;
    case SB_PAGEUP:
        setPos(RV_Clamp32(pos - page));
        break;
    case SB_PAGEDOWN:
        setPos(RV_Clamp32(pos + page));
        break;
    case SB_THUMBPOSITION:
        setPos(ThumbPosition(vertical ? SB_VERT : SB_HORZ, message.WParam));
        break;
    case SB_THUMBTRACK: {
        // Read even without tracking: the release that follows may need it.
        const int track = ThumbPosition(vertical ? SB_VERT : SB_HORZ, message.WParam);
        if (FTracking)
            setPos(track);
        break;
    }
    case SB_TOP:
        setPos(0);
        break;
    case SB_BOTTOM:
        setPos(vertical ? FVRange : FHRange);
        break;
    default:
        break;
    }
}

void TRVScroller::KeyDown(WORD& key, TShiftState shift)
{
    TCustomControl::KeyDown(key, shift);
    if (!FKeyboardScroll)
        return;
    // The key the OnKeyDown handler left becomes a scroll request to the window itself.
    UINT msg = WM_VSCROLL;
    int code;
    switch (key) {
    case VK_PRIOR:
        code = SB_PAGEUP;
        break;
    case VK_NEXT:
        code = SB_PAGEDOWN;
        break;
    case VK_END:
        code = SB_BOTTOM;
        break;
    case VK_HOME:
        code = SB_TOP;
        break;
    case VK_UP:
        code = SB_LINEUP;
        break;
    case VK_DOWN:
        code = SB_LINEDOWN;
        break;
    case VK_LEFT:
        msg = WM_HSCROLL;
        code = SB_LINELEFT;
        break;
    case VK_RIGHT:
        msg = WM_HSCROLL;
        code = SB_LINERIGHT;
        break;
    default:
        return;
    }
    Perform(msg, MAKEWPARAM(code, 0), 0);
}

bool TRVScroller::DoMouseWheelDown(TShiftState shift, TPoint mousePos)
{
    const bool handled = TCustomControl::DoMouseWheelDown(shift, mousePos);
    if (FWheelStep == 0)
        return handled;
    SetVScrollPos(RV_Clamp32(static_cast<int64_t>(FVPos) + FWheelStep));
    return true;
}

bool TRVScroller::DoMouseWheelUp(TShiftState shift, TPoint mousePos)
{
    const bool handled = TCustomControl::DoMouseWheelUp(shift, mousePos);
    if (FWheelStep == 0)
        return handled;
    SetVScrollPos(RV_Clamp32(static_cast<int64_t>(FVPos) - FWheelStep));
    return true;
}
