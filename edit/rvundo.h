// The editor's undo and redo lists: groups of undo records, each of which
// reverses one primitive change of the document by calling the matching
// primitive of TRVEditRVData, which records the opposite record into the
// group open in the other list. Redo is therefore undo of the redo list.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "document/rvtag.h"
#include "platform/core/callhold.h"
#include "platform/core/types.h"

class TCustomRVItemInfo;
class TRVCPInfo;
class TRVEditRVData;
class TRVUndoList;

// The kind of a group.
enum TRVUndoType : uint8_t {
    rvutNone,
    rvutDelete,
    rvutInsert,
    rvutPara,
    rvutMiscTyping,
    rvutInsertPageBreak,
    rvutRemovePageBreak,
    rvutTyping,
    rvutTag,
    rvutStyleNo,
    rvutAddCheckpoint,
    rvutRemoveCheckpoint,
    rvutModifyCheckpoint,
    rvutModifyItem,
    rvutList,
    rvutCustom,
};

// The kind of a record.
enum TRVUndoAction : uint8_t {
    rvuMisc,
    rvuDeleteItem,
    rvuDeleteItems,
    rvuDeleteSubstring,
    rvuInsertItem,
    rvuInsertItems,
    rvuInsertSubstring,
    rvuNewLine,
    rvuBR,
    rvuPara,
    rvuPageBreak,
    rvuTyping,
    rvuTag,
    rvuStyleNo,
    rvuCheckpoint,
    rvuModifyItem,
    rvuChangeText,
    rvuChangeVAlign,
    rvuChangeListMarker,
};

// Base of all records. List is the list whose group holds the record (not owned).
class TRVUndoInfo {
public:
    virtual ~TRVUndoInfo() = default;
    TRVUndoAction Action = rvuMisc;
    TRVUndoList* List = nullptr;

    // Asked before and after Undo: does undoing need the whole document laid out?
    virtual bool RequiresFullReformat1(TRVEditRVData* rvData);
    virtual bool RequiresFullReformat2(TRVEditRVData* rvData);
    virtual bool RequiresFormat() { return true; }
    virtual bool RequiresSuperFormat() { return false; }
    virtual void Undo(TRVEditRVData* rvData);
    // The item range undoing touches; false when the record reports none.
    virtual bool SetItemsRange(int& startItemNo, int& endItemNo, TRVEditRVData* rvData);
    // Items undoing adds (negative: removes).
    virtual int ItemsAdded() { return 0; }
    TRVEditRVData* GetUndoListOwnerRVData() const;
};

// One group: the records of one command (first = oldest), its kind, caption
// and the caret (item, caret offset) to restore. Owns its records.
class TRVUndoInfos {
public:
    std::vector<std::unique_ptr<TRVUndoInfo>> Records;
    AnsiString Caption;
    TRVUndoType UndoType = rvutNone;
    int CaretItemNo = -1;
    int CaretOffs = -1;

    bool CanDelete() const;
    void ChangeUndoList(TRVUndoList* list);
    void Undo(TRVEditRVData* rvData, bool reformat);
    void Redo(TRVEditRVData* rvData, bool reformat);
    void PerformUndo(TRVEditRVData* rvData, bool reformat);
};

// A stack of groups, the last on top. Limit: -1 unlimited, 0 records
// nothing, N at most N groups. While GroupModeCount is 1 or more new groups
// join the last one (a single typing record always keeps its own group).
//
// A list that a play uses (its top group undone, or the group the play records
// its opposite into) never changes under the play from outside: a group given
// to it then (AddGroup: a cell editor that a played record closes hands over
// its history), a Clear, and what AfterPlay is given wait until the play has
// returned (TPlayLock), so that the group being played is the one popped and
// freed.
class TRVUndoList {
public:
    explicit TRVUndoList(TRVEditRVData* arvData) : RVData(arvData) {}
    ~TRVUndoList();
    TRVUndoList(const TRVUndoList&) = delete;
    TRVUndoList& operator=(const TRVUndoList&) = delete;

