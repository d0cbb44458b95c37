// TCustomRollView input: the message map, keys and Tab navigation, focus, the
// mouse passed to the root data, the auto-scroll timer of a drag selection,
// scrolling hooks, shortcuts and the chosen sub-document's hooks.
#include "document/rvstyle.h"
#include "platform/controls/forms.h"
#include "platform/controls/winapi.h"
#include "view/rollview.h"
#include <algorithm>
#include <exception>
#include <vector>

namespace {

// The auto-scroll step for a pointer at Pos along an axis of Size pixels:
// none inside, one unit up to 20 pixels outside, ten beyond.
int AutoScrollStep(int pos, int size)
{
    if (pos < -20)
        return -10;
    if (pos < 0)
        return -1;
    if (pos <= size)
        return 0;
    if (pos <= size + 20)
        return 1;
    return 10;
}

constexpr uintptr_t ScrollTimerId = 1;

} // namespace

void TCustomRollView::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case WM_ERASEBKGND:
        // Painting covers every pixel.
        message.Result = 1;
        return;
    case WM_SIZE:
        WMSize(message);
        return;
    case WM_GETDLGCODE:
        WMGetDlgCode(message);
        return;
    case WM_COPY:
        WMCopy(message);
        return;
    case WM_SETFOCUS:
        WMSetFocus(message);
        return;
    case WM_KILLFOCUS:
        WMKillFocus(message);
        return;
    case WM_TIMER:
        WMTimer(message);
        return;
    case WM_DESTROY:
        WMDestroy(message);
        return;
    case CM_MOUSELEAVE:
        RVData->MouseLeave();
        TRVScroller::Dispatch(message);
        return;
    case WM_RVEVENT:
        WMRVEvent(message);
        return;
    case WM_RVGIVENOTICES:
        // A command that ended without a change left its notices held.
        if (!TRVNoticeHold::Any())
            EndCommandNotices();
        return;
    default:
        TRVScroller::Dispatch(message);
        return;
    }
}

void TCustomRollView::Loaded()
{
    TRVScroller::Loaded();
    UpdatePaletteInfo();
    Format();
}

// ---------------------------------------------------------------------------
// Keys and focus

void TCustomRollView::KeyDown(WORD& key, TShiftState shift)
{
    const uint64_t changes = DocumentChanges();
    TRVScroller::KeyDown(key, shift);
    if (InputTakenOver(changes))
        return;
    if (IsCopyShortcut(shift, key) && HandleAllocated())
        SendMessage(Handle(), WM_COPY, 0, 0);
    const TRVTabNavigationType navigation = TabNavigation();
    if (navigation != rvtnNone && key == VK_TAB && !shift.Contains(ssAlt) &&
        (shift.Contains(ssCtrl) ? navigation == rvtnCtrlTab : navigation == rvtnTab)) {
        RVData->State.Exclude(rvstDoNotTab);
        RVData->DoTabNavigation(!shift.Contains(ssShift), this);
    }
    if (key == VK_RETURN)
        RVData->ExecuteFocused();
}

void TCustomRollView::WMGetDlgCode(TMessage& message)
{
    message.Result = DLGC_WANTARROWS;
    if (TabNavigation() != rvtnNone) {
        message.Result |= DLGC_WANTTAB;
        if (RVData->FocusedItemNo != -1)
            message.Result |= DLGC_WANTALLKEYS;
    }
}

void TCustomRollView::WMCopy(TMessage&)
{
    // A cell being edited copies its own selection; otherwise the document
    // copies in the formats its options choose.
    TWinControl* editor = GetInplaceEditor();
    if (editor) {
        if (editor->HandleAllocated())
            PostMessage(editor->Handle(), WM_COPY, 0, 0);
        return;
    }
    CopyDef();
}

void TCustomRollView::WMSetFocus(TMessage& message)
{
    TRVScroller::Dispatch(message);
    if (ComponentState() & csDestroying)
        return;
    if (TabNavigation() != rvtnNone) {
        const HWND previous = reinterpret_cast<HWND>(message.WParam);
        if (!previous)
            RVData->State.Include(rvstDoNotTab);
        TWinControl* prevControl = previous ? FindControl(previous) : nullptr;
        RVData->DoTabNavigation(GetKeyState(VK_SHIFT) >= 0, prevControl);
    }
    if (SelectionColorsDiffer())
        Invalidate();
}

