// Least-significant-byte-first radix sort of the particle depth keys.
#include "geometry/radix_sort.h"

#include <cstring>

#include "base/fatal.h"

void radixSort(SortKey* keys, SortKey* scratch, int n)
{
    if (n > maxSortKeys)
        fatalError("dumbass");
    if (n <= 0)
        return;

    // All four histograms in one pass.
    int sortHistograms[4][256];
    std::memset(sortHistograms, 0, sizeof sortHistograms);
    int* h0 = sortHistograms[0];
    int* h1 = sortHistograms[1];
    int* h2 = sortHistograms[2];
    int* h3 = sortHistograms[3];
    for (int i = 0; i < n; i++) {
        unsigned u = sortableKeyBits(keys[i].key);
        h0[u & 0xFF]++;
        h1[(u >> 8) & 0xFF]++;
        h2[(u >> 16) & 0xFF]++;
        h3[u >> 24]++;
    }

    // Exclusive prefix sums. A byte that is the same in every key gives one
    // bucket holding all n entries; its pass would only copy, so it is skipped.
    bool needed[4];
    for (int j = 0; j < 4; j++) {
        int* h = sortHistograms[j];
        needed[j] = true;
        int sum = 0;
        for (int b = 0; b < 256; b++) {
            int c = h[b];
            if (c == n)
                needed[j] = false;
            h[b] = sum;
            sum += c;
        }
    }

    // Stable scatter passes, alternating between the two arrays.
    SortKey* from = keys;
    SortKey* to = scratch;
    for (int j = 0; j < 4; j++) {
        if (!needed[j])
            continue;
        int* h = sortHistograms[j];
        int shift = 8 * j;
        for (int i = 0; i < n; i++) {
            SortKey entry = from[i];
            unsigned byte = (sortableKeyBits(entry.key) >> shift) & 0xFF;
            to[h[byte]++] = entry;
        }
        SortKey* swap = from;
        from = to;
        to = swap;
    }
    // After an odd number of passes the result sits in the scratch array.
    if (from != keys)
        std::memcpy(keys, from, (size_t)n * sizeof(SortKey));
}
