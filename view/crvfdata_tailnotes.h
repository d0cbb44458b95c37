// What a layout of the laid-out document (view/crvfdata.h) keeps for the next
// tail layout, which lays out only the items appended since: the state at the
// start of the last paragraph, the last line as it was before being closed,
// and the minimum widths of the paragraph sections measured so far.
#pragma once

#include <cstdint>
#include <vector>

#include "view/crvfdata_types.h"

// The state at the start of the last paragraph laid out, noted by the
// line builder at the paragraph's first line, before its spacing: BaseLine
// with the previous line's extra spacing added, LineDescent without the
// paragraph spacing, the draw item and hyperlink counts, and whether the
// layout before it depends on the text width.
struct TRVParaStartNote {
    bool Valid = false;
    int ItemNo = -1;
    int DrawItemNo = 0;
    int BaseLine = 0;
    int LineDescent = 0;
    int JumpCount = 0;
    int JumpsCount = 0;
    bool UsesWidth = false;
};
// The minimum widths of the paragraph sections before OpenSection (the
// first item of the last section at the last computation), and that of
// the last section's items before OpenDone, for the resolution and the
// style sheet's change count (a font changed since measures otherwise) it
// was computed at.
struct TRVMinWidthCache {
    bool Valid = false;
    uint64_t StyleChanges = 0;
    int ClosedWidth = 0;
    int OpenSection = 0;
    int OpenDone = 0;
    int OpenWidth = 0;
    int DevicePpiX = 0;
    int ScreenPpiX = 0;
};

// Where a tail layout starts: nowhere (a whole layout), at the end of the
// last line laid out (continued as it was left open), or at the start of
// the last paragraph.
enum class TRVTailStart { None, OpenLine, ParaStart };
// The state at the end of the last layout, just before its last line was
// closed: the line-building state and, when closing the line moved its
// draw items (alignment, line spacing, right-to-left order), their places
// as they were before (none when nothing moved them, so that a line of many
// pieces costs nothing to note or to reopen). Laying out the items that came
// since from there gives what a whole layout gives, unless a line's end
// depended on nothing following the last item (LookedPastEnd) and the first
// new item joins that line.
//
// While it is valid and names every draw item, the note also tells the
// painter where the document's last line starts and whether its draw items
// lie left to right (TextInOrder: text pieces, none of negative width, which
// the line builder places each where the one before it ends and closing
// the line did not move; none taller than MaxHeight), so that a line of many
// pieces is painted from the ones that show.
struct TRVDrawItemPlace {
    int Left = 0;
    int Width = 0;
    int SpaceBefore = 0;
    int ExtraSpaceBelow = 0;
};
struct TRVOpenLineNote {
    bool Valid = false;
    bool LookedPastEnd = false;
    TRVFormatLineState State;
    int ItemCount = 0;       // the items laid out
    int DrawItemCount = 0;   // and their draw items
    int JumpsCount = 0;      // and hyperlink rectangles
    int FirstDrawItemNo = 0; // the open line's first draw item
    std::vector<TRVDrawItemPlace> Places;
    bool TextInOrder = false;
    int MaxHeight = 0;
};
