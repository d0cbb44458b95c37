// The draw item as the items see it: one laid-out rectangle of a document, and
// the draw item that pagination may cut into page parts (tall pictures,
// tables). The layout engine (view/dlines.h) builds on this base and extends
// it with its list of draw items and the rest of the layout records; only what
// the items and printing's page splitting use is declared here.
#pragma once

#include <cstdint>

#include "document/rvclasses.h"
#include "platform/core/blockpool.h"
#include "platform/core/object.h"

// A pixel offset kept in 16 bits so that a draw item stays small (a long
// document holds millions of them). A value outside -32768..32767 is stored as
// the nearest of the two bounds; it reads back as an int.
class TRVShortOffset {
public:
    constexpr TRVShortOffset() = default;
    constexpr TRVShortOffset(int value) : FValue(Clamp(value)) {}
    constexpr operator int() const { return FValue; }

private:
    static constexpr int16_t Clamp(int value)
    {
        return static_cast<int16_t>(value < INT16_MIN ? INT16_MIN : value > INT16_MAX ? INT16_MAX : value);
    }
    int16_t FValue = 0;
};

// One draw item: the piece of an item shown at (Left, Top) in document pixels
// (device pixels in printable documents). Offs and Length count characters of
// the item's text (bytes, or two-byte units for Unicode text); Offs counts from
// 1, and is 0 for non-text items. A draw item made with no arguments has every
// field 0.
//
// A long document holds one draw item per line, so the fields are sized to
// what they hold: positions, sizes, the item number and the text range keep 32
// bits; the spaces of justification and line spacing and a marker's offset
// keep 16 (ExtraSpaceBelow 15: values beyond are stored as the nearest bound
// by the layout). SpaceBefore and MarkerOffset share their storage:
// justification widens text pieces only, and only a list marker's draw item
// has an offset.
class TRVDrawLineInfo : public TObject {
public:
    TRVDrawLineInfo() : ExtraSpaceBelow(0), FromNewLine(false) {}
    // SetData, then SetSize.
    TRVDrawLineInfo(int aLeft, int aTop, int aWidth, int aHeight, int aItemNo, bool aFromNewLine);
    const char* ClassName() const override { return "TRVDrawLineInfo"; }
    // Plain draw items come from a pool, without an allocator header each (a
    // log pane holds one per line); larger subclasses from the heap.
    static void* operator new(size_t size);
    static void operator delete(void* block, size_t size);

    virtual void SetData(int aLeft, int aTop, int aItemNo, bool aFromNewLine);
    virtual void SetSize(int aWidth, int aHeight);

    // Page splitting (printing): whether the draw item can be cut into page
    // parts, whether a first part fits in Height device pixels of the page, and
    // cutting the last part at Height. A plain draw item is never split.
    virtual bool InitSplit();
    virtual bool CanSplitFirst(int height);
    virtual bool SplitAt(int height);

    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    int ItemNo = 0;
    int Offs = 0;
    int Length = 0;
    union {
        // A text piece: pixels left free before the text (justification), included in Width.
        TRVShortOffset SpaceBefore = 0;
        // A list marker's draw item: how far the marker's content is drawn from
        // the draw item's left edge (negative: to the left of it). Set by the
        // marker when it lays itself out.
        TRVShortOffset MarkerOffset;
    };
    // Line spacing below the line, in every draw item of the line.
    int16_t ExtraSpaceBelow : 15;
    bool FromNewLine : 1;

    // The bounds of ExtraSpaceBelow.
    static constexpr int MaxExtraSpaceBelow = (1 << 14) - 1;
    static constexpr int MinExtraSpaceBelow = -(1 << 14);
};
// With the virtual table pointer, 40 bytes on 64-bit platforms.
static_assert(sizeof(void*) != 8 || sizeof(TRVDrawLineInfo) <= 40, "a draw item must stay compact");

using TRVDrawLinePool = TBlockPool<sizeof(TRVDrawLineInfo), alignof(TRVDrawLineInfo)>;
inline void* TRVDrawLineInfo::operator new(size_t size)
{
    return TRVDrawLinePool::AllocateFor(size);
}
inline void TRVDrawLineInfo::operator delete(void* block, size_t size)
{
    TRVDrawLinePool::ReleaseFor(block, size);
}

// One page part of a draw item that pagination spreads over several pages.
// Height is the part's height on its page, in device pixels.
class TRVMultiDrawItemPart : public TObject {
public:
    const char* ClassName() const override { return "TRVMultiDrawItemPart"; }
    // The value stored with a soft page break that starts at this part; -1 here.
    virtual int GetSoftPageBreakInfo() const;

    int Height = 0;
};

// A draw item that pagination may split over pages. It owns its page parts
// (PartsList, in page order); subclasses decide how to split.
class TRVMultiDrawItemInfo : public TRVDrawLineInfo {
public:
    TRVMultiDrawItemInfo() = default;
    const char* ClassName() const override { return "TRVMultiDrawItemInfo"; }

    // Entries are TRVMultiDrawItemPart objects.
    TRVList PartsList;

    TRVMultiDrawItemPart* GetPart(int index) const
    {
        return static_cast<TRVMultiDrawItemPart*>(PartsList.Get(index));
    }
};