void TCustomRollView::WMKillFocus(TMessage& message)
{
    TRVScroller::Dispatch(message);
    if (SelectionColorsDiffer())
        Invalidate();
}

bool TCustomRollView::IsCopyShortcut(TShiftState shift, WORD key)
{
    return shift.Contains(ssCtrl) && (key == 'C' || key == VK_INSERT) && !shift.Contains(ssAlt);
}

bool TCustomRollView::IsCutShortcut(TShiftState shift, WORD key)
{
    return (shift.Contains(ssCtrl) && key == 'X' && !shift.Contains(ssAlt)) ||
           (shift.Contains(ssShift) && key == VK_DELETE);
}

bool TCustomRollView::IsPasteShortcut(TShiftState shift, WORD key)
{
    return (shift.Contains(ssCtrl) && key == 'V' && !shift.Contains(ssAlt)) ||
           (shift.Contains(ssShift) && key == VK_INSERT);
}

void TCustomRollView::SelectNext_(bool goForward)
{
    SelectNext(nullptr, goForward, true);
}

// ---------------------------------------------------------------------------
// Mouse

void TCustomRollView::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    if (!GetInplaceEditor()) {
        // The focus comes with the click, not from Tab navigation.
        RVData->State.Include(rvstDoNotTab);
        if (!shift.Contains(ssDouble) && HandleAllocated())
            ::SetFocus(Handle());
    }
    const uint64_t changes = DocumentChanges();
    TRVScroller::MouseDown(button, shift, x, y);
    if (InputTakenOver(changes))
        return;
    RVData->MouseDown(button, shift, x, y);
    if (button == mbLeft)
        ActivateScrollTimer();
}

uint64_t TCustomRollView::DocumentChanges()
{
    TCustomRVData* root = RVData != nullptr ? RVData->GetAbsoluteRootData() : nullptr;
    return root != nullptr ? root->ChangeCount() : 0;
}

bool TCustomRollView::InputTakenOver(uint64_t changes)
{
    return !Visible() || Parent() == nullptr || DocumentChanges() != changes;
}

void TCustomRollView::MouseMove(TShiftState shift, int x, int y)
{
    // Set on every move; only the timer, running while the left button is
    // down, makes them act.
    ScrollDeltaY = AutoScrollStep(y, ClientHeight());
    ScrollDeltaX = AutoScrollStep(x, ClientWidth());
    const uint64_t changes = DocumentChanges();
    TRVScroller::MouseMove(shift, x, y);
    if (!InputTakenOver(changes))
        RVData->MouseMove(shift, x, y);
}

void TCustomRollView::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    const uint64_t changes = DocumentChanges();
    TRVScroller::MouseUp(button, shift, x, y);
    if (button == mbLeft && FScrollTimerActive) {
        if (HandleAllocated())
            KillTimer(Handle(), ScrollTimerId);
        FScrollTimerActive = false;
    }
    if (!InputTakenOver(changes))
        RVData->MouseUp(button, shift, x, y);
}

void TCustomRollView::DblClick()
{
    RVData->DblClick();
    TRVScroller::DblClick();
}

void TCustomRollView::ActivateScrollTimer()
{
    if (FScrollTimerActive || !HandleAllocated())
        return;
    SetTimer(Handle(), ScrollTimerId, 100);
    FScrollTimerActive = true;
}

void TCustomRollView::WMTimer(TMessage& message)
{
    if (message.WParam != ScrollTimerId) {
        TRVScroller::Dispatch(message);
        return;
    }
    if (ScrollDeltaY != 0)
        SetVScrollPos(VPos() + ScrollDeltaY);
    if (ScrollDeltaX != 0)
        SetHPos(HPos() + ScrollDeltaX);
    if (ScrollDeltaY != 0 || ScrollDeltaX != 0) {
        // The selection follows the pointer while the view moves under it.
        RVData->OnTimerScroll();
        GenerateMouseMove();
    }
}

void TCustomRollView::WMDestroy(TMessage& message)
{
    if (FScrollTimerActive) {
        if (HandleAllocated())
            KillTimer(Handle(), ScrollTimerId);
        FScrollTimerActive = false;
    }
    TRVScroller::Dispatch(message);
}

