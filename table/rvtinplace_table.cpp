// The table's side of editing a cell in place: opening the editor over a cell
// (the cell's items move into it), closing it (they move back and its undo
// groups become one cell-edit record of the document), parking it around
// operations that must not run with it, following its changes with a new
// layout, and passing its mouse events on to the viewer.
#include <algorithm>
#include <memory>
#include <vector>

#include "document/rvset.h"
#include "edit/rvervdata.h"
#include "platform/controls/winapi.h"
#include "table/rvtable.h"
#include "table/rvtcellundo.h"
#include "table/rvtinplace.h"
#include "view/rollview.h"
#include "view/rvscroll.h"

namespace {

// The tables of closed cell editors' histories that wait for a play in the
// editor to return, one entry for each history; an entry goes null when its
// table leaves its document, and its history is dropped.
std::vector<std::weak_ptr<TRVTableItemInfo*>>& WaitingHandOvers()
{
    static auto* handOvers = new std::vector<std::weak_ptr<TRVTableItemInfo*>>;
    return *handOvers;
}

// Notes a history of Table that waits for a play to return; the entry goes
// null if the table leaves its document meanwhile.
std::shared_ptr<TRVTableItemInfo*> NoteWaitingHandOver(TRVTableItemInfo* table)
{
    std::vector<std::weak_ptr<TRVTableItemInfo*>>& waiting = WaitingHandOvers();
    waiting.erase(std::remove_if(waiting.begin(), waiting.end(),
                                 [](const std::weak_ptr<TRVTableItemInfo*>& w) { return w.expired(); }),
                  waiting.end());
    auto entry = std::make_shared<TRVTableItemInfo*>(table);
    waiting.push_back(entry);
    return entry;
}

// Table left its document: its histories that wait land nowhere.
void DropWaitingHandOvers(const TRVTableItemInfo* table)
{
    for (const std::weak_ptr<TRVTableItemInfo*>& w : WaitingHandOvers())
        if (std::shared_ptr<TRVTableItemInfo*> entry = w.lock(); entry && *entry == table)
            *entry = nullptr;
}

} // namespace

TWinControl* TRVTableCellData::GetEditor()
{
    TRVTableItemInfo* table = GetTable();
    TRVTableInplaceEdit* editor = table != nullptr ? table->InplaceEditor : nullptr;
    return editor != nullptr && editor->Cell == this && !editor->Closed() ? editor : nullptr;
}

bool TRVTableItemInfo::DoOnCellEditing(int row, int col, bool automatic)
{
    bool allow = true;
    if (OnCellEditing)
        OnCellEditing(this, row, col, automatic, allow);
    return allow;
}

TRVTableInplaceEdit* TRVTableItemInfo::GetEditedCell(int& row, int& col) const
{
    row = -1;
    col = -1;
    if (InplaceEditor == nullptr || InplaceEditor->Closed())
        return nullptr;
    row = InplaceEditor->Row;
    col = InplaceEditor->Col;
    return InplaceEditor;
}

