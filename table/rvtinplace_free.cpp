// Closing a cell editor and freeing it once none of its code runs (rvtinplace.h).
#include "table/rvtinplace.h"

#include "platform/controls/forms.h"
#include "platform/controls/freelater.h"
#include "platform/core/callhold.h"
#include "view/rollview.h"

void TRVTableInplaceEdit::Close()
{
    if (FClosed)
        return;
    FClosed = true;
    // The editors inside close first, and their tables tell the program
    // once this one is closed too.
    const TRVTableTells tells;
    // The focus stays in the editor that held the table, also when the editor
    // closes because its table leaves the document.
    const bool hadFocus = FocusedEx();
    if (auto* nested = dynamic_cast<TRVTableInplaceEdit*>(GetInplaceEditor()))
        if (Clearing)
            nested->SetClearingState();
    DestroyInplace();
    TCustomRollView* former = ParentViewer();
    if (ParentData != nullptr && Cell != nullptr)
        ParentData->UnassignChosenRVData(Cell);
    // A cell selection this editor's press started in the table ends here:
    // the release would reach a closed editor, which hands nothing on, and
    // leave the table holding the mouse of the document around it.
    if (MouseSelecting && Table != nullptr)
        Table->MouseCaptureLost();
    MouseSelecting = false;
    if (Table != nullptr && Table->InplaceEditor == this)
        Table->InplaceDeleted(Clearing);
    // Its history is the document's now: a command still running in the
    // editor (whose handler closed it) records nothing more here.
    EditRVData()->UndoDest = udNone;
    EditRVData()->UndoList->Limit = 0;
    SetVisible(false);
    // The focus goes back to the editor that held the table only from here:
    // a program's operation that closes the editor leaves a focus in another
    // control where it is.
    if (hadFocus && former != nullptr && former->HandleAllocated() &&
        (former->ComponentState() & csDestroying) == 0)
        former->SetFocusSilent();
    // Nothing of the document reaches the closed editor any more, nor the
    // editor the table, which may go before the editor is freed: the table's
    // handlers (its change, caret, mouse, drag and control-action ones) go too.
    // (OnDragDrop stays: a drop on the editor goes to the viewer, never to it.)
    OnChangeEx = nullptr;
    OnCaretGetOut = nullptr;
    OnFormatted = nullptr;
    OnRVMouseDown = nullptr;
    OnRVMouseUp = nullptr;
    OnControlAction = nullptr;
    OnMouseMove = nullptr;
    OnDragOver = nullptr;
    EditRVData()->UndoList->Outer = nullptr;
    Table = nullptr;
    Cell = nullptr;
    ParentData = nullptr;
}

void TRVTableInplaceEdit::Release()
{
    Close();
    if (FReleased)
        return;
    FReleased = true;
    // Without an application the editor stays its parent's, freed with it.
    if (Application == nullptr)
        return;
    SetParent(nullptr);
    FreeLater([this] { delete this; });
}

void TRVTableInplaceEdit::FreeClosed()
{
    FreeWaiting();
}
