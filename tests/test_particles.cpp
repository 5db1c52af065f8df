// Particle drawing on a real GL: what is left out, batching, back-to-front
// order and the atlas levels seen in the pixels, through an atlas whose cells
// have distinct colours.
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <string>
#include <vector>

#include "geometry/particles.h"
#include "render/render_state.h"
#include "show/random.h"
#include "tests/support/gl_context.h"
#include "textures/texture.h"

namespace {

// Atlas of two 64 x 64 images (256 x 128 texels): every cell of level L in
// image i is one opaque colour: red 10 + 24 L, green 40 or 200 by image.
constexpr int kImage = 64;
int cellRed(int level) { return 10 + 24 * level; }
int imageGreen(int image) { return image ? 200 : 40; }

Texture* makeTestAtlas()
{
    int width = 4 * kImage, height = 2 * kImage;
    std::vector<unsigned char> texels((size_t)width * height * 4, 0);
    for (int image = 0; image < 2; image++)
        for (int level = 0; level < 10; level++) {
            const float* r = particleAtlasLevels[level];
            const unsigned char colour[4] = {(unsigned char)cellRed(level), (unsigned char)imageGreen(image), 100,
                                             255};
            for (int y = (int)(2 * kImage * r[1]); y < (int)(2 * kImage * r[3]); y++)
                for (int x = (int)(2 * kImage * r[0]); x < (int)(2 * kImage * r[2]); x++)
                    std::copy(colour, colour + 4, &texels[((size_t)y * width + x + image * 2 * kImage) * 4]);
        }
    Texture* texture = new Texture{0, 0.25f, 0.5f, 0.5f, width, height, RF_NOMIPMAP, 2};
    glGenTextures(1, &texture->name);
    glBindTexture(GL_TEXTURE_2D, texture->name);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    return texture;
}

const float kEye[3] = {0, 0, 4};
const float kTarget[3] = {0, 0, 0};

class Particles : public ::testing::Test {
protected:
    static Texture* atlas;

    void SetUp() override
    {
        openTestContext();
        if (!atlas)
            atlas = makeTestAtlas();
        // A square 64 x 64 view looking down -z from the eye at z = 4.
        glViewport(0, 0, 64, 64);
        glClearColor(0, 0, 0, 0);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(90.0, 1.0, 0.1, 100.0);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        gluLookAt(kEye[0], kEye[1], kEye[2], kTarget[0], kTarget[1], kTarget[2], 0, 1, 0);
    }

    // Clears the view and draws the particles (size 1) with stderr captured;
    // returns the profiling lines.
    std::string draw(const std::vector<float>& positions, const std::vector<uint8_t>& frames, float focusScale,
                     float intensity, RenderFlags flags = RF_ALPHA | RF_NEAREST)
    {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        std::vector<float> sizes(frames.size(), 1.0f);
        ::testing::internal::CaptureStderr();
        drawParticles(positions.data(), sizes.data(), (int)frames.size(), kEye, kTarget, atlas, frames.data(),
                      focusScale, 1.0f, intensity, flags);
        std::string lines = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
        return lines;
    }

    // One "vornRadixsort" line per draw, one "wtf" and one "glDrawElements"
    // line per batch.
    static void expectBatches(const std::string& text, int batches)
    {
        for (auto [label, want] : {std::pair{"vornRadixsort", 1}, {"wtf", batches}, {"glDrawElements", batches}}) {
            int count = 0;
            std::string line = std::string(label) + " in ";
            for (size_t at = text.find(line); at != std::string::npos; at = text.find(line, at + 1))
                count++;
            EXPECT_EQ(count, want) << label;
        }
    }

    static void expectPixel(int x, int y, int r, int g, int b, int tolerance = 2)
    {
        unsigned char rgba[4];
        readPixel(x, y, rgba);
        EXPECT_NEAR(rgba[0], r, tolerance) << "at " << x << "," << y;
        EXPECT_NEAR(rgba[1], g, tolerance) << "at " << x << "," << y;
        EXPECT_NEAR(rgba[2], b, tolerance) << "at " << x << "," << y;
    }
};
Texture* Particles::atlas = nullptr;

} // namespace

TEST_F(Particles, NothingInFrontOfTheEyeDrawsNoBatch)
{
    expectBatches(draw({}, {}, 0.03f, 1.0f), 0);
    // Behind the eye and exactly at its depth (key 0).
    expectBatches(draw({0, 0, 5, 0, 0, 9, 0.5f, 0, 4}, {0, 1, 0}, 0.03f, 1.0f), 0);
    expectPixel(32, 32, 0, 0, 0, 0);
}

