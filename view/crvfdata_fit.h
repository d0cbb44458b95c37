// Fitting text into lines: the characters of the text piece being laid out
// and the search for how many of them fit in a width. Used by the line
// builder (crvfdata_lines.cpp) alone.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/core/types.h"
#include "platform/graphics/canvas.h"

// The characters of one text piece being laid out: ANSI bytes or UTF-16
// units, addressed by character index from the start of the range.
//
// A piece that is broken into many lines would be measured again from every
// line's start; instead, once it is long, the extents of all its prefixes are
// taken in one measurement (MeasurePrefixes), after which a part that begins
// and ends where characters begin costs two lookups. The canvas measures a
// text as the sum of its characters, so such a part measures exactly what the
// canvas gives for it alone; any other part is measured on the canvas as
// before. Every character is thus measured a bounded number of times, and
// every width is the one a measurement of the part would give.
class TPieceText {
public:
    TPieceText(const AnsiString& text, int offs, int len, bool unicode);

    bool Unicode() const { return FUnicode; }
    int Length() const { return FLen; }
    const WideChar* Wide() const { return FWide.c_str(); }
    const char* Ansi() const { return FAnsi; }
    // The item's own bytes of character Index.
    const char* Raw(int index) const { return FRaw + (FUnicode ? 2 * static_cast<size_t>(index) : index); }
    bool IsSpace(int index) const;

    // The size of Count characters from Start, as the canvas measures them
    // alone (a failing measurement gives a zero size).
    TSize Measure(TCanvas* canvas, int start, int count) const;
    // Takes the extents of every prefix in the canvas's current font (once);
    // Forget drops them when the font may have changed since.
    void MeasurePrefixes(TCanvas* canvas);
    void ForgetPrefixes();
    bool HasPrefixes() const { return FHasPrefixes; }

    // The end of the character (Unicode: the cluster) that starts at Start.
    int CharEnd(TCanvas* canvas, int start) const;
    // The last character boundary at or before Pos, counting from Start (a
    // boundary): no piece of multi-byte ANSI text ends inside a character.
    int AnsiBoundaryBefore(TCanvas* canvas, int start, int pos) const;
    // Unicode text seen from unit From: whether unit Index begins a character
    // (From itself does), and the first unit of the character that holds unit
    // End - 1 (never before From).
    bool BeginsChar(int from, int index) const;
    int CharStartBefore(int from, int end) const;
    // The number of characters from Pos, up to and with the first that ends
    // beyond Avail pixels (or Remaining), whose fit decides the fit of all
    // Remaining: a measurement of them fits as many as one of all Remaining.
    int DecidingCount(int pos, int remaining, int avail) const;

private:
    bool FUnicode;
    int FLen;
    const char* FRaw;
    WideString FWide;
    const char* FAnsi = nullptr;
    bool FHasPrefixes = false;
    int FHeight = 0;
    std::vector<int> FPrefix;     // FLen + 1 entries: the extent of the first i characters
    std::vector<uint8_t> FStarts; // FLen + 1 entries: 1 where a character begins
};

// The number of characters from Pos (of Remaining) that fit in Avail pixels:
// the whole remaining text measured, then an interpolation search (or, by
// character, the canvas's own fit). Whole gets the size of all Remaining
// characters when they were measured (else cx -1).
int FitChars(TPieceText& chars, int pos, int remaining, int avail, bool noWrap, bool byCharacter,
             TCanvas* canvas, TSize& whole);
