// kelvor_bench's two sides, Kelvor's pane and QPlainTextEdit, fed the same
// chunks of lines of a made-up service log, and the cases of lines appended to
// both: their speed, the cost of new lines as the pane grows, and the heap a
// line costs.
#pragma once

#include <QCoreApplication>
#include <QPlainTextEdit>
#include <QScrollBar>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

#include "app/Tail.h"
#include "app/U_kelvor.h"
#include "view/rollview.h"

using Clock = std::chrono::steady_clock;

// The time since From, in seconds.
double Seconds(Clock::time_point From);

// Small blocks in use plus the large ones the allocator maps apart, less the
// blocks that the pools of items, draw items and texts keep free for reuse
// (the allocator counts their slabs as in use).
size_t HeapInUse();

// Line Index of a made-up service log, exactly Length characters long: a time
// stamp, a level, a thread, a message, then words up to the length.
std::string LogLine(long Index, int Length);

// Lines Count of length Length from First on, as chunks of ChunkLines lines,
// each line ended by a line feed (as the monitor delivers complete lines).
std::vector<std::string> Chunks(long First, long Count, int Length, long ChunkLines);

// Kelvor's window with one pane following a file; the pane is fed directly.
class TKelvorSide {
public:
    TKelvorSide(TTailFile* AFile) : File(AFile) {}

    void Feed(const std::string& Chunk)
    {
        File->NewText = Chunk;
        Form1->TailNewText(0, File);
        File->LineComplete = Chunk.empty() || Chunk.back() == '\n';
        QCoreApplication::processEvents();
    }
    // Runs the events until the pane shows Lines lines: what a chunk larger
    // than a piece left waiting is shown on the pane's timer.
    void Settle(long Lines)
    {
        while (this->Lines() < Lines)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    void Clear()
    {
        File->View->Clear();
        File->View->Format();
        File->View->Repaint();
        QCoreApplication::processEvents();
    }
    long Lines() const { return File->View->GetLineCount(); }

    TTailFile* File;
};

// QPlainTextEdit as a log view: read-only, unwrapped, no undo history.
class TPlainSide {
public:
    TPlainSide(const QFont& Font, int Width, int Height)
    {
        Edit.setReadOnly(true);
        Edit.setUndoRedoEnabled(false);
        Edit.setLineWrapMode(QPlainTextEdit::NoWrap);
        Edit.setFont(Font);
        Edit.resize(Width, Height);
        Edit.setWindowTitle("QPlainTextEdit");
        Edit.show();
        QCoreApplication::processEvents();
    }

    void Feed(const std::string& Chunk)
    {
        // appendPlainText adds a paragraph: the chunk without its last line feed.
        const size_t n = !Chunk.empty() && Chunk.back() == '\n' ? Chunk.size() - 1 : Chunk.size();
        Edit.appendPlainText(QString::fromUtf8(Chunk.data(), static_cast<qsizetype>(n)));
        QScrollBar* bar = Edit.verticalScrollBar();
        bar->setValue(bar->maximum());
        Edit.repaint();
        QCoreApplication::processEvents();
    }
    // Every chunk is shown once fed.
    void Settle(long) {}
    void Clear()
    {
        Edit.clear();
        Edit.repaint();
        QCoreApplication::processEvents();
    }
    long Lines() const { return Edit.document()->blockCount(); }

    QPlainTextEdit Edit;
};

// The time from the first chunk fed until the side shows the last line of
// them (every chunk holds whole lines).
template <class Side> double FeedAll(Side& S, const std::vector<std::string>& Chunks)
{
    long lines = S.Lines();
    for (const std::string& chunk : Chunks)
        lines += static_cast<long>(std::count(chunk.begin(), chunk.end(), '\n'));
    const Clock::time_point start = Clock::now();
    for (const std::string& chunk : Chunks)
        S.Feed(chunk);
    S.Settle(lines);
    return Seconds(start);
}

// Fills a side up to Lines lines (untimed), in chunks of 10,000.
template <class Side> void FillTo(Side& S, long Lines, int Length)
{
    const long have = S.Lines();
    for (const std::string& chunk : Chunks(have, Lines - have, Length, 10000))
        S.Feed(chunk);
    S.Settle(Lines);
}

// Heap bytes per line of Length characters beyond the text, over Lines lines
// added to the side from empty in chunks of 1,000.
template <class Side> double BytesPerLine(Side& S, long Lines, int Length)
{
    S.Clear();
    const size_t before = HeapInUse();
    for (const std::string& chunk : Chunks(0, Lines, Length, 1000))
        S.Feed(chunk);
    // An empty chunk: the window's line splitter lets go of the last chunk's lines.
    S.Feed(std::string());
    const double grown = static_cast<double>(HeapInUse()) - static_cast<double>(before);
    return grown / Lines - Length;
}

// The append ratio of every case of line length and chunk size (the median
// time of three rounds of each side), printed; the worst of them is answered. A length and a chunk size above
// 0 run that case alone.
double AppendRatio(TKelvorSide& kelvor, TPlainSide& plain, int onlyLength = 0, long onlyChunkLines = 0);

// The cost of 1,000 new lines (chunks of 100) as the pane grows, printed; the
// cost in a pane of 1,000,000 lines against one of 1,000 is answered.
double TailCostRatio(TKelvorSide& kelvor, TPlainSide& plain);