void TRVTableItemInfo::CreateInplace(int itemNo, int row, int col, bool linksActive, bool caretToStart,
                                     bool caretToEnd, bool stampTime, bool skipQuery)
{
    TRVEditRVData* data = GetInsertedEditData();
    if (data == nullptr || row < 0 || row >= Rows->Count() || col < 0 || col >= Rows->Get(row)->Count())
        return;
    // A hidden editor that holds a cell's items for an operation or an undo
    // is never shown: no cell editor opens in it.
    if (auto* hidden = dynamic_cast<TRVTableInplaceRVData*>(data);
        hidden != nullptr && hidden->EditedCell() == nullptr)
        return;
    int mainRow, mainCol;
    if (Rows->GetMainCell(row, col, mainRow, mainCol) == nullptr)
        return;
    row = mainRow;
    col = mainCol;
    if (!skipQuery) {
        // The program's handler may change the document (open a cell itself,
        // delete the row): the cell asked about is then not opened.
        TCustomRVData* root = data->GetAbsoluteRootData();
        const uint64_t changes = root->ChangeCount();
        if (!DoOnCellEditing(row, col, false) || root->ChangeCount() != changes)
            return;
    }
    if (itemNo < 0)
        itemNo = GetMyItemNo();
    TCustomRollViewEdit* holder = data->RollViewEdit();
    if (itemNo < 0 || holder == nullptr)
        return;
    // The program hears of what opening does (the editor before closing, the
    // caret and styles) once the cell is open.
    const TRVTableTells tells;
    // The editor takes the focus where the editors it opens in have it (a
    // click, a key moving to the next cell) or no control has it: a program's
    // operation that opens a cell leaves a focus in another control there.
    auto* outermost = dynamic_cast<TRVScroller*>(data->GetAbsoluteRootData()->GetParentControl());
    const bool takeFocus = GetFocus() == nullptr || (outermost != nullptr && outermost->FocusedEx());
    DestroyInplace(true);
    Deselect();
    data->PartialSelectedItem = nullptr;
    data->RestoreSelBounds(itemNo, itemNo, 1, 1);
    if (holder->GetReadOnly())
        linksActive = true;
    CachedItemMinWidth = data->CalculateMinItemWidthPlusEx(itemNo);
    // A padding changed while the editor before was open asked for that one
    // to be laid out again; this one is laid out once it holds the cell's
    // items (laid out before, its empty document would get a line of its own).
    State.Exclude(rvtsFormatInplace);

    TRVTableCellData* cell = GetCells(row, col);
    auto* editor = new TRVTableInplaceEdit(nullptr);
    editor->SetOptions(data->GetOptions());
    editor->OnChangeEx = [this](TCustomRollViewEdit* sender, bool clearRedo) {
        InplaceEditorChange(sender, clearRedo);
    };
    editor->OnCaretGetOut = [this](TCustomRollViewEdit* sender, TRVGetOutDirection direction) {
        InplaceEditorCaretGetout(sender, direction);
    };
    editor->SetBiDiModeRV(holder->BiDiMode());
    editor->AssignEvents(holder);
    editor->OnChange = nullptr;
    editor->OnChanging = nullptr;
    editor->OnCaretMove = nullptr;
    editor->OnRVMouseDown = [this](TObject* sender, TMouseButton button, TShiftState shift, int item, int x,
                                   int y) {
        InplaceEditorMouseDown(dynamic_cast<TCustomRollView*>(sender), button, shift, item, x, y);
    };
    editor->OnRVMouseUp = [this](TObject* sender, TMouseButton button, TShiftState shift, int item, int x,
                                 int y) {
        InplaceEditorMouseUp(dynamic_cast<TCustomRollView*>(sender), button, shift, item, x, y);
    };
    editor->OnControlAction = [this](TObject* sender, TRVControlAction action, int item, TControl*& ctrl) {
        InplaceEditorControlAction(dynamic_cast<TCustomRollView*>(sender), action, item, ctrl);
    };
    editor->OnMouseMove = [this](TObject* sender, TShiftState shift, int x, int y) {
        InplaceEditorMouseMove(sender, shift, x, y);
    };
    editor->OnDragOver = [this](TObject* sender, TObject* source, int x, int y, TDragState state,
                                bool& accept) { InplaceEditorDragOver(sender, source, x, y, state, accept); };
    editor->OnDragDrop = [this](TObject* sender, TObject* source, int x, int y) {
        InplaceEditorDragDrop(sender, source, x, y);
    };
    TRVEditorOptions editorOptions = holder->EditorOptions();
    editorOptions.Include(rvoWantTabs);
    editor->SetEditorOptions(editorOptions);
    editor->SetUndoLimit(holder->UndoLimit() != 0 ? -1 : 0);
    editor->SetColor(GetCellColor(cell));
    editor->Transparent = CanSeeBackgroundThroughCell(cell);
    editor->SetParentRVData(data);
    editor->SetCell(row, col, this, CellPadding);
    InplaceEditor = editor;
    editor->SetParent(holder);
    data->GetItemClientCoords(itemNo, DocLeft, DocTop);
    const int extra = cell->GetExtraVOffs();
    SetInplaceBounds(DocLeft + cell->Left, DocTop + cell->Top + extra, cell->Width, cell->Height - extra);
    editor->EditRVData()->DrainFrom(cell);
    cell->ContentChanged();
    editor->Format();
    if (stampTime)
        editor->StampCreation();
    if (linksActive)
        editor->EditRVData()->BuildJumpsCoords(true);
    editor->Show();
    // The cell is chosen once its items are in the editor: emptying a chosen
    // cell would let it go, and the editor with it.
    data->AssignChosenRVData(cell, this);
    ChosenCellRow = row;
    ChosenCellCol = col;
    CachedEditorMinWidth = cell->GetMinWidth(nullptr, nullptr);
    TRVEditRVData* inner = editor->EditRVData();
    if (inner->GetItemCount() > 0) {
        if (caretToStart)
            inner->SetCaretAtItem(0, inner->GetOffsBeforeItem(0), false);
        else if (caretToEnd) {
            const int last = inner->GetItemCount() - 1;
            inner->SetCaretAtItem(last, inner->GetOffsAfterItem(last), false);
        }
    }
    if (!takeFocus)
        return;
    TCustomRVData* root = data->GetAbsoluteRootData();
    TRVFlagGuard noKill(root->State, rvstNoKillFocusEvents, true);
    editor->SetFocusSilent();
}

