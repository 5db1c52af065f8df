// The temporary pool, the mipmap filter taps and the channel conversion:
// everything of the texture layer that needs no GL context.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include <gtest/gtest.h>

#include "textures/temp_pool.h"
#include "textures/texture.h"

TEST(TempPool, BlocksAreAlignedAndStackedSixteenBytesApart)
{
    void* mark = tempmalloc(0);
    EXPECT_EQ((uintptr_t)mark % 16, 0u);
    char* first = (char*)tempmalloc(1);
    char* second = (char*)tempmalloc(1);
    EXPECT_EQ(first, (char*)mark);  // a zero-size block is the aligned cursor itself
    EXPECT_EQ(second - first, 16);
    char* odd = (char*)tempmalloc(37);
    EXPECT_EQ(odd - second, 16);
    EXPECT_EQ((char*)tempmalloc(0) - odd, 48);
    tmpfree(mark);
    EXPECT_EQ(tempmalloc(0), mark);
}

TEST(TempPool, ReleaseToTheCursorChangesNothing)
{
    void* mark = tempmalloc(0);
    char* block = (char*)tempmalloc(100);
    void* cursor = block + 100;
    tmpfree(cursor);
    EXPECT_EQ((char*)tempmalloc(0), block + 112);
    tmpfree(mark);
}

// Every test releases what it takes, so each starts with the empty pool.
TEST(TempPool, TheWholePoolCanBeTakenToItsLastByte)
{
    char* block = (char*)tempmalloc(33554432 - 64);
    char* last = (char*)tempmalloc(64);
    EXPECT_EQ(last - block, 33554432 - 64);
    last[63] = 1;
    EXPECT_EQ((char*)tempmalloc(0), last + 64);
    tmpfree(block);
}

TEST(TempPoolDeathTest, ExhaustionIsFatal)
{
    EXPECT_EXIT(tempmalloc(33554433), ::testing::ExitedWithCode(1), "out of tempmalloc");
    EXPECT_EXIT(
        {
            tempmalloc(33554432 - 64);
            tempmalloc(65);
        },
        ::testing::ExitedWithCode(1), "out of tempmalloc");
}

TEST(TempPoolDeathTest, ReleaseAboveTheCursorIsFatal)
{
    EXPECT_EXIT(
        {
            char* block = (char*)tempmalloc(32);
            tmpfree(block);
            tmpfree(block + 16);
        },
        ::testing::ExitedWithCode(1), "tmpfree error");
    static char outside[16];
    EXPECT_EXIT(tmpfree(outside), ::testing::ExitedWithCode(1), "tmpfree error");
}

TEST(TempPoolDeathTest, UploadLargerThanThePoolStopsBeforeAnyGlWork)
{
    // 2048 x 2048 needs (4194304 + 2064 x 2064) x 4 bytes, more than 32 MiB;
    // the pool check comes first, so no context is needed to see it fail.
    std::vector<uint8_t> pixels(2048u * 2048u * 4u, 255);
    EXPECT_EXIT(uploadTexture(2048, 2048, pixels.data()), ::testing::ExitedWithCode(1), "out of tempmalloc");
}

TEST(MipmapKernel, TapsAreTheNormalisedWindowedSinc)
{
    float taps[16];
    mipmapKernel(taps);
    const float expected[8] = {0.41273f, 0.16341f, -0.04112f, -0.05212f, 0.00405f, 0.01286f, 0.00059f, -0.00039f};
    float sum = 0;
    for (int i = 0; i < 8; i++) {
        EXPECT_NEAR(taps[8 + i], expected[i], 0.000006f) << "tap " << 8 + i;
        EXPECT_EQ(taps[7 - i], taps[8 + i]) << "taps are symmetric about 7.5";
    }
    for (int i = 0; i < 16; i++)
        sum += taps[i];
    EXPECT_NEAR(sum, 1.0f, 1e-6f);
}

TEST(UnpackChannel, ReadsOneLaneWithSquareAndBoost)
{
    const uint8_t bytes[8] = {0, 11, 255, 12, 128, 13, 230, 14};
    float out[4];
    unpackChannel(out, bytes, 2, 4, false, false);
    EXPECT_EQ(out[0], 0.0f);
    EXPECT_EQ(out[1], 255 * (1.0f / 255.0f));
    EXPECT_FLOAT_EQ(out[2], 128 / 255.0f);
    EXPECT_FLOAT_EQ(out[3], 230 / 255.0f);

    unpackChannel(out, bytes, 2, 4, true, false);
    EXPECT_FLOAT_EQ(out[2], (128 / 255.0f) * (128 / 255.0f));

    // Boost lifts only values above 0.85: 255 -> 1 + 0.15^2 x 20 = 1.45.
    unpackChannel(out, bytes, 2, 4, false, true);
    EXPECT_FLOAT_EQ(out[1], 1.45f);
    EXPECT_FLOAT_EQ(out[2], 128 / 255.0f);
    float v = 230 / 255.0f;
    EXPECT_FLOAT_EQ(out[3], v + (v - 0.85f) * (v - 0.85f) * 20.0f);

    unpackChannel(out, bytes, 2, 4, true, true);
    EXPECT_FLOAT_EQ(out[1], 1.45f * 1.45f);
}
