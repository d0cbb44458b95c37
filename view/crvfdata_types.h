// The small types of the laid-out document (view/crvfdata.h): its layout
// flags, the character positions of a text draw item and the running state of
// line building.
#pragma once

#include <cstdint>
#include <vector>

#include "document/rvfuncs.h"
#include "document/rvset.h"
#include "platform/graphics/canvas.h"

// Layout and behaviour flags of a document data (bits 0 to 8 in this order),
// read and written through GetFlags/SetFlags.
enum TRVFlag {
    rvflUseJumps,
    rvflTrim,
    rvflShareContents,
    rvflUseExternalLeading,
    rvflMouseXYAlwaysCorrect,
    rvflAllowCustomDrawItems,
    rvflPrinting,
    rvflRootEditor,
    rvflRoot,
};
using TRVFlags = TRVSet<TRVFlag, uint16_t>;

// The x-positions of the characters of a text draw item, as CharStops measures
// them. X[j] is the document x of the place after j units (bytes or UTF-16 units)
// of the draw item's text, 0 <= j <= its length. Along the logical text X grows
// and Fit counts the units of whole characters that end within the limit; at the
// caret places of reordered text (CaretPlaces) X follows the characters as
// shown and Fit is the whole length.
struct TRVCharStops {
    std::vector<int> X;
    int Fit = 0;
    bool CaretPlaces = false;
};

// The running state of line building, carried from item to item and from line
// to line by Format_ (and by partial re-layout) through FormatLine and
// FormatWords. Lengths are device pixels.
struct TRVFormatLineState {
    int X = 0;           // x of the next piece, from the line's left edge
    int BaseLine = 0;    // y of the current line's baseline
    int LineDescent = 0; // depth of the current line below its baseline, paragraph spacing added later
    int LineAscent = 0;  // height of the current line above its baseline
    TCanvas* Canvas = nullptr;
    TRVScreenAndDevice sad;
    bool NewParagraph = true; // the item placed starts a paragraph or a forced line
    int LineWidth = 0;        // usable width of the current line
    int LineLeft = 0;         // x of the current line's left edge
    int LineEnd = 0;          // where the next draw item goes: one past the current line's last
    int TextVShift = 0;       // vertical shift of the current text style, upward
    bool NoLineYet = true;    // no line started yet: the first FinishScreenLine only clears this
    int CurStyleNo = -1;      // text style applied to the canvas; -1: apply again
    TTextMetric TextMetric;   // metrics of the current text style
    int ParaStartItem = -1;   // first item of the current paragraph, -1 until found
    bool Reformat = false;    // passed to the items' OnDocWidthChange
    int StylesApplied = 0;    // text styles applied to the canvas so far (each a change of font)
    // Set by Format_ only: note where each paragraph starts and where rules
    // lie, so that a later tail layout can lay the last paragraph out again
    // (see FLastParaStart) or widen the rules (FRuleDrawItems).
    bool NoteParaStarts = false;
};
