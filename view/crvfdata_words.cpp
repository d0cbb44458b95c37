// Words, hits and the selection of a laid-out document: the word under a
// point, selecting a word, a line or a control, the item at a point, the
// selection in item coordinates and its rectangle, and where checkpoints,
// hyperlinks and items lie.
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "document/rvstyle.h"
#include "document/rvuni.h"
#include "platform/controls/controls.h"
#include "platform/core/stringlist.h"
#include "view/crvfdata.h"

namespace {

// The chosen sub-document (a table cell being edited) as a formatted document.
TCustomRVFormattedData* ChosenData(TCustomRVFormattedData* Data)
{
    auto* Chosen = dynamic_cast<TCustomRVFormattedData*>(Data->GetChosenRVData());
    return Chosen != Data ? Chosen : nullptr;
}

} // namespace

// ---------------------------------------------------------------------------
// Words

bool TCustomRVFormattedData::FindWordAt(AnsiString& Word, int X, int Y, int& StyleNo, int& ItemNo, int& Offs,
                                        TCustomRVFormattedData*& RVData)
{
    RVData = this;
    ItemNo = -1;
    StyleNo = 0;
    Offs = 0;
    Word.clear();
    const int DocX = X + GetZHOffs();
    const int DocY = Y + GetZVOffs();
    const int DrawItemNo = FindDrawItemAtPos(DocX, DocY);
    if (DrawItemNo < 0)
        return false;
    const TRVDrawLineInfo* dli = DrawItems[DrawItemNo];
    TCustomRVItemInfo* Item = GetItem(dli->ItemNo);
    ItemNo = dli->ItemNo;
    StyleNo = Item->StyleNo;
    const AnsiString& Text = Items->Get(ItemNo);
    Word = Text;

    if (StyleNo < 0) {
        // A non-text item answers with its name, unless a sub-document of it
        // (a table cell) lies under the point.
        Item->ResetSubCoords();
        int Left = 0, Top = 0;
        GetItemClientCoords(ItemNo, Left, Top);
        auto* Sub = dynamic_cast<TCustomRVFormattedData*>(Item->GetSubRVDataAt(X - Left, Y - Top));
        if (Sub == nullptr || Sub == this)
            return true;
        int SubX = X, SubY = Y;
        TWinControl* Own = GetParentControl();
        TWinControl* SubControl = Sub->GetParentControl();
        if (SubControl != nullptr && SubControl != Own && SubControl->Parent() == Own) {
            // The sub-document is shown in an in-place editor on this control.
            SubX -= SubControl->Left();
            SubY -= SubControl->Top();
        }
        return Sub->FindWordAt(Word, SubX, SubY, StyleNo, ItemNo, Offs, RVData);
    }

    TRVStyle* RVStyle = GetRVStyle();
    TCanvas* Canvas = GetCanvas();
    const TRVItemOptions Options = Item->ItemOptions;
    const int ItemLen = RVU_Length(Text, Options);
    if (RVStyle == nullptr || Canvas == nullptr || ItemLen == 0) {
        Word.clear();
        Offs = dli->Offs;
        return true;
    }
    RVStyle->ApplyStyle(Canvas, StyleNo, GetParaBiDiMode(Item->ParaNo));
    const AnsiString s =
        RV_ReturnCapitalized(DrawItems.GetString(DrawItemNo, Items), RVStyle->TextStyles()->Items(StyleNo));
    const int Len = RVU_Length(s, Options);
    const int Distance = DocX - dli->Left - dli->SpaceBefore;
    // The number of characters before the pointer.
    int Count = 0;
    bool Placed = false;
    if (Len > 0 && GetItemBiDiMode(ItemNo) != rvbdUnspecified) {
        std::vector<int> Pos(static_cast<size_t>(Len) + 1);
        if (RVU_GetTextCaretPos(Canvas, s, Pos.data(), Options)) {
            for (int j = 1; j <= Len; ++j)
                if (std::abs(Pos[static_cast<size_t>(j)] - Distance) <
                    std::abs(Pos[static_cast<size_t>(Count)] - Distance))
                    Count = j;
            Placed = true;
        }
    }
    if (!Placed && Len > 0 && Distance > 0)
        RVU_GetTextExtentExPoint(Canvas, s, Distance, Count, nullptr, Options);
    const int P = std::clamp(Count + dli->Offs, 1, ItemLen);

    if (IsDelimiter(Text, P, Options)) {
        Offs = P;
        Word.clear();
        return true;
    }
    int First = P;
    while (First > 1 && !IsDelimiter(Text, First - 1, Options))
        --First;
    int Last = P;
    while (Last < ItemLen && !IsDelimiter(Text, Last + 1, Options))
        ++Last;
    Word = RVU_Copy(Text, First, Last - First + 1, Options);
    Offs = First;
    return true;
}

