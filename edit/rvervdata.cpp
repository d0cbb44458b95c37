// The editor's document data: construction, the host's geometry, undo
// sequences and playing them, caret positions in item terms and protection.
#include "edit/rvervdata.h"

#include <algorithm>

#include "document/rvitem.h"
#include "document/rvmarker.h"
#include "document/rvstyle.h"
#include "document/rvstyle_para.h"
#include "document/rvstyle_text.h"
#include "edit/rvundorecords.h"

TRVEditRVData::TRVEditRVData(TRVStyle* AStyle, TRVEditHost* AHost) : Style(AStyle), Host(AHost)
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
    Clear();
}

TRVMarkerList* TRVEditRVData::GetMarkers(bool AllowCreate)
{
    if (!FMarkers && AllowCreate)
        FMarkers = std::make_unique<TRVMarkerList>();
    return FMarkers.get();
}

void TRVEditRVData::DestroyMarkers()
{
    FMarkers.reset();
}

void TRVEditRVData::SetDocumentAreaSize(int Width, int Height, bool)
{
    FAreaWidth = Width;
    Host->SetDocumentAreaSize(Width, Height);
}

void TRVEditRVData::Clear()
{
    TCustomRVFormattedData::Clear();
    Modified = false;
    if (UndoList)
        UndoList->Clear();
    if (RedoList)
        RedoList->Clear();
    LastAutoTextStyleNo = 0;
    CurParaStyleNo = 0;
    CurTextStyleNo = 0;
    State.Include(rvstEditorUnformatted);
}

void TRVEditRVData::ClearTemporal()
{
    CharPos.clear();
    CaretDrawItemNo = -1;
    CaretOffs = -1;
    TCustomRVFormattedData::ClearTemporal();
}

// ---------------------------------------------------------------------------
// Undo sequences

TRVUndoList* TRVEditRVData::GetUndoList()
{
    if (UndoDest == udUndo && UndoList->Limit != 0)
        return UndoList.get();
    if (UndoDest == udRedo)
        return RedoList.get();
    return nullptr;
}

void TRVEditRVData::AddRecord(std::unique_ptr<TRVUndoInfo> Info)
{
    if (TRVUndoList* List = GetUndoList())
        List->AddInfo(std::move(Info));
}

void TRVEditRVData::BeginUndoSequence(TRVUndoType UndoType, bool AllowFinalize)
{
    BeginNamedUndoSequence(UndoType, AnsiString(), AllowFinalize);
}

void TRVEditRVData::BeginNamedUndoSequence(TRVUndoType UndoType, const AnsiString& Caption,
                                           bool AllowFinalize)
{
    if (AllowFinalize && !State.Contains(rvstFinalizingUndo)) {
        State.Include(rvstFinalizingUndo);
        try {
            if (PartialSelectedItem)
                PartialSelectedItem->FinalizeUndoGroup();
            else if (TCustomRVItemInfo* Chosen = GetChosenItem())
                Chosen->FinalizeUndoGroup();
        } catch (...) {
            State.Exclude(rvstFinalizingUndo);
            throw;
        }
        State.Exclude(rvstFinalizingUndo);
    }
    const bool Accepted = UndoList->BeginItem(UndoType, Caption, GetCurItemNo(), GetOffsetInCurItem());
    UndoDest = Accepted ? udUndo : udNone;
}

void TRVEditRVData::BeginRedoSequence(TRVUndoType UndoType, const AnsiString& Caption)
{
    const bool Accepted = RedoList->BeginItem(UndoType, Caption, GetCurItemNo(), GetOffsetInCurItem());
    UndoDest = Accepted ? udRedo : udNone;
}

void TRVEditRVData::EndUndoSequence()
{
    UndoList->EndItem();
}

void TRVEditRVData::SetUndoGroupMode(bool GroupUndo)
{
    UndoList->GroupModeCount += GroupUndo ? 1 : -1;
}

void TRVEditRVData::ClearUndo()
{
    UndoList->Clear();
    RedoList->Clear();
}

void TRVEditRVData::Undo()
{
    if (UndoList->CurrentUndoType() == rvutNone)
        return;
    FPlaying = true;
    try {
        UndoList->Undo(this);
    } catch (...) {
        // A half-played group must never be played again.
        FPlaying = false;
        UndoDest = udNone;
        ClearUndo();
        FormatAll();
        throw;
    }
    FPlaying = false;
    RedoList->PopIfEmpty();
    ChangeEx(false);
}

void TRVEditRVData::Redo()
{
    if (RedoList->CurrentUndoType() == rvutNone)
        return;
    FPlaying = true;
    try {
        RedoList->Undo(this);
    } catch (...) {
        FPlaying = false;
        UndoDest = udNone;
        ClearUndo();
        FormatAll();
        throw;
    }
    FPlaying = false;
    UndoList->PopIfEmpty();
    ChangeEx(false);
}

void TRVEditRVData::ChangeEx(bool ClearRedo)
{
    Modified = true;
    if (ClearRedo && !FPlaying)
        RedoList->Clear();
    UndoList->PopIfEmpty();
    UndoDest = udNone;
    if (OnChange)
        OnChange();
}

// ---------------------------------------------------------------------------
// Positions

