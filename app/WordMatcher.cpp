// The word matcher's automaton: built breadth first over a trie of the words,
// then walked once per line; the list of words that keeps its matcher.
#include "app/WordMatcher.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace {

// A trie state not made yet, while the trie is built.
constexpr uint32_t Missing = UINT32_MAX;
// No word ends at a state (larger than every index, for std::min).
constexpr int32_t NoOutput = INT32_MAX;

} // namespace

void TWordMatcher::Build(const TStringList* words, size_t maxEntries)
{
    FNext.clear();
    FOutput.clear();
    FPlainWords.clear();
    FPlain = false;
    FFirstWord = NoWord;
    std::vector<std::string_view> views;
    if (words)
        for (int i = 0; i < words->Count(); ++i)
            views.push_back(words->GetView(i));
    for (size_t i = 0; i < views.size() && FFirstWord == NoWord; ++i)
        if (!views[i].empty())
            FFirstWord = static_cast<int>(i);
    if (FFirstWord == NoWord)
        return;
    BuildAutomaton(views, maxEntries);
    if (!FPlain)
        return;
    for (size_t i = 0; i < views.size(); ++i)
        if (!views[i].empty())
            FPlainWords.emplace_back(std::string(views[i]), static_cast<int>(i));
}

void TWordMatcher::BuildAutomaton(const std::vector<std::string_view>& words, size_t maxEntries)
{
    // A column for every byte some word holds; column 0 for all the others.
    std::fill(std::begin(FColumn), std::end(FColumn), 0);
    uint32_t columns = 1;
    size_t totalBytes = 0;
    for (std::string_view word : words) {
        totalBytes += word.size();
        for (char c : word) {
            uint16_t& column = FColumn[static_cast<uint8_t>(c)];
            if (column == 0)
                column = static_cast<uint16_t>(columns++);
        }
    }
    // The trie has a state per byte of the words at most, and the start.
    const size_t stride = columns;
    const size_t states = totalBytes + 1;
    if (states > maxEntries / stride) {
        FPlain = true;
        return;
    }

    // The trie: next states where a word goes on, and the words that end.
    std::vector<uint32_t> next(states * stride, Missing);
    std::vector<int32_t> output(states, NoOutput);
    uint32_t count = 1;
    for (size_t i = 0; i < words.size(); ++i) {
        if (words[i].empty())
            continue;
        size_t state = 0;
        for (char c : words[i]) {
            uint32_t& to = next[state * stride + FColumn[static_cast<uint8_t>(c)]];
            if (to == Missing)
                to = count++;
            state = to;
        }
        // Words come in their order: the first to end here keeps its index.
        output[state] = std::min(output[state], static_cast<int32_t>(i));
    }
    next.resize(count * stride);
    output.resize(count);

    // Breadth first, so that a state's fallback (the state of the longest
    // proper suffix of its bytes that the trie holds) is complete before the
    // state: a missing next state is the fallback's, and a state ends the
    // words that its fallback ends as well.
    std::vector<uint32_t> fallback(count, 0);
    std::vector<uint32_t> order;
    order.reserve(count);
    order.push_back(0);
    for (size_t at = 0; at < order.size(); ++at) {
        const uint32_t state = order[at];
        for (size_t column = 0; column < stride; ++column) {
            uint32_t& to = next[state * stride + column];
            const uint32_t shorter = state == 0 ? 0 : next[fallback[state] * stride + column];
            if (to == Missing) {
                to = shorter;
                continue;
            }
            fallback[to] = shorter;
            output[to] = std::min(output[to], output[shorter]);
            order.push_back(to);
        }
    }

    // Numbered again: the states that end no word first, those that end one
    // after them, so that one comparison tells whether a state ends a word.
    std::vector<uint32_t> number(count);
    uint32_t plain = 0;
    for (uint32_t state = 0; state < count; ++state)
        if (output[state] == NoOutput)
            number[state] = plain++;
    uint32_t ending = plain;
    for (uint32_t state = 0; state < count; ++state)
        if (output[state] != NoOutput)
            number[state] = ending++;
    FStride = static_cast<uint32_t>(stride);
    FFirstOutput = plain * FStride;
    FNext.assign(count * stride, 0);
    FOutput.assign(count - plain, 0);
    for (uint32_t state = 0; state < count; ++state) {
        const size_t row = number[state] * stride;
        for (size_t column = 0; column < stride; ++column)
            FNext[row + column] = number[next[state * stride + column]] * FStride;
        if (output[state] != NoOutput)
            FOutput[number[state] - plain] = output[state];
    }
    for (int byte = 0; byte < 256; ++byte)
        FStaysAtStart[byte] = FNext[FColumn[byte]] == 0;
}

int TWordMatcher::FirstWordIn(std::string_view line) const
{
    if (FFirstWord == NoWord)
        return NoWord;
    if (FPlain)
        return FirstPlainWordIn(line);
    const auto* p = reinterpret_cast<const uint8_t*>(line.data());
    const uint8_t* const end = p + line.size();
    int32_t best = NoOutput;
    uint32_t state = 0;
    while (p < end) {
        // At the start, the bytes that begin no word are passed over alone.
        if (state == 0) {
            while (p < end && FStaysAtStart[*p])
                ++p;
            if (p == end)
                break;
        }
        state = FNext[state + FColumn[*p++]];
        if (state >= FFirstOutput) {
            best = std::min(best, FOutput[(state - FFirstOutput) / FStride]);
            if (best == FFirstWord)
                break;
        }
    }
    return best == NoOutput ? NoWord : best;
}

int TWordMatcher::FirstPlainWordIn(std::string_view line) const
{
    for (const auto& [word, index] : FPlainWords)
        if (line.find(word) != std::string_view::npos)
            return index;
    return NoWord;
}

TWordList& TWordList::operator=(std::unique_ptr<TStringList> list)
{
    FList = std::move(list);
    FChanged = true;
    if (FList)
        FList->OnChange = [this](TObject*) { FChanged = true; };
    return *this;
}

const TWordMatcher& TWordList::Matcher() const
{
    if (FChanged) {
        FMatcher.Build(FList.get());
        FChanged = false;
    }
    return FMatcher;
}
