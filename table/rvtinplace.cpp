// The in-place cell editor control and its document data (rvtinplace.h).
#include "table/rvtinplace.h"

#include <chrono>
#include <memory>

#include "document/rvstyle.h"
#include "platform/controls/winapi.h"
#include "table/rvtcellundo.h"
#include "view/rollview.h"

namespace {

unsigned TickNow()
{
    using namespace std::chrono;
    const auto ms = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    // 0 means "no tick": a clock that happens to read 0 counts as 1.
    return static_cast<unsigned>(ms) != 0 ? static_cast<unsigned>(ms) : 1;
}

} // namespace

// ---------------------------------------------------------------------------
// The document

TRVTableInplaceEdit* TRVTableInplaceRVData::Editor() const
{
    // Null while the editor's base classes are built or destroyed (the
    // document is cleared then): it is not a cell editor at those times.
    return dynamic_cast<TRVTableInplaceEdit*>(RollViewEdit());
}

TRVTableCellData* TRVTableInplaceRVData::EditedCell() const
{
    TRVTableInplaceEdit* editor = Editor();
    return editor != nullptr ? editor->Cell : nullptr;
}

void TRVTableInplaceRVData::SetDocumentAreaSize(int width, int height, bool updateH)
{
    TRVEditRVData::SetDocumentAreaSize(width, height, updateH);
    ResizedFlag = true;
}

void TRVTableInplaceRVData::ShowRectangle(int left, int top, int width, int height)
{
    TRVTableInplaceEdit* editor = Editor();
    if (editor == nullptr || editor->TallCell || editor->ParentData == nullptr) {
        TRVEditRVData::ShowRectangle(left, top, width, height);
        return;
    }
    TCustomRVFormattedData* parent = editor->ParentData;
    parent->ShowRectangle(left + editor->Left() + parent->GetHOffs(),
                          top + editor->Top() + parent->GetVOffs(), width, height);
}

void TRVTableInplaceRVData::GetOriginEx(int& x, int& y)
{
    TRVTableInplaceEdit* editor = Editor();
    if (editor == nullptr || editor->Cell == nullptr || editor->Table == nullptr) {
        TRVEditRVData::GetOriginEx(x, y);
        return;
    }
    editor->Cell->GetOriginEx(x, y);
    x -= editor->Table->CellPadding;
    y -= editor->Table->CellPadding;
}

TCustomRVData* TRVTableInplaceRVData::GetSourceRVData()
{
    TRVTableCellData* cell = EditedCell();
    return cell != nullptr ? static_cast<TCustomRVData*>(cell) : this;
}

TCustomRVData* TRVTableInplaceRVData::GetAbsoluteParentData()
{
    TRVTableCellData* cell = EditedCell();
    return cell != nullptr ? cell->GetAbsoluteParentData() : nullptr;
}

TCustomRVData* TRVTableInplaceRVData::GetAbsoluteRootData()
{
    TRVTableCellData* cell = EditedCell();
    return cell != nullptr ? cell->GetAbsoluteRootData() : this;
}

void TRVTableInplaceRVData::GetParentInfo(int& parentItemNo, TRVStoreSubRVData*& location)
{
    if (TRVTableCellData* cell = EditedCell()) {
        cell->GetParentInfo(parentItemNo, location);
        return;
    }
    TRVEditRVData::GetParentInfo(parentItemNo, location);
}

void TRVTableInplaceRVData::DoRVDblClick(const AnsiString& clickedWord, int styleNo)
{
    auto data = std::make_unique<TRVDblClickMessageData>();
    data->ClickedWord = clickedWord;
    data->StyleNo = styleNo;
    if (TCustomRollView* viewer = dynamic_cast<TCustomRollView*>(GetAbsoluteRootData()->GetParentControl()))
        viewer->PostRVEvent(std::move(data));
}

void TRVTableInplaceRVData::DoJump(int id)
{
    auto data = std::make_unique<TRVJumpMessageData>();
    data->Id = id;
    if (TCustomRollView* viewer = dynamic_cast<TCustomRollView*>(GetAbsoluteRootData()->GetParentControl()))
        viewer->PostRVEvent(std::move(data));
}