void TCustomRollView::GenerateMouseMove()
{
    if (!HandleAllocated())
        return;
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    TShiftState shift;
    const auto down = [&keys](int key) { return (keys[key] & 0x80) != 0; };
    if (down(VK_SHIFT))
        shift.Include(ssShift);
    if (down(VK_CONTROL))
        shift.Include(ssCtrl);
    if (down(VK_MENU))
        shift.Include(ssAlt);
    if (down(VK_LBUTTON))
        shift.Include(ssLeft);
    if (down(VK_RBUTTON))
        shift.Include(ssRight);
    if (down(VK_MBUTTON))
        shift.Include(ssMiddle);
    TPoint p;
    if (!GetCursorPos(p))
        return;
    p = ScreenToClient(p);
    if (p.X >= 0 && p.X < ClientWidth() && p.Y >= 0 && p.Y < ClientHeight())
        MouseMove(shift, p.X, p.Y);
}

// ---------------------------------------------------------------------------
// Scrolling hooks and the chosen sub-document

void TCustomRollView::AfterVScroll()
{
    TRVScroller::AfterVScroll();
    GenerateMouseMove();
    RVData->AfterVScroll();
    InplaceRedrawing(false);
}

void TCustomRollView::AfterHScroll()
{
    TRVScroller::AfterHScroll();
    GenerateMouseMove();
    InplaceRedrawing(false);
}

void TCustomRollView::DeselectChosenData(TCustomRVData* data)
{
    if (auto* formatted = dynamic_cast<TCustomRVFormattedData*>(data))
        formatted->Deselect(nullptr, false);
}

TWinControl* TCustomRollView::GetChosenDataEditor(TCustomRVData* data)
{
    auto* formatted = dynamic_cast<TCustomRVFormattedData*>(data);
    return formatted ? formatted->GetEditor() : nullptr;
}

// ---------------------------------------------------------------------------
// Notices a command holds back

namespace {

int GNoticeHolds = 0;
// The viewers whose notices a TRVNoticeHold keeps (a viewer freed meanwhile
// takes itself out).
std::vector<TCustomRollView*>& NoticeWaiters()
{
    static auto* waiters = new std::vector<TCustomRollView*>;
    return *waiters;
}

} // namespace

TRVNoticeHold::TRVNoticeHold() noexcept : FExceptions(std::uncaught_exceptions())
{
    ++GNoticeHolds;
}

TRVNoticeHold::~TRVNoticeHold() noexcept(false)
{
    if (--GNoticeHolds > 0)
        return;
    std::vector<TCustomRollView*> waiters = std::move(NoticeWaiters());
    NoticeWaiters().clear();
    if (std::uncaught_exceptions() > FExceptions)
        return;
    // An editor's command around the operation gives its own at its end.
    for (TCustomRollView* viewer : waiters)
        if (!viewer->CommandRunning())
            viewer->EndCommandNotices();
}

bool TRVNoticeHold::Any()
{
    return GNoticeHolds > 0;
}

bool TCustomRollView::HoldNotice(TRVNotice notice)
{
    if (!FCommandRunning && GNoticeHolds == 0)
        return false;
    if (FNoticesHeld == 0) {
        if (GNoticeHolds > 0)
            NoticeWaiters().push_back(this);
        if (HandleAllocated())
            PostMessage(Handle(), WM_RVGIVENOTICES, 0, 0);
    }
    FNoticesHeld |= notice;
    return true;
}

void TCustomRollView::ForgetHeldNotices()
{
    std::vector<TCustomRollView*>& waiters = NoticeWaiters();
    waiters.erase(std::remove(waiters.begin(), waiters.end(), this), waiters.end());
    FNoticesHeld = 0;
}

void TCustomRollView::EndCommandNotices()
{
    FCommandRunning = false;
    const unsigned held = FNoticesHeld;
    FNoticesHeld = 0;
    for (const TRVNotice notice : {rvnSelect, rvnParaStyle, rvnTextStyle, rvnCaret})
        if ((held & notice) != 0 && !(ComponentState() & csDestroying))
            GiveNotice(notice);
}

void TCustomRollView::GiveNotice(TRVNotice notice)
{
    if (notice == rvnSelect && HandleAllocated() && OnSelect)
        OnSelect(this);
}
