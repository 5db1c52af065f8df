// The grain noise: its grey levels drawn from the shared random sequence.
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <GL/gl.h>
#include <gtest/gtest.h>

#include "base/random.h"
#include "textures/noise.h"

TEST(Noise, GreyLevelsFollowTheSharedRandomSequence)
{
    // One step of x := 69069 x + 1 per texel, grey 230 + (x >> 17) % 25.
    randseed = 0;
    std::vector<uint8_t> texels(256 * 256 * 4);
    fillNoiseTexels(texels.data(), 256, 256, 230, 255);
    uint32_t x = 0;
    int wrong = 0;
    for (int p = 0; p < 256 * 256; p++) {
        x = x * 69069u + 1u;
        const uint8_t grey = (uint8_t)(230 + (x >> 17) % 25), expected[4] = {grey, grey, grey, 255};
        wrong += std::memcmp(&texels[4 * p], expected, 4) != 0;
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(randseed, x);
}
