// Particle drawing on a real GL: what is left out, batching, back-to-front
// order and the cross-faded atlas levels seen in the pixels, through an
// atlas whose cells have distinct colours.
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/setup.h"
#include "base/random.h"
#include "geometry/particles.h"
#include "render/render_state.h"
#include "show/camera.h"
#include "tests/support/gl_context.h"
#include "textures/blur_atlas.h"
#include "textures/texture.h"

namespace {

// Atlas of two 64 x 64 images: every cell of level L in image i is one
// opaque colour, red 10 + 24 L, green 40 or 200 by image, blue 100.
int cellRed(int level) { return 10 + 24 * level; }
int imageGreen(int image) { return image ? 200 : 40; }

Texture* makeTestAtlas()
{
    std::vector<unsigned char> texels(256 * 128 * 4, 0);
    for (int image = 0; image < 2; image++)
        for (int level = 0; level < 10; level++) {
            const float* r = particleAtlasLevels[level];
            const unsigned char colour[4] = {(unsigned char)cellRed(level), (unsigned char)imageGreen(image), 100, 255};
            for (int y = (int)(128 * r[1]); y < (int)(128 * r[3]); y++)
                for (int x = (int)(128 * r[0]); x < (int)(128 * r[2]); x++)
                    std::copy(colour, colour + 4, &texels[((size_t)y * 256 + x + image * 128) * 4]);
        }
    Texture* texture = new Texture{0, 0.25f, 0.5f, 0.5f, 256, 128, RF_NOMIPMAP, 2, nullptr};
    glGenTextures(1, &texture->name);
    glBindTexture(GL_TEXTURE_2D, texture->name);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 256, 128, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    return texture;
}

const float kEye[3] = {0, 0, 4}, kTarget[3] = {0, 0, 0};

class Particles : public ::testing::Test {
protected:
    static inline Texture* atlas;
    static inline ParticleTables tables;
    static inline RandomState random;

    void SetUp() override
    {
        openTestContext();
        if (!atlas) atlas = makeTestAtlas();
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

    // Draws the particles (size 1) on a cleared view and counts the batches
    // in the profiling lines: one sort line per draw, one "wtf" and one
    // "glDrawElements" line per batch.
    static void draw(const std::vector<float>& positions, const std::vector<uint8_t>& frames, float focusScale,
                     float intensity, int batches, RenderFlags flags = RF_ALPHA | RF_NEAREST)
    {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        std::vector<float> sizes(frames.size(), 1.0f);
        ::testing::internal::CaptureStderr();
        const ParticleSet set = {positions.data(), sizes.data(), frames.data(), (int)frames.size()};
        drawParticles(testDisplay().gl, tables, random, set, kEye, kTarget,
                      {atlas, focusScale, 1.0f, intensity, flags});
        std::string text = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
        for (auto [label, want] : {std::pair{"vornRadixsort in ", 1}, {"wtf in ", batches}, {"glDrawElements in ", batches}}) {
            int count = 0;
            for (size_t at = text.find(label); at != std::string::npos; at = text.find(label, at + 1)) count++;
            EXPECT_EQ(count, want) << label;
        }
    }

    static void expectPixel(int x, int y, int r, int g, int b, int tolerance = 2)
    {
        unsigned char rgba[4];
        readPixel(x, y, rgba);
        EXPECT_TRUE(std::abs(rgba[0] - r) <= tolerance && std::abs(rgba[1] - g) <= tolerance &&
                    std::abs(rgba[2] - b) <= tolerance)
            << "at " << x << "," << y << ": " << +rgba[0] << " " << +rgba[1] << " " << +rgba[2];
    }
};

}  // namespace

TEST_F(Particles, DepthOfFieldOrderAndWhatIsLeftOutShowInThePixels)
{
    // The colour at the centre of the view, and none outside the sprites.
    const struct {
        std::vector<float> positions;
        std::vector<uint8_t> frames;
        float focusScale, intensity;
        RenderFlags flags;
        int batches, r, g, b;
    } cases[] = {
        // Nothing, or nothing in front of the eye: behind it and exactly at
        // its depth (key 0).
        {{}, {}, 0.03f, 1.0f, RF_ALPHA, 0, 0, 0, 0},
        {{0, 0, 5, 0, 0, 9, 0.5f, 0, 4}, {0, 1, 0}, 0.03f, 1.0f, RF_ALPHA, 0, 0, 0, 0},
        // At the target's depth (key 1): level 0 of the particle's image.
        {{0, 0, 0}, {1}, 0.03f, 1.0f, RF_ALPHA, 1, cellRed(0), imageGreen(1), 100},
        // Key 2 with focus scale 0.4: b = 2.5, half level 2 and half level 3,
        // both halves scaled by the intensity.
        {{0, 0, -4}, {1}, 0.4f, 0.5f, RF_ALPHA, 1, (cellRed(2) + cellRed(3)) / 4, imageGreen(1) / 2, 50},
        // Without depth testing the last sprite drawn wins: the near one,
        // whatever its place in the input.
        {{0, 0, 0, 0, 0, -4}, {0, 1}, 1e6f, 1.0f, RF_ALPHA | RF_NODEPTH, 1, cellRed(0), imageGreen(0), 100},
        {{0, 0, -4, 0, 0, 0}, {0, 1}, 1e6f, 1.0f, RF_ALPHA | RF_NODEPTH, 1, cellRed(0), imageGreen(1), 100},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.frames.size() << " particles, focus " << c.focusScale << " intensity " << c.intensity);
        draw(c.positions, c.frames, c.focusScale, c.intensity, c.batches, c.flags | RF_NEAREST);
        expectPixel(32, 32, c.r, c.g, c.b, 3);
        expectPixel(2, 2, 0, 0, 0, 0);
    }
}

