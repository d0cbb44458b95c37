// kelvor_bench's cases through the monitor itself, one poll after another as
// the timer would run them, until the pane shows the last line: a burst into a
// purged pane, its catch-up, one long line in pieces, one large write by
// another thread, and the cost of many special words.
#pragma once

#include <cstdint>
#include <string>

#include "bench/kelvor_bench_sides.h"

struct TBurstFigures {
    double PeakRatio = 0;    // the highest heap against that of a full pane
    double BlockSeconds = 0; // the longest block of the event loop
};

// A burst of 200 MB of 100-character lines into a pane purged at PurgeLines,
// through the monitor as the timer would run it; the heap against that of a
// pane that holds PurgeLines such lines.
TBurstFigures Burst(TKelvorSide& kelvor, TPlainSide& plain, const std::string& log, long purgeLines);

struct TLongLineFigures {
    double BlockSeconds = 0; // the longest block, worst of both files
    double PerByte = 0;      // heap per byte shown, worst of both files
};

// One line of LongBytes without a line end, through the monitor in pieces:
// into a fresh file (the pane reopened on a new one in Dir), and into Log after
// it was truncated (a break line above it).
TLongLineFigures LongLines(TKelvorSide& kelvor, const std::string& dir, const std::string& log,
                           int64_t longBytes);

// The time until the last line of a burst shows, 20 MB (Small) and 200 MB
// (Large) into a pane purged at PurgeLines, each from an empty file; printed.
void CatchUpCosts(TTailFile* file, const std::string& log, long purgeLines, double& small, double& large);

// One 200 MB write() by another thread while the pane polls, from an empty
// pane and file: the longest block of the pane's thread, printed.
double SingleWriteCost(TKelvorSide& kelvor, TTailFile* file, const std::string& log, long purgeLines);

// The cost of the same lines with 500 special words against 3 in both cases
// of the special words (see the top of kelvor_bench.cpp), printed; the worse is answered.
double SpecialWordsRatio(TKelvorSide& kelvor, const std::string& log, long purgeLines);
