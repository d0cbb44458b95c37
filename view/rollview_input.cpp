// TCustomRollView input: the message map, keys and Tab navigation, focus, the
// mouse passed to the root data, the auto-scroll timer of a drag selection,
// scrolling hooks, shortcuts and the chosen sub-document's hooks.
#include "document/rvstyle.h"
#include "platform/controls/forms.h"
#include "platform/controls/winapi.h"
#include "view/rollview.h"

namespace {

// The auto-scroll step for a pointer at Pos along an axis of Size pixels:
// none inside, one unit up to 20 pixels outside, ten beyond.
int AutoScrollStep(int Pos, int Size)
{
    if (Pos < -20)
        return -10;
    if (Pos < 0)
        return -1;
    if (Pos <= Size)
        return 0;
    if (Pos <= Size + 20)
        return 1;
    return 10;
}

constexpr uintptr_t ScrollTimerId = 1;

} // namespace

void TCustomRollView::Dispatch(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_ERASEBKGND:
        // Painting covers every pixel.
        Message.Result = 1;
        return;
    case WM_SIZE:
        WMSize(Message);
        return;
    case WM_GETDLGCODE:
        WMGetDlgCode(Message);
        return;
    case WM_COPY:
        WMCopy(Message);
        return;
    case WM_SETFOCUS:
        WMSetFocus(Message);
        return;
    case WM_KILLFOCUS:
        WMKillFocus(Message);
        return;
    case WM_TIMER:
        WMTimer(Message);
        return;
    case WM_DESTROY:
        WMDestroy(Message);
        return;
    case CM_MOUSELEAVE:
        RVData->MouseLeave();
        TRVScroller::Dispatch(Message);
        return;
    case WM_RVEVENT:
        WMRVEvent(Message);
        return;
    default:
        TRVScroller::Dispatch(Message);
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

void TCustomRollView::KeyDown(WORD& Key, TShiftState Shift)
{
    TRVScroller::KeyDown(Key, Shift);
    if (IsCopyShortcut(Shift, Key) && HandleAllocated())
        SendMessage(Handle(), WM_COPY, 0, 0);
    const TRVTabNavigationType Navigation = TabNavigation();
    if (Navigation != rvtnNone && Key == VK_TAB && !Shift.Contains(ssAlt) &&
        (Shift.Contains(ssCtrl) ? Navigation == rvtnCtrlTab : Navigation == rvtnTab)) {
        RVData->State.Exclude(rvstDoNotTab);
        RVData->DoTabNavigation(!Shift.Contains(ssShift), this);
    }
    if (Key == VK_RETURN)
        RVData->ExecuteFocused();
}

void TCustomRollView::WMGetDlgCode(TMessage& Message)
{
    Message.Result = DLGC_WANTARROWS;
    if (TabNavigation() != rvtnNone) {
        Message.Result |= DLGC_WANTTAB;
        if (RVData->FocusedItemNo != -1)
            Message.Result |= DLGC_WANTALLKEYS;
    }
}

void TCustomRollView::WMCopy(TMessage&)
{
    // A cell being edited copies its own selection; otherwise the document
    // copies in the formats its options choose.
    TWinControl* Editor = GetInplaceEditor();
    if (Editor) {
        if (Editor->HandleAllocated())
            PostMessage(Editor->Handle(), WM_COPY, 0, 0);
        return;
    }
    CopyDef();
}

void TCustomRollView::WMSetFocus(TMessage& Message)
{
    TRVScroller::Dispatch(Message);
    if (ComponentState() & csDestroying)
        return;
    if (TabNavigation() != rvtnNone) {
        const HWND Previous = reinterpret_cast<HWND>(Message.WParam);
        if (!Previous)
            RVData->State.Include(rvstDoNotTab);
        TWinControl* PrevControl = Previous ? FindControl(Previous) : nullptr;
        RVData->DoTabNavigation(GetKeyState(VK_SHIFT) >= 0, PrevControl);
    }
    if (SelectionColorsDiffer())
        Invalidate();
}

void TCustomRollView::WMKillFocus(TMessage& Message)
{
    TRVScroller::Dispatch(Message);
    if (SelectionColorsDiffer())
        Invalidate();
}

bool TCustomRollView::IsCopyShortcut(TShiftState Shift, WORD Key)
{
    return Shift.Contains(ssCtrl) && (Key == 'C' || Key == VK_INSERT) && !Shift.Contains(ssAlt);
}

bool TCustomRollView::IsCutShortcut(TShiftState Shift, WORD Key)
{
    return (Shift.Contains(ssCtrl) && Key == 'X' && !Shift.Contains(ssAlt)) ||
           (Shift.Contains(ssShift) && Key == VK_DELETE);
}

bool TCustomRollView::IsPasteShortcut(TShiftState Shift, WORD Key)
{
    return (Shift.Contains(ssCtrl) && Key == 'V' && !Shift.Contains(ssAlt)) ||
           (Shift.Contains(ssShift) && Key == VK_INSERT);
}

void TCustomRollView::SelectNext_(bool GoForward)
{
    SelectNext(nullptr, GoForward, true);
}

// ---------------------------------------------------------------------------
// Mouse

void TCustomRollView::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (!GetInplaceEditor()) {
        // The focus comes with the click, not from Tab navigation.
        RVData->State.Include(rvstDoNotTab);
        if (!Shift.Contains(ssDouble) && HandleAllocated())
            ::SetFocus(Handle());
    }
    TRVScroller::MouseDown(Button, Shift, X, Y);
    RVData->MouseDown(Button, Shift, X, Y);
    if (Button == mbLeft)
        ActivateScrollTimer();
}

