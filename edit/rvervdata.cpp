// The editor's document data: construction, undo sequences and playing them,
// the end of a command, caret positions in item terms and protection.
#include "edit/rvervdata.h"

#include <algorithm>

#include "document/rvitem.h"
#include "document/rvmarker.h"
#include "document/rvset.h"
#include "document/rvstyle.h"
#include "document/rvstyle_para.h"
#include "document/rvstyle_text.h"
#include "edit/rollviewedit.h"
#include "edit/rvundorecords.h"

TRVEditRVData::TRVEditRVData(TCustomRollView* aRollView) : TRollViewRVData(aRollView)
{
    UndoList = std::make_unique<TRVUndoList>(this);
    RedoList = std::make_unique<TRVUndoList>(this);
}

TRVEditRVData::~TRVEditRVData()
{
    // Records give kept items back to this data for freeing: before the items go.
    UndoList.reset();
    RedoList.reset();
    CharPos.clear();
    FDestroying = true;
    Clear();
}

TCustomRollViewEdit* TRVEditRVData::RollViewEdit() const
{
    return static_cast<TCustomRollViewEdit*>(RollView());
}

void TRVEditRVData::Clear()
{
    TRollViewRVData::Clear();
    // An emptied document holds nothing unsaved.
    if (!FDestroying)
        RollViewEdit()->Modified = false;
    if (UndoList)
        UndoList->Clear();
    if (RedoList)
        RedoList->Clear();
    LastAutoTextStyleNo = 0;
    ForgetMarkerChanges();
    CurParaStyleNo = 0;
    CurTextStyleNo = 0;
    State.Include(rvstEditorUnformatted);
}

void TRVEditRVData::ClearTemporal()
{
    CharPos.clear();
    CaretDrawItemNo = -1;
    CaretOffs = -1;
    TRollViewRVData::ClearTemporal();
}

// ---------------------------------------------------------------------------
// Undo sequences

TRVUndoList* TRVEditRVData::GetUndoList() const
{
    if (UndoDest == udUndo && UndoList->Limit != 0)
        return UndoList.get();
    if (UndoDest == udRedo)
        return RedoList.get();
    return nullptr;
}

TRVUndoList* TRVEditRVData::NoteEditAndGetUndoList()
{
    FEdited = true;
    return GetUndoList();
}

void TRVEditRVData::AddRecord(std::unique_ptr<TRVUndoInfo> info)
{
    if (TRVUndoList* list = NoteEditAndGetUndoList())
        list->AddInfo(std::move(info));
}

void TRVEditRVData::BeginUndoSequence(TRVUndoType undoType, bool allowFinalize)
{
    BeginNamedUndoSequence(undoType, AnsiString(), allowFinalize);
}

void TRVEditRVData::BeginNamedUndoSequence(TRVUndoType undoType, const AnsiString& caption,
                                           bool allowFinalize)
{
    if (allowFinalize)
        FinalizeUndo();
    const bool accepted = UndoList->BeginItem(undoType, caption, GetCurItemNo(), GetOffsetInCurItem());
    UndoDest = accepted ? udUndo : udNone;
}

void TRVEditRVData::FinalizeUndo()
{
    if (State.Contains(rvstFinalizingUndo))
        return;
    TRVFlagGuard finalizing(State, rvstFinalizingUndo);
    if (PartialSelectedItem)
        PartialSelectedItem->FinalizeUndoGroup();
    else if (TCustomRVItemInfo* chosen = GetChosenItem())
        chosen->FinalizeUndoGroup();
}

void TRVEditRVData::BeginRedoSequence(TRVUndoType undoType, const AnsiString& caption)
{
    const bool accepted = RedoList->BeginItem(undoType, caption, GetCurItemNo(), GetOffsetInCurItem());
    UndoDest = accepted ? udRedo : udNone;
}

void TRVEditRVData::EndUndoSequence()
{
    UndoList->EndItem();
}

void TRVEditRVData::SetUndoGroupMode(bool groupUndo)
{
    if (groupUndo) {
        ++UndoList->GroupModeCount;
        return;
    }
    // A call without its opening one leaves the count at 0.
    if (UndoList->GroupModeCount < 1)
        return;
    // The group is one step: what the cell editors open in this document
    // recorded while it was open joins it before it closes.
    if (UndoList->GroupModeCount == 1)
        FinalizeUndo();
    --UndoList->GroupModeCount;
}

