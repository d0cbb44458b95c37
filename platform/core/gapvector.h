// TGapVector: a vector that keeps a gap of unused slots where it was last
// changed, so that inserting and deleting again and again at one place (an
// editor typing into a long document) moves only the entries between the
// old place and the new one instead of every entry after it.
#pragma once

#include <algorithm>
#include <cstddef>
#include <utility>
#include <vector>

#include "platform/core/lists.h"

template <class T> class TGapVector {
public:
    size_t size() const { return FSlots.size() - GapLength(); }
    bool empty() const { return size() == 0; }
    size_t capacity() const { return FSlots.capacity() - GapLength(); }

    T& operator[](size_t index) { return FSlots[Slot(index)]; }
    const T& operator[](size_t index) const { return FSlots[Slot(index)]; }

    void insert(size_t index, T&& value)
    {
        if (GapLength() == 0) {
            if (index == size()) {
                // Appending needs no gap: the vector grows at its end.
                GrowListForOne(FSlots);
                FSlots.push_back(std::move(value));
                FGapStart = FGapEnd = FSlots.size();
                return;
            }
            OpenGap(index);
        } else {
            MoveGap(index);
        }
        FSlots[FGapStart++] = std::move(value);
    }

    void erase(size_t index)
    {
        MoveGap(index);
        // The slot joins the gap, holding nothing.
        FSlots[FGapEnd++] = T();
    }

    void clear()
    {
        FSlots.clear();
        FGapStart = FGapEnd = 0;
    }

    // The entries in order, as one vector (the gap closed): for algorithms
    // that need them side by side.
    std::vector<T>& Contiguous()
    {
        MoveGap(size());
        FSlots.resize(FGapStart);
        FGapEnd = FGapStart;
        return FSlots;
    }

private:
    size_t GapLength() const { return FGapEnd - FGapStart; }
    size_t Slot(size_t index) const { return index < FGapStart ? index : index + GapLength(); }

    // Makes a gap at Index: one move of the entries after it, which the
    // next inserts there then spare.
    void OpenGap(size_t index)
    {
        const size_t length = std::max<size_t>(16, size() / 16);
        FSlots.insert(FSlots.begin() + static_cast<std::ptrdiff_t>(index), length, T());
        FGapStart = index;
        FGapEnd = index + length;
    }

    // Moves the gap to start at Index; the entries between move across it.
    void MoveGap(size_t index)
    {
        if (GapLength() == 0) {
            // Nothing to move across (and an entry must not be moved onto itself).
            FGapStart = FGapEnd = index;
            return;
        }
        if (index < FGapStart) {
            std::move_backward(FSlots.begin() + static_cast<std::ptrdiff_t>(index),
                               FSlots.begin() + static_cast<std::ptrdiff_t>(FGapStart),
                               FSlots.begin() + static_cast<std::ptrdiff_t>(FGapEnd));
        } else if (index > FGapStart) {
            const size_t n = index - FGapStart;
            std::move(FSlots.begin() + static_cast<std::ptrdiff_t>(FGapEnd),
                      FSlots.begin() + static_cast<std::ptrdiff_t>(FGapEnd + n),
                      FSlots.begin() + static_cast<std::ptrdiff_t>(FGapStart));
        } else {
            return;
        }
        const size_t length = GapLength();
        FGapStart = index;
        FGapEnd = index + length;
    }

    std::vector<T> FSlots;
    size_t FGapStart = 0; // the gap is FSlots[FGapStart, FGapEnd)
    size_t FGapEnd = 0;
};
