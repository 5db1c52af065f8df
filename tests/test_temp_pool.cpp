// The temporary pool and the channel conversion: what the texture layer
// does without a GL context.
#include <cstdint>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "base/temp_pool.h"
#include "textures/texture.h"

// Every test releases what it takes, so each starts with the empty pool.
TEST(TempPool, BlocksAreAlignedStackedAndReleasedToAMark)
{
    char* mark = (char*)tempmalloc(0);  // a zero-size block is the aligned cursor itself
    EXPECT_EQ((uintptr_t)mark % 16, 0u);
    char* first = (char*)tempmalloc(1);
    char* second = (char*)tempmalloc(1);
    char* odd = (char*)tempmalloc(37);
    EXPECT_EQ(std::vector<ptrdiff_t>({first - mark, second - first, odd - second, (char*)tempmalloc(0) - odd}),
              std::vector<ptrdiff_t>({0, 16, 16, 48}));
    tmpfree(mark);
    char* block = (char*)tempmalloc(33554432 - 64);  // the whole pool, to its last byte
    char* last = (char*)tempmalloc(64);
    EXPECT_EQ(block, mark);
    EXPECT_EQ(last - block, 33554432 - 64);
    last[63] = 1;
    tmpfree(block);
}

TEST(TempPoolDeathTest, ExhaustionAndOutOfOrderReleaseAreFatal)
{
    EXPECT_EXIT(tempmalloc(33554433), ::testing::ExitedWithCode(1), "out of tempmalloc");
    EXPECT_EXIT((tempmalloc(33554432 - 64), tempmalloc(65)), ::testing::ExitedWithCode(1), "out of tempmalloc");
    EXPECT_EXIT(
        {
            char* block = (char*)tempmalloc(32);
            tmpfree(block);
            tmpfree(block + 16);
        },
        ::testing::ExitedWithCode(1), "tmpfree error");
    static char outside[16];
    EXPECT_EXIT(tmpfree(outside), ::testing::ExitedWithCode(1), "tmpfree error");
    // 2048 x 2048 needs (4194304 + 2064 x 2064) x 4 bytes, more than 32 MiB;
    // the pool check comes first, so no context is needed to see it fail.
    std::vector<uint8_t> pixels(2048u * 2048u * 4u, 255);
    EXPECT_EXIT(uploadTexture(2048, 2048, pixels.data()), ::testing::ExitedWithCode(1), "out of tempmalloc");
}

TEST(UnpackChannel, ReadsOneLaneWithSquareAndBoost)
{
    // Lane of 0, 255, 128, 230 with stride 2. Boost lifts only values above
    // 0.85: 255 -> 1 + 0.15^2 x 20 = 1.45, 230 -> 0.90196 + 0.05196^2 x 20.
    const uint8_t bytes[8] = {0, 11, 255, 12, 128, 13, 230, 14};
    const float half = 128 / 255.0f, high = 230 / 255.0f, boosted = 0.9559594f;
    for (auto [square, boost, values] : {std::tuple{false, false, std::vector<float>{0, 1, half, high}},
                                         {true, false, {0, 1, half * half, high * high}},
                                         {false, true, {0, 1.45f, half, boosted}},
                                         {true, true, {0, 1.45f * 1.45f, half * half, boosted * boosted}}}) {
        float out[4];
        unpackChannel(out, bytes, 2, 4, square, boost);
        for (int i = 0; i < 4; i++) EXPECT_NEAR(out[i], values[i], 1e-6f) << "square " << square << " boost " << boost << " byte " << i;
    }
}