void TRVTableItemInfo::DestroyInplace(bool reassignChosen)
{
    // Without ReassignChosen the table leaves its document (freed, or kept by
    // an undo record): what its closed cell editors still hand over would
    // name an item the document no longer has.
    if (!reassignChosen)
        DropWaitingHandOvers(this);
    TRVTableInplaceEdit* editor = InplaceEditor;
    if (editor == nullptr || editor->Closed())
        return;
    if (reassignChosen) {
        if (auto* data = dynamic_cast<TCustomRVFormattedData*>(GetRVData()))
            data->UnassignChosenRVData(editor->Cell);
    } else {
        editor->SetClearingState();
    }
    // Letting the cell go may already have closed it; the editor is freed
    // once nothing on the call stack can hold it (Release).
    editor->Release();
    InplaceEditor = nullptr;
}

void TRVTableItemInfo::InplaceDeleted(bool clearing)
{
    TRVTableInplaceEdit* editor = InplaceEditor;
    if (editor == nullptr)
        return;
    auto* data = dynamic_cast<TCustomRVFormattedData*>(GetRVData());
    TWinControl* control = data != nullptr ? data->GetParentControl() : nullptr;
    clearing = clearing || data == nullptr || data->State.Contains(rvstClearing) || control == nullptr ||
               !control->HandleAllocated();
    MergeInplaceUndo();
    TRVTableInplaceParamStorage storage;
    StoreRVSelection(editor->EditRVData(), storage);
    TRVTableCellData* cell = editor->Cell;
    const int row = editor->Row;
    const int col = editor->Col;
    // A document that changed size or width needed since the table last
    // followed it (an operation laid it out and closed it before it was told
    // of the change) lays the table out again once the items are back.
    const bool follow = !clearing && cell != nullptr &&
                        (editor->Resized() || CachedEditorMinWidth != cell->GetMinWidth(nullptr, nullptr));
    if (cell != nullptr) {
        cell->DrainFrom(editor->EditRVData());
        cell->ContentChanged();
    }
    if (!clearing && cell != nullptr) {
        ResetSubCoords();
        cell->Format(false);
        RestoreRVSelection(cell, storage);
    }
    InplaceEditor = nullptr;
    if (follow && !State.Contains(rvtsInplaceIsReformatting)) {
        TRVFlagGuard reformatting(State, rvtsInplaceIsReformatting);
        EndModify(GetMyItemNo(), CachedItemMinWidth);
    }
    if (!clearing) {
        data->Invalidate();
        if (auto* edit = dynamic_cast<TRVEditRVData*>(data))
            if (TCustomRollViewEdit* holder = edit->RollViewEdit()) {
                holder->AfterCaretMove();
                if (holder->GetReadOnly())
                    edit->BuildJumpsCoords(true);
            }
    }
    // Inside a table's operation or an editor's closing, told once the
    // outermost is done.
    TRVTableTells::TellEndEdit(this, row, col, clearing);
}

