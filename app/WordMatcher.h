// TWordMatcher: finds which of a list of words occur in a line, all of them
// in one pass over the line's bytes. TWordList: an owned list of words that
// keeps a matcher built for it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/stringlist.h"

// Built once for a list of words, then asked for many lines: FirstWordIn
// answers the smallest index of a word that occurs in a line as a substring,
// bytes compared exactly (so case-sensitively, bytes above 0x7F as they are).
// An empty word never matches; a word listed twice answers with its first
// index. The answer is the one a walk through the words in their order would
// give, at the cost of one walk through the line whatever the number of words.
//
// The words make an automaton over bytes: a trie of the words whose every
// state knows its next state for every byte (through the longest suffix of
// what was read that is still a beginning of a word), and the smallest index
// of the words that end there, directly or as a suffix. Bytes that occur in
// no word share one column of the table. The automaton's table is bounded
// (MaxTableEntries): a list of words too long for it (thousands of long
// words) is searched one word at a time instead, with the same answers.
// The matcher keeps a copy of what it needs: the list may change or go after
// Build.
class TWordMatcher {
public:
    static constexpr int NoWord = -1;
    // The largest table of next states built (16 MB).
    static constexpr size_t MaxTableEntries = size_t{1} << 22;

    // Made for no words: nothing matches.
    TWordMatcher() = default;

    // Made for Words in their order (none for null); an automaton whose table
    // would hold more than MaxEntries states times byte columns is not made.
    void Build(const TStringList* words, size_t maxEntries = MaxTableEntries);
    // The smallest index of a word that occurs in Line; NoWord when none does.
    int FirstWordIn(std::string_view line) const;
    // Whether the words are searched through the automaton (else one by one).
    bool UsesAutomaton() const { return !FPlain; }

private:
    void BuildAutomaton(const std::vector<std::string_view>& words, size_t maxEntries);
    int FirstPlainWordIn(std::string_view line) const;

    // The table: FNext[state + FColumn[byte]] is the next state. States are
    // stored multiplied by FStride (the number of columns), so that a step
    // is one addition and one load; state 0 is the start. States from
    // FFirstOutput on end at least one word: FOutput[(state - FFirstOutput)
    // / FStride] is the smallest index of them.
    std::vector<uint32_t> FNext;
    std::vector<int32_t> FOutput;
    uint16_t FColumn[256] = {};
    // Bytes that leave the start state where it is: skipped without a step.
    bool FStaysAtStart[256] = {};
    uint32_t FStride = 1;
    uint32_t FFirstOutput = UINT32_MAX;
    // The smallest index of a non-empty word: once it is found, nothing
    // smaller can be.
    int FFirstWord = NoWord;
    // The words are searched one by one: these, with their indexes.
    bool FPlain = false;
    std::vector<std::pair<std::string, int>> FPlainWords;
};

// An owned list of words and the matcher for it, for a holder whose list may
// be changed, or replaced by another, at any time. The list is hooked (its
// OnChange) as it is put in place, so that the first match after a change of
// it, or after another list took its place, builds the matcher again: the
// matcher follows the list itself, never the address it lies at, which a new
// list may share with a freed one.
class TWordList {
public:
    TWordList() = default;
    TWordList(const TWordList&) = delete;
    TWordList& operator=(const TWordList&) = delete;

    // Puts List in place (none for null) and frees the one it replaces.
    TWordList& operator=(std::unique_ptr<TStringList> list);
    void reset() { *this = nullptr; }
    TStringList* get() const { return FList.get(); }
    TStringList* operator->() const { return FList.get(); }
    TStringList& operator*() const { return *FList; }

    // The matcher for the words as they stand now (no words without a list).
    const TWordMatcher& Matcher() const;

private:
    std::unique_ptr<TStringList> FList;
    mutable TWordMatcher FMatcher;
    mutable bool FChanged = true;
};