TEST_F(Particles, DepthOfFieldPicksTheAtlasLevels)
{
    // A particle at depth z (eye at 4, target at 0) and the colour at its centre.
    const struct {
        float z;
        uint8_t frame;
        float focusScale, intensity;
        int r, g, b, tolerance;
    } cases[] = {
        // At the target's depth (key 1): level 0 at full brightness.
        {0, 0, 0.03f, 1.0f, cellRed(0), imageGreen(0), 100, 2},
        {0, 1, 0.03f, 1.0f, cellRed(0), imageGreen(1), 100, 2},
        // Key 2 with focus scale 0.03: b = 33, clamped to level 9.
        {-4, 0, 0.03f, 1.0f, cellRed(9), imageGreen(0), 100, 2},
        // Key 2 with focus scale 0.4: b = 2.5, half level 2 and half level 3,
        // both halves scaled by the intensity.
        {-4, 1, 0.4f, 1.0f, (cellRed(2) + cellRed(3)) / 2, imageGreen(1), 100, 3},
        {-4, 1, 0.4f, 0.5f, (cellRed(2) + cellRed(3)) / 4, imageGreen(1) / 2, 50, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "z " << c.z << " focus " << c.focusScale << " intensity " << c.intensity);
        draw({0, 0, c.z}, {c.frame}, c.focusScale, c.intensity);
        expectPixel(32, 32, c.r, c.g, c.b, c.tolerance);
        expectPixel(2, 2, 0, 0, 0, 0);  // outside the sprite
    }
}

TEST_F(Particles, FarParticleIsDrawnBeforeNearOne)
{
    // Without depth testing the last sprite drawn wins: the near one (at the
    // centre both overlap), whatever its place in the input and its image.
    const struct {
        std::vector<float> positions;
        std::vector<uint8_t> frames;
        int nearImage;
    } cases[] = {
        {{0, 0, 0, 0, 0, -4}, {0, 1}, 0},
        {{0, 0, -4, 0, 0, 0}, {1, 0}, 0},
        {{0, 0, -4, 0, 0, 0}, {0, 1}, 1},
    };
    for (const auto& c : cases) {
        draw(c.positions, c.frames, 1e6f, 1.0f, RF_ALPHA | RF_NEAREST | RF_NODEPTH);
        expectPixel(32, 32, cellRed(0), imageGreen(c.nearImage), 100);
    }
}

TEST_F(Particles, TwoBatchesFor1025AndStateLeftAsFound)
{
    // 1024 far particles piled up on the left, one near particle on the right
    // (the last one drawn, alone in the second batch) and a few behind the eye.
    std::vector<float> positions;
    std::vector<uint8_t> frames(1024, 1);
    for (int i = 0; i < 1024; i++)
        positions.insert(positions.end(), {-4.0f, 0.0f, -4.0f});
    positions.insert(positions.end(), {1.0f, 0.0f, 1.0f});
    for (int i = 0; i < 5; i++)
        positions.insert(positions.end(), {0.0f, 0.0f, 6.0f + i});
    frames.resize(1030, 0);
    expectBatches(draw(positions, frames, 1e6f, 1.0f), 2);
    EXPECT_GE(particleIndexCount, 4 * 1024);
    // Left pile: x = -4 at distance 8 lands at 64 x (0.5 - 4 / 16) = 16.
    expectPixel(16, 32, cellRed(0), imageGreen(1), 100);
    // Near particle: x = 1 at distance 3 lands at 64 x (0.5 + 1 / 6) = 42.7.
    expectPixel(42, 32, cellRed(0), imageGreen(0), 100);

    // Client arrays, texture units and matrices are left as they were found.
    GLint unit = 0, clientUnit = 0, depth = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE_ARB, &unit);
    glGetIntegerv(GL_CLIENT_ACTIVE_TEXTURE_ARB, &clientUnit);
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    EXPECT_EQ(unit, GL_TEXTURE0_ARB);
    EXPECT_EQ(clientUnit, GL_TEXTURE0_ARB);
    EXPECT_EQ(depth, 1);
    for (GLenum array : {GL_VERTEX_ARRAY, GL_COLOR_ARRAY, GL_TEXTURE_COORD_ARRAY})
        EXPECT_FALSE(glIsEnabled(array)) << array;
}

TEST_F(Particles, FirstBatchEverAdvancesTheSharedRandomState)
{
    // The table of 1024 advances is made on the first batch ever drawn (here
    // made to come again), none on later ones.
    particleRandomMade = false;
    uint32_t x = randseed;
    draw({0, 0, 0}, {0}, 0.03f, 1.0f);
    EXPECT_TRUE(particleRandomMade);
    int wrong = 0;
    for (int i = 0; i < 1024; i++) {
        x = x * 69069u + 1u;
        wrong += particleRandom[i] != x >> 17;
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(randseed, x);
    draw({0, 0, 0}, {0}, 0.03f, 1.0f);
    EXPECT_EQ(randseed, x);
}

TEST_F(Particles, MoreThanTheLimitIsFatal)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const float position[3] = {0, 0, 0}, size = 1.0f;
    const uint8_t frame = 0;
    EXPECT_EXIT(drawParticles(position, &size, 100001, kEye, kTarget, atlas, &frame, 0.03f, 1.0f, 1.0f, RF_ALPHA),
                ::testing::ExitedWithCode(1), "dumbass");
}