void TRVTableItemInfo::StoreRVSelection(TCustomRVFormattedData* rvData, TRVTableInplaceParamStorage& storage)
{
    rvData->GetSelectionBoundsEx(storage.StartItemNo, storage.StartItemOffs, storage.EndItemNo,
                                 storage.EndItemOffs, false);
    storage.PartialSelectedItem = rvData->PartialSelectedItem;
}

void TRVTableItemInfo::RestoreRVSelection(TCustomRVFormattedData* rvData,
                                          const TRVTableInplaceParamStorage& storage)
{
    const int count = rvData->GetItemCount();
    if (storage.StartItemNo >= 0 && storage.EndItemNo >= 0 && storage.StartItemNo < count &&
        storage.EndItemNo < count && rvData->DrawItems.Count() > 0)
        rvData->SetSelectionBounds(storage.StartItemNo, storage.StartItemOffs, storage.EndItemNo,
                                   storage.EndItemOffs);
    if (storage.PartialSelectedItem != nullptr && rvData->GetItemNo(storage.PartialSelectedItem) >= 0)
        rvData->SetPartialSelectedItem(storage.PartialSelectedItem);
}

void TRVTableItemInfo::SaveInplace()
{
    TRVTableInplaceEdit* editor = InplaceEditor;
    if (editor == nullptr)
        return;
    if (editor->MouseSelecting)
        throw ERVTableInplaceError("Cannot destroy cell inplace editor at this time");
    StoreRVSelection(editor->EditRVData(), InplaceParams);
    InplaceParams.Row = editor->Row;
    InplaceParams.Col = editor->Col;
    InplaceParams.Stored = true;
    DestroyInplace(true);
}

void TRVTableItemInfo::RestoreInplace()
{
    if (!InplaceParams.Stored)
        return;
    CreateInplace(-1, InplaceParams.Row, InplaceParams.Col, false, true, false, false, true);
    if (InplaceEditor == nullptr)
        return;
    RestoreRVSelection(InplaceEditor->EditRVData(), InplaceParams);
    InplaceEditor->Invalidate();
    InplaceParams.Stored = false;
}

void TRVTableItemInfo::MergeInplaceUndo()
{
    TRVTableInplaceEdit* editor = InplaceEditor;
    TRVEditRVData* data = GetInsertedEditData();
    if (editor == nullptr || data == nullptr)
        return;
    TRVEditRVData* inner = editor->EditRVData();
    // A cell editor open inside this one gives its edits to it first: they
    // come before whatever the document records next.
    inner->FinalizeUndo();
    // The groups outlive the editor's document and may outlive the document
    // around the table (itself a cell's editor): the outermost document
    // disposes of what they keep.
    TRVEditRVData* owner = RVUndoOwnerData(data);
    for (const bool redo : {false, true}) {
        TRVUndoList* source = redo ? inner->RedoList.get() : inner->UndoList.get();
        if (source->Count() == 0)
            continue;
        TRVUndoList* target = redo ? data->RedoList.get() : data->UndoList.get();
        auto record = std::make_unique<TRVUndoCellModify>();
        record->Action = rvuModifyItem;
        record->ItemNo = GetEditorItemNoForUndo();
        record->IsRedo = redo;
        record->Row = editor->Row;
        record->Col = editor->Col;
        record->CaretItemNo = inner->GetCurItemNo();
        record->CaretOffs = inner->GetOffsetInCurItem();
        record->UndoList = std::make_unique<TRVUndoList>(owner);
        auto group = std::make_shared<TRVUndoInfos>();
        group->UndoType = rvutModifyItem;
        group->CaretItemNo = data->GetCurItemNo();
        group->CaretOffs = data->GetOffsetInCurItem();
        group->Records.push_back(std::move(record));
        // The edits go over now or, while a play in the editor uses the list
        // (the editor closed by one of its records), once the play has
        // returned: no closed editor is freed before (the play holds a
        // TCallHold). The document's list takes the group then, at once or
        // once its own play has returned; but if the table has left the
        // document meanwhile (the record cleared it), the edits are dropped.
        std::shared_ptr<TRVTableItemInfo*> table =
            source->UsedByPlay() ? NoteWaitingHandOver(this) : std::make_shared<TRVTableItemInfo*>(this);
        source->AfterPlay([source, target, group, owner, table] {
            // The table left the document, or the play that closed the editor
            // raised: the history lands nowhere.
            if (*table == nullptr || source->Broken())
                return;
            auto* cellRecord = static_cast<TRVUndoCellModify*>(group->Records.front().get());
            while (source->Count() > 0) {
                std::unique_ptr<TRVUndoInfos> kept = source->TakeGroup(0);
                // The play's own group stays empty when it recorded nothing.
                if (!kept->Records.empty())
                    cellRecord->UndoList->AddInfos(std::move(kept));
            }
            RVAdoptUndoList(*cellRecord->UndoList, owner);
            if (cellRecord->UndoList->Count() > 0)
                target->AddGroup(std::make_unique<TRVUndoInfos>(std::move(*group)));
        });
    }
}

