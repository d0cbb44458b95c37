// TCustomRollViewEdit: construction with the editor's changes to the viewer's
// defaults, settings, the caret and its painting over the viewer's picture,
// and the change protocol.
#include "edit/rollviewedit.h"

#include "document/rvstyle.h"
#include "document/rvtypes.h"
#include "platform/controls/dialogs.h"
#include "platform/controls/forms.h"
#include "platform/controls/winapi.h"
#include "platform/graphics/canvas.h"

TCustomRollViewEdit::TCustomRollViewEdit(TComponent* aOwner)
    : TCustomRollViewEdit(aOwner, &TRVEditRVData::Create)
{}

TCustomRollViewEdit::TCustomRollViewEdit(TComponent* aOwner, TRollViewRVDataClass dataClass)
    : TCustomRollView(aOwner, dataClass ? dataClass : &TRVEditRVData::Create)
{
    // The keys move the caret, not the view; the vertical bar stays, disabled,
    // when the document fits.
    SetKeyboardScroll(false);
    SetDisableNoScroll(true);
    TRVFlags flags = Flags();
    flags.Include(rvflRootEditor);
    flags.Exclude(rvflUseJumps);
    flags.Exclude(rvflUseExternalLeading);
    SetFlags(flags);
    RVData->TabNavigation = rvtnNone;
    SetTabStop(true);
    SetCursor(crIBeam);
    EditRVData()->UndoList->Limit = -1;
    FCaretTimer = new TTimer(this);
    FCaretTimer->SetEnabled(false);
    FCaretTimer->SetInterval(CaretBlinkMs);
    FCaretTimer->OnTimer = [this](TObject* sender) { BlinkCaret(sender); };
}

void TCustomRollViewEdit::CreateParams(TCreateParams& params)
{
    TCustomRollView::CreateParams(params);
    SetDisableNoScroll(true);
}

TCustomRollViewEdit::~TCustomRollViewEdit()
{
    Destroying();
    FCaretTimer->SetEnabled(false);
    DestroyHandle();
    FreeDocument();
}

// ---------------------------------------------------------------------------
// Settings

void TCustomRollViewEdit::SetStyle(TRVStyle* value)
{
    TCustomRollView::SetStyle(value);
    if (!value)
        SetCaret(TRect(), false);
}

void TCustomRollViewEdit::SetReadOnly(bool value)
{
    FReadOnly = value;
    TRVEditRVData* data = EditRVData();
    // A read-only editor is a viewer with working hyperlinks.
    if (value)
        data->BuildJumpsCoords(true);
    else
        data->ClearJumpsCoords();
    RefreshCaretIfPlaceable();
    Invalidate();
}

void TCustomRollViewEdit::SetTabNavigation(TRVTabNavigationType value)
{
    if (value != rvtnNone)
        throw ERollViewError("Not supported in editor");
}

void TCustomRollViewEdit::SetCurTextStyleNo(int value)
{
    if (TCustomRollViewEdit* cell = CellEditor())
        return cell->SetCurTextStyleNo(value);
    TRVEditRVData* data = EditRVData();
    if (data->CurTextStyleNo == value && !data->State.Contains(rvstForceStyleChangeEvent))
        return;
    data->State.Exclude(rvstForceStyleChangeEvent);
    data->CurTextStyleNo = value;
    CurTextStyleChange();
}

void TCustomRollViewEdit::SetCurParaStyleNo(int value)
{
    if (TCustomRollViewEdit* cell = CellEditor())
        return cell->SetCurParaStyleNo(value);
    TRVEditRVData* data = EditRVData();
    if (data->CurParaStyleNo == value && !data->State.Contains(rvstForceStyleChangeEvent))
        return;
    data->CurParaStyleNo = value;
    CurParaStyleChange();
}

void TCustomRollViewEdit::CurTextStyleChange()
{
    if (!HoldNotice(rvnTextStyle))
        GiveNotice(rvnTextStyle);
}

void TCustomRollViewEdit::CurParaStyleChange()
{
    if (!HoldNotice(rvnParaStyle))
        GiveNotice(rvnParaStyle);
}

void TCustomRollViewEdit::GiveNotice(TRVNotice notice)
{
    if (ComponentState() & csDestroying)
        return;
    switch (notice) {
    case rvnTextStyle:
        if (Style() && OnCurTextStyleChanged)
            OnCurTextStyleChanged(this);
        break;
    case rvnParaStyle:
        if (Style() && OnCurParaStyleChanged)
            OnCurParaStyleChanged(this);
        break;
    case rvnCaret:
        if (OnCaretMove)
            OnCaretMove(this);
        break;
    default:
        TCustomRollView::GiveNotice(notice);
        break;
    }
}

// ---------------------------------------------------------------------------
// The caret

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
    if (visible && TWinControl::Focused())
        TellInputMethod();
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

void TCustomRollViewEdit::AfterCaretMove()
{
    if (!HoldNotice(rvnCaret))
        GiveNotice(rvnCaret);
}

bool TCustomRollViewEdit::CaretPlaceable() const
{
    return Style() && EditRVData()->DrawItems.Count() > 0;
}

