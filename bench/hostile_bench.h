// The sources of the hostile-input benchmark share these: timing, saving a
// document as RVF and RTF (hostile_bench.cpp), the metafile cases, each run in a
// process of its own (hostile_bench_metafiles.cpp), lines reaching far past the
// canvas (hostile_bench_lines.cpp), and Kelvor's start and exit with many saved
// files (hostile_bench_kelvor.cpp).
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

class TTableDoc;

namespace hostile {

using Clock = std::chrono::steady_clock;

// The best of Runs runs of Work, in seconds.
double Best(int runs, const std::function<void()>& work);
// This thread's processor time in seconds, which other programs on a busy
// machine disturb less than the clock.
double ThreadSeconds();
// The median of a list of numbers.
double Median(std::vector<double> values);
// The document saved as RVF (text or binary) and as RTF.
std::string SaveRVF(TTableDoc& doc, bool binary);
std::string SaveRTF(TTableDoc& doc);

// ---------------------------------------------------------------------------
// Metafiles: files of at most 64 KiB that ask for much drawing (thousands of
// full-frame shapes, a polyline with a pen as wide as the frame, a star
// polygon, a small frame shown at the largest size, text in hundreds of
// fonts), each read, laid out,
// painted twice and saved as RVF, RTF, HTML (with its pictures) and text in a
// process of its own, whose time and peak memory are reported.

struct TMetafileCase {
    const char* Name;
    std::string Data;
    bool Rvf;
};

std::vector<TMetafileCase> MetafileCases();
// Reads the case, lays it out, paints its first screen twice on a bitmap
// and saves it in every format, the pictures of its HTML into Folder.
void RunMetafileCase(const TMetafileCase& c, const std::string& folder);
// Each case run by the program Self again in a process of its own (its
// arguments "metafile-case" and the case's number): its time and peak
// resident size, printed; the worst of each.
void MetafileCosts(const char* self, double& worstSeconds, double& worstMB);

// ---------------------------------------------------------------------------
// Lines: width-1 lines, outlines and figures whose ends lie far past a small
// image, at two distances; each case's times and ratio printed, the worst
// ratio of the far case to the near one returned (hostile_bench_lines.cpp).

double LineCosts();

// ---------------------------------------------------------------------------
// Kelvor's start

// Starting the window on settings that watch Files existing files, until it
// shows with every pane, and closing it again with its settings saved: Rounds runs of each of two numbers of
// files, run in turn (the one that goes first changing every round) after a first run of each that warms up
// and is not counted; the ratios are the medians over the rounds of the two runs' ratios, which lie side by
// side so that the load of the machine falls on both alike. The closing is timed over about the same span at
// both sizes, so that a spell of load on a busy machine has the same chance to spare either: two windows of
// the smaller number of files are closed one after the other and the time halved.
struct TKelvorCost {
    double Start = 1e30;
    double Exit = 1e30;
};

// The best start and exit at each size, and the medians over the rounds of
// the larger size's time to the smaller's in the same round.
struct TKelvorCosts {
    TKelvorCost Best[2];
    double StartRatio = 0;
    double ExitRatio = 0;
};

// The start and exit of Kelvor on Small and on Large saved files in Dir,
// Rounds rounds after the first.
TKelvorCosts KelvorStartAndExit(const std::string& dir, int small, int large, int rounds);

} // namespace hostile