int TRVEditRVData::GetCurItemNo()
{
    PrepareForEdit();
    if (PartialSelectedItem)
        return GetItemNo(PartialSelectedItem);
    if (CaretDrawItemNo < 0 || CaretDrawItemNo >= DrawItems.Count())
        return -1;
    return DrawItems[CaretDrawItemNo]->ItemNo;
}

int TRVEditRVData::GetOffsetInCurItem()
{
    PrepareForEdit();
    if (PartialSelectedItem)
        return 1;
    if (CaretDrawItemNo < 0 || CaretOffs < 0 || CaretOffs >= static_cast<int>(CharPos.size()))
        return -1;
    const TRVDrawLineInfo* dli = DrawItems[CaretDrawItemNo];
    if (GetItemStyle(dli->ItemNo) >= 0)
        return dli->Offs + CharPos[CaretOffs].Offset - 1;
    return CharPos[CaretOffs].Offset;
}

int TRVEditRVData::GetParaEndItemNo(int ItemNo) const
{
    while (ItemNo + 1 < GetItemCount() && !GetItem(ItemNo + 1)->CanBeBorderStart())
        ++ItemNo;
    return ItemNo;
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

bool TRVEditRVData::CaretAtTheBeginningOfParaSection()
{
    CaretDrawItemNo = CharPos[CaretOffs].DrawItemNo;
    if (CaretOffs != 0)
        return false;
    const TRVDrawLineInfo* dli = DrawItems[CaretDrawItemNo];
    if (dli->Offs > 1 && GetItemStyle(dli->ItemNo) >= 0)
        return false;
    const int ItemNo = dli->ItemNo;
    if (GetItemStyle(ItemNo) >= 0 && CharPos[CaretOffs].Offset > 1)
        return false;
    return !GetItem(ItemNo)->GetSameAsPrev() || (ItemNo > 0 && GetItemStyle(ItemNo - 1) == rvsListMarker);
}

bool TRVEditRVData::CaretAtTheEndOfParaSection()
{
    CaretDrawItemNo = CharPos[CaretOffs].DrawItemNo;
    if (!CaretAtTheEndOfLine())
        return false;
    const TRVDrawLineInfo* dli = DrawItems[CaretDrawItemNo];
    const int ItemNo = dli->ItemNo;
    if (ItemNo + 1 < GetItemCount() && GetItem(ItemNo + 1)->GetSameAsPrev())
        return false;
    return GetItemStyle(ItemNo) < 0 || dli->Offs + CharPos[CaretOffs].Offset - 1 > ItemLength(ItemNo);
}

// ---------------------------------------------------------------------------
// Protection and markers

bool TRVEditRVData::IsProtected(int ItemNo, TRVProtectOption Option)
{
    const int StyleNo = GetItemStyle(ItemNo);
    if (StyleNo >= 0)
        return Style->TextStyles()->Items(StyleNo)->Protection().Contains(Option);
    const auto* NonText = dynamic_cast<const TRVNonTextItemInfo*>(GetItem(ItemNo));
    return Option == rvprDeleteProtect && NonText && NonText->DeleteProtect;
}

bool TRVEditRVData::IsParaProtected(int ParaNo, TRVParaOption Option)
{
    return ParaNo >= 0 && ParaNo < Style->ParaStyles()->Count() &&
           Style->ParaStyles()->Items(ParaNo)->Options().Contains(Option);
}

bool TRVEditRVData::IsItemParaProtected(int ItemNo)
{
    return IsParaProtected(GetItemPara(ItemNo), rvpaoReadOnly);
}

bool TRVEditRVData::IsSticking(int ItemNo)
{
    bool Result;
    if (ItemNo < 0)
        Result = GetItemCount() > 0 && IsProtected(0, rvprSticking);
    else if (ItemNo >= GetItemCount() - 1)
        Result = IsProtected(ItemNo, rvprSticking);
    else
        Result = IsProtected(ItemNo, rvprSticking) && IsProtected(ItemNo + 1, rvprSticking);
    if (Result)
        EditBeep();
    return Result;
}

void TRVEditRVData::AdjustMarkerPos(int& ItemNo, int& Offs)
{
    if (ItemNo < 0 || ItemNo >= GetItemCount() || GetItemStyle(ItemNo) != rvsListMarker)
        return;
    if ((ItemNo == 0 || Offs == 1) && ItemNo + 1 < GetItemCount()) {
        ++ItemNo;
        Offs = GetOffsBeforeItem(ItemNo);
    } else if (ItemNo > 0) {
        --ItemNo;
        Offs = GetOffsAfterItem(ItemNo);
    }
}

void TRVEditRVData::AdjustMarkerCaret(bool Right, int& Offs)
{
    if (CaretDrawItemNo < 0 || CaretDrawItemNo >= DrawItems.Count() ||
        GetItemStyle(DrawItems[CaretDrawItemNo]->ItemNo) != rvsListMarker)
        return;
    if ((CaretDrawItemNo == 0 || Right) && CaretDrawItemNo + 1 < DrawItems.Count()) {
        ++CaretDrawItemNo;
        Offs = GetOffsBeforeDrawItem(CaretDrawItemNo);
    } else if (CaretDrawItemNo > 0) {
        --CaretDrawItemNo;
        Offs = GetOffsAfterDrawItem(CaretDrawItemNo);
    }
}

void TRVEditRVData::EditBeep()
{
    if (Style && Style->UseSound())
        Host->Beep();
}