void TRVTableInplaceRVData::DrawBackground(TCanvas* canvas, const TRect& rect)
{
    TRVTableInplaceEdit* editor = Editor();
    TRVTableCellData* cell = editor != nullptr ? editor->Cell : nullptr;
    TRVTableItemInfo* table = editor != nullptr ? editor->Table : nullptr;
    if (cell == nullptr || table == nullptr || !cell->IsTransparent() ||
        State.Contains(rvstCompletelySelected)) {
        if (TRVBackground* background = GetBackground())
            background->Draw(canvas, rect, GetHOffs(), GetVOffs(), 0, 0, GetWidth(), GetHeight(),
                             RollViewEdit() != nullptr ? RollViewEdit()->GetColor() : clNone, false);
        else
            TRVEditRVData::DrawBackground(canvas, rect);
        return;
    }
    if (editor->Transparent && editor->ParentData != nullptr) {
        TRect moved = rect;
        moved.Left += editor->Left();
        moved.Right += editor->Left();
        moved.Top += editor->Top();
        moved.Bottom += editor->Top();
        editor->ParentData->DrawBackground(canvas, moved);
    }
    table->DrawBackgroundUnderCell(canvas, cell, rect);
    if (cell->Background && cell->GetBackgroundImage() != nullptr) {
        const int extra = cell->GetExtraVOffs();
        cell->Background->Draw(canvas, rect, GetHOffs(), GetVOffs() - extra, 0, 0, GetWidth(),
                               GetHeight() + extra, clNone, false);
    }
}

TRVBackground* TRVTableInplaceRVData::GetBackground()
{
    TRVTableCellData* cell = EditedCell();
    if (cell != nullptr && !State.Contains(rvstCompletelySelected) && cell->Background)
        return cell->Background.get();
    return TRVEditRVData::GetBackground();
}

void TRVTableInplaceRVData::Formatted(int firstItemNo, int lastItemNo, bool partial)
{
    TRVEditRVData::Formatted(firstItemNo, lastItemNo, partial);
    LaidOutChanges = ChangeCount();
    TRVTableInplaceEdit* editor = Editor();
    if (editor != nullptr && editor->OnFormatted)
        editor->OnFormatted(editor);
}

// ---------------------------------------------------------------------------
// The control

TRVTableInplaceEdit::TRVTableInplaceEdit(TComponent* aOwner)
    : TRollViewEdit(aOwner, TRVTableInplaceRVData::Create)
{
    SetBorderStyle(bsNone);
    SetVisible(false);
    SetWheelStep(0);
    SetVScrollVisible(false);
    SetHScrollVisible(false);
}

TRVTableInplaceEdit::~TRVTableInplaceEdit()
{
    // Freed with its parent control while still open: it closes now.
    Close();
    // The cell's document asks this editor for its cell while it is cleared.
    FreeDocument();
}

TCustomRollView* TRVTableInplaceEdit::ParentViewer() const
{
    return ParentData != nullptr ? dynamic_cast<TCustomRollView*>(ParentData->GetParentControl()) : nullptr;
}

TCustomRollView* TRVTableInplaceEdit::RootViewer() const
{
    if (ParentData == nullptr)
        return nullptr;
    return dynamic_cast<TCustomRollView*>(ParentData->GetAbsoluteRootData()->GetParentControl());
}

TCustomRollViewEdit* TRVTableInplaceEdit::HoldingEditor() const
{
    return dynamic_cast<TRVEditRVData*>(ParentData) != nullptr
               ? dynamic_cast<TCustomRollViewEdit*>(ParentViewer())
               : nullptr;
}

void TRVTableInplaceEdit::SetCell(int row, int col, TRVTableItemInfo* table, int margin)
{
    Row = row;
    Col = col;
    Table = table;
    Cell = table->GetCells(row, col);
    TableItemNo = table->GetMyItemNo();
    SetLeftMargin(margin);
    SetRightMargin(margin);
    SetTopMargin(margin);
    SetBottomMargin(margin);
    // What the records keep outlives this editor: the outermost document disposes of it.
    if (TRVEditRVData* owner = RVUndoOwnerData(table->GetRVData())) {
        RVAdoptUndoList(*EditRVData()->UndoList, owner);
        RVAdoptUndoList(*EditRVData()->RedoList, owner);
        // A program's group open there collects this editor's commands too.
        if (owner != EditRVData())
            EditRVData()->UndoList->Outer = owner->UndoList.get();
    }
}

