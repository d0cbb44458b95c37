// TGapVector: a vector that keeps a gap of unused slots where it was last
// changed, so that inserting and deleting again and again at one place (an
// editor typing into a long document) moves only the entries between the
// old place and the new one instead of every entry after it.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <new>
#include <type_traits>
#include <utility>

// Whether an entry of type T may move to another address as a copy of its
// bytes, the old bytes then forgotten (neither destroyed nor used): true for
// trivially copyable types, and for a class that says so with a member
// `static constexpr bool TriviallyRelocatable = true` (one that owns a block
// through a plain pointer and points into no part of itself).
template <class T, class = void> struct TIsTriviallyRelocatable : std::is_trivially_copyable<T> {};
template <class T>
struct TIsTriviallyRelocatable<T, std::enable_if_t<T::TriviallyRelocatable>> : std::true_type {};

// Entries are trivially relocatable, so that growing moves them as one block
// of bytes instead of one by one (a document's item texts: one per line of a
// log). The slots of the gap hold default-made entries. The room grows as the
// class library's lists grow (GrowListForOne): by a quarter when long.
template <class T> class TGapVector {
    static_assert(TIsTriviallyRelocatable<T>::value, "entries move as bytes");
    static_assert(alignof(T) <= alignof(std::max_align_t), "entries need no more than malloc's alignment");

public:
    TGapVector() = default;
    TGapVector(TGapVector&& other) noexcept { Swap(other); }
    TGapVector& operator=(TGapVector&& other) noexcept
    {
        TGapVector taken(std::move(other));
        Swap(taken);
        return *this;
    }
    TGapVector(const TGapVector&) = delete;
    TGapVector& operator=(const TGapVector&) = delete;
    ~TGapVector()
    {
        DestroySlots(0, FCount);
        std::free(FSlots);
    }

    size_t size() const { return FCount - GapLength(); }
    bool empty() const { return size() == 0; }
    size_t capacity() const { return FCapacity - GapLength(); }

    T& operator[](size_t index) { return FSlots[Slot(index)]; }
    const T& operator[](size_t index) const { return FSlots[Slot(index)]; }

    void insert(size_t index, T&& value)
    {
        if (GapLength() == 0) {
            if (index == size()) {
                // Appending needs no gap: the vector grows at its end.
                Reserve(FCount + 1);
                new (FSlots + FCount) T(std::move(value));
                FGapStart = FGapEnd = ++FCount;
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

    // Keeps the room, as a vector does.
    void clear()
    {
        DestroySlots(0, FCount);
        FCount = FGapStart = FGapEnd = 0;
    }

    // The entries in order, side by side (the gap closed): for algorithms
    // that need them so. Valid until the vector next changes.
    T* Contiguous()
    {
        MoveGap(size());
        DestroySlots(FGapStart, FCount);
        FCount = FGapEnd = FGapStart;
        return FSlots;
    }

private:
    size_t GapLength() const { return FGapEnd - FGapStart; }
    size_t Slot(size_t index) const { return index < FGapStart ? index : index + GapLength(); }

    void Swap(TGapVector& other) noexcept
    {
        std::swap(FSlots, other.FSlots);
        std::swap(FCount, other.FCount);
        std::swap(FCapacity, other.FCapacity);
        std::swap(FGapStart, other.FGapStart);
        std::swap(FGapEnd, other.FGapEnd);
    }

    void DestroySlots(size_t first, size_t last)
    {
        if constexpr (!std::is_trivially_destructible_v<T>)
            for (size_t i = first; i < last; ++i)
                FSlots[i].~T();
    }

    // A block this large grows through realloc, which extends it where it lies
    // or moves its pages without copying them where it can; a smaller one is
    // copied to a new block, as a vector's is, and the old one goes back to the
    // allocator's caches of its size for the next list that grows.
    static constexpr size_t ReallocBytes = size_t{1} << 16;

    // Room for Count slots, the entries moved as bytes if the block moves.
    void Reserve(size_t count)
    {
        if (count <= FCapacity)
            return;
        const size_t delta = FCapacity > 64 ? FCapacity / 4 : FCapacity > 8 ? 16 : 4;
        const size_t capacity = std::max(count, FCapacity + delta);
        if (capacity > static_cast<size_t>(-1) / sizeof(T))
            throw std::bad_alloc();
        void* grown;
        if (FCapacity * sizeof(T) >= ReallocBytes) {
            grown = std::realloc(static_cast<void*>(FSlots), capacity * sizeof(T));
            if (!grown)
                throw std::bad_alloc();
        } else {
            grown = std::malloc(capacity * sizeof(T));
            if (!grown)
                throw std::bad_alloc();
            if (FCount > 0)
                std::memcpy(grown, static_cast<const void*>(FSlots), FCount * sizeof(T));
            std::free(static_cast<void*>(FSlots));
        }
        FSlots = static_cast<T*>(grown);
        FCapacity = capacity;
    }

    // Makes a gap at Index: one move of the entries after it, which the
    // next inserts there then spare.
    void OpenGap(size_t index)
    {
        static_assert(std::is_nothrow_default_constructible_v<T>,
                      "the slots of a gap are made without failing");
        const size_t length = std::max<size_t>(16, size() / 16);
        Reserve(FCount + length);
        std::memmove(static_cast<void*>(FSlots + index + length), static_cast<const void*>(FSlots + index),
                     (FCount - index) * sizeof(T));
        for (size_t i = index; i < index + length; ++i)
            new (FSlots + i) T();
        FCount += length;
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
            std::move_backward(FSlots + index, FSlots + FGapStart, FSlots + FGapEnd);
        } else if (index > FGapStart) {
            const size_t n = index - FGapStart;
            std::move(FSlots + FGapEnd, FSlots + FGapEnd + n, FSlots + FGapStart);
        } else {
            return;
        }
        const size_t length = GapLength();
        FGapStart = index;
        FGapEnd = index + length;
    }

    T* FSlots = nullptr; // FCount made slots in room for FCapacity
    size_t FCount = 0;
    size_t FCapacity = 0;
    size_t FGapStart = 0; // the gap is FSlots[FGapStart, FGapEnd)
    size_t FGapEnd = 0;
};
