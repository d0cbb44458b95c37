// Fitting text into lines: the characters of the text piece being laid out
// and the search for how many of them fit in a width. Used by the line
// builder (crvfdata_lines.cpp) alone.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/core/types.h"
#include "platform/graphics/canvas.h"

// The characters of one text piece being laid out: ANSI bytes or UTF-16
// units, addressed by character index from the start of the range.
//
// A piece that is broken into many lines would be measured again from every
// line's start; instead, once it is long (MeasureByPrefixes), its whole width
// is measured once and then the extents of its prefixes are taken a window of
// a few thousand characters at a time, the window moving on with the lines, so
// that a part that begins and ends where characters begin costs two lookups.
// The canvas measures a text as the sum of its characters, so such a part
// measures exactly what the canvas gives for it alone; any other part is
// measured on the canvas as before. Every character is thus measured a bounded
// number of times in a bounded amount of memory, and every width is the one a
// measurement of the part would give.
class TPieceText {
public:
    // The characters a window of prefix extents holds beyond what is asked: a
    // few lines' worth, small enough to stay in the processor's cache.
    static constexpr int DefaultWindowChars = 4096;

    TPieceText(std::string_view text, int offs, int len, bool unicode, int windowChars = DefaultWindowChars);

    bool Unicode() const { return FUnicode; }
    int Length() const { return FLen; }
    const WideChar* Wide() const { return FWide.c_str(); }
    const char* Ansi() const { return FAnsi; }
    // The item's own bytes of character Index.
    const char* Raw(int index) const { return FRaw + (FUnicode ? 2 * static_cast<size_t>(index) : index); }
    bool IsSpace(int index) const;

    // The size of Count characters from Start, as the canvas measures them
    // alone (a failing measurement gives a zero size).
    TSize Measure(TCanvas* canvas, int start, int count);
    // Measures by prefix extents from now on, in the canvas's current font;
    // Forget goes back to measuring parts when the font may have changed since.
    void MeasureByPrefixes(TCanvas* canvas);
    void ForgetPrefixes();
    bool ByPrefixes() const { return FByPrefixes; }

    // The end of the character (Unicode: the cluster) that starts at Start.
    int CharEnd(TCanvas* canvas, int start) const;
    // The last character boundary at or before Pos, counting from Start (a
    // boundary): no piece of multi-byte ANSI text ends inside a character.
    int AnsiBoundaryBefore(TCanvas* canvas, int start, int pos) const;
    // Unicode text seen from unit From: whether unit Index begins a character
    // (From itself does), and the first unit of the character that holds unit
    // End - 1 (never before From).
    bool BeginsChar(TCanvas* canvas, int from, int index);
    int CharStartBefore(TCanvas* canvas, int from, int end);
    // The number of characters from Pos, up to and with the first that ends
    // beyond Avail pixels (or Remaining), whose fit decides the fit of all
    // Remaining: a measurement of them fits as many as one of all Remaining.
    int DecidingCount(TCanvas* canvas, int pos, int remaining, int avail);

private:
    // Moves the window so that it holds From..To with From at or after its
    // start; false when that cannot be (the text is not measured by prefixes).
    bool Cover(TCanvas* canvas, int from, int to);
    // Whether a word of a joining script (wide text, or UTF-8) may go on across
    // unit I, so that a window cut there would shape it differently.
    bool JoinedAt(TCanvas* canvas, int i) const;
    // In the window: whether a character begins at I, and the width of the text before I.
    bool StartAt(int i) const { return FWinStarts[static_cast<size_t>(i - FWinStart)] != 0; }
    int PrefixAt(int i) const
    {
        return FWinBase + (i == FWinStart ? 0 : FWinDx[static_cast<size_t>(i - FWinStart) - 1]);
    }

    bool FUnicode;
    int FLen;
    int FWindowChars;
    const char* FRaw;
    WideString FWide;
    const char* FAnsi = nullptr;
    bool FByPrefixes = false;
    int FTotal = 0; // the width of the whole piece
    int FHeight = 0;
    // The window: characters FWinStart (where a character begins) to
    // FWinTrusted (-1: none), the width before it, and its own prefix extents
    // and character starts as the canvas gives them.
    int FWinStart = 0;
    int FWinTrusted = -1;
    int FWinBase = 0;
    std::vector<int> FWinDx;
    std::vector<uint8_t> FWinStarts;
    std::vector<int> FSpareDx;
    std::vector<uint8_t> FSpareStarts;
};

// The number of characters from Pos (of Remaining) that fit in Avail pixels:
// the whole remaining text measured, then an interpolation search (or, by
// character, the canvas's own fit). Whole gets the size of all Remaining
// characters when they were measured (else cx -1).
int FitChars(TPieceText& chars, int pos, int remaining, int avail, bool noWrap, bool byCharacter,
             TCanvas* canvas, TSize& whole);
