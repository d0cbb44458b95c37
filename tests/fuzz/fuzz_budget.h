// How the document readers' fuzz targets share their time while fuzzing: a
// large input mostly asks for more of the same work, and the costly stages
// after a read (layout, painting, the writers) are for some of the inputs
// only. The choices go by a hash of the whole input, which the fuzzer cannot
// keep by keeping one byte. The seeds' replay (KELVOR_FUZZ_REPLAY) takes
// every input through everything.
#pragma once

#include <cstddef>
#include <cstdint>

// Inputs longer than this are large (a target may draw the line lower).
constexpr size_t FuzzLargeInput = 1024;
// One large input in this many is read; the others are skipped whole, so
// that they add nothing to the corpus and the corpus stays mostly small.
constexpr uint32_t FuzzLargeOneIn = 64;

inline uint32_t FuzzHash(const uint8_t* data, size_t size)
{
    // Eight bytes a round: under the fuzzer's instrumentation every test of
    // the loop's end is recorded, and a byte a round made the hash of an
    // input a cost of its own.
    uint32_t h = 2166136261u;
    size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        const uint8_t* p = data + i;
        h = (h ^ p[0]) * 16777619u;
        h = (h ^ p[1]) * 16777619u;
        h = (h ^ p[2]) * 16777619u;
        h = (h ^ p[3]) * 16777619u;
        h = (h ^ p[4]) * 16777619u;
        h = (h ^ p[5]) * 16777619u;
        h = (h ^ p[6]) * 16777619u;
        h = (h ^ p[7]) * 16777619u;
    }
    for (; i < size; ++i)
        h = (h ^ data[i]) * 16777619u;
    return h;
}

// Whether the target skips this input: a large one that the hash did not choose.
inline bool FuzzSkipsLarge(const uint8_t* data, size_t size, size_t large = FuzzLargeInput)
{
#ifdef KELVOR_FUZZ_REPLAY
    (void)data;
    (void)size;
    (void)large;
    return false;
#else
    return size > large && FuzzHash(data, size) % FuzzLargeOneIn != 0;
#endif
}

// Whether the document read from an input of this hash goes on through the
// costly stages: for one input in OneIn (counted among the inputs that are
// read).
inline bool FuzzGoesOnHash(uint32_t hash, uint32_t oneIn)
{
#ifdef KELVOR_FUZZ_REPLAY
    (void)hash;
    (void)oneIn;
    return true;
#else
    return hash / FuzzLargeOneIn % oneIn == 0;
#endif
}

inline bool FuzzGoesOn(const uint8_t* data, size_t size, uint32_t oneIn)
{
#ifdef KELVOR_FUZZ_REPLAY
    (void)data;
    (void)size;
    (void)oneIn;
    return true;
#else
    return FuzzGoesOnHash(FuzzHash(data, size), oneIn);
#endif
}
