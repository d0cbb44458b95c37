// TCustomRollViewEdit: construction, settings, the host the document data
// works through, painting with the caret, and the change protocol.
#include "edit/rollviewedit.h"

#include "document/rvstyle.h"
#include "document/rvtypes.h"
#include "platform/controls/dialogs.h"
#include "platform/controls/forms.h"
#include "platform/controls/winapi.h"
#include "platform/graphics/canvas.h"

TCustomRollViewEdit::TCustomRollViewEdit(TComponent* aOwner)
    : TRVScroller(aOwner), FData(std::make_unique<TRVEditRVData>(nullptr, this))
{
    // The keys move the caret, not the view.
    SetKeyboardScroll(false);
    SetDisableNoScroll(true);
    TRVFlags flags = FData->Flags;
    flags.Include(rvflRootEditor);
    flags.Exclude(rvflUseJumps);
    flags.Exclude(rvflUseExternalLeading);
    FData->Flags = flags;
    SetTabStop(true);
    TControl::SetCursor(crIBeam);
    FData->UndoList->Limit = -1;
    FData->OnChange = [this] {
        if (FUpdateCount < 1 && OnChange)
            OnChange(this);
    };
    FCaretTimer = new TTimer(this);
    FCaretTimer->SetEnabled(false);
    FCaretTimer->SetInterval(CaretBlinkMs);
    FCaretTimer->OnTimer = [this](TObject* sender) { BlinkCaret(sender); };
}

TCustomRollViewEdit::~TCustomRollViewEdit()
{
    FCaretTimer->SetEnabled(false);
    SetStyle(nullptr);
    FData.reset();
}

// ---------------------------------------------------------------------------
// Settings

void TCustomRollViewEdit::SetStyle(TRVStyle* value)
{
    if (FStyle == value)
        return;
    if (FStyle && !(FStyle->ComponentState() & csDestroying))
        FStyle->RemoveFreeNotification(this);
    FStyle = value;
    if (FStyle)
        FStyle->FreeNotification(this);
    FData->Style = value;
    if (!value) {
        FData->Clear();
        SetCaret(TRect(), false);
    }
    Invalidate();
}

void TCustomRollViewEdit::Notification(TComponent* aComponent, TOperation operation)
{
    TRVScroller::Notification(aComponent, operation);
    if (operation == opRemove && aComponent != nullptr && aComponent == FStyle)
        SetStyle(nullptr);
}

void TCustomRollViewEdit::SetReadOnly(bool value)
{
    FReadOnly = value;
    if (value)
        FData->BuildJumpsCoords(false);
    else
        FData->ClearJumpsCoords();
    if (FStyle && FData->DrawItems.Count() > 0)
        FData->ChangeCaret(false, false, true, false);
    Invalidate();
}

void TCustomRollViewEdit::SetEditorOptions(TRVEditorOptions value)
{
    FEditorOptions = value;
    FData->HideReadOnlyCaret = value.Contains(rvoHideReadOnlyCaret);
}

void TCustomRollViewEdit::SetTabNavigation(TRVTabNavigationType value)
{
    if (value != rvtnNone)
        throw ERollViewError("Not supported in editor");
}

void TCustomRollViewEdit::SetCurTextStyleNo(int value)
{
    if (FData->CurTextStyleNo == value && !FData->State.Contains(rvstForceStyleChangeEvent))
        return;
    FData->State.Exclude(rvstForceStyleChangeEvent);
    FData->CurTextStyleNo = value;
    CurTextStyleChange();
}

void TCustomRollViewEdit::SetCurParaStyleNo(int value)
{
    if (FData->CurParaStyleNo == value && !FData->State.Contains(rvstForceStyleChangeEvent))
        return;
    FData->CurParaStyleNo = value;
    CurParaStyleChange();
}

void TCustomRollViewEdit::CurTextStyleChange()
{
    if (FStyle && !(ComponentState() & csDestroying) && OnCurTextStyleChanged)
        OnCurTextStyleChanged(this);
}

void TCustomRollViewEdit::CurParaStyleChange()
{
    if (FStyle && !(ComponentState() & csDestroying) && OnCurParaStyleChanged)
        OnCurParaStyleChanged(this);
}

void TCustomRollViewEdit::Format()
{
    if (!FStyle || !HandleAllocated())
        return;
    FData->PrepareForEdit();
    FData->FormatAll();
    Invalidate();
}

void TCustomRollViewEdit::Clear()
{
    FData->Clear();
    SetCaret(TRect(), false);
    Invalidate();
}

void TCustomRollViewEdit::AfterCreateWnd2()
{
    TRVScroller::AfterCreateWnd2();
    if (FStyle && FData->GetItemCount() > 0)
        Format();
}

// ---------------------------------------------------------------------------
// The host

void TCustomRollViewEdit::Beep()
{
    ::MessageBeep(MB_OK);
}

