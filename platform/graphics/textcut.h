// Places where a line of text may be cut in two pieces that, measured and
// drawn each alone one after the other, show exactly what the whole line
// shows: a line too long to lay out at once is shown a piece at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// A place in Text (bytes in CodePage) where it may be cut: the last at or
// before Limit, else the first after it; Text's length when there is none
// (or Limit reaches the end). The pieces, side by side in a left-to-right
// paragraph, show what the whole shows as the canvas measures and draws a
// run (clusters, joining-script words, the bidirectional algorithm): the
// place lies between two characters that read left to right of their own, the
// second no combining mark; no direction embedding, override or isolate is
// open before it; and, when the text holds what has it reordered (characters
// of right-to-left scripts, Arabic digits, direction controls), no paired
// bracket is open before it either.
//
// Memo, when given, keeps what the cut read of Text's end for the next cut of
// the rest: a caller that cuts a long text piece after piece (each time what
// the last cut left) passes the same memo each time, so that a place inside
// brackets does not have each cut read the whole rest again to find whether
// it is reordered.
class TTextCutMemo;
size_t TextCutNear(std::string_view text, size_t limit, unsigned codePage, TTextCutMemo* memo = nullptr);

// What cuts of one text have found of its end. It holds for the text it was
// first given with and every rest of it (a text that ends where it ends): one
// memo per text, cleared before it serves another.
class TTextCutMemo {
public:
    void Clear() { FReorderingTail = Unknown; }

private:
    friend size_t TextCutNear(std::string_view, size_t, unsigned, TTextCutMemo*);
    static constexpr size_t Unknown = SIZE_MAX;
    // Counted back from the end, which every rest shares: the first character
    // that has the text reordered, of the rest last read for one, begins this
    // many bytes before the end; 0 when that rest (and so every shorter one)
    // holds none. A rest that begins after that character is read again.
    size_t FReorderingTail = Unknown;
};