void TRVTableInplaceEdit::SetParentRVData(TCustomRVFormattedData* data)
{
    ParentData = data;
    SetOptions(data->GetOptions());
    if (TCustomRollView* viewer = ParentViewer()) {
        SetRVFOptions(viewer->RVFOptions());
        SetRTFOptions(viewer->RTFOptions());
    }
    SetStyle(data->GetRVStyle());
    SetVSmallStep(1);
}

void TRVTableInplaceEdit::SetEditorWidth(int width, bool force)
{
    TRVTableInplaceRVData* data = InplaceData();
    const bool stale = force || data->LaidOutChanges != data->ChangeCount();
    if (width == Width() && !stale)
        return;
    if (width != Width())
        SetBounds(Left(), Top(), width, Height());
    // A stale document is laid out whole, the tables inside it afresh.
    data->Format_(true, stale, false, 0, nullptr, false, stale);
}

void TRVTableInplaceEdit::StampCreation()
{
    CreationTick = TickNow();
}

bool TRVTableInplaceEdit::Resized()
{
    const bool result = InplaceData()->ResizedFlag;
    InplaceData()->ResizedFlag = false;
    return result;
}

void TRVTableInplaceEdit::SetCellColor(TColor color, bool transparent)
{
    Transparent = transparent;
    if (InplaceData()->State.Contains(rvstCompletelySelected))
        FSavedColor = color;
    else
        SetColor(color);
    Invalidate();
}

void TRVTableInplaceEdit::SelectCompletely(bool select)
{
    TRVTableInplaceRVData* data = InplaceData();
    if (data->State.Contains(rvstCompletelySelected) == select)
        return;
    if (select) {
        data->State.Include(rvstCompletelySelected);
        FSavedColor = Color();
        if (Style() != nullptr)
            SetColor(Style()->SelColor());
    } else {
        data->State.Exclude(rvstCompletelySelected);
        SetColor(FSavedColor);
    }
    data->ChangeCaret(rvcmKeepStyles);
    Invalidate();
}

void TRVTableInplaceEdit::PressFromTable(TMouseButton button, TShiftState shift, int x, int y)
{
    SetMouseCapture(true);
    MouseDown(button, shift, x, y);
}

// ---------------------------------------------------------------------------
// Undo, the change protocol and settings from the holder

// Counting what the cell editors open inside this one have to undo (redo).
void TRVTableInplaceEdit::Undo()
{
    if (UndoAction() != rvutNone)
        TRollViewEdit::Undo();
    else if (TCustomRollViewEdit* holder = HoldingEditor())
        holder->Undo();
}

void TRVTableInplaceEdit::Redo()
{
    if (RedoAction() != rvutNone)
        TRollViewEdit::Redo();
    else if (TCustomRollViewEdit* holder = HoldingEditor())
        holder->Redo();
}

bool TRVTableInplaceEdit::BeforeChange(bool fromOutside)
{
    (void)fromOutside;
    TCustomRollViewEdit* holder = HoldingEditor();
    if (holder == nullptr || !holder->BeforeChange(true) || Closed())
        return false;
    EditRVData()->PrepareForEdit();
    BeginCommandNotices();
    return true;
}

bool TRVTableInplaceEdit::GetReadOnly() const
{
    TCustomRollViewEdit* holder = HoldingEditor();
    return holder != nullptr && holder->GetReadOnly();
}

void TRVTableInplaceEdit::SetReadOnly(bool value)
{
    if (TCustomRollViewEdit* holder = HoldingEditor())
        holder->SetReadOnly(value);
}

TRVRTFReaderProperties* TRVTableInplaceEdit::GetRTFReadProperties()
{
    if (TCustomRollView* viewer = ParentViewer())
        return viewer->GetRTFReadProperties();
    return TRollViewEdit::GetRTFReadProperties();
}

TCanvas* TRVTableInplaceEdit::GetFormattingCanvas()
{
    // The cell's text measures as it does in the document around the table.
    return ParentData != nullptr ? ParentData->GetFormattingCanvas() : TRollViewEdit::GetFormattingCanvas();
}

