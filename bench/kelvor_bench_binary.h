// kelvor_bench's cases of text that is no valid UTF-8: bytes of a binary file
// appended to a watched log, shown through the monitor as a user would see
// them arrive.
#pragma once

#include <string>
#include <vector>

class TTailFile;

// The longest time one poll and the events it left kept the event loop from
// running, worst of the cases (each printed on a line of its own): 512 KB of
// bytes 0x80-0xFF in lines of 50 bytes, 3 MB of random bytes as from
// /dev/urandom, text with invalid UTF-8 sequences in every line, and a copy
// of a program file. File is the pane's record; Dir a folder for the logs.
double BinaryLongestBlock(TTailFile* file, const std::string& dir);
// The longest time the event loop was kept from running while one line of
// 512 KB of bytes 0x80-0xFF without a line end, appended at once to a fresh
// file, was first shown, and while the window was resized with it shown
// (printed); File is the pane's record, Dir a folder for the log.
double BinaryLineLongestBlock(TTailFile* file, const std::string& dir);
// One line of 1 MB without a line end of sequences that are no UTF-8 one
// after another, and one of as many bytes 0x80-0xFF, each appended at once to
// a fresh file and shown, in turns, twice (printed): the longest time the
// event loop was kept from running while the first was shown, worst of its
// two showings. CpuRatio is the processor time of showing the first against
// the second, worse of the two rounds.
double InvalidLineLongestBlock(TTailFile* file, const std::string& dir, double& cpuRatio);
// Appends Bytes followed by End, as one line without a line end, at once to
// a fresh file Log that the pane follows from its start, and polls as the
// timer would until the pane shows End at the line's end: the longest time
// one poll and the events it left kept the event loop from running, and
// (through Cpu and Shown, when given) the processor time of the window's
// thread from when the line is in the file until it is shown, and the time
// until the pane showed End.
double ShowOneLine(TTailFile* file, const std::string& log, const std::string& bytes, const std::string& end,
                   double* cpu = nullptr, double* shown = nullptr);
// The middle of Values (the upper one of an even count); the benches' figure
// of several rounds, which a moment of other load does not move.
double Median(std::vector<double> values);
