// The records of a laid-out document: the list of draw items (TRVDrawLines)
// with the deferred deletion that partial re-layout uses, the hyperlink
// rectangle TRVJumpInfo, and the page starts taken from a print job
// (TRVSoftPageBreakInfo, TRVSoftPageBreakList). The draw item itself,
// TRVDrawLineInfo, is shared with the items in document/rvdrawline.h.
#pragma once

#include <algorithm>
#include <limits>
#include <string_view>

#include "document/rvclasses.h"
#include "document/rvdrawline.h"
#include "document/rvitem.h"
#include "platform/core/lists.h"

class TCustomRVFormattedData;
class TStringList;

// The draw items of a document in document order. It owns them: Delete,
// Clear and the destructor free them.
//
// Deferred deletion: MarkForDelete frees a range of draw items but keeps
// their slots (null) as the marked range MarkedFirst .. MarkedFirst +
// MarkedCount - 1; Insert then reuses the marked slots in order (callers
// insert at MarkedFirst) and Delete just before the range widens it, so that
// laying out a few lines again moves nothing below them. DeleteMarked removes
// the slots that are left.
//
// Deferred move: an edit moves every draw item below the lines it laid out
// again, and a document of a hundred thousand lines would pay for all of
// them on every key. ShiftFrom records the move instead: the draw items from
// ShiftedFrom on lie ShiftTop lower and name items ShiftItemNo later than
// their fields say. Get applies the move to the draw items up to the one it
// is asked for, so every caller sees true values and only the draw items
// that are looked at (the lines on screen) are touched; TopOf and ItemNoOf
// read true values without applying anything (bisections over the whole
// list). Every change of the list applies the move up to the slots it
// touches first.
class TRVDrawLines : public TList {
public:
    TRVDrawLines() = default;
    ~TRVDrawLines() override;
    const char* ClassName() const override { return "TRVDrawLines"; }

    TRVDrawLineInfo* Get(int index) const
    {
        Settle(index);
        return static_cast<TRVDrawLineInfo*>(TList::Get(index));
    }
    TRVDrawLineInfo* operator[](int index) const { return Get(index); }
    TRVDrawLineInfo* Last() const { return Get(Count() - 1); }
    // Replaces the draw item at Index (the old one is not freed: the caller owns it then).
    void Put(int index, TRVDrawLineInfo* item)
    {
        Settle(index);
        TList::Put(index, item);
    }
    void Add(TRVDrawLineInfo* item)
    {
        Settle(Count() - 1);
        TList::Add(item);
    }
    // Reuses the next marked slot when a range is marked; once the marked
    // slots are used up (until DeleteMarked), opens a block of free slots
    // there; else a list insert.
    void Insert(int index, TRVDrawLineInfo* item);
    // Frees the draw item; with a marked range its slot joins the range.
    void Delete(int index);
    // Removes the slots First..Last without freeing what they hold (already freed).
    void DeleteRange(int first, int last);
    // Frees the draw items First..Last and marks their slots for reuse.
    void MarkForDelete(int first, int last);
    // Removes the marked slots that were not reused.
    void DeleteMarked();
    // Frees the draw items from First to the end and shortens the list.
    void DeleteFrom(int first);
    void Clear() override;
    // Trades every draw item (and every deferred move and marked range) with Other.
    void Swap(TRVDrawLines& other);

    // Moves the draw items from First to the end DTop lower and adds DItemNo
    // to the item numbers they name, deferred (above).
    void ShiftFrom(int first, int dTop, int dItemNo);
    // The true Top and ItemNo of draw item Index, with the deferred move.
    int TopOf(int index) const { return Raw(index)->Top + (index >= FShiftedFrom ? FShiftTop : 0); }
    int ItemNoOf(int index) const { return Raw(index)->ItemNo + (index >= FShiftedFrom ? FShiftItemNo : 0); }
    // The first draw item with a deferred move (past the end when there is none).
    int ShiftedFrom() const { return std::min(FShiftedFrom, Count()); }

    // Text of draw item Index, from the texts of the items (the store's Items):
    // its characters (bytes, or two-byte units for Unicode text). Offsets count
    // from 1 within the draw item. Every range is cut to what the item's text
    // holds now, so a draw item left over from before a text change never
    // reads past the text.
    AnsiString GetString(int index, TStringList* aItems) const;
    // The same characters read in place, in the item's own text: valid while
    // that text is neither changed nor freed.
    std::string_view GetStringView(int index, TStringList* aItems) const;
    // Count characters from Start; Count is cut so that Start + Count <= Length + 1.
    AnsiString GetSubString(int index, TStringList* aItems, int start, int count) const;
    // The characters from Start to the end of the draw item.
    AnsiString GetRightString(int index, TStringList* aItems, int start) const;

    int MarkedFirst = -1;
    int MarkedCount = 0;

private:
    static constexpr int NoShift = std::numeric_limits<int>::max();
    TRVDrawLineInfo* Raw(int index) const { return static_cast<TRVDrawLineInfo*>(TList::Get(index)); }
    // Applies the deferred move to the draw items up to Last (inline: every
    // read of a draw item asks, and mostly nothing waits).
    void Settle(int last) const
    {
        if (last >= FShiftedFrom)
            SettleTo(last);
    }
    void SettleTo(int last) const;
    // Moves the draw items First..Last (null slots skipped).
    void MoveRange(int first, int last, int dTop, int dItemNo) const;
    void ForgetShift() const;
    // Opens free slots at Index (the end of the used marked slots) as a marked range.
    void OpenGap(int index);

    mutable int FShiftedFrom = NoShift;
    mutable int FShiftTop = 0;
    mutable int FShiftItemNo = 0;
    // The size of the next block of free slots OpenGap opens.
    int FGapGrowth = 0;
};

// One hyperlink rectangle of a laid-out document, in document coordinates.
// RVData is the document data that owns the hyperlink (a nested document's,
// for hyperlinks inside table cells); not owned. Every rectangle of one
// hyperlink item shares its Id.
class TRVJumpInfo : public TObject {
public:
    const char* ClassName() const override { return "TRVJumpInfo"; }

    TCustomRVFormattedData* RVData = nullptr;
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    int Id = 0;
    int DrawItemNo = 0;
    TCursor Cursor = 0;
};

// The first position of a printed page: an item, the offset in it, and for an
// item split over pages the data of its part (-1: none).
class TRVSoftPageBreakInfo : public TObject {
public:
    const char* ClassName() const override { return "TRVSoftPageBreakInfo"; }

    int ItemNo = 0;
    int OffsetInItem = 0;
    int ExtraData = -1;
};

// The page starts of a print job, ordered by ItemNo; owns them.
class TRVSoftPageBreakList : public TRVList {
public:
    const char* ClassName() const override { return "TRVSoftPageBreakList"; }

    TRVSoftPageBreakInfo* Get(int index) const
    {
        return static_cast<TRVSoftPageBreakInfo*>(TRVList::Get(index));
    }
    // The index of the first page start in item ItemNo (binary search); -1 when none.
    int FindItem(int itemNo) const;
};
