// The undo records: each keeps what reverses one primitive change of the
// document and, when played, calls the matching primitive of TRVEditRVData.
// Items and checkpoints a record keeps are owned by it until Undo hands them
// back to the document; destroying a record frees only what it still holds.
#pragma once

#include <memory>
#include <utility>
#include <vector>

#include "document/rvitem.h"
#include "edit/rvundo.h"

// A record about item ItemNo; LastAffectedItemNo: the last item whose paragraph
// style the change altered, -1 when none.
class TRVUndoItemNoInfo : public TRVUndoInfo {
public:
    int ItemNo = -1;
    int LastAffectedItemNo = -1;
    bool SetItemsRange(int& startItemNo, int& endItemNo, TRVEditRVData* rvData) override;
};

// A record whose Undo changes the width of item ItemNo: RequiresFullReformat2
// compares the item's minimum width before (OldWidth) and after.
class TRVUndoWidthInfo : public TRVUndoItemNoInfo {
public:
    int OldWidth = 0;
    bool RequiresFullReformat2(TRVEditRVData* rvData) override;

protected:
    void StoreOldWidth(TRVEditRVData* rvData);
};

class TRVUndoChangeTextInfo : public TRVUndoWidthInfo {
public:
    AnsiString s;
    void Undo(TRVEditRVData* rvData) override;
};

// Characters s deleted at Index (1-based).
class TRVUndoDeleteSubstringInfo : public TRVUndoWidthInfo {
public:
    AnsiString s;
    int Index = 0;
    void Undo(TRVEditRVData* rvData) override;
};

// Length characters inserted at Index.
class TRVUndoInsertSubstringInfo : public TRVUndoWidthInfo {
public:
    int Index = 0;
    int Length = 0;
    void Undo(TRVEditRVData* rvData) override;
};

// Typed characters: Undo removes the last of them, one per call.
class TRVUndoTypingInfo : public TRVUndoInsertSubstringInfo {
public:
    bool Unicode = false;
    void Undo(TRVEditRVData* rvData) override;
};

// Characters removed by undoing typing (last removed last): Undo types the last again.
class TRVRedoTypingInfo : public TRVUndoWidthInfo {
public:
    AnsiString s;
    int Index = 0;
    bool Unicode = false;
    int CharCount() const { return static_cast<int>(Unicode ? s.size() / 2 : s.size()); }
    void Undo(TRVEditRVData* rvData) override;
};

// A record that keeps an item object (owned until Undo hands it back) and its text.
class TRVUndoItemInfo : public TRVUndoItemNoInfo {
public:
    ~TRVUndoItemInfo() override;
    AnsiString s;
    TCustomRVItemInfo* Item = nullptr; // owned

protected:
    // Hands the kept item over (the record no longer frees it).
    TCustomRVItemInfo* TakeItem();
};

// A deleted item (kept) with its text.
class TRVUndoDeleteItemInfo : public TRVUndoItemInfo {
public:
    bool FullReformat = false;
    void Undo(TRVEditRVData* rvData) override;
    int ItemsAdded() override { return 1; }
    bool RequiresFullReformat2(TRVEditRVData* rvData) override;
};

// The item object exchanged for another (with its text).
class TRVUndoModifyItemInfo : public TRVUndoItemInfo {
public:
    void Undo(TRVEditRVData* rvData) override;
    bool RequiresFullReformat1(TRVEditRVData* rvData) override;
};

// The item object exchanged for another, the text kept.
class TRVUndoReplaceItemInfo : public TRVUndoItemInfo {
public:
    void Undo(TRVEditRVData* rvData) override;
    bool RequiresFormat() override { return false; }
};

// Asks for a layout of items ItemNo..LastAffectedItemNo when played.
class TRVUndoReformateRange : public TRVUndoItemNoInfo {
public:
    bool SuperReformat = false;
    void Undo(TRVEditRVData* rvData) override;
    bool RequiresSuperFormat() override { return SuperReformat; }
};

class TRVUndoChangeVAlignInfo : public TRVUndoItemNoInfo {
public:
    TRVVAlign VAlign = rvvaBaseline;
    void Undo(TRVEditRVData* rvData) override;
};