    TRVEditRVData* RVData;
    int Limit = -1;
    int GroupModeCount = 0;
    int ReformatLock = 0;
    // The undo list of the document around whose program's groups this list's
    // groups join (a cell editor's undo list: the outermost document's), or
    // null. A program's undo group is open in the outermost document; while
    // it is, the cell editors' commands collect in one group each, handed to
    // that document when the group closes.
    TRVUndoList* Outer = nullptr;
    // New groups join the last one: this list's group mode or the outer list's.
    bool InGroupMode() const { return GroupModeCount >= 1 || (Outer != nullptr && Outer->InGroupMode()); }

    int Count() const { return static_cast<int>(FGroups.size()); }
    TRVUndoInfos* Group(int index) const { return FGroups[index].get(); }
    TRVUndoInfos* Last() const { return FGroups.empty() ? nullptr : FGroups.back().get(); }

    // Opens a group; false when the list records nothing.
    bool BeginItem(TRVUndoType undoType, const AnsiString& caption, int caretItemNo, int caretOffs);
    // Drops the last group when it is empty.
    void EndItem();
    // Appends a record to the last group (which must exist and not be a typing group).
    void AddInfo(std::unique_ptr<TRVUndoInfo> info);
    // Appends a whole group.
    void AddInfos(std::unique_ptr<TRVUndoInfos> infos);
    // Takes a group made elsewhere as BeginItem opens one (nothing with Limit
    // 0, joining the last group in group mode, the oldest evicted at the
    // limit, an empty last group replaced), its records added in order; while
    // the list is played, once the play has returned.
    void AddGroup(std::unique_ptr<TRVUndoInfos> group);
    // One character typed at caret offset Offset of item ItemNo.
    void AddTyping(int itemNo, int offset, bool unicode);
    // Characters s removed by undoing typing, to be typed again at Offset.
    void AddUntyping(const AnsiString& s, int itemNo, int offset);
    TRVUndoType CurrentUndoType() const;
    AnsiString CurrentUndoCaption() const;
    void PopIfEmpty();
    void Pop();
    void Undo(TRVEditRVData* aData);
    void Redo(TRVEditRVData* aData);
    void LockRFR() { ++ReformatLock; }
    void UnlockRFR() { --ReformatLock; }
    // Frees every group and record with what they keep (once a play has returned).
    void Clear();
    // A play uses the list: plays its top group or records into it.
    bool UsedByPlay() const { return FPlaying > 0; }
    // A play of the list raised: its groups are half played, never to be
    // played again or handed over (until the list is cleared).
    bool Broken() const { return FBroken; }
    // Some play, of any list, has not returned yet.
    static bool AnyPlayRunning() { return FPlaysRunning > 0; }
    // Runs Action once no play of any list runs: at once, or when the last
    // play returns (after the changes that waited for its list).
    static void AfterAllPlays(std::function<void()> action);
    // Runs Action once no play uses the list: at once, or when the play returns
    // (after the changes that waited before it).
    void AfterPlay(std::function<void()> action);
    // Marks List as used by a play for its lifetime; the changes that waited
    // are made when the outermost lock of the list goes.
    class TPlayLock {
    public:
        explicit TPlayLock(TRVUndoList& list);
        ~TPlayLock();
        TPlayLock(const TPlayLock&) = delete;
        TPlayLock& operator=(const TPlayLock&) = delete;

    private:
        TRVUndoList& FList;
        // A play runs records, a program's among them (callhold.h).
        TCallHold FHold;
    };
    // Frees an item that a record keeps, telling the owning document first.
    void DisposeItem(TCustomRVItemInfo* item);

    // ---- Groups moving whole between lists (composite records of sub-documents)
    // Takes the group at Index out of the list; the caller owns it.
    std::unique_ptr<TRVUndoInfos> TakeGroup(int index);

private:
    bool LastIsTyping() const;
    void DropEmptyLast();
    void AppendGroup(TRVUndoInfos& group);
    // Appends a record to the last group (AddInfo without its checks' effects).
    void Append(std::unique_ptr<TRVUndoInfo> info);
    // A record is recorded from outside a play: what was undone is no longer
    // to be redone, here or in the editors around and inside.
    void RecordedNew();
    void ClearGroups();
    // The changes from outside that wait for the play, in order.
    void MakeWaitingChanges();
    std::vector<std::unique_ptr<TRVUndoInfos>> FGroups;
    std::vector<std::function<void()>> FWaiting;
    int FPlaying = 0;
    bool FBroken = false;
    static inline int FPlaysRunning = 0;
    static inline std::vector<std::function<void()>> FAfterAllPlays;
};