TEST_F(Particles, TwoBatchesFor1025AndStateLeftAsFound)
{
    // 1024 far particles piled up on the left, one near particle on the right
    // (the last one drawn, alone in the second batch) and a few behind the eye.
    std::vector<float> positions;
    for (int i = 0; i < 1024; i++) positions.insert(positions.end(), {-4.0f, 0.0f, -4.0f});
    positions.insert(positions.end(), {1.0f, 0.0f, 1.0f});
    for (int i = 0; i < 5; i++) positions.insert(positions.end(), {0.0f, 0.0f, 6.0f + i});
    std::vector<uint8_t> frames(1024, 1);
    frames.resize(1030, 0);
    draw(positions, frames, 1e6f, 1.0f, 2);
    expectPixel(16, 32, cellRed(0), imageGreen(1), 100);  // x = -4 at distance 8: 64 x (0.5 - 4 / 16)
    expectPixel(42, 32, cellRed(0), imageGreen(0), 100);  // x = 1 at distance 3: 64 x (0.5 + 1 / 6)

    // Client arrays, texture units and matrices are left as they were found.
    GLint unit = 0, clientUnit = 0, depth = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE_ARB, &unit);
    glGetIntegerv(GL_CLIENT_ACTIVE_TEXTURE_ARB, &clientUnit);
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    EXPECT_EQ(std::vector<GLint>({unit, clientUnit, depth}), std::vector<GLint>({GL_TEXTURE0_ARB, GL_TEXTURE0_ARB, 1}));
    for (GLenum array : {GL_VERTEX_ARRAY, GL_COLOR_ARRAY, GL_TEXTURE_COORD_ARRAY}) EXPECT_FALSE(glIsEnabled(array)) << array;
}

TEST_F(Particles, AnEyeOnItsTargetLooksOneUnitAlongZ)
{
    // Past the end of the music the fly-in's eye can meet its target: the
    // camera then looks along +z, and a particle one unit ahead is in focus.
    const float eye[4] = {0, 0, -0.2f, 60}, target[3] = {0, 0, -0.2f};
    View& view = testShow().view;
    view.viewNear = 0.1f, view.viewFar = 128.0f;
    camera_setup(view, eye, target, RF_OFFSCREEN);
    float m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    EXPECT_TRUE(m[0] == -1 && m[5] == 1 && m[10] == -1) << m[0] << " " << m[5] << " " << m[10];
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    const float position[3] = {0, 0, 0.8f}, size = 0.1f;
    const uint8_t frame = 0;
    drawParticles(testDisplay().gl, tables, random, {position, &size, &frame, 1}, eye, target,
                  {atlas, 0.03f, 1.0f, 1.0f, RF_ALPHA | RF_NEAREST});
    expectPixel(256, 128, cellRed(0), imageGreen(0), 100);
}

TEST_F(Particles, TheFirstBatchOfTheirTablesTakes1024RandomSteps)
{
    // Tables of their own: a draw that makes no batch takes no step, the
    // first batch 1024, later ones none.
    ParticleTables fresh;
    RandomState steps{7}, expected{7};
    const float behind[3] = {0, 0, 9}, ahead[3] = {0, 0, 0}, size = 1.0f;
    const uint8_t frame = 0;
    auto drawOne = [&](const float* position) {
        ::testing::internal::CaptureStderr();
        drawParticles(testDisplay().gl, fresh, steps, {position, &size, &frame, 1}, kEye, kTarget,
                      {atlas, 0.03f, 1.0f, 1.0f, RF_ALPHA});
        ::testing::internal::GetCapturedStderr();
    };
    drawOne(behind);
    EXPECT_EQ(steps.seed, expected.seed);
    drawOne(ahead);
    for (int i = 0; i < 1024; i++) randNext(expected);
    EXPECT_EQ(steps.seed, expected.seed);
    EXPECT_TRUE(fresh.randomMade);
    drawOne(ahead);
    EXPECT_EQ(steps.seed, expected.seed);
}

TEST_F(Particles, MoreThanTheLimitIsFatal)
{
    const float position[3] = {0, 0, 0}, size = 1.0f;
    const uint8_t frame = 0;
    EXPECT_EXIT(drawParticles(testDisplay().gl, tables, random, {position, &size, &frame, 100001}, kEye, kTarget,
                              {atlas, 0.03f, 1.0f, 1.0f, RF_ALPHA}),
                ::testing::ExitedWithCode(1), "dumbass");
}
