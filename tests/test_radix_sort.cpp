// The particle depth sort: order and stability against std::stable_sort
// (signed zeros, negative and extreme keys, keys whose bytes leave whole
// passes with one bucket, tiny counts) and the limit.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "geometry/radix_sort.h"

TEST(RadixSort, SortsLikeStableSort)
{
    const float inf = std::numeric_limits<float>::infinity(), big = std::numeric_limits<float>::max(),
                tiny = std::numeric_limits<float>::denorm_min();
    std::mt19937 g(1);
    auto uniform = [&](int n, float low, float high) {
        std::uniform_real_distribution<float> d(low, high);
        std::vector<float> keys(n);
        for (float& key : keys) key = d(g);
        return keys;
    };
    // Random bits under mask, or-ed with set.
    auto bits = [&](unsigned mask, unsigned set) {
        std::vector<float> keys(2000);
        for (float& key : keys) key = std::bit_cast<float>((unsigned)(g() & mask) | set);
        return keys;
    };
    std::vector<float> few(5000);
    for (float& key : few) key = (float)(int)(g() % 7) - 3.0f;
    const std::vector<float> cases[] = {
        uniform(maxSortKeys, -2.0f, 5.0f),
        uniform(3000, -100.0f, -0.001f),
        // Equal keys keep their input order: few distinct values, then one.
        few,
        std::vector<float>(1000, 0.75f),
        {0.0f, -0.0f, 0.0f, -0.0f},
        {3.0f, -1.0f, -7.5f, 0.25f, -0.25f, 1e-30f, -1e-30f, -3.0f, 2.0f},
        {inf, -inf, big, -big, tiny, -tiny, 1e38f, -1e38f, 0.0f, -0.0f, 1.0f, inf, -inf},
        // Bytes that are the same in every key leave passes with one bucket:
        // one, two or three such passes, odd and even.
        bits(0x5FFFFF00u, 0),
        bits(0x7E000000u, 0),
        bits(0x007F0000u, 0x3F800000u),
        bits(0x007FFF00u, 0x3F800000u),
        {},
        {42.0f},
        {2.0f, 1.0f},
    };
    // Float order with -0.0 before +0.0; the entry after the last stays, and
    // the scratch array has room for n entries only.
    auto less = [](const SortKey& a, const SortKey& b) {
        return a.key == b.key ? std::signbit(a.key) && !std::signbit(b.key) : a.key < b.key;
    };
    for (const auto& keys : cases) {
        int n = (int)keys.size();
        std::vector<SortKey> expected(n), sorted(n + 1), scratch(n);
        for (int i = 0; i < n; i++) sorted[i] = expected[i] = {keys[i], i};
        std::stable_sort(expected.begin(), expected.end(), less);
        expected.push_back(sorted[n] = {-1e30f, -7});
        radixSort(sorted.data(), scratch.data(), n);
        for (int i = 0; i < (int)expected.size(); i++)
            ASSERT_TRUE(std::bit_cast<unsigned>(sorted[i].key) == std::bit_cast<unsigned>(expected[i].key) &&
                        sorted[i].index == expected[i].index)
                << n << " keys, at " << i;
    }
}

TEST(RadixSortDeathTest, MoreThanTheLimitIsFatal)
{
    std::vector<SortKey> keys(maxSortKeys + 1), scratch(maxSortKeys + 1);
    EXPECT_EXIT(radixSort(keys.data(), scratch.data(), maxSortKeys + 1), ::testing::ExitedWithCode(1), "dumbass");
}
