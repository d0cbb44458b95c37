// TCustomRollViewEdit: key-down in its fixed order (undo and redo shortcuts,
// the control's own key handling, the preparation by key, the action by key),
// typed characters, focus, and the messages of an edit control.
#include "document/rvstyle.h"
#include "document/rvstyle_text.h"
#include "edit/rollviewedit.h"
#include "platform/controls/winapi.h"

TRollViewUnicodeInput RollViewUnicodeInput = rvuiStandard;

namespace {

bool IsNavigationKey(WORD key)
{
    switch (key) {
    case VK_PRIOR:
    case VK_NEXT:
    case VK_END:
    case VK_HOME:
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN:
        return true;
    default:
        return false;
    }
}

// Keys that type nothing and change nothing on their own.
bool IsInertKey(WORD key)
{
    switch (key) {
    case VK_SHIFT:
    case VK_MENU:
    case VK_PAUSE:
    case VK_CAPITAL:
    case VK_ESCAPE:
    case VK_SNAPSHOT:
    case VK_LWIN:
    case VK_RWIN:
    case VK_APPS:
    case VK_NUMLOCK:
    case VK_SCROLL:
        return true;
    default:
        return key >= VK_F1 && key <= VK_F24;
    }
}

} // namespace

void TCustomRollViewEdit::KeyDown(WORD& key, TShiftState shift)
{
    TRVEditRVData* data = EditRVData();
    data->PrepareForEdit();
    if (key == VK_RETURN && FEditorOptions.Contains(rvoDoNotWantReturns))
        key = 0;
    const bool ctrl = shift.Contains(ssCtrl);
    const bool alt = shift.Contains(ssAlt);
    const bool undoKeys = (ctrl && !alt && key == 'Z') || (alt && key == VK_BACK);
    if (undoKeys && !shift.Contains(ssShift)) {
        Undo();
        key = 0;
    } else if (undoKeys) {
        Redo();
        key = 0;
    }
    if (key == 0)
        return;
    const uint64_t changes = DocumentChanges();
    TCustomRollView::KeyDown(key, shift);
    if (key == 0 || !Style() || InputTakenOver(changes))
        return;
    if (key == VK_ESCAPE && data->CancelResize())
        return;
    bool selectionChanged = false;
    if (PrepareKey(key, shift, selectionChanged))
        ActOnKey(key, shift, selectionChanged);
}

// The preparation by key; false stops the key here.
bool TCustomRollViewEdit::PrepareKey(WORD& key, TShiftState shift, bool& selectionChanged)
{
    TRVEditRVData* data = EditRVData();
    if (key == VK_BACK || key == VK_DELETE) {
        if (!BeforeChange(false))
            return false;
        // Cells selected in a table count as a selection: the keys clear them.
        if (!data->SelectionExists(true, true))
            return true;
        if (IsCutShortcut(shift, key)) {
            Perform(WM_CUT, 0, 0);
            return false;
        }
        if (data->DeleteSelection_())
            Change();
        key = 0;
        return false;
    }
    if (IsInertKey(key))
        return true;
    if (key == VK_CONTROL) {
        if (FEditorOptions.Contains(rvoCtrlJumps) && !data->GetFlags().Contains(rvflUseJumps)) {
            data->BuildJumpsCoords(false);
            GenerateMouseMove();
        }
        return true;
    }
    if (IsNavigationKey(key)) {
        // Collapsing or dropping the selection tells the program (OnSelect):
        // its handler may change the document or close this editor, and the
        // caret's places the key would move over are gone then.
        const uint64_t changes = DocumentChanges();
        if (shift.Contains(ssShift)) {
            data->StartShiftMoving();
            selectionChanged = true;
        } else if (data->SelectionExists(true, false)) {
            data->Deselect(nullptr, true);
            selectionChanged = true;
        }
        return !InputTakenOver(changes);
    }
    if (IsCopyShortcut(shift, key)) {
        key = 0;
        return false;
    }
    if (IsCutShortcut(shift, key)) {
        Perform(WM_CUT, 0, 0);
        return false;
    }
    if (IsPasteShortcut(shift, key)) {
        Perform(WM_PASTE, 0, 0);
        return false;
    }
    if (!shift.Contains(ssCtrl) && !shift.Contains(ssAlt) && key != VK_INSERT &&
        EditRVData()->SelectionExists(true, false)) {
        // Typing, Enter and Tab replace the selection: it goes on key-down,
        // in an undo group of its own.
        selectionChanged = true;
        if (!BeforeChange(false))
            return false;
        if (EditRVData()->DeleteSelection_())
            Change();
    }
    return true;
}

void TCustomRollViewEdit::FireGetOut(bool result, TRVGetOutDirection direction)
{
    if (result && OnCaretGetOut)
        OnCaretGetOut(this, direction);
}