bool TCustomRollViewEdit::RefreshCaretIfPlaceable()
{
    if (!CaretPlaceable())
        return false;
    EditRVData()->ChangeCaret(rvcmKeepStyles);
    return true;
}

void TCustomRollViewEdit::AfterVScroll()
{
    TCustomRollView::AfterVScroll();
    RefreshCaretIfPlaceable();
}

void TCustomRollViewEdit::AfterHScroll()
{
    TCustomRollView::AfterHScroll();
    RefreshCaretIfPlaceable();
}

void TCustomRollViewEdit::Paint()
{
    // The viewer's picture (background, document, selection) covers every
    // pixel of the area painted, so a caret drawn before is gone with it.
    TCustomRollView::Paint();
    // While an input method composes, its text and cursor stand at the caret.
    if (PaintComposition(Canvas()))
        return;
    if (!Style() || !FCaretVisible || !FCaretBlinkOn || !TWinControl::Focused())
        return;
    TCanvas* c = Canvas();
    c->Brush()->SetColor(clWindowText);
    c->Brush()->SetStyle(bsSolid);
    c->FillRect(FCaretRect);
}

// ---------------------------------------------------------------------------
// The change protocol

bool TCustomRollViewEdit::BeforeChange(bool fromOutside)
{
    TRVEditRVData* data = EditRVData();
    bool allowed = !GetReadOnly() && Style() != nullptr;
    if (allowed && !fromOutside && data->MouseCaptureItem)
        allowed = false;
    if (allowed) {
        // A handler of OnChanging may change the document, or close the cell
        // editor that asks: the change asked about would then be made on a
        // document that is no longer the one it was meant for, so it is not.
        TCustomRVData* root = data->GetAbsoluteRootData();
        const uint64_t changes = root != nullptr ? root->ChangeCount() : 0;
        allowed = DoChanging();
        if (allowed && root != nullptr && root->ChangeCount() != changes)
            return false;
    }
    // A command of this editor runs from here until its Change; a cell
    // editor asking its holder runs its own.
    if (allowed && !fromOutside)
        BeginCommandNotices();
    if (!allowed) {
        if (Style())
            data->EditBeep();
        return false;
    }
    data->PrepareForEdit();
    if (data->SoftPageBreaks)
        ClearSoftPageBreaks();
    return true;
}

bool TCustomRollViewEdit::DoChanging()
{
    bool canEdit = true;
    if (FUpdateCount < 1 && OnChanging)
        OnChanging(this, canEdit);
    return canEdit;
}

void TCustomRollViewEdit::DoChange(bool clearRedo)
{
    TRVEditRVData* data = EditRVData();
    data->CreateResizer();
    Modified = true;
    if (RVData->SoftPageBreaks)
        ClearSoftPageBreaks();
    data->ClearJumpsCoords();
    if (clearRedo)
        data->RedoList->Clear();
    if (FUpdateCount < 1 && OnChange)
        OnChange(this);
}

void TCustomRollViewEdit::Undo()
{
    PlayHistory(false);
}

void TCustomRollViewEdit::Redo()
{
    PlayHistory(true);
}

void TCustomRollViewEdit::PlayHistory(bool redo)
{
    if (ForwardUndo(redo))
        return;
    TRVEditRVData* data = EditRVData();
    if ((redo ? data->RedoList : data->UndoList)->CurrentUndoType() == rvutNone) {
        data->EditBeep();
        return;
    }
    if (!BeforeChange(false))
        return;
    const bool hadFocus = FocusedEx();
    // The layout after the group repaints what it changed.
    if (redo)
        data->Redo();
    else
        data->Undo();
    // A cell's edits are played in its editor, which stays open with the
    // focus when the editors had it.
    if (hadFocus && Visible())
        GetTopLevelEditor()->SetFocusSilent();
}

void TCustomRollViewEdit::DeleteSelection()
{
    if (TCustomRollViewEdit* cell = CellEditor())
        return cell->DeleteSelection();
    if (!BeforeChange(false))
        return;
    TRVEditRVData* data = EditRVData();
    // Cells selected in a table count as a selection (their contents go).
    const bool had = data->SelectionExists(true, true);
    if (had && data->DeleteSelection_())
        Change();
}

void TCustomRollViewEdit::OnBackSpacePress(bool ctrl)
{
    if (TCustomRollViewEdit* cell = CellEditor())
        return cell->OnBackSpacePress(ctrl);
    if (!BeforeChange(false))
        return;
    EditRVData()->OnBackSpacePress_(ctrl, false, false);
    Change();
}

void TCustomRollViewEdit::OnDeletePress(bool ctrl)
{
    if (TCustomRollViewEdit* cell = CellEditor())
        return cell->OnDeletePress(ctrl);
    if (!BeforeChange(false))
        return;
    EditRVData()->OnDeletePress_(ctrl, false);
    Change();
}

void TCustomRollViewEdit::OnEnterPress(bool shift)
{
    if (TCustomRollViewEdit* cell = CellEditor())
        return cell->OnEnterPress(shift);
    if (!BeforeChange(false))
        return;
    EditRVData()->OnEnterPress_(shift);
    Change();
}
