// Undo groups and the undo and redo lists: opening groups, typing records,
// playing a group and laying out what it touched.
#include "edit/rvundo.h"

#include <algorithm>
#include <cstdlib>

#include "document/rvitem.h"
#include "document/rvtypes.h"
#include "edit/rvervdata.h"
#include "edit/rvundorecords.h"

namespace {

constexpr const char* errEmptyUndoList = "Can't modify empty undo list";
constexpr const char* errTypingGroup = "Incorrect adding into undo list";
constexpr const char* errUndoEmpty = "Undo buffer is empty";

bool IsTypingGroup(const TRVUndoInfos& group)
{
    return group.Records.size() == 1 && group.Records[0]->Action == rvuTyping;
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
    const TRVUndoInfo* first = Records.front().get();
    if (auto* typing = dynamic_cast<const TRVUndoTypingInfo*>(first))
        return typing->Length == 0;
    if (auto* redo = dynamic_cast<const TRVRedoTypingInfo*>(first))
        return redo->s.empty();
    return true;
}

void TRVUndoInfos::ChangeUndoList(TRVUndoList* list)
{
    for (auto& record : Records)
        record->List = list;
}

void TRVUndoInfos::Undo(TRVEditRVData* rvData, bool reformat)
{
    rvData->BeginRedoSequence(UndoType, Caption);
    // The group the records' opposites go into stays the redo list's last.
    const TRVUndoList::TPlayLock recording(*rvData->RedoList);
    PerformUndo(rvData, reformat);
}

void TRVUndoInfos::Redo(TRVEditRVData* rvData, bool reformat)
{
    rvData->BeginNamedUndoSequence(UndoType, Caption, true);
    const TRVUndoList::TPlayLock recording(*rvData->UndoList);
    PerformUndo(rvData, reformat);
}

void TRVUndoInfos::PerformUndo(TRVEditRVData* rvData, bool reformat)
{
    if (Records.empty())
        return;
    rvData->Deselect(nullptr, true);
    // The item range the records touch, counted in the items after undoing.
    int minItem = rvData->GetItemCount() - 1;
    int maxItem = 0;
    int added = 0;
    bool needFormat = false;
    bool needSuper = false;
    int start = 0;
    int end = 0;
    bool haveRange = false;
    for (auto it = Records.rbegin(); it != Records.rend(); ++it) {
        TRVUndoInfo* record = it->get();
        needFormat = needFormat || record->RequiresFormat();
        needSuper = needSuper || record->RequiresSuperFormat();
        if (record->SetItemsRange(start, end, rvData))
            haveRange = true;
        if (!haveRange)
            continue;
        // A record played after others names items as they left them: its
        // end moves by what they added or removed, so that the range (taken
        // on the layout before the group plays) covers it either way.
        if (added != 0)
            end += std::abs(added);
        const int a = record->ItemsAdded();
        if (a > 0)
            end += a;
        added += a;
        minItem = std::min(minItem, start);
        maxItem = std::max(maxItem, end);
    }
    if (maxItem < minItem)
        std::swap(minItem, maxItem);
    minItem = std::max(minItem, 0);
    maxItem = std::max(maxItem, minItem);
    if (maxItem + added < minItem)
        maxItem = minItem - added;
    if (maxItem >= rvData->GetItemCount())
        maxItem = rvData->GetItemCount() - 1;

    int firstDi = 0;
    int lastDi = rvData->DrawItems.Count() - 1;
    if (rvData->DrawItems.Count() > 0 && rvData->GetItemCount() > 0) {
        int offs = 0;
        rvData->Item2DrawItem(minItem, 1, firstDi, offs);
        rvData->Item2DrawItem(maxItem, 1, lastDi, offs);
        if (firstDi < 0)
            firstDi = 0;
        if (lastDi < 0)
            lastDi = rvData->DrawItems.Count() - 1;
        rvData->GetParaBounds(firstDi, lastDi, firstDi, lastDi);
    }

    // The records' width rules look at single items; a group that moved
    // items between paragraphs may narrow the document without any of them
    // seeing it, so the range is measured before the records play.
    bool fullReformat =
        needFormat && rvData->DrawItems.Count() > 0 && rvData->ReachesDocMinWidth(firstDi, lastDi);
    for (auto it = Records.rbegin(); it != Records.rend(); ++it) {
        TRVUndoInfo* record = it->get();
        if (needFormat)
            fullReformat = fullReformat || record->RequiresFullReformat1(rvData);
        record->Undo(rvData);
        if (needFormat)
            fullReformat = fullReformat || record->RequiresFullReformat2(rvData);
    }

    if (reformat && needFormat)
        rvData->Reformat_(fullReformat, firstDi, lastDi, added);
    // A cell editor the records opened (a cell's edits played in it) keeps
    // the caret: placing it here would close the editor.
    if (rvData->GetItemCount() > 0 && rvData->GetInplaceEditor() == nullptr) {
        const int itemNo = std::clamp(CaretItemNo, 0, rvData->GetItemCount() - 1);
        const int offs =
            std::clamp(CaretOffs, rvData->GetOffsBeforeItem(itemNo), rvData->GetOffsAfterItem(itemNo));
        if (reformat && rvData->DrawItems.Count() > 0)
            rvData->SetCaretAtItem(itemNo, offs, false);
    }
    // A group whose records change no layout changes what they show in place.
    if (!(reformat && needFormat))
        rvData->Invalidate();
    if (needSuper && reformat)
        rvData->FormatAll();
}

// ---------------------------------------------------------------------------
// Lists

TRVUndoList::~TRVUndoList()
{
    FWaiting.clear();
    ClearGroups();
}

void TRVUndoList::Clear()
{
    AfterPlay([this] { ClearGroups(); });
}

void TRVUndoList::ClearGroups()
{
    FBroken = false;
    // Records free what they keep through RVData: drop them newest first.
    while (!FGroups.empty())
        FGroups.pop_back();
}

TRVUndoList::TPlayLock::TPlayLock(TRVUndoList& list) : FList(list)
{
    ++FList.FPlaying;
    ++FPlaysRunning;
}

TRVUndoList::TPlayLock::~TPlayLock()
{
    --FPlaysRunning;
    if (--FList.FPlaying == 0)
        FList.MakeWaitingChanges();
    // The waiting changes may have started another play: the actions wait for it.
    while (FPlaysRunning == 0 && !FAfterAllPlays.empty()) {
        std::function<void()> action = std::move(FAfterAllPlays.front());
        FAfterAllPlays.erase(FAfterAllPlays.begin());
        action();
    }
}

void TRVUndoList::AfterAllPlays(std::function<void()> action)
{
    if (AnyPlayRunning())
        FAfterAllPlays.push_back(std::move(action));
    else
        action();
}

void TRVUndoList::AfterPlay(std::function<void()> action)
{
    if (UsedByPlay())
        FWaiting.push_back(std::move(action));
    else
        action();
}

void TRVUndoList::MakeWaitingChanges()
{
    // Each change may lead to others (a group's records freed, another play):
    // take them one by one.
    while (!FWaiting.empty() && !UsedByPlay()) {
        std::function<void()> action = std::move(FWaiting.front());
        FWaiting.erase(FWaiting.begin());
        action();
    }
}

void TRVUndoList::AddGroup(std::unique_ptr<TRVUndoInfos> group)
{
    if (!group || group->Records.empty())
        return;
    std::shared_ptr<TRVUndoInfos> kept(std::move(group));
    AfterPlay([this, kept] { AppendGroup(*kept); });
}

void TRVUndoList::AppendGroup(TRVUndoInfos& group)
{
    if (!BeginItem(group.UndoType, group.Caption, group.CaretItemNo, group.CaretOffs))
        return;
    // History moving whole from a cell editor: no new record, redo stays.
    for (std::unique_ptr<TRVUndoInfo>& record : group.Records)
        Append(std::move(record));
    group.Records.clear();
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

bool TRVUndoList::BeginItem(TRVUndoType undoType, const AnsiString& caption, int caretItemNo, int caretOffs)
{
    if (Limit == 0)
        return false;
    if (InGroupMode() && !FGroups.empty() && !LastIsTyping())
        return true;
    // Evicts while at or over the limit, so that a lowered limit takes effect.
    while (Limit > 0 && Count() >= Limit && !FGroups.empty())
        FGroups.erase(FGroups.begin());
    auto group = std::make_unique<TRVUndoInfos>();
    group->UndoType = undoType;
    group->Caption = caption;
    group->CaretItemNo = caretItemNo;
    group->CaretOffs = caretOffs;
    if (!FGroups.empty() && FGroups.back()->Records.empty()) {
        group->Caption = FGroups.back()->Caption;
        group->CaretItemNo = FGroups.back()->CaretItemNo;
        group->CaretOffs = FGroups.back()->CaretOffs;
        FGroups.pop_back();
    }
    FGroups.push_back(std::move(group));
    return true;
}

void TRVUndoList::EndItem()
{
    DropEmptyLast();
}

void TRVUndoList::AddInfo(std::unique_ptr<TRVUndoInfo> info)
{
    if (FGroups.empty())
        throw ERollViewError(errEmptyUndoList);
    if (LastIsTyping())
        throw ERollViewError(errTypingGroup);
    Append(std::move(info));
    RecordedNew();
}

void TRVUndoList::Append(std::unique_ptr<TRVUndoInfo> info)
{
    info->List = this;
    FGroups.back()->Records.push_back(std::move(info));
}

void TRVUndoList::RecordedNew()
{
    // A play records the opposites of what it plays: the other list is its own.
    if (!AnyPlayRunning() && RVData != nullptr)
        RVData->DropRedo();
}

void TRVUndoList::AddInfos(std::unique_ptr<TRVUndoInfos> infos)
{
    infos->ChangeUndoList(this);
    FGroups.push_back(std::move(infos));
}

void TRVUndoList::AddTyping(int itemNo, int offset, bool unicode)
{
    if (Limit == 0)
        return;
    DropEmptyLast();
    if (!FGroups.empty() && !FGroups.back()->Records.empty()) {
        auto* typing = dynamic_cast<TRVUndoTypingInfo*>(FGroups.back()->Records.front().get());
        if (typing && typing->ItemNo == itemNo && typing->Index + typing->Length == offset) {
            ++typing->Length;
            ++FGroups.back()->CaretOffs;
            RecordedNew();
            return;
        }
    }
    if (!BeginItem(rvutTyping, AnsiString(), itemNo, offset))
        return;
    auto info = std::make_unique<TRVUndoTypingInfo>();
    info->Action = rvuTyping;
    info->ItemNo = itemNo;
    info->Index = offset;
    info->Length = 1;
    info->Unicode = unicode;
    AddInfo(std::move(info));
}

void TRVUndoList::AddUntyping(const AnsiString& s, int itemNo, int offset)
{
    const bool unicode = s.size() > 1;
    DropEmptyLast();
    if (!FGroups.empty() && !FGroups.back()->Records.empty()) {
        auto* redo = dynamic_cast<TRVRedoTypingInfo*>(FGroups.back()->Records.front().get());
        if (redo && redo->ItemNo == itemNo && redo->Index - redo->CharCount() == offset) {
            redo->s += s;
            --FGroups.back()->CaretOffs;
            return;
        }
    }
    if (!BeginItem(rvutTyping, AnsiString(), itemNo, offset))
        return;
    auto info = std::make_unique<TRVRedoTypingInfo>();
    info->Action = rvuTyping;
    info->ItemNo = itemNo;
    info->Index = offset;
    info->s = s;
    info->Unicode = unicode;
    AddInfo(std::move(info));
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
    if (!FGroups.empty() && !InGroupMode() && FGroups.back()->Records.empty())
        FGroups.pop_back();
}

void TRVUndoList::Pop()
{
    if (FGroups.empty())
        return;
    TRVUndoInfos* group = FGroups.back().get();
    if (group->CanDelete()) {
        FGroups.pop_back();
        return;
    }
    if (dynamic_cast<TRVUndoTypingInfo*>(group->Records.front().get()))
        --group->CaretOffs;
    else
        ++group->CaretOffs;
}

void TRVUndoList::Undo(TRVEditRVData* aData)
{
    if (FGroups.empty())
        throw ERollViewError(errUndoEmpty);
    const TPlayLock playing(*this);
    TRVUndoInfos* group = FGroups.back().get();
    try {
        if (this == aData->RedoList.get())
            group->Redo(aData, ReformatLock < 1);
        else
            group->Undo(aData, ReformatLock < 1);
    } catch (...) {
        // Marked before the lock goes, so that what waits for the play
        // (a cell editor's history handed over) knows it is half played.
        FBroken = true;
        throw;
    }
    Pop();
}

void TRVUndoList::Redo(TRVEditRVData* aData)
{
    Undo(aData);
}

void TRVUndoList::DisposeItem(TCustomRVItemInfo* item)
{
    if (RVData)
        RVData->DisposeItem(item);
    else
        delete item;
}

std::unique_ptr<TRVUndoInfos> TRVUndoList::TakeGroup(int index)
{
    if (index < 0 || index >= Count())
        return nullptr;
    std::unique_ptr<TRVUndoInfos> group = std::move(FGroups[static_cast<size_t>(index)]);
    FGroups.erase(FGroups.begin() + index);
    group->ChangeUndoList(nullptr);
    return group;
}