class TRVUndoExtraIntProperty : public TRVUndoWidthInfo {
public:
    int Value = 0;
    TRVExtraItemProperty Prop = rvepUnknown;
    void Undo(TRVEditRVData* rvData) override;
};

// A bracket around the changes of an item's properties (Opening: the first).
class TRVUndoModifyItemTerminator : public TRVUndoItemNoInfo {
public:
    bool Opening = false;
    void Undo(TRVEditRVData* rvData) override;
};

// Deleted items StartItemNo.. kept last-first with their texts.
class TRVUndoDeleteItemsInfo : public TRVUndoInfo {
public:
    ~TRVUndoDeleteItemsInfo() override;
    std::vector<std::pair<AnsiString, TCustomRVItemInfo*>> Kept; // items owned
    int StartItemNo = 0;
    int EndItemNo = 0;
    int LastAffectedItemNo = -1;
    bool FullReformat = false;
    void Undo(TRVEditRVData* rvData) override;
    bool SetItemsRange(int& startItemNo, int& endItemNo, TRVEditRVData* rvData) override;
    int ItemsAdded() override;
    bool RequiresFullReformat2(TRVEditRVData* rvData) override;

private:
    int FAdded = 0;
};

class TRVUndoInsertItemInfo : public TRVUndoItemNoInfo {
public:
    bool FullReformat = false;
    void Undo(TRVEditRVData* rvData) override;
    int ItemsAdded() override { return -1; }
    bool RequiresFullReformat1(TRVEditRVData* rvData) override;
    bool RequiresFullReformat2(TRVEditRVData*) override { return FullReformat; }
};

class TRVUndoInsertItemsInfo : public TRVUndoItemNoInfo {
public:
    bool FullReformat = false;
    int Count = 0;
    void Undo(TRVEditRVData* rvData) override;
    int ItemsAdded() override { return -Count; }
    bool RequiresFullReformat1(TRVEditRVData* rvData) override;
    bool RequiresFullReformat2(TRVEditRVData*) override { return FullReformat; }
};

class TRVUndoNewLineInfo : public TRVUndoItemNoInfo {
public:
    bool FullReformat = false;
    bool SameAsPrev = false;
    int ParaNo = 0;
    void Undo(TRVEditRVData* rvData) override;
    bool RequiresFullReformat2(TRVEditRVData*) override { return FullReformat; }
};

class TRVUndoBRInfo : public TRVUndoItemNoInfo {
public:
    bool BR = false;
    void Undo(TRVEditRVData* rvData) override;
};

class TRVUndoPageBreakInfo : public TRVUndoItemNoInfo {
public:
    bool PageBreak = false;
    void Undo(TRVEditRVData* rvData) override;
};

// One paragraph style per item from StartItemNo on: every item keeps its own.
class TRVUndoParaListInfo : public TRVUndoInfo {
public:
    std::vector<int> Styles;
    int StartItemNo = 0;
    bool FullReformat = false;
    void Undo(TRVEditRVData* rvData) override;
    bool SetItemsRange(int& startItemNo, int& endItemNo, TRVEditRVData* rvData) override;
    bool RequiresFullReformat2(TRVEditRVData*) override { return FullReformat; }
};

class TRVUndoStyleNoInfo : public TRVUndoWidthInfo {
public:
    int StyleNo = 0;
    void Undo(TRVEditRVData* rvData) override;
};

// The old tag, a value of its own.
class TRVUndoTagInfo : public TRVUndoItemNoInfo {
public:
    TRVTag Tag;
    void Undo(TRVEditRVData* rvData) override;
    bool RequiresFormat() override { return false; }
};

class TRVUndoAddCPInfo : public TRVUndoItemNoInfo {
public:
    void Undo(TRVEditRVData* rvData) override;
};

class TRVUndoDeleteCPInfo : public TRVUndoItemNoInfo {
public:
    ~TRVUndoDeleteCPInfo() override;
    TRVCPInfo* Checkpoint = nullptr; // owned
    void Undo(TRVEditRVData* rvData) override;
};
