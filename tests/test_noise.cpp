// The grain noise: opaque grey texels spread evenly over their levels, drawn
// row by row from the random state handed in, one step a texel.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "base/random.h"
#include "textures/noise.h"

TEST(Noise, OpaqueGreysSpreadEvenlyOneRandomStepPerTexel)
{
    RandomState random{0};
    std::vector<uint8_t> texels(256 * 256 * 4);
    fillNoiseTexels(random, texels.data(), 256, 256, 230, 255);
    std::vector<int> uses(256, 0);
    int notGreyOrOpaque = 0;
    for (size_t p = 0; p < 256 * 256; p++) {
        const uint8_t* t = &texels[4 * p];
        notGreyOrOpaque += t[1] != t[0] || t[2] != t[0] || t[3] != 255;
        uses[t[0]]++;
    }
    EXPECT_EQ(notGreyOrOpaque, 0);
    // 65536 texels over 25 levels: about 2621 each, none outside 230..254.
    for (int level = 0; level < 256; level++)
        if (level < 230 || level > 254)
            EXPECT_EQ(uses[level], 0) << level;
        else
            EXPECT_NEAR(uses[level], 65536 / 25, 200) << level;

    RandomState stepped{0};
    for (int i = 0; i < 256 * 256; i++) randNext(stepped);
    EXPECT_EQ(random.seed, stepped.seed);

    // From the same state, a narrower texture holds the same first row; drawn
    // on from where the first fill left the state, the next one differs.
    RandomState again{0};
    std::vector<uint8_t> row(16 * 4), next(texels.size());
    fillNoiseTexels(again, row.data(), 16, 1, 230, 255);
    EXPECT_TRUE(std::equal(row.begin(), row.end(), texels.begin()));
    fillNoiseTexels(random, next.data(), 256, 256, 230, 255);
    EXPECT_NE(next, texels);
}
