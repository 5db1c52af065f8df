// Depth order of the particles: a four-pass radix sort of float keys held in
// two static arrays (the sort array and its scratch).
#pragma once
#include <bit>

// The most particles one sort (and one draw) can take.
constexpr int maxSortKeys = 100000;

struct SortKey {
    float key;
    int index;
};

// The sort array: radixSort reads and leaves its result here.
extern SortKey sortKeys[maxSortKeys];
// Scratch for the odd passes.
extern SortKey sortScratch[maxSortKeys];
// One histogram of 256 counts per key byte.
extern int sortHistograms[4][256];

// Orders the first n entries of sortKeys by key, ascending; stable, and -0.0
// comes before +0.0. More than maxSortKeys entries is fatal ("dumbass").
void radixSort(int n);

// The key's bits, changed so that unsigned order is float order.
inline unsigned sortableKeyBits(float key)
{
    unsigned u = std::bit_cast<unsigned>(key);
    return u ^ ((u & 0x80000000u) ? 0x7FFFFFFFu : 0u) ^ 0x80000000u;
}
