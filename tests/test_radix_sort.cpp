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

namespace {

// Float order, with -0.0 before +0.0.
bool keyLess(const SortKey& a, const SortKey& b)
{
    if (a.key == b.key)
        return std::signbit(a.key) && !std::signbit(b.key);
    return a.key < b.key;
}

// Sorts keys (index = input position) and compares every entry, bit for bit,
// with a stable comparison sort; the entry after the last stays as it was.
void expectSortedLikeStableSort(const std::vector<float>& keys)
{
    int n = (int)keys.size();
    std::vector<SortKey> expected(n);
    for (int i = 0; i < n; i++)
        sortKeys[i] = expected[i] = {keys[i], i};
    std::stable_sort(expected.begin(), expected.end(), keyLess);
    if (n < maxSortKeys)
        expected.push_back(sortKeys[n] = {-1e30f, -7});
    radixSort(n);
    for (int i = 0; i < (int)expected.size(); i++) {
        ASSERT_EQ(std::bit_cast<unsigned>(sortKeys[i].key), std::bit_cast<unsigned>(expected[i].key)) << "at " << i;
        ASSERT_EQ(sortKeys[i].index, expected[i].index) << "at " << i;
    }
}

// n keys drawn by make from a generator seeded with seed.
template <class Make>
std::vector<float> keys(int n, unsigned seed, Make make)
{
    std::mt19937 generator(seed);
    std::vector<float> out(n);
    for (float& key : out)
        key = make(generator);
    return out;
}

} // namespace

TEST(RadixSort, SortsLikeStableSort)
{
    const float inf = std::numeric_limits<float>::infinity();
    const float big = std::numeric_limits<float>::max();
    const float tiny = std::numeric_limits<float>::denorm_min();
    auto uniform = [](int n, float low, float high, unsigned seed) {
        std::uniform_real_distribution<float> distribution(low, high);
        return keys(n, seed, [&](std::mt19937& g) { return distribution(g); });
    };
    // Random bits under mask, or-ed with set.
    auto bitKeys = [](unsigned mask, unsigned set, unsigned seed) {
        return keys(2000, seed, [&](std::mt19937& g) { return std::bit_cast<float>((unsigned)(g() & mask) | set); });
    };
    const std::vector<float> cases[] = {
        uniform(maxSortKeys, -2.0f, 5.0f, 1),
        uniform(maxSortKeys, 0.5f, 1.5f, 2),
        // Equal keys keep their input order: few distinct values, then one.
        keys(5000, 3, [](std::mt19937& g) { return (float)(int)(g() % 7) - 3.0f; }),
        std::vector<float>(1000, 0.75f),
        {0.0f, -0.0f, 0.0f, -0.0f},
        {3.0f, -1.0f, -7.5f, 0.25f, -0.25f, 1e-30f, -1e-30f, -3.0f, 2.0f},
        uniform(3000, -100.0f, -0.001f, 4),
        {inf, -inf, big, -big, tiny, -tiny, 1e38f, -1e38f, 0.0f, -0.0f, 1.0f, inf, -inf},
        // Bytes that are the same in every key leave passes with one bucket:
        // one, two or three such passes, odd and even.
        bitKeys(0x5FFFFF00u, 0, 5),
        bitKeys(0x7E000000u, 0, 6),
        bitKeys(0x007F0000u, 0x3F800000u, 7),
        bitKeys(0x007FFF00u, 0x3F800000u, 8),
        {},
        {42.0f},
        {2.0f, 1.0f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.size());
        expectSortedLikeStableSort(c);
    }
}

TEST(RadixSortDeathTest, MoreThanTheLimitIsFatal)
{
    EXPECT_EXIT(radixSort(maxSortKeys + 1), ::testing::ExitedWithCode(1), "dumbass");
}