void TCustomRVFormattedData::SelectWordAt(int X, int Y)
{
    if (!GetOptions().Contains(rvoAllowSelection))
        return;
    AnsiString Word;
    int StyleNo, ItemNo, Offs;
    TCustomRVFormattedData* Data;
    if (!FindWordAt(Word, X, Y, StyleNo, ItemNo, Offs, Data))
        return;
    if (StyleNo >= 0)
        Data->SetSelectionBounds(ItemNo, Offs, ItemNo, Offs + RVU_Length(Word, Data->GetItemOptions(ItemNo)));
    else
        Data->SetSelectionBounds(ItemNo, 0, ItemNo, 1);
    Invalidate();
}

void TCustomRVFormattedData::SelectLine(int ItemNo, int Offs)
{
    if (ItemNo < 0 || ItemNo >= GetItemCount())
        return;
    int DrawItemNo, DrawOffs;
    Item2DrawItem(ItemNo, Offs, DrawItemNo, DrawOffs);
    if (DrawItemNo < 0)
        return;
    int First, Last;
    GetScreenLineBounds(DrawItemNo, First, Last);
    int StartItemNo, StartOffs, EndItemNo, EndOffs;
    DrawItem2Item(First, GetOffsBeforeDrawItem(First), StartItemNo, StartOffs);
    DrawItem2Item(Last, GetOffsAfterDrawItem(Last), EndItemNo, EndOffs);
    SetSelectionBounds(StartItemNo, StartOffs, EndItemNo, EndOffs);
}

bool TCustomRVFormattedData::SelectControl(TControl* AControl)
{
    for (int i = 0; i < GetItemCount(); ++i) {
        TCustomRVItemInfo* Item = GetItem(i);
        if (Item->StyleNo >= 0)
            continue;
        if (dynamic_cast<TRVControlItemInfo*>(Item) != nullptr && Item->OwnsControl(AControl)) {
            Edit();
            SetSelectionBounds(i, 0, i, 1);
            Invalidate();
            return true;
        }
        TRVStoreSubRVData* Store = nullptr;
        bool Found = false;
        for (TCustomRVData* Sub = Item->GetSubRVData(Store, rvdFirst); Sub != nullptr && !Found;
             Sub = Item->GetSubRVData(Store, rvdNext)) {
            auto* FSub = dynamic_cast<TCustomRVFormattedData*>(Sub);
            Found = FSub != nullptr && FSub->SelectControl(AControl);
        }
        delete Store;
        if (Found)
            return true;
    }
    return false;
}

// ---------------------------------------------------------------------------
// Items at a point

void TCustomRVFormattedData::GetItemAt(int X, int Y, int& ItemNo, int& Offs)
{
    int DrawItemNo, DrawOffs;
    FindDrawItemForSel(X, Y, DrawItemNo, DrawOffs, true);
    ItemNo = -1;
    Offs = 0;
    if (DrawItemNo >= 0)
        DrawItem2Item(DrawItemNo, DrawOffs, ItemNo, Offs);
}

void TCustomRVFormattedData::GetItemAtEx(int X, int Y, TCustomRVFormattedData*& RVData, int& ItemNo,
                                         int& Offs, bool Strict)
{
    RVData = this;
    ItemNo = -1;
    Offs = 0;
    int DrawItemNo, DrawOffs;
    FindDrawItemForSel(X, Y, DrawItemNo, DrawOffs, Strict);
    if (DrawItemNo < 0)
        return;
    DrawItem2Item(DrawItemNo, DrawOffs, ItemNo, Offs);
    const TRVDrawLineInfo* dli = DrawItems[DrawItemNo];
    auto* Sub =
        dynamic_cast<TCustomRVFormattedData*>(GetItem(ItemNo)->GetSubRVDataAt(X - dli->Left, Y - dli->Top));
    if (Sub == nullptr || Sub == this)
        return;
    int OX, OY, SX, SY;
    GetOriginEx(OX, OY);
    Sub->GetOriginEx(SX, SY);
    Sub->GetItemAtEx(X + OX - SX, Y + OY - SY, RVData, ItemNo, Offs, Strict);
}