void TRVTableInplaceEdit::SetVPos(int value, bool redraw)
{
    if (TallCell)
        TRollViewEdit::SetVPos(value, redraw);
}

void TRVTableInplaceEdit::SetHPos(int value)
{
    (void)value;
}

void TRVTableInplaceEdit::DoChange(bool clearRedo)
{
    TRollViewEdit::DoChange(clearRedo);
    if (UpdateCount() < 1 && OnChangeEx)
        OnChangeEx(this, clearRedo);
}

// ---------------------------------------------------------------------------
// Keys, the mouse and messages

void TRVTableInplaceEdit::KeyDown(WORD& key, TShiftState shift)
{
    if (key == VK_TAB && !shift.Contains(ssCtrl)) {
        PostMessage(Handle(), WM_RVMOVEEDITOR, shift.Contains(ssShift) ? rvcdPrev : rvcdNext, 0);
        key = 0;
        return;
    }
    TRollViewEdit::KeyDown(key, shift);
}

void TRVTableInplaceEdit::KeyPress(char& key)
{
    if (key == '\t' && GetKeyState(VK_CONTROL) >= 0)
        return;
    TRollViewEdit::KeyPress(key);
}

void TRVTableInplaceEdit::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    TRollViewEdit::MouseDown(button, shift, x, y);
    // A press handed on to a cell editor opened inside this one (its mouse
    // capture with it) selects there: the release goes to that editor, and a
    // selection of this editor's table would wait for it for ever.
    TRVTableItemInfo* table = Table;
    if (button == mbLeft && table != nullptr && MouseCapture() && table->StartSelecting(Row, Col)) {
        // Starting the selection tells the program, whose handler may close
        // this editor: the press ends with it, its selection too.
        if (FClosed) {
            table->MouseCaptureLost();
            return;
        }
        if (dynamic_cast<TRollViewRVData*>(ParentData) != nullptr)
            if (TCustomRollView* viewer = ParentViewer())
                viewer->ActivateScrollTimer();
        MouseSelecting = true;
    }
}

void TRVTableInplaceEdit::MouseMove(TShiftState shift, int x, int y)
{
    if (shift.Contains(ssLeft) && EditRVData()->State.Contains(rvstMakingSelection) &&
        dynamic_cast<TRollViewRVData*>(ParentData) != nullptr)
        ParentData->MouseMove(shift, x + Left(), y + Top());
    TRollViewEdit::MouseMove(shift, x, y);
}

void TRVTableInplaceEdit::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    if ((button == mbLeft || button == mbRight) && MouseCapture())
        SetMouseCapture(false);
    TRollViewEdit::MouseUp(button, shift, x, y);
    if (button != mbLeft)
        return;
    MouseSelecting = false;
    if (Table != nullptr && Table->IsSelecting() && dynamic_cast<TRollViewRVData*>(ParentData) != nullptr) {
        TCustomRollView* viewer = ParentViewer();
        TRVMouseEvent saved = viewer != nullptr ? viewer->OnRVMouseUp : TRVMouseEvent();
        if (viewer != nullptr)
            viewer->OnRVMouseUp = nullptr;
        ParentData->MouseUp(button, shift, x + Left(), y + Top());
        if (viewer != nullptr)
            viewer->OnRVMouseUp = saved;
    }
    if (EditRVData()->State.Contains(rvstCompletelySelected))
        PostMessage(Handle(), CM_RELEASE, 0, 0);
    else
        SelectCompletely(false);
}

void TRVTableInplaceEdit::Click()
{
    if (TCustomRollView* viewer = RootViewer())
        viewer->PostRVEvent(std::make_unique<TRVClickMessageData>());
}

namespace {

// Posts a drop or a drag's end at an editor client point to the viewer, in
// the viewer's client coordinates.
void PostDragEvent(TRVTableInplaceEdit* editor, TCustomRollView* viewer, TRVEventType event, TObject* obj,
                   int x, int y)
{
    if (viewer == nullptr)
        return;
    const TPoint p = viewer->ScreenToClient(editor->ClientToScreen(TPoint{x, y}));
    auto data = std::make_unique<TRVDNDMessageData>(event);
    data->X = p.X;
    data->Y = p.Y;
    data->Obj = obj;
    viewer->PostRVEvent(std::move(data));
}

} // namespace