// Left (ToRight false) or Right. On a line that shows reordered text the
// caret moves the way the key points on the screen; elsewhere, and by words
// with Ctrl, it moves through the text: back for Left (forth in a
// right-to-left control). The caret leaving the document reports rvdLeft at
// its start, rvdRight at its end.
void TCustomRollViewEdit::SideKey(bool toRight, bool shift, bool ctrl)
{
    TRVEditRVData* data = EditRVData();
    if (!ctrl && data->CaretLineReordered()) {
        bool forward = toRight;
        FireGetOut(data->OnScreenSidePress(toRight, shift, forward), forward ? rvdRight : rvdLeft);
        return;
    }
    const bool forward = toRight != (BiDiMode() == rvbdRightToLeft);
    if (forward)
        FireGetOut(data->OnRightPress(shift, ctrl), rvdRight);
    else
        FireGetOut(data->OnLeftPress(shift, ctrl), rvdLeft);
}

// The action by key.
void TCustomRollViewEdit::ActOnKey(WORD& key, TShiftState shift, bool selectionChanged)
{
    const bool ctrl = shift.Contains(ssCtrl);
    const bool sh = shift.Contains(ssShift);
    switch (key) {
    case VK_BACK:
        OnBackSpacePress(ctrl);
        key = 0;
        return;
    case VK_DELETE:
        OnDeletePress(ctrl);
        key = 0;
        return;
    case VK_RETURN:
        if (!(sh && FEditorOptions.Contains(rvoDoNotWantShiftReturns)))
            OnEnterPress(sh);
        key = 0;
        return;
    case VK_TAB:
        if (ctrl && HandleAllocated())
            PostMessage(Handle(), WM_CHAR, 9, 0);
        break;
    case VK_PRIOR:
        EditRVData()->OnPgUpPress();
        break;
    case VK_NEXT:
        EditRVData()->OnPgDownPress();
        break;
    case VK_HOME:
        FireGetOut(EditRVData()->OnHomePress(ctrl), rvdTop);
        break;
    case VK_END:
        FireGetOut(EditRVData()->OnEndPress(ctrl), rvdBottom);
        break;
    case VK_LEFT:
    case VK_RIGHT:
        SideKey(key == VK_RIGHT, sh, ctrl);
        break;
    case VK_UP:
        FireGetOut(EditRVData()->OnUpPress(sh, ctrl), rvdUp);
        break;
    case VK_DOWN:
        FireGetOut(EditRVData()->OnDownPress(sh, ctrl), rvdDown);
        break;
    default:
        if (selectionChanged)
            Invalidate();
        return;
    }
    if (sh && IsNavigationKey(key))
        EditRVData()->EndShiftMoving();
    if (selectionChanged) {
        EditRVData()->DoOnSelection();
        Invalidate();
    }
}

void TCustomRollViewEdit::KeyUp(WORD& key, TShiftState shift)
{
    if (key == VK_CONTROL && !GetReadOnly()) {
        EditRVData()->ClearJumpsCoords();
        GenerateMouseMove();
    }
    TCustomRollView::KeyUp(key, shift);
}

// Characters below 128 (the platform's KeyPress).
void TCustomRollViewEdit::KeyPress(char& key)
{
    if (EditRVData()->State.Contains(rvstIgnoreNextChar))
        return;
    if (key == '\r' && FEditorOptions.Contains(rvoDoNotWantReturns)) {
        key = 0;
        if (Style())
            EditRVData()->EditBeep();
        return;
    }
    if ((static_cast<unsigned char>(key) < 32 && key != '\t') || key == 127)
        return;
    if (!BeforeChange(false))
        return;
    const uint64_t changes = DocumentChanges();
    TCustomRollView::KeyPress(key);
    if (key == 0 || InputTakenOver(changes))
        return;
    TypeText(WideString(1, static_cast<WideChar>(static_cast<unsigned char>(key))));
}

// Every character typed arrives here as one UTF-16 unit. The units below 128
// take the platform's road through KeyPress (and OnKeyPress); the others are
// typed here, after the same BeforeChange.
void TCustomRollViewEdit::WMChar(TMessage& message)
{
    const auto unit = static_cast<WideChar>(message.WParam);
    if (unit < 0x80) {
        FPendingHigh = 0;
        TCustomRollView::Dispatch(message);
        return;
    }
    if (EditRVData()->State.Contains(rvstIgnoreNextChar))
        return;
    if (unit >= 0xD800 && unit < 0xDC00) {
        FPendingHigh = unit;
        return;
    }
    WideString units;
    if (unit >= 0xDC00 && unit < 0xE000) {
        // A low surrogate types only with its high half.
        if (FPendingHigh == 0)
            return;
        units += FPendingHigh;
    }
    FPendingHigh = 0;
    units += unit;
    if (BeforeChange(false))
        TypeText(units);
}

void TCustomRollViewEdit::WMSetFocus(TMessage& message)
{
    TCustomRollView::Dispatch(message);
    EditRVData()->PrepareForEdit();
    if (RefreshCaretIfPlaceable())
        Invalidate();
}

