// kelvor_bench's longest turn of the window, in processor time, while one long
// line of bytes 0x80-0xFF arrives through the monitor.
#pragma once

#include <cstddef>
#include <string>

class TTailFile;

struct TTurnFigures {
    // The longest turn of the window's thread, in processor seconds, worse of
    // the line arriving in 4 KB writes (a turn of the monitor after each) and
    // in one write, each on an idle core and on a core shared with three busy
    // threads, the fonts that draw its characters met before.
    double Longest = 0;
    // The same, worse of the two ways of arriving, each in a fresh process
    // that meets those fonts for the first time (negative when it could not
    // be run).
    double FirstMeeting = -1;
};

// Makes the application object, one that times every turn of the window's
// thread: each event the event loop hands to the program (with what it sends
// on meanwhile), and each turn the bench runs in the event loop's place.
// Called before the window is made.
void StartTurnClock();

// One line of 512 KB of bytes 0x80-0xFF without a line end, appended to a
// fresh file the pane follows, in 4 KB writes with a turn of the monitor's
// timer and a pass of the event loop after each, and in one write, then the
// monitor's turns and the events until the pane shows the line's end; each
// printed. The first meeting runs this program again (Program) with
// FirstMeetingArg and the size of the writes. File is the pane's record; Dir
// a folder for the log. Needs StartTurnClock.
TTurnFigures HighByteLineTurns(TTailFile* file, const std::string& dir, const std::string& program);

// The argument that has the program show the line once, in writes of the
// size that follows it, and print the longest turn (FirstMeetingTurn).
inline const char* const FirstMeetingArg = "--first-meeting";
// Shows the line once in writes of Write bytes and prints the longest turn.
void FirstMeetingTurn(TTailFile* file, const std::string& dir, size_t write);