void TCustomRollView::MouseMove(TShiftState Shift, int X, int Y)
{
    // Set on every move; only the timer, running while the left button is
    // down, makes them act.
    ScrollDeltaY = AutoScrollStep(Y, ClientHeight());
    ScrollDeltaX = AutoScrollStep(X, ClientWidth());
    TRVScroller::MouseMove(Shift, X, Y);
    RVData->MouseMove(Shift, X, Y);
}

void TCustomRollView::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TRVScroller::MouseUp(Button, Shift, X, Y);
    if (Button == mbLeft && FScrollTimerActive) {
        if (HandleAllocated())
            KillTimer(Handle(), ScrollTimerId);
        FScrollTimerActive = false;
    }
    RVData->MouseUp(Button, Shift, X, Y);
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

void TCustomRollView::WMTimer(TMessage& Message)
{
    if (Message.WParam != ScrollTimerId) {
        TRVScroller::Dispatch(Message);
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

void TCustomRollView::WMDestroy(TMessage& Message)
{
    if (FScrollTimerActive) {
        if (HandleAllocated())
            KillTimer(Handle(), ScrollTimerId);
        FScrollTimerActive = false;
    }
    TRVScroller::Dispatch(Message);
}

void TCustomRollView::GenerateMouseMove()
{
    if (!HandleAllocated())
        return;
    BYTE Keys[256] = {};
    GetKeyboardState(Keys);
    TShiftState Shift;
    const auto Down = [&Keys](int Key) { return (Keys[Key] & 0x80) != 0; };
    if (Down(VK_SHIFT))
        Shift.Include(ssShift);
    if (Down(VK_CONTROL))
        Shift.Include(ssCtrl);
    if (Down(VK_MENU))
        Shift.Include(ssAlt);
    if (Down(VK_LBUTTON))
        Shift.Include(ssLeft);
    if (Down(VK_RBUTTON))
        Shift.Include(ssRight);
    if (Down(VK_MBUTTON))
        Shift.Include(ssMiddle);
    TPoint P;
    if (!GetCursorPos(P))
        return;
    P = ScreenToClient(P);
    if (P.X >= 0 && P.X < ClientWidth() && P.Y >= 0 && P.Y < ClientHeight())
        MouseMove(Shift, P.X, P.Y);
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

void TCustomRollView::DeselectChosenData(TCustomRVData* Data)
{
    if (auto* Formatted = dynamic_cast<TCustomRVFormattedData*>(Data))
        Formatted->Deselect(nullptr, false);
}

TWinControl* TCustomRollView::GetChosenDataEditor(TCustomRVData* Data)
{
    auto* Formatted = dynamic_cast<TCustomRVFormattedData*>(Data);
    return Formatted ? Formatted->GetEditor() : nullptr;
}