void TRVEditRVData::ClearUndo()
{
    UndoList->Clear();
    RedoList->Clear();
}

void TRVEditRVData::DropRedo()
{
    RedoList->Clear();
    for (TCustomRollViewEdit* e = RollViewEdit() != nullptr ? RollViewEdit()->CellEditor() : nullptr;
         e != nullptr; e = e->CellEditor())
        e->EditRVData()->RedoList->Clear();
}

void TRVEditRVData::Undo()
{
    PlayGroup(*UndoList, *RedoList);
}

void TRVEditRVData::Redo()
{
    PlayGroup(*RedoList, *UndoList);
}

// Plays the last group of from; its opposite lands in to.
void TRVEditRVData::PlayGroup(TRVUndoList& from, TRVUndoList& to)
{
    // A cell editor open in this document hands its edits over first: they
    // came after every group of the lists, and the group played must be the
    // latest (a redo list they made stale goes with them).
    if (!FPlaying && RollViewEdit() != nullptr && RollViewEdit()->GetInplaceEditor() != nullptr)
        RollViewEdit()->DestroyInplace();
    if (from.CurrentUndoType() == rvutNone)
        return;
    // Playing deselects: the highlight goes wherever the selection was.
    if (SelectionExists(false, true))
        Invalidate();
    FPlaying = true;
    try {
        from.Undo(this);
    } catch (...) {
        // A half-played group must never be played again, nor anything
        // before it: the history ends here. Undo raises nothing and shows
        // nothing; the document is laid out as the play left it.
        FPlaying = false;
        UndoDest = udNone;
        ClearUndo();
        FormatAll();
        ChangeEx(false);
        return;
    }
    FPlaying = false;
    // The group's own records laid out what its markers renumbered.
    ForgetMarkerChanges();
    to.PopIfEmpty();
    ChangeEx(false);
}

void TRVEditRVData::ChangeEx(bool clearRedo)
{
    UpdateChangedMarkers();
    UndoList->PopIfEmpty();
    UndoDest = udNone;
    TCustomRollViewEdit* editor = RollViewEdit();
    // A command that was refused or found nothing to do is no change.
    if (FEdited) {
        FEdited = false;
        editor->DoChange(clearRedo && !FPlaying);
    }
    // The command has made its change and told of it (a cell editor's table
    // laid out anew): the program hears of the selection, styles and caret
    // it left.
    editor->EndCommandNotices();
}

// ---------------------------------------------------------------------------
// Positions

int TRVEditRVData::GetCurItemNo()
{
    PrepareForEdit();
    if (PartialSelectedItem)
        return GetItemNo(PartialSelectedItem);
    if (!CaretStandsOnItem())
        return -1;
    return DrawItems[CaretDrawItemNo]->ItemNo;
}

bool TRVEditRVData::CaretStandsOnItem() const
{
    // Asked in the middle of a change (a handler of an event it raises), the
    // caret may still name a line or an item the change has removed.
    return CaretDrawItemNo >= 0 && CaretDrawItemNo < DrawItems.Count() &&
           DrawItems[CaretDrawItemNo]->ItemNo < GetItemCount();
}

int TRVEditRVData::GetOffsetInCurItem()
{
    PrepareForEdit();
    if (PartialSelectedItem)
        return 1;
    if (!CaretStandsOnItem() || CaretOffs < 0 || CaretOffs >= static_cast<int>(CharPos.size()))
        return -1;
    const TRVDrawLineInfo* dli = DrawItems[CaretDrawItemNo];
    if (IsTextItem(dli->ItemNo))
        return dli->Offs + CharPos[CaretOffs].Offset - 1;
    return CharPos[CaretOffs].Offset;
}

int TRVEditRVData::GetParaEndItemNo(int itemNo) const
{
    while (itemNo + 1 < GetItemCount() && !GetItem(itemNo + 1)->CanBeBorderStart())
        ++itemNo;
    return itemNo;
}

bool TRVEditRVData::CaretAtTheBeginningOfLine() const
{
    return CaretOffs == 0;
}

bool TRVEditRVData::CaretAtTheEndOfLine() const
{
    return CaretOffs == static_cast<int>(CharPos.size()) - 1;
}

