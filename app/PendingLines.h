// TPendingLines: the lines of a watched file that wait to be added to its
// pane, oldest first, with what the pane's fonts have met of the oldest.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/core/codepages.h"
#include "platform/core/types.h"
#include "platform/graphics/textcut.h"

// What waits to be added to a pane, oldest first: the text of each chunk
// once, and where its lines lie in it, each with its style and how the
// pane's viewer is to take it (a continuation of the last paragraph, a
// paragraph, or a break). Lines cost no copy until they are shown.
enum class TPendingKind : uint8_t { Continuation, Paragraph, Break };

class TPendingLines {
public:
    bool Empty() const { return FChunks.empty(); }
    void Clear()
    {
        FChunks.clear();
        FFrontMet = 0;
    }
    // The lines that follow lie in Text (until the next chunk); the chunk's own
    // copy. Room is made for LineCount lines at once: a burst keeps up to a
    // purge line's worth of them waiting, and growing by halves would leave
    // up to as much again unused.
    const AnsiString& BeginChunk(AnsiString text, size_t lineCount)
    {
        FChunks.push_back({std::move(text), {}, 0});
        FChunks.back().Lines.reserve(lineCount);
        return FChunks.back().Text;
    }
    // A line of the last chunk's text.
    void Add(size_t start, size_t length, int style, TPendingKind kind)
    {
        FChunks.back().Lines.push_back(
            {static_cast<uint32_t>(start), static_cast<uint32_t>(length), style, kind, false});
    }
    // A chunk without lines is let go; one that kept far fewer lines than it
    // made room for (the others were not to be shown) gives the room back.
    void EndChunk()
    {
        if (FChunks.empty())
            return;
        std::vector<TLine>& lines = FChunks.back().Lines;
        if (lines.empty())
            FChunks.pop_back();
        else if (lines.size() < lines.capacity() / 2)
            lines.shrink_to_fit();
    }
    void AddBreak()
    {
        BeginChunk(AnsiString(), 1);
        Add(0, 0, 0, TPendingKind::Break);
    }
    // The rest of the oldest line still to be shown (nothing for a break) and
    // its style.
    std::string_view Front() const
    {
        const TChunk& chunk = FChunks.front();
        const TLine& front = chunk.Lines[chunk.Next];
        return std::string_view(chunk.Text.data() + front.Start, front.Length);
    }
    int FrontStyle() const { return FChunks.front().Lines[FChunks.front().Next].Style; }
    // Whether the oldest line begins a paragraph: no piece of it was shown,
    // and it continues no line of an earlier chunk.
    bool FrontStartsParagraph() const
    {
        return FChunks.front().Lines[FChunks.front().Next].Kind == TPendingKind::Paragraph;
    }
    // How many of the first bytes of Front() the pane's fonts have met.
    size_t FrontMet() const { return FFrontMet; }
    void SetFrontMet(size_t met) { FFrontMet = met; }
    // Where Front() may be cut at Limit (TextCutNear), as PopFront cuts it.
    size_t FrontCut(size_t limit)
    {
        if (!FChunks.front().Lines[FChunks.front().Next].Cut)
            FFrontCutMemo.Clear();
        return TextCutNear(Front(), limit, GetACP(), &FFrontCutMemo);
    }
    // Hands the oldest line to Show(text, style, kind); false when only a
    // piece of it went. A line longer than Limit is cut where its pieces show
    // as it would whole (TextCutNear): the piece before the cut goes, and the
    // rest waits as the oldest line, continuing its paragraph. A chunk that
    // is one line and nothing else (a piece of a line without an end) hands
    // its text over instead of a copy. The cuts of one line share what they
    // read of its end, so that together they read it about once; a line that
    // no cut has begun on starts that memo afresh, however the line before
    // it went (shown, or dropped with the queue).
    template <class F> bool PopFront(F show, size_t limit)
    {
        TChunk& chunk = FChunks.front();
        TLine& front = chunk.Lines[chunk.Next];
        if (!front.Cut)
            FFrontCutMemo.Clear();
        const std::string_view whole(chunk.Text.data() + front.Start, front.Length);
        const size_t cut = front.Kind == TPendingKind::Break
                               ? whole.size()
                               : TextCutNear(whole, limit, GetACP(), &FFrontCutMemo);
        if (cut < whole.size()) {
            show(AnsiString(whole.substr(0, cut)), front.Style, front.Kind);
            front.Start += static_cast<uint32_t>(cut);
            front.Length -= static_cast<uint32_t>(cut);
            front.Kind = TPendingKind::Continuation;
            front.Cut = true;
            FFrontMet -= std::min(FFrontMet, cut);
            return false;
        }
        FFrontMet = 0;
        const TLine line = chunk.Lines[chunk.Next++];
        const bool last = chunk.Next == chunk.Lines.size();
        if (last && line.Start == 0 && line.Length == chunk.Text.size())
            show(std::move(chunk.Text), line.Style, line.Kind);
        else
            show(chunk.Text.substr(line.Start, line.Length), line.Style, line.Kind);
        if (last)
            FChunks.pop_front();
        return true;
    }

private:
    struct TLine {
        uint32_t Start;
        uint32_t Length;
        int Style;
        TPendingKind Kind;
        // A piece of the line was shown: the memo holds what its cuts found.
        bool Cut;
    };
    struct TChunk {
        AnsiString Text;
        std::vector<TLine> Lines;
        size_t Next;
    };
    std::deque<TChunk> FChunks;
    // What the cuts of the line being cut (the oldest) found of its end.
    TTextCutMemo FFrontCutMemo;
    // The oldest line's bytes that the pane's fonts have met, from the start
    // of what is still to be shown of it.
    size_t FFrontMet = 0;
};