void TRVTableItemInfo::InplaceEditorChange(TCustomRollViewEdit* sender, bool clearRedo)
{
    FollowChangedInplaceEditor();
    TRVEditRVData* data = GetEditData();
    if (data != nullptr && State.Contains(rvtsInserted))
        if (TCustomRollViewEdit* holder = data->RollViewEdit(); holder != nullptr && holder != sender)
            holder->DoChange(clearRedo);
}

void TRVTableItemInfo::FollowChangedInplaceEditor()
{
    TRVEditRVData* data = GetEditData();
    TRVTableInplaceEdit* editor = InplaceEditor;
    // The table follows a document that changed its size, or only what the
    // cell needs across (an undone character may narrow its column without
    // changing the lines' heights). The cell's minimum width is measured as
    // the table measures it: an emptied cell needs less than the editor's
    // document, and a column that a merged cell widens anyway may still
    // change its share.
    if (data != nullptr && editor != nullptr && !State.Contains(rvtsInplaceIsReformatting)) {
        const bool resized = editor->Resized();
        const int itemNo = GetMyItemNo();
        const int editorMin = editor->Cell != nullptr
                                  ? editor->Cell->GetMinWidth(nullptr, nullptr)
                                  : editor->EditRVData()->CalculateMinDocWidthPlus(nullptr, nullptr);
        const int itemMin = itemNo >= 0 ? data->CalculateMinItemWidthPlusEx(itemNo) : CachedItemMinWidth;
        if (resized || editorMin != CachedEditorMinWidth || itemMin != CachedItemMinWidth)
            FollowInplaceEditor(data, editorMin, itemMin);
    }
}

void TRVTableItemInfo::FollowInplaceEditor(TRVEditRVData* data, int editorMin, int itemMin)
{
    TRVTableInplaceEdit* editor = InplaceEditor;
    Changed();
    const TRect oldBounds = editor->BoundsRect();
    {
        TRVFlagGuard reformatting(State, rvtsInplaceIsReformatting);
        const bool full =
            itemMin != CachedItemMinWidth && data->MinWidthChangeNeedsFull(CachedItemMinWidth, itemMin);
        CachedEditorMinWidth = editorMin;
        CachedItemMinWidth = itemMin;
        if (full)
            data->FormatAll();
        else
            EndModify(GetMyItemNo(), CachedItemMinWidth);
        editor->Resized();
    }
    if (InplaceEditor != nullptr && InplaceEditor->BoundsRect() != oldBounds)
        data->Refresh();
}

void TRVTableItemInfo::InplaceEditorCaretGetout(TCustomRollViewEdit* sender, TRVGetOutDirection direction)
{
    if (sender != nullptr && sender->HandleAllocated())
        PostMessage(sender->Handle(), WM_RVMOVEEDITOR, static_cast<WPARAM>(direction), 0);
}

namespace {

// Posts a press or release of the editor to the control that shows the
// table's document, in that control's client coordinates.
void PostMouseEvent(TRVTableItemInfo* table, TCustomRollView* sender, TRVEventType event, TMouseButton button,
                    TShiftState shift, int x, int y)
{
    auto* data = dynamic_cast<TCustomRVFormattedData*>(table->GetRVData());
    auto* viewer = data != nullptr ? dynamic_cast<TCustomRollView*>(data->GetParentControl()) : nullptr;
    if (viewer == nullptr || sender == nullptr)
        return;
    const TPoint p = viewer->ScreenToClient(sender->ClientToScreen(TPoint{x, y}));
    auto message = std::make_unique<TRVMouseUpDownMessageData>(event);
    message->X = p.X;
    message->Y = p.Y;
    message->Shift = shift;
    message->Button = button;
    message->ItemNo = 0;
    viewer->PostRVEvent(std::move(message));
}

} // namespace

