// Sprite expansion without GL: corner geometry, atlas levels and image
// halves, and the depth-of-field cross-fade colours.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "geometry/particles.h"

namespace {

struct Batch {
    std::vector<float> corners, tex0, tex1, colours, offset, width, size;
    SpriteArrays arrays;
    explicit Batch(int n)
        : corners(n * 12), tex0(n * 8), tex1(n * 8), colours(n * 16), offset(n), width(n), size(n)
    {
        arrays = {corners.data(), tex0.data(), tex1.data(), colours.data(), offset.data(), width.data(), size.data()};
    }
};

const float kRight[3] = {1, 0, 0};
const float kUp[3] = {0, 1, 0};

// Expands one particle at p with the given key; returns its batch.
Batch expandOne(const float p[3], float size, float key, int frameLayout, uint8_t frame, float focusScale,
                float intensity, const float right[3] = kRight, const float up[3] = kUp)
{
    Batch batch(1);
    int index = 0;
    expandParticleSprites(p, &size, &key, &index, 1, right, up, frameLayout, &frame, focusScale, 1.0f, intensity,
                          batch.arrays);
    return batch;
}

// The four atlas corners of level L in image space, as the units receive them.
void expectAtlasLevel(const float* tex, int level, float offset, float width)
{
    const float* r = particleAtlasLevels[level];
    const float expected[8] = {r[0] * width + offset, r[1], r[2] * width + offset, r[1],
                               r[2] * width + offset, r[3], r[0] * width + offset, r[3]};
    for (int k = 0; k < 8; k++)
        EXPECT_FLOAT_EQ(tex[k], expected[k]) << "level " << level << " coordinate " << k;
}

} // namespace

TEST(ParticleSprites, CornersFormSquareWithHalfDiagonalSize)
{
    const float p[3] = {1.0f, 2.0f, 3.0f};
    Batch b = expandOne(p, 2.0f, 1.0f, 0, 0, 0.03f, 1.0f);
    float h = 2.0f * std::sqrt(0.5f);
    // upper left, upper right, lower right, lower left
    const float expected[12] = {1 - h, 2 + h, 3, 1 + h, 2 + h, 3, 1 + h, 2 - h, 3, 1 - h, 2 - h, 3};
    for (int k = 0; k < 12; k++)
        EXPECT_NEAR(b.corners[k], expected[k], 1e-4f) << k;

    // Along other axes the square follows right and up.
    const float right[3] = {0, 0, 1}, up[3] = {1, 0, 0};
    Batch turned = expandOne(p, 2.0f, 1.0f, 0, 0, 0.03f, 1.0f, right, up);
    EXPECT_NEAR(turned.corners[0], 1 + h, 1e-4f);  // up component
    EXPECT_NEAR(turned.corners[1], 2.0f, 1e-6f);
    EXPECT_NEAR(turned.corners[2], 3 - h, 1e-4f);  // right component
    EXPECT_EQ(turned.size[0], 2.0f);
}

TEST(ParticleSprites, FocusDepthUsesSharpLevelAtFullBrightness)
{
    const float p[3] = {0, 0, 0};
    Batch b = expandOne(p, 1.0f, 1.0f, 2, 0, 0.03f, 1.0f);
    expectAtlasLevel(b.tex0.data(), 0, 0.0f, 0.5f);
    expectAtlasLevel(b.tex1.data(), 1, 0.0f, 0.5f);
    for (int corner = 0; corner < 4; corner++) {
        EXPECT_EQ(b.colours[4 * corner + 0], 1.0f);
        EXPECT_EQ(b.colours[4 * corner + 3], 1.0f);
    }
}

