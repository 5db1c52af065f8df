// The particle depth sort: order and stability against std::stable_sort,
// signed zeros, infinities, the skipped constant-byte passes and the limit.
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
// with a stable comparison sort.
void expectSortedLikeStableSort(const std::vector<float>& keys)
{
    int n = (int)keys.size();
    std::vector<SortKey> expected(n);
    for (int i = 0; i < n; i++) {
        expected[i] = {keys[i], i};
        sortKeys[i] = expected[i];
    }
    std::stable_sort(expected.begin(), expected.end(), keyLess);
    radixSort(n);
    for (int i = 0; i < n; i++) {
        ASSERT_EQ(std::bit_cast<unsigned>(sortKeys[i].key), std::bit_cast<unsigned>(expected[i].key)) << "at " << i;
        ASSERT_EQ(sortKeys[i].index, expected[i].index) << "at " << i;
    }
}

std::vector<float> randomKeys(int n, float low, float high, unsigned seed)
{
    std::mt19937 generator(seed);
    std::uniform_real_distribution<float> distribution(low, high);
    std::vector<float> keys(n);
    for (float& key : keys)
        key = distribution(generator);
    return keys;
}

} // namespace

TEST(RadixSort, RandomKeysAtFullSize)
{
    expectSortedLikeStableSort(randomKeys(maxSortKeys, -2.0f, 5.0f, 1));
    expectSortedLikeStableSort(randomKeys(maxSortKeys, 0.5f, 1.5f, 2));
}

TEST(RadixSort, EqualKeysKeepInputOrder)
{
    // Few distinct values among many entries.
    std::mt19937 generator(3);
    std::vector<float> keys(5000);
    for (float& key : keys)
        key = (float)(int)(generator() % 7) - 3.0f;
    expectSortedLikeStableSort(keys);
    expectSortedLikeStableSort(std::vector<float>(1000, 0.75f));
}

TEST(RadixSort, SignedZerosAndNegativeKeys)
{
    expectSortedLikeStableSort({0.0f, -0.0f, 0.0f, -0.0f});
    sortKeys[0] = {0.0f, 0};
    sortKeys[1] = {-0.0f, 1};
    radixSort(2);
    EXPECT_TRUE(std::signbit(sortKeys[0].key));
    EXPECT_EQ(sortKeys[0].index, 1);

    expectSortedLikeStableSort({3.0f, -1.0f, -7.5f, 0.25f, -0.25f, 1e-30f, -1e-30f, -3.0f, 2.0f});
    expectSortedLikeStableSort(randomKeys(3000, -100.0f, -0.001f, 4));
}

TEST(RadixSort, ExtremeMagnitudes)
{
    const float inf = std::numeric_limits<float>::infinity();
    const float big = std::numeric_limits<float>::max();
    const float tiny = std::numeric_limits<float>::denorm_min();
    expectSortedLikeStableSort({inf, -inf, big, -big, tiny, -tiny, 1e38f, -1e38f, 0.0f, -0.0f, 1.0f, inf, -inf});
}

TEST(RadixSort, KeysWithConstantBytes)
{
    // Keys that differ only in some bytes leave whole passes with one bucket;
    // one, two or three such passes (odd and even) must all leave the result
    // in the sort array.
    std::mt19937 generator(5);
    std::vector<float> lowByteConstant(2000), topByteOnly(2000), lowTwoConstant(2000), middleVaries(2000);
    for (int i = 0; i < 2000; i++) {
        unsigned bits = (unsigned)(generator() & 0x5FFFFF00u);
        lowByteConstant[i] = std::bit_cast<float>(bits);
        topByteOnly[i] = std::bit_cast<float>((unsigned)(generator() & 0x7E000000u));
        lowTwoConstant[i] = std::bit_cast<float>((unsigned)(0x3F800000u | (generator() & 0x007F0000u)));
        middleVaries[i] = std::bit_cast<float>((unsigned)(0x3F800000u | (generator() & 0x007FFF00u)));
    }
    expectSortedLikeStableSort(lowByteConstant);
    expectSortedLikeStableSort(topByteOnly);
    expectSortedLikeStableSort(lowTwoConstant);
    expectSortedLikeStableSort(middleVaries);
}

TEST(RadixSort, TinyCountsAndUntouchedTail)
{
    sortKeys[0] = {42.0f, 7};
    sortKeys[1] = {-1.0f, 8};
    radixSort(0);
    EXPECT_EQ(sortKeys[0].key, 42.0f);
    EXPECT_EQ(sortKeys[1].key, -1.0f);
    radixSort(1);
    EXPECT_EQ(sortKeys[0].index, 7);
    EXPECT_EQ(sortKeys[1].index, 8);

    sortKeys[0] = {2.0f, 0};
    sortKeys[1] = {1.0f, 1};
    sortKeys[2] = {-5.0f, 2};
    radixSort(2);
    EXPECT_EQ(sortKeys[0].index, 1);
    EXPECT_EQ(sortKeys[1].index, 0);
    EXPECT_EQ(sortKeys[2].index, 2);
}

TEST(RadixSortDeathTest, MoreThanTheLimitIsFatal)
{
    EXPECT_EXIT(radixSort(maxSortKeys + 1), ::testing::ExitedWithCode(1), "dumbass");
}
