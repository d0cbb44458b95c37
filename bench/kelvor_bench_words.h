// kelvor_bench's special words: a long list of words that overlap one another
// and the bench's log lines, and a short one, put in the window's place.
#pragma once

#include <string>
#include <vector>

// Count special words (3 or more) for the bench's log lines: "ERROR", "FATAL"
// and "WARN" first, then words that begin, end or hold pieces of the lines'
// text and of each other (pairs of the lines' words, time stamps, thread
// names, ids) of which a few hold a line's text and most none.
std::vector<std::string> OverlappingWords(int count);
// Makes Words the window's special words, each in a text style of its own
// (added to the window's style sheet as settings read at start add them).
void SetSpecialWords(const std::vector<std::string>& words);