bool TRVEditRVData::CaretInTheLastLine() const
{
    return !CharPos.empty() && CharPos.back().DrawItemNo == DrawItems.Count() - 1;
}

bool TRVEditRVData::CaretAtTheBeginningOfParaSection() const
{
    if (CaretOffs != 0)
        return false;
    const TRVDrawLineInfo* dli = DrawItems[CharPos[CaretOffs].DrawItemNo];
    if (dli->Offs > 1 && IsTextItem(dli->ItemNo))
        return false;
    const int itemNo = dli->ItemNo;
    if (IsTextItem(itemNo) && CharPos[CaretOffs].Offset > 1)
        return false;
    return !GetItem(itemNo)->GetSameAsPrev() || (itemNo > 0 && GetItemStyle(itemNo - 1) == rvsListMarker);
}

bool TRVEditRVData::CaretAtTheEndOfParaSection() const
{
    if (!CaretAtTheEndOfLine())
        return false;
    const TRVDrawLineInfo* dli = DrawItems[CharPos[CaretOffs].DrawItemNo];
    const int itemNo = dli->ItemNo;
    if (itemNo + 1 < GetItemCount() && GetItem(itemNo + 1)->GetSameAsPrev())
        return false;
    return !IsTextItem(itemNo) || dli->Offs + CharPos[CaretOffs].Offset - 1 > ItemLength(itemNo);
}

// ---------------------------------------------------------------------------
// Protection and markers

bool TRVEditRVData::IsProtected(int itemNo, TRVProtectOption option)
{
    const int styleNo = GetItemStyle(itemNo);
    if (styleNo >= 0)
        return GetRVStyle()->TextStyles()->Items(styleNo)->Protection().Contains(option);
    const auto* nonText = dynamic_cast<const TRVNonTextItemInfo*>(GetItem(itemNo));
    return option == rvprDeleteProtect && nonText && nonText->DeleteProtect;
}

bool TRVEditRVData::IsParaProtected(int paraNo, TRVParaOption option)
{
    const TRVStyle* style = GetRVStyle();
    return paraNo >= 0 && paraNo < style->ParaStyles()->Count() &&
           style->ParaStyles()->Items(paraNo)->Options().Contains(option);
}

bool TRVEditRVData::IsItemParaProtected(int itemNo)
{
    return IsParaProtected(GetItemPara(itemNo), rvpaoReadOnly);
}

bool TRVEditRVData::IsSticking(int itemNo)
{
    if (itemNo < 0)
        return GetItemCount() > 0 && IsProtected(0, rvprSticking);
    if (itemNo >= GetItemCount() - 1)
        return IsProtected(itemNo, rvprSticking);
    return IsProtected(itemNo, rvprSticking) && IsProtected(itemNo + 1, rvprSticking);
}

void TRVEditRVData::AdjustMarkerPos(int& itemNo, int& offs)
{
    if (itemNo < 0 || itemNo >= GetItemCount() || GetItemStyle(itemNo) != rvsListMarker)
        return;
    if ((itemNo == 0 || offs == 1) && itemNo + 1 < GetItemCount()) {
        ++itemNo;
        offs = GetOffsBeforeItem(itemNo);
    } else if (itemNo > 0) {
        --itemNo;
        offs = GetOffsAfterItem(itemNo);
    }
}

void TRVEditRVData::AdjustMarkerCaret(bool right, int& offs)
{
    if (CaretDrawItemNo < 0 || CaretDrawItemNo >= DrawItems.Count() ||
        GetItemStyle(DrawItems[CaretDrawItemNo]->ItemNo) != rvsListMarker)
        return;
    if ((CaretDrawItemNo == 0 || right) && CaretDrawItemNo + 1 < DrawItems.Count()) {
        ++CaretDrawItemNo;
        offs = GetOffsBeforeDrawItem(CaretDrawItemNo);
    } else if (CaretDrawItemNo > 0) {
        --CaretDrawItemNo;
        offs = GetOffsAfterDrawItem(CaretDrawItemNo);
    }
}

void TRVEditRVData::EditBeep()
{
    if (GetRVStyle() && GetRVStyle()->UseSound())
        RollViewEdit()->Beep();
}