void TCustomRollViewEdit::SetCaret(const TRect& rect, bool visible)
{
    InvalidateCaret();
    FCaretRect = rect;
    FCaretVisible = visible;
    // A moved caret shows at once and blinks from there.
    FCaretBlinkOn = visible;
    FCaretTimer->SetEnabled(false);
    FCaretTimer->SetEnabled(visible);
    InvalidateCaret();
}

void TCustomRollViewEdit::InvalidateCaret()
{
    if (HandleAllocated() && FCaretRect.Width() > 0 && FCaretRect.Height() > 0)
        InvalidateRect(FCaretRect, false);
}

void TCustomRollViewEdit::BlinkCaret(TObject*)
{
    if (!FCaretVisible || !TWinControl::Focused()) {
        FCaretTimer->SetEnabled(false);
        FCaretBlinkOn = false;
    } else {
        FCaretBlinkOn = !FCaretBlinkOn;
    }
    InvalidateCaret();
}

void TCustomRollViewEdit::Defer(std::function<void()> call)
{
    FDeferred.push_back(std::move(call));
    if (HandleAllocated())
        PostMessage(Handle(), WM_RVDEFERRED, 0, 0);
}

void TCustomRollViewEdit::RunDeferred()
{
    while (!FDeferred.empty()) {
        std::function<void()> call = std::move(FDeferred.front());
        FDeferred.pop_front();
        call();
    }
}

void TCustomRollViewEdit::SetCursor(TCursor cursor)
{
    TControl::SetCursor(cursor == 0 ? crIBeam : cursor);
}

void TCustomRollViewEdit::SetDocumentAreaSize(int width, int height)
{
    const int step = std::max(VSmallStep(), 1);
    UpdateScrollBars(width, (std::max(height, 0) + step - 1) / step, true, true);
}

void TCustomRollViewEdit::CaretMoved()
{
    if (!(ComponentState() & csDestroying) && OnCaretMove)
        OnCaretMove(this);
}

void TCustomRollViewEdit::AfterVScroll()
{
    TRVScroller::AfterVScroll();
    if (FStyle && FData->DrawItems.Count() > 0)
        FData->ChangeCaret(false, false, true, false);
}

void TCustomRollViewEdit::AfterHScroll()
{
    TRVScroller::AfterHScroll();
    if (FStyle && FData->DrawItems.Count() > 0)
        FData->ChangeCaret(false, false, true, false);
}

void TCustomRollViewEdit::Paint()
{
    TCanvas* c = Canvas();
    if (!FStyle) {
        c->Brush()->SetColor(clWindow);
        c->Brush()->SetStyle(bsSolid);
        c->FillRect(ClientRect());
        return;
    }
    FData->PaintTo(c, ClientRect());
    if (FCaretVisible && FCaretBlinkOn && TWinControl::Focused()) {
        c->Brush()->SetColor(clWindowText);
        c->Brush()->SetStyle(bsSolid);
        c->FillRect(FCaretRect);
    }
}

// ---------------------------------------------------------------------------
// The change protocol

bool TCustomRollViewEdit::BeforeChange(bool fromOutside)
{
    bool allowed = !GetReadOnly() && FStyle != nullptr;
    if (allowed && !fromOutside && FData->MouseCaptureItem)
        allowed = false;
    if (allowed)
        allowed = DoChanging();
    if (!allowed) {
        if (FStyle)
            FData->EditBeep();
        return false;
    }
    FData->PrepareForEdit();
    return true;
}

bool TCustomRollViewEdit::DoChanging()
{
    bool canEdit = true;
    if (FUpdateCount < 1 && OnChanging)
        OnChanging(this, canEdit);
    return canEdit;
}

void TCustomRollViewEdit::Undo()
{
    if (!FStyle)
        return;
    FData->Undo();
    Invalidate();
}

void TCustomRollViewEdit::Redo()
{
    if (!FStyle)
        return;
    FData->Redo();
    Invalidate();
}

void TCustomRollViewEdit::DeleteSelection()
{
    if (!BeforeChange(false))
        return;
    const bool had = FData->SelectionExists(true, false);
    if (had && FData->DeleteSelection_()) {
        Change();
        Invalidate();
    }
}

void TCustomRollViewEdit::OnBackSpacePress(bool ctrl)
{
    if (!BeforeChange(false))
        return;
    FData->OnBackSpacePress_(ctrl, false, false);
    Change();
}

void TCustomRollViewEdit::OnDeletePress(bool ctrl)
{
    if (!BeforeChange(false))
        return;
    FData->OnDeletePress_(ctrl, false);
    Change();
}

void TCustomRollViewEdit::OnEnterPress(bool shift)
{
    if (!BeforeChange(false))
        return;
    FData->OnEnterPress_(shift);
    Invalidate();
    Change();
}