void TRVTableItemInfo::InplaceEditorMouseDown(TCustomRollView* sender, TMouseButton button, TShiftState shift,
                                              int itemNo, int x, int y)
{
    (void)itemNo;
    PostMouseEvent(this, sender, rvetRVMouseDown, button, shift, x, y);
}

void TRVTableItemInfo::InplaceEditorMouseUp(TCustomRollView* sender, TMouseButton button, TShiftState shift,
                                            int itemNo, int x, int y)
{
    (void)itemNo;
    PostMouseEvent(this, sender, rvetRVMouseUp, button, shift, x, y);
}

void TRVTableItemInfo::InplaceEditorMouseMove(TObject* sender, TShiftState shift, int x, int y)
{
    auto* data = dynamic_cast<TCustomRVFormattedData*>(GetRVData());
    TWinControl* control = data != nullptr ? data->GetParentControl() : nullptr;
    auto* editor = dynamic_cast<TControl*>(sender);
    if (control != nullptr && editor != nullptr && control->OnMouseMove)
        control->OnMouseMove(control, shift, x + editor->Left(), y + editor->Top());
}

void TRVTableItemInfo::InplaceEditorDragOver(TObject* sender, TObject* source, int x, int y, TDragState state,
                                             bool& accept)
{
    auto* data = dynamic_cast<TCustomRVFormattedData*>(GetRVData());
    TWinControl* control = data != nullptr ? data->GetParentControl() : nullptr;
    auto* editor = dynamic_cast<TControl*>(sender);
    if (control == nullptr || editor == nullptr)
        return;
    // As the control itself would answer: without a handler it takes nothing.
    if (!control->OnDragOver) {
        accept = false;
        return;
    }
    control->OnDragOver(control, source, x + editor->Left(), y + editor->Top(), state, accept);
}

void TRVTableItemInfo::InplaceEditorDragDrop(TObject* sender, TObject* source, int x, int y)
{
    auto* data = dynamic_cast<TCustomRVFormattedData*>(GetRVData());
    TWinControl* control = data != nullptr ? data->GetParentControl() : nullptr;
    auto* editor = dynamic_cast<TControl*>(sender);
    if (control != nullptr && editor != nullptr && control->OnDragDrop)
        control->OnDragDrop(control, source, x + editor->Left(), y + editor->Top());
}

void TRVTableItemInfo::InplaceEditorControlAction(TCustomRollView* sender, TRVControlAction action,
                                                  int itemNo, TControl*& ctrl)
{
    (void)sender;
    (void)itemNo;
    if (auto* data = dynamic_cast<TRollViewRVData*>(GetRVData()))
        data->ControlAction2(action, GetMyItemNo(), ctrl);
}

void TRVTableItemInfo::SetInplaceBounds(int left, int top, int width, int height)
{
    TRVTableInplaceEdit* editor = InplaceEditor;
    if (editor == nullptr)
        return;
    editor->TallCell = height > RVInplaceMaxHeight;
    height = std::min(height, RVInplaceMaxHeight);
    editor->SetTag(top);
    editor->SetBounds(left, RV_GetYByTag(editor), width, height);
    if (State.Contains(rvtsFormatInplace))
        editor->EditRVData()->FormatAll();
    State.Exclude(rvtsFormatInplace);
}

void TRVTableItemInfo::AdjustInserted(int x, int y, bool adjustY)
{
    (void)adjustY;
    if (TRVTableInplaceEdit* editor = InplaceEditor; editor != nullptr && editor->Cell != nullptr) {
        TRVTableCellData* cell = editor->Cell;
        const int extra = cell->GetExtraVOffs();
        SetInplaceBounds(cell->Left + x, cell->Top + y + extra, cell->Width, cell->Height - extra);
        editor->EditRVData()->Format_(true, false, false, 0, nullptr, false, false);
    }
    CurLeft = x;
    CurTop = y;
    for (int r = 0; r < Rows->Count(); ++r)
        for (int c = 0; c < Rows->Get(r)->Count(); ++c)
            if (TRVTableCellData* cell = GetCells(r, c))
                cell->AdjustChildrenCoords();
}

