// Undo groups and the undo and redo lists: opening groups, typing records,
// playing a group and laying out what it touched.
#include "edit/rvundo.h"

#include <algorithm>

#include "document/rvitem.h"
#include "document/rvtypes.h"
#include "edit/rvervdata.h"
#include "edit/rvundorecords.h"

namespace {

constexpr const char* errEmptyUndoList = "Can't modify empty undo list";
constexpr const char* errTypingGroup = "Incorrect adding into undo list";
constexpr const char* errUndoEmpty = "Undo buffer is empty";

bool IsTypingGroup(const TRVUndoInfos& Group)
{
    return Group.Records.size() == 1 && Group.Records[0]->Action == rvuTyping;
}

} // namespace

// ---------------------------------------------------------------------------
// Records: the defaults

bool TRVUndoInfo::RequiresFullReformat1(TRVEditRVData*)
{
    return false;
}

bool TRVUndoInfo::RequiresFullReformat2(TRVEditRVData*)
{
    return false;
}

void TRVUndoInfo::Undo(TRVEditRVData*) {}

bool TRVUndoInfo::SetItemsRange(int&, int&, TRVEditRVData*)
{
    return false;
}

TRVEditRVData* TRVUndoInfo::GetUndoListOwnerRVData() const
{
    return List ? List->RVData : nullptr;
}

// ---------------------------------------------------------------------------
// Groups

bool TRVUndoInfos::CanDelete() const
{
    if (Records.empty())
        return true;
    const TRVUndoInfo* First = Records.front().get();
    if (auto* Typing = dynamic_cast<const TRVUndoTypingInfo*>(First))
        return Typing->Length == 0;
    if (auto* Redo = dynamic_cast<const TRVRedoTypingInfo*>(First))
        return Redo->s.empty();
    return true;
}

void TRVUndoInfos::ChangeUndoList(TRVUndoList* List)
{
    for (auto& Record : Records)
        Record->List = List;
}

void TRVUndoInfos::Undo(TRVEditRVData* RVData, bool Reformat)
{
    RVData->BeginRedoSequence(UndoType, Caption);
    PerformUndo(RVData, Reformat);
}

void TRVUndoInfos::Redo(TRVEditRVData* RVData, bool Reformat)
{
    RVData->BeginNamedUndoSequence(UndoType, Caption, true);
    PerformUndo(RVData, Reformat);
}