void TCustomRollViewEdit::WMKillFocus(TMessage& message)
{
    TCustomRollView::Dispatch(message);
    TRVEditRVData* data = EditRVData();
    // The outermost document says when the focus only moves within it (a
    // cell editor opening or closing): nothing here is to change then.
    if ((ComponentState() & csDestroying) ||
        data->GetAbsoluteRootData()->State.Contains(rvstNoKillFocusEvents))
        return;
    data->ClearJumpsCoords();
    // Hyperlinks a held Ctrl made work in the document around a cell editor
    // stop with the focus, and none of them stays drawn hovered.
    if (!GetReadOnly()) {
        if (auto* parent = dynamic_cast<TRVEditRVData*>(data->GetAbsoluteParentData())) {
            parent->ClearJumpsCoords();
            TRVFlags flags = parent->GetFlags();
            flags.Exclude(rvflUseJumps);
            parent->SetFlags(flags);
            parent->State.Exclude(rvstDrawHover);
        }
    }
    GenerateMouseMove();
    if (CaretPlaceable())
        SetCaret(FCaretRect, false);
}

void TCustomRollViewEdit::WMInputLangChange(TMessage& message)
{
    TRVStyle* style = Style();
    TRVEditRVData* data = EditRVData();
    if (!style || data->GetItemCount() == 0 || !FEditorOptions.Contains(rvoAutoSwitchLang)) {
        TCustomRollView::Dispatch(message);
        return;
    }
    TFontInfos* textStyles = style->TextStyles();
    const int current = CurTextStyleNo();
    // A Unicode style writes every language already.
    if (current < 0 || current >= textStyles->Count() || textStyles->Items(current)->Unicode()) {
        TCustomRollView::Dispatch(message);
        return;
    }
    const auto charset = static_cast<TFontCharset>(message.WParam);
    int styleNo = textStyles->FindStyleWithCharset(current, charset);
    if (styleNo < 0) {
        TFontInfo* copy = textStyles->Add();
        copy->Assign(textStyles->Items(current));
        copy->SetStandard(false);
        copy->SetCharset(charset);
        styleNo = textStyles->Count() - 1;
    }
    SetCurTextStyleNo(styleNo);
    message.Result = 1;
}

// The messages of an edit control; false for any other message.
bool TCustomRollViewEdit::HandleEditMessage(TMessage& message)
{
    switch (message.Msg) {
    case WM_UNDO:
    case EM_UNDO:
        message.Result = UndoAction() != rvutNone ? 1 : 0;
        Undo();
        return true;
    case EM_CANUNDO:
        message.Result = UndoAction() != rvutNone ? 1 : 0;
        return true;
    case EM_REDO:
        message.Result = RedoAction() != rvutNone ? 1 : 0;
        if (message.Result)
            Redo();
        return true;
    case EM_CANREDO:
        message.Result = RedoAction() != rvutNone ? 1 : 0;
        return true;
    case WM_CLEAR:
        DeleteSelection();
        return true;
    case WM_RVUNDOFROMINPLACE:
        DestroyInplace();
        Undo();
        return true;
    case WM_RVREDOFROMINPLACE:
        DestroyInplace();
        Redo();
        return true;
    default:
        return false;
    }
}

void TCustomRollViewEdit::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case WM_GETDLGCODE:
        message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
        if (!FEditorOptions.Contains(rvoDoNotWantReturns))
            message.Result |= DLGC_WANTALLKEYS;
        if (FEditorOptions.Contains(rvoWantTabs))
            message.Result |= DLGC_WANTTAB;
        return;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        EditRVData()->State.Exclude(rvstIgnoreNextChar);
        TCustomRollView::Dispatch(message);
        return;
    case WM_CHAR:
        WMChar(message);
        return;
    case WM_SYSCHAR:
        // Alt+Backspace undoes on key-down; its character must not reach the menus.
        if (message.WParam == 8 && UndoLimit() != 0) {
            message.Result = 0;
            return;
        }
        TCustomRollView::Dispatch(message);
        return;
    case WM_SETFOCUS:
        WMSetFocus(message);
        return;
    case WM_KILLFOCUS:
        WMKillFocus(message);
        return;
    case WM_INPUTLANGCHANGE:
        WMInputLangChange(message);
        return;
    case WM_CUT:
    case WM_PASTE:
    case EM_CANPASTE:
        HandleClipboardMessage(message);
        return;
    case WM_IME_STARTCOMPOSITION:
        WMImeStartComposition(message);
        return;
    case WM_IME_COMPOSITION:
        WMImeComposition(message);
        return;
    case WM_IME_ENDCOMPOSITION:
        SetComposition(WideString(), 0);
        TCustomRollView::Dispatch(message);
        return;
    default:
        if (!HandleEditMessage(message))
            TCustomRollView::Dispatch(message);
        return;
    }
}
