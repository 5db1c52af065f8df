// Depth order of the particles: a four-pass radix sort of float keys,
// between the caller's array and a scratch array of the same size.
#pragma once
#include <bit>

// The most particles one sort (and one draw) can take.
constexpr int maxSortKeys = 100000;

struct SortKey {
    float key;
    int index;
};

// Orders keys[0 .. n) by key, ascending, and leaves the result there;
// stable, and -0.0 comes before +0.0. scratch holds n entries of its own and
// is left with anything. More than maxSortKeys entries is fatal ("dumbass").
void radixSort(SortKey* keys, SortKey* scratch, int n);

// The key's bits, changed so that unsigned order is float order.
inline unsigned sortableKeyBits(float key)
{
    unsigned u = std::bit_cast<unsigned>(key);
    return u ^ ((u & 0x80000000u) ? 0x7FFFFFFFu : 0u) ^ 0x80000000u;
}