TEST(ParticleSprites, ImageHalvesAndSingleImageTextures)
{
    const float p[3] = {0, 0, 0};
    // key 2 and focus scale 0.25: b = (0.5 / 0.25) x 2 = 4 exactly.
    Batch right = expandOne(p, 1.0f, 2.0f, 2, 1, 0.25f, 1.0f);
    EXPECT_EQ(right.offset[0], 0.5f);
    EXPECT_EQ(right.width[0], 0.5f);
    expectAtlasLevel(right.tex0.data(), 4, 0.5f, 0.5f);
    expectAtlasLevel(right.tex1.data(), 5, 0.5f, 0.5f);
    EXPECT_FLOAT_EQ(right.tex0[0], 0.875f);

    Batch whole = expandOne(p, 1.0f, 2.0f, 0, 1, 0.25f, 1.0f);
    EXPECT_EQ(whole.offset[0], 0.0f);
    EXPECT_EQ(whole.width[0], 1.0f);
    expectAtlasLevel(whole.tex0.data(), 4, 0.0f, 1.0f);
}

TEST(ParticleSprites, CrossFadeBetweenNeighbouringLevels)
{
    const float p[3] = {0, 0, 0};
    // key 2 and focus scale 0.4: b = (0.5 / 0.4) x 2 = 2.5 up to rounding;
    // intensity 0.5.
    Batch b = expandOne(p, 1.0f, 2.0f, 2, 0, 0.4f, 0.5f);
    expectAtlasLevel(b.tex0.data(), 2, 0.0f, 0.5f);
    expectAtlasLevel(b.tex1.data(), 3, 0.0f, 0.5f);
    float alpha = b.colours[3];
    float g = b.colours[0];
    EXPECT_NEAR(alpha, 0.75f, 1e-6f);         // 1 - f c
    EXPECT_NEAR(g, 0.25f / 0.75f, 1e-6f);     // c (1 - f) / alpha
    // What the two units then produce: unit 0 weighted g x alpha, unit 1 1 - alpha.
    EXPECT_NEAR(g * alpha, 0.25f, 1e-6f);
    EXPECT_NEAR(1.0f - alpha, 0.25f, 1e-6f);
    for (int k = 4; k < 16; k++)
        EXPECT_EQ(b.colours[k], b.colours[k % 4]);
}

TEST(ParticleSprites, FarOutOfFocusClampsToLastLevelOnBothUnits)
{
    const float p[3] = {0, 0, 0};
    for (float key : {0.01f, 0.2f, 5.0f, 1e30f}) {
        Batch b = expandOne(p, 1.0f, key, 2, 0, 0.03f, 0.6f);
        expectAtlasLevel(b.tex0.data(), 9, 0.0f, 0.5f);
        expectAtlasLevel(b.tex1.data(), 9, 0.0f, 0.5f);
        EXPECT_EQ(b.colours[3], 1.0f) << key;
        EXPECT_FLOAT_EQ(b.colours[0], 0.6f) << key;
    }
}

TEST(ParticleSprites, BatchFollowsIndicesAndSizes)
{
    // Three particles drawn in the order 2, 0, 1 with their own sizes and images.
    const float positions[9] = {0, 0, 0, 10, 0, 0, 20, 0, 0};
    const float sizes[3] = {1.0f, 2.0f, 4.0f};
    const uint8_t frames[3] = {0, 1, 1};
    const float keys[3] = {1.0f, 1.0f, 1.0f};
    const int indices[3] = {2, 0, 1};
    Batch b(3);
    expandParticleSprites(positions, sizes, keys, indices, 3, kRight, kUp, 2, frames, 0.03f, 1.5f, 1.0f, b.arrays);
    EXPECT_EQ(b.size[0], 6.0f);
    EXPECT_EQ(b.size[1], 1.5f);
    EXPECT_EQ(b.size[2], 3.0f);
    EXPECT_EQ(b.offset[0], 0.5f);
    EXPECT_EQ(b.offset[1], 0.0f);
    EXPECT_EQ(b.offset[2], 0.5f);
    // Centre of each square (mean of its corners) is the particle's position.
    for (int i = 0; i < 3; i++) {
        float cx = (b.corners[12 * i] + b.corners[12 * i + 3] + b.corners[12 * i + 6] + b.corners[12 * i + 9]) / 4;
        EXPECT_NEAR(cx, positions[3 * indices[i]], 1e-4f) << i;
    }
}
