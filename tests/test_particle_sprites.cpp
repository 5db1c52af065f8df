// Sprite expansion without GL: corner geometry, atlas levels and image
// halves on both texture units, and the depth-of-field cross-fade colours.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "geometry/particles.h"
#include "textures/blur_atlas.h"
#include "textures/texture.h"

namespace {

struct Batch {
    std::vector<float> corners, tex0, tex1, colours, offset, width, size;
    SpriteArrays arrays;
    explicit Batch(int n) : corners(n * 12), tex0(n * 8), tex1(n * 8), colours(n * 16), offset(n), width(n), size(n)
    {
        arrays = {corners.data(), tex0.data(), tex1.data(), colours.data(), offset.data(), width.data(), size.data()};
    }
};

// The four atlas corners of level L in image space, as a unit receives them.
void expectAtlasLevel(const float* tex, int level, float offset, float width)
{
    const float* r = particleAtlasLevels[level];
    const float s0 = r[0] * width + offset, s1 = r[2] * width + offset;
    const float expected[8] = {s0, r[1], s1, r[1], s1, r[3], s0, r[3]};
    for (int k = 0; k < 8; k++) EXPECT_FLOAT_EQ(tex[k], expected[k]) << "level " << level << " coordinate " << k;
}

}  // namespace

TEST(ParticleSprites, DepthPicksLevelsImageAndCrossFade)
{
    const struct {
        float key;
        int frameLayout;
        uint8_t frame;
        float focusScale, intensity;
        int level0, level1;
        float offset, width, alpha, grey;
    } cases[] = {
        // At the focus depth: the sharp level at full brightness, also with
        // a focus scale of 0 (0 / 0).
        {1.0f, 2, 0, 0.03f, 1.0f, 0, 1, 0.0f, 0.5f, 1.0f, 1.0f},
        {1.0f, 2, 0, 0.0f, 1.0f, 0, 1, 0.0f, 0.5f, 1.0f, 1.0f},
        // b = (0.5 / 0.25) x 2 = 4 exactly: right image half, or the whole
        // texture when it holds one image.
        {2.0f, 2, 1, 0.25f, 1.0f, 4, 5, 0.5f, 0.5f, 1.0f, 1.0f},
        {2.0f, 0, 1, 0.25f, 1.0f, 4, 5, 0.0f, 1.0f, 1.0f, 1.0f},
        // b = 2.5 and intensity c = 0.5: alpha = 1 - f c, grey = c (1 - f) / alpha.
        {2.0f, 2, 0, 0.4f, 0.5f, 2, 3, 0.0f, 0.5f, 0.75f, 0.25f / 0.75f},
        // Far out of focus on either side: level 9 on both units.
        {0.01f, 2, 0, 0.03f, 0.6f, 9, 9, 0.0f, 0.5f, 1.0f, 0.6f},
        {1e30f, 2, 0, 0.03f, 0.6f, 9, 9, 0.0f, 0.5f, 1.0f, 0.6f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "key " << c.key << " layout " << c.frameLayout << " focus " << c.focusScale);
        Batch b(1);
        const float p[3] = {0, 0, 0}, size = 1.0f;
        const int index = 0;
        Texture atlas{};
        atlas.frameLayout = c.frameLayout;
        expandParticleSprites({p, &size, &c.frame, 1}, {&index, &c.key, 1, {1, 0, 0}, {0, 1, 0}},
                              {&atlas, c.focusScale, 1.0f, c.intensity, 0}, b.arrays);
        expectAtlasLevel(b.tex0.data(), c.level0, c.offset, c.width);
        expectAtlasLevel(b.tex1.data(), c.level1, c.offset, c.width);
        for (int k = 0; k < 16; k++) EXPECT_NEAR(b.colours[k], k % 4 == 3 ? c.alpha : c.grey, 1e-6f) << k;
    }
}

TEST(ParticleSprites, SquaresFollowIndicesSizesAndAxes)
{
    // Three particles drawn in the order 2, 0, 1 with their own sizes and
    // images, on oblique axes: squares with half-diagonal size x sizeScale.
    const float positions[9] = {1, 2, 3, 10, 0, 0, 20, 0, -5}, sizes[3] = {1.0f, 2.0f, 4.0f}, keys[3] = {1, 1, 1};
    const uint8_t frames[3] = {0, 1, 1};
    const int indices[3] = {2, 0, 1};
    const float right[3] = {2.0f / 3, 2.0f / 3, 1.0f / 3}, up[3] = {-2.0f / 3, 1.0f / 3, 2.0f / 3};
    Batch b(3);
    Texture atlas{};
    atlas.frameLayout = 2;
    expandParticleSprites({positions, sizes, frames, 3},
                          {indices, keys, 3, {right[0], right[1], right[2]}, {up[0], up[1], up[2]}},
                          {&atlas, 0.03f, 1.5f, 1.0f, 0}, b.arrays);
    // Upper left, upper right, lower right, lower left as signs on (right, up).
    const int signs[4][2] = {{-1, 1}, {1, 1}, {1, -1}, {-1, -1}};
    for (int i = 0; i < 3; i++) {
        const float* p = positions + 3 * indices[i];
        float h = 1.5f * sizes[indices[i]] * std::sqrt(0.5f);
        EXPECT_EQ(b.offset[i], 0.5f * frames[indices[i]]) << i;
        for (int k = 0; k < 12; k++)
            EXPECT_NEAR(b.corners[12 * i + k], p[k % 3] + h * (signs[k / 3][0] * right[k % 3] + signs[k / 3][1] * up[k % 3]),
                        1e-4f) << "particle " << i << " corner " << k / 3;
    }
}
