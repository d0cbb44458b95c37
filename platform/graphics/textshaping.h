// Words of the scripts whose letters join (Arabic, Syriac, N'Ko): where such
// stretches lie in a text, so that the canvas measures and draws each as one
// shaped word rather than as letters in their isolated forms.
#pragma once

#include <vector>

#include "platform/core/types.h"

// The joining scripts told apart: a stretch holds letters of one of them.
enum class TJoiningScript { None, Arabic, Syriac, NKo };

// The joining script of a code point (None for any other character).
TJoiningScript JoiningScriptOf(unsigned codePoint);

// A stretch of code units [Start, Start + Count) to shape as one word.
struct TJoiningStretch {
    int Start;
    int Count;
};

// The stretches of joining-script text: maximal runs of letters of one joining
// script, with the combining marks and the joining controls (ZWJ, ZWNJ) among
// them. A stretch begins with a letter (never with a mark) and ends before the first other
// character (a space, a digit of another script, a Latin letter...). Surrogate
// pairs are read as one code point; a lone surrogate ends a stretch.
std::vector<TJoiningStretch> FindJoiningStretches(const WideChar* str, int count);

// Whether units I - 1 and I may lie in one word of a joining script, so that a
// text cut between them would be shaped differently: both are letters of a
// joining script, combining marks or joining controls (a quick, cautious test).
bool JoinsWithPrevious(const WideChar* str, int count, int i);

// Whether the text holds a letter of a joining script at all (a quick test).
bool HasJoiningScript(const WideChar* str, int count);

// Whether a character (a code point with the combining marks after it) begins
// at unit I of the text: the places a cluster of shaped text may begin.
bool CharacterStartsAt(const WideChar* str, int count, int i);