// ---------------------------------------------------------------------------
// The selection

bool TCustomRVFormattedData::SelectionExists(bool Collapse, bool UsePartial)
{
    if (TCustomRVFormattedData* Chosen = ChosenData(this))
        return Chosen->SelectionExists(Collapse, UsePartial);
    // The selection being dragged is never collapsed under the user's hand.
    if (State.Contains(rvstMakingSelection))
        Collapse = false;
    if (UsePartial && PartialSelectedItem != nullptr && PartialSelectedItem->PartiallySelected())
        return true;
    int StartNo, EndNo, StartOffs, EndOffs;
    GetSelBounds(StartNo, EndNo, StartOffs, EndOffs, true);
    if (StartNo != -1 && StartNo == EndNo && StartOffs == EndOffs) {
        if (Collapse)
            Deselect(PartialSelectedItem, true);
        return false;
    }
    return StartNo != -1 && EndNo != -1;
}

void TCustomRVFormattedData::GetSelStart(int& DrawItemNo, int& Offs)
{
    SelectionExists(true, false);
    DrawItemNo = SelStartNo;
    Offs = SelStartOffs;
}

bool TCustomRVFormattedData::InsideSelection(int DrawItemNo, int Offs)
{
    if (!SelectionExists(false, false))
        return false;
    int StartNo, EndNo, StartOffs, EndOffs;
    GetSelBounds(StartNo, EndNo, StartOffs, EndOffs, true);
    const bool AfterStart = DrawItemNo > StartNo || (DrawItemNo == StartNo && Offs >= StartOffs);
    const bool BeforeEnd = DrawItemNo < EndNo || (DrawItemNo == EndNo && Offs <= EndOffs);
    return AfterStart && BeforeEnd;
}

void TCustomRVFormattedData::GetSelectionBounds(int& StartItemNo, int& StartOffs, int& EndItemNo,
                                                int& EndOffs, bool Normalize)
{
    StoreSelBounds(StartItemNo, EndItemNo, StartOffs, EndOffs, Normalize);
}

void TCustomRVFormattedData::GetSelectionBoundsEx(int& StartItemNo, int& StartOffs, int& EndItemNo,
                                                  int& EndOffs, bool Normalize)
{
    StoreSelBounds(StartItemNo, EndItemNo, StartOffs, EndOffs, Normalize);
}

void TCustomRVFormattedData::SetSelectionBounds(int StartItemNo, int StartOffs, int EndItemNo, int EndOffs)
{
    DeselectPartiallySelectedItem(nullptr);
    DestroyInplaceEditor();
    const int Count = GetItemCount();
    if (StartItemNo >= 0 && StartItemNo < Count && EndItemNo >= 0 && EndItemNo < Count) {
        // A list marker is not selected from: the paragraph's text is.
        if (GetItemStyle(StartItemNo) == rvsListMarker && StartItemNo + 1 < Count) {
            ++StartItemNo;
            StartOffs = GetOffsBeforeItem(StartItemNo);
        }
        if (GetItemStyle(EndItemNo) == rvsListMarker && EndItemNo + 1 < Count) {
            ++EndItemNo;
            EndOffs = GetOffsBeforeItem(EndItemNo);
        }
    }
    RestoreSelBounds(StartItemNo, EndItemNo, StartOffs, EndOffs);
    DoOnSelection();
    DoSelect();
}

TRect TCustomRVFormattedData::GetClientSelectionRect()
{
    if (TCustomRVFormattedData* Chosen = ChosenData(this))
        return Chosen->GetClientSelectionRect();
    int OX, OY;
    GetOrigin(OX, OY);
    if (!SelectionExists(false, false))
        return Bounds(OX, OY, GetWidth(), GetHeight());
    ResetSubCoords();
    int StartNo, EndNo, StartOffs, EndOffs;
    GetSelBounds(StartNo, EndNo, StartOffs, EndOffs, true);
    const int HOffs = GetHOffs();
    const int VOffs = GetVOffs();
    TRect R;
    for (int i = StartNo; i <= EndNo && i < DrawItems.Count(); ++i) {
        const TRVDrawLineInfo* dli = DrawItems[i];
        const TRect Piece = Bounds(dli->Left - HOffs, dli->Top - VOffs, dli->Width, dli->Height);
        if (i == StartNo)
            R = Piece;
        else
            UnionRect(R, R, Piece);
    }
    R.Left = std::clamp(R.Left, 0, GetWidth());
    R.Right = std::clamp(R.Right, 0, GetWidth());
    R.Top = std::clamp(R.Top, 0, GetHeight());
    R.Bottom = std::clamp(R.Bottom, 0, GetHeight());
    OffsetRect(R, OX, OY);
    return R;
}