void TRVUndoInfos::PerformUndo(TRVEditRVData* RVData, bool Reformat)
{
    if (Records.empty())
        return;
    RVData->Deselect(nullptr, true);
    // The item range the records touch, counted in the items after undoing.
    int MinItem = RVData->GetItemCount() - 1;
    int MaxItem = 0;
    int Added = 0;
    bool NeedFormat = false;
    bool NeedSuper = false;
    int Start = 0;
    int End = 0;
    bool HaveRange = false;
    for (auto It = Records.rbegin(); It != Records.rend(); ++It) {
        TRVUndoInfo* Record = It->get();
        NeedFormat = NeedFormat || Record->RequiresFormat();
        NeedSuper = NeedSuper || Record->RequiresSuperFormat();
        if (Record->SetItemsRange(Start, End, RVData))
            HaveRange = true;
        if (!HaveRange)
            continue;
        if (Added > 0)
            End += Added;
        const int A = Record->ItemsAdded();
        if (A > 0)
            End += A;
        Added += A;
        MinItem = std::min(MinItem, Start);
        MaxItem = std::max(MaxItem, End);
    }
    if (MaxItem < MinItem)
        std::swap(MinItem, MaxItem);
    MinItem = std::max(MinItem, 0);
    MaxItem = std::max(MaxItem, MinItem);
    if (MaxItem + Added < MinItem)
        MaxItem = MinItem - Added;
    if (MaxItem >= RVData->GetItemCount())
        MaxItem = RVData->GetItemCount() - 1;

    int FirstDI = 0;
    int LastDI = RVData->DrawItems.Count() - 1;
    if (RVData->DrawItems.Count() > 0 && RVData->GetItemCount() > 0) {
        int Offs = 0;
        RVData->Item2DrawItem(MinItem, 1, FirstDI, Offs);
        RVData->Item2DrawItem(MaxItem, 1, LastDI, Offs);
        if (FirstDI < 0)
            FirstDI = 0;
        if (LastDI < 0)
            LastDI = RVData->DrawItems.Count() - 1;
        RVData->GetParaBounds(FirstDI, LastDI, FirstDI, LastDI);
    }

    bool FullReformat = false;
    for (auto It = Records.rbegin(); It != Records.rend(); ++It) {
        TRVUndoInfo* Record = It->get();
        if (NeedFormat)
            FullReformat = FullReformat || Record->RequiresFullReformat1(RVData);
        Record->Undo(RVData);
        if (NeedFormat)
            FullReformat = FullReformat || Record->RequiresFullReformat2(RVData);
    }

    // The records' width rules look at single items; a group that moved
    // items between paragraphs may change the document's minimum width
    // without any of them seeing it, so the width is measured once here.
    if (Reformat && NeedFormat)
        RVData->Reformat_(FullReformat ||
                              RVData->CalculateMinDocWidthPlus(nullptr, nullptr) != RVData->DocumentMinWidth,
                          FirstDI, LastDI, Added);
    if (RVData->GetItemCount() > 0) {
        const int ItemNo = std::clamp(CaretItemNo, 0, RVData->GetItemCount() - 1);
        const int Offs =
            std::clamp(CaretOffs, RVData->GetOffsBeforeItem(ItemNo), RVData->GetOffsAfterItem(ItemNo));
        if (Reformat && RVData->DrawItems.Count() > 0)
            RVData->SetCaretAtItem(ItemNo, Offs, false);
    }
    RVData->Host->Invalidate();
    if (NeedSuper && Reformat)
        RVData->FormatAll();
}

// ---------------------------------------------------------------------------
// Lists

TRVUndoList::~TRVUndoList()
{
    Clear();
}

void TRVUndoList::Clear()
{
    // Records free what they keep through RVData: drop them newest first.
    while (!FGroups.empty())
        FGroups.pop_back();
}

bool TRVUndoList::LastIsTyping() const
{
    return !FGroups.empty() && IsTypingGroup(*FGroups.back());
}

void TRVUndoList::DropEmptyLast()
{
    if (!FGroups.empty() && FGroups.back()->Records.empty())
        FGroups.pop_back();
}

bool TRVUndoList::BeginItem(TRVUndoType UndoType, const AnsiString& Caption, int CaretItemNo, int CaretOffs)
{
    if (Limit == 0)
        return false;
    if (GroupModeCount >= 1 && !FGroups.empty() && !LastIsTyping())
        return true;
    // Evicts while at or over the limit, so that a lowered limit takes effect.
    while (Limit > 0 && Count() >= Limit && !FGroups.empty())
        FGroups.erase(FGroups.begin());
    auto Group = std::make_unique<TRVUndoInfos>();
    Group->UndoType = UndoType;
    Group->Caption = Caption;
    Group->CaretItemNo = CaretItemNo;
    Group->CaretOffs = CaretOffs;
    if (!FGroups.empty() && FGroups.back()->Records.empty()) {
        Group->Caption = FGroups.back()->Caption;
        Group->CaretItemNo = FGroups.back()->CaretItemNo;
        Group->CaretOffs = FGroups.back()->CaretOffs;
        FGroups.pop_back();
    }
    FGroups.push_back(std::move(Group));
    return true;
}

void TRVUndoList::EndItem()
{
    DropEmptyLast();
}

