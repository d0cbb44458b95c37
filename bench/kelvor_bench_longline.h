// kelvor_bench's cost of one long line without a line end against its
// length, shown through the monitor as a user would see it arrive.
#pragma once

#include <string>

class TTailFile;

// The window's processor time of showing one line of 4N bytes without a line
// end against one of N bytes, each appended at once to a fresh file the pane
// follows (the median of five showings of each, in turns), worst of the
// cases (each printed on a line of its own): log text (N = 16 MB) and bytes
// 0x80-0xFF (N = 512 KB), each on an idle core and on a core the window
// shares with three busy threads. A cost linear in the length gives about 4,
// one that grows with its square about 16. File is the pane's record; Dir a
// folder for the log.
double LongLineCpuRatio(TTailFile* file, const std::string& dir);