TRect TCustomRVFormattedData::GetSelectionRect()
{
    if (TCustomRVFormattedData* Chosen = ChosenData(this))
        return Chosen->GetSelectionRect();
    TRect R = GetClientSelectionRect();
    const TPoint Origin = ClientToScreen(TPoint{0, 0});
    OffsetRect(R, Origin.X, Origin.Y);
    return R;
}

// ---------------------------------------------------------------------------
// Positions of checkpoints, hyperlinks and items

void TCustomRVFormattedData::GetCheckpointXY(TRVCPInfo* CheckpointData, int& X, int& Y)
{
    if (CheckpointData == nullptr)
        throw ERollViewError(errRVNilParameter);
    if (CheckpointData == NotAddedCP) {
        X = 0;
        Y = DocumentHeight;
        return;
    }
    const TCustomRVItemInfo* Item = CheckpointData->ItemInfo;
    if (Item == nullptr || Item->DrawItemNo < 0 || Item->DrawItemNo >= DrawItems.Count())
        throw ERollViewError(errRVNotFormatted);
    X = DrawItems[Item->DrawItemNo]->Left;
    Y = DrawItems[Item->DrawItemNo]->Top;
}

int TCustomRVFormattedData::GetCheckpointYEx(TRVCPInfo* CheckpointData)
{
    int X, Y;
    GetCheckpointXY(CheckpointData, X, Y);
    return Y;
}

namespace {

const TRVJumpInfo* FindJump(const TList& Jumps, int Id)
{
    for (int i = 0; i < Jumps.Count(); ++i) {
        const auto* Jump = static_cast<const TRVJumpInfo*>(Jumps.Get(i));
        if (Jump->Id == Id)
            return Jump;
    }
    return nullptr;
}

} // namespace

int TCustomRVFormattedData::GetJumpPointY(int Id)
{
    if (TCustomRVFormattedData* Chosen = ChosenData(this)) {
        const int Y = Chosen->GetJumpPointY(Id);
        if (Y > 0)
            return Y;
    }
    const TRVJumpInfo* Jump = FindJump(Jumps, Id - FirstJumpNo);
    return Jump != nullptr ? Jump->Top : 0;
}

int TCustomRVFormattedData::GetJumpPointItemNo(int Id)
{
    TCustomRVFormattedData* Data = nullptr;
    int ItemNo = -1;
    GetJumpPointLocation(Id, Data, ItemNo);
    return ItemNo;
}

void TCustomRVFormattedData::GetJumpPointLocation(int Id, TCustomRVFormattedData*& RVData, int& ItemNo)
{
    RVData = nullptr;
    ItemNo = -1;
    if (TCustomRVFormattedData* Chosen = ChosenData(this)) {
        Chosen->GetJumpPointLocation(Id, RVData, ItemNo);
        if (ItemNo != -1)
            return;
    }
    const TRVJumpInfo* Jump = FindJump(Jumps, Id - FirstJumpNo);
    if (Jump == nullptr)
        return;
    RVData = Jump->RVData != nullptr ? Jump->RVData : this;
    if (Jump->DrawItemNo < 0 || Jump->DrawItemNo >= RVData->DrawItems.Count()) {
        RVData = nullptr;
        return;
    }
    ItemNo = RVData->DrawItems[Jump->DrawItemNo]->ItemNo;
}

bool TCustomRVFormattedData::GetItemCoords(int ItemNo, int& Left, int& Top)
{
    Left = 0;
    Top = 0;
    if (ItemNo < 0 || ItemNo >= GetItemCount())
        return false;
    const int DrawItemNo = GetItem(ItemNo)->DrawItemNo;
    if (DrawItemNo < 0 || DrawItemNo >= DrawItems.Count())
        return false;
    Left = DrawItems[DrawItemNo]->Left;
    Top = DrawItems[DrawItemNo]->Top;
    return true;
}

bool TCustomRVFormattedData::GetItemClientCoords(int ItemNo, int& Left, int& Top)
{
    if (!GetItemCoords(ItemNo, Left, Top))
        return false;
    Left -= GetHOffs();
    Top -= GetVOffs();
    return true;
}