void TRVUndoList::AddInfo(std::unique_ptr<TRVUndoInfo> Info)
{
    if (FGroups.empty())
        throw ERollViewError(errEmptyUndoList);
    if (LastIsTyping())
        throw ERollViewError(errTypingGroup);
    Info->List = this;
    FGroups.back()->Records.push_back(std::move(Info));
}

void TRVUndoList::AddInfos(std::unique_ptr<TRVUndoInfos> Infos)
{
    Infos->ChangeUndoList(this);
    FGroups.push_back(std::move(Infos));
}

void TRVUndoList::AddTyping(int ItemNo, int Offset, bool Unicode)
{
    if (Limit == 0)
        return;
    DropEmptyLast();
    if (!FGroups.empty() && !FGroups.back()->Records.empty()) {
        auto* Typing = dynamic_cast<TRVUndoTypingInfo*>(FGroups.back()->Records.front().get());
        if (Typing && Typing->ItemNo == ItemNo && Typing->Index + Typing->Length == Offset) {
            ++Typing->Length;
            ++FGroups.back()->CaretOffs;
            return;
        }
    }
    if (!BeginItem(rvutTyping, AnsiString(), ItemNo, Offset))
        return;
    auto Info = std::make_unique<TRVUndoTypingInfo>();
    Info->Action = rvuTyping;
    Info->ItemNo = ItemNo;
    Info->Index = Offset;
    Info->Length = 1;
    Info->Unicode = Unicode;
    AddInfo(std::move(Info));
}

void TRVUndoList::AddUntyping(const AnsiString& s, int ItemNo, int Offset)
{
    const bool Unicode = s.size() > 1;
    DropEmptyLast();
    if (!FGroups.empty() && !FGroups.back()->Records.empty()) {
        auto* Redo = dynamic_cast<TRVRedoTypingInfo*>(FGroups.back()->Records.front().get());
        if (Redo && Redo->ItemNo == ItemNo && Redo->Index - Redo->CharCount() == Offset) {
            Redo->s += s;
            --FGroups.back()->CaretOffs;
            return;
        }
    }
    if (!BeginItem(rvutTyping, AnsiString(), ItemNo, Offset))
        return;
    auto Info = std::make_unique<TRVRedoTypingInfo>();
    Info->Action = rvuTyping;
    Info->ItemNo = ItemNo;
    Info->Index = Offset;
    Info->s = s;
    Info->Unicode = Unicode;
    AddInfo(std::move(Info));
}

TRVUndoType TRVUndoList::CurrentUndoType() const
{
    return FGroups.empty() ? rvutNone : FGroups.back()->UndoType;
}

AnsiString TRVUndoList::CurrentUndoCaption() const
{
    return FGroups.empty() ? AnsiString() : FGroups.back()->Caption;
}

void TRVUndoList::PopIfEmpty()
{
    if (!FGroups.empty() && GroupModeCount < 1 && FGroups.back()->Records.empty())
        FGroups.pop_back();
}

void TRVUndoList::Pop()
{
    if (FGroups.empty())
        return;
    TRVUndoInfos* Group = FGroups.back().get();
    if (Group->CanDelete()) {
        FGroups.pop_back();
        return;
    }
    if (dynamic_cast<TRVUndoTypingInfo*>(Group->Records.front().get()))
        --Group->CaretOffs;
    else
        ++Group->CaretOffs;
}

void TRVUndoList::Undo(TRVEditRVData* AData)
{
    if (FGroups.empty())
        throw ERollViewError(errUndoEmpty);
    TRVUndoInfos* Group = FGroups.back().get();
    if (this == AData->RedoList.get())
        Group->Redo(AData, ReformatLock < 1);
    else
        Group->Undo(AData, ReformatLock < 1);
    Pop();
}

void TRVUndoList::Redo(TRVEditRVData* AData)
{
    Undo(AData);
}

void TRVUndoList::DisposeItem(TCustomRVItemInfo* Item)
{
    if (RVData)
        RVData->DisposeItem(Item);
    else
        delete Item;
}