bool TRVTableItemInfo::GetCellWhichOwnsControl(TControl* aControl, int& row, int& col, int& itemNo) const
{
    for (int r = 0; r < Rows->Count(); ++r)
        for (int c = 0; c < Rows->Get(r)->Count(); ++c) {
            TRVTableCellData* cell = GetCells(r, c);
            if (cell == nullptr)
                continue;
            TCustomRVData* data = cell->GetRVData();
            for (int i = 0; i < data->GetItemCount(); ++i)
                if (data->GetItem(i)->OwnsControl(aControl)) {
                    row = r;
                    col = c;
                    itemNo = i;
                    return true;
                }
        }
    return false;
}

bool TRVTableItemInfo::OwnsControl(TControl* aControl) const
{
    int row, col, itemNo;
    return GetCellWhichOwnsControl(aControl, row, col, itemNo);
}

bool TRVTableItemInfo::OwnsInplaceEditor(TControl* aEditor) const
{
    return aEditor != nullptr && aEditor == InplaceEditor;
}

void TRVTableItemInfo::MovingToUndoList(int itemNo, TCustomRVData* rvData, TObject* aContainerUndoItem)
{
    DestroyInplace(false);
    // The cells stay in their rows: only what their items show goes.
    for (int r = 0; r < Rows->Count(); ++r)
        for (int c = 0; c < Rows->Get(r)->Count(); ++c)
            if (TRVTableCellData* cell = GetCells(r, c))
                for (int i = 0; i < cell->GetItemCount(); ++i)
                    cell->GetItem(i)->MovingToUndoList(i, cell, aContainerUndoItem);
    TRVFullLineItemInfo::MovingToUndoList(itemNo, rvData, aContainerUndoItem);
    // The rows forget the document: it may go before the record does (a cell
    // editor's document), and the table is in no document while it is kept.
    Rows->MainRVData = nullptr;
}

void TRVTableItemInfo::MovingFromUndoList(int itemNo, TCustomRVData* rvData)
{
    if (rvData != nullptr)
        Rows->MainRVData = rvData;
    for (int r = 0; r < Rows->Count(); ++r)
        for (int c = 0; c < Rows->Get(r)->Count(); ++c)
            if (TRVTableCellData* cell = GetCells(r, c))
                for (int i = 0; i < cell->GetItemCount(); ++i)
                    cell->GetItem(i)->MovingFromUndoList(i, cell);
    TRVFullLineItemInfo::MovingFromUndoList(itemNo, rvData);
}

// ---------------------------------------------------------------------------
// The open editor follows the table's colour and padding

void TRVTableItemInfo::InplaceCellColorChanged(const TRVTableCellData* cell)
{
    TRVTableInplaceEdit* editor = InplaceEditor;
    if (editor == nullptr || editor->GetEditedCell() == nullptr ||
        (cell != nullptr && editor->GetEditedCell() != cell))
        return;
    editor->SetCellColor(GetCellColor(editor->GetEditedCell()),
                         CanSeeBackgroundThroughCell(editor->GetEditedCell()));
}

void TRVTableItemInfo::SetColor(TColor value)
{
    if (State.Contains(rvtsInserted))
        SetProperty("Color", value, false, false);
    else
        Color = value;
    InplaceCellColorChanged(nullptr);
}

void TRVTableItemInfo::SetCellPadding(int value)
{
    if (InplaceEditor != nullptr) {
        InplaceEditor->SetLeftMargin(value);
        InplaceEditor->SetRightMargin(value);
        InplaceEditor->SetTopMargin(value);
        InplaceEditor->SetBottomMargin(value);
        // The next placing of the editor lays its document out for the new margins.
        State.Include(rvtsFormatInplace);
    }
    if (State.Contains(rvtsInserted))
        SetProperty("CellPadding", value, true, true);
    else
        CellPadding = value;
}