void TRVTableInplaceEdit::DragDrop(TObject* source, int x, int y)
{
    PostDragEvent(this, RootViewer(), rvetDragDrop, source, x, y);
}

void TRVTableInplaceEdit::DoEndDrag(TObject* target, int x, int y)
{
    PostDragEvent(this, RootViewer(), rvetEndDrag, target, x, y);
}

void TRVTableInplaceEdit::MoveEditor(TRVCellDirection direction)
{
    TCustomRVFormattedData* parent = ParentData;
    TRVTableItemInfo* table = Table;
    if (parent == nullptr || table == nullptr)
        return;
    auto* root = dynamic_cast<TCustomRVFormattedData*>(parent->GetAbsoluteRootData());
    if (direction == rvcdDocTop || direction == rvcdDocBottom) {
        if (root != nullptr && root->GetItemCount() > 0) {
            const int item = direction == rvcdDocTop ? 0 : root->GetItemCount() - 1;
            const int offs =
                direction == rvcdDocTop ? root->GetOffsBeforeItem(item) : root->GetOffsAfterItem(item);
            root->SetSelectionBounds(item, offs, item, offs);
        }
        // The caret is in the outermost document now, every cell editor
        // closed (this one and the one holding its table too).
        if (root != nullptr)
            root->FocusParentControl();
        return;
    }
    int newRow, newCol;
    if (table->GetCellTo(Row, Col, direction, newRow, newCol, false)) {
        const bool toStart = direction == rvcdRight || direction == rvcdDown || direction == rvcdNext;
        // The next editor opens where this one closes.
        table->CreateInplace(TableItemNo, newRow, newCol, false, toStart, !toStart, false, false);
        return;
    }
    const TRVTableCellData* cell = Cell;
    const int itemNo = table->GetMyItemNo();
    if (cell == nullptr || itemNo < 0)
        return;
    int offs = -1;
    if ((direction == rvcdLeft && Col == 0) || (direction == rvcdUp && Row == 0))
        offs = 0;
    else if ((direction == rvcdRight && Col + cell->ColSpan >= table->Rows->Get(Row)->Count()) ||
             (direction == rvcdDown && Row + cell->RowSpan >= table->Rows->Count()))
        offs = 1;
    if (offs < 0)
        return;
    parent->SetSelectionBounds(itemNo, offs, itemNo, offs);
    parent->FocusParentControl();
}

void TRVTableInplaceEdit::WndProc(TMessage& message)
{
    // The second click of a double click whose first click opened the editor
    // arrives here as a single click: it is the double click.
    if (message.Msg == WM_LBUTTONDOWN) {
        if (CreationTick != 0 && TickNow() - CreationTick < GetDoubleClickTime())
            message.Msg = WM_LBUTTONDBLCLK;
        CreationTick = 0;
    }
    TRollViewEdit::WndProc(message);
}

void TRVTableInplaceEdit::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case WM_CANCELMODE:
        // The capture went elsewhere: no cell selection goes on from here.
        MouseSelecting = false;
        if (Table != nullptr)
            Table->MouseCaptureLost();
        break;
    case WM_RVMOVEEDITOR:
        MoveEditor(static_cast<TRVCellDirection>(message.WParam));
        return;
    case WM_RVINPLACEUNDO:
    case WM_RVINPLACEREDO:
        if (message.Msg == WM_RVINPLACEUNDO)
            Undo();
        else
            Redo();
        return;
    case EM_UNDO:
    case WM_UNDO:
    case EM_REDO:
    case EM_CANUNDO:
    case EM_CANREDO:
        if (Parent() != nullptr) {
            message.Result = SendMessage(Parent()->Handle(), message.Msg, message.WParam, message.LParam);
            return;
        }
        break;
    case CM_RELEASE: {
        TWinControl* former = Parent();
        Release();
        if (former != nullptr && former->Visible() && former->CanFocus())
            former->SetFocus();
        return;
    }
    case WM_CLOSE:
        // Asked by the viewer that shows the table (its chosen document goes):
        // closed now, freed later.
        Release();
        message.Result = 1;
        return;
    default:
        break;
    }
    TRollViewEdit::Dispatch(message);
}
